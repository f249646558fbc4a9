// Folders of the MAPI namespace: a folder's Items (with ItemAdd, ItemChange, ItemRemove and
// Restrict) and its sub-folders (with FolderAdd and FolderRemove).
//
// Folders are owned by their parent's Folders collection; a Folder* stays valid for the life of the
// application, also after the folder was moved (MoveTo keeps the same object). Indexes start at 1.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/outlook/item.h"
#include "platform/outlook/signal.h"

namespace platform::outlook {

class Folder;
class NameSpace;

struct RestrictResult {
  ItemList items;
  std::string error;  // empty when the filter was understood
  bool ok() const { return error.empty(); }
};

class Items {
 public:
  explicit Items(Folder& folder) : folder_(folder) {}
  Items(const Items&) = delete;
  Items& operator=(const Items&) = delete;
  ~Items();

  int Count() const { return static_cast<int>(items_.size()); }
  std::shared_ptr<outlook::Item> Item(int index) const;
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

  // A new, unsaved item of this folder; type -1 takes the folder's default item type. It joins
  // the collection (and raises ItemAdd) when it is saved.
  std::shared_ptr<outlook::Item> Add(int type = -1);

  // The items that satisfy the filter, in collection order; an unsupported filter gives an error.
  RestrictResult Restrict(std::string_view filter) const;

  Event<const std::shared_ptr<outlook::Item>&>& OnItemAdd() { return item_add_; }
  Event<const std::shared_ptr<outlook::Item>&>& OnItemChange() { return item_change_; }
  Event<>& OnItemRemove() { return item_remove_; }

 private:
  friend class outlook::Item;
  void Insert(const std::shared_ptr<outlook::Item>& item);  // raises ItemAdd
  void Changed(const std::shared_ptr<outlook::Item>& item) { item_change_.Emit(item); }
  void Remove(const outlook::Item& item);  // raises ItemRemove

  Folder& folder_;
  std::vector<std::shared_ptr<outlook::Item>> items_;
  Signal<const std::shared_ptr<outlook::Item>&> item_add_;
  Signal<const std::shared_ptr<outlook::Item>&> item_change_;
  Signal<> item_remove_;
};

class Folders {
 public:
  Folders(NameSpace& session, Folder* owner) : session_(session), owner_(owner) {}
  Folders(const Folders&) = delete;
  Folders& operator=(const Folders&) = delete;
  ~Folders();

  int Count() const { return static_cast<int>(folders_.size()); }
  Folder* Item(int index) const;
  Folder* Item(std::string_view name) const;  // ignoring letter case

  // A new sub-folder (FolderAdd); type -1 takes the parent's default item type. nullptr when the
  // name is empty or already taken here.
  Folder* Add(std::string name, int type = -1);

  Event<Folder*>& OnFolderAdd() { return folder_add_; }
  Event<>& OnFolderRemove() { return folder_remove_; }

 private:
  friend class Folder;
  Folder* Adopt(std::unique_ptr<Folder> folder);    // raises FolderAdd
  std::unique_ptr<Folder> Release(Folder* folder);  // raises FolderRemove

  NameSpace& session_;
  Folder* owner_;  // nullptr for the stores of the namespace
  std::vector<std::unique_ptr<Folder>> folders_;
  Signal<Folder*> folder_add_;
  Signal<> folder_remove_;
};

class Folder {
 public:
  Folder(NameSpace& session, Folder* parent, std::string name, int default_item_type,
         std::string entry_id);
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;

  const std::string& Name() const { return name_; }
  const std::string& EntryId() const { return entry_id_; }
  // "\\Store\Parent\Name".
  std::string FolderPath() const;
  int DefaultItemType() const { return default_item_type_; }
  outlook::Items& Items() { return items_; }
  outlook::Folders& Folders() { return folders_; }
  Folder* Parent() const { return parent_; }  // nullptr for a store
  // The top-level folder this one is in (itself for a store).
  Folder* Store();
  // A store whose contacts a server keeps (NameSpace::AddSourceStore).
  bool IsSourceStore() const { return source_store_; }
  // The state a source store shows in the explorer: its last sync, or why it failed.
  const std::string& StoreState() const { return store_state_; }
  void SetStoreState(std::string state) { store_state_ = std::move(state); }
  NameSpace& Session() const { return session_; }

  bool IsWithin(const Folder* ancestor) const;  // itself or below
  // Moves the folder under another one (FolderRemove here, FolderAdd there). Refused for a
  // store, into itself or below itself, or when the name is taken there.
  bool MoveTo(Folder* destination);
  // Moves the folder to Deleted Items; refused for stores, default folders and folders already
  // there.
  bool Delete();

 private:
  friend class outlook::Folders;
  friend class outlook::NameSpace;
  NameSpace& session_;
  Folder* parent_;
  std::string name_;
  int default_item_type_;
  std::string entry_id_;
  outlook::Items items_{*this};
  outlook::Folders folders_;
  bool source_store_ = false;
  std::string store_state_;
};

}  // namespace platform::outlook
