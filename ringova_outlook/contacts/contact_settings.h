#pragma once
// The settings the contact windows read and change, in memory; the settings part owns and stores
// them ("SelectedContactFolders", "DontShowOnStartup", "FillContacts", "LoadSelectedFolders") and
// keeps AllContactsMode, the loading mode last put in force.
#include <string>

namespace ringova {

class ContactSettings {
 public:
  virtual ~ContactSettings() = default;
  // Each selected folder path followed by "%20".
  virtual std::string SelectedContactFolders() const = 0;
  virtual void SetSelectedContactFolders(std::string value) = 0;
  virtual bool DontShowOnStartup() const = 0;
  virtual void SetDontShowOnStartup(bool on) = 0;
  virtual bool FillContacts() const = 0;
  virtual void SetFillContacts(bool on) = 0;
  virtual bool LoadSelectedFolders() const = 0;
  virtual void SetLoadSelectedFolders(bool on) = 0;
  virtual bool AllContactsMode() const = 0;
  virtual void SetAllContactsMode(bool on) = 0;
};

// The settings as plain values, with their defaults.
class ContactSettingsValues final : public ContactSettings {
 public:
  std::string selected_contact_folders;
  bool dont_show_on_startup = false;
  bool fill_contacts = true;
  bool load_selected_folders = false;
  bool all_contacts_mode = true;

  std::string SelectedContactFolders() const override { return selected_contact_folders; }
  void SetSelectedContactFolders(std::string value) override {
    selected_contact_folders = std::move(value);
  }
  bool DontShowOnStartup() const override { return dont_show_on_startup; }
  void SetDontShowOnStartup(bool on) override { dont_show_on_startup = on; }
  bool FillContacts() const override { return fill_contacts; }
  void SetFillContacts(bool on) override { fill_contacts = on; }
  bool LoadSelectedFolders() const override { return load_selected_folders; }
  void SetLoadSelectedFolders(bool on) override { load_selected_folders = on; }
  bool AllContactsMode() const override { return all_contacts_mode; }
  void SetAllContactsMode(bool on) override { all_contacts_mode = on; }
};

}  // namespace ringova
