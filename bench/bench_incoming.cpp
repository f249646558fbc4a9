// An arriving call, from the PBX's "process" call to the incoming call window shown with the
// caller's contact name, with 32,767 contacts loaded: the add-in as it runs (the control created
// by its ProgID from the registered module, the settings window logged in to the in-process
// simulator, the contact directory loaded from the Outlook stand-in).
//
// The start is taken when the simulator queues the call for writing (its trace), so the figure
// includes the write, the control's read and parse, the event's way to the UI thread, the remote
// accept, the caller lookup and the window's opening. The UI thread runs its loop as Outlook's
// message loop would: asleep until something is posted. Wall-clock time (manual time); percentiles
// as counters.
#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>
#include <vector>

#include "bench/addin_rig.h"

namespace {

using namespace std::chrono_literals;
using namespace ringova;
using bench::Clock;
using bench::contactNumber;
using bench::kContacts;
using bench::nanos;
using bench::percentile;
using Rig = bench::AddinRig;

void BM_IncomingWindowShown(benchmark::State& state) {
  Rig rig;
  if (!rig.start()) return state.SkipWithError("no add-in");
  CallFlow& calls = rig.window->Calls();
  std::vector<double> latencies;
  int k = 0;
  for (auto _ : state) {
    k = (k + 7919) % kContacts;
    rig.processQueued = 0;
    const telvane::CallId call = rig.sim->offer("tel:" + contactNumber(k), "pbx:201");
    if (call == 0) return state.SkipWithError("offer failed");
    // The loop sleeps until the control posts the event, as a message loop waits for messages.
    const Clock::time_point deadline = Clock::now() + 5s;
    IncomingWindow* win = nullptr;
    bool late = false;
    rig.loop.runUntil([&] {
      win = calls.Window(0);
      late = Clock::now() > deadline;
      return late || (win && win->visible() && !win->txtContactFrom.text().empty());
    });
    const Clock::time_point shown = Clock::now();
    if (late) return state.SkipWithError("no window");
    const Clock::time_point queued{Clock::duration(rig.processQueued.load())};
    const double took = nanos(shown - queued);
    state.SetIterationTime(took / 1e9);
    latencies.push_back(took);
    if (win->txtContactFrom.text() != "Contact " + std::to_string(k)) {
      return state.SkipWithError("wrong contact");
    }
    win->cmdReject.raiseClick();  // the table empties: the next call is at index 0 again
    rig.loop.doEvents();
  }
  state.counters["p50_ns"] = percentile(latencies, 0.50);
  state.counters["p99_ns"] = percentile(latencies, 0.99);
}
BENCHMARK(BM_IncomingWindowShown)->Name("incoming/window_shown")->UseManualTime()->Iterations(300);

// A PBX restart: the simulator stops, the add-in notices the loss, the simulator starts again on
// the same port. Timed from its return to its answer to the add-in's incoming-call subscription:
// the login digest, the version query, the extension-list subscription and the incoming-call
// subscription. The reconnect timer's own wait (TimeReconnect, at most one interval from the
// PBX's return) is left out: its last tick is run as soon as the PBX is back.
void BM_ReconnectAfterRestart(benchmark::State& state) {
  Rig rig;
  if (!rig.start(1000)) return state.SkipWithError("no add-in");
  fMain& w = *rig.window;
  std::vector<double> latencies;
  for (auto _ : state) {
    rig.sim.reset();
    const Clock::time_point deadline = Clock::now() + 5s;
    // Polled: what ends these waits need not post anything to the loop.
    while (w.PbxConnected && Clock::now() < deadline) {
      rig.loop.doEvents();
      std::this_thread::sleep_for(100us);
    }
    if (w.PbxConnected) return state.SkipWithError("the loss went unnoticed");
    rig.handlingAnswered = 0;
    const Clock::time_point back = Clock::now();
    if (!rig.startSimulator()) return state.SkipWithError("the port was not free again");
    w.StopTimer(1);
    w.Connect(false);
    if (!w.PbxConnected) return state.SkipWithError("no reconnect");
    const Clock::time_point limit = Clock::now() + 5s;
    while (rig.handlingAnswered == 0 && Clock::now() < limit) {
      rig.loop.doEvents();
      std::this_thread::sleep_for(100us);
    }
    if (rig.handlingAnswered == 0) return state.SkipWithError("no incoming subscription");
    const Clock::time_point answered{Clock::duration(rig.handlingAnswered.load())};
    const double took = nanos(answered - back);
    state.SetIterationTime(took / 1e9);
    latencies.push_back(took);
  }
  state.counters["p50_ns"] = percentile(latencies, 0.50);
  state.counters["p99_ns"] = percentile(latencies, 0.99);
}
BENCHMARK(BM_ReconnectAfterRestart)
    ->Name("addin/reconnect_after_restart")
    ->UseManualTime()
    ->Iterations(100);

}  // namespace

BENCHMARK_MAIN();
