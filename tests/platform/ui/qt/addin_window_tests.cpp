// The add-in's windows drawn for real: a person types and clicks on the widgets, and the effect
// shows in the add-in, the registry and the PBX simulator. Each test keeps a picture of the
// windows it shows under build/screenshots/.
#include <QtCore/QPointer>
#include <QtTest/QTest>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QPushButton>

#include "platform/ui/qt/qt_renderer.h"
#include "ringova_outlook/contacts/contact_picker.h"
#include "ringova_outlook/incoming/incoming_window.h"
#include "ringova_outlook/outlook/about_window.h"
#include "tests/platform/ui/qt/gui_environment.h"
#include "tests/ringova_outlook/incoming/arriving_fixture.h"

namespace ringova::testing {
namespace {

using platform::ui::qt::QtRenderer;

class AddinWindowsTest : public ArrivingTest {
 protected:
  void SetUp() override {
    REQUIRE_GUI();
    ArrivingTest::SetUp();
    renderer_ = std::make_unique<QtRenderer>(
        toolkit_, QtRenderer::Options{platform::ui::qt::testing::screenshotFolder(), false});
  }
  void TearDown() override {
    if (!platform::ui::qt::testing::guiAvailable()) return;
    ArrivingTest::TearDown();
    renderer_.reset();
  }

  template <class T>
  T* drawn(const platform::ui::Control& c) {
    renderer_->flush();
    return qobject_cast<T*>(renderer_->widget(c));
  }
  // Clicks a drawn button as a person does.
  void press(const platform::ui::Control& button) {
    auto* b = drawn<QPushButton>(button);
    ASSERT_NE(b, nullptr) << button.name();
    ASSERT_TRUE(b->isVisible() && b->isEnabled()) << button.name();
    QTest::mouseClick(b, Qt::LeftButton);
  }

  std::unique_ptr<QtRenderer> renderer_;
};

TEST_F(AddinWindowsTest, TypingAnAddressEnablesApplyWhichWritesTheRegistry) {
  storeAccount();
  fMain& w = startUp();
  w.show();
  auto* address = drawn<QLineEdit>(w.txtServAddr);
  ASSERT_NE(address, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(renderer_->window(w)));
  EXPECT_EQ(drawn<QLineEdit>(w.txtPswd)->echoMode(), QLineEdit::Password);
  EXPECT_FALSE(drawn<QPushButton>(w.btnApply)->isEnabled());

  QTest::mouseClick(address, Qt::LeftButton);
  QTest::keyClick(address, Qt::Key_A, Qt::ControlModifier);  // the line edit selects all
  QTest::keyClicks(address, "pbx.example");
  EXPECT_EQ(w.txtServAddr.text(), "pbx.example");
  EXPECT_TRUE(w.btnApply.enabled());
  EXPECT_TRUE(drawn<QPushButton>(w.btnApply)->isEnabled());
  press(w.btnApply);
  EXPECT_EQ(stored("ServAddr"), "pbx.example");
  EXPECT_FALSE(drawn<QPushButton>(w.btnApply)->isEnabled());
}

TEST_F(AddinWindowsTest, TheConnectButtonLogsInToTheSimulator) {
  startSimulator();
  storeAccount();
  fMain& w = startUp();
  w.show();
  ASSERT_NE(drawn<QWidget>(w), nullptr);
  press(w.cmdConnect);
  ASSERT_TRUE(runUntil([&] { return w.PbxConnected; }));
  EXPECT_TRUE(receivedCount("sauthenticate", 1));
  EXPECT_EQ(drawn<QPushButton>(w.cmdConnect)->text(), "Deactivate ");
  EXPECT_FALSE(renderer_->window(w)->isVisible());  // the window hides once connected
}

TEST_F(AddinWindowsTest, AnArrivingCallOpensAWindowAtItsCascadePlaceWhoseAcceptReachesThePbx) {
  fMain& w = connected();
  telvane::CallId call = sim_->offer("tel:0899", "pbx:201");
  ASSERT_NE(call, 0u);
  IncomingWindow* win = shown(w, 0);
  ASSERT_NE(win, nullptr);
  QPointer<QWidget> window = drawn<QWidget>(*win);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
  const WindowPosition at = CascadePosition(0);
  EXPECT_EQ(window->pos(), QPoint(renderer_->pixels(at.left), renderer_->pixels(at.top)));
  EXPECT_EQ(drawn<QLineEdit>(win->txtCaller)->text(), "tel:0899");
  press(win->cmdAccept);
  ASSERT_TRUE(runUntil([&] { return answersFor(call).size() >= 2; }));
  EXPECT_EQ(answersFor(call), (std::vector<std::string>{"remote", "accept"}));
  ASSERT_TRUE(runUntil([&] { return !w.Calls().HasRecords(); }));
  renderer_->flush();
  EXPECT_TRUE(!window || !window->isVisible());  // the window went with its call
}

TEST_F(AddinWindowsTest, ThePickersTypeAheadListFollowsTheKeys) {
  addContact("Cara Lopez", "302");
  addContact("Bob Carter", "303");
  storeAccount();
  startUp();
  directory_->LoadAllContacts();
  ContactPicker& picker = directory_->Picker();
  driver_.expect("fContacts", [&](platform::ui::Form&) {
    auto* combo = drawn<QComboBox>(picker.cboContacts);
    ASSERT_NE(combo, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(renderer_->window(picker)));
    QTest::mouseClick(combo->lineEdit(), Qt::LeftButton);
    QTest::keyClicks(combo->lineEdit(), "car");
    auto* list = drawn<QListWidget>(picker.lstContacts);
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->isVisible());
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(1)->text(), "Cara Lopez");
    EXPECT_EQ(combo->lineEdit()->text(), "Carol Jones");
    EXPECT_EQ(combo->lineEdit()->selectedText(), "ol Jones");
    QTest::keyClick(combo->lineEdit(), Qt::Key_Down);  // into the list, on its first entry
    QTest::keyClick(list, Qt::Key_Down);               // the box follows
    renderer_->flush();
    EXPECT_EQ(list->currentRow(), 1);
    EXPECT_EQ(picker.cboContacts.text(), "Cara Lopez");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(2)).center());
    EXPECT_EQ(picker.cboContacts.text(), "Bob Carter");
    EXPECT_EQ(drawn<QComboBox>(picker.cboPhones)->currentText().toStdString(),
              picker.cboPhones.text());
    press(picker.btnCall);
  });
  EXPECT_NE(picker.Pick(-1, nullptr), "0");
  EXPECT_TRUE(driver_.failures().empty()) << driver_.failures().front();
}

// The add-in's other windows open as real modal windows over the settings window.
TEST_F(AddinWindowsTest, TheAddInsOtherWindowsAreDrawnOverTheSettingsWindow) {
  storeAccount();
  fMain& w = startUp();
  w.SetSupportWindows(support_.get());
  w.show();
  std::vector<std::string> seen;
  auto answer = [&](platform::ui::Form& f) {
    QWidget* window = drawn<QWidget>(f);
    ASSERT_NE(window, nullptr) << f.name();
    EXPECT_TRUE(window->isVisible()) << f.name();
    EXPECT_EQ(window->windowModality(), Qt::ApplicationModal) << f.name();
    seen.push_back(f.name());
    f.hide();
  };
  const std::vector<std::string> forms = {"fDialing", "fLogFile", "fFolders", "fAbout", "fNote"};
  for (const std::string& name : forms) driver_.expect(name, answer);
  press(w.btnDialRules);
  press(w.btnLogFile);
  loading_->ShowFolderSelection(w);
  AboutWindow about(toolkit_);
  about.Open(&w);
  support_->ShowNote("Close the call?", "Question", "Yes", "No");
  EXPECT_EQ(seen, forms);
  EXPECT_TRUE(driver_.failures().empty()) << driver_.failures().front();
}

}  // namespace
}  // namespace ringova::testing
