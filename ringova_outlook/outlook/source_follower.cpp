#include "ringova_outlook/outlook/source_follower.h"

#include "platform/outlook/application.h"

namespace ringova {

namespace ol = platform::outlook;

SourceFollower::SourceFollower(Handlers handlers) : handlers_(std::move(handlers)) {}

SourceFollower::~SourceFollower() = default;

void SourceFollower::FollowStores(ol::NameSpace& session) {
  for (ol::Folder* store : session.SourceStores()) FollowStore(*store);
  store_add_ = session.Folders().OnFolderAdd().Connect([this](ol::Folder* store) {
    if (store && store->IsSourceStore()) FollowStore(*store);
  });
}

void SourceFollower::FollowStore(ol::Folder& store) {
  if (stores_.contains(&store)) return;
  StoreEvents& events = stores_[&store];
  if (ol::Folder* deleted = store.Session().DeletedItemsFor(store)) {
    events.deleted_add = deleted->Items().OnItemAdd().Connect([this](const auto& item) {
      if (handlers_.deleted) handlers_.deleted(item);
    });
  }
  events.folder_add = store.Folders().OnFolderAdd().Connect([this](ol::Folder* folder) {
    if (handlers_.folder_added) handlers_.folder_added(folder);
  });
}

void SourceFollower::FollowFolder(ol::Folder& folder) {
  if (!folder.Store()->IsSourceStore() || folders_.contains(&folder)) return;
  ol::Items* items = &folder.Items();
  FolderEvents& events = folders_[&folder];
  auto pass_on = [this, items](const ItemHandler& handler) {
    return [this, items, &handler](const std::shared_ptr<ol::Item>& item) {
      if (handlers_.followed_elsewhere && handlers_.followed_elsewhere(items)) return;
      if (handler) handler(item);
    };
  };
  events.add = items->OnItemAdd().Connect(pass_on(handlers_.added));
  events.change = items->OnItemChange().Connect(pass_on(handlers_.changed));
}

bool SourceFollower::Follows(const ol::Folder& folder) const {
  return folders_.contains(&folder);
}

void SourceFollower::Clear() {
  store_add_.Disconnect();
  folders_.clear();
  stores_.clear();
}

}  // namespace ringova
