#include "apps/telvane/shell.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <deque>

#include "apps/common/json_line.h"
#include "apps/telvane/command_line.h"
#include "telvane/xmlrpc/ascii.h"

namespace telvane::shell {

using apps::JsonLine;
using apps::jsonString;

using platform::Variant;
using platform::VarType;

namespace {

constexpr int kDefaultWaitSeconds = 30;

void addValue(JsonLine& line, const std::string& name, const Variant& v) {
  switch (v.type()) {
    case VarType::Bool:
      line.boolean(name, v.boolValue());
      break;
    case VarType::I2:
      line.number(name, v.i2());
      break;
    case VarType::I4:
      line.number(name, v.i4());
      break;
    case VarType::Text:
      line.text(name, v.text());
      break;
    case VarType::TextRef:
      line.text(name, v.referencedText());
      break;
    case VarType::Empty:
      break;
  }
}

}  // namespace

Shell::Shell(int inputFd, std::FILE* output) : input_(inputFd), output_(output) {
  control_.setDispatcher(&dispatcher_);
  for (const platform::MemberInfo& event : control_.events()) {
    control_.advise(event.id,
                    [this, &event](const std::vector<Variant>& args) { printEvent(event, args); });
  }
}

Shell::~Shell() {
  control_.setDispatcher(nullptr);
}

int Shell::run() {
  std::string pending;
  bool inputOpen = true;
  bool quit = false;
  while (inputOpen && !quit) {
    pollfd fds[2] = {{input_, POLLIN, 0}, {dispatcher_.fd(), POLLIN, 0}};
    int ready = poll(fds, dispatcher_.fd() >= 0 ? 2 : 1, dispatcher_.fd() >= 0 ? -1 : 50);
    if (ready < 0 && errno != EINTR) break;
    dispatcher_.pump();
    if (ready <= 0 || !(fds[0].revents & (POLLIN | POLLHUP | POLLERR))) continue;

    char buf[4096];
    ssize_t n = read(input_, buf, sizeof buf);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) {
      inputOpen = false;
    } else {
      pending.append(buf, static_cast<size_t>(n));
    }
    size_t start = 0;
    for (size_t nl; !quit && (nl = pending.find('\n', start)) != std::string::npos;
         start = nl + 1) {
      quit = !runLine(std::string_view(pending).substr(start, nl - start));
    }
    pending.erase(0, start);
  }
  if (!quit && !pending.empty()) runLine(pending);  // a last line without its line end
  control_.Disconnect();
  dispatcher_.pump();
  return 0;
}

bool Shell::runLine(std::string_view line) {
  std::vector<std::string> words;
  std::string error;
  if (!splitWords(line, words, error)) {
    printError(error);
    return true;
  }
  if (words.empty() || words.front().starts_with('#')) return true;
  const std::string command = words.front();
  words.erase(words.begin());
  if (equalsIgnoreCase(command, "quit")) return false;
  if (equalsIgnoreCase(command, "wait")) {
    waitForEvent(words);
  } else if (equalsIgnoreCase(command, "sleep")) {
    sleepFor(words);
  } else {
    callMethod(command, words);
  }
  return true;
}

void Shell::callMethod(const std::string& name, const std::vector<std::string>& words) {
  const platform::DispId id = control_.getIDsOfNames(name);
  const platform::MemberInfo* method = platform::findMember(control_.methods(), id);
  if (!method) {
    printError("unknown command: " + name);
    return;
  }
  std::vector<Variant> args;
  std::deque<std::string> outputs;
  std::string error;
  if (!buildArguments(*method, words, args, outputs, error)) {
    printError(error);
    return;
  }
  Variant result;
  platform::HResult hr = control_.invoke(id, args, result);
  if (!platform::succeeded(hr)) {
    printError(method->name + " could not be called");
    return;
  }
  JsonLine line;
  line.text("method", method->name);
  addValue(line, "result", result);
  for (size_t i = 0; i < method->params.size(); ++i) {
    if (method->params[i].type == VarType::TextRef) addValue(line, method->params[i].name, args[i]);
  }
  emit(line.str());
}

void Shell::waitForEvent(const std::vector<std::string>& words) {
  long long seconds = kDefaultWaitSeconds;
  if (words.empty() || words.size() > 2 ||
      (words.size() == 2 && !parseInteger(words[1], 0, 24 * 3600, seconds))) {
    printError("usage: wait EVENTNAME [SECONDS]");
    return;
  }
  const platform::MemberInfo* event = platform::findMember(control_.events(), words[0]);
  if (!event) {
    printError("unknown event: " + words[0]);
    return;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!printedSinceWait_.contains(event->name)) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      printError("timeout");
      break;
    }
    pumpFor(left);
  }
  printedSinceWait_.clear();
}

void Shell::sleepFor(const std::vector<std::string>& words) {
  long long ms = 0;
  if (words.size() != 1 || !parseInteger(words[0], 0, 24LL * 3600 * 1000, ms)) {
    printError("usage: sleep MS");
    return;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (true) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pumpFor(left);
  }
}

void Shell::pumpFor(std::chrono::milliseconds limit) {
  dispatcher_.pumpFor(limit);
}

void Shell::printEvent(const platform::MemberInfo& event, const std::vector<Variant>& args) {
  JsonLine line;
  line.text("event", event.name);
  for (size_t i = 0; i < args.size() && i < event.params.size(); ++i) {
    addValue(line, event.params[i].name, args[i]);
  }
  emit(line.str());
  printedSinceWait_.insert(event.name);
}

void Shell::printError(std::string_view message) {
  emit(JsonLine().text("error", message).str());
}

void Shell::emit(const std::string& line) {
  std::fputs(line.c_str(), output_);
  std::fputc('\n', output_);
  std::fflush(output_);
}

}  // namespace telvane::shell
