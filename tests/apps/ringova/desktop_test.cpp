// ringova as a person uses it, in windows: Outlook's stand-in on the sample mailbox with the
// add-in loaded by the add-in manager, drawn by the Qt renderer and the explorer windows, against
// the PBX simulator. The person calls a contact from the toolbar and accepts an arriving call,
// forwards one to a contact found by part of its name, picks the contact folders in the
// settings, adds a dialing rule and closes a running call from the question Make asks; all by
// keys and clicks on the drawn widgets, each checked at the PBX.
#include <QtCore/QTimer>
#include <QtTest/QTest>
#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QMainWindow>
#include <QtWidgets/QMenu>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QStyle>
#include <QtWidgets/QStyleOptionViewItem>
#include <QtWidgets/QToolBar>
#include <QtWidgets/QTreeWidget>
#include <chrono>
#include <functional>
#include <memory>
#include <regex>
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
#include "telvane/xmlrpc/call_id.h"
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

  // Outlook starts, the add-in connects and takes the arriving calls; the explorer is on screen.
  void startUp() {
    loop_.post([&] { EXPECT_EQ(manager_->Startup(), 1); });
    ASSERT_TRUE(runUntil([&] { return received("incomingcallhandling") > 0; }));
    QMainWindow* window = explorers_->window(*explorer_);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
  }
  // An entry of the add-in's menu in the explorer's menu bar.
  QAction* menuCommand(const QString& caption) {
    explorers_->refresh();
    for (QAction* top : explorers_->window(*explorer_)->menuBar()->actions()) {
      if (!top->menu()) continue;
      for (QAction* a : top->menu()->actions())
        if (QString(a->text()).remove('&').trimmed() == caption) return a;
    }
    return nullptr;
  }
  // Runs `steps` once the form's window is on screen. A modal window's loop runs inside the
  // click that opened it, so the steps come from a timer; a window left up by a failed step is
  // closed, so the click returns.
  class WhenShown {
   public:
    WhenShown(DesktopTest& test, std::string form, std::function<void()> steps)
        : test_(test), form_(std::move(form)), steps_(std::move(steps)) {
      QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
      timer_.start(20);
    }
    bool ran() const { return ran_; }

   private:
    void poll() {
      if (ran_) return;
      QWidget* w = test_.drawn<QWidget>(form_, "");
      if (!w || !w->isVisible() || !w->windowHandle() || !w->windowHandle()->isExposed()) return;
      ran_ = true;
      timer_.stop();
      steps_();
      ui::Form* f = test_.toolkit_.findForm(form_);
      if (::testing::Test::HasFailure() && f && f->visible()) f->hide();
    }
    DesktopTest& test_;
    std::string form_;
    std::function<void()> steps_;
    QTimer timer_;
    bool ran_ = false;
  };
  void click(const std::string& form, const std::string& control, int index = -1) {
    ui::Form* f = toolkit_.findForm(form);
    ASSERT_NE(f, nullptr) << form;
    renderer_->flush();
    ui::Control* c = f->find(control, index);
    ASSERT_NE(c, nullptr) << control;
    auto* b = qobject_cast<QAbstractButton*>(renderer_->widget(*c));
    ASSERT_NE(b, nullptr) << control;
    ASSERT_TRUE(b->isVisible() && b->isEnabled()) << control;
    QTest::mouseClick(b, Qt::LeftButton);
  }
  // Clicks into a text box (or an editable combo) and types.
  void typeInto(const std::string& form, const std::string& control, const QString& text,
                int index = -1) {
    ui::Form* f = toolkit_.findForm(form);
    ASSERT_NE(f, nullptr) << form;
    renderer_->flush();
    ui::Control* c = f->find(control, index);
    ASSERT_NE(c, nullptr) << control;
    QWidget* w = renderer_->widget(*c);
    if (auto* combo = qobject_cast<QComboBox*>(w)) w = combo->lineEdit();
    ASSERT_NE(qobject_cast<QLineEdit*>(w), nullptr) << control;
    QTest::mouseClick(w, Qt::LeftButton);
    QTest::keyClicks(w, text);
  }
  // The check box of a list entry, clicked where the style draws it.
  void clickCheckBox(QListWidget* list, int row) {
    QStyleOptionViewItem option;
    option.initFrom(list);
    option.rect = list->visualItemRect(list->item(row));
    option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    const QRect box =
        list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, box.center());
  }
  // A number picked from a list-only combo's drop-down, by the mouse.
  void pickFromDropDown(QComboBox* combo, int row) {
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window()));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      view->visualRect(view->model()->index(row, 0)).center());
  }
  // Contacts, a contact selected, Make, and Call in the picker: the call runs, both legs joined.
  void callFromTheToolbar(const QString& name) {
    clickRow(tree("folders"), "Contacts");
    clickRow(tree("items"), name);
    ASSERT_EQ(explorer_->Selection().Count(), 1);
    QAction* make = toolbarButton("Make");
    ASSERT_NE(make, nullptr);
    ASSERT_TRUE(make->isEnabled());
    const std::size_t joined = received("joincalls");
    WhenShown picker(*this, "fContacts", [&] { click("fContacts", "btnCall"); });
    make->trigger();
    ASSERT_TRUE(picker.ran());
    ASSERT_TRUE(runUntil([&] { return received("joincalls") > joined; }));
  }
  // The call IDs a request names, in order.
  static std::vector<std::string> callIds(const std::string& request) {
    std::vector<std::string> ids;
    static const std::regex id("\"value\":\"([0-9]+)\"");
    for (std::sregex_iterator it(request.begin(), request.end(), id), end; it != end; ++it)
      ids.push_back((*it)[1]);
    return ids;
  }
  // The on/off values of the incoming-call handling requests the PBX received, in order.
  std::vector<bool> handlingSwitches() {
    std::vector<bool> out;
    for (const std::string& line : trace_.requests("incomingcallhandling"))
      out.push_back(line.find("\"type\":\"boolean\",\"value\":true") != std::string::npos);
    return out;
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
  startUp();

  // The contacts with their numbers, and the add-in's buttons on the toolbar.
  QMainWindow* window = explorers_->window(*explorer_);
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
  // Taken under remote control and answered, the accepted call goes to the person's own phone.
  const std::string id = telvane::formatId(call);
  ASSERT_TRUE(runUntil([&] { return !trace_.inbound({"playmessage", id}).empty(); }));
  QTest::mouseClick(drawn<QPushButton>("fIncoming", "cmdAccept"), Qt::LeftButton);
  ASSERT_TRUE(runUntil([&] { return !trace_.inbound({"transfercall", id, "pbx:201"}).empty(); }));
}

// A call arrives from a number nobody knows; the person types part of a name into the Forward
// frame, takes the contact from the match list that opens over the frame, picks the mobile
// number and presses Forward. The PBX hands the answered call on to that number.
TEST_F(DesktopTest, APersonForwardsAnArrivingCallToAContactFoundByPartOfTheName) {
  startUp();
  const telvane::CallId call = sim_->offer("tel:0899", "pbx:201");
  ASSERT_NE(call, 0u);
  ASSERT_TRUE(runUntil([&] {
    auto* w = drawn<QWidget>("fIncoming", "");
    return w && w->windowHandle() && w->windowHandle()->isExposed();
  }));
  // The add-in answers under remote control and the caller hears the waiting message.
  ASSERT_TRUE(runUntil([&] { return !trace_.inbound({"playmessage", "fadinghope.wav"}).empty(); }));
  QWidget* window = drawn<QWidget>("fIncoming", "");
  EXPECT_TRUE(drawn<QLineEdit>("fIncoming", "txtContactFrom")->text().isEmpty());
  EXPECT_FALSE(drawn<QPushButton>("fIncoming", "cmdForward")->isEnabled());

  typeInto("fIncoming", "cboFwd", "schm");
  auto* matches = drawn<QListWidget>("fIncoming", "lstContacts");
  ASSERT_NE(matches, nullptr);
  ASSERT_TRUE(matches->isVisible());
  ASSERT_GE(matches->count(), 1);
  EXPECT_EQ(matches->item(0)->text(), "Anna Schmidt");
  window->grab().save(
      QString::fromStdString(ui::qt::testing::screenshotFolder() + "/fIncoming-matches.png"));
  // The list lies over the phone box below the name box: the person's click lands on it.
  const QPoint entry = matches->visualItemRect(matches->item(0)).center();
  QWidget* hit = window->childAt(matches->viewport()->mapTo(window, entry));
  ASSERT_TRUE(hit == matches->viewport() || matches->isAncestorOf(hit));
  QTest::mouseClick(matches->viewport(), Qt::LeftButton, {}, entry);
  renderer_->flush();
  EXPECT_FALSE(matches->isVisible());
  auto* phones = drawn<QComboBox>("fIncoming", "cboPhones");
  ASSERT_EQ(phones->count(), 2);
  EXPECT_TRUE(phones->isVisible() && !phones->visibleRegion().isEmpty());
  pickFromDropDown(phones, 1);
  renderer_->flush();
  EXPECT_EQ(phones->currentText(), "Mobile    - +49 160 555 0102");
  window->grab().save(
      QString::fromStdString(ui::qt::testing::screenshotFolder() + "/fIncoming-forward.png"));
  click("fIncoming", "cmdForward");
  const std::string id = telvane::formatId(call);
  ASSERT_TRUE(runUntil([&] { return !trace_.inbound({"transfercall", id}).empty(); }));
  EXPECT_EQ(trace_.inbound({"transfercall", id, "+491605550102"}).size(), 1u);
}

// In the settings the person chooses to load the contacts of selected folders and applies;
// the folder selection opens, the person ticks only Suppliers. The PBX sees the incoming calls
// handed over while the contacts load, and a call from Suppliers is named.
TEST_F(DesktopTest, APersonChoosesTheContactFoldersInTheSettings) {
  startUp();
  ASSERT_EQ(handlingSwitches(), std::vector<bool>{true});
  QAction* settings = menuCommand("Settings...");
  ASSERT_NE(settings, nullptr);
  std::vector<std::string> folders;
  WhenShown selection(*this, "fFolders", [&] {
    auto* list = drawn<QListWidget>("fFolders", "lstContactFolders");
    ASSERT_NE(list, nullptr);
    for (int row = 0; row < list->count(); ++row) {
      folders.push_back(list->item(row)->text().toStdString());
      const bool wanted = list->item(row)->text().contains("Suppliers");
      if ((list->item(row)->checkState() == Qt::Checked) != wanted) clickCheckBox(list, row);
      renderer_->flush();
      EXPECT_EQ(list->item(row)->checkState() == Qt::Checked, wanted) << folders.back();
    }
    click("fFolders", "btnOK");
  });
  WhenShown window(*this, "fMain", [&] {
    click("fMain", "optLoadSel");
    ASSERT_TRUE(drawn<QPushButton>("fMain", "btnApply")->isEnabled());
    click("fMain", "btnApply");
  });
  settings->trigger();
  ASSERT_TRUE(window.ran());
  ASSERT_TRUE(selection.ran());
  EXPECT_GE(folders.size(), 2u);
  ASSERT_TRUE(runUntil([&] { return handlingSwitches().size() >= 3; }));
  EXPECT_EQ(handlingSwitches(), (std::vector<bool>{true, false, true}));

  const telvane::CallId bob = sim_->offer("tel:+15550100", "pbx:201");
  ASSERT_TRUE(runUntil([&] {
    auto* name = drawn<QLineEdit>("fIncoming", "txtContactFrom");
    return name && name->isVisible();
  }));
  EXPECT_EQ(drawn<QLineEdit>("fIncoming", "txtContactFrom")->text(), "Bob Miller");
  // Answered under remote control, the accepted call is handed to the person's own phone.
  const std::string id = telvane::formatId(bob);
  ASSERT_TRUE(runUntil([&] { return !trace_.inbound({"playmessage", id}).empty(); }));
  click("fIncoming", "cmdAccept");
  ASSERT_TRUE(runUntil([&] { return !trace_.inbound({"transfercall", id, "pbx:201"}).empty(); }));
}

// The person adds a rule in the dialing options: the next Make dials Anna's number in its
// national form. Make during that call asks whether to close it; the person says Close.
TEST_F(DesktopTest, APersonAddsADialingRuleAndClosesTheRunningCallWhenMakeAsks) {
  startUp();
  QAction* dialing = menuCommand("Dialing options...");
  ASSERT_NE(dialing, nullptr);
  int rows = -1;
  WhenShown editor(*this, "fDialing", [&] {
    click("fDialing", "btnAdd");
    const QString fields[] = {"+49.", "3", "0", "", "Germany: national form"};
    for (int i = 0; i < 5; ++i)
      if (!fields[i].isEmpty()) typeInto("fDialing", "txtField", fields[i], i);
    click("fDialing", "btnSave");
    rows = drawn<QTreeWidget>("fDialing", "lstDialing")->topLevelItemCount();
    click("fDialing", "btnCancel");
  });
  dialing->trigger();
  ASSERT_TRUE(editor.ran());
  EXPECT_EQ(rows, 1);

  callFromTheToolbar("Anna Schmidt");
  EXPECT_EQ(trace_.inbound({"createcall", "\"tel:0895550101\""}).size(), 1u);

  // Anna hangs up while the person's own phone is still up: Make is offered again, and asks.
  const std::vector<std::string> legs = callIds(trace_.requests("joincalls").back());
  ASSERT_EQ(legs.size(), 2u);
  ASSERT_TRUE(sim_->sendState(telvane::parseId(legs[1]), 3));
  ASSERT_TRUE(runUntil([&] { return toolbarButton("Make")->isEnabled(); }));
  const std::size_t made = received("createcall");
  std::string question;
  WhenShown note(*this, "fNote", [&] {
    question = drawn<QLabel>("fNote", "Label1")->text().toStdString();
    click("fNote", "OKButton");
  });
  toolbarButton("Make")->trigger();
  ASSERT_TRUE(note.ran());
  EXPECT_EQ(question, "There is an active call. Would you like to close it?");
  ASSERT_TRUE(runUntil([&] { return !trace_.inbound({"closecall", legs[0]}).empty(); }));
  EXPECT_EQ(received("createcall"), made);
}

}  // namespace
}  // namespace ringova::host
