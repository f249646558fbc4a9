// An arriving call's window on screen: the path of bench_incoming with the add-in's windows
// drawn by the Qt renderer on a display (a private Xvfb when none is named), 32,767 contacts
// loaded. The start is taken when the simulator queues the "process" call for writing; the end
// when the incoming call window, mapped and exposed, has been painted with the caller's contact
// name. Wall-clock time (manual time); percentiles as counters.
#include <benchmark/benchmark.h>

#include <QtCore/QEvent>
#include <QtGui/QWindow>
#include <QtWidgets/QApplication>
#include <QtWidgets/QWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/addin_rig.h"
#include "bench/drawn_main.h"
#include "platform/ui/qt/qt_renderer.h"

namespace {

using namespace std::chrono_literals;
using namespace ringova;
using bench::Clock;
using bench::contactNumber;
using bench::kContacts;
using bench::nanos;
using bench::percentile;

// When a top-level window was last painted while exposed: what a person sees is what the X
// server was sent after the window was mapped.
class PaintWatch final : public QObject {
 public:
  QWidget* window = nullptr;
  Clock::time_point exposed{};
  Clock::time_point painted{};

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!window) return false;
    if (event->type() == QEvent::Expose && watched == window->windowHandle() &&
        exposed == Clock::time_point{})
      exposed = Clock::now();
    if (event->type() != QEvent::Paint) return false;
    auto* w = qobject_cast<QWidget*>(watched);
    if (w && w->window() == window && window->windowHandle() &&
        window->windowHandle()->isExposed() && painted == Clock::time_point{})
      painted = Clock::now();
    return false;
  }
};

// The add-in's rig with its windows drawn; the renderer goes after the windows.
struct Rig : bench::AddinRig {
  std::unique_ptr<platform::ui::qt::QtRenderer> renderer;

  ~Rig() {
    stop();
    renderer.reset();
  }

  bool start() {
    renderer = std::make_unique<platform::ui::qt::QtRenderer>(toolkit);
    return AddinRig::start();
  }
};

void BM_IncomingWindowOnScreen(benchmark::State& state) {
  Rig rig;
  if (!rig.start()) return state.SkipWithError("no add-in");
  CallFlow& calls = rig.window->Calls();
  PaintWatch watch;
  qApp->installEventFilter(&watch);
  std::vector<double> latencies;
  // Where the time goes: to the window in the model, drawing it, the display's exposure, paint.
  std::vector<double> toModel, building, toExposed, toPainted;
  int k = 0;
  for (auto _ : state) {
    k = (k + 7919) % kContacts;
    rig.processQueued = 0;
    watch.window = nullptr;
    watch.exposed = {};
    watch.painted = {};
    Clock::time_point inModel{}, built{};
    const telvane::CallId call = rig.sim->offer("tel:" + contactNumber(k), "pbx:201");
    if (call == 0) return state.SkipWithError("offer failed");
    const Clock::time_point deadline = Clock::now() + 5s;
    IncomingWindow* win = nullptr;
    bool late = false;
    rig.loop.runUntil([&] {
      late = Clock::now() > deadline;
      if (late) return true;
      win = calls.Window(0);
      if (!win || !win->visible() || win->txtContactFrom.text().empty()) return false;
      if (!watch.window) {
        inModel = Clock::now();
        rig.renderer->flush();
        built = Clock::now();
        watch.window = rig.renderer->window(*win);
      }
      return watch.painted != Clock::time_point{};
    });
    if (late) return state.SkipWithError("no window on screen");
    const Clock::time_point queued{Clock::duration(rig.processQueued.load())};
    const double took = nanos(watch.painted - queued);
    state.SetIterationTime(took / 1e9);
    latencies.push_back(took);
    toModel.push_back(nanos(inModel - queued));
    building.push_back(nanos(built - inModel));
    toExposed.push_back(watch.exposed == Clock::time_point{} ? 0 : nanos(watch.exposed - built));
    toPainted.push_back(
        watch.exposed == Clock::time_point{} ? 0 : nanos(watch.painted - watch.exposed));
    if (win->txtContactFrom.text() != "Contact " + std::to_string(k)) {
      return state.SkipWithError("wrong contact");
    }
    win->cmdReject.raiseClick();  // the table empties: the next call is at index 0 again
    rig.loop.doEvents();
    QCoreApplication::processEvents();
  }
  qApp->removeEventFilter(&watch);
  state.counters["p50_ns"] = percentile(latencies, 0.50);
  state.counters["p99_ns"] = percentile(latencies, 0.99);
  state.counters["model_p50_ns"] = percentile(toModel, 0.50);
  state.counters["build_p50_ns"] = percentile(building, 0.50);
  state.counters["expose_p50_ns"] = percentile(toExposed, 0.50);
  state.counters["paint_p50_ns"] = percentile(toPainted, 0.50);
  if (std::getenv("BENCH_WORST")) {
    std::vector<std::size_t> order(latencies.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return latencies[a] > latencies[b]; });
    for (std::size_t i = 0; i < order.size() && i < 8; ++i) {
      std::size_t j = order[i];
      std::fprintf(stderr, "worst %.1f ms: model %.1f build %.1f expose %.1f paint %.1f\n",
                   latencies[j] / 1e6, toModel[j] / 1e6, building[j] / 1e6, toExposed[j] / 1e6,
                   toPainted[j] / 1e6);
    }
  }
}
BENCHMARK(BM_IncomingWindowOnScreen)
    ->Name("incoming/window_on_screen")
    ->UseManualTime()
    ->Iterations(300);

}  // namespace

int main(int argc, char** argv) {
  return bench::RunDrawnBenchmarks(argc, argv, "bench_incoming_drawn");
}
