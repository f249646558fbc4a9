#include "ringova_outlook/outlook/about_window.h"

#include <string>

#include "ringova_outlook/resources/string_table.h"
#include "ringova_outlook/support/apply_ui_font.h"
#include "ringova_outlook/support/update_version.h"

namespace ringova {

namespace ui = platform::ui;

AboutWindow::AboutWindow(ui::Toolkit& toolkit)
    : ui::Form(toolkit, "fAbout"),
      lblProduct(add<ui::Label>("lblProduct")),
      lblVersion(add<ui::Label>("lblVersion")),
      OKButton(add<ui::CommandButton>("OKButton")) {
  move(0, 0, 4800, 2400);
  lblProduct.move(240, 240, 4200, 300);
  lblVersion.move(240, 660, 4200, 300);
  OKButton.move(1800, 1320, 1200, 375);
  OKButton.setCaption("OK");
  OKButton.setDefault(true);
  OKButton.setCancel(true);
  OKButton.onClick = [this] { hide(); };
  onLoad = [this] {
    setCaption(std::string(LoadResString(kTextAboutCaption)));
    lblProduct.setCaption("Ringova AddIn for Outlook");
    lblVersion.setCaption("Version " + OwnAddinVersion().Text());
    ApplyUIFont(*this);
  };
}

void AboutWindow::Open(ui::Form* owner) {
  show(ui::ShowMode::Modal, owner);
}

}  // namespace ringova
