#include "platform/outlook/mailbox_loader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/outlook/application.h"

namespace platform::outlook {
namespace {

class MailboxLoaderTest : public ::testing::Test {
 protected:
  MailboxLoaderTest()
      : dir_(std::filesystem::temp_directory_path() / ("mailbox_" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(dir_ / "cards");
    std::ofstream(dir_ / "cards" / "team.vcf")
        << "BEGIN:VCARD\nVERSION:3.0\nFN:Ann Team\nTEL;TYPE=work:+49 30 1\nEND:VCARD\n";
    std::ofstream(dir_ / "cards" / "broken.vcf") << "BEGIN:VCARD\nFN:X\n";
  }
  ~MailboxLoaderTest() override { std::filesystem::remove_all(dir_); }

  MailboxLoadResult Load(std::string_view json) {
    return LoadMailbox(json, "m.json", dir_, *app_.GetNamespace("MAPI"));
  }

  std::filesystem::path dir_;
  Application app_;
};

TEST_F(MailboxLoaderTest, BuildsTheFolderTreeWithDefaultsContactsAndMails) {
  std::ofstream(dir_ / "mailbox.json") << R"({
  // Comments help a hand-written mailbox.
  "current_user": {"name": "Jane Doe", "address": "jane@example.com"},
  "stores": [
    {"name": "Mailbox - Jane Doe", "folders": [
      {"name": "Inbox", "default": "inbox", "mails": [
        {"SenderName": "Max Muster", "SenderEmailAddress": "max@example.com",
         "To": "Jane Doe", "Subject": "Hello"}]},
      {"name": "Contacts", "default": "contacts",
       "contacts": [{"FullName": "Max Muster", "MobileTelephoneNumber": "0170 1"}],
       "folders": [{"name": "Team", "vcards": ["cards/team.vcf"]},
                   {"name": "Notes inside", "type": "notes"}]},
      {"name": "Deleted Items", "default": "deleted_items"}
    ]},
    {"name": "Archive", "folders": [{"name": "Old contacts", "type": "contacts"}]}
  ]
})";
  NameSpace& session = *app_.GetNamespace("MAPI");
  MailboxLoadResult result = LoadMailboxFile(dir_ / "mailbox.json", session);
  ASSERT_TRUE(result.ok()) << result.error;
  EXPECT_EQ(result.folders, 8);
  EXPECT_EQ(result.contacts, 2);
  EXPECT_EQ(result.mails, 1);

  EXPECT_EQ(session.CurrentUser().Address(), "jane@example.com");
  ASSERT_EQ(session.Folders().Count(), 2);
  Folder* contacts = session.GetDefaultFolder(olFolderContacts);
  ASSERT_NE(contacts, nullptr);
  EXPECT_EQ(contacts->FolderPath(), "\\\\Mailbox - Jane Doe\\Contacts");
  EXPECT_EQ(contacts->DefaultItemType(), olContactItem);
  EXPECT_EQ(contacts->Items().Count(), 1);
  Folder* team = contacts->Folders().Item("Team");
  ASSERT_NE(team, nullptr);
  EXPECT_EQ(team->DefaultItemType(), olContactItem);
  EXPECT_EQ(AsContact(team->Items().Item(1))->FullName(), "Ann Team");
  EXPECT_EQ(contacts->Folders().Item("Notes inside")->DefaultItemType(), olNoteItem);
  EXPECT_EQ(session.GetDefaultFolder(olFolderDeletedItems)->Name(), "Deleted Items");
  auto mail = AsMail(session.GetDefaultFolder(olFolderInbox)->Items().Item(1));
  ASSERT_NE(mail, nullptr);
  EXPECT_EQ(mail->SenderEmailAddress(), "max@example.com");
  EXPECT_EQ(mail->To(), "Jane Doe");
  EXPECT_EQ(session.Folders().Item("Archive")->Folders().Item(1)->DefaultItemType(), olContactItem);
}

TEST_F(MailboxLoaderTest, ErrorsNameFileAndLine) {
  struct Case {
    const char* json;
    const char* error;
  };
  for (const Case& c : {
           Case{"{\n\"stores\": [\n{\"name\": \"S\"}\n{}]}", "m.json:4: syntax error"},
           Case{"", "m.json:1: syntax error"},
           Case{"{\n  \"stores\": [],\n  \"store\": []\n}", "m.json:3: unknown key \"store\""},
           Case{"{\"current_user\": {}}", "m.json:1: the mailbox has no \"stores\""},
           Case{"{\"stores\": [{\"name\": \"S\", \"folders\": [\n {\"name\": 7}]}]}",
                "m.json:2: \"name\" must be a text, not a number"},
           Case{"{\"stores\": [{\"name\": \"S\", \"folders\": [\n"
                " {\"name\": \"C\", \"type\": \"contacts\", \"contacts\": [\n"
                "  {\"FullName\": \"A\",\n   \"Nickname\": \"B\"}]}]}]}",
                "m.json:4: \"Nickname\" is not a property of a ContactItem that can be set"},
           Case{"{\"stores\": [{\"name\": \"S\", \"folders\": [\n"
                " {\"name\": \"A\", \"default\": \"inbox\"},\n"
                " {\"name\": \"B\", \"default\": \"inbox\"}]}]}",
                "m.json:3: a second \"inbox\" default folder"},
           Case{"{\"stores\": [{\"name\": \"S\", \"folders\": [\n"
                " {\"name\": \"A\", \"default\": \"contacts\", \"type\": \"mail\"}]}]}",
                "m.json:2: a \"contacts\" folder cannot hold mail"},
           Case{"{\"stores\": [{\"name\": \"S\", \"folders\": [\n"
                " {\"name\": \"A\"},\n {\"name\": \"a\"}]}]}",
                "m.json:3: the folder \"a\" exists twice in \\\\S"},
           Case{"{\"stores\": [{\"name\": \"S\", \"folders\": [\n"
                " {\"name\": \"A\", \"type\": \"letters\"}]}]}",
                "m.json:2: unknown folder type \"letters\""},
       }) {
    Application fresh;
    MailboxLoadResult result = LoadMailbox(c.json, "m.json", dir_, *fresh.GetNamespace("MAPI"));
    EXPECT_EQ(result.error.rfind(c.error, 0), 0u) << c.json << "\n -> " << result.error;
  }
}

TEST_F(MailboxLoaderTest, VCardErrorsKeepTheirOwnFileAndLine) {
  MailboxLoadResult result = Load(
      "{\"stores\": [{\"name\": \"S\", \"folders\": [\n"
      " {\"name\": \"C\", \"type\": \"contacts\",\n"
      "  \"vcards\": [\"cards/team.vcf\", \"cards/broken.vcf\"]}]}]}");
  EXPECT_EQ(result.error, "m.json:3: vCard file cards/broken.vcf not loaded: " +
                              (dir_ / "cards/broken.vcf").string() +
                              ":1: the card begun here has no END:VCARD");
  EXPECT_FALSE(LoadMailboxFile(dir_ / "none.json", *app_.GetNamespace("MAPI")).ok());
  EXPECT_EQ(LoadMailboxFile(dir_, *app_.GetNamespace("MAPI")).error,
            dir_.string() + ": cannot be read");
}

TEST(Mailbox, SampleMailboxLoadsAndStandardStoreHasTheDefaults) {
  const char* source = std::getenv("TELVANE_SOURCE_DIR");  // CTest sets it; else run from the top
  if (!source) source = ".";
  Application app;
  NameSpace& session = *app.GetNamespace("MAPI");
  MailboxLoadResult result = LoadMailboxFile(
      std::filesystem::path(source) / "platform/outlook/sample/mailbox.json", session);
  ASSERT_TRUE(result.ok()) << result.error;
  EXPECT_EQ(result.contacts, 5);
  EXPECT_TRUE(result.warnings.empty());

  Application other;
  NameSpace& fresh = *other.GetNamespace("MAPI");
  Folder* store = AddStandardStore(fresh, "Personal Folders");
  ASSERT_NE(store, nullptr);
  EXPECT_EQ(store->Folders().Count(), 10);
  EXPECT_EQ(fresh.GetDefaultFolder(olFolderContacts)->FolderPath(),
            "\\\\Personal Folders\\Contacts");
  EXPECT_EQ(fresh.GetDefaultFolder(olFolderDeletedItems)->Name(), "Deleted Items");
  EXPECT_EQ(AddStandardStore(fresh, "personal folders"), nullptr);
}

}  // namespace
}  // namespace platform::outlook
