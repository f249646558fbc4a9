#pragma once
// Connect: the add-in class Outlook loads by the ProgID "Ringova_Outlook.Connect". It starts and
// winds down the add-in with Outlook, gives Outlook's windows the add-in's menu and buttons,
// keeps the buttons in step with the call, follows the explorer windows, the selection and the
// contact folders, and finds the party the user wants to call.
//
// Outlook calls it on its UI thread only; every handler catches its own failures and logs them,
// so nothing reaches Outlook. The host's toolkit, shell and registry are used throughout (lent
// with OnConnection); the settings window, the contact directory and the support windows are
// made at start-up and live until the object goes.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/automation.h"
#include "platform/outlook/addin.h"
#include "platform/outlook/signal.h"
#include "ringova_outlook/contacts/toolbar_state.h"
#include "ringova_outlook/frontend/call_flow.h"
#include "ringova_outlook/outlook/explorer_slots.h"

namespace platform::outlook {
class CommandBar;
class CommandBarControl;
class CommandBars;
class Explorer;
class Explorers;
class Folder;
class Folders;
class Item;
class Items;
class NameSpace;
}  // namespace platform::outlook

namespace platform::shell {
class NamedMutex;
}

namespace ringova {

class AddinParts;
class SourceFollower;

inline constexpr std::string_view kAddinProgId = "Ringova_Outlook.Connect";
inline constexpr std::string_view kAddinFriendlyName = "Ringova_Outlook";
inline constexpr std::string_view kMutexName = "MutexRingova";
inline constexpr std::string_view kShortcutFolder = "Orvane/Ringova AddIn/";
inline constexpr std::string_view kDisableShortcut = "Disable Ringova Toolbar For Outlook.lnk";
inline constexpr std::string_view kEnableShortcut = "Re-enable Ringova Toolbar For Outlook.lnk";

class Connect : public platform::AutomationObject,
                public platform::outlook::IDTExtensibility2,
                public ToolbarState,
                public SelectedNumber {
 public:
  Connect();
  ~Connect() override;
  Connect(const Connect&) = delete;
  Connect& operator=(const Connect&) = delete;

  // The class has no dispatch members of its own; Outlook reaches it through the add-in
  // interface.
  const std::vector<platform::MemberInfo>& methods() const override;
  const std::vector<platform::MemberInfo>& events() const override;
  platform::HResult invoke(platform::DispId, std::vector<platform::Variant>&,
                           platform::Variant&) override;
  void setDispatcher(platform::OwnerDispatcher*) override {}
  uint32_t advise(platform::DispId, platform::EventHandler) override { return 0; }
  bool unadvise(uint32_t) override { return false; }

  // IDTExtensibility2.
  platform::HResult OnConnection(platform::outlook::Application& application, int connectMode,
                                 const platform::outlook::AddInInstance& addInInst,
                                 const platform::outlook::HostServices& host) override;
  platform::HResult OnDisconnection(int removeMode) override;
  platform::HResult OnAddInsUpdate() override;
  platform::HResult OnStartupComplete() override;
  platform::HResult OnBeginShutdown() override;

  // The button mode (ToolbarState): stored and applied to every tracked window.
  int16_t ButtonMode() const override { return button_mode_; }
  void ChangeButtonsState(int16_t mode) override;

  // The number the user picked for the selected contact or mail sender, trimmed and in lower
  // case; "" when nothing was picked (the call flow's SelectedNumber).
  std::string GetSelectedItems() override;

 private:
  // lifecycle (connect.cpp)
  void RunStartupComplete();
  void WindDown();
  void RenameShortcut(std::string_view from, std::string_view to);
  void TakeContactFolders();
  void DropOutlookObjects();
  void WaitForPreviousInstance();
  void Log(std::string_view line) const;

  // menus and buttons (connect_menu.cpp)
  void AddNewMenu();
  void ConfigureCallButton(platform::outlook::CommandBarControl& button, std::string_view name);
  void SetPhoneControls(platform::outlook::Explorer& explorer, bool enabled);
  void OnCommandBarsUpdate();
  bool ContactIsSelected();
  void nButtonsRelease();
  void RemoveAllMenu();
  void ApplyButtonMode(const platform::outlook::CommandBars& bars);
  void Keep(int index, platform::outlook::CommandBarControl* button);

  // buttons
  void MakeClicked(bool afterwardsDisableMake);
  void CloseClicked();
  void SettingsClicked();
  void DialingClicked();
  void AboutClicked();

  // explorer windows (connect_explorers.cpp)
  void NewExplorer(platform::outlook::Explorer* explorer);
  void Track(int slot, platform::outlook::Explorer* explorer);
  void ExplorerActivate(int slot);
  void ExplorerDeactivate(int slot);
  void ExplorerViewSwitch(int slot);
  void ExplorerClose(int slot);
  void WatchActiveExplorer(platform::outlook::Explorer* explorer);
  void WatchCommandBars(platform::outlook::CommandBars* bars);
  bool AnyExplorerOpen() const;
  bool TapiPhone() const;
  bool HasRingovaPopup(platform::outlook::Explorer* explorer) const;

  // contact directory events (connect_contacts.cpp)
  void WatchContactItems(platform::outlook::Items* items);
  bool ContactLoadingOn() const;
  void ContactAdded(const std::shared_ptr<platform::outlook::Item>& item);
  void ContactChanged(const std::shared_ptr<platform::outlook::Item>& item);
  void ContactDeleted(const std::shared_ptr<platform::outlook::Item>& item);
  void ContactFolderAdded(platform::outlook::Folder* folder);
  void DeletedFolderAdded(platform::outlook::Folder* folder);
  void FollowSources(platform::outlook::NameSpace& mapi);
  void SourceFolderAdded(platform::outlook::Folder* folder);
  void SourceItemChanged(const std::shared_ptr<platform::outlook::Item>& item, bool deleted);
  void ReplaySourceChanges();

  using Connection = platform::outlook::Connection;

  std::optional<platform::outlook::HostServices> host_;
  bool counted_ = false;
  std::unique_ptr<AddinParts> parts_;
  platform::outlook::Application* outlook_app_ = nullptr;  // OutlookApp
  platform::outlook::Application* shared_app_ = nullptr;   // the module's Outlook
  int connect_mode_ = platform::outlook::ext_cm_Startup;
  Connection quit_;

  platform::outlook::Explorers* outlook_explorers_ = nullptr;
  Connection new_explorer_;
  ExplorerSlots slots_;
  std::array<std::array<Connection, 4>, kExplorerSlotCount> slot_events_;
  bool new_explorer_pending_ = false;
  bool pending_startup_ = false;  // the first window of a windowless start is not shown yet
  bool inspector_flag_ = false;

  platform::outlook::Explorer* act_explorer_ = nullptr;
  Connection before_folder_switch_, selection_change_;
  platform::outlook::CommandBars* outlook_command_bars_ = nullptr;
  Connection bars_update_;

  platform::outlook::Items* act_ol_items_ = nullptr;
  platform::outlook::Items* deleted_ol_items_ = nullptr;
  platform::outlook::Folders* deleted_folders_ = nullptr;
  platform::outlook::Folders* contact_folders_ = nullptr;
  Connection item_add_, item_change_, deleted_item_add_, deleted_folder_add_, contact_folder_add_;
  std::shared_ptr<platform::outlook::Item> contact_item_;  // ContactItem
  std::unique_ptr<SourceFollower> sources_;
  // Source changes that arrived while a load was running, handled once it is over: the load may
  // or may not have read them already.
  std::vector<std::pair<bool, std::shared_ptr<platform::outlook::Item>>> source_changes_;

  // nButton1 ... nButton9 at their numbers; 0 unused.
  std::array<platform::outlook::CommandBarControl*, 10> buttons_{};
  std::array<Connection, 10> button_clicks_;

  int16_t button_mode_ = 0;
  std::unique_ptr<platform::shell::NamedMutex> mutex_;
};

}  // namespace ringova
