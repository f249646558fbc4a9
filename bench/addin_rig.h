#pragma once
// What the arriving-call benchmarks share: the add-in set up as it runs against the in-process
// simulator with numbered contacts, and the figures' helpers. Wall-clock time throughout.
#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
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

namespace bench {

using Clock = std::chrono::steady_clock;

inline constexpr int kContacts = 32767;

inline double nanos(Clock::duration d) {
  return std::chrono::duration<double, std::nano>(d).count();
}

inline double percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  auto at = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1));
  return values[at];
}

inline std::string contactNumber(int k) {
  return "0301" + std::to_string(1000000 + k);
}

// The add-in as it runs: the control created by its ProgID from the registered module, the
// settings window logged in to the in-process simulator, the contact directory loaded from the
// Outlook stand-in. The simulator's trace marks when "process" is queued for writing and when the
// incoming-call subscription is answered.
struct AddinRig {
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
  std::unique_ptr<ringova::fMain> window;
  std::unique_ptr<ringova::RecordContactSettings> contactSettings;
  std::unique_ptr<ringova::ContactDirectory> directory;
  std::unique_ptr<ringova::DirectoryContactLoading> loading;

  ~AddinRig() { stop(); }

  // The windows first (anything drawing them may go only after), then the simulator and module.
  void stop() {
    if (window) window->unload();
    loading.reset();
    directory.reset();
    window.reset();
    sim.reset();
    if (module) dlclose(module);
    module = nullptr;
  }

  bool startSimulator() {
    sim = std::make_unique<telvane::tools::PbxSimulator>(simOptions);
    if (!sim->start()) return false;
    simOptions.port = sim->port();  // a restart comes back on the same port
    return true;
  }

  bool start(int contactCount = kContacts) {
    ringova::AddinLog().SetFolder(logFolder.withSlash());
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
    simOptions.answerDelay = std::chrono::hours(1);
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
    ringova::fMain::Context context{.toolkit = toolkit,
                                    .shell = shell,
                                    .user = user,
                                    .machine = machine,
                                    .log = [](std::string_view) {},
                                    .now = {},
                                    .timeLocale = "C"};
    window = std::make_unique<ringova::fMain>(std::move(context));
    window->SetOutlook(&outlook);
    contactSettings = std::make_unique<ringova::RecordContactSettings>(window->Settings(),
                                                                       window->AllContactsMode);
    directory = std::make_unique<ringova::ContactDirectory>(ringova::ContactDirectory::Context{
        toolkit, shell, *contactSettings, [](std::string_view) {}, {}, nullptr});
    directory->SetOutlook(&outlook);
    loading = std::make_unique<ringova::DirectoryContactLoading>(*directory);
    window->SetContactLoading(loading.get());
    window->RestoreSettings();
    window->StartupDone = true;
    window->Calls().SetDirectory(directory.get());
    window->Connect(false);
    return window->PbxConnected && window->HandledIncoming &&
           directory->RecordCount() == contactCount;
  }
};

}  // namespace bench
