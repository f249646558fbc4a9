#include <gtest/gtest.h>

#include "platform/ui/controls.h"
#include "ringova_outlook/support/apply_ui_font.h"
#include "tests/ringova_outlook/support/desktop_fixture.h"

namespace ringova {
namespace {

using namespace platform::ui;

TEST(ApplyUIFont, EveryControlWithAFontGetsItNestedOnesToo) {
  testing_support::Desktop desktop;
  Form form(desktop.toolkit, "fMain");
  auto& frame = form.add<Frame>("frmFrom");
  auto& caller = form.add<TextBox>("txtCaller", &frame);
  auto& button = form.add<CommandButton>("cmdAccept");
  auto& timer = form.add<TimerControl>("TimerRec");
  button.setFont(Font{"Arial", 12, 0, true});
  UIFont tahoma{"Tahoma", 8, 204};
  ApplyUIFont(form, tahoma);
  Font expected{"Tahoma", 8, 204, false};
  EXPECT_EQ(form.font(), expected);
  EXPECT_EQ(frame.font(), expected);
  EXPECT_EQ(caller.font(), expected);
  EXPECT_EQ(button.font(), expected);
  EXPECT_EQ(timer.font(), Font{});  // a timer has no font and is passed over
}

}  // namespace
}  // namespace ringova
