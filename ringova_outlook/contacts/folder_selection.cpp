#include "ringova_outlook/contacts/folder_selection.h"

#include <algorithm>

#include "platform/outlook/application.h"
#include "platform/outlook/text_util.h"
#include "ringova_outlook/contacts/contact_directory.h"
#include "ringova_outlook/contacts/contacts_log.h"
#include "ringova_outlook/resources/string_table.h"

namespace ringova {

namespace ui = platform::ui;
using platform::outlook::Folder;

namespace {

constexpr std::string_view kSeparator = "%20";
constexpr int kWindowText = 183;
constexpr int kDontShowText = 184;
constexpr int kLoadText = 185;
constexpr int kCancelText = 146;
constexpr int kLoadAllQuestion = 186;

}  // namespace

std::string FolderEntryText(std::string_view path, int count) {
  return std::string(path) + " (" + std::to_string(count) + ")";
}

std::vector<std::string> SplitSelectedFolders(std::string_view setting) {
  std::vector<std::string> paths;
  while (!setting.empty()) {
    const size_t at = setting.find(kSeparator);
    const std::string_view piece = setting.substr(0, at);
    if (!piece.empty()) paths.emplace_back(piece);
    if (at == std::string_view::npos) break;
    setting.remove_prefix(at + kSeparator.size());
  }
  return paths;
}

std::string JoinSelectedFolders(const std::vector<std::string>& paths) {
  std::string setting;
  for (const std::string& path : paths) setting += path + std::string(kSeparator);
  return setting;
}

FolderSelectionWindow::FolderSelectionWindow(ContactDirectory& directory)
    : Form(directory.Toolkit(), "fFolders"),
      lstContactFolders(add<ui::ListBox>("lstContactFolders")),
      chbDontShow(add<ui::CheckBox>("chbDontShow")),
      btnOK(add<ui::CommandButton>("btnOK")),
      btnCancel(add<ui::CommandButton>("btnCancel")),
      directory_(directory) {
  move(0, 0, 6000, 4200);
  lstContactFolders.move(120, 120, 5640, 2880);
  lstContactFolders.setCheckBoxes(true);
  chbDontShow.move(120, 3120, 3000, 255);
  btnOK.move(2880, 3480, 1335, 375);
  btnCancel.move(4425, 3480, 1335, 375);
  btnCancel.setCancel(true);

  onLoad = [this] { OnLoad(); };
  btnOK.onClick = [this] { OnOK(); };
  btnCancel.onClick = [this] { OnCancel(); };
}

void FolderSelectionWindow::OnLoad() {
  directory_.ApplyFont(*this);
  setCaption(LoadResString(kWindowText));
  btnOK.setCaption(LoadResString(kLoadText));
  btnCancel.setCaption(LoadResString(kCancelText));
  chbDontShow.setCaption(LoadResString(kDontShowText));
  chbDontShow.setValue(directory_.Settings().DontShowOnStartup() ? 1 : 0);
}

void FolderSelectionWindow::LoadFolders() {
  lstContactFolders.clear();
  paths_.clear();
  platform::outlook::Application* outlook = directory_.Outlook();
  if (outlook == nullptr) return;
  platform::outlook::NameSpace* session = outlook->GetNamespace("MAPI");
  if (session == nullptr) {
    directory_.Log(std::string(FailureText(ContactsFailure::EnumFolders)) +
                   "the MAPI namespace is not available");
    return;
  }
  platform::outlook::Folders& stores = session->Folders();
  for (int i = 1; i <= stores.Count(); ++i) {
    if (Folder* store = stores.Item(i)) AddFolders(*store);
  }
}

// Only contact folders are listed and searched further down.
void FolderSelectionWindow::AddFolders(Folder& parent) {
  platform::outlook::Folders& subfolders = parent.Folders();
  for (int i = 1; i <= subfolders.Count(); ++i) {
    Folder* sub = subfolders.Item(i);
    if (sub == nullptr) break;
    if (platform::outlook::ContainsIgnoreCase(sub->Name(), "Deleted Items")) continue;
    if (sub->DefaultItemType() != platform::outlook::olContactItem) continue;
    int count = 0;
    if (sub->Items().Count() > 0) {
      platform::outlook::RestrictResult found = sub->Items().Restrict(RestrictFilter);
      if (found.ok())
        count = found.items.Count();
      else
        directory_.Log(std::string(FailureText(ContactsFailure::EnumFolders)) + found.error);
    }
    const std::string path = sub->FolderPath();
    lstContactFolders.addItem(FolderEntryText(path, count));
    paths_.push_back(path);
    AddFolders(*sub);
  }
}

int16_t FolderSelectionWindow::ParseSelFolders() {
  return directory_.ParseSelFolders();
}

void FolderSelectionWindow::CheckSelectedFolders() {
  const std::vector<std::string>& selected = directory_.SelectedFolderPaths();
  for (size_t i = 0; i < paths_.size(); ++i) {
    if (std::find(selected.begin(), selected.end(), paths_[i]) != selected.end())
      lstContactFolders.setChecked(static_cast<int>(i), true);
  }
}

bool FolderSelectionWindow::GetSelectedCount() {
  for (int i = 0; i < lstContactFolders.count(); ++i)
    if (lstContactFolders.checked(i)) return true;
  return false;
}

void FolderSelectionWindow::OnOK() {
  ContactSettings& settings = directory_.Settings();
  settings.SetAllContactsMode(settings.FillContacts());
  settings.SetDontShowOnStartup(chbDontShow.checked());
  settings.SetSelectedContactFolders("");
  if (GetSelectedCount()) {
    std::vector<std::string> ticked;
    for (int i = 0; i < lstContactFolders.count() && i < static_cast<int>(paths_.size()); ++i)
      if (lstContactFolders.checked(i)) ticked.push_back(paths_[i]);
    settings.SetSelectedContactFolders(JoinSelectedFolders(ticked));
    ParseSelFolders();
    hide();
    directory_.LoadSelectedFolders();
    return;
  }
  const platform::shell::MsgBoxResult answer = directory_.Shell().messageBox(
      std::string(LoadResString(kLoadAllQuestion)), "Ringova",
      platform::shell::MsgBoxButtons::YesNo, platform::shell::MsgBoxIcon::Question);
  hide();
  if (answer != platform::shell::MsgBoxResult::Yes) return;
  if (directory_.RecordCount() > 0) directory_.ClearContacts();
  directory_.LoadAllContacts();
}

void FolderSelectionWindow::OnCancel() {
  ContactSettings& settings = directory_.Settings();
  if (settings.AllContactsMode()) {
    settings.SetFillContacts(true);
    settings.SetLoadSelectedFolders(false);
  }
  hide();
}

}  // namespace ringova
