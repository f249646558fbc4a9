#pragma once
// Each GUI test process draws on its own Xvfb, started on a free display number before the
// first test and stopped after the last, with one QApplication on it. Tests skip themselves
// when no X server could be started.
#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace platform::ui::qt::testing {

// True once the display and the application are up.
bool guiAvailable();
// Runs `last` after the last test, while the display and the application are still up.
void beforeGuiEnds(std::function<void()> last);
// "<build>/screenshots", the folder where tests keep one picture of each window.
std::string screenshotFolder();

#define REQUIRE_GUI()                               \
  if (!::platform::ui::qt::testing::guiAvailable()) \
  GTEST_SKIP() << "no X server for the GUI "        \
                  "tests"

}  // namespace platform::ui::qt::testing
