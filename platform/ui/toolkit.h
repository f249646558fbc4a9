#pragma once
// The window toolkit of one UI thread: its message loop, the forms that exist, the stack of modal
// forms and the active form. Forms register themselves here; a renderer (or the test driver)
// finds them here and follows changes through onChanged and onFormGone. The toolkit must outlive
// its forms; everything here runs on the loop's owner thread.
#include <functional>
#include <string_view>
#include <vector>

#include "platform/ui/message_loop.h"

namespace platform::ui {

class Control;
class Form;

class Toolkit {
 public:
  explicit Toolkit(MessageLoop& loop);
  ~Toolkit();
  Toolkit(const Toolkit&) = delete;
  Toolkit& operator=(const Toolkit&) = delete;

  MessageLoop& loop() const { return loop_; }

  const std::vector<Form*>& forms() const { return forms_; }  // in creation order
  Form* findForm(std::string_view name) const;                // first with that name
  Form* activeForm() const { return active_; }
  // Modal forms currently running their loops, innermost last.
  const std::vector<Form*>& modalStack() const { return modalStack_; }
  Form* topModal() const { return modalStack_.empty() ? nullptr : modalStack_.back(); }
  // Visible forms, bottom to top; the top one is the active form.
  const std::vector<Form*>& zOrder() const { return zOrder_; }
  // Whether the user can reach `form` now: visible, and not shown before the innermost modal
  // form that is still visible (forms shown after it, and it, can be used).
  bool acceptsInput(const Form& form) const;

  // Called each time the loop of a modal form goes idle (nothing queued, no timer due) while the
  // form is still shown, with the innermost modal form; the handler may act on it (answer it).
  // Return true when it did something.
  void setModalHandler(std::function<bool(Form&)> handler) { modalHandler_ = std::move(handler); }

  // Any property, content or visibility of a control or form changed.
  std::function<void(Control&)> onChanged;
  // A form is being destroyed (a renderer drops its window).
  std::function<void(Form&)> onFormGone;

  // Screen size in twips, for forms that center themselves.
  int screenWidth() const { return 15360; }
  int screenHeight() const { return 11520; }

 private:
  friend class Form;
  friend class Control;
  void registerForm(Form* form);
  void unregisterForm(Form* form);
  void formShown(Form* form);
  void formHidden(Form* form);
  void runModal(Form& form);
  bool onIdle();
  void notify(Control& c) {
    if (onChanged) onChanged(c);
  }

  MessageLoop& loop_;
  std::vector<Form*> forms_;
  std::vector<Form*> modalStack_;
  std::vector<Form*> zOrder_;
  unsigned showSerial_ = 0;
  Form* active_ = nullptr;
  std::function<bool(Form&)> modalHandler_;
};

}  // namespace platform::ui
