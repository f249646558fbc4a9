#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/shell/recording_shell.h"
#include "platform/ui/clock.h"
#include "platform/ui/ui_driver.h"
#include "ringova_outlook/dialing/dialing_editor.h"
#include "ringova_outlook/dialing/rules_file.h"
#include "ringova_outlook/resources/string_table.h"
#include "tests/support/temp_folder.h"

namespace ringova {
namespace {

using platform::ui::Form;
using platform::ui::key::Back;

class EditorTest : public ::testing::Test {
 protected:
  EditorTest() { SetUserLanguage(Language::English); }

  // Opens the editor modally and plays `user` on it; the editor must be closed by `user`.
  void Run(std::function<void()> user) {
    driver.expect("fDialing", [user = std::move(user)](Form&) { user(); });
    editor.Open(nullptr);
    EXPECT_TRUE(driver.failures().empty()) << driver.failures().front();
  }
  std::vector<std::string> Row(int row) const {
    std::vector<std::string> texts;
    for (int f = 0; f < kDialRuleFields; ++f) texts.push_back(editor.lstDialing.cell(row, f));
    return texts;
  }
  std::vector<std::string> Boxes() const {
    std::vector<std::string> texts;
    for (auto* box : editor.txtField) texts.push_back(box->text());
    return texts;
  }
  std::vector<std::string> Patterns() const {
    std::vector<std::string> out;
    for (const DialRule& r : table.Rules()) out.push_back(r.Pattern);
    return out;
  }
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> out;
    for (const auto& b : shell.messageBoxes()) out.push_back(b.text);
    return out;
  }
  void Type(int field, std::string_view text) {
    ASSERT_TRUE(driver.focus(*editor.txtField[field]));
    editor.txtField[field]->setSelStart(static_cast<int>(editor.txtField[field]->text().size()));
    ASSERT_TRUE(driver.type(text));
  }
  void Click(platform::ui::Control& c) { ASSERT_TRUE(driver.click(c)); }
  std::string FileText() const {
    return testsupport::ReadFile(folder.withSlash() + kRulesFileName);
  }

  testsupport::TempFolder folder;
  platform::ui::ManualClock clock;
  platform::ui::MessageLoop loop{clock};
  platform::ui::Toolkit toolkit{loop};
  platform::ui::UiDriver driver{toolkit};
  platform::shell::RecordingShell shell;
  RuleTable table;
  std::vector<std::string> log;
  DialingEditor editor{{toolkit, shell, table, [this](std::string_view l) { log.emplace_back(l); },
                        [this] { return folder.withSlash(); }, nullptr}};
};

TEST_F(EditorTest, OpensWithCaptionsColumnsAndOneRowPerRule) {
  ASSERT_TRUE(table.SetRules({{"0.", "1", "9", "", "outside"}, {"1XX", "", "", "#", ""}}));
  Run([&] {
    EXPECT_EQ(editor.caption(), "Dialing options...");
    EXPECT_EQ(editor.btnCancel.caption(), "Close ");
    EXPECT_EQ(editor.btnEditCancel.caption(), "Cancel");
    ASSERT_EQ(editor.lstDialing.columns().size(), 5u);
    EXPECT_EQ(editor.lstDialing.columns()[1].heading, "Discarded Symbols");
    EXPECT_EQ(editor.lstDialing.columns()[4].width, 2500);
    EXPECT_EQ(Row(0), (std::vector<std::string>{"0.", "1", "9", "", "outside"}));
    EXPECT_EQ(Row(1), (std::vector<std::string>{"1XX", "", "", "#", ""}));
    EXPECT_FALSE(editor.frFields.enabled());
    EXPECT_EQ(editor.mode(), DialingEditor::Mode::Idle);
    Click(editor.btnCancel);
  });
  // Closing without changes writes the same rules back.
  EXPECT_EQ(FileText(), FormatRules(table.Rules()));
  EXPECT_FALSE(editor.loaded());
}

TEST_F(EditorTest, AddChecksTheFieldsWhileTypingAndUpdatesTheTableAtOnce) {
  Run([&] {
    Click(editor.btnAdd);
    EXPECT_TRUE(editor.frFields.enabled());
    EXPECT_TRUE(editor.txtField[0]->hasFocus());
    ASSERT_TRUE(driver.type("0 (5"));  // the blank and "(" are refused as typed
    EXPECT_EQ(editor.txtField[0]->text(), "05");
    Type(0, "-\"X.");
    EXPECT_EQ(editor.txtField[0]->text(), "05X.");
    Type(1, "-1");
    EXPECT_EQ(editor.txtField[1]->text(), "1");
    Type(1, "+2$");
    EXPECT_EQ(editor.txtField[1]->text(), "12");
    ASSERT_TRUE(driver.press(Back));
    ASSERT_TRUE(driver.press(Back));
    EXPECT_EQ(editor.txtField[1]->text(), "");  // empty keeps the whole number
    Type(1, "3");
    Type(2, " 9 ");
    Type(3, "a\"b");  // quotes are refused in every field
    EXPECT_EQ(editor.txtField[3]->text(), "ab");
    Type(4, "Long (distance) - call");
    Click(editor.btnSave);
    EXPECT_FALSE(editor.frFields.enabled());
    EXPECT_EQ(Row(0), (std::vector<std::string>{"05X.", "3", "9", "ab", "Long (distance) - call"}));
    EXPECT_EQ(editor.selectedRow(), 0);
    // The table already holds the new rule while the editor is open.
    EXPECT_EQ(Patterns(), (std::vector<std::string>{"05X."}));
    Click(editor.btnCancel);
  });
  EXPECT_EQ(log, (std::vector<std::string>{"UpdateRules: Add - 05X.", "SaveRules: Start"}));
  std::vector<DialRule> read;
  std::string error;
  ASSERT_TRUE(ReadRulesFile(folder.withSlash() + kRulesFileName, read, error));
  EXPECT_EQ(read, table.Rules());
}

TEST_F(EditorTest, SaveWithoutPatternAndEditOrDeleteWithoutRowOnlyShowAMessage) {
  ASSERT_TRUE(table.SetRules({{"1XX", "", "", "#", ""}}));
  Run([&] {
    Click(editor.btnEdit);
    Click(editor.btnDelete);
    Click(editor.btnAdd);
    Type(2, "9");
    Click(editor.btnSave);
    EXPECT_TRUE(editor.frFields.enabled());
    EXPECT_EQ(editor.lstDialing.rowCount(), 1);
    Click(editor.btnEditCancel);
    EXPECT_FALSE(editor.frFields.enabled());
    EXPECT_EQ(editor.lstDialing.rowCount(), 1);
    Click(editor.btnCancel);
  });
  EXPECT_EQ(BoxTexts(),
            (std::vector<std::string>{"Select the row", "Select the row", "Enter the pattern"}));
  EXPECT_EQ(shell.messageBoxes()[0].title, "Ringova");
  EXPECT_EQ(Patterns(), (std::vector<std::string>{"1XX"}));
  EXPECT_EQ(log, (std::vector<std::string>{"SaveRules: Start"}));
}

TEST_F(EditorTest, EditOverwritesTheSelectedRowWithTrimmedFields) {
  ASSERT_TRUE(table.SetRules({{"0.", "1", "9", "", "a"}, {"1XX", "", "", "#", "b"}}));
  Run([&] {
    ASSERT_TRUE(driver.clickRow(editor.lstDialing, 1));
    Click(editor.btnEdit);
    EXPECT_EQ(Boxes(), (std::vector<std::string>{"1XX", "", "", "#", "b"}));
    EXPECT_EQ(editor.mode(), DialingEditor::Mode::Editing);
    Type(0, " ");
    EXPECT_EQ(editor.txtField[0]->text(), "1XX");
    Type(1, "1");
    Type(4, "  ");
    Click(editor.btnSave);
    Click(editor.btnCancel);
  });
  EXPECT_EQ(table.Rules()[1], (DialRule{"1XX", "1", "", "#", "b"}));
  EXPECT_EQ(table.Rules()[0], (DialRule{"0.", "1", "9", "", "a"}));
  EXPECT_EQ(log.front(), "UpdateRules: Edit - 1XX");
}

TEST_F(EditorTest, UpAndDownMoveTheSelectedRuleAndStopAtTheEnds) {
  ASSERT_TRUE(
      table.SetRules({{"A", "", "", "", ""}, {"B", "", "", "", ""}, {"C", "", "", "", ""}}));
  Run([&] {
    Click(editor.btnUp);  // no row selected: nothing
    ASSERT_TRUE(driver.clickRow(editor.lstDialing, 0));
    Click(editor.btnUp);  // first row: nothing
    Click(editor.btnDown);
    Click(editor.btnDown);
    EXPECT_EQ(editor.selectedRow(), 2);
    Click(editor.btnDown);  // last row: nothing
    EXPECT_EQ(Patterns(), (std::vector<std::string>{"B", "C", "A"}));
    Click(editor.btnUp);
    EXPECT_EQ(editor.selectedRow(), 1);
    EXPECT_EQ(editor.lstDialing.selectedRow(), 1);
    Click(editor.btnCancel);
  });
  EXPECT_EQ(Patterns(), (std::vector<std::string>{"B", "A", "C"}));
  EXPECT_EQ(log, (std::vector<std::string>{"UpdateRules: Down - A", "UpdateRules: Down - A",
                                           "UpdateRules: Up - A", "SaveRules: Start"}));
}

TEST_F(EditorTest, DeletingEveryRowLeavesAnEmptyTableAndFile) {
  ASSERT_TRUE(table.SetRules({{"A", "", "", "", ""}, {"B", "", "", "", ""}}));
  Run([&] {
    ASSERT_TRUE(driver.clickRow(editor.lstDialing, 1));
    Click(editor.btnDelete);
    EXPECT_EQ(editor.selectedRow(), 0);  // the first remaining row
    Click(editor.btnDelete);
    EXPECT_EQ(editor.selectedRow(), -1);
    Click(editor.btnDelete);               // nothing left to delete
    EXPECT_TRUE(driver.closeBox(editor));  // the close box saves too
  });
  EXPECT_EQ(table.RuleCount(), 0);
  EXPECT_EQ(FileText(), "");
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Select the row"}));
  EXPECT_EQ(log, (std::vector<std::string>{"UpdateRules: Delete - B", "UpdateRules: Delete - A",
                                           "SaveRules: Start"}));
}

TEST_F(EditorTest, ReopeningShowsTheCurrentTableOnce) {
  ASSERT_TRUE(table.SetRules({{"A", "", "", "", ""}}));
  Run([&] { Click(editor.btnCancel); });
  ASSERT_TRUE(table.SetRules({{"A", "", "", "", ""}, {"B", "", "", "", ""}}));
  Run([&] {
    EXPECT_EQ(editor.lstDialing.rowCount(), 2);
    EXPECT_EQ(editor.lstDialing.columns().size(), 5u);
    EXPECT_EQ(editor.selectedRow(), -1);
    Click(editor.btnCancel);
  });
}

TEST(FieldCheckTest, WhatEachFieldAccepts) {
  EXPECT_TRUE(FieldTextAccepted(0, "+49X.[157]!*#"));
  // The matcher knows ranges, but the editor keeps "-" out of patterns.
  EXPECT_FALSE(FieldTextAccepted(0, "[1-5]"));
  for (const char* bad : {"0 1", "0-1", "(0", "0)", "\""}) EXPECT_FALSE(FieldTextAccepted(0, bad));
  for (const char* good : {"", "3", " 3 ", "1.5", "2e1"}) EXPECT_TRUE(FieldTextAccepted(1, good));
  for (const char* bad : {"-1", "+2", "$3", "x", ".", "1e", "1 2", "\"1\""})
    EXPECT_FALSE(FieldTextAccepted(1, bad)) << bad;
  EXPECT_TRUE(FieldTextAccepted(4, "any (text) - at all"));
  EXPECT_FALSE(FieldTextAccepted(2, "9\""));
}

}  // namespace
}  // namespace ringova
