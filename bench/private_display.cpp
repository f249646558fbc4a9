#include "bench/private_display.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace bench {
namespace {

pid_t xvfb = -1;

void stopXvfb() {
  if (xvfb <= 0) return;
  ::kill(xvfb, SIGTERM);
  ::waitpid(xvfb, nullptr, 0);
  xvfb = -1;
}

}  // namespace

bool EnsureDisplay(std::string& why) {
  const char* display = std::getenv("DISPLAY");
  if ((display && *display) || xvfb > 0) return true;
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    why = "no pipe for Xvfb";
    return false;
  }
  const pid_t pid = ::fork();
  if (pid == 0) {
    // -displayfd picks a free display number and writes it there.
    if (fds[1] == 3)
      ::fcntl(3, F_SETFD, 0);
    else
      ::dup2(fds[1], 3);
    const int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) ::dup2(null, STDERR_FILENO);
    ::execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
             static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(fds[1]);
  if (pid < 0) {
    ::close(fds[0]);
    why = "cannot start Xvfb";
    return false;
  }
  xvfb = pid;
  std::atexit(stopXvfb);
  std::string number;
  pollfd p{fds[0], POLLIN, 0};
  char c;
  while (::poll(&p, 1, 10000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
  ::close(fds[0]);
  if (number.empty()) {
    stopXvfb();
    why = "Xvfb did not start (is it installed? scripts/deps/qt.txt lists it)";
    return false;
  }
  ::setenv("DISPLAY", (":" + number).c_str(), 1);
  ::setenv("QT_QPA_PLATFORM", "xcb", 1);
  ::unsetenv("WAYLAND_DISPLAY");
  return true;
}

}  // namespace bench
