// The in-memory Outlook application: its version, windows, the "MAPI" namespace with the stores,
// default folders and current user, item creation and Quit.
//
// Everything runs on one thread. The Application owns every object it hands out as a raw pointer
// (folders, windows, command bars and their controls); those pointers stay valid until the
// Application is destroyed. Items are shared (see item.h).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/outlook/command_bars.h"
#include "platform/outlook/explorer.h"
#include "platform/outlook/folder.h"
#include "platform/outlook/item.h"
#include "platform/outlook/signal.h"

namespace platform::outlook {

class Application;

class Recipient {
 public:
  Recipient() = default;
  Recipient(std::string name, std::string address)
      : name_(std::move(name)), address_(std::move(address)) {}
  const std::string& Name() const { return name_; }
  const std::string& Address() const { return address_; }

 private:
  std::string name_, address_;
};

class NameSpace {
 public:
  NameSpace(Application& app, std::shared_ptr<detail::AppLink> link);
  NameSpace(const NameSpace&) = delete;
  NameSpace& operator=(const NameSpace&) = delete;

  std::string_view Type() const { return "MAPI"; }
  // The stores (top-level folders).
  outlook::Folders& Folders() { return stores_; }
  // nullptr when no folder was assigned to that number.
  Folder* GetDefaultFolder(int folder_type) const;
  const outlook::Recipient& CurrentUser() const { return current_user_; }
  outlook::Application& Parent() const { return app_; }

  // host: building the mailbox.
  Folder* AddStore(std::string name) { return stores_.Add(std::move(name), olMailItem); }
  // host: an address book kept by a server. The store gets its own "Deleted Items", where the
  // contacts the server removed go; the contact folders are the host's to add. nullptr when the
  // name is taken.
  Folder* AddSourceStore(std::string name);
  // The source stores in the order they were added.
  std::vector<Folder*> SourceStores() const;
  // Where a deleted item or folder of this folder goes: its source store's "Deleted Items", else
  // the default Deleted Items folder (nullptr when there is none).
  Folder* DeletedItemsFor(const Folder& folder) const;
  bool SetDefaultFolder(int folder_type, Folder* folder);
  void SetCurrentUser(outlook::Recipient user) { current_user_ = std::move(user); }
  bool IsDefaultFolder(const Folder* folder) const;
  // The folder with this entry id, or nullptr.
  Folder* GetFolderFromId(std::string_view entry_id) const;

 private:
  friend class outlook::Folders;
  friend class outlook::Items;
  std::string NewEntryId() { return link_->NewEntryId(); }
  std::shared_ptr<detail::AppLink> link() const { return link_; }

  outlook::Application& app_;
  std::shared_ptr<detail::AppLink> link_;
  outlook::Folders stores_;
  std::map<int, Folder*> defaults_;
  outlook::Recipient current_user_;
};

struct ApplicationOptions {
  std::string version = "12.0.4518.1014";
  Recipient current_user;
  // Outlook ends when its last window closes, unless another program started it windowless.
  bool quit_when_last_window_closes = true;
};

class Application {
 public:
  explicit Application(ApplicationOptions options = {});
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;
  ~Application();

  const std::string& Version() const { return options_.version; }
  outlook::Explorers& Explorers() { return explorers_; }
  outlook::Inspectors& Inspectors() { return inspectors_; }
  // The open, visible explorer activated last; nullptr when there is none.
  Explorer* ActiveExplorer() const;
  // The open inspector activated last; nullptr when there is none.
  Inspector* ActiveInspector() const;
  // "MAPI" (any letter case) is the only namespace; nullptr for anything else.
  NameSpace* GetNamespace(std::string_view type);
  // A new, unsaved item; nullptr for an unknown type.
  std::shared_ptr<Item> CreateItem(int type);
  std::shared_ptr<MailItem> CreateMailItem() { return AsMail(CreateItem(olMailItem)); }
  // Closes the inspectors and explorers (Close each), then raises Quit. Once only.
  void Quit();
  bool HasQuit() const { return quit_; }
  Event<>& OnQuit() { return quit_event_; }

  // host: focus went to another program (the active window raises Deactivate).
  void DeactivateWindows();
  ControlStore& Controls() { return controls_; }

 private:
  friend class Explorer;
  friend class Inspector;
  friend class Explorers;
  friend class Item;
  void ActivateWindow(detail::Window* window);
  void WindowClosed(detail::Window* window);
  Inspector* DisplayItem(const std::shared_ptr<Item>& item, bool modal);

  ApplicationOptions options_;
  std::shared_ptr<detail::AppLink> link_;
  ControlStore controls_;  // before the windows: their bars point into it
  NameSpace session_;
  outlook::Explorers explorers_;
  outlook::Inspectors inspectors_;
  std::vector<Explorer*> explorer_order_;  // open visible explorers, last activated at the back
  std::vector<Inspector*> inspector_order_;
  detail::Window* active_ = nullptr;
  bool quit_ = false;
  bool quitting_ = false;
  Signal<> quit_event_;
};

}  // namespace platform::outlook
