// An address-book source's store in Outlook: one contact folder for each address book, one
// contact item for each card, kept in step with the sync's changes. New and changed cards raise
// the folder's ItemAdd and ItemChange; a card the server removed is moved into the store's
// "Deleted Items" (ItemAdd there) and then dropped for good, as a user's deletion would be.
//
// UI thread only. Changes wait in a queue and are applied a batch at a time, so a large sync
// never holds the UI thread for long; a card that does not read is skipped with one log line.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/outlook/sources/carddav_sync.h"

namespace platform::outlook {
class Folder;
class Item;
}  // namespace platform::outlook

namespace platform::outlook::sources {

class SourceStore {
 public:
  using Log = std::function<void(std::string_view)>;
  SourceStore(Folder& store, Log log);
  SourceStore(const SourceStore&) = delete;
  SourceStore& operator=(const SourceStore&) = delete;
  ~SourceStore();

  Folder& StoreFolder() const { return store_; }
  // Queues what a snapshot holds as additions (the cache at start-up).
  void QueueSnapshot(const SourceSnapshot& snapshot);
  void QueueChanges(std::vector<BookChanges> changes);
  // Applies up to `limit` queued cards, fewer once `enough` says so (asked after each card);
  // true while more are queued.
  bool ApplySome(std::size_t limit, const std::function<bool()>& enough = nullptr);
  bool Pending() const { return !queue_.empty(); }
  // Everything queued, at once.
  void ApplyAll() {
    while (ApplySome(1000)) {
    }
  }

  // The contact folder of an address book, nullptr before its first change was applied.
  Folder* BookFolder(const std::string& url) const;
  std::size_t CardCount() const { return items_.size(); }

 private:
  struct Work {
    enum Kind { kUpsert, kUpserts, kRemove, kBookGone } kind;
    std::string book_url, book_name;
    CardState card;                // kUpsert; kRemove: only the href
    std::vector<CardState> cards;  // kUpserts, applied from `next` on
    std::size_t next = 0;
  };
  Folder* FolderFor(const std::string& url, const std::string& name);
  void Upsert(const std::string& book_url, const std::string& book_name, const CardState& card);
  void Remove(const std::string& href);
  void DropBook(const std::string& url);

  Folder& store_;
  Log log_;
  std::deque<Work> queue_;
  std::map<std::string, Folder*> books_;                // url -> folder
  std::map<std::string, std::shared_ptr<Item>> items_;  // card href -> item
  std::map<std::string, std::string> item_books_;       // card href -> book url
};

}  // namespace platform::outlook::sources
