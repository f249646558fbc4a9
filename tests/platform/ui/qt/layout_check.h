#pragma once
// What a person would see as a broken window, measured on the widgets Qt laid out: a control
// outside its parent's client area or outside the window, two visible siblings on top of each
// other, a caption (label, button, frame, check or option box, list heading, window title) that
// does not fit at the widget's own font, a window larger than a 1024x768 screen. Data fields
// (text boxes, lists, combos) only have to stay inside their parent.
#include <QtCore/QString>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

class QWidget;

namespace platform::ui {
class Form;
}

namespace platform::ui::qt {
class QtRenderer;
}

namespace platform::ui::qt::testing {

struct LayoutFault {
  std::string control;  // the window itself for the title and the window's size
  std::string what;     // "lies 38 px below frmForward's client area", ...
  int pixels = 0;
};

// Name of the control a widget stands for; nothing for Qt's inner parts (a combo's line edit, a
// list's viewport), which are measured as part of their control.
using ControlName = std::function<std::optional<std::string>(const QWidget&)>;

struct LayoutRules {
  // Drawn as pop-ups over their siblings (a drop-down match list): exempt from the checks.
  std::set<std::string> popups;
  // The title bar's icon and buttons, which the window manager draws beside the title.
  int titleBarReserve = 96;
  // Height of the window manager's title bar, for the screen check.
  int titleBarHeight = 30;
  int screenWidth = 1024;
  int screenHeight = 768;
};

std::vector<LayoutFault> checkLayout(const QWidget& window, const ControlName& nameOf,
                                     const LayoutRules& rules = {});

// A form drawn by the renderer: its controls are the model's, their geometry the widgets'.
std::vector<LayoutFault> checkFormLayout(const QtRenderer& renderer, const Form& form,
                                         const LayoutRules& rules = {});

// "<window> [<language>]: <control> <what>", one line per fault.
std::string describe(const std::string& window, const std::string& language,
                     const std::vector<LayoutFault>& faults);

}  // namespace platform::ui::qt::testing
