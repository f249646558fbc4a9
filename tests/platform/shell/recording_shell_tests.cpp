#include <gtest/gtest.h>

#include "platform/shell/recording_shell.h"
#include "platform/ui/form.h"
#include "platform/ui/toolkit.h"

namespace platform::shell {
namespace {

TEST(MessageBoxButtons, AnswersAndCloseResults) {
  EXPECT_EQ(buttonCount(MsgBoxButtons::YesNoCancel), 3);
  EXPECT_EQ(buttonResult(MsgBoxButtons::YesNo, 1), MsgBoxResult::No);
  EXPECT_EQ(buttonResult(MsgBoxButtons::RetryCancel, 0), MsgBoxResult::Retry);
  EXPECT_STREQ(buttonText(MsgBoxResult::Ok), "OK");
  EXPECT_EQ(closeResult(MsgBoxButtons::Ok), MsgBoxResult::Ok);
  EXPECT_EQ(closeResult(MsgBoxButtons::YesNo), MsgBoxResult::No);
  EXPECT_EQ(closeResult(MsgBoxButtons::YesNoCancel), MsgBoxResult::Cancel);
  EXPECT_EQ(static_cast<int>(MsgBoxResult::Yes), 6);
}

TEST(RecordingShell, AnswersMessageBoxesFromItsScriptAndRecordsThem) {
  RecordingShell shell;
  shell.answerMessageBox(MsgBoxResult::Yes);
  EXPECT_EQ(shell.messageBox("Would you like to reload contacts?", "Ringova", MsgBoxButtons::YesNo),
            MsgBoxResult::Yes);
  // Without an answer the box gives what closing it gives, and counts as unanswered.
  EXPECT_EQ(shell.messageBox("Select the row", "Ringova", MsgBoxButtons::YesNo), MsgBoxResult::No);
  EXPECT_EQ(shell.unanswered(), 1);
  ASSERT_EQ(shell.messageBoxes().size(), 2u);
  EXPECT_EQ(shell.messageBoxes()[0].text, "Would you like to reload contacts?");
  EXPECT_EQ(shell.log()[0],
            "messageBox \"Would you like to reload contacts?\" \"Ringova\" YesNo -> Yes");

  shell.beep(300, 50);
  EXPECT_TRUE(shell.openAddress("ftp://update.example/RingovaUpdate/ringova_setup.exe"));
  shell.setOpenResult(false);
  EXPECT_FALSE(shell.openAddress("x"));
  ASSERT_EQ(shell.beeps().size(), 1u);
  EXPECT_EQ(shell.beeps()[0].frequencyHz, 300);
  EXPECT_EQ(shell.openedAddresses().size(), 2u);

  shell.answerFileDialog("/tmp/logs/RingovaLog1.txt");
  EXPECT_EQ(shell.fileDialog({"", "", "RingovaLog1.txt", "", true}), "/tmp/logs/RingovaLog1.txt");
  EXPECT_EQ(shell.fileDialog({}), std::nullopt);  // no answer: cancelled
  EXPECT_EQ(shell.fileDialogs()[0].fileName, "RingovaLog1.txt");
}

TEST(RecordingShell, ReportsTheEnvironmentTheTestSets) {
  RecordingShell shell;
  shell.setSpecialFolder(SpecialFolder::LocalAppData, "/home/ann/.local/share/");
  shell.setSystemLocale(parseLocale("ja_JP.UTF-8"));
  shell.setSystemVersion(std::nullopt);
  EXPECT_EQ(shell.specialFolder(SpecialFolder::LocalAppData), "/home/ann/.local/share/");
  EXPECT_EQ(shell.specialFolder(SpecialFolder::Desktop), "");
  EXPECT_EQ(shell.systemLocale().languageId, 0x0411);
  EXPECT_EQ(shell.userLocale().languageId, 0x0409);
  EXPECT_FALSE(shell.systemVersion());
}

TEST(RecordingShell, NamedMutexesExistWhileAHandleLives) {
  RecordingShell shell;
  auto first = shell.createNamedMutex("MutexRingova");
  auto second = shell.createNamedMutex("MutexRingova");
  ASSERT_TRUE(first && second);
  EXPECT_FALSE(first->alreadyExisted());
  EXPECT_TRUE(second->alreadyExisted());
  first.reset();
  second.reset();
  EXPECT_FALSE(shell.mutexHeld("MutexRingova"));
  EXPECT_FALSE(shell.createNamedMutex("MutexRingova")->alreadyExisted());
}

TEST(RecordingShell, BringToFrontIsRecordedOnly) {
  ui::ManualClock clock;
  ui::MessageLoop loop(clock);
  ui::Toolkit toolkit(loop);
  ui::Form a(toolkit, "fIncoming"), b(toolkit, "fMain");
  a.show();
  b.show();
  RecordingShell shell;
  EXPECT_TRUE(shell.bringToFront(a));
  EXPECT_EQ(shell.broughtToFront(), std::vector<std::string>{"fIncoming"});
  EXPECT_EQ(toolkit.activeForm(), &b);
}

TEST(RecordingShell, ForgettingRecordsDropsClosedNotificationsOnly) {
  RecordingShell shell;
  Notifications* desktop = shell.notifications();
  ASSERT_NE(desktop, nullptr);
  std::string chosen;
  auto request = [&] {
    NotificationRequest r;
    r.actions = {{"accept", "Accept"}};
    r.onAction = [&](const std::string& key) { chosen = key; };
    return r;
  };
  const NotificationId closed = desktop->show(request());
  const NotificationId open = desktop->show(request());
  desktop->close(closed);
  shell.forgetRecords();
  ASSERT_EQ(shell.recordedNotifications().shown().size(), 1u);
  EXPECT_FALSE(shell.recordedNotifications().invoke(closed, "accept"));
  EXPECT_TRUE(shell.recordedNotifications().invoke(open, "accept"));
  EXPECT_EQ(chosen, "accept");
}

TEST(TrayIcons, MouseMessagesReachTheIconAndTipsAreCut) {
  RecordingShell shell;
  std::vector<int> messages;
  TrayIconId id = shell.addTrayIcon({std::string(80, 'x'), [&](int m) { messages.push_back(m); }});
  TrayIconId other = shell.addTrayIcon({"New Call 2", nullptr});
  EXPECT_NE(id, 0u);
  EXPECT_NE(id, other);
  EXPECT_EQ(shell.trayIcons().find(id)->tip.size(), TrayTipMax);
  EXPECT_TRUE(shell.trayIcons().mouse(id, tray::LeftButtonDown));
  EXPECT_TRUE(shell.trayIcons().mouse(other, tray::RightButtonDown));  // no handler: ignored
  EXPECT_TRUE(shell.setTrayTip(other, "New Call 3"));
  EXPECT_EQ(shell.trayIcons().find(other)->tip, "New Call 3");
  EXPECT_TRUE(shell.deleteTrayIcon(id));
  EXPECT_FALSE(shell.trayIcons().mouse(id, tray::LeftButtonDown));
  EXPECT_FALSE(shell.deleteTrayIcon(id));
  EXPECT_EQ(messages, std::vector<int>{513});

  // An icon whose handler deletes it (the window closes on the click).
  TrayIconTable table;
  TrayIconId self = 0;
  self = table.add({"tip", [&](int) { table.remove(self); }});
  EXPECT_TRUE(table.mouse(self, tray::LeftButtonDoubleClick));
  EXPECT_EQ(table.size(), 0u);
}

}  // namespace
}  // namespace platform::shell
