#include "ringova_outlook/outlook/update_hook.h"

#include "ringova_outlook/support/update_check.h"

namespace ringova {

struct AddinUpdateCheck::Impl {
  explicit Impl(UpdateCheckContext context) : check(std::move(context)) {}
  UpdateCheck check;
};

AddinUpdateCheck::AddinUpdateCheck(platform::shell::Shell& shell, SupportWindows& windows,
                                   const platform::Registry& machine,
                                   const platform::outlook::Application* outlook)
    : impl_(std::make_unique<Impl>(UpdateCheckContext{.log = AddinLog(),
                                                      .shell = shell,
                                                      .windows = windows,
                                                      .machine = machine,
                                                      .outlook = outlook,
                                                      .server = std::nullopt,
                                                      .timeouts = {},
                                                      .own_version = OwnAddinVersion()})) {}

AddinUpdateCheck::~AddinUpdateCheck() = default;

void AddinUpdateCheck::CheckAppVersion() {
  impl_->check.CheckAppVersion();
}

}  // namespace ringova
