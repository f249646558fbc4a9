#include "apps/ringova/script_runner.h"

#include <algorithm>

#include "apps/common/line_words.h"
#include "apps/ringova/script_line.h"
#include "platform/outlook/application.h"
#include "platform/outlook/text_util.h"
#include "platform/ui/form.h"
#include "platform/ui/toolkit.h"

namespace ringova::host {

namespace ol = platform::outlook;
using telvane::apps::JsonLine;

std::string WithoutAccelerator(std::string_view caption) {
  std::string out;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    out += caption[i];
  }
  return out;
}

ScriptRunner::ScriptRunner(ScriptTargets targets, Emit emit, Sync syncLog, Quit quit)
    : t_(targets), emit_(std::move(emit)), sync_(std::move(syncLog)), quit_(std::move(quit)) {}

void ScriptRunner::push(std::string line) {
  pending_.push_back(std::move(line));
  pump();
}

void ScriptRunner::pump() {
  // Inside a loop that a running command runs without a window of its own (a progress loop, a
  // wait for the PBX), the script holds: only a window the command opened lets it go on.
  const std::size_t depth = t_.toolkit.modalStack().size();
  if (running_ && depth <= runningModalDepth_) return;
  while (!pending_.empty() && !quitting_) {
    if (wait_ && !waitOver()) return;
    if (t_.toolkit.modalStack().size() < depth) return;  // the window this loop serves closed
    const std::string line = std::move(pending_.front());
    pending_.pop_front();
    const bool outerRunning = running_;
    const std::size_t outerDepth = runningModalDepth_;
    running_ = true;
    runningModalDepth_ = t_.toolkit.modalStack().size();
    run(line);
    running_ = outerRunning;
    runningModalDepth_ = outerDepth;
  }
  if (wait_) waitOver();
}

bool ScriptRunner::waitOver() {
  sync_();
  if (wait_->done && wait_->done()) {
    wait_.reset();
    return true;
  }
  if (std::chrono::steady_clock::now() < wait_->deadline) return false;
  const bool report = wait_->timeoutIsError;
  wait_.reset();
  if (report) error("timeout");
  return true;
}

void ScriptRunner::emit(const JsonLine& line, bool sync) {
  if (sync && sync_) sync_();
  emit_(line.str());
}

void ScriptRunner::error(const std::string& text) {
  emit(JsonLine().text("error", text));
}

void ScriptRunner::run(const std::string& raw) {
  std::vector<std::string> w;
  std::string why;
  if (!ScriptWords(raw, w, why)) return error(why + ": " + raw);
  if (w.empty()) return;
  const std::string& c = w[0];
  if (c == "quit" && w.size() == 1) return quit();
  if (c == "explorer") return explorerCommand(w);
  if (c == "folder") return folderCommand(w);
  if (c == "select") return selectCommand(w);
  if (c == "click") return clickCommand(w);
  if (c == "contextmenu" && w.size() == 1) {
    ol::Explorer* e = activeExplorer();
    if (e) e->CommandBars().RaiseUpdate();
    return;
  }
  if (c == "contact") return contactCommand(w);
  if (c == "source") {
    if (w.size() < 3 || w[1] != "sync") return error("source needs sync NAME [S]");
    std::string why;
    std::function<bool()> done = t_.syncSource ? t_.syncSource(w[2], why) : nullptr;
    if (!done) return error(why.empty() ? "no sources here" : why);
    return startWait(std::move(done), w, 3);
  }
  if (c == "dial") {
    if (w.size() != 2) return error("dial needs one address");
    if (!t_.links.deliver(w[1])) error("no add-in dials phone links");
    return;
  }
  if (c == "form") return formCommand(w);
  if (c == "close") return closeCommand(w);
  if (c == "dump") return dumpCommand(w);
  if (c == "answer") return answerCommand(w);
  if (c == "wait") return waitCommand(w);
  if (c == "sleep" && w.size() == 2) {
    long long ms = 0;
    if (!telvane::apps::parseInteger(w[1], 0, 24LL * 3600 * 1000, ms)) {
      return error("sleep needs milliseconds: " + raw);
    }
    wait_ = Wait{nullptr, std::chrono::steady_clock::now() + std::chrono::milliseconds(ms), false};
    return;
  }
  error("unknown command: " + raw);
}

void ScriptRunner::startWait(std::function<bool()> done, const Words& w, std::size_t secondsAt) {
  double seconds = 30;
  if (w.size() > secondsAt) {
    if (!ParseWaitSeconds(w[secondsAt], seconds) || w.size() > secondsAt + 1) {
      return error("wait: bad seconds");
    }
  }
  const auto limit = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
      std::chrono::duration<double>(seconds));
  wait_ = Wait{std::move(done), std::chrono::steady_clock::now() + limit, true};
  waitOver();
}

void ScriptRunner::waitCommand(const Words& w) {
  if (w.size() < 3) return error("wait needs log TEXT, form FORM or hidden FORM");
  const std::string what = w[1], arg = w[2];
  if (what == "log") {
    return startWait(
        [this, arg] {
          for (std::size_t i = logMark_; i < logSeen_.size(); ++i) {
            if (logSeen_[i].find(arg) != std::string::npos) {
              logMark_ = i + 1;
              return true;
            }
          }
          return false;
        },
        w, 3);
  }
  if (what == "form") return startWait([this, arg] { return !visibleForms(arg).empty(); }, w, 3);
  if (what == "hidden") return startWait([this, arg] { return visibleForms(arg).empty(); }, w, 3);
  error("wait needs log TEXT, form FORM or hidden FORM");
}

void ScriptRunner::quit() {
  if (quitting_) return;
  quitting_ = true;
  pending_.clear();
  wait_.reset();
  // Windows still waiting for an answer close, so their loops end and the host can wind down.
  while (platform::ui::Form* modal = t_.toolkit.topModal()) {
    if (!modal->visible()) break;
    modal->hide();
  }
  quit_();
}

void ScriptRunner::logLine(const std::string& message) {
  logSeen_.push_back(message);
  emit(JsonLine().text("log", message), false);
}

void ScriptRunner::formChanged(platform::ui::Form& form) {
  const bool visible = form.visible();
  const auto it = shown_.find(&form);
  if (visible == (it != shown_.end())) return;
  if (visible) {
    shown_[&form] = ++showSerial_;
  } else {
    shown_.erase(it);
  }
  emit(JsonLine()
           .text("form", form.name())
           .boolean("shown", visible)
           .text("caption", form.caption()));
}

void ScriptRunner::formGone(platform::ui::Form& form) {
  const auto it = shown_.find(&form);
  if (it == shown_.end()) return;
  shown_.erase(it);
  emit(
      JsonLine().text("form", form.name()).boolean("shown", false).text("caption", form.caption()));
}

std::vector<platform::ui::Form*> ScriptRunner::visibleForms(std::string_view name) const {
  std::vector<std::pair<unsigned, platform::ui::Form*>> found;
  for (platform::ui::Form* f : t_.toolkit.forms()) {
    const auto it = shown_.find(f);
    if (it != shown_.end() && f->visible() && f->name() == name) found.emplace_back(it->second, f);
  }
  std::sort(found.begin(), found.end());
  std::vector<platform::ui::Form*> forms;
  for (const auto& [serial, f] : found) forms.push_back(f);
  return forms;
}

}  // namespace ringova::host
