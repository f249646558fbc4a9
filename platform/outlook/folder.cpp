#include "platform/outlook/folder.h"

#include <algorithm>

#include "platform/outlook/application.h"
#include "platform/outlook/restrict_filter.h"
#include "platform/outlook/text_util.h"

namespace platform::outlook {

Items::~Items() {
  // Items may outlive their folder through other holders; they must not point back into it.
  for (auto& item : items_) {
    item->parent_ = nullptr;
    item->saved_ = false;
  }
}

std::shared_ptr<Item> Items::Item(int index) const {
  if (index < 1 || index > Count()) return nullptr;
  return items_[index - 1];
}

std::shared_ptr<Item> Items::Add(int type) {
  const int kind = type < 0 ? folder_.DefaultItemType() : type;
  auto item = CreateItemOfType(static_cast<OlItemType>(kind), folder_.Session().link());
  if (item) item->parent_ = &folder_;
  return item;
}

RestrictResult Items::Restrict(std::string_view filter) const {
  RestrictResult result;
  RestrictFilter compiled = RestrictFilter::Parse(filter, &result.error);
  if (!compiled.Valid()) return result;
  std::vector<std::shared_ptr<outlook::Item>> matching;
  for (const auto& item : items_)
    if (compiled.Matches(*item)) matching.push_back(item);
  result.items = ItemList(std::move(matching));
  return result;
}

void Items::Insert(const std::shared_ptr<outlook::Item>& item) {
  items_.push_back(item);
  item_add_.Emit(item);
}

void Items::Remove(const outlook::Item& item) {
  std::erase_if(items_, [&item](const auto& held) { return held.get() == &item; });
  item_remove_.Emit();
}

Folders::~Folders() = default;

Folder* Folders::Item(int index) const {
  if (index < 1 || index > Count()) return nullptr;
  return folders_[index - 1].get();
}

Folder* Folders::Item(std::string_view name) const {
  for (const auto& folder : folders_)
    if (EqualsIgnoreCase(folder->Name(), name)) return folder.get();
  return nullptr;
}

Folder* Folders::Add(std::string name, int type) {
  if (name.empty() || Item(name)) return nullptr;
  const int kind = type >= 0 ? type : (owner_ ? owner_->DefaultItemType() : olMailItem);
  auto folder =
      std::make_unique<Folder>(session_, owner_, std::move(name), kind, session_.NewEntryId());
  return Adopt(std::move(folder));
}

Folder* Folders::Adopt(std::unique_ptr<Folder> folder) {
  Folder* raw = folder.get();
  raw->parent_ = owner_;
  folders_.push_back(std::move(folder));
  folder_add_.Emit(raw);
  return raw;
}

std::unique_ptr<Folder> Folders::Release(Folder* folder) {
  auto it = std::find_if(folders_.begin(), folders_.end(),
                         [folder](const auto& held) { return held.get() == folder; });
  if (it == folders_.end()) return nullptr;
  std::unique_ptr<Folder> released = std::move(*it);
  folders_.erase(it);
  folder_remove_.Emit();
  return released;
}

Folder::Folder(NameSpace& session, Folder* parent, std::string name, int default_item_type,
               std::string entry_id)
    : session_(session),
      parent_(parent),
      name_(std::move(name)),
      default_item_type_(default_item_type),
      entry_id_(std::move(entry_id)),
      folders_(session, this) {}

std::string Folder::FolderPath() const {
  if (!parent_) return "\\\\" + name_;
  return parent_->FolderPath() + "\\" + name_;
}

Folder* Folder::Store() {
  Folder* store = this;
  while (store->parent_) store = store->parent_;
  return store;
}

bool Folder::IsWithin(const Folder* ancestor) const {
  for (const Folder* f = this; f; f = f->parent_)
    if (f == ancestor) return true;
  return false;
}

bool Folder::MoveTo(Folder* destination) {
  if (!destination || !parent_ || destination == parent_ || destination->IsWithin(this) ||
      destination->Folders().Item(name_))
    return false;
  std::unique_ptr<Folder> self = parent_->Folders().Release(this);
  if (!self) return false;
  destination->Folders().Adopt(std::move(self));
  return true;
}

bool Folder::Delete() {
  Folder* deleted = session_.DeletedItemsFor(*this);
  if (!deleted || !parent_ || IsWithin(deleted) || deleted->IsWithin(this) ||
      session_.IsDefaultFolder(this))
    return false;
  return MoveTo(deleted);
}

}  // namespace platform::outlook
