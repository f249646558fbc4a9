#include "platform/outlook/sources/carddav_sync.h"

#include <algorithm>
#include <map>
#include <set>

#include "platform/outlook/sources/multistatus.h"
#include "telvane/xmlrpc/xmlrpc_escape.h"

namespace platform::outlook::sources {
namespace {

constexpr std::string_view kXmlHead = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";

std::string Escaped(std::string_view text) {
  std::string out;
  telvane::appendEscaped(out, text);
  return out;
}

std::string DiscoveryBody() {
  return std::string(kXmlHead) +
         "<D:propfind xmlns:D=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:carddav\"><D:prop>"
         "<D:current-user-principal/><C:addressbook-home-set/><D:resourcetype/><D:displayname/>"
         "</D:prop></D:propfind>";
}

std::string EtagsBody() {
  return std::string(kXmlHead) +
         "<D:propfind xmlns:D=\"DAV:\"><D:prop><D:resourcetype/><D:getetag/></D:prop>"
         "</D:propfind>";
}

std::string SyncCollectionBody(std::string_view token) {
  return std::string(kXmlHead) + "<D:sync-collection xmlns:D=\"DAV:\"><D:sync-token>" +
         Escaped(token) +
         "</D:sync-token><D:sync-level>1</D:sync-level><D:prop><D:getetag/></D:prop>"
         "</D:sync-collection>";
}

std::string MultigetBody(const std::vector<std::string>& hrefs) {
  std::string body = std::string(kXmlHead) +
                     "<C:addressbook-multiget xmlns:D=\"DAV:\" "
                     "xmlns:C=\"urn:ietf:params:xml:ns:carddav\"><D:prop><D:getetag/>"
                     "<C:address-data/></D:prop>";
  for (const auto& href : hrefs) body += "<D:href>" + Escaped(href) + "</D:href>";
  return body + "</C:addressbook-multiget>";
}

struct Step {
  Multistatus value;
  DavFailure failure = DavFailure::kNone;
  std::string error;
  int status = 0;
  std::string url;
};

Step Ask(DavClient& client, std::string method, const std::string& url, std::string body,
         int depth) {
  Step step;
  DavAnswer answer = client.Send({std::move(method), url, std::move(body), depth});
  step.status = answer.status;
  step.url = answer.url;
  if (!answer.ok()) {
    step.failure = answer.failure;
    step.error = std::move(answer.error);
    return step;
  }
  MultistatusParse parsed = ParseMultistatus(answer.body);
  if (!parsed.ok()) {
    step.failure = DavFailure::kStatus;
    step.error = "the answer from " + answer.url + " does not read: " + parsed.error;
    return step;
  }
  step.value = std::move(parsed.value);
  return step;
}

// Stops everything: a retry cannot help, or the user must act.
bool Fatal(const Step& step) {
  return step.failure == DavFailure::kAuthentication || step.failure == DavFailure::kTls ||
         step.failure == DavFailure::kNetwork || step.failure == DavFailure::kTooLarge ||
         step.failure == DavFailure::kRedirect || step.failure == DavFailure::kCancelled;
}

std::string LastSegment(const std::string& path) {
  std::string trimmed = path;
  while (!trimmed.empty() && trimmed.back() == '/') trimmed.pop_back();
  const std::size_t slash = trimmed.rfind('/');
  return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

bool SamePath(const std::string& a, const std::string& b) {
  auto strip = [](std::string s) {
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return s;
  };
  return strip(a) == strip(b);
}

struct Discovery {
  std::vector<BookState> books;  // url and name only
  Step failed;
};

Discovery ListBooks(DavClient& client, const std::string& home) {
  Discovery found;
  Step step = Ask(client, "PROPFIND", home, DiscoveryBody(), 1);
  if (step.failure != DavFailure::kNone) {
    found.failed = std::move(step);
    return found;
  }
  for (const DavResponse& r : step.value.responses) {
    if (!r.properties.address_book || r.hrefs.empty()) continue;
    BookState book;
    book.url = ResolveUrl(step.url, r.hrefs.front());
    book.name = r.properties.display_name.value_or("");
    if (book.name.empty()) book.name = LastSegment(UrlPath(book.url));
    found.books.push_back(std::move(book));
  }
  return found;
}

Discovery Discover(DavClient& client, const std::string& server_url) {
  std::vector<std::string> candidates;
  const std::string path = UrlPath(server_url);
  if (path.empty() || path == "/")
    candidates.push_back(ResolveUrl(server_url, "/.well-known/carddav"));
  candidates.push_back(server_url);

  Step last;
  for (const std::string& candidate : candidates) {
    Step step = Ask(client, "PROPFIND", candidate, DiscoveryBody(), 0);
    if (step.failure != DavFailure::kNone) {
      if (Fatal(step) && step.failure != DavFailure::kRedirect) return {{}, std::move(step)};
      last = std::move(step);
      continue;
    }
    const DavResponse* self = step.value.responses.empty() ? nullptr : &step.value.responses[0];
    if (self && self->properties.address_book) return ListBooks(client, step.url);
    std::string home;
    if (self && !self->properties.address_book_home_set.empty()) {
      home = ResolveUrl(step.url, self->properties.address_book_home_set.front());
    } else if (self && !self->properties.current_user_principal.empty()) {
      const std::string principal =
          ResolveUrl(step.url, self->properties.current_user_principal.front());
      Step asked = Ask(client, "PROPFIND", principal, DiscoveryBody(), 0);
      if (asked.failure != DavFailure::kNone) return {{}, std::move(asked)};
      const DavResponse* p = asked.value.responses.empty() ? nullptr : &asked.value.responses[0];
      home = p && !p->properties.address_book_home_set.empty()
                 ? ResolveUrl(asked.url, p->properties.address_book_home_set.front())
                 : principal;
    } else {
      home = step.url;
    }
    return ListBooks(client, home);
  }
  if (last.error.empty()) last.error = "no address book was found at " + server_url;
  if (last.failure == DavFailure::kNone) last.failure = DavFailure::kStatus;
  return {{}, std::move(last)};
}

// The members of a book and their ETags, as the server has them now.
struct Listing {
  std::map<std::string, std::string> etags;  // href -> etag
  std::set<std::string> removed;             // sync-collection only
  std::string token;
  bool incremental = false;  // only the changes since the token
  Step failed;
};

void ReadMembers(const Step& step, const BookState& book, Listing& listing) {
  const std::string book_path = UrlPath(book.url);
  for (const DavResponse& r : step.value.responses) {
    for (const std::string& href : r.hrefs) {
      const std::string path = UrlPath(ResolveUrl(step.url, href));
      if (SamePath(path, book_path)) continue;
      if (r.status == 404) {
        listing.removed.insert(path);
      } else if (!r.properties.collection && r.properties.etag) {
        listing.etags[path] = *r.properties.etag;
      }
    }
  }
}

Listing ListMembers(DavClient& client, const BookState& book, const BookState* previous) {
  Listing listing;
  const std::string token = previous ? previous->sync_token : std::string();
  Step step = Ask(client, "REPORT", book.url, SyncCollectionBody(token), 0);
  if (step.failure != DavFailure::kNone && !token.empty() && !Fatal(step)) {
    // The token is no longer valid: start again from nothing.
    step = Ask(client, "REPORT", book.url, SyncCollectionBody(""), 0);
    if (step.failure == DavFailure::kNone) {
      ReadMembers(step, book, listing);
      listing.token = step.value.sync_token.value_or("");
      return listing;
    }
  }
  if (step.failure == DavFailure::kNone) {
    ReadMembers(step, book, listing);
    listing.token = step.value.sync_token.value_or("");
    listing.incremental = !token.empty();
    return listing;
  }
  if (Fatal(step)) {
    listing.failed = std::move(step);
    return listing;
  }
  // No sync-collection here: the ETags tell what changed.
  step = Ask(client, "PROPFIND", book.url, EtagsBody(), 1);
  if (step.failure != DavFailure::kNone) {
    listing.failed = std::move(step);
    return listing;
  }
  ReadMembers(step, book, listing);
  return listing;
}

}  // namespace

SyncOutcome SyncCardDav(DavClient& client, const std::string& server_url,
                        const SourceSnapshot& previous, SyncOptions options) {
  SyncOutcome outcome;
  outcome.snapshot = previous;
  Discovery discovery = Discover(client, server_url);
  if (discovery.failed.failure != DavFailure::kNone) {
    outcome.failure = discovery.failed.failure;
    outcome.error = std::move(discovery.failed.error);
    return outcome;
  }

  std::map<std::string, const BookState*> known;
  for (const BookState& book : previous.books) known[book.url] = &book;
  SourceSnapshot next;
  std::set<std::string> seen_books;

  for (std::size_t b = 0; b < discovery.books.size(); ++b) {
    BookState book = discovery.books[b];
    seen_books.insert(book.url);
    const auto found = known.find(book.url);
    const BookState* before = found == known.end() ? nullptr : found->second;
    Listing listing = ListMembers(client, book, before);
    if (listing.failed.failure != DavFailure::kNone) {
      outcome.failure = listing.failed.failure;
      outcome.error = std::move(listing.failed.error);
      // Books not reached keep what they had.
      for (std::size_t rest = b; rest < discovery.books.size(); ++rest) {
        auto it = known.find(discovery.books[rest].url);
        if (it != known.end()) next.books.push_back(*it->second);
        seen_books.insert(discovery.books[rest].url);
      }
      break;
    }

    std::map<std::string, CardState> cards;
    if (before)
      for (const CardState& card : before->cards) cards[card.href] = card;
    BookChanges changes;
    changes.url = book.url;
    changes.name = book.name;
    std::vector<std::string> wanted;
    for (const auto& [href, etag] : listing.etags) {
      auto it = cards.find(href);
      if (it == cards.end() || it->second.etag != etag) wanted.push_back(href);
    }
    if (listing.incremental) {
      for (const std::string& href : listing.removed) {
        if (cards.erase(href)) changes.removed.push_back(href);
      }
    } else {
      for (auto it = cards.begin(); it != cards.end();) {
        if (!listing.etags.contains(it->first)) {
          changes.removed.push_back(it->first);
          it = cards.erase(it);
        } else {
          ++it;
        }
      }
    }

    bool failed = false;
    for (std::size_t at = 0; at < wanted.size() && !failed; at += options.multiget_batch) {
      const std::size_t end = std::min(wanted.size(), at + options.multiget_batch);
      std::vector<std::string> batch(wanted.begin() + static_cast<std::ptrdiff_t>(at),
                                     wanted.begin() + static_cast<std::ptrdiff_t>(end));
      Step got = Ask(client, "REPORT", book.url, MultigetBody(batch), 1);
      if (got.failure != DavFailure::kNone) {
        outcome.failure = got.failure;
        outcome.error = std::move(got.error);
        failed = true;
        break;
      }
      for (const DavResponse& r : got.value.responses) {
        if (r.hrefs.empty() || !r.properties.address_data) continue;
        CardState card;
        card.href = UrlPath(ResolveUrl(got.url, r.hrefs.front()));
        card.etag = r.properties.etag.value_or(listing.etags[card.href]);
        card.vcard = *r.properties.address_data;
        cards[card.href] = card;
        changes.upserts.push_back(std::move(card));
      }
    }
    if (failed) {
      if (before) next.books.push_back(*before);
      for (std::size_t rest = b + 1; rest < discovery.books.size(); ++rest) {
        auto it = known.find(discovery.books[rest].url);
        if (it != known.end()) next.books.push_back(*it->second);
        seen_books.insert(discovery.books[rest].url);
      }
      break;
    }

    book.sync_token = listing.token;
    for (auto& [href, card] : cards) book.cards.push_back(std::move(card));
    next.books.push_back(std::move(book));
    if (!changes.empty() || !before) outcome.changes.push_back(std::move(changes));
  }

  if (outcome.ok()) {
    for (const BookState& book : previous.books) {
      if (seen_books.contains(book.url)) continue;
      BookChanges gone;
      gone.url = book.url;
      gone.name = book.name;
      gone.gone = true;
      outcome.changes.push_back(std::move(gone));
    }
  }
  outcome.snapshot = std::move(next);
  if (!outcome.ok()) {
    // Books the sync had not listed yet stay as they were.
    for (const BookState& book : previous.books)
      if (!seen_books.contains(book.url)) outcome.snapshot.books.push_back(book);
  }
  return outcome;
}

}  // namespace platform::outlook::sources
