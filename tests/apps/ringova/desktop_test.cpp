// ringova as a person uses it, in windows: Outlook's stand-in on the sample mailbox with the
// add-in loaded by the add-in manager, drawn by the Qt renderer and the explorer windows, against
// the PBX simulator. The person opens Contacts, selects a contact, calls it with the toolbar's
// Make button, answers the picker, and accepts an arriving call in its window, all by clicks.
#include <QtCore/QTimer>
#include <QtTest/QTest>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMainWindow>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QToolBar>
#include <QtWidgets/QTreeWidget>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "apps/ringova/explorer_window.h"
#include "apps/ringova/mailbox_setup.h"
#include "apps/ringova/modules.h"
#include "platform/outlook/addin_manager.h"
#include "platform/outlook/application.h"
#include "platform/outlook/constants.h"
#include "platform/registry/registry.h"
#include "platform/registry/settings.h"
#include "platform/shell/linux_shell.h"
#include "platform/ui/clock.h"
#include "platform/ui/form.h"
#include "platform/ui/message_loop.h"
#include "platform/ui/qt/qt_renderer.h"
#include "platform/ui/toolkit.h"
#include "tests/platform/com/registry_env.h"
#include "tests/platform/ui/qt/gui_environment.h"
#include "tests/support/temp_folder.h"
#include "tests/support/wire_trace.h"
#include "tools/pbxsim/pbx_simulator.h"

namespace ringova::host {
namespace {

namespace ol = platform::outlook;
namespace ui = platform::ui;
using namespace std::chrono_literals;

// Anna Schmidt's business number in the sample's cards.
constexpr const char* kAnnasNumber = "tel:+49895550101";

class DesktopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_GUI();
    ::setenv("XDG_DATA_HOME", (home_.path() / "data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home_.path() / "config").c_str(), 1);
    ::setenv("TELVANE_OPENER", "true", 1);
    std::string error;
    ASSERT_TRUE(RegisterModules(false, error)) << error;

    telvane::tools::PbxSimulator::Options options;
    options.users = {{"201", "pw201", "201", "Jane Doe", "jane@pbx.example"}};
    options.answerDelay = 100ms;
    options.extListOnSubscribe = true;  // the user's identity for the joined calls
    options.trace = trace_.sink();
    sim_ = std::make_unique<telvane::tools::PbxSimulator>(std::move(options));
    ASSERT_TRUE(sim_->start()) << sim_->error();
    for (const auto& [name, value] : std::vector<std::pair<std::string, std::string>>{
             {"ServAddr", "127.0.0.1"},
             {"ServPort", std::to_string(sim_->port())},
             {"UserName", "201"},
             {"Password", "pw201"},
             {"Activated", "True"},
             {"DontShowOnStartup", "True"},
             {"Country", "Germany"},
             {"PathLogFile", home_.withSlash() + "log/"}}) {
      ASSERT_TRUE(platform::saveSetting(user_, "RingovaAddIn", "Settings", name, value));
    }

    ol::NameSpace& mapi = *outlook_.GetNamespace("MAPI");
    MailboxSummary summary;
    ASSERT_TRUE(LoadMailboxes({RINGOVA_SAMPLE_MAILBOX}, mapi, summary, error)) << error;
    renderer_ = std::make_unique<ui::qt::QtRenderer>(
        toolkit_, ui::qt::QtRenderer::Options{ui::qt::testing::screenshotFolder(), false});
    explorers_ = std::make_unique<ExplorerWindows>(outlook_);
    explorer_ = outlook_.Explorers().Add(mapi.GetDefaultFolder(ol::olFolderInbox));
    explorer_->Display();
    manager_ = std::make_unique<ol::AddInManager>(
        outlook_, ol::HostServices{toolkit_, shell_, user_, machine_});
  }

  void TearDown() override {
    if (!ui::qt::testing::guiAvailable()) return;
    toolkit_.setModalHandler([](ui::Form& form) {
      form.hide();
      return true;
    });
    if (manager_) manager_->Shutdown();
    loop_.doEvents();
    manager_.reset();
    explorers_.reset();
    renderer_.reset();
    sim_.reset();
  }

  bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 10s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    loop_.runUntil([&] { return done() || std::chrono::steady_clock::now() > deadline; });
    return done();
  }
  std::size_t received(const std::string& method) { return trace_.requests(method).size(); }
  // The drawn widget of a control of a shown form; null while there is none.
  template <class T>
  T* drawn(const std::string& form, const std::string& control) {
    ui::Form* f = toolkit_.findForm(form);
    if (!f || !f->visible()) return nullptr;
    renderer_->flush();
    ui::Control* c = control.empty() ? f : f->find(control);
    return c ? qobject_cast<T*>(renderer_->widget(*c)) : nullptr;
  }
  QTreeWidget* tree(const char* name) {
    return explorers_->window(*explorer_)->findChild<QTreeWidget*>(name);
  }
  QAction* toolbarButton(const QString& caption) {
    explorers_->refresh();
    auto* bar = explorers_->window(*explorer_)->findChild<QToolBar*>("Standard");
    if (!bar) return nullptr;
    for (QAction* a : bar->actions())
      if (QString(a->text()).remove('&').trimmed() == caption) return a;
    return nullptr;
  }
  void clickRow(QTreeWidget* t, const QString& text) {
    auto found = t->findItems(text, Qt::MatchRecursive | Qt::MatchExactly);
    ASSERT_FALSE(found.isEmpty()) << text.toStdString();
    QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, t->visualItemRect(found.front()).center());
  }

  testsupport::TempFolder home_;
  TemporaryRegistry registry_;
  platform::Registry user_{platform::RegistryHive::CurrentUser};
  platform::Registry machine_{platform::RegistryHive::LocalMachine};
  std::unique_ptr<telvane::tools::PbxSimulator> sim_;
  testsupport::WireTrace trace_;
  ol::Application outlook_;
  ui::RealClock clock_;
  ui::MessageLoop loop_{clock_};
  ui::Toolkit toolkit_{loop_};
  platform::shell::LinuxShell shell_{toolkit_};
  std::unique_ptr<ui::qt::QtRenderer> renderer_;
  std::unique_ptr<ExplorerWindows> explorers_;
  ol::Explorer* explorer_ = nullptr;
  std::unique_ptr<ol::AddInManager> manager_;
};

TEST_F(DesktopTest, APersonSeesTheContactsCallsOneFromTheToolbarAndAcceptsAnArrivingCall) {
  loop_.post([&] { EXPECT_EQ(manager_->Startup(), 1); });
  ASSERT_TRUE(runUntil([&] { return received("incomingcallhandling") > 0; }));

  // The contacts with their numbers, and the add-in's buttons on the toolbar.
  QMainWindow* window = explorers_->window(*explorer_);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
  clickRow(tree("folders"), "Contacts");
  ASSERT_EQ(explorer_->CurrentFolder()->Name(), "Contacts");
  auto anna = tree("items")->findItems("Anna Schmidt", Qt::MatchExactly);
  ASSERT_EQ(anna.size(), 1);
  EXPECT_FALSE(anna.front()->text(1).isEmpty());  // the business number
  clickRow(tree("items"), "Anna Schmidt");
  ASSERT_EQ(explorer_->Selection().Count(), 1);
  QAction* make = toolbarButton("Make");
  ASSERT_NE(make, nullptr);
  ASSERT_TRUE(make->isEnabled());
  ASSERT_NE(toolbarButton("Close"), nullptr);
  bool menu = false;
  for (QAction* a : window->menuBar()->actions()) menu = menu || a->text() == "R&ingova";
  EXPECT_TRUE(menu);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);  // the toolbar's buttons
  window->grab().save(
      QString::fromStdString(ui::qt::testing::screenshotFolder() + "/explorer.png"));

  // Make opens the picker (modal: its loop runs inside the click); the person presses Call.
  bool called = false;
  QTimer picker;
  QObject::connect(&picker, &QTimer::timeout, [&] {
    auto* call = drawn<QPushButton>("fContacts", "btnCall");
    if (called || !call || !call->isVisible() || !call->isEnabled()) return;
    called = true;
    QTest::mouseClick(call, Qt::LeftButton);
  });
  picker.start(20);
  make->trigger();
  picker.stop();
  ASSERT_TRUE(called);
  ASSERT_TRUE(runUntil([&] { return received("createcall") > 0; }));
  // The user's phone answers, the contact's leg is made and both are joined; Close ends the call.
  ASSERT_TRUE(runUntil([&] { return received("joincalls") > 0; }));
  ASSERT_TRUE(toolbarButton("Close")->isEnabled());
  toolbarButton("Close")->trigger();
  ASSERT_TRUE(runUntil([&] { return received("closecall") > 0; }));

  // A call arrives from Anna: its window names her, and Accept reaches the PBX.
  const telvane::CallId call = sim_->offer(kAnnasNumber, "pbx:201");
  ASSERT_NE(call, 0u);
  ASSERT_TRUE(runUntil([&] {
    auto* accept = drawn<QPushButton>("fIncoming", "cmdAccept");
    return accept && accept->isVisible();
  }));
  QWidget* incoming = drawn<QWidget>("fIncoming", "");
  ASSERT_TRUE(QTest::qWaitForWindowExposed(incoming));
  EXPECT_EQ(drawn<QLineEdit>("fIncoming", "txtContactFrom")->text(), "Anna Schmidt");
  QTest::mouseClick(drawn<QPushButton>("fIncoming", "cmdAccept"), Qt::LeftButton);
  ASSERT_TRUE(runUntil([&] {
    auto decision = sim_->decision(call);
    return decision && decision->kind == telvane::tools::PbxSimulator::OfferDecision::kAccept;
  }));
}

}  // namespace
}  // namespace ringova::host
