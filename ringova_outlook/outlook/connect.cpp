// Connect: the add-in's lifecycle inside Outlook.
#include "ringova_outlook/outlook/connect.h"

#include <atomic>
#include <chrono>
#include <exception>
#include <filesystem>
#include <thread>

#include "platform/outlook/application.h"
#include "platform/registry/settings.h"
#include "platform/shell/shell.h"
#include "platform/ui/message_loop.h"
#include "platform/ui/toolkit.h"
#include "ringova_outlook/frontend/addin_settings.h"
#include "ringova_outlook/outlook/addin_parts.h"
#include "ringova_outlook/outlook/outlook_version.h"
#include "ringova_outlook/outlook/source_follower.h"
#include "ringova_outlook/support/log_file.h"
#include "ringova_outlook/support/os_name.h"

namespace ringova {

namespace ol = platform::outlook;
using platform::HResult;

namespace {

// Instances of the add-in that are connected in this process. A new one waits (a bounded time)
// while an earlier one is still connected: Outlook may load the add-in again before the old
// instance has let go of its windows.
std::atomic<int> connected_instances{0};
constexpr int kPreviousInstanceTries = 20;
constexpr auto kPreviousInstancePause = std::chrono::milliseconds(50);

std::string ErrorText(const std::exception& e) {
  return e.what();
}

}  // namespace

Connect::Connect() = default;

Connect::~Connect() {
  if (outlook_app_ || shared_app_ || parts_) {
    // Released without a disconnection (a failing host): let go of Outlook quietly.
    DropOutlookObjects();
  }
  quit_.Disconnect();
  new_explorer_.Disconnect();
  for (auto& events : slot_events_)
    for (auto& c : events) c.Disconnect();
  nButtonsRelease();
  parts_.reset();
  if (counted_) --connected_instances;
}

const std::vector<platform::MemberInfo>& Connect::methods() const {
  static const std::vector<platform::MemberInfo> none;
  return none;
}

const std::vector<platform::MemberInfo>& Connect::events() const {
  return methods();
}

HResult Connect::invoke(platform::DispId, std::vector<platform::Variant>&, platform::Variant&) {
  return platform::DISP_E_MEMBERNOTFOUND;
}

void Connect::Log(std::string_view line) const {
  WriteToLogFile(line);
}

void Connect::WaitForPreviousInstance() {
  for (int i = 0; i < kPreviousInstanceTries && connected_instances.load() > 0; ++i) {
    Log("AddIn still loaded");
    if (host_) host_->toolkit.loop().doEvents();
    std::this_thread::sleep_for(kPreviousInstancePause);
  }
}

HResult Connect::OnConnection(ol::Application& application, int connectMode,
                              const ol::AddInInstance&, const ol::HostServices& host) {
  try {
    host_.emplace(host);
    // The log folder: the stored one, or the user's local application data + "Ringova/".
    std::string folder = platform::getSetting(host.user, kAddinRegistryApp, kAddinSettingsSection,
                                              "PathLogFile", "");
    if (folder.empty()) {
      const std::string local =
          host.shell.specialFolder(platform::shell::SpecialFolder::LocalAppData);
      folder = local.empty() ? DefaultLogFolder() : local + "Ringova/";
    }
    InitLogFolder(folder);
    WaitForPreviousInstance();
    ++connected_instances;
    counted_ = true;
    Log("AddIn: OnConnection");
    shared_app_ = &application;
    outlook_app_ = &application;
    connect_mode_ = connectMode;
    quit_ = application.OnQuit().Connect([this] {
      Log("OutlookApp_Quit");
      WindDown();
    });
    if (connectMode != ol::ext_cm_Startup) OnStartupComplete();
  } catch (const std::exception& e) {
    Log("AddIn OnConnection: Error - " + ErrorText(e));
  }
  return platform::S_OK;
}

HResult Connect::OnStartupComplete() {
  try {
    RunStartupComplete();
  } catch (const std::exception& e) {
    Log("StartupComplete: Error - " + ErrorText(e));
  }
  return platform::S_OK;
}

void Connect::RunStartupComplete() {
  if (!host_ || !shared_app_) return;
  if (parts_) parts_->Main().StartupDone = false;
  Log("   **********   Ringova AddIn:   StartupComplete   **********");
  if (!mutex_) mutex_ = host_->shell.createNamedMutex(std::string(kMutexName));
  slots_.ClearFlags();
  inspector_flag_ = false;
  if (!parts_) parts_ = std::make_unique<AddinParts>(*host_, shared_app_, *this, *this);

  // Watch for the first window even when there is none yet.
  outlook_explorers_ = &shared_app_->Explorers();
  new_explorer_ = outlook_explorers_->OnNewExplorer().Connect(
      [this](ol::Explorer* explorer) { NewExplorer(explorer); });
  ol::Explorer* active = shared_app_->ActiveExplorer();
  if (!active) return;  // started without a window: the first one starts the work
  Track(0, active);

  fMain& main = parts_->Main();
  main.Legs().ResetCallState();
  new_explorer_pending_ = false;
  button_mode_ = 0;
  RenameShortcut(kEnableShortcut, kDisableShortcut);

  GetOSName(host_->shell.systemVersion());
  Log("Installed OS: " + OSName());
  Log("Installed: MS Office Outlook " + OutlookVersionName(shared_app_->Version()));

  WatchActiveExplorer(active);
  WatchCommandBars(&active->CommandBars());
  TakeContactFolders();
  main.PbxConnected = false;

  main.RestoreSettings();
  AddNewMenu();
  host_->toolkit.loop().doEvents();
  if (main.Settings().Activated && !main.PbxConnected) {
    Log("OnStartupCOmplete ");
    main.Connect(false);
  }
  main.StartupDone = true;
  if (main.Settings().CheckUpdate) parts_->CheckAppVersion();
  host_->toolkit.loop().doEvents();
  Log("StartupCompleted");
}

void Connect::TakeContactFolders() {
  ol::NameSpace* mapi = shared_app_ ? shared_app_->GetNamespace("MAPI") : nullptr;
  if (!mapi) return;
  ol::Folder* contacts = mapi->GetDefaultFolder(ol::olFolderContacts);
  ol::Folder* deleted = mapi->GetDefaultFolder(ol::olFolderDeletedItems);
  WatchContactItems(contacts ? &contacts->Items() : nullptr);
  deleted_ol_items_ = deleted ? &deleted->Items() : nullptr;
  deleted_folders_ = deleted ? &deleted->Folders() : nullptr;
  contact_folders_ = contacts ? &contacts->Folders() : nullptr;
  deleted_item_add_ = deleted_ol_items_ ? deleted_ol_items_->OnItemAdd().Connect(
                                              [this](const auto& item) { ContactDeleted(item); })
                                        : Connection();
  deleted_folder_add_ = deleted_folders_ ? deleted_folders_->OnFolderAdd().Connect(
                                               [this](ol::Folder* f) { DeletedFolderAdded(f); })
                                         : Connection();
  contact_folder_add_ = contact_folders_ ? contact_folders_->OnFolderAdd().Connect(
                                               [this](ol::Folder* f) { ContactFolderAdded(f); })
                                         : Connection();
  FollowSources(*mapi);
}

void Connect::RenameShortcut(std::string_view from, std::string_view to) {
  if (!host_) return;
  const std::string programs =
      host_->shell.specialFolder(platform::shell::SpecialFolder::CommonPrograms);
  if (programs.empty()) return;
  const std::filesystem::path folder = std::filesystem::path(programs) / kShortcutFolder;
  std::error_code ec;
  if (!std::filesystem::exists(folder / from, ec)) return;
  std::filesystem::rename(folder / from, folder / to, ec);
  if (ec) Log("Shortcut " + std::string(from) + " not renamed: " + ec.message());
}

HResult Connect::OnBeginShutdown() {
  try {
    Log("OnBeginShutdown");
    DropOutlookObjects();
  } catch (const std::exception& e) {
    Log("OnBeginShutdown: Error - " + ErrorText(e));
  }
  return platform::S_OK;
}

void Connect::DropOutlookObjects() {
  shared_app_ = nullptr;
  if (parts_) parts_->SetOutlook(nullptr);
  outlook_explorers_ = nullptr;
  new_explorer_.Disconnect();
  outlook_app_ = nullptr;
  quit_.Disconnect();
  for (int slot = 0; slot < kTrackedExplorers; ++slot) {
    for (auto& c : slot_events_[slot]) c.Disconnect();
  }
  WatchActiveExplorer(nullptr);
  WatchCommandBars(nullptr);
  contact_item_.reset();
  WatchContactItems(nullptr);
  deleted_ol_items_ = nullptr;
  deleted_folders_ = nullptr;
  contact_folders_ = nullptr;
  deleted_item_add_.Disconnect();
  deleted_folder_add_.Disconnect();
  contact_folder_add_.Disconnect();
  if (sources_) sources_->Clear();
  if (parts_) parts_->Directory().SetLoadObserver({});
}

HResult Connect::OnDisconnection(int removeMode) {
  try {
    Log("Ringova AddIn  Disconnected - " + std::to_string(removeMode));
    if (removeMode != ol::ext_dm_HostShutdown) {
      RemoveAllMenu();
      RenameShortcut(kDisableShortcut, kEnableShortcut);
      OnBeginShutdown();
    }
  } catch (const std::exception& e) {
    Log("AddIn OnDisconnection: Error - " + ErrorText(e));
  }
  return platform::S_OK;
}

HResult Connect::OnAddInsUpdate() {
  return platform::S_OK;
}

void Connect::WindDown() {
  if (!shared_app_ || !parts_) return;
  nButtonsRelease();
  fMain& main = parts_->Main();
  main.Telvane().Disconnect();
  main.unload(platform::ui::UnloadMode::Code);
  shared_app_ = nullptr;
  parts_->SetOutlook(nullptr);
  ContactDirectory& directory = parts_->Directory();
  if (directory.Loading()) directory.SetCancelLoad(true);
}

}  // namespace ringova
