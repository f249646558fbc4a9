// The renderer on the toolkit alone: widgets drawn from the model, a person's input reaching the
// model's events, the close box, modal windows, the loop serving Qt and other threads, timers,
// screenshots, message boxes, tray icons and the beep.
#include <QtGui/QWindow>
#include <QtTest/QTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QProgressBar>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QSystemTrayIcon>
#include <QtWidgets/QTreeWidget>
#include <atomic>
#include <filesystem>
#include <thread>

#include "platform/shell/linux_shell.h"
#include "platform/ui/clock.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "platform/ui/qt/qt_renderer.h"
#include "platform/ui/qt/qt_shell.h"
#include "tests/platform/ui/qt/gui_environment.h"
#include "tests/support/temp_folder.h"

namespace platform::ui::qt {
namespace {

using namespace std::chrono_literals;

class RendererTest : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_GUI();
    renderer_ = std::make_unique<QtRenderer>(toolkit_);
    form_ = std::make_unique<Form>(toolkit_, "fTest");
    form_->setCaption("Test window");
    form_->move(1500, 1200, 6000, 4500);
  }

  template <class T>
  T* drawn(const Control& c) {
    renderer_->flush();
    return qobject_cast<T*>(renderer_->widget(c));
  }
  // Runs the toolkit's loop until `done`, at most `limit`.
  bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 5s) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    bool timedOut = false;
    Timer guard(loop_);
    guard.setInterval(static_cast<int>(limit.count()));
    guard.onTimer = [&] { timedOut = true; };
    guard.setEnabled(true);
    loop_.runUntil(
        [&] { return done() || timedOut || std::chrono::steady_clock::now() > deadline; });
    return done();
  }

  RealClock clock_;
  MessageLoop loop_{clock_};
  Toolkit toolkit_{loop_};
  std::unique_ptr<QtRenderer> renderer_;
  std::unique_ptr<Form> form_;
};

TEST_F(RendererTest, EachControlIsItsWidgetPlacedInTwipsAndFollowsTheModel) {
  auto& label = form_->add<Label>("lblName");
  label.setCaption("&Name:");
  label.move(120, 120, 1440, 240);
  auto& text = form_->add<TextBox>("txtPswd");
  text.setPasswordChar('*');
  text.setText("secret");
  auto& check = form_->add<CheckBox>("chOn");
  check.setValue(2);
  auto& option = form_->add<OptionButton>("optA");
  option.setValue(true);
  auto& ok = form_->add<CommandButton>("btnOK");
  ok.setCaption("OK");
  ok.setDefault(true);
  auto& combo = form_->add<ComboBox>("cboList");
  combo.setStyle(ComboStyle::DropDownList);
  combo.addItem("one", 11);
  combo.addItem("two", 22);
  combo.setListIndex(1);
  auto& frame = form_->add<Frame>("frm");
  frame.setCaption("Group");
  auto& list = form_->add<ListBox>("lst", &frame);
  list.setCheckBoxes(true);
  list.addItem("a");
  list.addItem("b");
  list.setChecked(1, true);
  auto& view = form_->add<ListView>("lv");
  view.addColumn("n", "Name", 1440);
  view.addColumn("p", "Phone", 1440);
  view.setCell(view.addRow("Ann"), 1, "201");
  auto& bar = form_->add<ProgressBar>("bar");
  bar.setRange(0, 10);
  bar.setValue(4);
  form_->show();

  auto* window = drawn<QWidget>(*form_);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isWindow());
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->windowTitle(), "Test window");
  const double dpi = renderer_->dotsPerInch();
  EXPECT_EQ(window->width(), static_cast<int>(6000 * dpi / 1440 + 0.5));
  auto* qlabel = drawn<QLabel>(label);
  ASSERT_NE(qlabel, nullptr);
  EXPECT_EQ(qlabel->text(), "Name:");
  EXPECT_EQ(qlabel->geometry(), QRect(renderer_->pixels(120), renderer_->pixels(120),
                                      renderer_->pixels(1440), renderer_->pixels(240)));
  EXPECT_EQ(drawn<QLineEdit>(text)->echoMode(), QLineEdit::Password);
  EXPECT_EQ(drawn<QLineEdit>(text)->text(), "secret");
  EXPECT_EQ(drawn<QCheckBox>(check)->checkState(), Qt::PartiallyChecked);
  EXPECT_TRUE(drawn<QRadioButton>(option)->isChecked());
  EXPECT_TRUE(drawn<QPushButton>(ok)->isDefault());
  auto* qcombo = drawn<QComboBox>(combo);
  EXPECT_FALSE(qcombo->isEditable());
  EXPECT_EQ(qcombo->count(), 2);
  EXPECT_EQ(qcombo->currentIndex(), 1);
  EXPECT_EQ(qcombo->itemData(1).toInt(), 22);
  auto* qlist = drawn<QListWidget>(list);
  EXPECT_EQ(qlist->parentWidget(), drawn<QGroupBox>(frame));
  EXPECT_EQ(qlist->item(1)->checkState(), Qt::Checked);
  EXPECT_EQ(qlist->item(0)->checkState(), Qt::Unchecked);
  auto* tree = drawn<QTreeWidget>(view);
  EXPECT_EQ(tree->headerItem()->text(1), "Phone");
  EXPECT_EQ(tree->topLevelItem(0)->text(1), "201");
  EXPECT_EQ(drawn<QProgressBar>(bar)->value(), 4);

  // Changes by code reach the widgets.
  label.setCaption("Number:");
  text.setPasswordChar(0);
  combo.removeItem(0);
  list.addItem("c");
  list.setItemText(0, "A");
  view.setCell(0, 1, "202");
  bar.setValue(9);
  ok.setEnabled(false);
  form_->setCaption("Renamed");
  EXPECT_EQ(drawn<QLabel>(label)->text(), "Number:");
  EXPECT_EQ(drawn<QLineEdit>(text)->echoMode(), QLineEdit::Normal);
  EXPECT_EQ(qcombo->count(), 1);
  EXPECT_EQ(qcombo->currentText(), "two");
  ASSERT_EQ(qlist->count(), 3);
  EXPECT_EQ(qlist->item(0)->text(), "A");
  EXPECT_EQ(qlist->item(2)->text(), "c");
  EXPECT_EQ(tree->topLevelItem(0)->text(1), "202");
  EXPECT_EQ(drawn<QProgressBar>(bar)->value(), 9);
  EXPECT_FALSE(drawn<QPushButton>(ok)->isEnabled());
  EXPECT_EQ(window->windowTitle(), "Renamed");

  form_->hide();
  renderer_->flush();
  EXPECT_FALSE(window->isVisible());
}

TEST_F(RendererTest, TypingClicksAndKeysRaiseTheModelsEvents) {
  auto& text = form_->add<TextBox>("txt");
  auto& check = form_->add<CheckBox>("ch");
  check.setCaption("Check");  // the box takes clicks on its mark and its text
  check.move(120, 600, 1440, 300);
  auto& ok = form_->add<CommandButton>("btnOK");
  ok.setDefault(true);
  ok.move(120, 1200, 1200, 360);
  auto& cancel = form_->add<CommandButton>("btnCancel");
  cancel.setCancel(true);
  cancel.move(1500, 1200, 1200, 360);
  std::vector<std::string> events;
  text.onChange = [&] { events.push_back("change " + text.text()); };
  text.onKeyPress = [&](KeyPressEvent& e) {
    if (e.keyAscii == 'x') e.keyAscii = 0;  // the handler swallows x
  };
  text.onGotFocus = [&] { events.push_back("focus txt"); };
  text.onLostFocus = [&] { events.push_back("leave txt"); };
  check.onClick = [&] { events.push_back("check " + std::to_string(check.value())); };
  ok.onClick = [&] { events.push_back("ok"); };
  cancel.onClick = [&] { events.push_back("cancel"); };
  form_->show();
  auto* edit = drawn<QLineEdit>(text);
  ASSERT_NE(edit, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(renderer_->window(*form_)));

  QTest::mouseClick(edit, Qt::LeftButton);
  QTest::keyClicks(edit, "axb");
  renderer_->flush();
  EXPECT_EQ(text.text(), "ab");
  EXPECT_EQ(edit->text(), "ab");
  QTest::keyClick(edit, Qt::Key_Backspace);
  EXPECT_EQ(text.text(), "a");
  QTest::keyClick(edit, Qt::Key_Return);  // the default button, the focus stays
  QTest::mouseClick(drawn<QCheckBox>(check), Qt::LeftButton);
  EXPECT_EQ(check.value(), 1);
  EXPECT_TRUE(drawn<QCheckBox>(check)->isChecked());
  QTest::keyClick(drawn<QCheckBox>(check), Qt::Key_Escape);
  QTest::keyClick(drawn<QCheckBox>(check), Qt::Key_Tab);  // the model's tab order
  EXPECT_EQ(form_->activeControl(), &ok);
  renderer_->flush();
  // The window's focus child, not hasFocus(): that also needs the window activated, which the
  // display server does in its own time.
  EXPECT_EQ(renderer_->window(*form_)->focusWidget(), drawn<QPushButton>(ok));
  EXPECT_EQ(events, (std::vector<std::string>{"focus txt", "change a", "change ab", "change a",
                                              "ok", "leave txt", "check 1", "cancel"}));
}

TEST_F(RendererTest, TheCloseBoxAsksTheFormAndMayBeRefused) {
  bool refuse = true;
  std::vector<int> modes;
  form_->onQueryUnload = [&](bool& cancel, UnloadMode mode) {
    modes.push_back(static_cast<int>(mode));
    cancel = refuse;
  };
  form_->show();
  QWidget* window = drawn<QWidget>(*form_);
  ASSERT_NE(window, nullptr);
  window->close();
  renderer_->flush();
  EXPECT_TRUE(form_->loaded());
  EXPECT_TRUE(window->isVisible());
  refuse = false;
  window->close();
  renderer_->flush();
  EXPECT_FALSE(form_->loaded());
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(modes, (std::vector<int>{0, 0}));  // both from the close box
}

// A modal form is a modal window over its owner; while its nested loop runs, a post from another
// thread and a synchronous send are served, and the person's click ends it.
TEST_F(RendererTest, ModalWindowsRunTheNestedLoopWithQtAndOtherThreads) {
  form_->show();
  Form dialog(toolkit_, "fDialog");
  auto& close = dialog.add<CommandButton>("btnClose");
  close.onClick = [&] { dialog.hide(); };
  std::atomic<bool> sent{false};
  std::thread other;
  loop_.post([&] {
    QWidget* window = drawn<QWidget>(dialog);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(window->windowHandle()->transientParent(), renderer_->window(*form_)->windowHandle());
    other = std::thread([&] {
      auto answer = loop_.send([&] { return dialog.visible(); });
      sent = answer.value_or(false);
      loop_.post([&] { QTest::mouseClick(drawn<QPushButton>(close), Qt::LeftButton); });
    });
  });
  auto started = std::chrono::steady_clock::now();
  EXPECT_TRUE(dialog.show(ShowMode::Modal, form_.get()));
  other.join();
  EXPECT_TRUE(sent);
  EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
  renderer_->flush();
  EXPECT_FALSE(renderer_->window(dialog)->isVisible());
}

TEST_F(RendererTest, ToolkitTimersFireOnTimeWhileQtWaits) {
  auto& timer = form_->add<TimerControl>("Timer1");
  std::vector<std::chrono::steady_clock::time_point> ticks;
  timer.onTimer() = [&] { ticks.push_back(std::chrono::steady_clock::now()); };
  form_->show();
  auto start = std::chrono::steady_clock::now();
  timer.setInterval(40);
  timer.setTimerEnabled(true);
  ASSERT_TRUE(runUntil([&] { return ticks.size() >= 3; }));
  EXPECT_GE(ticks[0] - start, 40ms);
  EXPECT_GE(ticks[2] - ticks[1], 35ms);
}

TEST_F(RendererTest, ScreenshotsOnShowAndOnANewCaption) {
  testsupport::TempFolder folder;
  renderer_.reset();
  renderer_ =
      std::make_unique<QtRenderer>(toolkit_, QtRenderer::Options{folder.path().string(), true});
  form_->add<Label>("lbl").setCaption("Hello");
  form_->show();
  renderer_->flush();
  form_->setCaption("Second");
  renderer_->flush();
  form_->move(0, 0);  // no new picture
  renderer_->flush();
  ASSERT_EQ(renderer_->screenshotFiles().size(), 2u);
  EXPECT_EQ(std::filesystem::path(renderer_->screenshotFiles()[0]).filename(), "0001-fTest.png");
  EXPECT_TRUE(QImage(QString::fromStdString(renderer_->screenshotFiles()[1])).width() > 100);
}

TEST_F(RendererTest, MessageBoxesAreRealDialogsAnsweredByTheirButtons) {
  renderer_.reset();
  renderer_ = std::make_unique<QtRenderer>(toolkit_,
                                           QtRenderer::Options{testing::screenshotFolder(), false});
  shell::LinuxShell shell(toolkit_);
  loop_.post([&] {
    Form* box = toolkit_.findForm("MsgBox");
    ASSERT_NE(box, nullptr);
    QWidget* window = drawn<QWidget>(*box);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Ringova");
    EXPECT_EQ(window->windowModality(), Qt::ApplicationModal);
    EXPECT_FALSE(drawn<QLabel>(*box->find("lblIcon"))->pixmap().isNull());
    QTest::mouseClick(drawn<QPushButton>(*box->find("btn1")), Qt::LeftButton);
  });
  EXPECT_EQ(shell.messageBox("Really?", "Ringova", shell::MsgBoxButtons::YesNo,
                             shell::MsgBoxIcon::Question),
            shell::MsgBoxResult::No);
}

TEST_F(RendererTest, TrayIconClicksReachTheIconAndBeepsTheDesktop) {
  shell::LinuxShell shell(toolkit_);
  QtShell desktop(shell);
  std::vector<int> mouse;
  auto id = shell.addTrayIcon({"Call from 201", [&](int m) { mouse.push_back(m); }});
  QSystemTrayIcon* icon = desktop.trayIcon(id);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->toolTip(), "Call from 201");
  Q_EMIT icon->activated(QSystemTrayIcon::Trigger);
  Q_EMIT icon->activated(QSystemTrayIcon::DoubleClick);
  EXPECT_EQ(mouse, (std::vector<int>{shell::tray::LeftButtonDown, shell::tray::LeftButtonUp,
                                     shell::tray::LeftButtonDoubleClick}));
  shell.deleteTrayIcon(id);
  EXPECT_EQ(desktop.trayIcon(id), nullptr);
  shell.beep(800, 100);
  EXPECT_EQ(desktop.beeps(), 1);
}

}  // namespace
}  // namespace platform::ui::qt
