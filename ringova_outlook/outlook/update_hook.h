#pragma once
// The update check as the add-in starts it, kept apart from the settings window's link of the
// same name: one check object per add-in, made when the add-in starts.
#include <memory>

namespace platform {
class Registry;
}
namespace platform::outlook {
class Application;
}
namespace platform::shell {
class Shell;
}

namespace ringova {

class SupportWindows;

class AddinUpdateCheck {
 public:
  AddinUpdateCheck(platform::shell::Shell& shell, SupportWindows& windows,
                   const platform::Registry& machine,
                   const platform::outlook::Application* outlook);
  ~AddinUpdateCheck();
  AddinUpdateCheck(const AddinUpdateCheck&) = delete;
  AddinUpdateCheck& operator=(const AddinUpdateCheck&) = delete;

  void CheckAppVersion();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace ringova
