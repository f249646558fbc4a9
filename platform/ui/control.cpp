#include "platform/ui/control.h"

#include "platform/ui/form.h"
#include "platform/ui/toolkit.h"

namespace platform::ui {

const char* controlKindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::Form:
      return "Form";
    case ControlKind::Label:
      return "Label";
    case ControlKind::TextBox:
      return "TextBox";
    case ControlKind::CheckBox:
      return "CheckBox";
    case ControlKind::OptionButton:
      return "OptionButton";
    case ControlKind::CommandButton:
      return "CommandButton";
    case ControlKind::ComboBox:
      return "ComboBox";
    case ControlKind::ListBox:
      return "ListBox";
    case ControlKind::ListView:
      return "ListView";
    case ControlKind::Frame:
      return "Frame";
    case ControlKind::ProgressBar:
      return "ProgressBar";
    case ControlKind::Timer:
      return "Timer";
  }
  return "Control";
}

Control::Control(ControlKind kind, Form* form, Control* parent, std::string name, int index)
    : kind_(kind), form_(form), parent_(parent), name_(std::move(name)), index_(index) {}

Control::~Control() = default;

Toolkit& Control::toolkit() const {
  return form_->toolkit();
}

void Control::changed() {
  form_->toolkit().notify(*this);
}

void Control::setTextQuietly(std::string_view text) {
  if (text_ == text) return;
  text_ = text;
  changed();
}

void Control::setText(std::string_view text) {
  setTextQuietly(text);
}

void Control::setEnabled(bool on) {
  if (enabled_ == on) return;
  enabled_ = on;
  changed();
  if (!on && hasFocus()) form_->focusNext();
}

void Control::setVisible(bool on) {
  if (visible_ == on) return;
  visible_ = on;
  changed();
  if (!on && hasFocus()) form_->focusNext();
}

bool Control::effectivelyVisible() const {
  if (!form_->loaded()) return false;
  for (const Control* c = this; c; c = c->parent_)
    if (!c->visible_) return false;
  return true;
}

bool Control::effectivelyEnabled() const {
  for (const Control* c = this; c; c = c->parent_)
    if (!c->enabled_) return false;
  return true;
}

void Control::move(int left, int top, int width, int height) {
  if (left_ == left && top_ == top && width_ == width && height_ == height) return;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  changed();
}

void Control::setMousePointer(MousePointer pointer) {
  if (mousePointer_ == pointer) return;
  mousePointer_ = pointer;
  changed();
}

void Control::setFont(const Font& font) {
  if (font_ == font) return;
  font_ = font;
  changed();
}

void Control::setToolTip(std::string_view text) {
  if (toolTip_ == text) return;
  toolTip_ = text;
  changed();
}

bool Control::focusable() const {
  switch (kind_) {
    case ControlKind::TextBox:
    case ControlKind::CheckBox:
    case ControlKind::OptionButton:
    case ControlKind::CommandButton:
    case ControlKind::ComboBox:
    case ControlKind::ListBox:
    case ControlKind::ListView:
      return true;
    default:
      return false;
  }
}

bool Control::setFocus() {
  if (!canFocusNow()) return false;
  form_->moveFocus(this);
  return true;
}

bool Control::hasFocus() const {
  return form_->activeControl() == this;
}

namespace {
// A copy runs, so a handler may replace itself or unload the form without pulling the rug.
template <class F, class... A>
void raise(const F& handler, A&... args) {
  if (!handler) return;
  F copy = handler;
  copy(args...);
}
}  // namespace

void Control::raiseClick() {
  raise(onClick);
}
void Control::raiseDblClick() {
  raise(onDblClick);
}
void Control::raiseChange() {
  raise(onChange);
}
void Control::raiseGotFocus() {
  raise(onGotFocus);
}
void Control::raiseLostFocus() {
  raise(onLostFocus);
}
void Control::raiseKeyDown(KeyEvent& e) {
  raise(onKeyDown, e);
}
void Control::raiseKeyPress(KeyPressEvent& e) {
  raise(onKeyPress, e);
}
void Control::raiseKeyUp(KeyEvent& e) {
  raise(onKeyUp, e);
}
void Control::raiseMouseDown(const MouseEvent& e) {
  raise(onMouseDown, e);
}
void Control::raiseMouseUp(const MouseEvent& e) {
  raise(onMouseUp, e);
}

Control* Control::find(std::string_view name, int index) const {
  for (const auto& child : children_) {
    if (child->name_ == name && child->index_ == index) return child.get();
    if (Control* found = child->find(name, index)) return found;
  }
  return nullptr;
}

}  // namespace platform::ui
