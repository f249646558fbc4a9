#pragma once
// Outlook's explorer windows drawn with Qt: for each open explorer a window with the folder
// tree, the current folder's items (contacts with their numbers, mails with sender and
// subject), a menu bar and a "Standard" toolbar drawn from its command bars, and the
// "Context Menu" bar on a right click in a contact folder. An address-book source's store shows
// its state in brief on its row and whole in the status bar while one of its folders is open.
// Folder switches, selections, clicks on commands and closing the window are raised on the explorer
// as a user's would be.
//
// The command bars tell no one when an add-in changes them, so the windows look at them again
// a few times a second and after every command.
#include <QtCore/QObject>
#include <QtCore/QTimer>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/outlook/application.h"
#include "platform/outlook/explorer.h"

class QMainWindow;

namespace ringova::host {

class ExplorerWindow;

class ExplorerWindows final : public QObject {
 public:
  // With a folder, a PNG of a window ("explorer-NNNN.png", numbered in order) is written there
  // each time it is shown or its title or bars change.
  explicit ExplorerWindows(platform::outlook::Application& app, std::string screenshotFolder = {});
  ~ExplorerWindows() override;
  ExplorerWindows(const ExplorerWindows&) = delete;
  ExplorerWindows& operator=(const ExplorerWindows&) = delete;

  // The window of an open explorer; null when it has none (closed, not displayed).
  QMainWindow* window(const platform::outlook::Explorer& explorer) const;
  // Brings every window up to date with its explorer now (the timer does it otherwise).
  void refresh();

 private:
  void screenshot(ExplorerWindow& w);

  platform::outlook::Application& app_;
  std::string screenshotFolder_;
  int screenshots_ = 0;
  std::map<const platform::outlook::Explorer*, std::unique_ptr<ExplorerWindow>> windows_;
  // Display and Activate tell through the explorer's Activate event: its window shows at once.
  std::map<const platform::outlook::Explorer*, platform::outlook::Connection> activations_;
  bool refreshing_ = false;
  // Windows of closed explorers, deleted from the timer: one may be inside its own close event.
  std::vector<std::unique_ptr<ExplorerWindow>> closing_;
  platform::outlook::Connection newExplorer_;
  QTimer timer_;
};

}  // namespace ringova::host
