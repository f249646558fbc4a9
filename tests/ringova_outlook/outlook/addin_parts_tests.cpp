// The add-in's parts in process: the version names, the button modes on every window, the party
// a mail or contact stands for, and the add-in manager's handling of add-ins that fail.
#include <gtest/gtest.h>

#include "platform/outlook/addin_manager.h"
#include "platform/outlook/application.h"
#include "platform/registry/settings.h"
#include "platform/shell/recording_shell.h"
#include "platform/ui/clock.h"
#include "platform/ui/message_loop.h"
#include "platform/ui/toolkit.h"
#include "platform/ui/ui_driver.h"
#include "ringova_outlook/contacts/record_table.h"
#include "ringova_outlook/outlook/button_modes.h"
#include "ringova_outlook/outlook/connect.h"
#include "ringova_outlook/outlook/outlook_version.h"
#include "ringova_outlook/outlook/selected_party.h"
#include "ringova_outlook/support/log_file.h"
#include "tests/platform/com/registry_env.h"
#include "tests/support/temp_folder.h"

namespace ringova::testing {
namespace {

namespace ol = platform::outlook;

TEST(OutlookVersionNameTest, NamesTheKnownVersionsOnly) {
  EXPECT_EQ(OutlookVersionName("11.0.8217"), "2003");
  EXPECT_EQ(OutlookVersionName("12.0.4518"), "2007");
  EXPECT_EQ(OutlookVersionName("9.0"), "2000");
  EXPECT_EQ(OutlookVersionName("10.0.1"), "XP");
  EXPECT_EQ(OutlookVersionName("7.0"), "97");
  EXPECT_EQ(OutlookVersionName("8.0"), "98");
  EXPECT_EQ(OutlookVersionName("14.0.1"), "");
  EXPECT_EQ(OutlookVersionName("12.05"), "2007");  // cut one character after the dot
  EXPECT_EQ(OutlookVersionName("12"), "");
  EXPECT_EQ(OutlookVersionName(""), "");
}

TEST(SelectedPartyTest, FirstAddresseeTakesTheFirstNameWithoutQuotesAndAddress) {
  EXPECT_EQ(FirstAddressee(" 'Dave Brown' (dave@x.com); Carol"), "dave brown");
  EXPECT_EQ(FirstAddressee("Carol Jones"), "carol jones");
  EXPECT_EQ(FirstAddressee("'carol@x.com'"), "carol@x.com");
  EXPECT_EQ(FirstAddressee(""), "");
}

ol::Folder* ContactsOf(ol::Application& app) {
  ol::NameSpace& mapi = *app.GetNamespace("MAPI");
  if (ol::Folder* f = mapi.GetDefaultFolder(ol::olFolderContacts)) return f;
  ol::Folder* f = mapi.AddStore("S")->Folders().Add("Contacts", ol::olContactItem);
  mapi.SetDefaultFolder(ol::olFolderContacts, f);
  return f;
}

class SelectedPartyRecords : public ::testing::Test {
 protected:
  void SetUp() override {
    add("E1", "Carol Jones", "carol@example.com");
    add("", "Gone", "gone@example.com");
    add("E3", "Dave Brown", "Dave@Example.com");
  }
  void add(std::string id, std::string name, std::string email = "") {
    PhoneRecord record;
    record.EntryId = std::move(id);
    record.FullName = std::move(name);
    record.Email = std::move(email);
    records_.Append(std::move(record));
  }
  std::shared_ptr<ol::Item> mail(std::string name, std::string address, std::string to,
                                 std::string behalf = "") {
    auto item = app_.CreateItem(ol::olMailItem);
    item->SetProperty("SenderName", std::move(name));
    item->SetProperty("SenderEmailAddress", std::move(address));
    item->SetProperty("To", std::move(to));
    item->SetProperty("SentOnBehalfOfName", std::move(behalf));
    return item;
  }
  int16_t find(const std::shared_ptr<ol::Item>& item) {
    return RecordForItem(*item, records_, user_);
  }
  ol::Application app_;
  PhoneRecordTable records_;
  ol::Recipient user_{"Ann Smith", "ann@pbx.example"};
};

TEST_F(SelectedPartyRecords, MailsMatchBySenderAddressNameOrOnBehalf) {
  EXPECT_EQ(find(mail("x", " DAVE@example.com ", "Ann")), 2);
  EXPECT_EQ(find(mail("Carol Jones", "other@x", "Ann")), 0);
  EXPECT_EQ(find(mail("x", "y", "Ann", "Dave Brown")), 2);
  EXPECT_EQ(find(mail("Gone", "gone@example.com", "Ann")), -1);  // a free slot is nobody
  // Nobody matches the sender: the first addressee is tried.
  EXPECT_EQ(find(mail("Eve", "eve@x", "Carol Jones; Dave")), 0);
}

TEST_F(SelectedPartyRecords, TheUsersOwnMailIsMatchedByItsFirstAddressee) {
  EXPECT_EQ(find(mail("Ann Smith", "", "'Dave Brown' (dave@example.com); Carol Jones")), 2);
  EXPECT_EQ(find(mail("", "ANN@pbx.example", "carol@example.com")), 0);
  // Even when the sender field would match a record.
  add("E4", "Ann Smith");
  EXPECT_EQ(find(mail("Ann Smith", "", "Dave Brown")), 2);
}

TEST_F(SelectedPartyRecords, ContactsMatchByEntryIdAndOtherItemsNever) {
  auto contact = ContactsOf(app_)->Items().Add(ol::olContactItem);
  contact->Save();
  add(contact->EntryId(), "New");
  EXPECT_EQ(find(contact), 3);
  EXPECT_EQ(find(app_.CreateItem(ol::olContactItem)), -1);  // unsaved: no entry id
  EXPECT_EQ(find(app_.CreateItem(ol::olTaskItem)), -1);
}

TEST(ButtonModeTableTest, EveryModeAndItsName) {
  EXPECT_EQ(ModeName(0), "DisableAllButtons");
  EXPECT_EQ(ModeName(1), "DisableClose");
  EXPECT_EQ(ModeName(2), "DisableMake");
  EXPECT_EQ(ModeName(3), "DisableMenuAndButtons");
  EXPECT_EQ(ModeName(4), "UnknownMode");
  EXPECT_EQ(ModeName(-1), "UnknownMode");
  EXPECT_FALSE(EnablesOfMode(4));
}

// The add-in class in process on the stand-ins, without a control module.
class ConnectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(
        platform::saveSetting(user_, "RingovaAddIn", "Settings", "PathLogFile", logs_.withSlash()));
    for (const char* name : {"ServAddr", "UserName", "Password"}) {
      ASSERT_TRUE(platform::saveSetting(user_, "RingovaAddIn", "Settings", name, "x"));
    }
    ol::NameSpace& mapi = *app_.GetNamespace("MAPI");
    ol::Folder* store = mapi.AddStore("Mailbox");
    inbox_ = store->Folders().Add("Inbox", ol::olMailItem);
    contacts_ = store->Folders().Add("Contacts", ol::olContactItem);
    mapi.SetDefaultFolder(ol::olFolderContacts, contacts_);
  }
  ol::Explorer* open() {
    ol::Explorer* e = app_.Explorers().Add(inbox_);
    e->Display();
    e->SetCurrentView("Messages");
    return e;
  }
  std::string lastLogLine() const {
    const std::string text = testsupport::ReadFile(logs_.path() / "RingovaLog1.txt");
    const std::size_t end = text.rfind("\"\r\n");
    if (end == std::string::npos) return "";
    const std::size_t line = text.rfind("\r\n", end - 1);
    const std::size_t start = text.find(": ", line == std::string::npos ? 0 : line);
    return text.substr(start + 2, end - start - 2);
  }

  testsupport::TempFolder logs_;
  TemporaryRegistry registry_;
  platform::Registry user_{registry_.userFile()};
  platform::Registry machine_{registry_.machineFile()};
  platform::ui::ManualClock clock_;
  platform::ui::MessageLoop loop_{clock_};
  platform::ui::Toolkit toolkit_{loop_};
  platform::ui::UiDriver driver_{toolkit_};
  platform::shell::RecordingShell shell_;
  ol::Application app_;
  ol::Folder* inbox_ = nullptr;
  ol::Folder* contacts_ = nullptr;
};

TEST_F(ConnectTest, EveryButtonModeOnEveryTrackedWindow) {
  ol::Explorer* first = open();
  Connect addin;
  ASSERT_EQ(
      addin.OnConnection(app_, ol::ext_cm_AfterStartup, {}, {toolkit_, shell_, user_, machine_}),
      platform::S_OK);
  ol::Explorer* second = open();
  struct Row {
    int16_t mode;
    bool make, close, settings;
  };
  for (const Row& row : {Row{1, true, false, true}, Row{2, false, true, true},
                         Row{3, false, false, false}, Row{0, false, false, true}}) {
    addin.ChangeButtonsState(row.mode);
    EXPECT_EQ(addin.ButtonMode(), row.mode);
    EXPECT_EQ(lastLogLine(), "ChangeButtonsState: " + std::string(ModeName(row.mode)));
    for (ol::Explorer* e : {first, second}) {
      SCOPED_TRACE(row.mode);
      ol::CommandBar* standard = e->CommandBars().Item("Standard");
      ol::CommandBarControl* popup =
          e->CommandBars().Item("Menu Bar")->FindControl(ol::msoControlPopup, 0, "RingovaTag");
      ASSERT_NE(popup, nullptr);
      ol::CommandBarControls& items = *popup->Controls();
      EXPECT_EQ(standard->FindControl(0, 0, "Make")->Enabled(), row.make);
      EXPECT_EQ(standard->FindControl(0, 0, "Close")->Enabled(), row.close);
      EXPECT_EQ(items.Item("Make...")->Enabled(), row.make);
      EXPECT_EQ(items.Item("Close...")->Enabled(), row.close);
      EXPECT_EQ(items.Item("Settings...")->Enabled(), row.settings);
      EXPECT_EQ(items.Item("About Ringova AddIn")->Enabled(), row.settings);
      EXPECT_TRUE(items.Item("Dialing options...")->Enabled());  // keeps its state
    }
  }
  addin.ChangeButtonsState(7);
  EXPECT_EQ(lastLogLine(), "ChangeButtonsState: UnknownMode");
  EXPECT_EQ(addin.ButtonMode(), 0);
  EXPECT_EQ(addin.OnDisconnection(ol::ext_dm_UserClosed), platform::S_OK);
}

TEST_F(ConnectTest, TheManagerSurvivesAddInsThatCannotBeMade) {
  ASSERT_TRUE(ol::registerAddIn(user_, {"Missing.Addin", "Missing", "Missing", 3}));
  ASSERT_TRUE(ol::registerAddIn(user_, {"Manual.Addin", "Manual", "Manual", 2}));
  ol::AddInManager manager(app_, {toolkit_, shell_, user_, machine_});
  EXPECT_EQ(manager.Startup(), 0);
  ASSERT_EQ(manager.Failures().size(), 1u);  // the one loaded at start-up
  EXPECT_NE(manager.Failures()[0].find("Missing.Addin cannot be created"), std::string::npos);
  EXPECT_FALSE(manager.Connect("Manual.Addin"));
  EXPECT_FALSE(manager.Connect("Unknown.Addin"));
  EXPECT_EQ(manager.Failures().size(), 3u);
  EXPECT_FALSE(manager.Disconnect("Missing.Addin"));
  manager.Shutdown();
  EXPECT_TRUE(app_.HasQuit());
  EXPECT_TRUE(ol::unregisterAddIn(user_, "Missing.Addin"));
  EXPECT_FALSE(ol::findAddIn(user_, "Missing.Addin"));
}

}  // namespace
}  // namespace ringova::testing
