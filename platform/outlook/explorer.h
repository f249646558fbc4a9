// Outlook's windows: explorers (a folder view with a selection) and inspectors (one item).
//
// No real window exists: a window is state plus events, and a host that draws windows hooks
// Explorers::OnNewExplorer and Inspectors::OnNewInspector. The host also plays the user through the
// methods marked "host" below. One window is active at a time; activating another raises Deactivate
// on the old one first. A closed window stays readable (Closed()) until the application goes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/outlook/command_bars.h"
#include "platform/outlook/item.h"
#include "platform/outlook/signal.h"

namespace platform::outlook {

class Application;
class Folder;

namespace detail {
class Window {
 public:
  virtual ~Window() = default;
  virtual void RaiseActivate() = 0;
  virtual void RaiseDeactivate() = 0;
};
}  // namespace detail

class Explorer : public detail::Window {
 public:
  Explorer(Application& app, ControlStore& store, Folder* folder);

  // Outlook's Application (and Parent) of the window.
  outlook::Application& Parent() const { return app_; }
  outlook::CommandBars& CommandBars() { return bars_; }
  Folder* CurrentFolder() const { return folder_; }
  const ItemList& Selection() const { return selection_; }
  const std::string& CurrentView() const { return view_; }
  bool Visible() const { return visible_; }
  bool Closed() const { return closed_; }

  // Shows the window and activates it.
  void Display();
  void Activate();
  // Raises Close; the explorer leaves Explorers. Closing the last window quits the application
  // when its options say so.
  void Close();

  // host: the user picks a folder. BeforeFolderSwitch may cancel; then FolderSwitch, ViewSwitch
  // when the new folder holds another kind of item, and SelectionChange when the selection was
  // not empty (it is emptied).
  bool SetCurrentFolder(Folder* folder);
  // host: the user selects items (SelectionChange).
  void Select(std::vector<std::shared_ptr<Item>> items);
  // host: the user picks another view (ViewSwitch).
  void SetCurrentView(std::string view);

  Event<>& OnActivate() { return activate_; }
  Event<>& OnDeactivate() { return deactivate_; }
  Event<>& OnViewSwitch() { return view_switch_; }
  Event<>& OnClose() { return close_; }
  Event<Folder*, bool&>& OnBeforeFolderSwitch() { return before_folder_switch_; }
  Event<>& OnFolderSwitch() { return folder_switch_; }
  Event<>& OnSelectionChange() { return selection_change_; }

 private:
  void RaiseActivate() override { activate_.Emit(); }
  void RaiseDeactivate() override { deactivate_.Emit(); }

  Application& app_;
  outlook::CommandBars bars_;
  Folder* folder_;
  ItemList selection_;
  std::string view_;
  bool visible_ = false;
  bool closing_ = false;
  bool closed_ = false;
  Signal<> activate_, deactivate_, view_switch_, close_, folder_switch_, selection_change_;
  Signal<Folder*, bool&> before_folder_switch_;
};

class Inspector : public detail::Window {
 public:
  Inspector(Application& app, ControlStore& store, std::shared_ptr<Item> item, bool modal);

  outlook::Application& Parent() const { return app_; }
  std::shared_ptr<Item> CurrentItem() const { return item_; }
  outlook::CommandBars& CommandBars() { return bars_; }
  // Display was asked for a modal window; the host's window decides what that means.
  bool Modal() const { return modal_; }
  bool Closed() const { return closed_; }
  std::string Caption() const;

  void Activate();
  void Close();

  Event<>& OnActivate() { return activate_; }
  Event<>& OnDeactivate() { return deactivate_; }
  Event<>& OnClose() { return close_; }

 private:
  void RaiseActivate() override { activate_.Emit(); }
  void RaiseDeactivate() override { deactivate_.Emit(); }

  Application& app_;
  outlook::CommandBars bars_;
  std::shared_ptr<Item> item_;
  bool modal_;
  bool closing_ = false;
  bool closed_ = false;
  Signal<> activate_, deactivate_, close_;
};

class Explorers {
 public:
  int Count() const { return static_cast<int>(open_.size()); }
  Explorer* Item(int index) const;
  // A new, not yet visible explorer on a folder (NewExplorer); Display shows it. nullptr without
  // a folder or after Quit.
  Explorer* Add(Folder* folder);
  Event<Explorer*>& OnNewExplorer() { return new_explorer_; }

 private:
  friend class Application;
  friend class Explorer;
  explicit Explorers(Application& app) : app_(app) {}
  Application& app_;
  std::vector<std::unique_ptr<Explorer>> all_;  // closed ones stay alive
  std::vector<Explorer*> open_;
  Signal<Explorer*> new_explorer_;
};

class Inspectors {
 public:
  int Count() const { return static_cast<int>(open_.size()); }
  Inspector* Item(int index) const;
  Event<Inspector*>& OnNewInspector() { return new_inspector_; }

 private:
  friend class Application;
  friend class Inspector;
  explicit Inspectors(Application& app) : app_(app) {}
  Application& app_;
  std::vector<std::unique_ptr<Inspector>> all_;
  std::vector<Inspector*> open_;
  Signal<Inspector*> new_inspector_;
};

}  // namespace platform::outlook
