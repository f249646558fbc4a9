// The contact load of bench_contacts drawn for real: 32,767 contacts with three numbers each, its
// progress window a window of the Qt renderer on a display (a private Xvfb when none is named).
// The same load without a renderer runs in the same program, so the two are measured side by
// side. The progress window's repaints are counted as the paint passes of its bar: a person must
// see it move a few times a second, not once per contact. CPU time of the whole process (Qt's
// own threads included), as the other contact figures; wall time beside it as a counter, since
// the machine is shared and wall time there is mostly other people's builds.
#include <benchmark/benchmark.h>

#include <QtCore/QEvent>
#include <QtWidgets/QApplication>
#include <QtWidgets/QProgressBar>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "bench/drawn_main.h"
#include "bench/sample_contacts.h"
#include "platform/outlook/application.h"
#include "platform/shell/recording_shell.h"
#include "platform/ui/clock.h"
#include "platform/ui/message_loop.h"
#include "platform/ui/qt/qt_renderer.h"
#include "platform/ui/toolkit.h"
#include "ringova_outlook/contacts/contact_directory.h"

namespace ringova {

using Clock = std::chrono::steady_clock;
constexpr int kContacts = PhoneRecordTable::kMaxRecords;

// Paint passes of progress bars: one per frame in which the bar was drawn.
class PaintCounter final : public QObject {
 public:
  long bars = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && qobject_cast<QProgressBar*>(watched)) ++bars;
    return false;
  }
};

struct Rig {
  platform::ui::RealClock clock;
  platform::ui::MessageLoop loop{clock};
  platform::ui::Toolkit toolkit{loop};
  platform::shell::RecordingShell shell;
  platform::outlook::Application outlook;
  ContactSettingsValues settings;
  ContactDirectory directory{{toolkit, shell, settings, [](std::string_view) {},
                              [] {
                                return DialPrefixes{"+49", "0"};
                              },
                              nullptr}};
  std::unique_ptr<platform::ui::qt::QtRenderer> renderer;

  explicit Rig(bool drawn) {
    bench::AddSampleContacts(outlook, kContacts);
    directory.SetOutlook(&outlook);
    if (drawn) renderer = std::make_unique<platform::ui::qt::QtRenderer>(toolkit);
  }
};

// Made on first use, gone before the application (the windows need it).
std::unique_ptr<Rig> rigs[2];

Rig& Shared(bool drawn) {
  if (!rigs[drawn]) rigs[drawn] = std::make_unique<Rig>(drawn);
  return *rigs[drawn];
}

void BM_Load(benchmark::State& state, bool drawn) {
  Rig& rig = Shared(drawn);
  PaintCounter counter;
  qApp->installEventFilter(&counter);
  double seconds = 0;
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    rig.directory.LoadAllContacts();
    const double took = std::chrono::duration<double>(Clock::now() - start).count();
    seconds += took;
    // The closed window's last events, outside the timing.
    QCoreApplication::processEvents();
  }
  qApp->removeEventFilter(&counter);
  if (rig.directory.RecordCount() != kContacts) state.SkipWithError("not every contact loaded");
  const auto loads = static_cast<double>(state.iterations());
  state.counters["wall_ns"] = seconds * 1e9 / loads;
  if (drawn) {
    state.counters["repaints_count"] = static_cast<double>(counter.bars) / loads;
    state.counters["repaints_per_s_count"] = static_cast<double>(counter.bars) / seconds;
  }
}
BENCHMARK_CAPTURE(BM_Load, headless, false)
    ->Name("contacts/load_all/headless")
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(BM_Load, drawn, true)
    ->Name("contacts/load_all/drawn")
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime();

}  // namespace ringova

int main(int argc, char** argv) {
  // The windows of the rigs go before the application.
  return bench::RunDrawnBenchmarks(argc, argv, "bench_contacts_drawn", [] {
    for (auto& rig : ringova::rigs) rig.reset();
  });
}
