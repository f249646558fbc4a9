// The layout check finds what a person would see: faults planted in drawn forms are named with
// their control and size, and a sound form passes.
#include <QtWidgets/QWidget>
#include <algorithm>

#include "platform/ui/clock.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "platform/ui/qt/qt_renderer.h"
#include "tests/platform/ui/qt/gui_environment.h"
#include "tests/platform/ui/qt/layout_check.h"

namespace platform::ui::qt::testing {
namespace {

class LayoutCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_GUI();
    renderer_ = std::make_unique<QtRenderer>(toolkit_);
    form_ = std::make_unique<Form>(toolkit_, "fTest");
    form_->setCaption("Test");
    form_->move(0, 0, 6000, 4500);
  }
  void TearDown() override {
    form_.reset();
    renderer_.reset();
  }

  std::vector<LayoutFault> check(const LayoutRules& rules = {}) {
    form_->show();
    renderer_->flush();
    return checkFormLayout(*renderer_, *form_, rules);
  }
  static const LayoutFault* faultOf(const std::vector<LayoutFault>& faults,
                                    const std::string& control) {
    auto it = std::find_if(faults.begin(), faults.end(),
                           [&](const LayoutFault& f) { return f.control == control; });
    return it == faults.end() ? nullptr : &*it;
  }

  RealClock clock_;
  MessageLoop loop_{clock_};
  Toolkit toolkit_{loop_};
  std::unique_ptr<QtRenderer> renderer_;
  std::unique_ptr<Form> form_;
};

TEST_F(LayoutCheckTest, ASoundFormPasses) {
  auto& frame = form_->add<Frame>("frmBox");
  frame.setCaption("Box");
  frame.move(120, 120, 5700, 1500);
  auto& label = form_->add<Label>("lblName", &frame);
  label.setCaption("Name");
  label.move(120, 360, 1200, 255);
  auto& box = form_->add<TextBox>("txtName", &frame);
  box.setText("a name far longer than the box can show, which only has to stay inside");
  box.move(1440, 330, 4000, 315);
  auto& ok = form_->add<CommandButton>("btnOK");
  ok.setCaption("OK");
  ok.move(4560, 3900, 1200, 375);
  auto faults = check();
  EXPECT_TRUE(faults.empty()) << describe("fTest", "English", faults);
}

// A child placed in window coordinates inside a frame falls below the frame and is clipped.
TEST_F(LayoutCheckTest, AChildOutsideItsFrameIsNamedWithHowFarItSticksOut) {
  auto& frame = form_->add<Frame>("frmBox");
  frame.setCaption("Box");
  frame.move(120, 1500, 5700, 900);
  auto& box = form_->add<TextBox>("txtName", &frame);
  box.move(240, 1800, 3000, 315);  // in window coordinates: 1800 twips down in a 900 frame
  auto faults = check();
  const LayoutFault* f = faultOf(faults, "txtName");
  ASSERT_NE(f, nullptr) << describe("fTest", "English", faults);
  EXPECT_NE(f->what.find("below frmBox's client area"), std::string::npos) << f->what;
  QWidget* frameWidget = renderer_->widget(frame);
  QWidget* boxWidget = renderer_->widget(box);
  // At least the part beyond the frame's own bottom edge.
  EXPECT_GE(f->pixels, boxWidget->geometry().bottom() - frameWidget->height() + 1);
}

TEST_F(LayoutCheckTest, LongCaptionsOverlapsAndOversizedWindowsAreFaultsButPopUpsAreNot) {
  auto& label = form_->add<Label>("lblLong");
  label.setCaption("Bei Verbindungsabbruch neu verbinden");
  label.move(120, 120, 900, 255);
  auto& check = form_->add<CheckBox>("chLong");
  check.setCaption("Microsoft-TAPI-Telefon deaktivieren");
  check.move(120, 600, 1200, 255);
  auto& button = form_->add<CommandButton>("btnLong");
  button.setCaption("Protokolldatei-Optionen...");
  button.move(120, 1080, 900, 375);
  auto& other = form_->add<CommandButton>("btnOther");
  other.setCaption("OK");
  other.move(600, 1200, 900, 375);  // on top of btnLong
  auto& list = form_->add<ListBox>("lstMatches");
  list.move(120, 900, 3000, 1200);  // a pop-up over its siblings
  form_->move(0, 0, 16000, 4500);   // wider than a 1024 pixel screen

  LayoutRules rules;
  rules.popups = {"lstMatches"};
  auto faults = this->check(rules);
  std::string all = describe("fTest", "German", faults);
  for (const char* control : {"lblLong", "chLong", "btnLong", "btnOther", "the window"})
    EXPECT_NE(faultOf(faults, control), nullptr) << control << "\n" << all;
  EXPECT_EQ(faultOf(faults, "lstMatches"), nullptr) << all;
  EXPECT_NE(faultOf(faults, "btnOther")->what.find("overlaps btnLong"), std::string::npos) << all;
  EXPECT_NE(all.find("fTest [German]: lblLong caption 'Bei Verbindungsabbruch neu verbinden'"),
            std::string::npos)
      << all;
  for (const LayoutFault& f : faults) EXPECT_GT(f.pixels, 0) << f.control << " " << f.what;
}

}  // namespace
}  // namespace platform::ui::qt::testing
