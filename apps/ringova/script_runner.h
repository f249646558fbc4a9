#pragma once
// The scripted mode: one command per line, run on the UI thread in order. A command that opens
// a modal window (a click, a key) is still running while the window is up; the lines after it
// run meanwhile, inside the window's loop, until one of them closes it. Waits and sleeps hold
// the script while the loop goes on.
//
// Output, one JSON line each: {"log":TEXT}, {"form":NAME,"shown":BOOL,"caption":TEXT},
// {"msgbox":TEXT,"title":TEXT,"answer":BUTTON}, {"dump":TEXT}, {"error":TEXT}.
#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "apps/common/json_line.h"
#include "platform/shell/message_box.h"
#include "platform/shell/phone_links.h"

namespace platform::ui {
class Control;
class Form;
class Toolkit;
class UiDriver;
}  // namespace platform::ui
namespace platform::outlook {
class Application;
class Explorer;
class Folder;
}  // namespace platform::outlook

namespace ringova::host {

struct ScriptTargets {
  platform::ui::Toolkit& toolkit;
  platform::ui::UiDriver& driver;
  platform::outlook::Application& outlook;
  platform::shell::PhoneLinks& links;  // `dial ADDRESS`
  // `source sync NAME`: starts a sync of that source and answers whether it has finished (and
  // been applied); an empty answer, with why, when there is no such source.
  std::function<std::function<bool()>(const std::string& name, std::string& why)> syncSource;
};

class ScriptRunner {
 public:
  using Emit = std::function<void(const std::string& line)>;  // one finished JSON line
  using Sync = std::function<void()>;                         // takes in the add-in's new log lines
  using Quit = std::function<void()>;

  ScriptRunner(ScriptTargets targets, Emit emit, Sync syncLog, Quit quit);

  // UI thread. A line of the script; runs when the lines before it have run.
  void push(std::string line);
  // Runs what can run now: at each line, each tick of the host's timer, each change.
  void pump();
  // The end of the script: lines not run yet are dropped, windows waiting for an answer close.
  void quit();
  bool quitting() const { return quitting_; }

  // What the host observes, reported in the transcript.
  void logLine(const std::string& message);
  void formChanged(platform::ui::Form& form);
  void formGone(platform::ui::Form& form);
  std::optional<platform::shell::MsgBoxResult> takeAnswer(
      const platform::shell::MessageBoxRequest& request);
  void messageBoxDone(const platform::shell::MessageBoxRequest& request,
                      platform::shell::MsgBoxResult result);
  // A modal window's loop went idle: a queued answer goes to a question window.
  bool modalIdle(platform::ui::Form& form);

 private:
  struct Wait {
    std::function<bool()> done;
    std::chrono::steady_clock::time_point deadline;
    bool timeoutIsError = true;
  };
  using Words = std::vector<std::string>;

  void run(const std::string& line);
  void error(const std::string& text);
  void emit(const telvane::apps::JsonLine& line, bool sync = true);
  bool waitOver();
  void startWait(std::function<bool()> done, const Words& w, std::size_t secondsAt);

  // Outlook (script_outlook.cpp).
  void explorerCommand(const Words& w);
  void folderCommand(const Words& w);
  void selectCommand(const Words& w);
  void clickCommand(const Words& w);
  void contactCommand(const Words& w);
  platform::outlook::Explorer* activeExplorer();

  // The add-in's windows (script_forms.cpp).
  void formCommand(const Words& w);
  void closeCommand(const Words& w);
  void dumpCommand(const Words& w);
  void answerCommand(const Words& w);
  void waitCommand(const Words& w);
  platform::ui::Form* findForm(std::string_view ref, std::string& why) const;
  std::vector<platform::ui::Form*> visibleForms(std::string_view name) const;
  bool driverOk(std::size_t failuresBefore);
  bool answerOpenBox(const std::string& answer);

  ScriptTargets t_;
  Emit emit_;
  Sync sync_;
  Quit quit_;
  std::deque<std::string> pending_;
  std::optional<Wait> wait_;
  std::deque<std::string> answers_;  // for the next message boxes and questions
  std::vector<std::string> logSeen_;
  std::size_t logMark_ = 0;                              // `wait log` looks from here on
  std::map<const platform::ui::Form*, unsigned> shown_;  // visible forms, by when they showed
  unsigned showSerial_ = 0;
  bool running_ = false;
  std::size_t runningModalDepth_ = 0;
  bool quitting_ = false;
};

// "Se&ttings..." as a user reads it: "Settings...".
std::string WithoutAccelerator(std::string_view caption);

}  // namespace ringova::host
