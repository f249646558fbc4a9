#include <gtest/gtest.h>

#include "ringova_outlook/contacts/contact_name_list.h"
#include "tests/ringova_outlook/contacts/contacts_fixture.h"

namespace ringova {
namespace {

using platform::outlook::Item;
using testing_support::ContactsTest;

class DirectoryTest : public ContactsTest {
 protected:
  DirectoryTest() : contacts(Sub(Store("Mailbox"), "Contacts")) {}
  platform::outlook::Folder* contacts;
};

TEST_F(DirectoryTest, AddingReadsEveryNumberInBothForms) {
  auto item = Contact(contacts, "Max Muster",
                      {{"Email1Address", "max@example.com"},
                       {"BusinessTelephoneNumber", "+49 (30) 1234-567"},
                       {"Business2TelephoneNumber", "b2"},
                       {"HomeTelephoneNumber", "H 1"},
                       {"Home2TelephoneNumber", "h2"},
                       {"MobileTelephoneNumber", "m"},
                       {"CompanyMainTelephoneNumber", "c"},
                       {"CarTelephoneNumber", "car"},
                       {"OtherTelephoneNumber", "o"}});
  ASSERT_EQ(directory.UpdatePhoneRecords(kAddRecord, *item), 0);
  ASSERT_EQ(directory.RecordCount(), 1);
  const PhoneRecord& r = directory.Records()[0];
  EXPECT_EQ(r.EntryId, item->EntryId());
  EXPECT_EQ(r.FullName, "Max Muster");
  EXPECT_EQ(r.Email, "max@example.com");
  EXPECT_EQ(r.Business, "+49 (30) 1234-567");
  EXPECT_EQ(r.BusinessNorm, "+49301234567");
  EXPECT_EQ(r.Home, "H 1");
  EXPECT_EQ(r.HomeNorm, "h1");
  EXPECT_EQ(r.Business2Norm, "b2");
  EXPECT_EQ(r.Home2Norm, "h2");
  EXPECT_EQ(r.MobileNorm, "m");
  EXPECT_EQ(r.CompanyNorm, "c");
  EXPECT_EQ(r.Car, "car");
  EXPECT_EQ(r.OtherNorm, "o");
}

// What the Outlook integration does on item events: the directory and the lookup follow.
TEST_F(DirectoryTest, UpdateRemoveAndReuseOfTheFreeSlot) {
  auto ann = Contact(contacts, "Ann", {{"MobileTelephoneNumber", "201"}});
  auto bob = Contact(contacts, "Bob", {{"MobileTelephoneNumber", "202"}});
  directory.LoadAllContacts();
  std::string number;

  ann->SetProperty("FullName", "Ann Smith");
  ann->SetProperty("MobileTelephoneNumber", "301");
  EXPECT_EQ(directory.UpdatePhoneRecords(kUpdateRecord, *ann), 0);
  EXPECT_EQ(directory.Records()[0].EntryId, ann->EntryId());
  EXPECT_EQ(directory.GetContactByPhone("201", number), "");
  EXPECT_EQ(directory.GetContactByPhone("301", number), "Ann Smith");

  EXPECT_EQ(directory.UpdatePhoneRecords(kRemoveRecord, *ann), 0);
  EXPECT_EQ(directory.RecordCount(), 2);  // the slot stays
  EXPECT_EQ(directory.Records()[0].EntryId, "");
  EXPECT_EQ(directory.Records()[0].FullName, "Ann Smith");
  EXPECT_EQ(directory.GetContactByPhone("301", number), "");
  EXPECT_EQ(directory.UpdatePhoneRecords(kUpdateRecord, *ann), -1);  // no record any more

  auto cid = Contact(contacts, "Cid", {{"HomeTelephoneNumber", "203"}});
  EXPECT_EQ(directory.UpdatePhoneRecords(kAddIntoFreeSlot, *cid), 0);
  EXPECT_EQ(directory.Records()[0].EntryId, cid->EntryId());
  EXPECT_EQ(directory.RecordCount(), 2);
  EXPECT_EQ(directory.GetContactByPhone("203", number), "Cid");
  EXPECT_EQ(directory.UpdatePhoneRecords(kAddIntoFreeSlot, *ann), -1);  // no free slot left
  EXPECT_EQ(directory.UpdatePhoneRecords(7, *bob), -1);
  EXPECT_EQ(directory.RecordCount(), 2);
}

TEST_F(DirectoryTest, AnItemThatIsNoContactAddsNothing) {
  auto mail = Sub(Store("Other"), "Inbox", platform::outlook::olMailItem)->Items().Add();
  EXPECT_EQ(directory.UpdatePhoneRecords(kAddRecord, *mail), -1);
  EXPECT_EQ(directory.RecordCount(), 0);
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(),
            "UpdatePhoneRecords Error:  Object doesn't support this property or method "
            "(Email1Address)");
  EXPECT_EQ(directory.AddContactEntry(*mail, false), -1);
  EXPECT_EQ(directory.Names().count(), 0);  // no name without its record
}

TEST_F(DirectoryTest, PhoneIsExistWantsAContactWithANonBlankNumber) {
  EXPECT_FALSE(directory.PhoneIsExist(nullptr));
  EXPECT_FALSE(
      directory.PhoneIsExist(Contact(contacts, "Blank", {{"HomeTelephoneNumber", "  "}}).get()));
  EXPECT_TRUE(
      directory.PhoneIsExist(Contact(contacts, "Car", {{"CarTelephoneNumber", "1"}}).get()));
  auto mail = Sub(Store("Other"), "Inbox", platform::outlook::olMailItem)->Items().Add();
  EXPECT_FALSE(directory.PhoneIsExist(mail.get()));
}

TEST_F(DirectoryTest, FindPhoneRecordAndTheNameListByItemData) {
  auto a1 = Contact(contacts, "Ann", {{"MobileTelephoneNumber", "1"}});
  Contact(contacts, "Bob", {{"MobileTelephoneNumber", "2"}});
  Contact(contacts, "Ann", {{"MobileTelephoneNumber", "3"}});
  directory.LoadAllContacts();

  int16_t index = 99;
  EXPECT_TRUE(directory.FindPhoneRecord("Ann", index, false));
  EXPECT_EQ(index, 0);
  EXPECT_TRUE(directory.FindPhoneRecord(a1->EntryId(), index, true));
  EXPECT_EQ(index, 0);
  index = 99;
  EXPECT_FALSE(directory.FindPhoneRecord("   ", index, false));
  EXPECT_FALSE(directory.FindPhoneRecord("ann", index, false));
  EXPECT_FALSE(directory.FindPhoneRecord("Ann", index, true));
  EXPECT_EQ(index, 99);

  ContactNameList& names = directory.Names();
  ASSERT_EQ(names.count(), 3);
  EXPECT_EQ(GetItemByGlIndex(2, names), 2);
  names.RemoveItem(GetItemByGlIndex(1, names));
  EXPECT_EQ(GetItemByGlIndex(2, names), 1);  // found by its record, not its old position
  EXPECT_EQ(GetItemByGlIndex(1, names), -1);
  EXPECT_EQ(GetItemByGlIndex(-1, names), -1);
}

// A table at its 16-bit limit refuses additions with one line each, and keeps everything else.
TEST_F(DirectoryTest, AFullTableAddsNothingAndSaysSo) {
  constexpr int kMax = PhoneRecordTable::kMaxRecords;
  for (int i = 0; i < kMax + 2; ++i)
    Contact(contacts, "C" + std::to_string(i), {{"MobileTelephoneNumber", std::to_string(i)}});
  directory.LoadAllContacts();
  EXPECT_EQ(directory.RecordCount(), kMax);
  EXPECT_EQ(directory.Names().count(), kMax);
  EXPECT_EQ(directory.Names().itemData(kMax - 1), kMax - 1);
  EXPECT_TRUE(Logged(
      "Contacts loading: the directory is full (32767 contacts); the remaining contacts are not "
      "loaded"));
  EXPECT_TRUE(
      Logged("CalculateContacts: Error - Overflow: more than 32767 contacts, the count "
             "stops there"));
  EXPECT_TRUE(Logged("Loaded 32767 contacts"));

  auto late = Contact(contacts, "Late", {{"MobileTelephoneNumber", "x"}});
  log.clear();
  EXPECT_EQ(directory.AddContactEntry(*late, false), -1);
  EXPECT_EQ(log,
            std::vector<std::string>{
                "UpdatePhoneRecords: the directory is full (32767 contacts), Late is not added"});
  EXPECT_EQ(directory.Names().count(), kMax);
  std::string number;
  EXPECT_EQ(directory.GetContactByPhone(std::to_string(kMax - 1), number), "C32766");

  // A free slot can still be filled.
  EXPECT_EQ(directory.UpdatePhoneRecords(kRemoveRecord, *contacts->Items().Item(5)), 4);
  EXPECT_EQ(directory.AddContactEntry(*late, true), 4);
  EXPECT_EQ(directory.GetContactByPhone("x", number), "Late");
}

// Sources come after the mailbox whatever order the stores were made in; each source that does
// not fit is named once, and the folders loaded are reported for following.
TEST_F(DirectoryTest, SourcesLoadAfterTheMailboxAndWhatDoesNotFitIsNamed) {
  constexpr int kMax = PhoneRecordTable::kMaxRecords;
  platform::outlook::Folder* work = Sub(ns.AddSourceStore("Work"), "Colleagues");
  Contact(work, "Kim", {{"MobileTelephoneNumber", "900"}});
  Contact(work, "Lee", {{"MobileTelephoneNumber", "901"}});
  platform::outlook::Folder* home = Sub(ns.AddSourceStore("Home"), "Family");
  Contact(home, "Mia", {{"MobileTelephoneNumber", "902"}});
  Sub(ns.AddSourceStore("Empty"), "Nothing");
  Contact(Sub(Store("Public"), "Shared"), "Pat", {{"MobileTelephoneNumber", "903"}});
  for (int i = 0; i < kMax - 2; ++i)
    Contact(contacts, "C" + std::to_string(i), {{"MobileTelephoneNumber", std::to_string(i)}});

  std::vector<std::string> loaded;
  int starts = 0, finished = 0;
  directory.SetLoadObserver({[&] { ++starts; },
                             [&](platform::outlook::Folder& f) { loaded.push_back(f.Name()); },
                             [&] { ++finished; }});
  directory.LoadAllContacts();
  EXPECT_EQ(directory.RecordCount(), kMax);
  EXPECT_EQ(directory.Records()[kMax - 2].FullName, "Pat");
  EXPECT_EQ(directory.Records()[kMax - 1].FullName, "Kim");
  EXPECT_TRUE(Logged(
      "Contacts loading: the directory is full (32767 contacts); source \"Work\" is not loaded "
      "completely"));
  EXPECT_TRUE(Logged(
      "Contacts loading: the directory is full (32767 contacts); source \"Home\" is not loaded"));
  EXPECT_FALSE(Logged(
      "Contacts loading: the directory is full (32767 contacts); the remaining contacts are not "
      "loaded"));
  int full_lines = 0;
  for (const auto& line : log) full_lines += line.find("directory is full") != std::string::npos;
  EXPECT_EQ(full_lines, 2);
  EXPECT_EQ(starts, 1);
  EXPECT_EQ(finished, 1);
  EXPECT_EQ(loaded.back(), "Colleagues");
}

}  // namespace
}  // namespace ringova
