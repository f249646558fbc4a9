#pragma once
// Message boxes: a text, a title, a set of buttons and an icon; the answer is the button pressed.
#include <string>

namespace platform::shell {

enum class MsgBoxButtons { Ok, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };
enum class MsgBoxIcon { None, Critical, Question, Exclamation, Information };
// The numbers are the conventional answer codes.
enum class MsgBoxResult { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

struct MessageBoxRequest {
  std::string text;
  std::string title;
  MsgBoxButtons buttons = MsgBoxButtons::Ok;
  MsgBoxIcon icon = MsgBoxIcon::None;
  int defaultButton = 0;  // 0-based among the buttons
};

// The answers of a button set, in order, and the text of each button.
int buttonCount(MsgBoxButtons buttons);
MsgBoxResult buttonResult(MsgBoxButtons buttons, int i);
const char* buttonText(
    MsgBoxResult result);  // "OK", "Cancel", "Abort", "Retry", "Ignore", "Yes", "No"
// What closing the box without a button gives: Cancel when the set has it, else the only button
// (Ok), else No for Yes/No.
MsgBoxResult closeResult(MsgBoxButtons buttons);

}  // namespace platform::shell
