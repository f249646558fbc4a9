#include <gtest/gtest.h>

#include "platform/ui/keys.h"
#include "ringova_outlook/contacts/contact_picker.h"
#include "tests/ringova_outlook/contacts/contacts_fixture.h"

namespace ringova {
namespace {

namespace ui = platform::ui;
using testing_support::ContactsTest;

std::vector<std::string> Texts(const ui::ListEntries& list) {
  std::vector<std::string> out;
  for (const auto& e : list.entries()) out.push_back(e.text);
  return out;
}

class PickerTest : public ContactsTest {
 protected:
  PickerTest() {
    auto* contacts = Sub(Store("Mailbox"), "Contacts");
    Contact(contacts, "Joanna Smith", {{"HomeTelephoneNumber", "301"}});
    Contact(contacts, "Dana Ant", {{"HomeTelephoneNumber", "302"}});
    Contact(contacts, "Ben Anders", {{"HomeTelephoneNumber", "401"}});
    Contact(contacts, "Anna Berg",
            {{"MobileTelephoneNumber", "201"}, {"BusinessTelephoneNumber", "+49 30 202"}});
    Contact(contacts, "Hans Annan", {{"OtherTelephoneNumber", "501"}});
    Contact(contacts, "Blank Bert", {{"HomeTelephoneNumber", "  "}});
    directory.LoadAllContacts();
  }
  ContactPicker& picker = directory.Picker();
  ui::UiDriver& driver = desktop.driver;
};

// Typing lists every name containing the text, nearest the start first (ties in list order),
// and completes the box with the first, the completion selected; Enter lists its numbers.
TEST_F(PickerTest, TypingCompletesTheNameAndEnterListsItsNumbers) {
  driver.expect("fContacts", [&](ui::Form&) {
    EXPECT_EQ(picker.caption(), "Make Call ");
    EXPECT_EQ(picker.btnCall.caption(), "Start Call ");
    EXPECT_FALSE(picker.btnCall.enabled());
    driver.focus(picker.cboContacts);
    driver.type("a");
    EXPECT_EQ(picker.cboContacts.text(), "Anna Berg");
    driver.type("n");
    EXPECT_EQ(Texts(picker.lstContacts),
              (std::vector<std::string>{"Anna Berg", "Dana Ant", "Hans Annan", "Joanna Smith",
                                        "Blank Bert", "Ben Anders"}));
    EXPECT_TRUE(picker.lstContacts.visible());
    EXPECT_EQ(picker.cboContacts.text(), "Anna Berg");
    EXPECT_EQ(picker.cboContacts.selText(), "na Berg");
    EXPECT_EQ(picker.cboPhones.count(), 0);
    driver.press(ui::key::Return);
    EXPECT_FALSE(picker.lstContacts.visible());
    EXPECT_EQ(Texts(picker.cboPhones),
              (std::vector<std::string>{"Business  - +49 30 202", "Mobile    - 201"}));
    EXPECT_TRUE(picker.btnCall.enabled());
    driver.click(picker.btnCall);
  });
  EXPECT_EQ(picker.Pick(-1, nullptr), "Business  - +49 30 202");
  EXPECT_TRUE(Logged("AddContactPhones: for Anna Berg"));
  EXPECT_TRUE(driver.failures().empty()) << driver.failures().front();
}

TEST_F(PickerTest, KeyboardMovesInTheMatchListAndTheMousePicks) {
  driver.expect("fContacts", [&](ui::Form&) {
    driver.focus(picker.cboContacts);
    driver.type("ber");
    EXPECT_EQ(Texts(picker.lstContacts), (std::vector<std::string>{"Anna Berg", "Blank Bert"}));
    driver.press(ui::key::Down);  // into the list, on its first entry
    EXPECT_EQ(driver.focused(), &picker.lstContacts);
    EXPECT_EQ(picker.lstContacts.listIndex(), 0);
    driver.press(ui::key::Down);  // the box follows, the numbers wait
    EXPECT_EQ(picker.cboContacts.text(), "Blank Bert");
    EXPECT_TRUE(picker.lstContacts.visible());
    EXPECT_EQ(picker.cboPhones.count(), 0);
    driver.pick(picker.lstContacts, 0);
    EXPECT_EQ(picker.cboContacts.text(), "Anna Berg");
    EXPECT_FALSE(picker.lstContacts.visible());
    EXPECT_EQ(picker.cboPhones.text(), "Business  - +49 30 202");

    // A contact whose numbers are all blank gives nothing to call.
    driver.pick(picker.cboContacts, picker.cboContacts.findText("Blank Bert"));
    EXPECT_EQ(picker.cboPhones.count(), 0);
    EXPECT_FALSE(picker.btnCall.enabled());
    driver.click(picker.btnCancel);
  });
  EXPECT_EQ(picker.Pick(-1, nullptr), "0");
  EXPECT_TRUE(driver.failures().empty()) << driver.failures().front();
}

TEST_F(PickerTest, BackspaceToAnEmptyBoxClearsTheChoice) {
  driver.expect("fContacts", [&](ui::Form&) {
    driver.focus(picker.cboContacts);
    driver.type("jo");
    driver.press(ui::key::Return);
    EXPECT_TRUE(picker.btnCall.enabled());
    driver.press(ui::key::End);
    for (int i = 0; i < 12; ++i) driver.press(ui::key::Back);
    EXPECT_EQ(picker.cboContacts.text(), "");
    EXPECT_FALSE(picker.lstContacts.visible());
    EXPECT_EQ(picker.cboPhones.count(), 0);
    EXPECT_FALSE(picker.btnCall.enabled());
    EXPECT_EQ(picker.Search().SearchText(), "");
    picker.hide();
  });
  picker.Pick(-1, nullptr);
  EXPECT_TRUE(driver.failures().empty()) << driver.failures().front();
}

// Preselection by record index; the close box hides the window and picks nothing.
TEST_F(PickerTest, PreselectedContactAndTheCloseBox) {
  int16_t ben = -1;
  ASSERT_TRUE(directory.FindPhoneRecord("Ben Anders", ben, false));
  driver.expect("fContacts", [&](ui::Form&) {
    EXPECT_EQ(picker.cboContacts.text(), "Ben Anders");
    EXPECT_EQ(picker.cboPhones.text(), "Home      - 401");
    EXPECT_TRUE(picker.btnCall.enabled());
    EXPECT_FALSE(driver.closeBox(picker));
  });
  EXPECT_EQ(picker.Pick(ben, nullptr), "0");
  EXPECT_TRUE(picker.loaded());
  EXPECT_FALSE(picker.visible());

  // The same contact again, after a choice of another one.
  driver.expect("fContacts", [&](ui::Form&) {
    EXPECT_EQ(picker.cboPhones.text(), "Home      - 401");
    driver.pick(picker.cboPhones, 0);
    driver.click(picker.btnCall);
  });
  EXPECT_EQ(picker.Pick(ben, nullptr), "Home      - 401");

  // A record without a list entry (its name was removed) leaves the picker empty.
  directory.Names().RemoveItem(GetItemByGlIndex(ben, directory.Names()));
  picker.Preselect(ben);
  EXPECT_EQ(picker.cboContacts.text(), "");
  EXPECT_EQ(picker.cboPhones.count(), 0);
  EXPECT_FALSE(picker.btnCall.enabled());
  EXPECT_EQ(picker.cboContacts.count(), 5);
  EXPECT_TRUE(driver.failures().empty()) << driver.failures().front();
}

}  // namespace
}  // namespace ringova
