#include "tests/platform/ui/qt/gui_environment.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QtWidgets/QApplication>
#include <cstdlib>
#include <memory>
#include <vector>

// Qt, fontconfig and the X libraries keep caches for the life of the process.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libQt6\nleak:libfontconfig\nleak:libxcb\nleak:libX11\nleak:libglib\n"
         "leak:libdbus\nleak:libgobject\nleak:libfreetype\n";
}

namespace platform::ui::qt::testing {
namespace {

class XvfbEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return;
    pid_t pid = ::fork();
    if (pid == 0) {
      // A test killed on its time-out takes its display with it.
      ::prctl(PR_SET_PDEATHSIG, SIGTERM);
      // -displayfd writes the display number it chose there. A fixed resolution keeps twips
      // and font metrics the same on every machine.
      if (fds[1] == 3)
        ::fcntl(3, F_SETFD, 0);
      else
        ::dup2(fds[1], 3);
      int null = ::open("/dev/null", O_WRONLY);
      if (null >= 0) ::dup2(null, STDERR_FILENO);
      ::execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", "1280x1024x24", "-dpi", "96",
               "-nolisten", "tcp", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(fds[1]);
    if (pid < 0) {
      ::close(fds[0]);
      return;
    }
    pid_ = pid;
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    char c;
    while (::poll(&p, 1, 10000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(fds[0]);
    if (number.empty()) return;
    ::setenv("DISPLAY", (":" + number).c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    ::unsetenv("WAYLAND_DISPLAY");
    static int argc = 1;
    static char name[] = "gui_tests";
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<QApplication>(argc, argv);
    available() = true;
  }

  void TearDown() override {
    for (auto& last : lastSteps()) last();
    lastSteps().clear();
    available() = false;
    app_.reset();
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
  }

  static std::vector<std::function<void()>>& lastSteps() {
    static std::vector<std::function<void()>> steps;
    return steps;
  }

  static bool& available() {
    static bool on = false;
    return on;
  }

 private:
  pid_t pid_ = -1;
  std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment(new XvfbEnvironment);

}  // namespace

bool guiAvailable() {
  return XvfbEnvironment::available();
}

void beforeGuiEnds(std::function<void()> last) {
  XvfbEnvironment::lastSteps().push_back(std::move(last));
}

std::string screenshotFolder() {
  const char* build = std::getenv("TELVANE_BINARY_DIR");
  return std::string(build && *build ? build : ".") + "/screenshots";
}

}  // namespace platform::ui::qt::testing
