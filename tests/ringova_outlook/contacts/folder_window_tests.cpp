#include <gtest/gtest.h>

#include <memory>

#include "ringova_outlook/contacts/folder_selection.h"
#include "ringova_outlook/contacts/progress_window.h"
#include "tests/ringova_outlook/contacts/contacts_fixture.h"

namespace ringova {
namespace {

namespace ui = platform::ui;
using platform::outlook::Folder;
using platform::outlook::olMailItem;
using platform::shell::MsgBoxResult;
using testing_support::ContactsTest;

class FolderWindowTest : public ContactsTest {
 protected:
  FolderWindowTest() {
    Folder* mailbox = Store("Mailbox");
    Folder* contacts = Sub(mailbox, "Contacts");
    Contact(contacts, "Ann", {{"MobileTelephoneNumber", "201"}});
    Contact(contacts, "Car Only", {{"CarTelephoneNumber", "209"}});
    berlin = Sub(contacts, "Team (Berlin)");
    Contact(berlin, "Bob", {{"MobileTelephoneNumber", "202"}});
    Sub(berlin, "Empty");
    Sub(Sub(mailbox, "deleted items", olMailItem), "Old");
    Contact(Sub(Sub(mailbox, "Inbox", olMailItem), "Clients"), "Dan",
            {{"MobileTelephoneNumber", "204"}});
    Sub(Store("Archive"), "Calendar", platform::outlook::olAppointmentItem);
  }
  // A fresh window, as the settings part makes for each use, filled and ticked from the setting.
  void Open() {
    window = std::make_unique<FolderSelectionWindow>(directory);
    window->LoadFolders();
    if (window->ParseSelFolders() != 0) window->CheckSelectedFolders();
  }
  std::vector<bool> Ticks() const {
    std::vector<bool> out;
    for (int i = 0; i < window->lstContactFolders.count(); ++i)
      out.push_back(window->lstContactFolders.checked(i));
    return out;
  }
  void Run(std::function<void()> answer) {
    desktop.driver.expect("fFolders", [answer](ui::Form&) { answer(); });
    window->show(ui::ShowMode::Modal, nullptr);
    EXPECT_TRUE(desktop.driver.failures().empty()) << desktop.driver.failures().front();
  }

  Folder* berlin;
  std::unique_ptr<FolderSelectionWindow> window;
};

// Only contact folders are offered, with their loadable contacts; not below Deleted Items nor
// below a mail folder.
TEST_F(FolderWindowTest, ListsContactFoldersWithTheirCounts) {
  Open();
  std::vector<std::string> texts;
  for (const auto& e : window->lstContactFolders.entries()) texts.push_back(e.text);
  EXPECT_EQ(texts, (std::vector<std::string>{"\\\\Mailbox\\Contacts (1)",
                                             "\\\\Mailbox\\Contacts\\Team (Berlin) (1)",
                                             "\\\\Mailbox\\Contacts\\Team (Berlin)\\Empty (0)"}));
  directory.SetOutlook(nullptr);
  Open();
  EXPECT_EQ(window->lstContactFolders.count(), 0);
}

// A path with " (" in it is stored whole, and shows ticked again next time.
TEST_F(FolderWindowTest, TickedFoldersAreStoredLoadedAndTickedAgain) {
  Open();
  Run([&] {
    EXPECT_EQ(window->caption(), "Choose folders");
    EXPECT_EQ(window->btnOK.caption(), "Load ");
    desktop.driver.tick(window->lstContactFolders, 2, true);
    desktop.driver.tick(window->lstContactFolders, 1, true);
    desktop.driver.click(window->chbDontShow);
    desktop.driver.click(window->btnOK);
  });
  EXPECT_EQ(
      settings.selected_contact_folders,
      "\\\\Mailbox\\Contacts\\Team (Berlin)%20\\\\Mailbox\\Contacts\\Team (Berlin)\\Empty%20");
  EXPECT_TRUE(settings.dont_show_on_startup);
  EXPECT_EQ(Names(), std::vector<std::string>{"Bob"});
  EXPECT_FALSE(window->visible());

  Open();
  EXPECT_EQ(Ticks(), (std::vector<bool>{false, true, true}));
  EXPECT_EQ(window->chbDontShow.value(), 0);  // shown from the setting when the window loads
  window->load();
  EXPECT_EQ(window->chbDontShow.value(), 1);
}

TEST_F(FolderWindowTest, NothingTickedAsksWhetherToLoadAll) {
  directory.LoadAllContacts();
  settings.selected_contact_folders = "\\\\Mailbox\\Contacts%20";
  Open();
  window->lstContactFolders.setChecked(0, false);
  desktop.shell.answerMessageBox(MsgBoxResult::No);
  Run([&] { desktop.driver.click(window->btnOK); });
  ASSERT_EQ(desktop.shell.messageBoxes().size(), 1u);
  EXPECT_EQ(desktop.shell.messageBoxes()[0].text, "Do you want to load all contacts?");
  EXPECT_EQ(desktop.shell.messageBoxes()[0].title, "Ringova");
  EXPECT_EQ(directory.RecordCount(), 3);  // the directory is untouched
  EXPECT_EQ(settings.selected_contact_folders, "");

  // Yes loads everything afresh: the removed contact is back.
  directory.UpdatePhoneRecords(kRemoveRecord, *berlin->Parent()->Items().Item(1));
  desktop.shell.answerMessageBox(MsgBoxResult::Yes);
  Run([&] { desktop.driver.click(window->btnOK); });
  EXPECT_EQ(Names(), (std::vector<std::string>{"Ann", "Bob", "Dan"}));
  EXPECT_EQ(directory.Records()[0].EntryId, berlin->Parent()->Items().Item(1)->EntryId());
}

TEST_F(FolderWindowTest, CancelFallsBackToAllContactsOnlyInThatMode) {
  settings.fill_contacts = false;
  settings.load_selected_folders = true;
  settings.all_contacts_mode = false;
  Open();
  Run([&] { desktop.driver.click(window->btnCancel); });
  EXPECT_FALSE(settings.fill_contacts);
  settings.all_contacts_mode = true;
  Run([&] { desktop.driver.click(window->btnCancel); });
  EXPECT_TRUE(settings.fill_contacts);
  EXPECT_FALSE(settings.load_selected_folders);
  EXPECT_EQ(directory.RecordCount(), 0);
}

TEST(SelectedFoldersTest, SplitAndJoin) {
  EXPECT_EQ(SplitSelectedFolders("a%20%20b (1)%20c"),
            (std::vector<std::string>{"a", "b (1)", "c"}));
  EXPECT_TRUE(SplitSelectedFolders("%20").empty());
  EXPECT_EQ(JoinSelectedFolders({"a", "b"}), "a%20b%20");
}

TEST_F(FolderWindowTest, TheProgressWindowRefusesItsCloseBox) {
  desktop.loop.post([&] {
    ProgressWindow* progress = directory.Progress();
    ASSERT_NE(progress, nullptr);
    EXPECT_FALSE(desktop.driver.closeBox(*progress));
    EXPECT_TRUE(progress->visible());
    EXPECT_EQ(progress->btnCancel.caption(), "Cancel");
    EXPECT_EQ(progress->lblTotal.caption(), "/3");
  });
  directory.LoadAllContacts();
  EXPECT_EQ(directory.RecordCount(), 3);
}

TEST(ProgressModelTest, RedrawsAtMostEveryIntervalAndStopsAtTheTotal) {
  using namespace std::chrono_literals;
  ProgressModel model;
  const auto start = ui::Clock::TimePoint{};
  model.Start(4, start);
  EXPECT_TRUE(model.Grow(start));          // the first step shows
  EXPECT_FALSE(model.Grow(start + 10ms));  // too soon
  EXPECT_TRUE(model.Grow(start + 60ms));
  EXPECT_TRUE(model.Grow(start + 61ms));  // the last step shows
  EXPECT_FALSE(model.Grow(start + 200ms));
  EXPECT_EQ(model.Current(), 4);
}

}  // namespace
}  // namespace ringova
