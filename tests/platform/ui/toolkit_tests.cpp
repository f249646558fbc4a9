#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "platform/ui/toolkit.h"
#include "platform/ui/ui_driver.h"

namespace platform::ui {
namespace {

using namespace std::chrono_literals;

class ToolkitTest : public ::testing::Test {
 protected:
  ManualClock clock;
  MessageLoop loop{clock};
  Toolkit toolkit{loop};
};

TEST_F(ToolkitTest, ModalFormsNestAndEachShowReturnsWhenItsFormIsHidden) {
  Form outer(toolkit, "outer"), inner(toolkit, "inner");
  auto& below = outer.add<CommandButton>("btnApply");
  std::vector<std::string> trace;
  UiDriver driver(toolkit);
  driver.expect("outer", [&](Form&) {
    trace.push_back("outer up, depth " + std::to_string(loop.depth()));
    inner.show(ShowMode::Modal, &outer);
    trace.push_back("inner returned, outer modal " + std::to_string(outer.modal()));
    outer.hide();
  });
  driver.expect("inner", [&](Form& f) {
    trace.push_back("inner up, depth " + std::to_string(loop.depth()));
    EXPECT_EQ(toolkit.topModal(), &inner);
    EXPECT_FALSE(toolkit.acceptsInput(outer));  // the user can't reach the form below
    EXPECT_TRUE(toolkit.acceptsInput(inner));
    EXPECT_FALSE(driver.click(below));
    f.hide();
  });
  outer.show(ShowMode::Modal);
  trace.push_back("outer returned");
  EXPECT_EQ(trace, (std::vector<std::string>{"outer up, depth 1", "inner up, depth 2",
                                             "inner returned, outer modal 1", "outer returned"}));
  EXPECT_TRUE(toolkit.modalStack().empty());
  EXPECT_EQ(inner.owner(), &outer);
  EXPECT_EQ(driver.failures().size(), 1u);  // the click below the modal form
}

TEST_F(ToolkitTest, FormShownAfterTheModalOneTakesInput) {
  Form modal(toolkit, "modal"), popup(toolkit, "popup");
  UiDriver driver(toolkit);
  driver.expect("modal", [&](Form& f) {
    popup.show();  // an arriving call pops up while a modal window is open
    EXPECT_TRUE(toolkit.acceptsInput(popup));
    f.hide();
  });
  modal.show(ShowMode::Modal);
  EXPECT_TRUE(driver.failures().empty());
}

TEST_F(ToolkitTest, DestroyingAFormInsideItsModalLoopEndsTheLoop) {
  auto form = std::make_unique<Form>(toolkit, "doomed");
  UiDriver driver(toolkit);
  driver.expect("doomed", [&](Form&) { loop.post([&] { form.reset(); }); });
  Form* raw = form.get();
  raw->show(ShowMode::Modal);
  EXPECT_EQ(form, nullptr);
  EXPECT_EQ(toolkit.findForm("doomed"), nullptr);
}

TEST_F(ToolkitTest, UnloadAsksQueryUnloadWhichMayRefuseAndStopsTimers) {
  Form form(toolkit, "f");
  auto& timer = form.add<TimerControl>("TimerInc");
  int loads = 0, unloads = 0;
  bool refuse = true;
  std::vector<UnloadMode> modes;
  form.onLoad = [&] { ++loads; };
  form.onQueryUnload = [&](bool& cancel, UnloadMode mode) {
    modes.push_back(mode);
    cancel = refuse && mode == UnloadMode::CloseBox;
  };
  form.onUnload = [&](bool&) { ++unloads; };
  form.show();
  timer.setInterval(1000);
  timer.setTimerEnabled(true);

  EXPECT_FALSE(form.unload(UnloadMode::CloseBox));
  EXPECT_TRUE(form.visible());
  EXPECT_EQ(unloads, 0);
  EXPECT_TRUE(form.unload(UnloadMode::Code));
  EXPECT_FALSE(form.loaded());
  EXPECT_FALSE(form.visible());
  EXPECT_FALSE(timer.timerEnabled());
  EXPECT_EQ(unloads, 1);
  EXPECT_EQ(modes, (std::vector<UnloadMode>{UnloadMode::CloseBox, UnloadMode::Code}));

  form.show();  // loads again
  EXPECT_EQ(loads, 2);
}

TEST_F(ToolkitTest, ValueChangesByCodeRaiseTheUserEvents) {
  Form form(toolkit, "f");
  auto& check = form.add<CheckBox>("chSecure");
  auto& frame = form.add<Frame>("frLoad");
  auto& all = form.add<OptionButton>("optLoadAll", &frame);
  auto& sel = form.add<OptionButton>("optLoadSel", &frame);
  auto& text = form.add<TextBox>("txtPort");
  std::vector<std::string> events;
  check.onClick = [&] { events.push_back("check " + std::to_string(check.value())); };
  all.onClick = [&] { events.push_back("all"); };
  sel.onClick = [&] { events.push_back("sel"); };
  text.onChange = [&] { events.push_back("text " + text.text()); };

  check.setValue(1);
  check.setValue(1);  // no change, no event
  all.setValue(true);
  sel.setValue(true);
  text.setText("4849");
  text.setText("4849");
  EXPECT_EQ(events, (std::vector<std::string>{"check 1", "all", "sel", "text 4849"}));
  EXPECT_FALSE(all.value());  // one option of a container at a time
  EXPECT_TRUE(sel.value());
}

TEST_F(ToolkitTest, ComboBoxStylesAndItemData) {
  Form form(toolkit, "f");
  auto& list = form.add<ComboBox>("cboCountry");
  list.setStyle(ComboStyle::DropDownList);
  int clicks = 0, changes = 0;
  list.onClick = [&] { ++clicks; };
  list.onChange = [&] { ++changes; };
  list.addItem("");
  list.addItem("Germany", 49);
  list.addItem("France", 33);
  EXPECT_TRUE(list.trySetText("france"));
  EXPECT_EQ(list.listIndex(), 2);
  EXPECT_EQ(list.text(), "France");
  EXPECT_FALSE(list.trySetText("Atlantis"));
  EXPECT_EQ(list.text(), "France");
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(changes, 0);
  list.removeItem(1);  // the selection follows its entry
  EXPECT_EQ(list.listIndex(), 1);
  EXPECT_EQ(list.itemData(1), 33);
  EXPECT_EQ(list.findItemData(33), 1);
  EXPECT_EQ(list.findItemData(49), -1);

  auto& edit = form.add<ComboBox>("cboFwd");
  edit.onChange = [&] { ++changes; };
  edit.addItem("Ann", 7);
  edit.setText("Someone");
  EXPECT_EQ(edit.listIndex(), -1);
  EXPECT_EQ(changes, 1);
  edit.setListIndex(0);  // picking an entry is a click with the entry's text, not a change
  EXPECT_EQ(edit.text(), "Ann");
  EXPECT_EQ(changes, 1);
  edit.clear();
  EXPECT_EQ(edit.text(), "");
  EXPECT_EQ(edit.count(), 0);
}

TEST_F(ToolkitTest, LostFocusHandlerCanKeepTheFocus) {
  Form form(toolkit, "f");
  auto& timeout = form.add<TextBox>("timeout");
  auto& other = form.add<TextBox>("other");
  int gotOther = 0;
  timeout.onLostFocus = [&] {
    if (timeout.text().empty()) {
      timeout.setText("1");
      timeout.setFocus();  // correcting: the focus stays in the field
    }
  };
  other.onGotFocus = [&] { ++gotOther; };
  form.show();
  ASSERT_TRUE(timeout.setFocus());
  other.setFocus();
  EXPECT_TRUE(timeout.hasFocus());
  EXPECT_EQ(timeout.text(), "1");
  EXPECT_EQ(gotOther, 0);
  other.setFocus();
  EXPECT_TRUE(other.hasFocus());
  EXPECT_EQ(gotOther, 1);
}

TEST_F(ToolkitTest, TabOrderSkipsControlsThatCannotTakeTheFocus) {
  Form form(toolkit, "f");
  auto& a = form.add<TextBox>("a");
  form.add<Label>("label");
  auto& hidden = form.add<TextBox>("hidden");
  auto& frame = form.add<Frame>("frame");
  auto& inDisabledFrame = form.add<CommandButton>("b", &frame);
  auto& c = form.add<CheckBox>("c");
  hidden.setVisible(false);
  frame.setEnabled(false);
  form.show();
  a.setFocus();
  EXPECT_TRUE(form.focusNext());
  EXPECT_TRUE(c.hasFocus());
  EXPECT_TRUE(form.focusNext());
  EXPECT_TRUE(a.hasFocus());
  EXPECT_TRUE(form.focusNext(true));
  EXPECT_TRUE(c.hasFocus());
  EXPECT_FALSE(inDisabledFrame.setFocus());
  c.setEnabled(false);  // the focus moves on
  EXPECT_TRUE(a.hasFocus());
}

TEST_F(ToolkitTest, ALayoutPlacesTheNamedControlsAndPassesOverOthers) {
  Form form(toolkit, "f");
  auto& frame = form.add<Frame>("frame");
  auto& inFrame = form.add<TextBox>("inFrame", &frame);
  auto& untouched = form.add<Label>("untouched");
  constexpr Placement kLayout[] = {
      {"inFrame", 120, 240, 2400, 315}, {"missing", 1, 2, 3, 4}, {"frame", 60, 60, 4800, 1095}};
  form.place(kLayout);
  EXPECT_EQ(inFrame.left(), 120);
  EXPECT_EQ(inFrame.top(), 240);
  EXPECT_EQ(inFrame.width(), 2400);
  EXPECT_EQ(frame.width(), 4800);
  EXPECT_EQ(untouched.left(), 0);
  EXPECT_EQ(untouched.width(), 1215);
}

TEST_F(ToolkitTest, ListsKeepSelectionAndTicks) {
  Form form(toolkit, "f");
  auto& folders = form.add<ListBox>("lstContactFolders");
  folders.setCheckBoxes(true);
  std::vector<int> checks;
  folders.onItemCheck = [&](int i) { checks.push_back(i); };
  folders.addItem("\\\\Mailbox\\Contacts (3)");
  folders.addItem("\\\\Mailbox\\Contacts\\Work (0)");
  folders.setChecked(1, true);
  folders.setChecked(1, true);
  EXPECT_EQ(checks, std::vector<int>{1});
  folders.addItem("first", 0, 0);
  EXPECT_TRUE(folders.checked(2));

  auto& rules = form.add<ListView>("lstDialing");
  rules.addColumn("Pattern", "Pattern", 2000);
  rules.addColumn("Description", "Description", 2500);
  int r = rules.addRow("49*");
  rules.setCell(r, 1, "Germany");
  rules.setSelectedRow(r);
  rules.addRow("1*", 0);
  EXPECT_EQ(rules.selectedRow(), 1);
  EXPECT_EQ(rules.cell(1, 1), "Germany");
  EXPECT_EQ(rules.cell(0, 1), "");
  rules.removeRow(1);
  EXPECT_EQ(rules.selectedRow(), -1);

  auto& bar = form.add<ProgressBar>("ProgressBar1");
  bar.setRange(0, 2);
  EXPECT_TRUE(bar.setValue(2));
  EXPECT_FALSE(bar.setValue(3));
  EXPECT_EQ(bar.value(), 2);
}

TEST_F(ToolkitTest, FormTimerTicksThroughTheLoop) {
  Form form(toolkit, "fIncoming");
  auto& play = form.add<TimerControl>("TimerPlay");
  int ticks = 0;
  play.onTimer() = [&] {
    play.setTimerEnabled(false);  // one shot
    ++ticks;
  };
  play.setInterval(3000);
  play.setTimerEnabled(true);
  clock.advance(3s);
  loop.doEvents();
  clock.advance(3s);
  loop.doEvents();
  EXPECT_EQ(ticks, 1);
}

}  // namespace
}  // namespace platform::ui
