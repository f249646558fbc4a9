#pragma once
// The settings window and the contact directory joined: the directory reads and changes the
// contact settings of the window's record, and the window loads contacts through the directory.
#include "ringova_outlook/contacts/contact_directory.h"
#include "ringova_outlook/contacts/contact_settings.h"
#include "ringova_outlook/frontend/addin_settings.h"
#include "ringova_outlook/frontend/frontend_links.h"

namespace ringova {

// The contact settings as views of the settings record and the window's AllContactsMode.
class RecordContactSettings final : public ContactSettings {
 public:
  RecordContactSettings(AddinSettings& settings, bool& allContactsMode)
      : settings_(settings), all_contacts_mode_(allContactsMode) {}

  std::string SelectedContactFolders() const override { return settings_.SelectedContactFolders; }
  void SetSelectedContactFolders(std::string value) override {
    settings_.SelectedContactFolders = std::move(value);
  }
  bool DontShowOnStartup() const override { return settings_.DontShowOnStartup; }
  void SetDontShowOnStartup(bool on) override { settings_.DontShowOnStartup = on; }
  bool FillContacts() const override { return settings_.FillContacts; }
  void SetFillContacts(bool on) override { settings_.FillContacts = on; }
  bool LoadSelectedFolders() const override { return settings_.LoadSelectedFolders; }
  void SetLoadSelectedFolders(bool on) override { settings_.LoadSelectedFolders = on; }
  bool AllContactsMode() const override { return all_contacts_mode_; }
  void SetAllContactsMode(bool on) override { all_contacts_mode_ = on; }

 private:
  AddinSettings& settings_;
  bool& all_contacts_mode_;
};

// The window's contact loading, done by the directory and its folder selection window.
class DirectoryContactLoading final : public ContactLoading {
 public:
  explicit DirectoryContactLoading(ContactDirectory& directory) : directory_(directory) {}

  bool HasRecords() const override { return directory_.RecordCount() > 0; }
  void LoadAllContacts() override { directory_.LoadAllContacts(); }
  void LoadSelectedFolders() override { directory_.LoadSelectedFolders(); }
  int ParseSelFolders() override { return directory_.ParseSelFolders(); }
  void ShowFolderSelection(platform::ui::Form& owner) override;
  void DismissContactPicker() override;

 private:
  ContactDirectory& directory_;
};

}  // namespace ringova
