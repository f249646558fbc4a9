#pragma once
// What the settings window needs from the add-in's other parts, each as one small interface the
// owning part implements. The window works without any of them (the operations are then
// skipped), so each part can be wired when it exists.
#include <cstdint>

namespace platform::ui {
class Form;
}

namespace ringova {

// The shared mode of every Make and Close button; the Outlook integration applies it through the
// same ToolbarState the contact loader uses.
enum class ButtonMode : std::int16_t {
  DisableAllButtons = 0,
  DisableClose = 1,  // idle: Make on, Close off
  DisableMake = 2,   // a call runs: Make off, Close on
  DisableMenuAndButtons = 3,
};

// The incoming calls announced to the user.
class IncomingCalls {
 public:
  virtual ~IncomingCalls() = default;
  virtual bool HasRecords() const = 0;
  // Forgets every record and its window (the PBX no longer offers them to this session).
  virtual void DropAll() = 0;
  // Stops, closes and unloads every visible incoming call window.
  virtual void CloseWindows() = 0;
};

// The check for a newer version of the add-in (blocks while it runs); the update check itself is
// the class UpdateCheck of ringova_outlook/support.
class UpdateCheckLink {
 public:
  virtual ~UpdateCheckLink() = default;
  virtual void CheckAppVersion() = 0;
};

// The contact directory as the connection loads it.
class ContactLoading {
 public:
  virtual ~ContactLoading() = default;
  virtual bool HasRecords() const = 0;
  virtual void LoadAllContacts() = 0;
  virtual void LoadSelectedFolders() = 0;
  // The number of selected folder paths in the setting, rebuilt from it.
  virtual int ParseSelFolders() = 0;
  // The folder selection window: list the folders, tick the selected ones, show it modally owned
  // by `owner`; its Load button loads what was chosen.
  virtual void ShowFolderSelection(platform::ui::Form& owner) = 0;
  // Hides the contact picker if it is up, with nothing picked.
  virtual void DismissContactPicker() = 0;
};

}  // namespace ringova
