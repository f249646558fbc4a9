#pragma once
// An Outlook session on the stand-ins, played by the test as the host: temporary registry stores
// with the control and the add-in registered by their modules, an Outlook with a mailbox, the
// host's toolkit on a manual clock with the test driver, the recording shell, the add-in manager
// and, when a test asks for it, the PBX simulator in process. The add-in is created by its ProgID
// only; what it does is read from Outlook's objects, the stores, its log files and the simulator.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/com/module_exports.h"
#include "platform/outlook/addin_manager.h"
#include "platform/outlook/application.h"
#include "platform/registry/registry.h"
#include "platform/registry/settings.h"
#include "platform/shell/recording_shell.h"
#include "platform/ui/clock.h"
#include "platform/ui/message_loop.h"
#include "platform/ui/toolkit.h"
#include "platform/ui/ui_driver.h"
#include "tests/platform/com/registry_env.h"
#include "tests/platform/ui/poll_until.h"
#include "tests/support/temp_folder.h"
#include "tests/support/wire_trace.h"
#include "tools/pbxsim/pbx_simulator.h"

namespace ringova::testing {

namespace ol = platform::outlook;
using namespace std::chrono_literals;

inline constexpr const char* kProgId = "Ringova_Outlook.Connect";

class SessionFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* path : {TELVANE_MODULE_PATH, RINGOVA_MODULE_PATH}) {
      void* module = dlopen(path, RTLD_NOW | RTLD_LOCAL);
      ASSERT_NE(module, nullptr) << dlerror();
      auto registerServer =
          reinterpret_cast<platform::DllRegisterServerFn>(dlsym(module, "DllRegisterServer"));
      ASSERT_NE(registerServer, nullptr);
      ASSERT_EQ(registerServer(), platform::S_OK) << path;
      dlclose(module);
    }
    std::filesystem::create_directories(shortcuts());
    testsupport::WriteFile(shortcuts() / "Re-enable Ringova Toolbar For Outlook.lnk", "link");
    shell_.setSpecialFolder(platform::shell::SpecialFolder::CommonPrograms, programs_.withSlash());
    shell_.setSpecialFolder(platform::shell::SpecialFolder::LocalAppData, appData_.withSlash());
    platform::shell::SystemVersion version;
    version.major = 6;
    version.minor = 1;
    version.name = "Debian GNU/Linux 12";
    shell_.setSystemVersion(version);
    store("PathLogFile", logs_.withSlash());
    store("DontShowOnStartup", "True");
    // A complete account, so the first start does not ask for one.
    store("ServAddr", "127.0.0.1");
    store("UserName", "201");
    store("Password", "pw201");
    newOutlook();
  }

  void TearDown() override {
    manager_.reset();
    outlook_.reset();
    sim_.reset();
  }

  // A fresh Outlook (the previous one, and its add-ins, are gone) with an empty mailbox.
  void newOutlook(std::string version = "12.0.4518.1014") {
    manager_.reset();
    outlook_.reset();
    ol::ApplicationOptions options;
    options.version = std::move(version);
    options.current_user = ol::Recipient("Ann Smith", "ann@pbx.example");
    outlook_ = std::make_unique<ol::Application>(options);
    ol::NameSpace& mapi = *outlook_->GetNamespace("MAPI");
    store_ = mapi.AddStore("Mailbox");
    inbox_ = store_->Folders().Add("Inbox", ol::olMailItem);
    contacts_ = store_->Folders().Add("Contacts", ol::olContactItem);
    deleted_ = store_->Folders().Add("Deleted Items", ol::olMailItem);
    mapi.SetDefaultFolder(ol::olFolderInbox, inbox_);
    mapi.SetDefaultFolder(ol::olFolderContacts, contacts_);
    mapi.SetDefaultFolder(ol::olFolderDeletedItems, deleted_);
    manager_ = std::make_unique<ol::AddInManager>(
        *outlook_, ol::HostServices{toolkit_, shell_, user_, machine_});
  }

  ol::Explorer* openExplorer(ol::Folder* folder = nullptr) {
    ol::Explorer* explorer = outlook_->Explorers().Add(folder ? folder : inbox_);
    if (explorer) explorer->Display();
    return explorer;
  }

  std::shared_ptr<ol::Item> addContact(const std::string& name, const std::string& phone,
                                       const std::string& email = "") {
    auto item = contacts_->Items().Add(ol::olContactItem);
    item->SetProperty("FullName", name);
    item->SetProperty("BusinessTelephoneNumber", phone);
    if (!email.empty()) item->SetProperty("Email1Address", email);
    item->Save();
    return item;
  }
  std::shared_ptr<ol::Item> addMail(const std::string& senderName, const std::string& senderAddress,
                                    const std::string& to) {
    auto item = inbox_->Items().Add(ol::olMailItem);
    item->SetProperty("SenderName", senderName);
    item->SetProperty("SenderEmailAddress", senderAddress);
    item->SetProperty("To", to);
    item->SetProperty("Subject", "Hello");
    item->Save();
    return item;
  }

  void startSimulator() {
    telvane::tools::PbxSimulator::Options options;
    options.version = "Sim-5.1.26-PBX";
    options.users = {{"201", "pw201", "201", "Ann Smith", "ann@pbx.example"},
                     {"202", "pw202", "202", "Bob", "bob@pbx.example"}};
    options.answerDelay = 50ms;
    options.trace = trace_.sink();
    sim_ = std::make_unique<telvane::tools::PbxSimulator>(std::move(options));
    ASSERT_TRUE(sim_->start()) << sim_->error();
  }
  // A user who has connected before and left the session open.
  void storeAccount(bool activated) {
    store("ServAddr", "127.0.0.1");
    store("ServPort", std::to_string(sim_->port()));
    store("UserName", "201");
    store("Password", "pw201");
    store("Activated", activated ? "True" : "False");
  }
  std::size_t received(const std::string& method) { return trace_.requests(method).size(); }

  void store(const std::string& name, const std::string& text) {
    ASSERT_TRUE(platform::saveSetting(user_, "RingovaAddIn", "Settings", name, text));
  }
  std::string stored(const std::string& name) {
    return platform::getSetting(user_, "RingovaAddIn", "Settings", name, "<missing>");
  }

  // Runs the UI loop until `done` holds, at most `limit` of real time.
  bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 5s) {
    return testsupport::PollUntil(loop_, done, limit);
  }

  // Every line the add-in logged, without its quotes and time stamp, oldest first.
  std::vector<std::string> logLines() const {
    std::vector<std::string> lines;
    for (int n = 1; n <= 5; ++n) {
      const std::string text =
          testsupport::ReadFile(logs_.path() / ("RingovaLog" + std::to_string(n) + ".txt"));
      std::size_t start = 0;
      while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        const std::size_t colon = line.find(": ");
        if (line.size() >= 2 && colon != std::string::npos) {
          lines.push_back(line.substr(colon + 2, line.size() - colon - 3));
        }
        start = end + 2;
      }
    }
    return lines;
  }
  bool logged(const std::string& line) const {
    const auto lines = logLines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  int loggedCount(const std::string& line) const {
    const auto lines = logLines();
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
  }

  std::filesystem::path shortcuts() const { return programs_.path() / "Orvane/Ringova AddIn"; }
  bool shortcutIs(const std::string& name) const {
    return std::filesystem::exists(shortcuts() / name);
  }

  // The add-in's controls in one window.
  static ol::CommandBarControl* popup(ol::Explorer& e) {
    return e.CommandBars().Item("Menu Bar")->FindControl(ol::msoControlPopup, 0, "RingovaTag");
  }
  static ol::CommandBarControl* toolbar(ol::Explorer& e, const std::string& tag) {
    return e.CommandBars().Item("Standard")->FindControl(0, 0, tag);
  }
  static ol::CommandBarControl* menuItem(ol::Explorer& e, const std::string& caption) {
    ol::CommandBarControl* p = popup(e);
    return p ? p->Controls()->Item(caption) : nullptr;
  }
  static int popupCount(ol::Explorer& e) {
    int n = 0;
    ol::CommandBarControls& top = e.CommandBars().Item("Menu Bar")->Controls();
    for (int i = 1; i <= top.Count(); ++i) n += top.Item(i)->Tag() == "RingovaTag";
    return n;
  }

  testsupport::TempFolder logs_, programs_, appData_;
  TemporaryRegistry registry_;
  platform::Registry user_{registry_.userFile()};
  platform::Registry machine_{registry_.machineFile()};
  platform::ui::ManualClock clock_;
  platform::ui::MessageLoop loop_{clock_};
  platform::ui::Toolkit toolkit_{loop_};
  platform::ui::UiDriver driver_{toolkit_};
  platform::shell::RecordingShell shell_;
  std::unique_ptr<ol::Application> outlook_;
  std::unique_ptr<ol::AddInManager> manager_;
  ol::Folder* store_ = nullptr;
  ol::Folder* inbox_ = nullptr;
  ol::Folder* contacts_ = nullptr;
  ol::Folder* deleted_ = nullptr;
  std::unique_ptr<telvane::tools::PbxSimulator> sim_;
  testsupport::WireTrace trace_;
};

}  // namespace ringova::testing
