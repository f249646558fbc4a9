#pragma once
// The add-in's parts, made when it starts on the host's services and kept until it goes: the
// support windows, the settings window with the control, the contact directory, the update check
// and the About window. Everything is wired to everything else here, once.
#include <memory>

#include "platform/outlook/addin.h"
#include "ringova_outlook/contacts/contact_directory.h"
#include "ringova_outlook/contacts/toolbar_state.h"
#include "ringova_outlook/frontend/call_flow.h"
#include "ringova_outlook/frontend/contact_link.h"
#include "ringova_outlook/frontend/main_window.h"
#include "ringova_outlook/outlook/about_window.h"
#include "ringova_outlook/support/support_windows.h"
#include "ringova_outlook/support/update_check.h"

namespace ringova {

class AddinParts {
 public:
  AddinParts(const platform::outlook::HostServices& host, platform::outlook::Application* outlook,
             ToolbarState& buttons, SelectedNumber& selection);
  ~AddinParts();
  AddinParts(const AddinParts&) = delete;
  AddinParts& operator=(const AddinParts&) = delete;

  // The module's Outlook for every part; nullptr once the add-in has wound down.
  void SetOutlook(platform::outlook::Application* outlook);

  const platform::outlook::HostServices& Host() const { return host_; }
  fMain& Main() { return *main_; }
  ContactDirectory& Directory() { return *directory_; }
  SupportWindows& Support() { return *support_; }
  AboutWindow& About();
  void CheckAppVersion() { update_->CheckAppVersion(); }

 private:
  class UpdateLink;

  platform::outlook::HostServices host_;
  std::unique_ptr<SupportWindows> support_;
  std::unique_ptr<fMain> main_;
  std::unique_ptr<RecordContactSettings> contact_settings_;
  std::unique_ptr<ContactDirectory> directory_;
  std::unique_ptr<DirectoryContactLoading> loading_;
  std::unique_ptr<UpdateCheck> update_;
  std::unique_ptr<UpdateLink> update_link_;
  std::unique_ptr<AboutWindow> about_;
};

}  // namespace ringova
