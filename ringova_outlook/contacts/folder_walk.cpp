// The directory's loads: counting and walking the Outlook folder tree.
#include <algorithm>
#include <string>

#include "platform/outlook/application.h"
#include "platform/outlook/text_util.h"
#include "ringova_outlook/contacts/contact_directory.h"
#include "ringova_outlook/contacts/contact_picker.h"
#include "ringova_outlook/contacts/contacts_log.h"
#include "ringova_outlook/contacts/progress_window.h"
#include "ringova_outlook/resources/string_table.h"

namespace ringova {
namespace {

using platform::outlook::ContainsIgnoreCase;
using platform::outlook::Folder;
using platform::outlook::olContactItem;

constexpr std::string_view kDeletedItems = "Deleted Items";
constexpr int kContactsLoadingText = 169;
constexpr int kCountLimit = PhoneRecordTable::kMaxRecords;

bool IsContactFolderWithItems(Folder& folder) {
  return folder.DefaultItemType() == olContactItem && folder.Items().Count() > 0;
}

std::string Failure(ContactsFailure failure, std::string_view description) {
  return std::string(FailureText(failure)) + std::string(description);
}

}  // namespace

struct ContactDirectory::Walk {
  bool selected = false;
  bool stop = false;  // the table is full, or Outlook went away
  bool full_logged = false;
};

void ContactDirectory::LoadAllContacts() {
  Load(false);
}

void ContactDirectory::LoadSelectedFolders() {
  Load(true);
}

void ContactDirectory::Load(bool selected) {
  if (outlook_ == nullptr || loading_) return;
  loading_ = true;
  const ContactsFailure failure =
      selected ? ContactsFailure::LoadSelectedFolders : ContactsFailure::LoadAllContacts;

  ClearContacts();
  if (!selected && picker_) picker_->btnCall.setEnabled(false);
  // A load that opens no progress window must not inherit the last one's Cancel.
  cancel_load_ = false;

  platform::outlook::NameSpace* session = outlook_->GetNamespace("MAPI");
  if (session == nullptr) {
    Log(Failure(failure, "the MAPI namespace is not available"));
  } else {
    platform::outlook::Folders& stores = session->Folders();
    int sum = 0;
    bool overflow = false;
    for (int i = 1; i <= stores.Count(); ++i) {
      if (Folder* store = stores.Item(i)) sum += CountFolders(*store, selected, overflow);
    }
    if (sum > kCountLimit) {
      sum = kCountLimit;
      overflow = true;
    }
    if (overflow) {
      Log(Failure(selected ? ContactsFailure::CalcSelFolders : ContactsFailure::CalculateContacts,
                  "Overflow: more than " + std::to_string(kCountLimit) +
                      " contacts, the count stops there"));
    }
    if (sum > 0) OpenProgress(static_cast<int16_t>(sum));

    Walk walk;
    walk.selected = selected;
    // Stores are looked up by position each time: the user's input runs during the walk.
    for (int i = 1; i <= stores.Count() && !walk.stop && outlook_ != nullptr; ++i) {
      if (Folder* store = stores.Item(i)) WalkFolders(*store, walk);
    }
  }

  if (cancel_load_) {
    ClearContacts();
    if (!selected) Log("Loading cancelled");
  }
  Log("Loaded " + std::to_string(RecordCount()) + " contacts");
  CloseProgress();
  loading_ = false;
}

void ContactDirectory::EnumerateFolders(Folder& folder) {
  Walk walk;
  WalkFolders(folder, walk);
}

void ContactDirectory::EnumerateSelFolders(Folder& folder) {
  Walk walk;
  walk.selected = true;
  WalkFolders(folder, walk);
}

void ContactDirectory::WalkFolders(Folder& folder, Walk& walk) {
  platform::outlook::Folders& subfolders = folder.Folders();
  for (int i = 1; i <= subfolders.Count(); ++i) {
    Folder* sub = subfolders.Item(i);
    if (sub == nullptr) break;
    if (ContainsIgnoreCase(sub->Name(), kDeletedItems)) continue;
    if (IsContactFolderWithItems(*sub)) {
      int times = 1;
      if (!walk.selected || IsSelected(sub->FolderPath(), &times)) {
        for (int t = 0; t < times; ++t) {
          platform::outlook::RestrictResult found = sub->Items().Restrict(RestrictFilter);
          if (!found.ok()) {
            Log(Failure(ContactsFailure::EnumerateFolders, found.error));
            return;
          }
          for (const auto& item : found.items) {
            if (item->TypeName() != "ContactItem") continue;
            if (cancel_load_ || walk.stop) return;
            LoadItem(item, walk);
          }
        }
      }
    }
    if (cancel_load_ || walk.stop) return;
    WalkFolders(*sub, walk);
  }
}

bool ContactDirectory::LoadItem(const std::shared_ptr<platform::outlook::Item>& item, Walk& walk) {
  if (records_.Full()) {
    if (!walk.full_logged) {
      Log("Contacts loading: the directory is full (" + std::to_string(kCountLimit) +
          " contacts); the remaining contacts are not loaded");
      walk.full_logged = true;
    }
    walk.stop = true;
    return false;
  }
  AddContactEntry(*item, false);
  if (progress_) progress_->Grow();
  if (outlook_ == nullptr) walk.stop = true;
  return true;
}

bool ContactDirectory::IsSelected(std::string_view path, int* times) const {
  *times = static_cast<int>(std::count(selected_paths_.begin(), selected_paths_.end(), path));
  return *times > 0;
}

// The counts are kept below the 16-bit limit at every level, so a sum can never wrap.
int16_t ContactDirectory::CountFolders(Folder& folder, bool selected, bool& overflow) {
  const ContactsFailure failure =
      selected ? ContactsFailure::CalcSelFolders : ContactsFailure::CalculateContacts;
  int sum = 0;
  platform::outlook::Folders& subfolders = folder.Folders();
  for (int i = 1; i <= subfolders.Count(); ++i) {
    Folder* sub = subfolders.Item(i);
    if (sub == nullptr) break;
    const bool deleted = selected ? ContainsIgnoreCase(sub->Name(), kDeletedItems)
                                  : sub->Name().find(kDeletedItems) != std::string::npos;
    if (deleted) continue;
    int times = 1;
    if (IsContactFolderWithItems(*sub) && (!selected || IsSelected(sub->FolderPath(), &times))) {
      platform::outlook::RestrictResult found = sub->Items().Restrict(RestrictFilter);
      if (found.ok())
        sum += times * found.items.Count();
      else
        Log(Failure(failure, found.error));
    }
    sum += CountFolders(*sub, selected, overflow);
    if (sum > kCountLimit) {
      sum = kCountLimit;
      overflow = true;
    }
  }
  return static_cast<int16_t>(sum);
}

int16_t ContactDirectory::CalculateContacts(Folder& folder) {
  bool overflow = false;
  const int16_t count = CountFolders(folder, false, overflow);
  if (overflow) Log(Failure(ContactsFailure::CalculateContacts, "Overflow"));
  return count;
}

int16_t ContactDirectory::CalcSelFolders(Folder& folder) {
  bool overflow = false;
  const int16_t count = CountFolders(folder, true, overflow);
  if (overflow) Log(Failure(ContactsFailure::CalcSelFolders, "Overflow"));
  return count;
}

void ContactDirectory::LoadFolderContacts(Folder& folder) {
  if (outlook_ == nullptr || loading_ || !IsContactFolderWithItems(folder)) return;
  platform::outlook::RestrictResult found = folder.Items().Restrict(RestrictFilter);
  if (!found.ok()) {
    Log(Failure(ContactsFailure::EnumerateFolders, found.error));
    return;
  }
  loading_ = true;
  cancel_load_ = false;
  const int total = std::min(found.items.Count(), kCountLimit);
  if (total > 0) OpenProgress(static_cast<int16_t>(total));
  Walk walk;
  for (const auto& item : found.items) {
    if (cancel_load_ || walk.stop) break;
    if (item->TypeName() == "ContactItem") LoadItem(item, walk);
  }
  CloseProgress();
  loading_ = false;
}

void ContactDirectory::OpenProgress(int16_t total) {
  CloseProgress();
  progress_ = std::make_unique<ProgressWindow>(*this);
  progress_->Start(LoadResString(kContactsLoadingText), total);
}

void ContactDirectory::CloseProgress() {
  if (!progress_) return;
  progress_->Close();
  progress_.reset();
}

}  // namespace ringova
