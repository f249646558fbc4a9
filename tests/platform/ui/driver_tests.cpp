#include <gtest/gtest.h>

#include "platform/ui/form_dump.h"
#include "platform/ui/ui_driver.h"

namespace platform::ui {
namespace {

// A small settings dialog: two text boxes, a check box, Apply, Cancel; the close box only hides.
struct SettingsDialog {
  explicit SettingsDialog(Toolkit& toolkit) : form(toolkit, "fMain") {
    form.setCaption("Ringova Settings");
    address.setText("127.0.0.1");
    apply.setCaption("Apply");
    apply.setEnabled(false);
    cancel.setCaption("Close ");
    cancel.setCancel(true);
    secure.setCaption("Secure connection:");
    auto changed = [this] { apply.setEnabled(address.text() != "127.0.0.1" || port.text() != ""); };
    address.onChange = changed;
    port.onChange = changed;
    apply.onClick = [this] {
      applied = address.text() + ":" + port.text();
      apply.setEnabled(false);
    };
    cancel.onClick = [this] { form.hide(); };
    form.onQueryUnload = [this](bool& refuse, UnloadMode mode) {
      if (mode == UnloadMode::CloseBox) {
        refuse = true;
        form.hide();
      }
    };
  }
  Form form;
  TextBox& address = form.add<TextBox>("txtServAddr");
  TextBox& port = form.add<TextBox>("txtServPort");
  CheckBox& secure = form.add<CheckBox>("chSecure");
  CommandButton& apply = form.add<CommandButton>("btnApply");
  CommandButton& cancel = form.add<CommandButton>("btnCancel");
  std::string applied;
};

class DriverTest : public ::testing::Test {
 protected:
  ManualClock clock;
  MessageLoop loop{clock};
  Toolkit toolkit{loop};
  UiDriver driver{toolkit};
};

TEST_F(DriverTest, PlaysAShortDialogTypeTabClickAndARefusedCloseBox) {
  SettingsDialog dlg(toolkit);
  driver.expect("fMain", [&](Form&) {
    EXPECT_FALSE(driver.click(dlg.apply));  // disabled: refused
    driver.focus(dlg.address);
    dlg.address.setSelStart(0);
    dlg.address.setSelLength(9);
    EXPECT_TRUE(driver.type("pbx.local\t4850"));
    EXPECT_TRUE(dlg.port.hasFocus());
    EXPECT_TRUE(driver.press(key::Back));
    EXPECT_TRUE(driver.click(dlg.secure));
    EXPECT_TRUE(driver.click(dlg.apply));
    EXPECT_FALSE(driver.closeBox(dlg.form));  // refused: the form only hides
  });
  dlg.form.show(ShowMode::Modal);
  EXPECT_EQ(dlg.applied, "pbx.local:485");
  EXPECT_EQ(dlg.secure.value(), 1);
  EXPECT_TRUE(dlg.form.loaded());
  EXPECT_FALSE(dlg.form.visible());
  EXPECT_EQ(driver.failures().size(), 1u);  // the click on the disabled button
}

TEST_F(DriverTest, KeyEventsComeInOrderAndHandlersMaySwallowThem) {
  Form form(toolkit, "f");
  auto& box = form.add<ComboBox>("cboFwd");
  std::vector<std::string> events;
  box.onKeyDown = [&](KeyEvent& e) {
    events.push_back("down " + std::to_string(e.keyCode));
    if (e.keyCode == key::Up) e.keyCode = 0;
  };
  box.onKeyPress = [&](KeyPressEvent& e) {
    events.push_back("press " + std::to_string(e.keyAscii));
    if (e.keyAscii == '#') e.keyAscii = 0;
  };
  box.onChange = [&] { events.push_back("change " + box.text()); };
  box.onKeyUp = [&](KeyEvent& e) { events.push_back("up " + std::to_string(e.keyCode)); };
  box.addItem("Anderson");
  form.show();
  box.setFocus();
  driver.type("a#");
  driver.press(key::Up);
  driver.press(key::Down);
  EXPECT_EQ(events, (std::vector<std::string>{"down 65", "press 97", "change a", "up 65", "down 51",
                                              "press 35", "up 51", "down 38", "up 38", "down 40",
                                              "up 40"}));
  EXPECT_EQ(box.listIndex(), 0);  // Down picked the entry
  EXPECT_EQ(box.text(), "Anderson");
}

TEST_F(DriverTest, TypingReplacesTheSelectionLikeAutoComplete) {
  Form form(toolkit, "f");
  auto& box = form.add<ComboBox>("cboContacts");
  bool completing = true;
  box.onChange = [&] {
    if (!completing) return;
    completing = false;  // the handler's own text change raises change again
    box.setText("Anderson, Ann");
    box.setSelStart(1);
    box.setSelLength(12);
  };
  form.show();
  box.setFocus();
  driver.type("a");
  EXPECT_EQ(box.text(), "Anderson, Ann");
  driver.type("n");  // replaces the completed tail
  EXPECT_EQ(box.text(), "An");
  EXPECT_EQ(box.selStart(), 2);
}

TEST_F(DriverTest, ModalWithoutAScriptedAnswerIsRecordedAndClosed) {
  Form question(toolkit, "fNote");
  driver.expect("other", [](Form&) {});
  question.show(ShowMode::Modal);  // must not hang
  EXPECT_FALSE(question.visible());
  ASSERT_EQ(driver.failures().size(), 1u);
  EXPECT_NE(driver.failures()[0].find("fNote"), std::string::npos);
}

TEST_F(DriverTest, EnterClicksTheDefaultButtonAndEscapeTheCancelButton) {
  Form form(toolkit, "f");
  auto& text = form.add<TextBox>("t");
  auto& ok = form.add<CommandButton>("ok");
  auto& cancel = form.add<CommandButton>("cancel");
  ok.setDefault(true);
  cancel.setCancel(true);
  std::string pressed;
  ok.onClick = [&] { pressed += "ok "; };
  cancel.onClick = [&] { pressed += "cancel "; };
  form.show();
  text.setFocus();
  driver.press(key::Return);
  driver.press(key::Escape);
  EXPECT_EQ(pressed, "ok cancel ");
}

TEST_F(DriverTest, PickingFromAListSelectsWhileTheButtonIsDown) {
  Form form(toolkit, "f");
  auto& list = form.add<ListBox>("lstContacts");
  bool mouseDown = false, selectedWithMouse = false;
  list.onMouseDown = [&](const MouseEvent&) { mouseDown = true; };
  list.onMouseUp = [&](const MouseEvent&) { mouseDown = false; };
  list.onClick = [&] { selectedWithMouse = mouseDown; };
  list.addItem("Ann", 3);
  list.addItem("Bob", 5);
  form.show();
  EXPECT_TRUE(driver.pick(list, 1));
  EXPECT_TRUE(selectedWithMouse);
  EXPECT_EQ(list.itemData(list.listIndex()), 5);
  list.setFocus();
  driver.press(key::Up);
  EXPECT_FALSE(selectedWithMouse);
  EXPECT_EQ(list.listIndex(), 0);
}

TEST_F(DriverTest, DumpShowsControlsCaptionsAndStates) {
  SettingsDialog dlg(toolkit);
  auto& country = dlg.form.add<ComboBox>("cboCountry");
  country.setStyle(ComboStyle::DropDownList);
  country.addItem("");
  country.addItem("Germany", 49);
  country.setListIndex(1);
  dlg.form.move(0, 0, 6000, 4000);
  dlg.form.show();
  dlg.port.setFocus();
  EXPECT_EQ(dumpForm(dlg.form),
            "Form fMain \"Ringova Settings\" modeless 0,0 6000x4000\n"
            "  TextBox txtServAddr \"127.0.0.1\"\n"
            "  TextBox txtServPort \"\" focus sel=0+0\n"
            "  CheckBox chSecure \"Secure connection:\" value=0\n"
            "  CommandButton btnApply \"Apply\" disabled\n"
            "  CommandButton btnCancel \"Close \" cancel\n"
            "  ComboBox cboCountry \"Germany\" sel=0+7 list items=2 index=1\n"
            "    [0] \"\"\n"
            "    [1] \"Germany\" data=49\n");
}

// Lists, indexed controls, progress and timers each add their own numbers to the line.
TEST_F(DriverTest, DumpShowsListsRowsProgressAndTimers) {
  Form form(toolkit, "fList");
  auto& option = form.add<OptionButton>("optMode", nullptr, 2);
  option.setCaption("Fast");
  auto& box = form.add<ListBox>("lstRules");
  box.setCheckBoxes(true);
  box.addItem("0.", 7);
  box.addItem("1");
  box.setChecked(1, true);
  auto& view = form.add<ListView>("lvCalls");
  view.addColumn("who", "Caller", 1200);
  view.addColumn("when", "Time", 800);
  view.addRow("Ann");
  view.setCell(0, 1, "09:00");
  view.addRow("Bob");
  view.setSelectedRow(1);
  auto& progress = form.add<ProgressBar>("pbUpload");
  progress.setRange(0, 50);
  progress.setValue(20);
  auto& timer = form.add<TimerControl>("tmrPoll");
  timer.setInterval(250);
  form.move(10, 20, 300, 200);
  EXPECT_EQ(dumpForm(form),
            "Form fList \"\" unloaded 10,20 300x200\n"
            "  OptionButton optMode(2) \"Fast\"\n"
            "  ListBox lstRules \"\" items=2 index=-1\n"
            "    [0] \"0.\" data=7\n"
            "    [1] \"1\" checked\n"
            "  ListView lvCalls \"\" rows=2 selected=1\n"
            "    columns: \"Caller\"(1200) \"Time\"(800)\n"
            "    [0] \"Ann\" | \"09:00\"\n"
            "    *[1] \"Bob\" | \"\"\n"
            "  ProgressBar pbUpload value=20 range=0..50\n"
            "  Timer tmrPoll interval=250 stopped\n");
}

}  // namespace
}  // namespace platform::ui
