#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "platform/outlook/application.h"
#include "ringova_outlook/support/update_check.h"
#include "ringova_outlook/support/url_cache.h"
#include "tests/ringova_outlook/support/desktop_fixture.h"
#include "tests/ringova_outlook/support/ftp_test_server.h"
#include "tests/ringova_outlook/support/scoped_env.h"
#include "tests/support/held_port.h"
#include "tests/support/temp_folder.h"

namespace ringova {
namespace {

namespace fs = std::filesystem;
using platform::shell::MsgBoxResult;
using platform::ui::Form;
using testing::ElementsAre;
using testing_support::FtpTestServer;
using testsupport::ReadFile;
using testsupport::WriteFile;

const std::vector<std::string> kUpToTheFile{"CheckAppVersion", "InternetOpen", "InternetConnect",
                                            "FtpSetCurrentDirectory", "FtpGetConfFile"};

class UpdateCheckTest : public ::testing::Test {
 protected:
  UpdateCheckTest() {
    fs::create_directories(root / "RingovaUpdate");
    fs::create_directories(desktop_folder);
    fs::create_directories(temp.path() / "log");
    log.SetFolder((temp.path() / "log").string());
    log.SetStamp([] { return "T"; });
    desktop.shell.setSpecialFolder(platform::shell::SpecialFolder::Desktop,
                                   desktop_folder.string() + "/");
    settings.show(platform::ui::ShowMode::Modeless);
    windows.SetSettingsWindow(&settings);
    machine.setString(kUninstallKey, kDisplayVersion, "1.2.3");
    WriteFile(root / "RingovaUpdate/ringova_setup.exe", "MZ installer");
  }
  void TearDown() override {
    EXPECT_TRUE(desktop.driver.failures().empty())
        << ::testing::PrintToString(desktop.driver.failures());
    EXPECT_EQ(desktop.driver.pendingAnswers(), 0);
    EXPECT_EQ(desktop.shell.unanswered(), 0);
    EXPECT_FALSE(fs::exists(desktop_folder / "ringova.conf"));
  }

  void Conf(const std::string& text) { WriteFile(root / "RingovaUpdate/ringova.conf", text); }
  UpdateServer Local(std::uint16_t port) { return {"127.0.0.1", port}; }
  // The next question is answered with its OK (true) or Cancel button.
  void Answer(bool ok, std::function<void()> meanwhile = {}) {
    desktop.driver.expect("fNote", [this, ok, meanwhile](Form&) {
      if (meanwhile) meanwhile();
      desktop.driver.click(ok ? windows.Note().OKButton() : windows.Note().CancelButton());
    });
  }
  // The log's messages without their quotes and stamps.
  std::vector<std::string> Logged() {
    std::vector<std::string> messages;
    std::istringstream in(ReadFile(temp.path() / "log/RingovaLog1.txt"));
    for (std::string line; std::getline(in, line);)
      messages.push_back(line.substr(4, line.size() - 6));
    return messages;
  }
  std::vector<std::string> Boxes() {
    std::vector<std::string> texts;
    for (const auto& box : desktop.shell.messageBoxes()) {
      EXPECT_EQ(box.title, "Ringova - Update...");
      texts.push_back(box.text);
    }
    return texts;
  }
  static std::vector<std::string> Plus(std::vector<std::string> a,
                                       const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  }

  testsupport::TempFolder temp;
  fs::path root = temp.path() / "ftp";
  fs::path desktop_folder = temp.path() / "Desktop";
  testing_support::Desktop desktop;
  LogFile log;
  SupportWindows windows{desktop.toolkit, desktop.shell, log};
  Form settings{desktop.toolkit, "fMain"};
  platform::Registry machine{temp.path() / "machine.reg"};
  platform::outlook::Application outlook;
  UpdateCheckContext context{log,
                             desktop.shell,
                             windows,
                             machine,
                             &outlook,
                             std::nullopt,
                             {std::chrono::milliseconds(2000), std::chrono::milliseconds(4000),
                              std::chrono::milliseconds(8000)},
                             {1, 0, 0}};
};

TEST_F(UpdateCheckTest, CancelInTheFirstQuestionConnectsToNothing) {
  FtpTestServer server(root);
  context.server = Local(server.port());
  UpdateCheck check(context);
  desktop.driver.expect("fNote", [&](Form& form) {
    EXPECT_EQ(form.caption(), "Ringova - Update...");
    EXPECT_EQ(windows.Note().Label1().caption(), "Check version for update...");
    EXPECT_EQ(windows.Note().OKButton().caption(), "Continue");
    EXPECT_EQ(windows.Note().CancelButton().caption(), "Cancel");
    EXPECT_FALSE(check.UpdateCheckRunning());
    desktop.driver.click(windows.Note().CancelButton());
  });
  check.CheckAppVersion();
  server.Stop();
  EXPECT_TRUE(server.Events().empty());
  EXPECT_TRUE(Logged().empty());

  context.outlook = nullptr;  // without Outlook not even the question
  UpdateCheck(context).CheckAppVersion();
}

TEST_F(UpdateCheckTest, SameVersionLogsEveryStepAndOffersNothing) {
  Conf("Product=Ringova  Version=  1.2.3 \r\nVersion=9.9\r\n");
  FtpTestServer server(root);
  context.server = Local(server.port());
  UpdateCheck check(context);
  Answer(true);
  check.CheckAppVersion();
  EXPECT_EQ(Logged(), Plus(kUpToTheFile, {" Current version - 1.2.3;  New version - 1.2.3",
                                          "Same version - 1.2.3"}));
  EXPECT_EQ(check.NewVersion(), "1.2.3");
  EXPECT_FALSE(check.UpdateOffered());
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(settings.visible());
  server.Stop();
  EXPECT_THAT(server.Events(),
              ElementsAre("connect", "login anonymous", "sent RingovaUpdate/ringova.conf"));
}

TEST_F(UpdateCheckTest, NewerVersionAcceptedHandsTheInstallerToTheShell) {
  testing_support::ScopedEnv cache("XDG_CACHE_HOME", (temp.path() / "cache").string());
  Conf("Version=1.10");
  FtpTestServer server(root);
  // The server named by the machine store, as an organisation's mirror would be.
  machine.setString(kUpdateServerKey, kUpdateServerValue,
                    "127.0.0.1:" + std::to_string(server.port()));
  const std::string installer =
      "ftp://127.0.0.1:" + std::to_string(server.port()) + "/RingovaUpdate/ringova_setup.exe";
  fs::create_directories(UrlCacheFolder());
  WriteFile(UrlCacheEntry(installer), "an old copy");
  UpdateCheck check(context);
  Answer(true);
  desktop.driver.expect("fNote", [&](Form& form) {
    EXPECT_EQ(form.caption(), "Ringova - Update...");
    EXPECT_EQ(windows.Note().Label1().caption(),
              "An update for  Ringova AddIn  is available\r   (  Version  1.10  )");
    EXPECT_EQ(windows.Note().OKButton().caption(), "Update...");
    EXPECT_EQ(windows.Note().CancelButton().caption(), "Later");
    EXPECT_FALSE(settings.visible());
    EXPECT_TRUE(check.UpdateOffered());
    desktop.driver.click(windows.Note().OKButton());
  });
  check.CheckAppVersion();
  EXPECT_EQ(Logged(),
            Plus(kUpToTheFile, {" Current version - 1.2.3;  New version - 1.10",
                                "need Update- 1.10", "DeleteUrlCacheEntry", "ShellExecute"}));
  EXPECT_THAT(desktop.shell.openedAddresses(), ElementsAre(installer));
  EXPECT_FALSE(fs::exists(UrlCacheEntry(installer)));
  EXPECT_EQ(windows.Note().mousePointer(), platform::ui::MousePointer::Default);
}

TEST_F(UpdateCheckTest, LaterDefersAndTheNextCheckOffersAgainThenFailuresStayQuiet) {
  Conf("Version=1.2.4\n");
  auto server = std::make_unique<FtpTestServer>(root);
  context.server = Local(server->port());
  UpdateCheck check(context);
  for (int i = 0; i < 2; ++i) {
    Answer(true);
    Answer(false);
    check.CheckAppVersion();
  }
  EXPECT_TRUE(desktop.shell.openedAddresses().empty());
  std::vector<std::string> logged = Logged();
  EXPECT_EQ(std::count(logged.begin(), logged.end(), "need Update- 1.2.4"), 2);

  // Once an update was offered, a server that is gone shows nothing.
  server.reset();
  Answer(true);
  check.CheckAppVersion();
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(Logged().back(), "InternetConnect");
  EXPECT_FALSE(check.UpdateCheckRunning());
}

TEST_F(UpdateCheckTest, FirstLineWithoutTheKeyOrWithoutDisplayVersionOffersNothing) {
  Conf("Product=Ringova\r\nVersion=9.9\r\n");
  FtpTestServer server(root);
  context.server = Local(server.port());
  context.own_version = {2, 0, 5};
  UpdateCheck check(context);
  Answer(true);
  check.CheckAppVersion();
  EXPECT_EQ(check.NewVersion(), "");

  machine.deleteValue(kUninstallKey, kDisplayVersion);
  Conf("Version=2.0.5");
  Answer(true);
  check.CheckAppVersion();
  EXPECT_EQ(
      Logged(),
      Plus(Plus(kUpToTheFile, {" Current version - 1.2.3;  New version - ", "Same version - "}),
           Plus(kUpToTheFile,
                {" Current version - ;  New version - 2.0.5", "Same version - 2.0.5"})));
  EXPECT_FALSE(check.UpdateOffered());
}

TEST_F(UpdateCheckTest, AMegabyteLineWithoutALineEndIsReadThroughFtp) {
  Conf(std::string(1 << 20, 'x') + "Version=7.0");
  FtpTestServer server(root);
  context.server = Local(server.port());
  UpdateCheck check(context);
  Answer(true);
  Answer(false);
  check.CheckAppVersion();
  EXPECT_EQ(check.NewVersion(), "7.0");
}

// Each failure shows the text of the call that failed, once, and logs it.
TEST_F(UpdateCheckTest, FailuresShowTheTextOfTheCallThatFailed) {
  struct Case {
    std::string name;
    UpdateServer server;
    std::string last_step;
    std::string text;
  };
  fs::create_directories(temp.path() / "empty");
  FtpTestServer without_folder(temp.path() / "empty");
  fs::create_directories(temp.path() / "nofile/RingovaUpdate");
  FtpTestServer without_file(temp.path() / "nofile");
  FtpTestServer refusing(root, false);
  const testsupport::SilentListener silent;
  const testsupport::ClosedPort closed;
  const std::vector<Case> cases{
      {"not listening", Local(closed.port()), "InternetConnect",
       "The attempt to connect to the server failed."},
      {"bad name", UpdateServer{"bad/host", 0}, "InternetConnect",
       "The server name could not be resolved."},
      {"login refused", Local(refusing.port()), "InternetConnect",
       "The request to connect to and login to an FTP server failed."},
      {"folder missing", Local(without_folder.port()), "FtpSetCurrentDirectory",
       "Extended error returned from server."},
      {"file missing", Local(without_file.port()), "FtpGetConfFile",
       "Extended error returned from server."},
      {"silent", Local(silent.port()), "InternetConnect", "The request has timed out."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    context.server = c.server;
    if (c.name == "silent") {
      context.timeouts.total = std::chrono::milliseconds(300);  // for the whole check
    }
    UpdateCheck check(context);
    desktop.shell.answerMessageBox(MsgBoxResult::Ok);
    Answer(true);
    check.CheckAppVersion();
    std::vector<std::string> logged = Logged();
    ASSERT_GE(logged.size(), 2u);
    EXPECT_EQ(logged[logged.size() - 2], c.last_step);
    EXPECT_EQ(logged.back(), "CheckAppVersion: " + c.text);
    EXPECT_EQ(Boxes().back(), c.text);
  }
  EXPECT_EQ(Boxes().size(), cases.size());

  // Without a desktop folder the file has nowhere to go.
  desktop.shell.setSpecialFolder(platform::shell::SpecialFolder::Desktop, "");
  context.server = Local(without_file.port());
  desktop.shell.answerMessageBox(MsgBoxResult::Ok);
  Answer(true);
  UpdateCheck(context).CheckAppVersion();
  EXPECT_EQ(Boxes().back(), "The connection error details not available.");
}

TEST_F(UpdateCheckTest, ASecondCheckWhileTheFirstWaitsInAQuestionOnlyLogs) {
  Conf("Version=2.0");
  FtpTestServer server(root);
  context.server = Local(server.port());
  UpdateCheck check(context);
  Answer(true, [&] { check.CheckAppVersion(); });
  Answer(false, [&] {
    EXPECT_TRUE(check.UpdateCheckRunning());
    check.CheckAppVersion();
  });
  check.CheckAppVersion();
  std::vector<std::string> logged = Logged();
  EXPECT_EQ(logged.front(), "Already checking for update");
  EXPECT_EQ(std::count(logged.begin(), logged.end(), "Already checking for update"), 2);
  EXPECT_EQ(std::count(logged.begin(), logged.end(), "CheckAppVersion"), 1);
}

}  // namespace
}  // namespace ringova
