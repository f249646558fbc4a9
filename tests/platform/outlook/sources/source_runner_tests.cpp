// A source at work against Radicale, on a loop whose clock the test drives: the first sync at
// start, the next one each interval, the cache written and read back, and a wrong password that
// waits for the user instead of retrying.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>

#include "platform/outlook/application.h"
#include "platform/outlook/sources/source_cache.h"
#include "platform/outlook/sources/source_runner.h"
#include "platform/ui/clock.h"
#include "tests/platform/outlook/sources/radicale_server.h"
#include "tests/platform/ui/poll_until.h"

namespace platform::outlook::sources {
namespace {

using namespace std::chrono_literals;

class SourceRunnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.running());
    ::setenv("XDG_CACHE_HOME", cache.path().c_str(), 1);
    DavClient owner({"ann", "secret", ""});
    ASSERT_TRUE(owner
                    .Send({"MKCOL", server.url("/ann/work/"),
                           "<?xml version=\"1.0\"?><D:mkcol xmlns:D=\"DAV:\" "
                           "xmlns:C=\"urn:ietf:params:xml:ns:carddav\"><D:set><D:prop>"
                           "<D:resourcetype><D:collection/><C:addressbook/></D:resourcetype>"
                           "<D:displayname>Work</D:displayname></D:prop></D:set></D:mkcol>",
                           -1})
                    .ok());
    Put("kim", "Kim");
  }
  void TearDown() override { ::unsetenv("XDG_CACHE_HOME"); }
  void Put(const std::string& uid, const std::string& name) {
    DavClient owner({"ann", "secret", ""});
    ASSERT_TRUE(owner
                    .Send({"PUT", server.url("/ann/work/" + uid + ".vcf"),
                           "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid + "\r\nFN:" + name +
                               "\r\nTEL:1\r\nEND:VCARD\r\n",
                           -1, "text/vcard"})
                    .ok());
  }
  SourceDefinition Definition(const std::string& password) {
    SourceDefinition d;
    d.name = "Work";
    d.kind = "carddav";
    d.url = server.url();
    d.user = "ann";
    d.password = password;
    d.interval_minutes = 1;
    return d;
  }
  bool Until(const std::function<bool()>& done) { return testsupport::PollUntil(loop, done, 20s); }
  int Contacts(Folder* store) {
    Folder* work = store->Folders().Item("Work");
    return work ? work->Items().Count() : 0;
  }

  testsupport::RadicaleServer server{{"ann:secret"}};
  testsupport::TempFolder cache;
  platform::ui::ManualClock clock;
  platform::ui::MessageLoop loop{clock};
  Application app;
  std::vector<std::string> log;
  SourceRunner::Log sink = [this](std::string_view line) { log.emplace_back(line); };
};

TEST_F(SourceRunnerTest, SyncsAtStartAndEachIntervalAndStartsFromTheCache) {
  Folder* store = app.GetNamespace("MAPI")->AddSourceStore("Work");
  {
    SourceRunner runner(Definition("secret"), *store, loop, sink);
    runner.LoadCache();  // none yet
    runner.Start();
    ASSERT_TRUE(Until([&] { return runner.SyncsDone() == 1; }));
    EXPECT_EQ(Contacts(store), 1);
    EXPECT_EQ(runner.State().rfind("synced ", 0), 0u) << runner.State();
    EXPECT_EQ(store->StoreState(), runner.State());

    Put("ned", "Ned");
    clock.advance(59s);
    loop.doEvents();
    EXPECT_EQ(runner.SyncsDone(), 1);
    clock.advance(1s);
    ASSERT_TRUE(Until([&] { return runner.SyncsDone() == 2; }));
    EXPECT_EQ(Contacts(store), 2);
  }
  struct stat info {};
  ASSERT_EQ(::stat(SourceCacheFile("Work").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);

  // The next start has the contacts before any sync, and keeps them while the server is away.
  server.Stop();
  Application next;
  Folder* again = next.GetNamespace("MAPI")->AddSourceStore("Work");
  SourceRunner runner(Definition("secret"), *again, loop, sink);
  runner.LoadCache();
  EXPECT_EQ(Contacts(again), 2);
  runner.Start();
  ASSERT_TRUE(Until([&] { return runner.SyncsDone() == 1; }));
  EXPECT_EQ(Contacts(again), 2);
  EXPECT_EQ(runner.State().rfind("failed: ", 0), 0u) << runner.State();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].rfind("Source Work: sync failed: ", 0), 0u) << log[0];
}

TEST_F(SourceRunnerTest, AWrongPasswordWaitsForTheNextSyncAskedFor) {
  Folder* store = app.GetNamespace("MAPI")->AddSourceStore("Work");
  SourceRunner runner(Definition("wrong"), *store, loop, sink);
  runner.Start();
  ASSERT_TRUE(Until([&] { return runner.SyncsDone() == 1; }));
  EXPECT_EQ(runner.State(), "failed: the server refused the user name or password (HTTP 401)");
  clock.advance(10min);
  EXPECT_FALSE(testsupport::PollUntil(
      loop, [&] { return runner.SyncsDone() > 1; }, 300ms));
  runner.SyncNow();  // the user asks, and is told once more
  ASSERT_TRUE(Until([&] { return runner.SyncsDone() == 2; }));
  EXPECT_EQ(log.size(), 2u);
}

}  // namespace
}  // namespace platform::outlook::sources
