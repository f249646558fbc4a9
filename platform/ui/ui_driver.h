#pragma once
// The test driver: plays the user on the toolkit, on the UI thread.
//
// Input goes where a user's would: to the focused control of the active form, or to a named
// control, and only to forms that accept input (not below a modal form), to visible and enabled
// controls. Refused input returns false and is recorded in failures().
//
// Modal forms are answered from a script: expect(formName, action) queues an answer; when a modal
// form of that name starts (or its loop goes idle) the driver runs the next answer. A modal form
// with no answer queued for it is recorded as a failure and closed by code, so a test never
// hangs. Message boxes are answered by the shell's recording double.
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "platform/ui/toolkit.h"

namespace platform::ui {

class UiDriver {
 public:
  // With answerModals it installs itself as the toolkit's modal handler (tests); a renderer that
  // feeds a person's input through the driver leaves modal forms to the person.
  explicit UiDriver(Toolkit& toolkit, bool answerModals = true);
  ~UiDriver();
  UiDriver(const UiDriver&) = delete;
  UiDriver& operator=(const UiDriver&) = delete;

  // Keyboard, to the focused control of the active form.
  // type(): for each character key down, key press, the edit (replacing the selection; not in
  // locked boxes), change, key up. Handlers may swallow keys and characters.
  bool type(std::string_view text);
  // press(): key down, key press (for keys with a character: Enter 13, Escape 27, Back 8, Tab 9),
  // the key's action, key up. Actions: Tab / Shift+Tab move the focus; Back and Delete edit text;
  // Left/Right/Home/End move the caret; Up/Down move a list's or combo's selection; Enter clicks
  // the focused button or else the default button; Escape clicks the cancel button; Space clicks a
  // focused button, check box or option.
  bool press(int keyCode, int shift = 0);

  // Mouse. click(): focus (when it can take it), mouse down, mouse up, then the control's action:
  // a check box toggles, an option is set, a button is clicked.
  bool click(Control& control);
  bool click(std::string_view formName, std::string_view controlName, int index = -1);
  bool doubleClick(Control& control);
  // Pick an entry of a combo or list box with the mouse (focus, mouse down/up, selection, click).
  bool pick(ComboBox& combo, int entry);
  bool pick(ListBox& list, int entry);
  bool tick(ListBox& list, int entry, bool on);  // a list with check boxes
  bool clickRow(ListView& view, int row);
  // Click into a text box, placing the caret (focus, mouse down/up, selection).
  bool focus(Control& control);

  // The window's close box: query unload (close box) and unload. True if the form unloaded.
  bool closeBox(Form& form);

  // Script of answers for modal forms.
  void expect(std::string formName, std::function<void(Form&)> answer);
  int pendingAnswers() const { return static_cast<int>(script_.size()); }

  Form* activeForm() const { return toolkit_.activeForm(); }
  Control* focused() const;
  const std::vector<std::string>& failures() const { return failures_; }

 private:
  struct Answer {
    std::string formName;
    std::function<void(Form&)> action;
  };
  bool onModal(Form& form);
  bool reachable(const Control& c, std::string_view what);
  bool typeChar(Control& target, char c);
  void editBackspace(TextBox& box, bool forward);
  bool fail(std::string message);

  Toolkit& toolkit_;
  bool answerModals_;
  std::deque<Answer> script_;
  std::vector<std::string> failures_;
};

}  // namespace platform::ui
