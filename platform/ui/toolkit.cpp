#include "platform/ui/toolkit.h"

#include <algorithm>

#include "platform/ui/form.h"

namespace platform::ui {
namespace {
template <class T>
void eraseValue(std::vector<T>& v, const T& x) {
  v.erase(std::remove(v.begin(), v.end(), x), v.end());
}
template <class T>
bool contains(const std::vector<T>& v, const T& x) {
  return std::find(v.begin(), v.end(), x) != v.end();
}
}  // namespace

Toolkit::Toolkit(MessageLoop& loop) : loop_(loop) {
  loop_.setIdleHandler([this] { return onIdle(); });
}

Toolkit::~Toolkit() {
  loop_.setIdleHandler(nullptr);
}

Form* Toolkit::findForm(std::string_view name) const {
  for (Form* f : forms_)
    if (f->name() == name) return f;
  return nullptr;
}

bool Toolkit::acceptsInput(const Form& form) const {
  if (!form.visible() || !form.loaded()) return false;
  for (auto it = modalStack_.rbegin(); it != modalStack_.rend(); ++it) {
    if (!(*it)->visible()) continue;
    return *it == &form || form.shownSerial_ > (*it)->shownSerial_;
  }
  return true;
}

void Toolkit::registerForm(Form* form) {
  forms_.push_back(form);
}

void Toolkit::unregisterForm(Form* form) {
  if (onFormGone) onFormGone(*form);
  eraseValue(forms_, form);
  eraseValue(modalStack_, form);
  eraseValue(zOrder_, form);
  if (active_ == form) active_ = zOrder_.empty() ? nullptr : zOrder_.back();
}

void Toolkit::formShown(Form* form) {
  bool wasTop = !zOrder_.empty() && zOrder_.back() == form;
  if (!contains(zOrder_, form)) form->shownSerial_ = ++showSerial_;
  eraseValue(zOrder_, form);
  zOrder_.push_back(form);
  active_ = form;
  if (!wasTop && form->onActivate) {
    auto handler = form->onActivate;
    handler();
  }
}

void Toolkit::formHidden(Form* form) {
  eraseValue(zOrder_, form);
  if (active_ == form) active_ = zOrder_.empty() ? nullptr : zOrder_.back();
}

void Toolkit::runModal(Form& form) {
  Form* f = &form;
  modalStack_.push_back(f);
  // The form may also be destroyed by a handler inside its own loop; then it left the stack.
  loop_.runUntil([this, f] { return !contains(modalStack_, f) || !f->visible(); });
  auto it = std::find(modalStack_.begin(), modalStack_.end(), f);
  if (it != modalStack_.end()) modalStack_.erase(it);
}

bool Toolkit::onIdle() {
  if (!modalHandler_) return false;
  for (auto it = modalStack_.rbegin(); it != modalStack_.rend(); ++it) {
    if ((*it)->visible()) {
      auto handler = modalHandler_;
      return handler(**it);
    }
  }
  return false;
}

}  // namespace platform::ui
