#include "ringova_outlook/support/note_window.h"

#include <string>

#include "ringova_outlook/support/apply_ui_font.h"

namespace ringova {

using platform::ui::MousePointer;

NoteWindow::NoteWindow(platform::ui::Toolkit& toolkit)
    : Form(toolkit, "fNote"),
      label1_(add<platform::ui::Label>("Label1")),
      ok_button_(add<platform::ui::CommandButton>("OKButton")),
      cancel_button_(add<platform::ui::CommandButton>("CancelButton")) {
  setCaption("Ringova");
  move(0, 0, 5400, 2250);
  label1_.move(240, 180, 4920, 1020);
  ok_button_.move(1200, 1380, 1335, 375);
  cancel_button_.move(2865, 1380, 1335, 375);
  ok_button_.setDefault(true);
  cancel_button_.setCancel(true);

  onLoad = [this] { ApplyUIFont(*this); };
  ok_button_.onClick = [this] {
    note_result_ = true;
    setMousePointer(MousePointer::Hourglass);
    hide();
  };
  cancel_button_.onClick = [this] {
    note_result_ = false;
    hide();
  };
}

void NoteWindow::ShowCaption(platform::ui::CommandButton& button, std::string_view caption) {
  if (caption.empty()) {
    button.setVisible(false);
  } else {
    button.setCaption(caption);
    button.setVisible(true);
  }
}

bool NoteWindow::ShowNote(std::string_view text, std::string_view title,
                          std::string_view ok_caption, std::string_view cancel_caption,
                          platform::ui::Form* owner) {
  if (visible()) hide();
  note_result_ = false;
  setMousePointer(MousePointer::Default);
  if (!title.empty()) setCaption("Ringova - " + std::string(title));
  label1_.setCaption(text);
  ShowCaption(cancel_button_, cancel_caption);
  ShowCaption(ok_button_, ok_caption);
  show(platform::ui::ShowMode::Modal, owner);
  return note_result_;
}

}  // namespace ringova
