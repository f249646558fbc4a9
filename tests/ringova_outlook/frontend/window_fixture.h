#pragma once
// fMain as the add-in has it: the control module registered in temporary registry stores and
// created by its ProgID, a PBX simulator in process, Outlook with one explorer, the toolkit on a
// manual clock with the test driver and the recording shell. The add-in's log lines are kept.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
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
#include "platform/ui/ui_driver.h"
#include "ringova_outlook/frontend/contact_link.h"
#include "ringova_outlook/frontend/main_window.h"
#include "ringova_outlook/support/log_file.h"
#include "tests/platform/com/registry_env.h"
#include "tests/platform/ui/poll_until.h"
#include "tests/support/steady_port.h"
#include "tests/support/temp_folder.h"
#include "tests/support/wire_trace.h"
#include "tools/pbxsim/pbx_simulator.h"

namespace ringova::testing {

using namespace std::chrono_literals;

class WindowFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    AddinLog().SetFolder(logFolder_.withSlash());
    module_ = dlopen(TELVANE_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module_, nullptr) << dlerror();
    auto registerServer =
        reinterpret_cast<platform::DllRegisterServerFn>(dlsym(module_, "DllRegisterServer"));
    ASSERT_NE(registerServer, nullptr);
    ASSERT_EQ(registerServer(), platform::S_OK);
    store_ = outlook_.GetNamespace("MAPI")->AddStore("Store");
    contacts_ = store_->Folders().Add("Contacts", platform::outlook::olContactItem);
    addContact("Carol Jones", "301");
    explorer_ = outlook_.Explorers().Add(store_);
    explorer_->Display();
  }

  void TearDown() override {
    closeWindow();
    sim_.reset();
    if (module_) dlclose(module_);
  }

  virtual void adjustOptions(telvane::tools::PbxSimulator::Options&) {}

  void startSimulator(std::string version = "Sim-5.1.26-PBX") {
    telvane::tools::PbxSimulator::Options options;
    options.version = std::move(version);
    options.users = {{"201", "pw201", "201", "Ann Smith", "ann@pbx.example"},
                     {"202", "pw202", "202", "Bob", "bob@pbx.example"}};
    options.answerDelay = 50ms;
    options.trace = trace_.sink();
    options.port = simPort_;
    adjustOptions(options);
    sim_ = std::make_unique<telvane::tools::PbxSimulator>(std::move(options));
    ASSERT_TRUE(sim_->start()) << sim_->error();
  }

  void store(const std::string& name, const std::string& text) {
    ASSERT_TRUE(platform::saveSetting(user_, "RingovaAddIn", "Settings", name, text));
  }
  std::string stored(const std::string& name) {
    return platform::getSetting(user_, "RingovaAddIn", "Settings", name, "<missing>");
  }
  // Settings of a user who has connected before.
  void storeAccount(const std::string& password = "pw201") {
    store("ServAddr", "127.0.0.1");
    store("ServPort", std::to_string(sim_ ? sim_->port() : 4849));
    store("UserName", "201");
    store("Password", password);
  }

  void closeWindow() {
    loading_.reset();
    directory_.reset();
    window_.reset();
    contactSettings_.reset();
  }
  // Stops the simulator and forgets what it saw.
  void stopSimulator() {
    sim_.reset();
    trace_.clear();
  }

  fMain& makeWindow() {
    closeWindow();
    fMain::Context context{.toolkit = toolkit_,
                           .shell = shell_,
                           .user = user_,
                           .machine = machine_,
                           .log = [this](std::string_view line) { log_.emplace_back(line); },
                           .now = [this] { return wallClock_; },
                           .timeLocale = "C"};
    window_ = std::make_unique<fMain>(std::move(context));
    window_->SetOutlook(&outlook_);
    contactSettings_ =
        std::make_unique<RecordContactSettings>(window_->Settings(), window_->AllContactsMode);
    directory_ = std::make_unique<ContactDirectory>(
        ContactDirectory::Context{toolkit_, shell_, *contactSettings_,
                                  [this](std::string_view line) { log_.emplace_back(line); },
                                  PrefixesOf(window_->Location()), nullptr});
    directory_->SetOutlook(&outlook_);
    loading_ = std::make_unique<DirectoryContactLoading>(*directory_);
    window_->SetContactLoading(loading_.get());
    return *window_;
  }
  fMain& startUp() {
    fMain& w = makeWindow();
    w.RestoreSettings();
    w.StartupDone = true;
    return w;
  }

  void addContact(const std::string& name, const std::string& phone) {
    auto item = contacts_->Items().Add(platform::outlook::olContactItem);
    item->SetProperty("FullName", name);
    item->SetProperty("BusinessTelephoneNumber", phone);
    item->Save();
  }

  // Runs the UI loop until `done` holds, at most `limit` of real time.
  bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 5s) {
    return testsupport::PollUntil(loop_, done, limit);
  }
  // Moves the manual clock and lets due timers fire.
  void advance(std::chrono::milliseconds span) {
    clock_.advance(span);
    loop_.doEvents();
  }

  bool logged(const std::string& line) const {
    return std::find(log_.begin(), log_.end(), line) != log_.end();
  }
  // Requests the simulator received whose method name ends in `method`.
  std::vector<std::string> received(const std::string& method) { return trace_.requests(method); }
  // Waits until the simulator has received `count` requests of `method`.
  bool receivedCount(const std::string& method, std::size_t count) {
    return runUntil([&] { return received(method).size() >= count; }) &&
           received(method).size() == count;
  }
  std::size_t openConnections() const { return sim_->counters().openConnections; }

  testsupport::TempFolder logFolder_;
  TemporaryRegistry registry_;
  platform::Registry user_{registry_.userFile()};
  platform::Registry machine_{registry_.machineFile()};
  void* module_ = nullptr;
  platform::ui::ManualClock clock_;
  platform::ui::MessageLoop loop_{clock_};
  platform::ui::Toolkit toolkit_{loop_};
  platform::ui::UiDriver driver_{toolkit_};
  platform::shell::RecordingShell shell_;
  platform::outlook::Application outlook_;
  platform::outlook::Folder* store_ = nullptr;
  platform::outlook::Folder* contacts_ = nullptr;
  platform::outlook::Explorer* explorer_ = nullptr;
  std::time_t wallClock_ = 1781000000;  // a fixed local time for the login timestamp
  std::vector<std::string> log_;
  std::unique_ptr<telvane::tools::PbxSimulator> sim_;
  // 0: any free port. A test that restarts the PBX sets one it can take again (SteadyPort).
  std::uint16_t simPort_ = 0;
  testsupport::WireTrace trace_;
  std::unique_ptr<RecordContactSettings> contactSettings_;
  std::unique_ptr<ContactDirectory> directory_;
  std::unique_ptr<DirectoryContactLoading> loading_;
  std::unique_ptr<fMain> window_;
};

}  // namespace ringova::testing
