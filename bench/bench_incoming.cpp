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
#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/com/module_exports.h"
#include "platform/outlook/application.h"
#include "platform/registry/registry.h"
#include "platform/registry/settings.h"
#include "platform/shell/recording_shell.h"
#include "platform/ui/clock.h"
#include "platform/ui/message_loop.h"
#include "platform/ui/toolkit.h"
#include "ringova_outlook/frontend/call_flow.h"
#include "ringova_outlook/frontend/contact_link.h"
#include "ringova_outlook/frontend/main_window.h"
#include "ringova_outlook/support/log_file.h"
#include "tests/platform/com/registry_env.h"
#include "tests/support/temp_folder.h"
#include "tools/pbxsim/pbx_simulator.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
using namespace ringova;

constexpr int kContacts = 32767;

double nanos(Clock::duration d) {
  return std::chrono::duration<double, std::nano>(d).count();
}

double percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  auto at = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1));
  return values[at];
}

std::string contactNumber(int k) {
  return "0301" + std::to_string(1000000 + k);
}

struct Rig {
  testsupport::TempFolder logFolder;
  TemporaryRegistry registry;
  platform::Registry user{registry.userFile()};
  platform::Registry machine{registry.machineFile()};
  void* module = nullptr;
  std::atomic<Clock::rep> processQueued{0};
  std::atomic<Clock::rep> handlingAnswered{0};
  std::atomic<bool> handlingAsked{false};
  telvane::tools::PbxSimulator::Options simOptions;
  std::unique_ptr<telvane::tools::PbxSimulator> sim;
  platform::ui::RealClock clock;
  platform::ui::MessageLoop loop{clock};
  platform::ui::Toolkit toolkit{loop};
  platform::shell::RecordingShell shell;
  platform::outlook::Application outlook;
  std::unique_ptr<fMain> window;
  std::unique_ptr<RecordContactSettings> contactSettings;
  std::unique_ptr<ContactDirectory> directory;
  std::unique_ptr<DirectoryContactLoading> loading;

  ~Rig() {
    if (window) window->unload();
    loading.reset();
    directory.reset();
    window.reset();
    sim.reset();
    if (module) dlclose(module);
  }

  bool startSimulator() {
    sim = std::make_unique<telvane::tools::PbxSimulator>(simOptions);
    if (!sim->start()) return false;
    simOptions.port = sim->port();  // a restart comes back on the same port
    return true;
  }

  bool start(int contactCount = kContacts) {
    AddinLog().SetFolder(logFolder.withSlash());
    module = dlopen(TELVANE_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!module) return false;
    auto registerServer =
        reinterpret_cast<platform::DllRegisterServerFn>(dlsym(module, "DllRegisterServer"));
    if (!registerServer || registerServer() != platform::S_OK) return false;

    platform::outlook::Folder* store = outlook.GetNamespace("MAPI")->AddStore("Store");
    platform::outlook::Folder* contacts =
        store->Folders().Add("Contacts", platform::outlook::olContactItem);
    for (int k = 0; k < contactCount; ++k) {
      auto item = contacts->Items().Add(platform::outlook::olContactItem);
      item->SetProperty("FullName", "Contact " + std::to_string(k));
      item->SetProperty("BusinessTelephoneNumber", contactNumber(k));
      item->Save();
    }
    outlook.Explorers().Add(store)->Display();

    simOptions.users = {{"201", "pw201", "201", "Ann Smith", "ann@pbx.example"}};
    simOptions.answerDelay = 1h;
    simOptions.trace = [this](const std::string& line) {
      const bool out = line.find("\"dir\":\"out\"") != std::string::npos;
      if (out && line.find("CallProcessingService.process\"") != std::string::npos) {
        processQueued = Clock::now().time_since_epoch().count();
      }
      // The answer to the incoming-call subscription is the next message out after it.
      if (!out && line.find("CallProcessingService.incomingcallhandling\"") != std::string::npos) {
        handlingAsked = true;
      } else if (out && handlingAsked.exchange(false)) {
        handlingAnswered = Clock::now().time_since_epoch().count();
      }
    };
    if (!startSimulator()) return false;

    auto store_setting = [&](const char* name, const std::string& value) {
      platform::saveSetting(user, "RingovaAddIn", "Settings", name, value);
    };
    store_setting("ServAddr", "127.0.0.1");
    store_setting("ServPort", std::to_string(sim->port()));
    store_setting("UserName", "201");
    store_setting("Password", "pw201");
    fMain::Context context{.toolkit = toolkit,
                           .shell = shell,
                           .user = user,
                           .machine = machine,
                           .log = [](std::string_view) {},
                           .now = {},
                           .timeLocale = "C"};
    window = std::make_unique<fMain>(std::move(context));
    window->SetOutlook(&outlook);
    contactSettings =
        std::make_unique<RecordContactSettings>(window->Settings(), window->AllContactsMode);
    directory = std::make_unique<ContactDirectory>(ContactDirectory::Context{
        toolkit, shell, *contactSettings, [](std::string_view) {}, {}, nullptr});
    directory->SetOutlook(&outlook);
    loading = std::make_unique<DirectoryContactLoading>(*directory);
    window->SetContactLoading(loading.get());
    window->RestoreSettings();
    window->StartupDone = true;
    window->Calls().SetDirectory(directory.get());
    window->Connect(false);
    return window->PbxConnected && window->HandledIncoming &&
           directory->RecordCount() == contactCount;
  }
};

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
