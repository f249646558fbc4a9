#pragma once
// A toolkit on a manual clock with the test driver and the recording shell.

#include "platform/shell/recording_shell.h"
#include "platform/ui/clock.h"
#include "platform/ui/message_loop.h"
#include "platform/ui/toolkit.h"
#include "platform/ui/ui_driver.h"

namespace ringova::testing_support {

struct Desktop {
  platform::ui::ManualClock clock;
  platform::ui::MessageLoop loop{clock};
  platform::ui::Toolkit toolkit{loop};
  platform::ui::UiDriver driver{toolkit};
  platform::shell::RecordingShell shell;
};

}  // namespace ringova::testing_support
