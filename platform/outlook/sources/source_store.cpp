#include "platform/outlook/sources/source_store.h"

#include "platform/outlook/application.h"
#include "platform/outlook/text_util.h"
#include "platform/outlook/vcard_import.h"

namespace platform::outlook::sources {

SourceStore::SourceStore(Folder& store, Log log) : store_(store), log_(std::move(log)) {}

SourceStore::~SourceStore() = default;

void SourceStore::QueueSnapshot(const SourceSnapshot& snapshot) {
  for (const BookState& book : snapshot.books) {
    if (book.cards.empty()) queue_.push_back({Work::kUpsert, book.url, book.name, {}});
    for (const CardState& card : book.cards)
      queue_.push_back({Work::kUpsert, book.url, book.name, card});
  }
}

void SourceStore::QueueChanges(std::vector<BookChanges> changes) {
  for (BookChanges& book : changes) {
    if (book.gone) {
      queue_.push_back({Work::kBookGone, book.url, book.name, {}});
      continue;
    }
    for (std::string& href : book.removed)
      queue_.push_back({Work::kRemove, book.url, book.name, {std::move(href), {}, {}}});
    if (book.upserts.empty() && book.removed.empty())
      queue_.push_back({Work::kUpsert, book.url, book.name, {}});
    // One entry for all of a book's cards: a large sync is queued without a copy per card.
    if (!book.upserts.empty())
      queue_.push_back({Work::kUpserts, book.url, book.name, {}, std::move(book.upserts)});
  }
}

bool SourceStore::ApplySome(std::size_t limit, const std::function<bool()>& enough) {
  for (std::size_t n = 0; n < limit && !queue_.empty(); ++n) {
    if (Work& front = queue_.front(); front.kind == Work::kUpserts) {
      // Each card is freed as it is applied, not all at once at the end.
      const CardState card = std::move(front.cards[front.next]);
      Upsert(front.book_url, front.book_name, card);
      if (++front.next == front.cards.size()) queue_.pop_front();
      if (enough && enough()) break;
      continue;
    }
    Work work = std::move(queue_.front());
    queue_.pop_front();
    switch (work.kind) {
      case Work::kUpserts:
        break;
      case Work::kUpsert:
        Upsert(work.book_url, work.book_name, work.card);
        break;
      case Work::kRemove:
        Remove(work.card.href);
        break;
      case Work::kBookGone:
        DropBook(work.book_url);
        break;
    }
    if (enough && enough()) break;
  }
  return !queue_.empty();
}

Folder* SourceStore::BookFolder(const std::string& url) const {
  const auto it = books_.find(url);
  return it == books_.end() ? nullptr : it->second;
}

Folder* SourceStore::FolderFor(const std::string& url, const std::string& name) {
  if (Folder* known = BookFolder(url)) return known;
  // Two books of one name stay apart; "Deleted Items" is the store's own.
  std::string wanted =
      name.empty() || EqualsIgnoreCase(name, kDeletedItemsName) ? std::string("Contacts") : name;
  std::string candidate = wanted;
  for (int n = 2; store_.Folders().Item(candidate); ++n)
    candidate = wanted + " (" + std::to_string(n) + ")";
  Folder* folder = store_.Folders().Add(candidate, olContactItem);
  books_[url] = folder;
  return folder;
}

void SourceStore::Upsert(const std::string& book_url, const std::string& book_name,
                         const CardState& card) {
  Folder* folder = FolderFor(book_url, book_name);
  if (!folder || card.href.empty()) return;
  VCardParse parsed = ParseVCards(card.vcard, card.href);
  if (!parsed.ok() || parsed.contacts.size() != 1) {
    log_("Source " + store_.Name() + ": the card " + card.href + " is skipped: " +
         (parsed.ok()
              ? std::string("it holds ") + std::to_string(parsed.contacts.size()) + " contacts"
              : parsed.error));
    return;
  }
  const VCardContact& contact = parsed.contacts.front();
  auto it = items_.find(card.href);
  std::shared_ptr<Item> item;
  if (it == items_.end()) {
    item = folder->Items().Add(olContactItem);
    if (!item) return;
  } else {
    item = it->second;
    // What the card no longer says goes too.
    for (std::string_view name : item->PropertyNames()) {
      if (EqualsIgnoreCase(name, "EntryID") || EqualsIgnoreCase(name, "MessageClass")) continue;
      item->SetProperty(name, std::string());
    }
  }
  for (const auto& [name, value] : contact.properties) item->SetProperty(name, value);
  if (!item->Save()) return;
  items_[card.href] = item;
  item_books_[card.href] = book_url;
}

void SourceStore::Remove(const std::string& href) {
  auto it = items_.find(href);
  if (it == items_.end()) return;
  std::shared_ptr<Item> item = std::move(it->second);
  items_.erase(it);
  item_books_.erase(href);
  if (item->Delete()) item->Delete();  // into Deleted Items, then for good
}

void SourceStore::DropBook(const std::string& url) {
  std::vector<std::string> hrefs;
  for (const auto& [href, book] : item_books_)
    if (book == url) hrefs.push_back(href);
  for (const std::string& href : hrefs) Remove(href);
  if (Folder* folder = BookFolder(url)) folder->Delete();
  books_.erase(url);
}

}  // namespace platform::outlook::sources
