#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "platform/shell/linux_shell.h"
#include "platform/shell/open_address.h"
#include "platform/ui/controls.h"
#include "platform/ui/ui_driver.h"
#include "tests/support/temp_folder.h"

using testsupport::TempFolder;

namespace platform::shell {
namespace {

std::string readFile(const std::filesystem::path& p) {
  std::ifstream in(p);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// An opener that writes its argument count and its first argument, untouched, to a file.
class FakeOpener {
 public:
  explicit FakeOpener(int exitCode = 0) {
    std::ofstream(script) << "#!/bin/sh\nprintf '%s\\n' \"$#\" > '" << out.string()
                          << "'\nprintf '%s' \"$1\" >> '" << out.string() << "'\nexit " << exitCode
                          << "\n";
    ::chmod(script.c_str(), 0755);
  }
  TempFolder temp;
  std::filesystem::path script = temp.path() / "opener";
  std::filesystem::path out = temp.path() / "out";
};

TEST(OpenAddress, PassesTheAddressAsOneUninterpretedArgument) {
  FakeOpener opener;
  const std::string address = "ftp://host/dir with spaces/x;y'z\"$(touch pwned)`id`&a=1|b";
  ASSERT_TRUE(openWithOpener(opener.script.string(), address));
  EXPECT_EQ(readFile(opener.out), "1\n" + address);
  EXPECT_FALSE(std::filesystem::exists("pwned"));
}

TEST(OpenAddress, RefusesOptionLikeAddressesAndReportsFailures) {
  FakeOpener opener;
  EXPECT_FALSE(openWithOpener(opener.script.string(), "--help"));
  EXPECT_FALSE(openWithOpener(opener.script.string(), ""));
  EXPECT_FALSE(std::filesystem::exists(opener.out));  // nothing ran

  FakeOpener failing(4);
  EXPECT_FALSE(openWithOpener(failing.script.string(), "http://127.0.0.1/"));
  EXPECT_TRUE(std::filesystem::exists(failing.out));
  EXPECT_FALSE(openWithOpener("/nonexistent/opener", "http://127.0.0.1/"));
  EXPECT_EQ(runProgram({}), -1);
}

// Waits (bounded) for a file a started program writes.
bool waitForFile(const std::filesystem::path& p) {
  for (int i = 0; i < 500 && !std::filesystem::exists(p); ++i) ::usleep(10000);
  return std::filesystem::exists(p);
}

TEST(OpenAddress, StartReturnsWhileTheOpenerStillRuns) {
  TempFolder temp;
  const auto script = temp.path() / "opener";
  const auto go = temp.path() / "go";
  const auto done = temp.path() / "done";
  // Stays until the test lets it go (10 s at most), then writes its argument.
  std::ofstream(script)
      << "#!/bin/sh\ni=0\nwhile [ ! -e '" << go.string()
      << "' ] && [ $i -lt 200 ]; do sleep 0.05; i=$((i+1)); done\nprintf '%s' \"$1\" > '"
      << done.string() << "'\n";
  ::chmod(script.c_str(), 0755);

  ASSERT_TRUE(startWithOpener(script.string(), "ftp://127.0.0.1/a b;c"));
  EXPECT_FALSE(std::filesystem::exists(done));  // returned while the opener waits
  std::ofstream(go) << "";
  ASSERT_TRUE(waitForFile(done));
  EXPECT_EQ(readFile(done), "ftp://127.0.0.1/a b;c");

  EXPECT_FALSE(startWithOpener(script.string(), "-x"));
  EXPECT_FALSE(startWithOpener("/nonexistent/opener", "http://127.0.0.1/"));
  EXPECT_FALSE(startProgram({"no-such-program-in-path"}));
  EXPECT_FALSE(startProgram({}));
}

class LinuxShellTest : public ::testing::Test {
 protected:
  ui::ManualClock clock;
  ui::MessageLoop loop{clock};
  ui::Toolkit toolkit{loop};
  ui::UiDriver driver{toolkit};
  LinuxShell shell{toolkit};
};

TEST_F(LinuxShellTest, OpenAddressUsesTheConfiguredOpener) {
  FakeOpener opener;
  ::setenv("TELVANE_OPENER", opener.script.c_str(), 1);
  EXPECT_TRUE(shell.openAddress("http://127.0.0.1/update"));
  ::unsetenv("TELVANE_OPENER");
  // Started, not waited for: the file appears when the opener has run.
  ASSERT_TRUE(waitForFile(opener.out));
  for (int i = 0; i < 500 && readFile(opener.out) != "1\nhttp://127.0.0.1/update"; ++i) {
    ::usleep(10000);
  }
  EXPECT_EQ(readFile(opener.out), "1\nhttp://127.0.0.1/update");
}

TEST_F(LinuxShellTest, MessageBoxIsAModalFormTheUserAnswers) {
  driver.expect("MsgBox", [&](ui::Form& box) {
    EXPECT_EQ(box.caption(), "Ringova");
    EXPECT_EQ(box.get<ui::Label>("lblText")->caption(), "Would you like to reload contacts?");
    EXPECT_EQ(box.get<ui::CommandButton>("btn1")->caption(), "No");
    EXPECT_TRUE(box.get<ui::CommandButton>("btn0")->hasFocus());  // the default button
    driver.click(*box.get<ui::CommandButton>("btn1"));
  });
  EXPECT_EQ(shell.messageBox("Would you like to reload contacts?", "Ringova", MsgBoxButtons::YesNo,
                             MsgBoxIcon::Question),
            MsgBoxResult::No);

  driver.expect("MsgBox", [&](ui::Form& box) { driver.closeBox(box); });
  EXPECT_EQ(shell.messageBox("Enter mandatory settings ", "Ringova", MsgBoxButtons::OkCancel),
            MsgBoxResult::Cancel);
  driver.expect("MsgBox", [&](ui::Form&) { driver.press(ui::key::Return); });
  EXPECT_EQ(shell.messageBox("The call is canceled ", "Ringova"), MsgBoxResult::Ok);
  EXPECT_TRUE(driver.failures().empty());
}

TEST_F(LinuxShellTest, FileDialogReturnsTheTypedPathOrNothing) {
  driver.expect("FileDialog", [&](ui::Form& dlg) {
    auto* path = dlg.get<ui::TextBox>("txtPath");
    EXPECT_EQ(path->text(), "/var/log/RingovaLog1.txt");
    path->setText("/home/ann/logs/RingovaLog1.txt");
    driver.click(*dlg.get<ui::CommandButton>("btnOK"));
  });
  EXPECT_EQ(shell.fileDialog({"", "/var/log", "RingovaLog1.txt", "", false}),
            "/home/ann/logs/RingovaLog1.txt");
  driver.expect("FileDialog", [&](ui::Form&) { driver.press(ui::key::Escape); });
  EXPECT_EQ(shell.fileDialog({}), std::nullopt);
}

TEST_F(LinuxShellTest, NamedMutexIsSeenByThisAndOtherProcesses) {
  TempFolder runtime;
  ::setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
  EXPECT_EQ(shell.createNamedMutex("a/b"), nullptr);
  EXPECT_EQ(shell.createNamedMutex(""), nullptr);
  auto first = shell.createNamedMutex("MutexRingova");
  ASSERT_NE(first, nullptr);
  EXPECT_FALSE(first->alreadyExisted());
  EXPECT_TRUE(shell.createNamedMutex("MutexRingova")->alreadyExisted());

  pid_t child = ::fork();
  if (child == 0) {
    auto m = createFileMutex("MutexRingova");
    ::_exit(m && m->alreadyExisted() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  first.reset();
  EXPECT_FALSE(shell.createNamedMutex("MutexRingova")->alreadyExisted());
  ::unsetenv("XDG_RUNTIME_DIR");
}

TEST_F(LinuxShellTest, BringToFrontActivatesAVisibleForm) {
  ui::Form a(toolkit, "a"), b(toolkit, "b");
  EXPECT_FALSE(shell.bringToFront(a));
  a.show();
  b.show();
  EXPECT_TRUE(shell.bringToFront(a));
  EXPECT_EQ(toolkit.activeForm(), &a);
}

}  // namespace
}  // namespace platform::shell
