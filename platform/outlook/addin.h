// Outlook's add-in interface: what a host calls on every add-in it loads, and the services it
// lends them.
//
// An add-in is an automation object (platform/com) created by its ProgID; its class also derives
// from IDTExtensibility2, which the host finds with QueryExtensibility. Every call happens on the
// host's UI thread. An add-in never throws through this interface; it answers S_OK or a failure
// code, and the host keeps going either way.
#pragma once

#include <string>

#include "platform/com/automation.h"
#include "platform/com/hresult.h"

namespace platform {
class Registry;
}
namespace platform::shell {
class Shell;
}
namespace platform::ui {
class Toolkit;
}

namespace platform::outlook {

class Application;

// OnConnection: why the add-in is being connected.
enum ext_ConnectMode : int {
  ext_cm_AfterStartup = 0,  // the user switched it on in a running Outlook
  ext_cm_Startup = 1,       // Outlook is starting
  ext_cm_External = 2,
  ext_cm_CommandLine = 3,
};

// OnDisconnection: why the add-in is being disconnected.
enum ext_DisconnectMode : int {
  ext_dm_HostShutdown = 0,  // Outlook is ending
  ext_dm_UserClosed = 1,    // the user switched it off
};

// The host's own services, lent to each add-in so that its windows are the host's windows, its
// settings the host's registry and its timers the host's loop. They outlive the add-in.
struct HostServices {
  ui::Toolkit& toolkit;  // the UI thread's message loop, clock and forms
  shell::Shell& shell;
  Registry& user;     // the current user's store
  Registry& machine;  // the machine's store
};

// What the host tells an add-in about its own registration.
struct AddInInstance {
  std::string progId;
  std::string description;
};

class IDTExtensibility2 {
 public:
  virtual ~IDTExtensibility2();

  virtual HResult OnConnection(Application& application, int connectMode,
                               const AddInInstance& addInInst, const HostServices& host) = 0;
  virtual HResult OnDisconnection(int removeMode) = 0;
  virtual HResult OnAddInsUpdate() = 0;
  virtual HResult OnStartupComplete() = 0;
  virtual HResult OnBeginShutdown() = 0;
};

// The add-in interface of an object, or null when the object has none.
IDTExtensibility2* QueryExtensibility(AutomationObject* object);

}  // namespace platform::outlook
