#pragma once
// The contact directory: the phone records and the contact-name list of the user's Outlook
// contacts that have a number, loaded from all contact folders or from the selected ones, kept
// current by the Outlook integration through UpdatePhoneRecords, and searched for callers.
//
// One per add-in, created by whoever assembles the add-in, with everything it uses passed in;
// the contact picker it owns and the progress window of a load are created on the toolkit given.
// Everything runs on the add-in's user-interface thread. Failures are logged, never thrown.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/shell/shell.h"
#include "platform/ui/form.h"
#include "platform/ui/toolkit.h"
#include "ringova_outlook/contacts/caller_lookup.h"
#include "ringova_outlook/contacts/contact_name_list.h"
#include "ringova_outlook/contacts/contact_settings.h"
#include "ringova_outlook/contacts/record_table.h"
#include "ringova_outlook/contacts/toolbar_state.h"
#include "ringova_outlook/dialing/dialing_log.h"

namespace platform::outlook {
class Application;
class Folder;
class Item;
}  // namespace platform::outlook

namespace ringova {

class ContactPicker;
class ProgressWindow;

// The item filter of every folder walk, exactly as Outlook receives it (trailing blank included).
// The car number is not part of it.
extern const std::string_view RestrictFilter;

// UpdatePhoneRecords actions.
enum PhoneRecordAction : int16_t {
  kAddRecord = 0,
  kUpdateRecord = 1,
  kAddIntoFreeSlot = 2,
  kRemoveRecord = 3,
};

class ContactDirectory {
 public:
  struct Context {
    platform::ui::Toolkit& toolkit;
    platform::shell::Shell& shell;  // the "load all contacts?" question
    ContactSettings& settings;
    LogSink log;
    PrefixSource prefixes;                               // empty: no location country
    std::function<void(platform::ui::Form&)> applyFont;  // the user-interface font; may be empty
  };

  explicit ContactDirectory(Context context);
  ~ContactDirectory();
  ContactDirectory(const ContactDirectory&) = delete;
  ContactDirectory& operator=(const ContactDirectory&) = delete;

  // The add-in's Outlook; nullptr while it holds none (loads then do nothing, a running load
  // stops at its next contact).
  void SetOutlook(platform::outlook::Application* outlook) { outlook_ = outlook; }
  platform::outlook::Application* Outlook() const { return outlook_; }
  // The toolbar whose buttons are disabled while a load runs; may stay nullptr.
  void SetToolbar(ToolbarState* toolbar) { toolbar_ = toolbar; }
  ToolbarState* Toolbar() const { return toolbar_; }

  platform::ui::Toolkit& Toolkit() const { return context_.toolkit; }
  platform::shell::Shell& Shell() const { return context_.shell; }
  ContactSettings& Settings() const { return context_.settings; }
  void Log(std::string_view line) const;
  void ApplyFont(platform::ui::Form& form) const;

  // --- records and names
  const PhoneRecordTable& Records() const { return records_; }
  int16_t RecordCount() const { return records_.RecordCount(); }
  ContactNameList& Names() { return names_; }
  const ContactNameList& Names() const { return names_; }

  // Actions 0 add, 1 update, 2 add into the first free slot, 3 remove; others do nothing.
  // Returns the index of the record added, changed or emptied, -1 when none. An addition to a
  // full table adds nothing and logs why.
  int16_t UpdatePhoneRecords(int16_t action, const platform::outlook::Item& item);
  // A contact item with at least one of its eight numbers not blank.
  bool PhoneIsExist(const platform::outlook::Item* item);
  // The first record whose EntryId (by_entry_id) or FullName equals key; false, index untouched,
  // for a blank key or no match.
  bool FindPhoneRecord(std::string_view key, int16_t& index, bool by_entry_id) const;
  // The FullName of the contact a caller text belongs to, and in number its number as stored;
  // empty text (number untouched) when no contact matches.
  std::string GetContactByPhone(std::string_view caller, std::string& number);

  // Adds a contact item's name to the list and its record (into the first free slot when
  // reuse_free_slot and there is one), the entry's item data being the record index. Returns
  // the record index, -1 when nothing was added.
  int16_t AddContactEntry(const platform::outlook::Item& item, bool reuse_free_slot);
  // Empties the name list and the record table.
  void ClearContacts();

  // --- loading
  // Told when a load begins over again and of every folder whose contacts it loaded, so the
  // contacts of those folders can be followed afterwards. Either may be empty.
  struct LoadObserver {
    std::function<void()> started;
    std::function<void(platform::outlook::Folder&)> folder_loaded;
    std::function<void()> finished;  // also after LoadFolderContacts
  };
  void SetLoadObserver(LoadObserver observer) { load_observer_ = std::move(observer); }

  // The mailbox's stores first, then the source stores in the order they were added; what no
  // longer fits the table is left out with one log line for each source concerned.
  void LoadAllContacts();
  void LoadSelectedFolders();
  // Loads the contacts of one folder (not its sub-folders) with the progress window, as when a
  // contact folder is added in Outlook.
  void LoadFolderContacts(platform::outlook::Folder& folder);
  bool CancelLoad() const { return cancel_load_; }
  void SetCancelLoad(bool on) { cancel_load_ = on; }
  bool Loading() const { return loading_; }

  // The walks over a folder's sub-folders.
  void EnumerateFolders(platform::outlook::Folder& folder);
  void EnumerateSelFolders(platform::outlook::Folder& folder);
  int16_t CalculateContacts(platform::outlook::Folder& folder);
  int16_t CalcSelFolders(platform::outlook::Folder& folder);

  // --- selected folders
  // Rebuilds the selected folder paths from "SelectedContactFolders"; returns their number.
  int16_t ParseSelFolders();
  const std::vector<std::string>& SelectedFolderPaths() const { return selected_paths_; }

  // --- windows
  // The contact picker, created on first use and kept (hidden) as long as the directory.
  ContactPicker& Picker();
  ContactPicker* PickerIfCreated() const { return picker_.get(); }
  // The progress window of the load in progress, nullptr otherwise.
  ProgressWindow* Progress() const { return progress_.get(); }

 private:
  struct Walk;
  void Load(bool selected);
  void LoadStores(bool selected);
  void WalkFolders(platform::outlook::Folder& folder, Walk& walk);
  void WalkSubfolders(platform::outlook::Folder& folder, Walk& walk);
  int16_t CountFolders(platform::outlook::Folder& folder, bool selected, bool& overflow);
  bool LoadItem(const std::shared_ptr<platform::outlook::Item>& item, Walk& walk);
  void FolderLoaded(platform::outlook::Folder& folder);
  void OpenProgress(int16_t total);
  void CloseProgress();
  bool IsSelected(std::string_view path, int* times) const;
  bool ReadRecord(const platform::outlook::Item& item, PhoneRecord& record, std::string& error);
  int16_t UpdateRecords(int16_t action, const platform::outlook::Item& item);
  std::string FindContactByPhone(std::string_view caller, std::string& number);

  Context context_;
  platform::outlook::Application* outlook_ = nullptr;
  ToolbarState* toolbar_ = nullptr;
  PhoneRecordTable records_;
  ContactNameList names_;
  std::vector<std::string> selected_paths_;
  bool cancel_load_ = false;
  bool loading_ = false;
  std::unique_ptr<ContactPicker> picker_;
  std::unique_ptr<ProgressWindow> progress_;
  LoadObserver load_observer_;
};

// What the add-in gives its directory: its log, the location's prefixes and its font.
ContactDirectory::Context AddinContactDirectoryContext(platform::ui::Toolkit& toolkit,
                                                       platform::shell::Shell& shell,
                                                       ContactSettings& settings,
                                                       const LocationCountry& location);

}  // namespace ringova
