// A directory at the contact directory's limit: 32,767 entries with three numbers each in a
// slapd of the program's own, loaded page by page (StartTLS, pinned) through the source runner
// into the Outlook store and then into the add-in's contact directory, against ldapsearch
// fetching the same entries from the same server with the same pages. Wall time, both; the
// longest task the UI thread ran while the sync was applied is a counter of its own.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "platform/outlook/application.h"
#include "platform/outlook/sources/ldap_sync.h"
#include "platform/outlook/sources/source_runner.h"
#include "platform/shell/recording_shell.h"
#include "platform/ui/clock.h"
#include "platform/ui/message_loop.h"
#include "platform/ui/toolkit.h"
#include "ringova_outlook/contacts/contact_directory.h"
#include "tests/platform/outlook/sources/slapd_server.h"
#include "tests/support/temp_folder.h"

namespace {

namespace src = platform::outlook::sources;
using Clock = std::chrono::steady_clock;
constexpr int kContacts = ringova::PhoneRecordTable::kMaxRecords;

double Nanos(Clock::duration d) {
  return std::chrono::duration<double, std::nano>(d).count();
}
std::string Numbered(const char* prefix, int k) {
  return prefix + std::to_string(1000000 + k);
}

std::string Entries() {
  std::string ldif;
  ldif.reserve(static_cast<std::size_t>(kContacts) * 200);
  for (int k = 0; k < kContacts; ++k) {
    const std::string id = std::to_string(k);
    ldif += "dn: uid=c" + id + ",dc=example,dc=test\nobjectClass: inetOrgPerson\nuid: c" + id +
            "\ncn: Contact " + id + "\nsn: Contact" + id +
            "\ntelephoneNumber: " + Numbered("0301", k) + "\nmobile: " + Numbered("0171", k) +
            "\nhomePhone: " + Numbered("0302", k) + "\n\n";
  }
  return ldif;
}

testsupport::SlapdServer& Server() {
  // A size limit below the directory's size, so the load has to page.
  static testsupport::SlapdServer server(Entries(), 1000);
  return server;
}

constexpr int kPage = 500;

void BM_Ldapsearch(benchmark::State& state) {
  auto& server = Server();
  if (!server.running()) return state.SkipWithError("slapd did not start");
  ::setenv("LDAPTLS_REQCERT", "never", 1);  // ours checks the pin instead; neither checks CAs
  std::vector<std::string> args = {"ldapsearch",
                                   "-x",
                                   "-ZZ",
                                   "-LLL",
                                   "-H",
                                   server.ldap_url(),
                                   "-b",
                                   testsupport::SlapdServer::kBase,
                                   "-E",
                                   "pr=" + std::to_string(kPage) + "/noprompt",
                                   std::string(src::kDefaultLdapFilter)};
  for (const std::string& a : src::LdapRequestedAttributes()) args.push_back(a);
  for (auto _ : state) {
    const auto start = Clock::now();
    const bool ok = telvane::testing::RunCommand(args, "/dev/null", std::chrono::seconds(120));
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    if (!ok) return state.SkipWithError("ldapsearch failed");
  }
}
BENCHMARK(BM_Ldapsearch)
    ->Name("ldap/ldapsearch")
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

void BM_LoadIntoDirectory(benchmark::State& state) {
  auto& server = Server();
  if (!server.running()) return state.SkipWithError("slapd did not start");
  testsupport::TempFolder cache;
  ::setenv("XDG_CACHE_HOME", cache.path().c_str(), 1);
  src::SourceDefinition d;
  d.name = "Directory";
  d.kind = "ldap";
  d.url = server.ldap_url();
  d.tls_pin = server.fingerprint();
  d.base = testsupport::SlapdServer::kBase;
  d.interval_minutes = 0;
  double stall_ns = 0, directory_ns = 0;
  for (auto _ : state) {
    platform::ui::RealClock clock;
    platform::ui::MessageLoop loop{clock};
    platform::ui::Toolkit toolkit{loop};
    platform::shell::RecordingShell shell;
    platform::outlook::Application outlook;
    ringova::ContactSettingsValues settings;
    ringova::ContactDirectory directory{{toolkit, shell, settings, [](std::string_view) {},
                                         [] {
                                           return ringova::DialPrefixes{"+49", "0"};
                                         },
                                         nullptr}};
    directory.SetOutlook(&outlook);
    platform::outlook::Folder* store = outlook.GetNamespace("MAPI")->AddSourceStore("Directory");
    const auto start = Clock::now();
    {
      src::SourceRunner runner(d, *store, loop, [](std::string_view) {});
      runner.Start();
      while (runner.SyncsDone() == 0) {
        const auto before = Clock::now();
        loop.doEvents();
        const double took = Nanos(Clock::now() - before);
        stall_ns = std::max(stall_ns, took);

        if (took < 20e3) std::this_thread::sleep_for(std::chrono::microseconds(200));
      }
      if (runner.State().rfind("synced", 0) != 0)
        return state.SkipWithError(runner.State().c_str());
    }
    const auto loaded = Clock::now();

    directory.LoadAllContacts();
    const auto end = Clock::now();
    directory_ns += Nanos(end - loaded);
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    if (directory.RecordCount() != kContacts)
      return state.SkipWithError(
          ("the directory holds " + std::to_string(directory.RecordCount())).c_str());
  }
  ::unsetenv("XDG_CACHE_HOME");
  state.counters["ui_stall_max_ns"] = stall_ns;
  state.counters["directory_load_ns"] = directory_ns / static_cast<double>(state.iterations());
}
BENCHMARK(BM_LoadIntoDirectory)
    ->Name("ldap/load_into_directory")
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
