#include "ringova_outlook/outlook/addin_parts.h"

#include "ringova_outlook/contacts/caller_lookup.h"

namespace ringova {

// The settings window's Apply starts the check through its link.
class AddinParts::UpdateLink final : public UpdateCheckLink {
 public:
  explicit UpdateLink(UpdateCheck& check) : check_(check) {}
  void CheckAppVersion() override { check_.CheckAppVersion(); }

 private:
  UpdateCheck& check_;
};

AddinParts::AddinParts(const platform::outlook::HostServices& host,
                       platform::outlook::Application* outlook, ToolbarState& buttons,
                       SelectedNumber& selection)
    : host_(host) {
  support_ = std::make_unique<SupportWindows>(host.toolkit, host.shell);
  InstallSupportWindows(support_.get());
  main_ = std::make_unique<fMain>(fMain::Context{.toolkit = host.toolkit,
                                                 .shell = host.shell,
                                                 .user = host.user,
                                                 .machine = host.machine,
                                                 .log = AddinLogSink(),
                                                 .now = {},
                                                 .timeLocale = {}});
  support_->SetSettingsWindow(main_.get());
  contact_settings_ =
      std::make_unique<RecordContactSettings>(main_->Settings(), main_->AllContactsMode);
  directory_ = std::make_unique<ContactDirectory>(AddinContactDirectoryContext(
      host.toolkit, host.shell, *contact_settings_, main_->Location()));
  loading_ = std::make_unique<DirectoryContactLoading>(*directory_);
  update_ = std::make_unique<UpdateCheck>(UpdateCheckContext{.log = AddinLog(),
                                                             .shell = host.shell,
                                                             .windows = *support_,
                                                             .machine = host.machine,
                                                             .outlook = outlook,
                                                             .server = std::nullopt,
                                                             .timeouts = {},
                                                             .own_version = OwnAddinVersion()});
  update_link_ = std::make_unique<UpdateLink>(*update_);

  main_->SetContactLoading(loading_.get());
  main_->SetButtonModes(&buttons);
  main_->SetUpdateCheck(update_link_.get());
  main_->SetSupportWindows(support_.get());
  main_->Calls().SetSelectedNumber(&selection);
  main_->Calls().SetDirectory(directory_.get());
  directory_->SetToolbar(&buttons);
  SetOutlook(outlook);
  // Phone links from the desktop are dialled by this add-in while it is loaded.
  host.shell.phoneLinks().setTaker(
      [main = main_.get()](const std::string& address) { main->Calls().DialAddress(address); });
}

AddinParts::~AddinParts() {
  host_.shell.phoneLinks().setTaker(nullptr);
  InstallSupportWindows(nullptr);
  // The directory reads the settings record of the window: it goes first, the window (and its
  // control) after it.
  about_.reset();
  if (main_) {
    main_->Calls().SetSelectedNumber(nullptr);
    main_->Calls().SetDirectory(nullptr);
    main_->SetButtonModes(nullptr);
    main_->SetContactLoading(nullptr);
    main_->SetUpdateCheck(nullptr);
    main_->SetSupportWindows(nullptr);
    main_->SetOutlook(nullptr);
  }
  loading_.reset();
  directory_.reset();
  contact_settings_.reset();
  main_.reset();
  update_link_.reset();
  update_.reset();
  support_.reset();
}

void AddinParts::SetOutlook(platform::outlook::Application* outlook) {
  main_->SetOutlook(outlook);
  directory_->SetOutlook(outlook);
  support_->SetOutlook(outlook);
}

AboutWindow& AddinParts::About() {
  if (!about_) about_ = std::make_unique<AboutWindow>(host_.toolkit);
  return *about_;
}

}  // namespace ringova
