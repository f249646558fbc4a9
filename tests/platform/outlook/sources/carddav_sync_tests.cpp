// The sync against a real Radicale server: discovery from the server's root, every address book
// as a folder of the source's store, and the server's additions, changes and removals arriving
// as Outlook's item events within one sync.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/outlook/application.h"
#include "platform/outlook/sources/carddav_sync.h"
#include "platform/outlook/sources/source_store.h"
#include "tests/platform/outlook/sources/radicale_server.h"

namespace platform::outlook::sources {
namespace {

std::string Card(const std::string& uid, const std::string& name, const std::string& phone) {
  return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid + "\r\nFN:" + name + "\r\nN:" + name +
         ";;;;\r\nTEL;TYPE=CELL:" + phone + "\r\nEND:VCARD\r\n";
}

class CardDavTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(server.running()) << "radicale did not start"; }

  // The user's own requests, as another client of the account would make them.
  void MakeBook(const std::string& path, const std::string& display_name) {
    const std::string props =
        "<D:resourcetype><D:collection/><C:addressbook/></D:resourcetype><D:displayname>" +
        display_name + "</D:displayname>";
    DavAnswer a = owner.Send({"MKCOL", server.url(path),
                              "<?xml version=\"1.0\"?><D:mkcol xmlns:D=\"DAV:\" "
                              "xmlns:C=\"urn:ietf:params:xml:ns:carddav\"><D:set><D:prop>" +
                                  props + "</D:prop></D:set></D:mkcol>",
                              -1});
    ASSERT_TRUE(a.ok()) << a.error;
  }
  void Put(const std::string& path, const std::string& card) {
    DavAnswer a = owner.Send({"PUT", server.url(path), card, -1, "text/vcard; charset=utf-8"});
    ASSERT_TRUE(a.ok()) << a.error;
  }
  void Remove(const std::string& path) {
    DavAnswer a = owner.Send({"DELETE", server.url(path), "", -1, ""});
    ASSERT_TRUE(a.ok()) << a.error;
  }
  SyncOutcome Sync(const SourceSnapshot& previous, const std::string& password = "secret") {
    DavClient client({"ann", password, ""});
    return SyncCardDav(client, server.url(), previous);
  }
  std::vector<std::string> Names(Folder* folder) {
    std::vector<std::string> names;
    if (!folder) return names;
    for (const auto& item : folder->Items()) names.push_back(*item->GetProperty("FullName"));
    std::sort(names.begin(), names.end());  // the server's order is its own
    return names;
  }
  static std::string Mobile(Folder* folder, const std::string& name) {
    for (const auto& item : folder->Items())
      if (item->GetProperty("FullName") == name) return *item->GetProperty("MobileTelephoneNumber");
    return "<none>";
  }

  testsupport::RadicaleServer server{{"ann:secret"}};
  DavClient owner{{"ann", "secret", ""}};
  Application app;
  NameSpace& ns = *app.GetNamespace("MAPI");
  Folder* store = ns.AddSourceStore("Ann's server");
  std::vector<std::string> log;
  SourceStore source{*store, [this](std::string_view line) { log.emplace_back(line); }};
};

TEST_F(CardDavTest, EveryBookIsAFolderAndEachChangeArrivesInOneSync) {
  MakeBook("/ann/work/", "Work");
  MakeBook("/ann/family/", "Family");
  Put("/ann/work/kim.vcf", Card("kim", "Kim Park", "+49 30 111"));
  Put("/ann/work/lee.vcf", Card("lee", "Lee Wong", "222"));
  Put("/ann/family/mo.vcf", Card("mo", "Mo", "333"));

  SyncOutcome first = Sync({});
  ASSERT_TRUE(first.ok()) << first.error;
  ASSERT_EQ(first.snapshot.books.size(), 2u);
  for (const BookState& book : first.snapshot.books) EXPECT_FALSE(book.sync_token.empty());
  source.QueueChanges(first.changes);
  source.ApplyAll();
  Folder* work = store->Folders().Item("Work");
  ASSERT_NE(work, nullptr);
  EXPECT_EQ(Names(work), (std::vector<std::string>{"Kim Park", "Lee Wong"}));
  EXPECT_EQ(Names(store->Folders().Item("Family")), std::vector<std::string>{"Mo"});
  EXPECT_EQ(Mobile(work, "Kim Park"), "+49 30 111");

  std::vector<std::string> events;
  std::vector<Connection> followed;
  followed.push_back(work->Items().OnItemAdd().Connect(
      [&](const auto& i) { events.push_back("add " + *i->GetProperty("FullName")); }));
  followed.push_back(work->Items().OnItemChange().Connect(
      [&](const auto& i) { events.push_back("change " + *i->GetProperty("FullName")); }));
  followed.push_back(
      store->Folders().Item("Deleted Items")->Items().OnItemAdd().Connect([&](const auto& i) {
        events.push_back("deleted " + *i->GetProperty("FullName"));
      }));

  Put("/ann/work/ned.vcf", Card("ned", "Ned", "444"));
  Put("/ann/work/kim.vcf", Card("kim", "Kim Park-Lee", "555"));
  Remove("/ann/work/lee.vcf");
  SyncOutcome second = Sync(first.snapshot);
  ASSERT_TRUE(second.ok()) << second.error;
  ASSERT_EQ(second.changes.size(), 1u);  // the family book did not change
  EXPECT_EQ(second.changes[0].removed, std::vector<std::string>{"/ann/work/lee.vcf"});
  EXPECT_EQ(second.changes[0].upserts.size(), 2u);
  source.QueueChanges(second.changes);
  source.ApplyAll();
  std::sort(events.begin(), events.end());
  EXPECT_EQ(events,
            (std::vector<std::string>{"add Ned", "change Kim Park-Lee", "deleted Lee Wong"}));
  EXPECT_EQ(Mobile(work, "Kim Park-Lee"), "555");
  EXPECT_EQ(store->Folders().Item("Deleted Items")->Items().Count(), 0);

  SyncOutcome third = Sync(second.snapshot);
  ASSERT_TRUE(third.ok()) << third.error;
  EXPECT_TRUE(third.changes.empty());

  // A token the server no longer knows starts the book over and still finds every card.
  SourceSnapshot stale = third.snapshot;
  for (BookState& book : stale.books) book.sync_token = "http://radicale.org/ns/sync/unknown";
  SyncOutcome again = Sync(stale);
  ASSERT_TRUE(again.ok()) << again.error;
  EXPECT_EQ(again.snapshot.books[0].cards.size() + again.snapshot.books[1].cards.size(), 3u);
}

TEST_F(CardDavTest, AWrongPasswordOrAServerThatWentAwayKeepsWhatWasSynced) {
  MakeBook("/ann/work/", "Work");
  Put("/ann/work/kim.vcf", Card("kim", "Kim", "111"));
  SyncOutcome first = Sync({});
  ASSERT_TRUE(first.ok()) << first.error;

  SyncOutcome refused = Sync(first.snapshot, "wrong");
  EXPECT_EQ(refused.failure, DavFailure::kAuthentication);
  EXPECT_EQ(refused.error, "the server refused the user name or password (HTTP 401)");
  EXPECT_TRUE(refused.changes.empty());
  ASSERT_EQ(refused.snapshot.books.size(), 1u);
  EXPECT_EQ(refused.snapshot.books[0].cards.size(), 1u);

  server.Stop();
  SyncOutcome gone = Sync(first.snapshot);
  EXPECT_EQ(gone.failure, DavFailure::kNetwork);
  EXPECT_FALSE(gone.error.empty());
  ASSERT_EQ(gone.snapshot.books.size(), 1u);
  EXPECT_EQ(gone.snapshot.books[0].cards[0].vcard, first.snapshot.books[0].cards[0].vcard);
}

// What the server sends is read card by card: one that does not read is named and left out.
TEST(SourceStoreTest, ACardThatDoesNotReadIsSkippedAndTheRestLoad) {
  Application app;
  Folder* store = app.GetNamespace("MAPI")->AddSourceStore("Work");
  std::vector<std::string> log;
  SourceStore source(*store, [&](std::string_view line) { log.emplace_back(line); });
  BookChanges book;
  book.url = "http://h/ann/work/";
  book.name = "Deleted Items";  // a name the store keeps for itself
  book.upserts = {{"/ann/work/a.vcf", "1", Card("a", "Ann", "1")},
                  {"/ann/work/b.vcf", "1", "BEGIN:VCARD\r\nFN:Broken\r\n"},
                  {"/ann/work/c.vcf", "1", Card("c", "Cid", "3")}};
  source.QueueChanges({book});
  // A batch ends at its count or when its time is up, whichever comes first.
  int asked = 0;
  EXPECT_TRUE(source.ApplySome(200, [&] { return ++asked == 1; }));
  EXPECT_EQ(source.CardCount(), 1u);
  EXPECT_TRUE(source.ApplySome(1));
  source.ApplyAll();
  Folder* folder = source.BookFolder(book.url);
  ASSERT_NE(folder, nullptr);
  EXPECT_EQ(folder->Name(), "Contacts");
  EXPECT_EQ(folder->Items().Count(), 2);
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].rfind("Source Work: the card /ann/work/b.vcf is skipped: ", 0), 0u) << log[0];

  BookChanges gone;
  gone.url = book.url;
  gone.gone = true;
  source.QueueChanges({gone});
  source.ApplyAll();
  EXPECT_EQ(source.CardCount(), 0u);
  EXPECT_EQ(folder->Parent(), store->Folders().Item("Deleted Items"));
}

}  // namespace
}  // namespace platform::outlook::sources
