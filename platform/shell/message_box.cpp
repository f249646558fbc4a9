#include "platform/shell/message_box.h"

namespace platform::shell {
namespace {

struct ButtonSet {
  MsgBoxButtons buttons;
  int count;
  MsgBoxResult results[3];
};

constexpr ButtonSet kSets[] = {
    {MsgBoxButtons::Ok, 1, {MsgBoxResult::Ok}},
    {MsgBoxButtons::OkCancel, 2, {MsgBoxResult::Ok, MsgBoxResult::Cancel}},
    {MsgBoxButtons::AbortRetryIgnore,
     3,
     {MsgBoxResult::Abort, MsgBoxResult::Retry, MsgBoxResult::Ignore}},
    {MsgBoxButtons::YesNoCancel, 3, {MsgBoxResult::Yes, MsgBoxResult::No, MsgBoxResult::Cancel}},
    {MsgBoxButtons::YesNo, 2, {MsgBoxResult::Yes, MsgBoxResult::No}},
    {MsgBoxButtons::RetryCancel, 2, {MsgBoxResult::Retry, MsgBoxResult::Cancel}},
};

const ButtonSet& setOf(MsgBoxButtons buttons) {
  for (const auto& s : kSets)
    if (s.buttons == buttons) return s;
  return kSets[0];
}

}  // namespace

int buttonCount(MsgBoxButtons buttons) {
  return setOf(buttons).count;
}

MsgBoxResult buttonResult(MsgBoxButtons buttons, int i) {
  const ButtonSet& s = setOf(buttons);
  return (i >= 0 && i < s.count) ? s.results[i] : s.results[0];
}

const char* buttonText(MsgBoxResult result) {
  switch (result) {
    case MsgBoxResult::Ok:
      return "OK";
    case MsgBoxResult::Cancel:
      return "Cancel";
    case MsgBoxResult::Abort:
      return "Abort";
    case MsgBoxResult::Retry:
      return "Retry";
    case MsgBoxResult::Ignore:
      return "Ignore";
    case MsgBoxResult::Yes:
      return "Yes";
    case MsgBoxResult::No:
      return "No";
  }
  return "?";
}

MsgBoxResult closeResult(MsgBoxButtons buttons) {
  const ButtonSet& s = setOf(buttons);
  for (int i = 0; i < s.count; ++i)
    if (s.results[i] == MsgBoxResult::Cancel) return MsgBoxResult::Cancel;
  if (buttons == MsgBoxButtons::YesNo) return MsgBoxResult::No;
  if (buttons == MsgBoxButtons::AbortRetryIgnore) return MsgBoxResult::Abort;
  return s.results[0];
}

}  // namespace platform::shell
