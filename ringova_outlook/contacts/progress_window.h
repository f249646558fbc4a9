#pragma once
// The progress window "fProgress" of a contact load: a bar from 0 to the total, the count so far,
// and Cancel. It lets the user's input through after every contact (that is how Cancel is seen),
// but redraws at most every kRedrawInterval. The close box is refused. While it is open the
// toolbar's buttons are disabled; closing it puts their mode back.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ui/clock.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"

namespace ringova {

class ContactDirectory;

// The count behind the bar: it stops at the total, and tells when the shown value is due for a
// redraw (first step, then no more often than the interval, and on reaching the total).
class ProgressModel {
 public:
  static constexpr std::chrono::milliseconds kRedrawInterval{50};

  void Start(int16_t total, platform::ui::Clock::TimePoint now);
  // One step; true when the shown value should be redrawn now.
  bool Grow(platform::ui::Clock::TimePoint now);
  int16_t Total() const { return total_; }
  int16_t Current() const { return current_; }

 private:
  int16_t total_ = 0;
  int16_t current_ = 0;
  std::optional<platform::ui::Clock::TimePoint> last_redraw_;
};

class ProgressWindow final : public platform::ui::Form {
 public:
  explicit ProgressWindow(ContactDirectory& directory);
  ~ProgressWindow() override;

  // Caption "Ringova  -  " + title, the bar 0..total, "/" + total; remembers the toolbar's mode
  // and disables its buttons; shows the window (not modal) and lets pending input run.
  void Start(std::string_view title, int16_t total);
  // One step (not beyond the total), then lets pending input run. Without Outlook the window
  // closes instead.
  void Grow();
  // Closes the window and puts the toolbar's mode back.
  void Close();

  const ProgressModel& Model() const { return model_; }

  platform::ui::ProgressBar& ProgressBar1;
  platform::ui::Label& lblCurrent;
  platform::ui::Label& lblTotal;
  platform::ui::CommandButton& btnCancel;

 private:
  void Redraw();

  ContactDirectory& directory_;
  ProgressModel model_;
  std::optional<int16_t> saved_mode_;
};

}  // namespace ringova
