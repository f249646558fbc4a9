#pragma once
// Follows the address-book sources' contacts for the directory: the items of every source folder
// the directory has loaded, each source store's Deleted Items (a contact the server removed) and
// the address books a source gains. The mailbox's own folders are not its business.
//
// UI thread only; the handlers are called straight from Outlook's item events.
#include <functional>
#include <map>
#include <memory>

#include "platform/outlook/signal.h"

namespace platform::outlook {
class Folder;
class Item;
class Items;
class NameSpace;
}  // namespace platform::outlook

namespace ringova {

class SourceFollower {
 public:
  using ItemHandler = std::function<void(const std::shared_ptr<platform::outlook::Item>&)>;
  struct Handlers {
    ItemHandler added, changed, deleted;
    std::function<void(platform::outlook::Folder*)> folder_added;
    // True while these items are followed some other way (the folder being shown), so no event
    // is handled twice.
    std::function<bool(const platform::outlook::Items*)> followed_elsewhere;
  };

  explicit SourceFollower(Handlers handlers);
  SourceFollower(const SourceFollower&) = delete;
  SourceFollower& operator=(const SourceFollower&) = delete;
  ~SourceFollower();

  // Every source store of the namespace now and those added later.
  void FollowStores(platform::outlook::NameSpace& session);
  // A folder the directory loaded; ignored unless it belongs to a source store.
  void FollowFolder(platform::outlook::Folder& folder);
  // The loaded folders are no longer followed (a new load begins); the stores still are.
  void ForgetFolders() { folders_.clear(); }
  void Clear();

  bool Follows(const platform::outlook::Folder& folder) const;

 private:
  struct FolderEvents {
    platform::outlook::Connection add, change;
  };
  struct StoreEvents {
    platform::outlook::Connection deleted_add, folder_add;
  };
  void FollowStore(platform::outlook::Folder& store);

  Handlers handlers_;
  std::map<const platform::outlook::Folder*, FolderEvents> folders_;
  std::map<const platform::outlook::Folder*, StoreEvents> stores_;
  platform::outlook::Connection store_add_;
};

}  // namespace ringova
