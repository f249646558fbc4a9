// One sync of a CardDAV account: finding its address books from the server's address (the
// well-known URL, the current user's principal, its address-book home), then for every book the
// changes since the last sync: by sync-collection and its token where the server offers it, by
// comparing ETags where it does not, the cards themselves fetched with addressbook-multiget.
//
// Runs on any thread, blocking; the caller owns the client. A book that fails midway keeps what
// the previous sync had and the sync stops there, so nothing half-read is taken for the truth.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/outlook/sources/dav_client.h"

namespace platform::outlook::sources {

struct CardState {
  std::string href;  // the card's path on the server
  std::string etag;
  std::string vcard;
};

struct BookState {
  std::string url;
  std::string name;
  std::string sync_token;  // empty: the server offers none, or no sync has finished yet
  std::vector<CardState> cards;
};

// What a source knows after its last sync; the cache keeps it.
struct SourceSnapshot {
  std::vector<BookState> books;
};

struct BookChanges {
  std::string url;
  std::string name;
  bool gone = false;                 // the book is no longer on the server
  std::vector<CardState> upserts;    // new or changed cards
  std::vector<std::string> removed;  // hrefs
  bool empty() const { return !gone && upserts.empty() && removed.empty(); }
};

struct SyncOutcome {
  SourceSnapshot snapshot;  // the previous one where the sync did not get through
  std::vector<BookChanges> changes;
  DavFailure failure = DavFailure::kNone;
  std::string error;
  std::vector<std::string> notes;  // for the log: what was left out and why
  bool ok() const { return failure == DavFailure::kNone; }
};

struct SyncOptions {
  std::size_t multiget_batch = 100;
};

SyncOutcome SyncCardDav(DavClient& client, const std::string& server_url,
                        const SourceSnapshot& previous, SyncOptions options = {});

}  // namespace platform::outlook::sources
