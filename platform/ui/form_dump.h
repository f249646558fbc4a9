#pragma once
// A text picture of a form: one line per control, indented by container, with kind, name, text
// and the states that differ from the usual (hidden, disabled, focus, value, selection, entries).
// Tests compare it; a renderer may log it. The format is for people, not for parsing.
//
//   Form fIncoming "Call Arrived 1" modeless 0,0 4800x3600
//     Frame frmFrom "From "
//       TextBox txtCaller "201" locked
//     ComboBox cboFwd "" focus sel=0+0 items=2 index=-1
//       [0] "Ann" data=0
#include <string>

namespace platform::ui {

class Form;
class Control;

std::string dumpForm(const Form& form);
std::string dumpControl(const Control& control);  // the one line of a control, no indent

}  // namespace platform::ui
