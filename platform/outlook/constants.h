// The numeric constants of the object model, with the values the add-in passes and compares.
#pragma once

#include <string_view>

namespace platform::outlook {

// Item types: Application::CreateItem, Folder::DefaultItemType, Items::Add.
enum OlItemType : int {
  olMailItem = 0,
  olAppointmentItem = 1,
  olContactItem = 2,
  olTaskItem = 3,
  olJournalItem = 4,
  olNoteItem = 5,
};

// NameSpace::GetDefaultFolder.
enum OlDefaultFolders : int {
  olFolderDeletedItems = 3,
  olFolderOutbox = 4,
  olFolderSentMail = 5,
  olFolderInbox = 6,
  olFolderCalendar = 9,
  olFolderContacts = 10,
  olFolderJournal = 11,
  olFolderNotes = 12,
  olFolderTasks = 13,
  olFolderDrafts = 16,
};

// The name of a store's Deleted Items folder.
inline constexpr std::string_view kDeletedItemsName = "Deleted Items";

// Command-bar control types (Controls::Add, FindControl).
enum MsoControlType : int {
  msoControlButton = 1,
  msoControlPopup = 10,
};

// Command-bar control styles.
enum MsoButtonStyle : int {
  msoButtonAutomatic = 0,
  msoButtonIcon = 1,
  msoButtonCaption = 2,
  msoButtonIconAndCaption = 3,
};

// CommandBar::Protection bits; msoBarNoCustomize refuses added and deleted controls.
enum MsoBarProtection : int {
  msoBarNoProtection = 0,
  msoBarNoCustomize = 1,
  msoBarNoResize = 2,
  msoBarNoMove = 4,
  msoBarNoChangeVisible = 8,
  msoBarNoChangeDock = 16,
};

// The Id of every control an add-in creates; built-in controls carry their own id.
inline constexpr int kCustomControlId = 1;

}  // namespace platform::outlook
