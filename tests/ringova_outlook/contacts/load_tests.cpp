#include <gtest/gtest.h>

#include "ringova_outlook/contacts/contact_picker.h"
#include "ringova_outlook/contacts/progress_window.h"
#include "tests/ringova_outlook/contacts/contacts_fixture.h"

namespace ringova {
namespace {

using platform::outlook::Folder;
using platform::outlook::olMailItem;
using testing_support::ContactsTest;
using testing_support::RecordingToolbar;

// Two stores: contacts nested, below a mail folder, below "Deleted Items" at several depths and
// in letter cases, a car-only contact, a name in two stores.
class LoadTest : public ContactsTest {
 protected:
  LoadTest() {
    Folder* mailbox = Store("Mailbox - Jane");
    contacts = Sub(mailbox, "Contacts");
    Contact(contacts, "Ann", {{"MobileTelephoneNumber", "201"}});
    Contact(contacts, "Bob", {{"BusinessTelephoneNumber", "202"}});
    Contact(contacts, "Car Only", {{"CarTelephoneNumber", "209"}});
    contacts->Items().Add(olMailItem)->Save();  // a mail kept among the contacts
    team = Sub(contacts, "Team");
    Contact(team, "Cid", {{"HomeTelephoneNumber", "203"}});
    Folder* archive = Sub(contacts, "Archive");
    Contact(Sub(archive, "old deleted items"), "Fay", {{"HomeTelephoneNumber", "206"}});
    Folder* inbox = Sub(mailbox, "Inbox", olMailItem);
    clients = Sub(inbox, "Clients");
    Contact(clients, "Dan", {{"OtherTelephoneNumber", "204"}});
    Folder* deleted = Sub(mailbox, "Deleted Items", olMailItem);
    Contact(Sub(deleted, "Old"), "Eve", {{"HomeTelephoneNumber", "205"}});
    shared = Sub(Store("Public"), "Shared Contacts");
    Contact(shared, "Ann", {{"MobileTelephoneNumber", "207"}});
    directory.SetToolbar(&toolbar);
  }

  Folder* contacts;
  Folder* team;
  Folder* clients;
  Folder* shared;
  RecordingToolbar toolbar;
};

TEST_F(LoadTest, AllContactsInWalkOrderWithTheirRecordIndexes) {
  directory.LoadAllContacts();
  EXPECT_EQ(Names(), (std::vector<std::string>{"Ann", "Bob", "Cid", "Dan", "Ann"}));
  ASSERT_EQ(directory.RecordCount(), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(directory.Names().itemData(i), i);
  EXPECT_EQ(directory.Records()[4].MobileNorm, "207");
  EXPECT_TRUE(Logged("Loaded 5 contacts"));

  // A second load replaces everything.
  Contact(team, "Gil", {{"HomeTelephoneNumber", "208"}});
  directory.LoadAllContacts();
  EXPECT_EQ(Names(), (std::vector<std::string>{"Ann", "Bob", "Cid", "Gil", "Dan", "Ann"}));
}

// The count looks for "Deleted Items" in its exact case, so its total is above what loads; the bar
// stops at the total even when contacts arrive during the load.
TEST_F(LoadTest, ProgressWindowCountsShowsAndGivesTheToolbarBack) {
  EXPECT_EQ(directory.CalculateContacts(*ns.Folders().Item(1)), 5);
  int16_t total = -1, last = -1;
  std::string caption;
  int16_t mode_during = -1;
  bool added = false;
  std::function<void()> watch = [&] {
    if (ProgressWindow* p = directory.Progress()) {
      total = p->Model().Total();
      last = p->Model().Current();
      caption = p->caption();
      mode_during = toolbar.mode;
      EXPECT_LE(p->ProgressBar1.value(), p->ProgressBar1.max());
      if (!added) {
        added = true;
        for (int i = 0; i < 5; ++i)
          Contact(shared, "New " + std::to_string(i), {{"HomeTelephoneNumber", "1"}});
      }
      desktop.loop.post(watch);
    }
  };
  desktop.loop.post(watch);
  directory.LoadAllContacts();
  EXPECT_EQ(total, 6);
  EXPECT_EQ(last, 6);
  EXPECT_EQ(directory.RecordCount(), 10);
  EXPECT_EQ(caption, "Ringova  -  Contacts loading...");
  EXPECT_EQ(mode_during, kDisableMenuAndButtons);
  EXPECT_EQ(toolbar.mode, 1);
  EXPECT_EQ(toolbar.changes, (std::vector<int16_t>{kDisableMenuAndButtons, 1}));
  EXPECT_EQ(directory.Progress(), nullptr);
  EXPECT_EQ(desktop.toolkit.findForm("fProgress"), nullptr);
}

TEST_F(LoadTest, CancelStopsAtTheNextContactAndEmptiesTheDirectory) {
  directory.LoadAllContacts();
  directory.Picker();
  desktop.loop.post([&] {
    ASSERT_NE(directory.Progress(), nullptr);
    EXPECT_FALSE(directory.Picker().btnCall.enabled());
    desktop.driver.click(directory.Progress()->btnCancel);
  });
  log.clear();
  directory.LoadAllContacts();
  EXPECT_EQ(directory.RecordCount(), 0);
  EXPECT_EQ(directory.Names().count(), 0);
  EXPECT_EQ(log, (std::vector<std::string>{"Loading cancelled", "Loaded 0 contacts"}));
  EXPECT_EQ(toolbar.mode, 1);
  EXPECT_TRUE(desktop.driver.failures().empty());

  // The next load starts afresh.
  directory.LoadAllContacts();
  EXPECT_EQ(directory.RecordCount(), 5);
}

TEST_F(LoadTest, WithoutOutlookNothingChangesAndALostOutlookEndsTheLoad) {
  directory.LoadAllContacts();
  directory.SetOutlook(nullptr);
  directory.LoadAllContacts();
  EXPECT_EQ(directory.RecordCount(), 5);

  directory.SetOutlook(&app);
  // Gone while the first contact's step lets input run: the walk ends there.
  desktop.loop.post([&] { desktop.loop.post([&] { directory.SetOutlook(nullptr); }); });
  directory.LoadAllContacts();
  EXPECT_EQ(directory.RecordCount(), 1);
  EXPECT_EQ(toolbar.mode, 1);
  EXPECT_EQ(directory.Progress(), nullptr);
}

TEST_F(LoadTest, SelectedFoldersByExactPathEvenBelowMailFolders) {
  settings.selected_contact_folders = team->FolderPath() + "%20" + clients->FolderPath() + "%20" +
                                      team->FolderPath() + "%20%20\\\\Mailbox - Jane\\contacts%20";
  EXPECT_EQ(directory.ParseSelFolders(), 4);
  EXPECT_EQ(directory.CalcSelFolders(*ns.Folders().Item(1)), 3);
  directory.LoadSelectedFolders();
  // Listed twice, loaded twice; the path in another letter case selects nothing.
  EXPECT_EQ(Names(), (std::vector<std::string>{"Cid", "Cid", "Dan"}));
  EXPECT_TRUE(Logged("Loaded 3 contacts"));

  desktop.loop.post([&] { desktop.driver.click(directory.Progress()->btnCancel); });
  log.clear();
  directory.LoadSelectedFolders();
  EXPECT_EQ(directory.RecordCount(), 0);
  EXPECT_EQ(log, (std::vector<std::string>{"Loaded 0 contacts"}));
}

TEST_F(LoadTest, AFolderAddedInOutlookLoadsOnItsOwn) {
  directory.LoadAllContacts();
  Folder* added = Sub(contacts, "Added");
  Contact(added, "Hal", {{"HomeTelephoneNumber", "210"}});
  Contact(Sub(added, "Below"), "Ivy", {{"HomeTelephoneNumber", "211"}});
  directory.LoadFolderContacts(*added);
  EXPECT_EQ(Names().back(), "Hal");
  EXPECT_EQ(directory.RecordCount(), 6);
  EXPECT_EQ(toolbar.changes.size(), 4u);  // this load's progress window came and went too
}

}  // namespace
}  // namespace ringova
