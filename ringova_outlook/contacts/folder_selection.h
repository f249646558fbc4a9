#pragma once
// The folder selection window "fFolders" (Choose folders): every Outlook contact folder with the
// number of its loadable contacts, ticked when selected; Load stores the ticked paths in
// "SelectedContactFolders" and loads them (or, with none ticked, offers to load all contacts).
//
// Each entry's folder path is kept beside its text, so a path containing " (" is stored whole.
// The settings part creates the window for each use and shows it modally.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/controls.h"
#include "platform/ui/form.h"

namespace platform::outlook {
class Folder;
}

namespace ringova {

class ContactDirectory;

// "path (count)".
std::string FolderEntryText(std::string_view path, int count);
// The stored setting split at "%20", empty pieces left out.
std::vector<std::string> SplitSelectedFolders(std::string_view setting);
// Each path followed by "%20".
std::string JoinSelectedFolders(const std::vector<std::string>& paths);

class FolderSelectionWindow final : public platform::ui::Form {
 public:
  explicit FolderSelectionWindow(ContactDirectory& directory);

  // Lists the contact folders of every store (not below Deleted Items, nor below folders of
  // other kinds); empty without Outlook.
  void LoadFolders();
  // The directory's ParseSelFolders.
  int16_t ParseSelFolders();
  // Ticks the entries whose path is a selected folder path.
  void CheckSelectedFolders();
  // Whether any entry is ticked.
  bool GetSelectedCount();

  // The folder path of each list entry, in list order.
  const std::vector<std::string>& EntryPaths() const { return paths_; }

  platform::ui::ListBox& lstContactFolders;
  platform::ui::CheckBox& chbDontShow;
  platform::ui::CommandButton& btnOK;
  platform::ui::CommandButton& btnCancel;

 private:
  void OnLoad();
  void AddFolders(platform::outlook::Folder& parent);
  void OnOK();
  void OnCancel();

  ContactDirectory& directory_;
  std::vector<std::string> paths_;
};

}  // namespace ringova
