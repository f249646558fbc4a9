// Connect: Outlook's contact changes passed on to the contact directory.
#include <algorithm>
#include <exception>

#include "platform/outlook/application.h"
#include "platform/outlook/folder.h"
#include "platform/outlook/item.h"
#include "platform/shell/shell.h"
#include "ringova_outlook/contacts/contact_name_list.h"
#include "ringova_outlook/outlook/addin_parts.h"
#include "ringova_outlook/outlook/connect.h"
#include "ringova_outlook/outlook/menu_texts.h"
#include "ringova_outlook/outlook/source_follower.h"
#include "ringova_outlook/resources/string_table.h"

namespace ringova {

namespace ol = platform::outlook;

void Connect::WatchContactItems(ol::Items* items) {
  act_ol_items_ = items;
  if (!items) {
    item_add_.Disconnect();
    item_change_.Disconnect();
    return;
  }
  item_add_ = items->OnItemAdd().Connect([this](const auto& item) { ContactAdded(item); });
  item_change_ = items->OnItemChange().Connect([this](const auto& item) { ContactChanged(item); });
}

bool Connect::ContactLoadingOn() const {
  if (!parts_) return false;
  const AddinSettings& s = parts_->Main().Settings();
  return s.FillContacts || s.LoadSelectedFolders;
}

void Connect::ContactAdded(const std::shared_ptr<ol::Item>& item) {
  try {
    if (!item || !ContactLoadingOn()) return;
    ContactDirectory& directory = parts_->Directory();
    if (directory.PhoneIsExist(item.get())) directory.AddContactEntry(*item, false);
  } catch (const std::exception&) {
  }
}

void Connect::ContactChanged(const std::shared_ptr<ol::Item>& item) {
  try {
    if (!item || !ContactLoadingOn() || item->ItemType() != ol::olContactItem) return;
    ContactDirectory& directory = parts_->Directory();
    ContactNameList& names = directory.Names();
    int16_t index = -1;
    const bool had_record = directory.FindPhoneRecord(item->EntryId(), index, true);
    if (!directory.PhoneIsExist(item.get())) {
      if (!had_record) return;
      const int16_t position = GetItemByGlIndex(index, names);
      if (position >= 0) names.RemoveItem(position);
      directory.UpdatePhoneRecords(kRemoveRecord, *item);
    } else if (had_record) {
      const int16_t position = GetItemByGlIndex(index, names);
      if (position >= 0) names.SetItemText(position, item->GetProperty("FullName").value_or(""));
      directory.UpdatePhoneRecords(kUpdateRecord, *item);
    } else {
      directory.AddContactEntry(*item, true);
    }
  } catch (const std::exception& e) {
    Log(std::string("actOlItems_ItemChange:Error ") + e.what());
  }
}

void Connect::ContactDeleted(const std::shared_ptr<ol::Item>& item) {
  try {
    if (!item || !ContactLoadingOn() || item->ItemType() != ol::olContactItem) return;
    ContactDirectory& directory = parts_->Directory();
    int16_t index = -1;
    const bool had_record = directory.FindPhoneRecord(item->EntryId(), index, true);
    directory.UpdatePhoneRecords(kRemoveRecord, *item);
    // The entry of that record (by its item data), so a namesake keeps its own; a contact that
    // had no record (no number) has no entry.
    if (!had_record) return;
    ContactNameList& names = directory.Names();
    const int position = GetItemByGlIndex(index, names);
    if (position >= 0) names.RemoveItem(position);
  } catch (const std::exception& e) {
    Log(std::string("deletedOlItems_ItemAdd: Error ") + e.what());
  }
}

void Connect::FollowSources(ol::NameSpace& mapi) {
  if (!parts_) return;
  if (!sources_) {
    SourceFollower::Handlers handlers;
    handlers.added = [this](const auto& item) { SourceItemChanged(item, false); };
    handlers.changed = [this](const auto& item) { SourceItemChanged(item, false); };
    handlers.deleted = [this](const auto& item) { SourceItemChanged(item, true); };
    handlers.folder_added = [this](ol::Folder* folder) { SourceFolderAdded(folder); };
    handlers.followed_elsewhere = [this](const ol::Items* items) { return items == act_ol_items_; };
    sources_ = std::make_unique<SourceFollower>(std::move(handlers));
  }
  sources_->Clear();
  source_changes_.clear();
  sources_->FollowStores(mapi);
  SourceFollower* follower = sources_.get();
  parts_->Directory().SetLoadObserver({
      .started = [follower] { follower->ForgetFolders(); },
      .folder_loaded = [follower](ol::Folder& folder) { follower->FollowFolder(folder); },
      .finished = [this] { ReplaySourceChanges(); },
  });
}

// An addition is handled as a change: a record it already has is updated, not added twice.
void Connect::SourceItemChanged(const std::shared_ptr<ol::Item>& item, bool deleted) {
  if (!item || !parts_) return;
  if (parts_->Directory().Loading()) {
    source_changes_.emplace_back(deleted, item);
    return;
  }
  if (deleted) {
    ContactDeleted(item);
  } else {
    ContactChanged(item);
  }
}

void Connect::ReplaySourceChanges() {
  std::vector<std::pair<bool, std::shared_ptr<ol::Item>>> pending;
  pending.swap(source_changes_);
  for (const auto& [deleted, item] : pending) SourceItemChanged(item, deleted);
}

// A new address book arrives empty and fills afterwards, so it is followed at once; a load of
// selected folders takes it only when it was selected.
void Connect::SourceFolderAdded(ol::Folder* folder) {
  if (!folder || !sources_ || !parts_ || folder->DefaultItemType() != ol::olContactItem) return;
  ContactDirectory& directory = parts_->Directory();
  if (parts_->Main().Settings().LoadSelectedFolders) {
    const auto& paths = directory.SelectedFolderPaths();
    if (std::find(paths.begin(), paths.end(), folder->FolderPath()) == paths.end()) return;
  }
  sources_->FollowFolder(*folder);
  ContactFolderAdded(folder);
}

void Connect::ContactFolderAdded(ol::Folder* folder) {
  try {
    if (!folder || !ContactLoadingOn() || folder->DefaultItemType() != ol::olContactItem ||
        folder->Items().Count() == 0) {
      return;
    }
    parts_->Directory().LoadFolderContacts(*folder);
  } catch (const std::exception& e) {
    Log(std::string("contactFolders_FolderAdd: Error ") + e.what());
  }
}

void Connect::DeletedFolderAdded(ol::Folder* folder) {
  try {
    if (!folder || !ContactLoadingOn() || folder->DefaultItemType() != ol::olContactItem ||
        folder->Items().Count() == 0) {
      return;
    }
    const auto answer = parts_->Host().shell.messageBox(
        std::string(LoadResString(kTextReloadContacts)), "Ringova",
        platform::shell::MsgBoxButtons::YesNo, platform::shell::MsgBoxIcon::Question);
    if (answer != platform::shell::MsgBoxResult::Yes) return;
    ContactDirectory& directory = parts_->Directory();
    if (parts_->Main().Settings().LoadSelectedFolders) {
      directory.LoadSelectedFolders();
    } else {
      directory.LoadAllContacts();
    }
  } catch (const std::exception&) {
  }
}

}  // namespace ringova
