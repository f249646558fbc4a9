// An address book of 32,767 cards with three numbers each on a Radicale server of the
// benchmark's own, synced the way ringova does it: the source's runner syncs on its worker thread
// and applies the cards to the Outlook store in batches on the UI thread's loop. Side by side in
// the same run, the curl program sends the very requests the sync sends, on one connection; a
// sync with nothing changed is set against one bare sync-collection round trip. A timer ticking
// every millisecond on the UI loop measures its longest stall during the load.
// Figures are wall time (the work spans threads and processes).
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/outlook/application.h"
#include "platform/outlook/sources/carddav_sync.h"
#include "platform/outlook/sources/source_runner.h"
#include "platform/ui/clock.h"
#include "platform/ui/message_loop.h"
#include "platform/ui/timer.h"
#include "tests/platform/outlook/sources/radicale_server.h"
#include "tests/support/temp_folder.h"

extern char** environ;

namespace platform::outlook::sources {
namespace {

constexpr int kCards = 32767;
using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// The server, its book and what a first sync asks of it, made once for the whole program.
struct Server {
  testsupport::RadicaleServer radicale{{"ann:secret"}};
  testsupport::TempFolder scratch;
  std::vector<DavRequest> first_sync;  // the requests of a sync from nothing
  SourceSnapshot synced;               // where that sync left the source
  std::string book_url;
  bool ready = false;
  std::string why = "the Radicale server did not start";

  Server() {
    if (!radicale.running()) return;
    DavClient owner({"ann", "secret", ""});
    const DavAnswer made =
        owner.Send({"MKCOL", radicale.url("/ann/book/"),
                    "<?xml version=\"1.0\"?><D:mkcol xmlns:D=\"DAV:\" "
                    "xmlns:C=\"urn:ietf:params:xml:ns:carddav\"><D:set><D:prop>"
                    "<D:resourcetype><D:collection/><C:addressbook/></D:resourcetype>"
                    "<D:displayname>Company</D:displayname></D:prop></D:set></D:mkcol>",
                    -1});
    if (!made.ok()) {
      why = made.error;
      return;
    }
    // Written straight into the server's storage: 32,767 PUTs would take minutes.
    const auto folder = radicale.collections("ann") / "book";
    for (int i = 0; i < kCards; ++i) {
      const std::string n = std::to_string(i);
      std::ofstream(folder / ("c" + n + ".vcf"), std::ios::binary)
          << "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:c" << n << "\r\nFN:Contact " << n << "\r\nN:" << n
          << ";Contact;;;\r\nTEL;TYPE=WORK:+49 30 1" << n << "\r\nTEL;TYPE=CELL:+49 171 2" << n
          << "\r\nTEL;TYPE=HOME:+49 89 3" << n << "\r\nEND:VCARD\r\n";
    }
    // The server reads every card once into a cache of its own, which takes it minutes: done
    // here, unmeasured and without the sync's time limits, so every measured sync finds it warm.
    DavLimits patient;
    patient.total_timeout = std::chrono::hours(1);
    DavClient client({"ann", "secret", ""}, patient);
    client.Send({"PROPFIND", radicale.url("/ann/book/"),
                 "<?xml version=\"1.0\"?><D:propfind xmlns:D=\"DAV:\"><D:prop><D:getetag/>"
                 "</D:prop></D:propfind>",
                 1});
    client.SetRequestObserver([this](const DavRequest& r) { first_sync.push_back(r); });
    SyncOutcome outcome = SyncCardDav(client, radicale.url(), {});
    if (!outcome.ok() || outcome.snapshot.books.size() != 1 ||
        outcome.snapshot.books[0].cards.size() != static_cast<std::size_t>(kCards)) {
      why = outcome.ok() ? "the first sync did not find every card" : outcome.error;
      return;
    }
    synced = std::move(outcome.snapshot);
    book_url = synced.books[0].url;
    ready = true;
  }
};

Server& TheServer() {
  static Server server;
  return server;
}

// One sync of a source from an empty cache into a fresh Outlook store, as ringova's host runs it.
void BM_RunnerLoad(benchmark::State& state) {
  Server& server = TheServer();
  if (!server.ready) return state.SkipWithError(server.why.c_str());
  testsupport::TempFolder cache;
  ::setenv("XDG_CACHE_HOME", cache.path().c_str(), 1);
  double longest_stall = 0;
  for (auto _ : state) {
    std::filesystem::remove_all(cache.path() / "ringova");
    platform::ui::RealClock clock;
    platform::ui::MessageLoop loop(clock);
    Application outlook;
    Folder* store = outlook.GetNamespace("MAPI")->AddSourceStore("Company");
    SourceDefinition d;
    d.name = "Company";
    d.kind = "carddav";
    d.url = server.radicale.url();
    d.user = "ann";
    d.password = "secret";
    d.interval_minutes = 0;
    SourceRunner runner(d, *store, loop, [](std::string_view) {});
    platform::ui::Timer tick(loop);
    Clock::time_point last = Clock::now();
    double stall = 0;
    tick.onTimer = [&] {
      const Clock::time_point now = Clock::now();
      stall = std::max(stall, std::chrono::duration<double>(now - last).count());
      last = now;
    };
    tick.setInterval(1);
    tick.setEnabled(true);
    const Clock::time_point start = Clock::now();
    last = start;
    runner.Start();
    loop.runUntil([&] { return runner.SyncsDone() >= 1; });
    state.SetIterationTime(Since(start));
    longest_stall = std::max(longest_stall, stall);
    Folder* book = store->Folders().Item("Company");
    if (!book || book->Items().Count() != kCards) state.SkipWithError("cards are missing");
  }
  ::unsetenv("XDG_CACHE_HOME");
  state.counters["longest_stall_ns"] = longest_stall * 1e9;
}
BENCHMARK(BM_RunnerLoad)->Name("sources/carddav/load")->UseManualTime()->Iterations(1);

// The same requests sent by the curl program: one process, one connection (--next between them).
void BM_CurlSameRequests(benchmark::State& state) {
  Server& server = TheServer();
  if (!server.ready) return state.SkipWithError(server.why.c_str());
  std::vector<std::string> args = {"curl", "-s", "--compressed"};
  for (std::size_t i = 0; i < server.first_sync.size(); ++i) {
    const DavRequest& r = server.first_sync[i];
    const auto body = server.scratch.path() / ("body" + std::to_string(i));
    std::ofstream(body, std::ios::binary) << r.body;
    if (i > 0) args.push_back("--next");
    for (std::string a : {"-u", "ann:secret", "-o", "/dev/null", "-X"}) args.push_back(a);
    args.push_back(r.method);
    if (r.depth >= 0) args.insert(args.end(), {"-H", "Depth: " + std::to_string(r.depth)});
    if (!r.body.empty())
      args.insert(args.end(),
                  {"-H", "Content-Type: " + r.content_type, "--data-binary", "@" + body.string()});
    args.push_back(r.url);
  }
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    pid_t pid = -1;
    int status = -1;
    if (::posix_spawnp(&pid, "curl", nullptr, nullptr, argv.data(), environ) != 0 ||
        ::waitpid(pid, &status, 0) != pid || status != 0)
      return state.SkipWithError("curl failed");
    state.SetIterationTime(Since(start));
  }
  state.counters["requests_count"] = static_cast<double>(server.first_sync.size());
}
BENCHMARK(BM_CurlSameRequests)->Name("sources/carddav/curl")->UseManualTime()->Iterations(1);

// A sync that finds nothing changed, and one bare sync-collection round trip with its token.
void BM_NothingChanged(benchmark::State& state) {
  Server& server = TheServer();
  if (!server.ready) return state.SkipWithError(server.why.c_str());
  DavClient client({"ann", "secret", ""});
  SyncCardDav(client, server.radicale.url(), server.synced);  // the connection, once
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    SyncOutcome outcome = SyncCardDav(client, server.radicale.url(), server.synced);
    state.SetIterationTime(Since(start));
    if (!outcome.ok() || !outcome.changes.empty()) state.SkipWithError("the sync saw changes");
  }
}
BENCHMARK(BM_NothingChanged)->Name("sources/carddav/no_change")->UseManualTime()->Iterations(5);

void BM_BareSyncCollection(benchmark::State& state) {
  Server& server = TheServer();
  if (!server.ready) return state.SkipWithError(server.why.c_str());
  DavClient client({"ann", "secret", ""});
  const DavRequest report{"REPORT", server.book_url,
                          "<?xml version=\"1.0\" encoding=\"utf-8\"?><D:sync-collection "
                          "xmlns:D=\"DAV:\"><D:sync-token>" +
                              server.synced.books[0].sync_token +
                              "</D:sync-token><D:sync-level>1</D:sync-level><D:prop><D:getetag/>"
                              "</D:prop></D:sync-collection>",
                          0};
  client.Send(report);
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    const DavAnswer answer = client.Send(report);
    state.SetIterationTime(Since(start));
    if (!answer.ok()) state.SkipWithError(answer.error.c_str());
  }
}
BENCHMARK(BM_BareSyncCollection)
    ->Name("sources/carddav/bare_sync_collection")
    ->UseManualTime()
    ->Iterations(5);

}  // namespace
}  // namespace platform::outlook::sources

BENCHMARK_MAIN();
