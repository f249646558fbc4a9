#pragma once
// The toolkit's model: a form is a plain tree of controls with properties and event handlers.
// Nothing here draws; a renderer reads the tree and the properties, and listens to
// Toolkit::onChanged to redraw.
//
// Conventions of this toolkit (they follow what the add-in's forms were written for):
// - Positions and sizes are in twips (1/1440 inch), relative to the form's client area.
// - text() is the caption of captioned controls (form, label, button, check box, option, frame)
//   and the text of text boxes and combo boxes; caption() is the same property.
// - Changing a value by code raises the same event as the user changing it: a text box's or an
//   editable combo box's change, a check box's and option button's click (when the value
//   changes), a list's click on a new selection. Handlers guard themselves with flags.
// - Events are plain handler members; an empty handler ignores the event.
// - List indexes are 0-based; -1 means no selection.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/keys.h"

namespace platform::ui {

class Form;
class Toolkit;

enum class ControlKind {
  Form,
  Label,
  TextBox,
  CheckBox,
  OptionButton,
  CommandButton,
  ComboBox,
  ListBox,
  ListView,
  Frame,
  ProgressBar,
  Timer,
};
const char* controlKindName(ControlKind kind);

enum class MousePointer { Default = 0, Arrow = 1, Hourglass = 11 };

// The font of a control's text: face, size in points, character set number, bold.
struct Font {
  std::string name = "MS Sans Serif";
  int size = 8;
  int charset = 0;
  bool bold = false;
  bool operator==(const Font&) const = default;
};

struct KeyEvent {
  int keyCode = 0;  // a handler may set it to 0 to swallow the key
  int shift = 0;
};
struct KeyPressEvent {
  int keyAscii = 0;  // a handler may change it, or set it to 0 to swallow the character
};
struct MouseEvent {
  int button = LeftButton;
  int shift = 0;
  int x = 0;  // twips, relative to the control
  int y = 0;
};

class Control {
 public:
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  ControlKind kind() const { return kind_; }
  const std::string& name() const { return name_; }
  int index() const { return index_; }  // position in a control array, -1 when not in one
  Control* parent() const { return parent_; }
  Form& form() const { return *form_; }
  Toolkit& toolkit() const;
  const std::vector<std::unique_ptr<Control>>& children() const { return children_; }

  const std::string& text() const { return text_; }
  virtual void setText(std::string_view text);
  const std::string& caption() const { return text_; }
  void setCaption(std::string_view text) { setText(text); }

  bool enabled() const { return enabled_; }
  void setEnabled(bool on);
  bool visible() const { return visible_; }
  virtual void setVisible(bool on);  // a form shows (modeless) or hides
  // Visible and enabled itself and through all its containers (and its form is loaded).
  bool effectivelyVisible() const;
  bool effectivelyEnabled() const;

  int left() const { return left_; }
  int top() const { return top_; }
  int width() const { return width_; }
  int height() const { return height_; }
  void move(int left, int top, int width, int height);
  void move(int left, int top) { move(left, top, width_, height_); }

  MousePointer mousePointer() const { return mousePointer_; }
  void setMousePointer(MousePointer pointer);
  const Font& font() const { return font_; }
  void setFont(const Font& font);
  const std::string& toolTip() const { return toolTip_; }
  void setToolTip(std::string_view text);

  int tabIndex() const { return tabIndex_; }
  void setTabIndex(int index) { tabIndex_ = index; }
  bool tabStop() const { return tabStop_; }
  void setTabStop(bool on) { tabStop_ = on; }
  // Whether the control can take the focus at all (text boxes, buttons, lists...).
  bool focusable() const;
  bool canFocusNow() const { return focusable() && effectivelyVisible() && effectivelyEnabled(); }
  bool setFocus();  // false when the control cannot take the focus now
  bool hasFocus() const;

  std::function<void()> onClick;
  std::function<void()> onDblClick;
  std::function<void()> onChange;
  std::function<void()> onGotFocus;
  std::function<void()> onLostFocus;
  std::function<void(KeyEvent&)> onKeyDown;
  std::function<void(KeyPressEvent&)> onKeyPress;
  std::function<void(KeyEvent&)> onKeyUp;
  std::function<void(const MouseEvent&)> onMouseDown;
  std::function<void(const MouseEvent&)> onMouseUp;

  // Raise an event, as the user or code does. Each does nothing without a handler.
  void raiseClick();
  void raiseDblClick();
  void raiseChange();
  void raiseGotFocus();
  void raiseLostFocus();
  void raiseKeyDown(KeyEvent& e);
  void raiseKeyPress(KeyPressEvent& e);
  void raiseKeyUp(KeyEvent& e);
  void raiseMouseDown(const MouseEvent& e);
  void raiseMouseUp(const MouseEvent& e);

  // Depth-first search of this subtree by name (and array index, -1 = not in an array).
  Control* find(std::string_view name, int index = -1) const;

 protected:
  Control(ControlKind kind, Form* form, Control* parent, std::string name, int index);
  void changed();                              // tells the toolkit's observer
  void setTextQuietly(std::string_view text);  // no event

 private:
  friend class Form;
  ControlKind kind_;
  Form* form_;
  Control* parent_;
  std::string name_;
  int index_;
  std::vector<std::unique_ptr<Control>> children_;
  std::string text_;
  std::string toolTip_;
  Font font_;
  bool enabled_ = true;
  bool visible_ = true;
  bool tabStop_ = true;
  int tabIndex_ = 0;
  int left_ = 0, top_ = 0, width_ = 1215, height_ = 375;
  MousePointer mousePointer_ = MousePointer::Default;
};

}  // namespace platform::ui
