// The directory's loads: counting and walking the Outlook folder tree.
#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

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

}  // namespace

struct ContactDirectory::Walk {
  bool selected = false;
  bool stop = false;  // the table is full, or Outlook went away
  bool full_logged = false;
  const Folder* source = nullptr;  // the source store being walked, nullptr in the mailbox
};

namespace {

std::string FullLine(std::string_view rest) {
  return "Contacts loading: the directory is full (" + std::to_string(kCountLimit) +
         " contacts); " + std::string(rest);
}

// The mailbox's stores keep their order ahead of every source store.
std::vector<Folder*> StoresInLoadOrder(platform::outlook::Folders& stores) {
  std::vector<Folder*> ordered;
  for (int pass = 0; pass < 2; ++pass) {
    for (int i = 1; i <= stores.Count(); ++i) {
      Folder* store = stores.Item(i);
      if (store && store->IsSourceStore() == (pass == 1)) ordered.push_back(store);
    }
  }
  return ordered;
}

}  // namespace

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
  if (load_observer_.started) load_observer_.started();
  if (!selected && picker_) picker_->btnCall.setEnabled(false);
  // A load that opens no progress window must not inherit the last one's Cancel.
  cancel_load_ = false;

  try {
    LoadStores(selected);
  } catch (const std::exception& e) {
    Log(FailureLine(failure, e.what()));
  }

  if (cancel_load_) {
    ClearContacts();
    if (!selected) Log("Loading cancelled");
  }
  Log("Loaded " + std::to_string(RecordCount()) + " contacts");
  CloseProgress();
  loading_ = false;
  if (load_observer_.finished) load_observer_.finished();
}

void ContactDirectory::LoadStores(bool selected) {
  platform::outlook::NameSpace* session = outlook_->GetNamespace("MAPI");
  if (session == nullptr) throw std::runtime_error("the MAPI namespace is not available");
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
    Log(FailureLine(
        selected ? ContactsFailure::CalcSelFolders : ContactsFailure::CalculateContacts,
        "Overflow: more than " + std::to_string(kCountLimit) + " contacts, the count stops there"));
  }
  records_.Reserve(static_cast<int16_t>(sum));
  names_.Reserve(sum);
  if (sum > 0) OpenProgress(static_cast<int16_t>(sum));

  Walk walk;
  walk.selected = selected;
  // Folders are pointers that live as long as Outlook, so the order can be taken up front even
  // though the user's input runs during the walk.
  for (Folder* store : StoresInLoadOrder(stores)) {
    if (cancel_load_ || outlook_ == nullptr) return;
    if (walk.stop) {
      bool ignored = false;
      if (store->IsSourceStore() && CountFolders(*store, selected, ignored) > 0)
        Log(FullLine("source \"" + store->Name() + "\" is not loaded"));
      continue;
    }
    walk.source = store->IsSourceStore() ? store : nullptr;
    WalkFolders(*store, walk);
  }
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

// A failure ends the walk of this folder's sub-folders; the walk of its parent goes on.
void ContactDirectory::WalkFolders(Folder& folder, Walk& walk) {
  try {
    WalkSubfolders(folder, walk);
  } catch (const std::exception& e) {
    Log(FailureLine(ContactsFailure::EnumerateFolders, e.what()));
  }
}

void ContactDirectory::WalkSubfolders(Folder& folder, Walk& walk) {
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
            Log(FailureLine(ContactsFailure::EnumerateFolders, found.error));
            return;
          }
          for (const auto& item : found.items) {
            if (item->TypeName() != "ContactItem") continue;
            if (cancel_load_ || walk.stop) break;
            LoadItem(item, walk);
          }
        }
        FolderLoaded(*sub);
      }
    }
    if (cancel_load_ || walk.stop) return;
    WalkFolders(*sub, walk);
  }
}

bool ContactDirectory::LoadItem(const std::shared_ptr<platform::outlook::Item>& item, Walk& walk) {
  if (records_.Full()) {
    if (!walk.full_logged) {
      Log(walk.source ? FullLine("source \"" + walk.source->Name() + "\" is not loaded completely")
                      : FullLine("the remaining contacts are not loaded"));
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
    try {
      if (IsContactFolderWithItems(*sub) && (!selected || IsSelected(sub->FolderPath(), &times))) {
        platform::outlook::RestrictResult found = sub->Items().Restrict(RestrictFilter);
        if (found.ok())
          sum += times * found.items.Count();
        else
          Log(FailureLine(failure, found.error));
      }
    } catch (const std::exception& e) {
      Log(FailureLine(failure, e.what()));
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
  if (overflow) Log(FailureLine(ContactsFailure::CalculateContacts, "Overflow"));
  return count;
}

int16_t ContactDirectory::CalcSelFolders(Folder& folder) {
  bool overflow = false;
  const int16_t count = CountFolders(folder, true, overflow);
  if (overflow) Log(FailureLine(ContactsFailure::CalcSelFolders, "Overflow"));
  return count;
}

void ContactDirectory::LoadFolderContacts(Folder& folder) {
  if (outlook_ == nullptr || loading_ || !IsContactFolderWithItems(folder)) return;
  loading_ = true;
  cancel_load_ = false;
  try {
    platform::outlook::RestrictResult found = folder.Items().Restrict(RestrictFilter);
    if (!found.ok()) throw std::runtime_error(found.error);
    const int total = std::min(found.items.Count(), kCountLimit);
    if (total > 0) OpenProgress(static_cast<int16_t>(total));
    Walk walk;
    if (folder.Store()->IsSourceStore()) walk.source = folder.Store();
    for (const auto& item : found.items) {
      if (cancel_load_ || walk.stop) break;
      if (item->TypeName() == "ContactItem") LoadItem(item, walk);
    }
    FolderLoaded(folder);
  } catch (const std::exception& e) {
    Log(FailureLine(ContactsFailure::EnumerateFolders, e.what()));
  }
  CloseProgress();
  loading_ = false;
  if (load_observer_.finished) load_observer_.finished();
}

void ContactDirectory::FolderLoaded(Folder& folder) {
  if (load_observer_.folder_loaded) load_observer_.folder_loaded(folder);
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
