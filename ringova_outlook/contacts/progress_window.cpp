#include "ringova_outlook/contacts/progress_window.h"

#include <algorithm>

#include "platform/ui/toolkit.h"
#include "ringova_outlook/contacts/contact_directory.h"
#include "ringova_outlook/resources/string_table.h"

namespace ringova {

namespace ui = platform::ui;

namespace {
constexpr int kCancelText = 146;
}

void ProgressModel::Start(int16_t total, ui::Clock::TimePoint) {
  total_ = std::max<int16_t>(total, 0);
  current_ = 0;
  last_redraw_.reset();
}

bool ProgressModel::Grow(ui::Clock::TimePoint now) {
  if (current_ >= total_) return false;
  ++current_;
  if (!last_redraw_ || current_ == total_ || now - *last_redraw_ >= kRedrawInterval) {
    last_redraw_ = now;
    return true;
  }
  return false;
}

ProgressWindow::ProgressWindow(ContactDirectory& directory)
    : Form(directory.Toolkit(), "fProgress"),
      ProgressBar1(add<ui::ProgressBar>("ProgressBar1")),
      lblCurrent(add<ui::Label>("lblCurrent")),
      lblTotal(add<ui::Label>("lblTotal")),
      btnCancel(add<ui::CommandButton>("btnCancel")),
      directory_(directory) {
  move(0, 0, 4800, 1500);
  ProgressBar1.move(120, 120, 4440, 300);
  lblCurrent.move(120, 540, 1000, 255);
  lblTotal.move(1200, 540, 1000, 255);
  btnCancel.move(3240, 540, 1335, 375);
  btnCancel.setCancel(true);

  onLoad = [this] {
    directory_.SetCancelLoad(false);
    btnCancel.setCaption(LoadResString(kCancelText));
  };
  btnCancel.onClick = [this] { directory_.SetCancelLoad(true); };
  onQueryUnload = [](bool& cancel, ui::UnloadMode mode) {
    if (mode == ui::UnloadMode::CloseBox) cancel = true;
  };
  onUnload = [this](bool&) {
    if (saved_mode_ && directory_.Toolbar()) directory_.Toolbar()->ChangeButtonsState(*saved_mode_);
    saved_mode_.reset();
  };
}

ProgressWindow::~ProgressWindow() {
  Close();
}

void ProgressWindow::Start(std::string_view title, int16_t total) {
  load();
  model_.Start(total, toolkit().loop().clock().now());
  ProgressBar1.setRange(0, model_.Total());
  ProgressBar1.setValue(0);
  setCaption("Ringova  -  " + std::string(title));
  lblTotal.setCaption(std::string("/").append(std::to_string(model_.Total())));
  lblCurrent.setCaption("0");
  if (ToolbarState* toolbar = directory_.Toolbar()) {
    saved_mode_ = toolbar->ButtonMode();
    toolbar->ChangeButtonsState(kDisableMenuAndButtons);
  }
  show(ui::ShowMode::Modeless);
  toolkit().loop().doEvents();
}

void ProgressWindow::Grow() {
  if (directory_.Outlook() == nullptr) {
    Close();
    return;
  }
  if (model_.Grow(toolkit().loop().clock().now())) Redraw();
  // The one place a load lets the user in: a click on Cancel is seen here.
  toolkit().loop().doEvents();
}

void ProgressWindow::Redraw() {
  ProgressBar1.setValue(model_.Current());
  lblCurrent.setCaption(std::to_string(model_.Current()));
}

void ProgressWindow::Close() {
  if (loaded()) unload(ui::UnloadMode::Code);
}

}  // namespace ringova
