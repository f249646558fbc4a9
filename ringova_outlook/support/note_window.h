#pragma once
// The add-in's modal question window "fNote": a text and up to two buttons.

#include <string_view>

#include "platform/ui/controls.h"
#include "platform/ui/form.h"

namespace ringova {

class NoteWindow final : public platform::ui::Form {
 public:
  explicit NoteWindow(platform::ui::Toolkit& toolkit);

  // Shows text modally, owned by owner, and returns NoteResult once the window
  // has closed: true for the OK button, false for Cancel or the close box. An
  // empty title keeps the caption ("Ringova" at first), else it becomes
  // "Ringova - " + title. A button with an empty caption is hidden.
  bool ShowNote(std::string_view text, std::string_view title, std::string_view ok_caption,
                std::string_view cancel_caption, platform::ui::Form* owner = nullptr);

  bool NoteResult() const { return note_result_; }

  platform::ui::Label& Label1() { return label1_; }
  platform::ui::CommandButton& OKButton() { return ok_button_; }
  platform::ui::CommandButton& CancelButton() { return cancel_button_; }

 private:
  static void ShowCaption(platform::ui::CommandButton& button, std::string_view caption);

  platform::ui::Label& label1_;
  platform::ui::CommandButton& ok_button_;
  platform::ui::CommandButton& cancel_button_;
  bool note_result_ = false;
};

}  // namespace ringova
