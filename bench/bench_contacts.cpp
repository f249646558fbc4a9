// The contact directory at its limit: 32,767 contacts with three numbers each in one in-memory
// Outlook folder. The load runs with its progress window on a real clock; the caller lookup is
// measured through the directory and, side by side, as the plain walk over the records.
// Figures are CPU time per operation (all of it runs on the benchmark thread).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "bench/sample_contacts.h"
#include "platform/outlook/application.h"
#include "platform/shell/recording_shell.h"
#include "platform/ui/clock.h"
#include "platform/ui/control.h"
#include "platform/ui/form.h"
#include "platform/ui/message_loop.h"
#include "platform/ui/toolkit.h"
#include "ringova_outlook/contacts/caller_lookup.h"
#include "ringova_outlook/contacts/contact_directory.h"

namespace ringova {
namespace {

constexpr int kContacts = PhoneRecordTable::kMaxRecords;
const DialPrefixes kLocation{"+49", "0"};
// The last contact's business number "+49 30 1032766", as a national caller address.
const std::string kLastCaller = "sip:0301032766@10.0.0.1";
const std::string kNobody = "sip:0309999999@10.0.0.1";

struct Bench {
  platform::ui::RealClock clock;
  platform::ui::MessageLoop loop{clock};
  platform::ui::Toolkit toolkit{loop};
  platform::shell::RecordingShell shell;
  platform::outlook::Application outlook;
  ContactSettingsValues settings;
  ContactDirectory directory{
      {toolkit, shell, settings, [](std::string_view) {}, [] { return kLocation; }, nullptr}};
  long progress_changes = 0;

  Bench() {
    bench::AddSampleContacts(outlook, kContacts);
    directory.SetOutlook(&outlook);
    toolkit.onChanged = [this](platform::ui::Control& c) {
      if (c.form().name() == "fProgress") ++progress_changes;
    };
  }
};

Bench& Shared() {
  static Bench bench;
  return bench;
}

void BM_LoadAllContacts(benchmark::State& state) {
  Bench& b = Shared();
  long changes = 0;
  for (auto _ : state) {
    b.progress_changes = 0;
    b.directory.LoadAllContacts();
    changes += b.progress_changes;
  }
  if (b.directory.RecordCount() != kContacts) state.SkipWithError("not every contact loaded");
  state.counters["progress_changes_count"] =
      static_cast<double>(changes) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_LoadAllContacts)->Name("contacts/load_all")->Unit(benchmark::kMillisecond);

void Loaded() {
  Bench& b = Shared();
  if (b.directory.RecordCount() != kContacts) b.directory.LoadAllContacts();
  std::string number;
  b.directory.GetContactByPhone(kNobody, number);  // the index is built before timing
}

void BM_LookupIndexed(benchmark::State& state, const std::string& caller, bool found) {
  Loaded();
  Bench& b = Shared();
  std::string number;
  for (auto _ : state) {
    std::string name = b.directory.GetContactByPhone(caller, number);
    benchmark::DoNotOptimize(name);
  }
  if (b.directory.GetContactByPhone(caller, number).empty() == found)
    state.SkipWithError("wrong answer");
}

void BM_LookupWalk(benchmark::State& state, const std::string& caller, bool found) {
  Loaded();
  const PhoneRecordTable& records = Shared().directory.Records();
  for (auto _ : state) {
    const CallerQuery query = MakeCallerQuery(caller, kLocation);
    const CallerMatch match = WalkForCaller(records.Records(), query);
    std::string name = match.found() ? records[match.record].FullName : std::string();
    benchmark::DoNotOptimize(name);
  }
  if (WalkForCaller(records.Records(), MakeCallerQuery(caller, kLocation)).found() != found)
    state.SkipWithError("wrong answer");
}

BENCHMARK_CAPTURE(BM_LookupIndexed, last, kLastCaller, true)->Name("contacts/lookup_last/index");
BENCHMARK_CAPTURE(BM_LookupWalk, last, kLastCaller, true)->Name("contacts/lookup_last/walk");
BENCHMARK_CAPTURE(BM_LookupIndexed, none, kNobody, false)->Name("contacts/lookup_none/index");
BENCHMARK_CAPTURE(BM_LookupWalk, none, kNobody, false)->Name("contacts/lookup_none/walk");

}  // namespace
}  // namespace ringova

BENCHMARK_MAIN();
