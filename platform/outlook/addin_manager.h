// The host's side of the add-in interface: the add-ins registered for the current user, and the
// order in which Outlook connects, starts, switches off and shuts them down.
//
// Registration lives under kAddInsKey in the current user's store: one key per ProgID with
// "FriendlyName", "Description" (texts) and "LoadBehavior" (a number; 3 loads at start-up).
// Each add-in is made by its ProgID through platform::createObject. Whatever an add-in does
// wrong (a failure code, an exception, no add-in interface) is written to failures() and the
// add-in is dropped; the host goes on.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/create_object.h"
#include "platform/outlook/addin.h"
#include "platform/outlook/signal.h"

namespace platform::outlook {

inline constexpr std::string_view kAddInsKey = "Software\\Microsoft\\Office\\Outlook\\Addins";
inline constexpr std::uint32_t kLoadAtStartup = 3;  // loaded, and loaded at start-up

struct AddInRegistration {
  std::string progId;
  std::string friendlyName;
  std::string description;
  std::uint32_t loadBehavior = kLoadAtStartup;
};

bool registerAddIn(Registry& user, const AddInRegistration& addIn);
// True when the entry is gone afterwards.
bool unregisterAddIn(Registry& user, std::string_view progId);
std::optional<AddInRegistration> findAddIn(const Registry& user, std::string_view progId);
std::vector<AddInRegistration> registeredAddIns(const Registry& user);

class AddInManager {
 public:
  AddInManager(Application& application, HostServices host);
  // Disconnects what is still connected, as at Outlook's end.
  ~AddInManager();
  AddInManager(const AddInManager&) = delete;
  AddInManager& operator=(const AddInManager&) = delete;

  // Outlook starting: every add-in registered with load behaviour 3 is connected (ConnectMode
  // 1), then each hears OnStartupComplete. Returns how many are connected.
  int Startup();
  // The user switches an add-in on in a running Outlook (ConnectMode 0). False when it could not
  // be made or refused; true when it was already connected.
  bool Connect(std::string_view progId);
  // The user switches an add-in off (RemoveMode 1); its object is released.
  bool Disconnect(std::string_view progId);
  // Outlook ending: Quit on the application (its windows close and Quit is raised), then
  // OnBeginShutdown and OnDisconnection(0) for each add-in. Also runs when the application quits
  // by itself (its last window closed).
  void Shutdown();

  bool IsConnected(std::string_view progId) const;
  std::vector<std::string> Connected() const;
  const std::vector<std::string>& Failures() const { return failures_; }

 private:
  struct Loaded;
  Loaded* find(std::string_view progId) const;
  bool connectOne(const AddInRegistration& reg, int mode);
  // Runs one call into an add-in; false (with a line in failures_) when it failed.
  template <class Call>
  bool guarded(const Loaded& addIn, std::string_view what, Call call);
  void release(std::string_view progId);
  void notifyUpdate();
  void watchQuit();
  void shutdownAddIns();
  void releaseAll();

  Application& app_;
  HostServices host_;
  std::vector<std::unique_ptr<Loaded>> loaded_;
  std::vector<std::string> failures_;
  Connection quit_;
  bool shutDown_ = false;
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace platform::outlook
