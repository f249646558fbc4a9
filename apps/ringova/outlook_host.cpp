#include "apps/ringova/outlook_host.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <QtCore/QCoreApplication>
#include <atomic>
#include <csignal>
#include <memory>
#include <thread>

#include "apps/ringova/bus_notifications.h"
#include "apps/ringova/desktop_windows.h"
#include "apps/ringova/host_sources.h"
#include "apps/ringova/log_follower.h"
#include "apps/ringova/mailbox_setup.h"
#include "apps/ringova/modules.h"
#include "apps/ringova/script_runner.h"
#include "apps/ringova/script_shell.h"
#include "apps/ringova/session_bus.h"
#include "platform/outlook/addin_manager.h"
#include "platform/outlook/application.h"
#include "platform/outlook/constants.h"
#include "platform/registry/registry.h"
#include "platform/registry/settings.h"
#include "platform/ui/clock.h"
#include "platform/ui/form.h"
#include "platform/ui/message_loop.h"
#include "platform/ui/qt/qt_pump.h"
#include "platform/ui/timer.h"
#include "platform/ui/toolkit.h"
#include "platform/ui/ui_driver.h"

namespace ringova::host {

namespace ol = platform::outlook;
namespace ui = platform::ui;

namespace {

constexpr int kTickMs = 20;
std::atomic<bool> stopSignal{false};

void onStopSignal(int) {
  stopSignal = true;
}

// Reads the script's lines on a thread of its own and hands each to the UI thread; the end of
// the input becomes "quit".
class ScriptReader {
 public:
  ScriptReader(int fd, ui::MessageLoop& loop, ScriptRunner& runner)
      : fd_(fd), loop_(loop), runner_(runner), thread_([this] { read(); }) {}
  ~ScriptReader() {
    stop_ = true;
    thread_.join();
  }
  ScriptReader(const ScriptReader&) = delete;
  ScriptReader& operator=(const ScriptReader&) = delete;

 private:
  void read() {
    std::string buffer;
    char chunk[4096];
    while (!stop_) {
      pollfd p{fd_, POLLIN, 0};
      const int ready = ::poll(&p, 1, 100);
      if (ready < 0 && errno != EINTR) break;
      if (ready <= 0) continue;
      const ssize_t n = ::read(fd_, chunk, sizeof chunk);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      buffer.append(chunk, static_cast<std::size_t>(n));
      for (std::size_t end; (end = buffer.find('\n')) != std::string::npos;) {
        std::string line = buffer.substr(0, end);
        buffer.erase(0, end + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        hand(std::move(line));
      }
    }
    if (!stop_ && !buffer.empty()) hand(std::move(buffer));
    if (!stop_) hand("quit");
  }
  void hand(std::string line) {
    loop_.post([this, line = std::move(line)]() mutable { runner_.push(std::move(line)); });
  }

  int fd_;
  ui::MessageLoop& loop_;
  ScriptRunner& runner_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

std::string withSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

void writeLine(std::FILE* out, const std::string& line) {
  std::fputs(line.c_str(), out);
  std::fputc('\n', out);
  std::fflush(out);
}

}  // namespace

int RunHost(const HostOptions& options, std::FILE* out, std::FILE* err) {
  // Qt's application object first: the bus needs one, windows need the kind with widgets.
  const bool bus = SessionBusNamed();
  std::string noDisplay;
  const bool drawn = !options.headless && DisplayAvailable(noDisplay);
  std::unique_ptr<QCoreApplication> qt;
  if (drawn || bus) qt = MakeQtApplication(drawn);
  // One ringova per session: a later start hands its link over and ends. A scripted run only
  // hands over a link; otherwise it runs on its own beside the other.
  if (bus && (!options.headless || !options.address.empty())) {
    std::string why;
    const HandOff handOff = HandToRunningInstance(options.address, why);
    if (handOff == HandOff::Delivered) return 0;
    if (handOff == HandOff::Failed) std::fprintf(err, "ringova: %s\n", why.c_str());
  }
  if (!options.headless && !drawn) {
    std::fprintf(err, "ringova: %s; try ringova --headless\n", noDisplay.c_str());
    return 2;
  }

  if (!ModulesRegistered()) {
    std::string why;
    if (!RegisterModules(false, why)) {
      std::fprintf(err, "ringova: registering the modules failed: %s\n", why.c_str());
      return 1;
    }
  }

  int scriptFd = STDIN_FILENO;
  if (!options.script.empty()) {
    scriptFd = ::open(options.script.c_str(), O_RDONLY | O_CLOEXEC);
    if (scriptFd < 0) {
      std::fprintf(err, "ringova: %s: cannot be read\n", options.script.c_str());
      return 2;
    }
  }
  struct FdCloser {
    int fd;
    ~FdCloser() {
      if (fd != STDIN_FILENO) ::close(fd);
    }
  } closer{scriptFd};

  ol::ApplicationOptions appOptions;
  if (const char* user = std::getenv("USER")) appOptions.current_user = ol::Recipient(user, user);
  ol::Application outlook(appOptions);
  ol::NameSpace& mapi = *outlook.GetNamespace("MAPI");
  std::vector<std::filesystem::path> paths(options.mailboxes.begin(), options.mailboxes.end());
  if (paths.empty()) paths = DefaultMailbox();
  MailboxSummary summary;
  std::string loadError;
  if (!LoadMailboxes(paths, mapi, summary, loadError)) {
    std::fprintf(err, "ringova: %s\n", loadError.c_str());
    return 2;
  }
  for (const std::string& warning : summary.warnings) {
    std::fprintf(err, "ringova: %s\n", warning.c_str());
  }

  ui::RealClock clock;
  ui::MessageLoop loop(clock);
  ui::Toolkit toolkit(loop);
  ui::UiDriver driver(toolkit);
  ScriptShell shell(toolkit);
  platform::Registry user(platform::RegistryHive::CurrentUser);
  platform::Registry machine(platform::RegistryHive::LocalMachine);

  // The session bus: this instance's name (links from later starts) and the desktop's
  // notifications, both served from the loop.
  HostSources* sourcesForBus = nullptr;               // set once the sources exist, below
  std::unique_ptr<platform::ui::qt::QtPump> busPump;  // windows bring their own pump
  std::unique_ptr<BusApplication> busApplication;
  std::unique_ptr<BusNotifications> notifications;
  if (bus) {
    const auto post = [&loop](std::function<void()> task) { loop.post(std::move(task)); };
    if (!drawn) busPump = std::make_unique<platform::ui::qt::QtPump>(loop, nullptr);
    busApplication = std::make_unique<BusApplication>(
        BusApplication::Handlers{[&shell, err](const std::string& address) {
                                   if (!shell.phoneLinks().deliver(address)) {
                                     std::fprintf(err, "ringova: no add-in dials phone links\n");
                                   }
                                 },
                                 [&outlook] {
                                   if (ol::Explorer* e = outlook.ActiveExplorer()) e->Activate();
                                 },
                                 [&sourcesForBus](const std::string& name) {
                                   if (!sourcesForBus) return;
                                   for (auto* source : sourcesForBus->All())
                                     if (name.empty() || source->Name() == name) source->SyncNow();
                                 }},
        post);
    std::string why;
    if (!busApplication->claim(why)) {
      if (!options.headless) std::fprintf(err, "ringova: %s\n", why.c_str());
      busApplication.reset();
    }
    notifications = std::make_unique<BusNotifications>(post);
    shell.desktop().setNotifications(notifications.get());
  }

  bool done = false;
  std::unique_ptr<DesktopWindows> windows;  // without --headless
  std::unique_ptr<ScriptRunner> runner;
  // The sources' lines go where the add-in's go: the transcript, else stderr.
  HostSources sources(mapi, loop, user, [&runner, err](std::string_view line) {
    if (runner) {
      runner->logLine(std::string(line));
    } else {
      std::fprintf(err, "ringova: %.*s\n", static_cast<int>(line.size()), line.data());
    }
  });
  sourcesForBus = &sources;
  LogFollower follower(
      [&] {
        std::string folder = platform::getSetting(user, "RingovaAddIn", "Settings", "PathLogFile");
        if (folder.empty()) {
          folder = shell.specialFolder(platform::shell::SpecialFolder::LocalAppData) + "Ringova/";
        }
        return withSlash(folder);
      },
      [&](const std::string& message) {
        if (runner) runner->logLine(message);
      });
  if (options.headless) {
    runner = std::make_unique<ScriptRunner>(
        ScriptTargets{
            toolkit, driver, outlook, shell.phoneLinks(),
            [&sources](const std::string& name, std::string& why) -> std::function<bool()> {
              auto* source = sources.Find(name);
              if (!source) {
                why = "no source " + name;
                return nullptr;
              }
              const int before = source->SyncsDone();
              source->SyncNow();
              return [source, before] { return source->SyncsDone() > before; };
            }},
        [out](const std::string& line) { writeLine(out, line); }, [&follower] { follower.poll(); },
        [&done] { done = true; });
    ScriptRunner& r = *runner;
    toolkit.onChanged = [&r](ui::Control& c) {
      if (c.kind() == ui::ControlKind::Form) r.formChanged(static_cast<ui::Form&>(c));
    };
    toolkit.onFormGone = [&r](ui::Form& form) { r.formGone(form); };
    toolkit.setModalHandler([&r](ui::Form& form) { return r.modalIdle(form); });
    shell.answer = [&r](const ScriptShell::Request& request) { return r.takeAnswer(request); };
    shell.answered = [&r](const ScriptShell::Request& request, ScriptShell::Result result) {
      r.messageBoxDone(request, result);
    };
  } else {
    toolkit.setModalHandler(nullptr);  // a person answers the windows now
    windows =
        std::make_unique<DesktopWindows>(toolkit, shell.desktop(), outlook, options.screenshots);
    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);
  }

  // Outlook opens on the Inbox, as it does for a user.
  ol::Folder* start = mapi.GetDefaultFolder(ol::olFolderInbox);
  if (!start && mapi.Folders().Count() > 0) start = mapi.Folders().Item(1);
  if (ol::Explorer* explorer = start ? outlook.Explorers().Add(start) : nullptr) {
    explorer->Display();
  }
  // Outlook ending by itself (its last window closed) ends the script too.
  ol::Connection quitWatch = outlook.OnQuit().Connect([&] {
    done = true;
    if (runner) runner->quit();
  });

  auto manager =
      std::make_unique<ol::AddInManager>(outlook, ol::HostServices{toolkit, shell, user, machine});
  ui::Timer tick(loop);
  tick.onTimer = [&] {
    follower.poll();
    if (stopSignal && !done) {
      done = true;
      // Interrupted: windows waiting for an answer close, so their loops end.
      while (ui::Form* modal = toolkit.topModal()) {
        if (!modal->visible()) break;
        modal->hide();
      }
    }
    if (runner) loop.post([&r = *runner] { r.pump(); });
  };
  tick.setInterval(kTickMs);
  tick.setEnabled(true);
  // Start-up runs on the loop like everything after it, so a window it opens can be answered
  // by the script.
  loop.post([&] {
    manager->Startup();
    sources.Start();
    for (const std::string& failure : manager->Failures()) {
      std::fprintf(err, "ringova: %s\n", failure.c_str());
    }
    if (!options.address.empty() && !shell.phoneLinks().deliver(options.address)) {
      std::fprintf(err, "ringova: no add-in dials phone links\n");
    }
  });
  {
    std::unique_ptr<ScriptReader> reader;
    if (runner) reader = std::make_unique<ScriptReader>(scriptFd, loop, *runner);
    loop.runUntil([&done] { return done; });
    // Winding down: nothing may wait for an answer now.
    shell.setUnattended(true);
    toolkit.setModalHandler([](ui::Form& form) {
      form.hide();
      return true;
    });
    manager->Shutdown();
    loop.doEvents();
    follower.poll();
    manager.reset();
    follower.poll();
  }
  tick.setEnabled(false);
  shell.desktop().setNotifications(nullptr);
  toolkit.onChanged = nullptr;
  toolkit.onFormGone = nullptr;
  return 0;
}

}  // namespace ringova::host
