#include <gtest/gtest.h>

#include "platform/outlook/application.h"

namespace platform::outlook {
namespace {

// The add-in's folder-walk filter, trailing blank included.
constexpr std::string_view kAddInFilter =
    "[FullName] > '' and ([BusinessTelephoneNumber] > '' or [Business2TelephoneNumber] > '' Or "
    "[HomeTelephoneNumber] > '' Or [Home2TelephoneNumber] > '' Or [MobileTelephoneNumber] > '' "
    "Or [CompanyMainTelephoneNumber] > '' Or [OtherTelephoneNumber] > '' ) ";

class RestrictTest : public ::testing::Test {
 protected:
  RestrictTest() {
    store_ = app_.GetNamespace("MAPI")->AddStore("Mailbox");
    contacts_ = store_->Folders().Add("Contacts", olContactItem);
  }

  std::shared_ptr<Item> Contact(std::string name, std::string property = {},
                                std::string number = "100") {
    auto item = contacts_->Items().Add();
    item->SetProperty("FullName", std::move(name));
    if (!property.empty()) item->SetProperty(property, std::move(number));
    item->Save();
    return item;
  }

  std::vector<std::string> Names(std::string_view filter) {
    RestrictResult result = contacts_->Items().Restrict(filter);
    EXPECT_TRUE(result.ok()) << result.error;
    std::vector<std::string> names;
    for (const auto& item : result.items) names.push_back(*item->GetProperty("FullName"));
    return names;
  }

  Application app_;
  Folder* store_;
  Folder* contacts_;
};

TEST_F(RestrictTest, AddInFilterNeedsNameAndOneOfSevenNumbers) {
  for (std::string_view phone : kTelephoneProperties)
    Contact(std::string(phone), std::string(phone));
  Contact("", "BusinessTelephoneNumber");  // no name
  Contact("NoNumber");
  Contact("Blank", "HomeTelephoneNumber", " ");  // not empty: blanks count
  Contact("Fax", "BusinessFaxNumber");
  auto mail = contacts_->Items().Add(olMailItem);  // a mail has no FullName
  mail->SetProperty("Subject", "x");
  mail->Save();

  EXPECT_EQ(Names(kAddInFilter),
            (std::vector<std::string>{"BusinessTelephoneNumber", "Business2TelephoneNumber",
                                      "HomeTelephoneNumber", "Home2TelephoneNumber",
                                      "MobileTelephoneNumber", "CompanyMainTelephoneNumber",
                                      "OtherTelephoneNumber", "Blank"}));
}

TEST_F(RestrictTest, TruthTableOfAndOrAndParentheses) {
  // a = FullName, b = Email1Address, c = CarTelephoneNumber; all eight combinations.
  for (int bits = 0; bits < 8; ++bits) {
    auto item = contacts_->Items().Add();
    item->SetProperty("Subject", std::to_string(bits));
    if (bits & 1) item->SetProperty("FullName", "a");
    if (bits & 2) item->SetProperty("Email1Address", "b");
    if (bits & 4) item->SetProperty("CarTelephoneNumber", "c");
    item->Save();
  }
  const auto selected = [&](std::string_view filter) {
    RestrictResult result = contacts_->Items().Restrict(filter);
    EXPECT_TRUE(result.ok()) << filter << ": " << result.error;
    std::string bits;
    for (const auto& item : result.items) bits += item->Subject();
    return bits;
  };
  EXPECT_EQ(selected("[FullName] > ''"), "1357");
  EXPECT_EQ(selected("[FullName] > '' AND [Email1Address] > ''"), "37");
  EXPECT_EQ(selected("[FullName] > '' oR [Email1Address] > ''"), "123567");
  // "and" binds closer than "or".
  EXPECT_EQ(selected("[FullName] > '' or [Email1Address] > '' and [CarTelephoneNumber] > ''"),
            "13567");
  EXPECT_EQ(selected("([FullName] > '' or [Email1Address] > '') and [CarTelephoneNumber] > ''"),
            "567");
  EXPECT_EQ(selected("((([fullname]>'')))"), "1357");  // names ignore letter case
  EXPECT_EQ(selected("[FullName] > \"\""), "1357");
}

TEST_F(RestrictTest, AnyOtherFilterIsAnErrorNotAMatch) {
  Contact("Max", "BusinessTelephoneNumber");
  for (std::string_view bad : {
           "",
           "   ",
           "[FullName] = 'Max'",
           "[FullName] > 'M'",
           "[FullName] >= ''",
           "[FullName] <> ''",
           "[FullName] > ''  and",
           "[FullName] > '' xor [Email1Address] > ''",
           "([FullName] > ''",
           "[FullName] > '')",
           "[FullName > ''",
           "[NoSuchProperty] > ''",
           "not [FullName] > ''",
           "[FullName] > '' andx [Email1Address] > ''",
           "@SQL=\"urn:schemas:contacts:cn\" > ''",
       }) {
    RestrictResult result = contacts_->Items().Restrict(bad);
    EXPECT_FALSE(result.ok()) << "accepted: " << bad;
    EXPECT_EQ(result.items.Count(), 0) << bad;
    EXPECT_NE(result.error.find("Restrict: unsupported filter at position"), std::string::npos)
        << result.error;
  }
  RestrictResult result = contacts_->Items().Restrict("[FullName] > '' and [Nickname] > ''");
  EXPECT_EQ(result.error.find("position 22") != std::string::npos &&
                result.error.find("unknown property \"Nickname\"") != std::string::npos,
            true)
      << result.error;
}

TEST_F(RestrictTest, ResultIsASnapshot) {
  Contact("One", "HomeTelephoneNumber");
  RestrictResult result = contacts_->Items().Restrict("[FullName] > ''");
  Contact("Two", "HomeTelephoneNumber");
  EXPECT_EQ(result.items.Count(), 1);
  EXPECT_EQ(contacts_->Items().Restrict("[FullName] > ''").items.Count(), 2);
}

}  // namespace
}  // namespace platform::outlook
