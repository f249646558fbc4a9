#pragma once
// fAbout: the product's name and version, and OK.
#include "platform/ui/controls.h"
#include "platform/ui/form.h"

namespace ringova {

inline constexpr int kTextAboutCaption = 148;  // "About Ringova AddIn"

class AboutWindow final : public platform::ui::Form {
 public:
  explicit AboutWindow(platform::ui::Toolkit& toolkit);

  // Modal, owned by owner.
  void Open(platform::ui::Form* owner);

  platform::ui::Label& lblProduct;
  platform::ui::Label& lblVersion;
  platform::ui::CommandButton& OKButton;
};

}  // namespace ringova
