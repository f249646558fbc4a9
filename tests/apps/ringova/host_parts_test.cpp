// The host's parts without the program: its command line, the log it follows, the mailbox
// it builds and how a script line reads.
#include <gtest/gtest.h>

#include <fstream>

#include "apps/ringova/host_options.h"
#include "apps/ringova/log_follower.h"
#include "apps/ringova/mailbox_setup.h"
#include "apps/ringova/script_line.h"
#include "apps/ringova/script_runner.h"
#include "platform/outlook/application.h"
#include "platform/outlook/constants.h"
#include "tests/support/temp_folder.h"

namespace ringova::host {
namespace {

namespace ol = platform::outlook;

TEST(HostOptionsTest, RunsConfigAndRegistration) {
  HostOptions o;
  std::string error;
  ASSERT_TRUE(ParseHostOptions(
      {"--mailbox", "a.json", "--headless", "--mailbox", "b.vcf", "--script", "s.txt"}, o, error));
  EXPECT_EQ(o.command, Command::Run);
  EXPECT_EQ(o.mailboxes, (std::vector<std::string>{"a.json", "b.vcf"}));
  EXPECT_TRUE(o.headless);
  EXPECT_EQ(o.script, "s.txt");

  ASSERT_TRUE(ParseHostOptions({"config", "set", "ServPort", "5060"}, o, error));
  EXPECT_EQ(o.command, Command::ConfigSet);
  EXPECT_EQ(o.name, "ServPort");
  EXPECT_EQ(o.value, "5060");
  ASSERT_TRUE(ParseHostOptions({"unregister"}, o, error));
  EXPECT_EQ(o.command, Command::Unregister);
  ASSERT_TRUE(ParseHostOptions({"--screenshots", "shots"}, o, error));
  EXPECT_EQ(o.screenshots, "shots");
  EXPECT_FALSE(o.headless);

  // A phone link, after "dial" or alone (as the desktop entry passes it).
  ASSERT_TRUE(ParseHostOptions({"--headless", "dial", "tel:+4930"}, o, error));
  EXPECT_EQ(o.command, Command::Run);
  EXPECT_EQ(o.address, "tel:+4930");
  ASSERT_TRUE(ParseHostOptions({"CallTo://0171"}, o, error));
  EXPECT_EQ(o.address, "CallTo://0171");
  ASSERT_TRUE(ParseHostOptions({"autostart", "off"}, o, error));
  EXPECT_EQ(o.command, Command::AutostartOff);

  for (const std::vector<std::string>& bad : {std::vector<std::string>{"--script", "s.txt"},
                                              {"--headless", "--script"},
                                              {"--headless", "--script", "a", "--script", "b"},
                                              {"config"},
                                              {"config", "get", ""},
                                              {"config", "list", "x"},
                                              {"headless"},
                                              {"--screenshots"},
                                              {"--headless", "--screenshots", "shots"},
                                              {"dial"},
                                              {"tel:1", "sip:2"},
                                              {"autostart"},
                                              {"autostart", "on", "off"},
                                              {"mailto:ann@example.org"}}) {
    EXPECT_FALSE(ParseHostOptions(bad, o, error)) << bad.back();
    EXPECT_FALSE(error.empty());
  }
}

void append(const std::filesystem::path& file, const std::string& text) {
  std::ofstream(file, std::ios::binary | std::ios::app) << text;
}

TEST(LogFollowerTest, NewLinesOnlyWholeAndOnceThroughTheRing) {
  testsupport::TempFolder folder;
  const auto file = [&](int n) {
    return folder.path() / ("RingovaLog" + std::to_string(n) + ".txt");
  };
  append(file(1), "\"12/9/2026 3:04:05 PM: old\"\r\n");
  std::vector<std::string> got;
  LogFollower follower([&] { return folder.withSlash(); },
                       [&](const std::string& m) { got.push_back(m); });
  follower.poll();
  EXPECT_TRUE(got.empty());

  append(file(1),
         "\"12/9/2026 3:04:06 PM: Connected to device 10.0.0.1: 4849\"\r\n\"12/9/2026 3:0");
  follower.poll();
  EXPECT_EQ(got, (std::vector<std::string>{"Connected to device 10.0.0.1: 4849"}));
  append(file(1), "4:07 PM: second\"\r\nnot a log line\r\n");
  follower.poll();
  EXPECT_EQ(got.size(), 3u);
  EXPECT_EQ(got[1], "second");
  EXPECT_EQ(got[2], "not a log line");

  // The ring turns: file 1 is emptied and renamed to 5; what was read is not read again.
  got.clear();
  std::filesystem::rename(file(1), file(5));
  std::filesystem::resize_file(file(5), 0);
  append(file(5), "\"1/1/2027 0:00:01 AM: after the turn\"\r\n");
  follower.poll();
  EXPECT_EQ(got, (std::vector<std::string>{"after the turn"}));
}

TEST(LogFollowerTest, MessageOf) {
  EXPECT_EQ(LogFollower::messageOf("\"12/9/2026 3:04:05 PM: OnClosed - 12\""), "OnClosed - 12");
  EXPECT_EQ(LogFollower::messageOf("\"\""), "");
  EXPECT_EQ(LogFollower::messageOf("plain"), "plain");
}

TEST(ScriptTextTest, WithoutAccelerator) {
  EXPECT_EQ(WithoutAccelerator("Se&ttings..."), "Settings...");
  EXPECT_EQ(WithoutAccelerator("A && B"), "A & B");
  EXPECT_EQ(WithoutAccelerator("Make&"), "Make&");
}

TEST(MailboxSetupTest, CardsGoToTheDefaultContactsAndAnEmptyMailboxGetsTheUsualFolders) {
  testsupport::TempFolder folder;
  testsupport::WriteFile(folder.path() / "a.vcf",
                         "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann\r\n"
                         "TEL;TYPE=WORK:+1 555 0100\r\nEND:VCARD\r\n");
  testsupport::WriteFile(folder.path() / "b.VCF",
                         "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Bob\r\n"
                         "END:VCARD\r\n");
  testsupport::WriteFile(folder.path() / "notes.txt", "not a card");
  ol::Application app;
  MailboxSummary summary;
  std::string error;
  ASSERT_TRUE(LoadMailboxes({folder.path()}, *app.GetNamespace("MAPI"), summary, error)) << error;
  EXPECT_EQ(summary.contacts, 2);
  ol::Folder* contacts = app.GetNamespace("MAPI")->GetDefaultFolder(ol::olFolderContacts);
  ASSERT_NE(contacts, nullptr);
  EXPECT_EQ(contacts->Items().Count(), 2);
  EXPECT_NE(app.GetNamespace("MAPI")->GetDefaultFolder(ol::olFolderInbox), nullptr);

  ol::Application empty;
  ASSERT_TRUE(LoadMailboxes({}, *empty.GetNamespace("MAPI"), summary, error));
  EXPECT_EQ(empty.GetNamespace("MAPI")->Folders().Count(), 1);
}

TEST(MailboxSetupTest, JsonTreeFirstThenCardsIntoItsContacts) {
  testsupport::TempFolder folder;
  testsupport::WriteFile(folder.path() / "extra.vcf",
                         "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Extra\r\nEND:VCARD\r\n");
  ol::Application app;
  MailboxSummary summary;
  std::string error;
  ASSERT_TRUE(LoadMailboxes({folder.path() / "extra.vcf", RINGOVA_SAMPLE_MAILBOX},
                            *app.GetNamespace("MAPI"), summary, error))
      << error;
  ol::NameSpace& mapi = *app.GetNamespace("MAPI");
  EXPECT_EQ(mapi.Folders().Count(), 1);  // the sample's store, no second one for the card
  ol::Folder* contacts = mapi.GetDefaultFolder(ol::olFolderContacts);
  bool extra = false;
  for (const auto& item : contacts->Items()) extra |= item->GetProperty("FullName") == "Extra";
  EXPECT_TRUE(extra);
  EXPECT_GE(summary.mails, 2);

  EXPECT_FALSE(LoadMailboxes({folder.path() / "missing.json"}, mapi, summary, error));
  EXPECT_NE(error.find("missing.json"), std::string::npos) << error;
}

}  // namespace
}  // namespace ringova::host

namespace ringova::host {
namespace {

TEST(ScriptLineTest, CommentsStartOnlyAtAWordOutsideQuotes) {
  std::vector<std::string> words;
  std::string why;
  ASSERT_TRUE(ScriptWords("click  Dial # the button", words, why));
  EXPECT_EQ(words, (std::vector<std::string>{"click", "Dial"}));
  ASSERT_TRUE(ScriptWords("wait log \"a #b\" c#d \\#e", words, why));
  EXPECT_EQ(words, (std::vector<std::string>{"wait", "log", "a #b", "c#d", "#e"}));
  // An escaped blank joins the word, so the "#" after it is text (found by fuzz_script_line:
  // corpus crash-hash-after-escaped-blank).
  ASSERT_TRUE(ScriptWords("contact a\\ #b x\\\t#", words, why));
  EXPECT_EQ(words, (std::vector<std::string>{"contact", "a #b", "x\t#"}));
  ASSERT_TRUE(ScriptWords("#only a comment", words, why));
  EXPECT_TRUE(words.empty());
  EXPECT_FALSE(ScriptWords("form \"Main", words, why));
  EXPECT_FALSE(why.empty());
}

TEST(ScriptLineTest, WaitSeconds) {
  double s = -1;
  EXPECT_TRUE(ParseWaitSeconds("0.5", s));
  EXPECT_EQ(s, 0.5);
  EXPECT_TRUE(ParseWaitSeconds("86400", s));
  for (const char* bad : {"", "-1", "86400.5", "nan", "inf", "1s", " 1", "1e9"})
    EXPECT_FALSE(ParseWaitSeconds(bad, s)) << bad;
}

}  // namespace
}  // namespace ringova::host
