#include <gtest/gtest.h>

#include "ringova_outlook/support/note_window.h"
#include "ringova_outlook/support/support_windows.h"
#include "tests/ringova_outlook/support/desktop_fixture.h"

namespace ringova {
namespace {

using platform::ui::Form;
using platform::ui::MousePointer;

class NoteWindowTest : public ::testing::Test {
 protected:
  testing_support::Desktop desktop;
  NoteWindow note{desktop.toolkit};

  void TearDown() override {
    EXPECT_TRUE(desktop.driver.failures().empty())
        << ::testing::PrintToString(desktop.driver.failures());
    EXPECT_EQ(desktop.driver.pendingAnswers(), 0);
  }
};

TEST_F(NoteWindowTest, CaptionsAndBothButtons) {
  desktop.driver.expect("fNote", [&](Form& form) {
    EXPECT_EQ(form.caption(), "Ringova - Make Call ");
    EXPECT_EQ(note.Label1().caption(), "There is an active call. Would you like to close it?");
    EXPECT_TRUE(note.OKButton().visible());
    EXPECT_EQ(note.OKButton().caption(), "Close ");
    EXPECT_TRUE(note.CancelButton().visible());
    EXPECT_EQ(note.CancelButton().caption(), "Cancel");
    EXPECT_TRUE(form.modal());
    desktop.driver.click(note.OKButton());
  });
  EXPECT_TRUE(note.ShowNote("There is an active call. Would you like to close it?", "Make Call ",
                            "Close ", "Cancel"));
  EXPECT_TRUE(note.NoteResult());
  EXPECT_EQ(note.mousePointer(), MousePointer::Hourglass);
  EXPECT_FALSE(note.visible());
}

TEST_F(NoteWindowTest, CancelAnswersFalseAndResetsThePointer) {
  desktop.driver.expect("fNote", [&](Form&) {
    EXPECT_EQ(note.mousePointer(), MousePointer::Default);
    desktop.driver.click(note.CancelButton());
  });
  note.setMousePointer(MousePointer::Hourglass);
  EXPECT_FALSE(note.ShowNote("Check version for update...", "Update...", "Continue", "Cancel"));
}

TEST_F(NoteWindowTest, EmptyCancelCaptionShowsOnlyOkAndTheCloseBoxAnswersFalse) {
  desktop.driver.expect("fNote", [&](Form& form) {
    EXPECT_TRUE(note.OKButton().visible());
    EXPECT_FALSE(note.CancelButton().visible());
    EXPECT_TRUE(desktop.driver.closeBox(form));
  });
  EXPECT_FALSE(note.ShowNote("Only OK", "", "OK", ""));
  EXPECT_FALSE(note.NoteResult());
}

TEST_F(NoteWindowTest, EmptyTitleKeepsThePreviousCaption) {
  desktop.driver.expect("fNote", [&](Form& form) {
    EXPECT_EQ(form.caption(), "Ringova");
    desktop.driver.click(note.OKButton());
  });
  note.ShowNote("first", "", "OK", "");
  desktop.driver.expect("fNote", [&](Form&) { desktop.driver.click(note.OKButton()); });
  note.ShowNote("second", "Update...", "OK", "");
  desktop.driver.expect("fNote", [&](Form& form) {
    EXPECT_EQ(form.caption(), "Ringova - Update...");
    EXPECT_EQ(note.Label1().caption(), "third");
    EXPECT_TRUE(note.CancelButton().visible());  // shown again once it has a caption
    desktop.driver.click(note.CancelButton());
  });
  EXPECT_FALSE(note.ShowNote("third", "", "OK", "Later"));
}

TEST(SupportWindows, FreeShowNoteUsesTheInstalledWindowOwnedByTheSettingsWindow) {
  testing_support::Desktop desktop;
  LogFile log;
  Form settings(desktop.toolkit, "fMain");
  EXPECT_FALSE(ShowNote("nobody to ask", "", "OK", ""));
  {
    SupportWindows windows(desktop.toolkit, desktop.shell, log);
    windows.SetSettingsWindow(&settings);
    InstallSupportWindows(&windows);
    desktop.driver.expect("fNote", [&](Form& form) {
      EXPECT_EQ(form.owner(), &settings);
      desktop.driver.click("fNote", "OKButton");
    });
    EXPECT_TRUE(ShowNote("Would you like to reload contacts?", "", "Yes", "No"));
    EXPECT_TRUE(NoteResult());
  }
  EXPECT_FALSE(NoteResult());  // uninstalled with the windows
  EXPECT_TRUE(desktop.driver.failures().empty());
}

}  // namespace
}  // namespace ringova
