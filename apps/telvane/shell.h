#pragma once
// telvane shell: a host for people and scripts. It reads one command per line, runs it on its
// own thread (which owns the control and delivers its events) and writes one JSON line per
// result, event or error, flushing each.
//
// Commands: a method of the control (any letter case) with its input arguments; `wait EVENT
// [SECONDS]` (until EVENT has been printed since the previous wait; 30 s by default);
// `sleep MS`; `quit`. Blank lines and lines starting with "#" are skipped. At the end of the
// input the control disconnects.
#include <chrono>
#include <cstdio>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/owner_dispatcher.h"
#include "platform/com/variant.h"
#include "telvane/control/telvane_ctrl.h"

namespace telvane::shell {

class Shell {
 public:
  Shell(int inputFd, std::FILE* output);
  ~Shell();
  Shell(const Shell&) = delete;
  Shell& operator=(const Shell&) = delete;

  // Runs until the end of the input or `quit`; returns the exit status.
  int run();

 private:
  bool runLine(std::string_view line);  // false: quit
  void callMethod(const std::string& name, const std::vector<std::string>& words);
  void waitForEvent(const std::vector<std::string>& words);
  void sleepFor(const std::vector<std::string>& words);
  void pumpFor(std::chrono::milliseconds limit);
  void printEvent(const platform::MemberInfo& event, const std::vector<platform::Variant>& args);
  void printError(std::string_view message);
  void emit(const std::string& line);

  int input_;
  std::FILE* output_;
  platform::PollableDispatcher dispatcher_;
  CTelvaneCtrl control_;
  std::set<std::string> printedSinceWait_;  // event names
};

}  // namespace telvane::shell
