#include <gtest/gtest.h>

#include <random>
#include <string>

#include "ringova_outlook/contacts/caller_lookup.h"
#include "ringova_outlook/contacts/record_table.h"
#include "ringova_outlook/dialing/phone_text.h"
#include "tests/ringova_outlook/contacts/contacts_fixture.h"

namespace ringova {
namespace {

using testing_support::ContactsTest;

class CallerLookupTest : public ContactsTest {
 protected:
  void SetUp() override { prefixes = {"+49", "0"}; }
  std::string Lookup(std::string_view caller) {
    number = "unchanged";
    return directory.GetContactByPhone(caller, number);
  }
  std::string number;
};

TEST_F(CallerLookupTest, WorkedExamplesOfTheNationalAndInternationalForms) {
  auto* contacts = Sub(Store("Mailbox"), "Contacts");
  Contact(contacts, "Max Muster", {{"BusinessTelephoneNumber", "+49 30 1234567"}});
  directory.LoadAllContacts();

  EXPECT_EQ(Lookup("sip:0301234567@10.0.0.1"), "Max Muster");
  EXPECT_EQ(number, "+49 30 1234567");
  EXPECT_TRUE(Logged("GetContactByPhone: - sip:0301234567@10.0.0.1 => 0301234567@10.0.0.1"));
  EXPECT_TRUE(Logged("GetContactByPhone: contact  Max Muster, Number: +49 30 1234567"));

  EXPECT_EQ(Lookup("Office <sip:0301234567@10.0.0.1>"), "Max Muster");
  EXPECT_EQ(Lookup("tel:+49301234567"), "Max Muster");

  // "&gt;" goes before the brackets are looked for, so nothing is cut out and nothing matches.
  EXPECT_EQ(Lookup("Office <sip:0301234567@10.0.0.1&gt;"), "");
  EXPECT_EQ(number, "unchanged");
  EXPECT_TRUE(
      Logged("GetContactByPhone: - Office <sip:0301234567@10.0.0.1&gt; => office "
             "<sip:0301234567@10.0.0.1"));
}

TEST_F(CallerLookupTest, SchemesCaseAndHostPartsReduceTheCaller) {
  auto* contacts = Sub(Store("Mailbox"), "Contacts");
  Contact(contacts, "Literal", {{"OtherTelephoneNumber", "100@10.0.0.2"}});
  Contact(contacts, "Short", {{"MobileTelephoneNumber", "100"}});
  Contact(contacts, "Voicemail", {{"HomeTelephoneNumber", "*97"}});
  directory.LoadAllContacts();

  EXPECT_EQ(Lookup("SIP:100"), "Short");
  EXPECT_EQ(number, "100");
  EXPECT_EQ(Lookup("100@10.0.0.2"), "Literal");  // the whole address, before the user part
  EXPECT_EQ(number, "100@10.0.0.2");
  EXPECT_EQ(Lookup("100@10.0.0.3"), "Short");
  EXPECT_EQ(Lookup("  PSTN:  *97  "), "Voicemail");
  EXPECT_EQ(Lookup("vm:*97"), "Voicemail");
  EXPECT_EQ(Lookup("sips:100"), "");  // not a scheme the caller loses
}

TEST_F(CallerLookupTest, WithoutALocationCountryOnlyTheExactRulesApply) {
  auto* contacts = Sub(Store("Mailbox"), "Contacts");
  Contact(contacts, "Max Muster", {{"BusinessTelephoneNumber", "+49 30 1234567"}});
  Contact(contacts, "National", {{"HomeTelephoneNumber", "301234567"}});
  directory.LoadAllContacts();

  prefixes = {};
  EXPECT_EQ(Lookup("0301234567"), "");
  EXPECT_EQ(Lookup("+49301234567"), "Max Muster");
  prefixes = {"+49", "0"};
  EXPECT_EQ(Lookup("0301234567"), "Max Muster");  // the first record, by the country rule
  prefixes = {"+44", "0"};
  EXPECT_EQ(Lookup("0301234567"), "National");  // its number is the national form itself
}

TEST_F(CallerLookupTest, TheFirstKindInPhoneKindOrderGivesTheNumber) {
  auto* contacts = Sub(Store("Mailbox"), "Contacts");
  Contact(contacts, "Two Kinds",
          {{"HomeTelephoneNumber", "030 555"}, {"Business2TelephoneNumber", "(030) 555"}});
  directory.LoadAllContacts();
  EXPECT_EQ(Lookup("030555"), "Two Kinds");
  EXPECT_EQ(number, "(030) 555");
}

// Removing a contact empties its slot; the contacts after it stay findable.
TEST_F(CallerLookupTest, EmptiedSlotsAreSkippedNotTheEndOfTheTable) {
  auto* contacts = Sub(Store("Mailbox"), "Contacts");
  auto first = Contact(contacts, "First", {{"MobileTelephoneNumber", "201"}});
  Contact(contacts, "Second", {{"MobileTelephoneNumber", "202"}});
  directory.LoadAllContacts();
  EXPECT_EQ(Lookup("202"), "Second");
  directory.UpdatePhoneRecords(kRemoveRecord, *first);
  EXPECT_EQ(Lookup("201"), "");
  EXPECT_EQ(Lookup("202"), "Second");
}

// A caller without a number (anonymous) is nobody, not the first contact with an empty field.
TEST_F(CallerLookupTest, AnEmptyCallerMatchesNoEmptyNumber) {
  auto* contacts = Sub(Store("Mailbox"), "Contacts");
  Contact(contacts, "Sparse", {{"MobileTelephoneNumber", "201"}});
  directory.LoadAllContacts();
  EXPECT_EQ(Lookup(""), "");
  EXPECT_EQ(Lookup("sip:@10.0.0.1"), "");
  EXPECT_EQ(Lookup("<>"), "");
}

// The index answers exactly as the walk does, over random tables with many near collisions,
// random callers and prefixes, and changes to the table between lookups.
TEST(CallerIndexTest, RandomizedAgainstTheWalk) {
  std::mt19937 random(20261209);
  auto pick = [&random](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
  const std::string alphabet = "0149+";
  auto number = [&] {
    std::string n;
    for (int i = pick(7); i > 0; --i) n += alphabet[pick(static_cast<int>(alphabet.size()))];
    if (pick(8) == 0) n += "@h";
    return n;
  };
  const DialPrefixes locations[] = {{"", ""}, {"+49", "0"}, {"+4", "01"}, {"+", "0"}, {"+49", ""}};
  const char* decorations[] = {"", "sip:", "TEL: ", "Office <pbx:", "ar:"};

  PhoneRecordTable table;
  auto random_record = [&] {
    PhoneRecord r;
    r.EntryId = pick(6) == 0 ? "" : "id" + std::to_string(pick(1000));
    r.FullName = "n";
    for (const PhoneKindInfo& info : kPhoneKinds) {
      if (pick(3) == 0) continue;
      StoredNumber(r, info.kind) = number();
      NormalizedNumber(r, info.kind) = NormalizePhone(StoredNumber(r, info.kind));
    }
    return r;
  };
  for (int i = 0; i < 60; ++i) table.Append(random_record());

  int matched = 0;
  for (int round = 0; round < 4000; ++round) {
    switch (pick(10)) {
      case 0:
        table.Append(random_record());
        break;
      case 1:
        table.Assign(static_cast<int16_t>(pick(table.RecordCount())), random_record());
        break;
      case 2:
        table.ClearEntryId(static_cast<int16_t>(pick(table.RecordCount())));
        break;
      default:
        break;
    }
    std::string caller = decorations[pick(5)] + number();
    if (caller.find('<') != std::string::npos) caller += ">";
    const DialPrefixes& location = locations[pick(5)];
    const CallerQuery query = MakeCallerQuery(caller, location);
    const CallerMatch walked = WalkForCaller(table.Records(), query);
    const CallerMatch indexed = table.FindCaller(query);
    ASSERT_EQ(indexed.record, walked.record) << caller << " with " << location.CountryPrefix;
    if (walked.found()) {
      ASSERT_EQ(indexed.kind, walked.kind) << caller;
      ++matched;
    }
  }
  EXPECT_GT(matched, 400);  // the data collide often enough to test the order
}

}  // namespace
}  // namespace ringova
