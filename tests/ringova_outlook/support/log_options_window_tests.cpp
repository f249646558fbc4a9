#include <gtest/gtest.h>

#include <filesystem>

#include "platform/outlook/application.h"
#include "ringova_outlook/resources/string_table.h"
#include "ringova_outlook/support/log_options_window.h"
#include "ringova_outlook/support/support_windows.h"
#include "tests/ringova_outlook/support/desktop_fixture.h"
#include "tests/ringova_outlook/support/scoped_env.h"
#include "tests/support/temp_folder.h"

namespace ringova {
namespace {

namespace fs = std::filesystem;
using platform::ui::Form;
using testsupport::ReadFile;
using testsupport::TempFolder;

std::string Line(const std::string& message) {
  return "\"T: " + message + "\"\r\n";
}

class LogOptionsTest : public ::testing::Test {
 protected:
  LogOptionsTest() {
    SetUserLanguage(Language::English);
    log.SetFolder(folder.withSlash());
    log.SetStamp([] { return std::string("T"); });
    windows.SetSettingsWindow(&settings);
  }
  void TearDown() override {
    EXPECT_TRUE(desktop.driver.failures().empty())
        << ::testing::PrintToString(desktop.driver.failures());
    EXPECT_EQ(desktop.driver.pendingAnswers(), 0);
  }
  LogOptionsWindow& Window() { return windows.LogOptions(); }
  // Opens the window from the settings window and runs the user's steps in it.
  void Open(std::function<void(LogOptionsWindow&)> steps) {
    desktop.driver.expect("fLogFile", [this, steps](Form&) { steps(Window()); });
    windows.ShowLogOptions(&settings);
  }
  std::string LogText() { return ReadFile(log.Folder() + log.FileName()); }

  TempFolder folder;
  TempFolder data;
  testing_support::ScopedEnv xdg{"XDG_DATA_HOME", data.withSlash()};
  testing_support::Desktop desktop;
  LogFile log;
  Form settings{desktop.toolkit, "fMain"};
  SupportWindows windows{desktop.toolkit, desktop.shell, log};
};

TEST_F(LogOptionsTest, OpensWithCaptionsAndTheFolderAndApplyDisabled) {
  Open([&](LogOptionsWindow& w) {
    EXPECT_EQ(w.caption(), "Log File options...");
    EXPECT_EQ(w.lblKeep().caption(), "Keep LogFile in this folder:");
    EXPECT_EQ(w.btnBrowse().caption(), "Browse...");
    EXPECT_EQ(w.btnRestore().caption(), "Restore folder");
    EXPECT_EQ(w.btnSend().caption(), "Send to...");
    EXPECT_EQ(w.btnApply().caption(), "Apply");
    EXPECT_EQ(w.btnCancel().caption(), "Cancel");
    EXPECT_EQ(w.txtLogFile().text(), folder.withSlash());
    EXPECT_FALSE(w.btnApply().enabled());
    desktop.driver.focus(w.txtLogFile());
    desktop.driver.type("x");
    EXPECT_TRUE(w.btnApply().enabled());
    desktop.driver.click(w.btnCancel());
  });
  EXPECT_FALSE(Window().visible());
  EXPECT_EQ(log.Folder(), folder.withSlash());
}

TEST_F(LogOptionsTest, BrowseCutsThePathInFrontOfTheLogName) {
  desktop.shell.answerFileDialog("/srv/logs/RingovaLog1.txt");
  desktop.shell.answerFileDialog(std::nullopt);
  desktop.shell.answerFileDialog("/srv/notes/other.txt");
  Open([&](LogOptionsWindow& w) {
    desktop.driver.click(w.btnBrowse());
    ASSERT_EQ(desktop.shell.fileDialogs().size(), 1u);
    EXPECT_EQ(desktop.shell.fileDialogs()[0].fileName, "RingovaLog1.txt");
    EXPECT_EQ(w.txtLogFile().text(), "/srv/logs/");
    EXPECT_TRUE(w.btnApply().enabled());

    desktop.driver.click(w.btnBrowse());  // cancelled: back to the log folder
    EXPECT_EQ(w.txtLogFile().text(), folder.withSlash());

    desktop.driver.click(w.btnBrowse());  // no log name in the path: a failure, text kept
    EXPECT_EQ(w.txtLogFile().text(), folder.withSlash());
    desktop.driver.click(w.btnCancel());
  });
  EXPECT_EQ(LogText(), Line("btnBrowse_Click: Error - Invalid procedure call or argument"));
}

TEST_F(LogOptionsTest, RestorePutsTheDefaultFolder) {
  Open([&](LogOptionsWindow& w) {
    desktop.driver.click(w.btnRestore());
    EXPECT_EQ(w.txtLogFile().text(), data.withSlash() + "Ringova/");
    EXPECT_TRUE(w.btnApply().enabled());
    desktop.driver.click(w.btnCancel());
  });
}

TEST_F(LogOptionsTest, ApplyMovesTheCurrentFileAndTheNextLineGoesThere) {
  TempFolder target;
  log.WriteToLogFile("before");
  Open([&](LogOptionsWindow& w) {
    w.txtLogFile().setText(target.withSlash());
    desktop.driver.click(w.btnApply());
    EXPECT_FALSE(w.btnApply().enabled());
    EXPECT_TRUE(w.visible());  // stays open
    desktop.driver.click(w.btnCancel());
  });
  EXPECT_EQ(log.Folder(), target.withSlash());
  EXPECT_FALSE(fs::exists(folder.withSlash() + "RingovaLog1.txt"));
  log.WriteToLogFile("after");
  EXPECT_EQ(ReadFile(target.withSlash() + "RingovaLog1.txt"), Line("before") + Line("after"));
}

TEST_F(LogOptionsTest, ApplyToAMissingFolderLeavesTheLogWhereItWas) {
  log.WriteToLogFile("before");
  Open([&](LogOptionsWindow& w) {
    w.txtLogFile().setText(folder.withSlash() + "missing/");
    desktop.driver.click(w.btnApply());
    EXPECT_TRUE(w.btnApply().enabled());
    desktop.driver.click(w.btnCancel());
  });
  EXPECT_EQ(log.Folder(), folder.withSlash());
  std::string text = ReadFile(folder.withSlash() + "RingovaLog1.txt");
  EXPECT_EQ(text.rfind(Line("before") + "\"T: btnApply_Click: Error - ", 0), 0u) << text;
}

TEST_F(LogOptionsTest, SendMailsTheFileAndHidesTheWindows) {
  platform::outlook::Application outlook;
  windows.SetOutlook(&outlook);
  log.WriteToLogFile("mail me");
  settings.show();
  Open([&](LogOptionsWindow& w) { desktop.driver.click(w.btnSend()); });
  EXPECT_FALSE(Window().visible());
  EXPECT_FALSE(settings.visible());
  ASSERT_NE(outlook.ActiveInspector(), nullptr);
  auto mail = std::dynamic_pointer_cast<platform::outlook::MailItem>(
      outlook.ActiveInspector()->CurrentItem());
  ASSERT_NE(mail, nullptr);
  ASSERT_EQ(mail->Attachments().Count(), 1);
  EXPECT_EQ(mail->Attachments().Item(1)->FileName(), "RingovaLog1.txt");
  EXPECT_EQ(mail->Attachments().Item(1)->Content(), Line("mail me"));
}

TEST_F(LogOptionsTest, SendWithoutOutlookIsLogged) {
  log.WriteToLogFile("x");
  Open([&](LogOptionsWindow& w) {
    desktop.driver.click(w.btnSend());
    EXPECT_TRUE(w.visible());
    desktop.driver.click(w.btnCancel());
  });
  EXPECT_EQ(LogText(), Line("x") + Line("btnSend_Click: Error - Outlook is not available"));
}

TEST_F(LogOptionsTest, FailedWriteShowsTheBoxThenTheOptionsWindow) {
  log.SetFolder(folder.withSlash() + "gone/");
  settings.show();
  desktop.driver.expect("fLogFile", [&](Form& form) {
    EXPECT_FALSE(settings.visible());
    ASSERT_EQ(desktop.shell.messageBoxes().size(), 1u);
    desktop.driver.closeBox(form);
  });
  log.WriteToLogFile("lost");
  ASSERT_EQ(desktop.shell.messageBoxes().size(), 1u);
  EXPECT_EQ(desktop.shell.messageBoxes()[0].text,
            "WriteToLogFile: - " + folder.withSlash() +
                "gone/RingovaLog1.txt - No such file or directory");
  EXPECT_EQ(desktop.shell.messageBoxes()[0].title, "Ringova");
}

}  // namespace
}  // namespace ringova
