#include "platform/ui/form.h"

#include <algorithm>

#include "platform/ui/controls.h"
#include "platform/ui/toolkit.h"

namespace platform::ui {
namespace {

void collectFocusable(const Control& c, std::vector<Control*>& out) {
  for (const auto& child : c.children()) {
    if (child->canFocusNow() && child->tabStop()) out.push_back(child.get());
    collectFocusable(*child, out);
  }
}

CommandButton* findButton(const Control& c, bool wantDefault) {
  for (const auto& child : c.children()) {
    if (child->kind() == ControlKind::CommandButton) {
      auto* b = static_cast<CommandButton*>(child.get());
      if (wantDefault ? b->isDefault() : b->isCancel()) return b;
    }
    if (CommandButton* b = findButton(*child, wantDefault)) return b;
  }
  return nullptr;
}

}  // namespace

Form::Form(Toolkit& toolkit, std::string name)
    : Control(ControlKind::Form, this, nullptr, std::move(name), -1), toolkit_(toolkit) {
  visible_ = false;
  move(0, 0, 4800, 3600);
  toolkit_.registerForm(this);
}

Form::~Form() {
  if (alive_) *alive_ = false;
  toolkit_.unregisterForm(this);
  activeControl_ = nullptr;
  children_.clear();  // while this form still exists: controls' destructors may look at it
}

void Form::adopt(Control* parent, std::unique_ptr<Control> control) {
  control->tabIndex_ = nextTabIndex_++;
  Control& ref = *control;
  parent->children_.push_back(std::move(control));
  changed();
  (void)ref;
}

void Form::place(std::span<const Placement> layout) {
  for (const Placement& p : layout) {
    if (Control* c = find(p.control)) c->move(p.left, p.top, p.width, p.height);
  }
}

bool Form::load() {
  if (loaded_) return true;
  loaded_ = true;
  changed();
  if (onLoad) {
    auto handler = onLoad;
    handler();
  }
  return loaded_;
}

bool Form::show(ShowMode mode, Form* owner) {
  if (!load()) return false;
  if (mode == ShowMode::Modal && modal_) return false;  // its loop already runs
  if (owner) owner_ = owner;
  if (!visible_) {
    visible_ = true;
    toolkit_.formShown(this);
    changed();
  } else {
    bringToFront();
  }
  if (mode == ShowMode::Modal) {
    modal_ = true;
    bool alive = true;
    bool* outer = alive_;
    alive_ = &alive;
    toolkit_.runModal(*this);
    if (!alive) {
      if (outer) *outer = false;
      return true;
    }
    alive_ = outer;
    modal_ = false;
    changed();
  }
  return true;
}

void Form::setVisible(bool on) {
  if (on)
    show();
  else
    hide();
}

void Form::hide() {
  if (!visible_) return;
  visible_ = false;
  toolkit_.formHidden(this);
  changed();
}

bool Form::unload(UnloadMode mode) {
  if (!loaded_) return true;
  bool cancel = false;
  if (onQueryUnload) {
    auto handler = onQueryUnload;
    handler(cancel, mode);
  }
  if (cancel || !loaded_) return !loaded_;
  if (onUnload) {
    auto handler = onUnload;
    handler(cancel);
  }
  if (cancel) return false;
  hide();
  stopTimers(*this);
  activeControl_ = nullptr;
  loaded_ = false;
  changed();
  return true;
}

void Form::stopTimers(Control& c) {
  for (const auto& child : c.children()) {
    if (child->kind() == ControlKind::Timer)
      static_cast<TimerControl*>(child.get())->setTimerEnabled(false);
    stopTimers(*child);
  }
}

void Form::setWindowState(WindowState state) {
  if (windowState_ == state) return;
  windowState_ = state;
  changed();
}

bool Form::bringToFront() {
  if (!visible_) return false;
  toolkit_.formShown(this);
  return true;
}

void Form::moveFocus(Control* to) {
  if (to == activeControl_) {
    ++focusSerial_;  // a lost-focus handler that keeps the focus cancels the move in progress
    return;
  }
  unsigned serial = ++focusSerial_;
  Control* from = activeControl_;
  if (from) from->raiseLostFocus();
  if (focusSerial_ != serial) return;
  activeControl_ = to;
  if (from) from->changed();
  if (to) {
    to->changed();
    to->raiseGotFocus();
  }
}

bool Form::focusNext(bool backwards) {
  std::vector<Control*> order;
  collectFocusable(*this, order);
  std::stable_sort(order.begin(), order.end(),
                   [](Control* a, Control* b) { return a->tabIndex() < b->tabIndex(); });
  if (order.empty()) {
    moveFocus(nullptr);
    return false;
  }
  auto it = std::find(order.begin(), order.end(), activeControl_);
  Control* next;
  if (it == order.end()) {
    // The focused control is gone from the order (hidden, disabled): take the next by tab index.
    int from = activeControl_ ? activeControl_->tabIndex() : -1;
    auto after =
        std::find_if(order.begin(), order.end(), [&](Control* c) { return c->tabIndex() > from; });
    next = backwards ? order.back() : (after != order.end() ? *after : order.front());
  } else if (backwards) {
    next = it == order.begin() ? order.back() : *(it - 1);
  } else {
    next = (it + 1) == order.end() ? order.front() : *(it + 1);
  }
  moveFocus(next);
  return activeControl_ == next;
}

CommandButton* Form::defaultButton() const {
  return findButton(*this, true);
}
CommandButton* Form::cancelButton() const {
  return findButton(*this, false);
}

}  // namespace platform::ui
