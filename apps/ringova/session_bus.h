#pragma once
// One ringova per session, over the session bus. The first start owns the name kBusName and
// serves org.freedesktop.Application at kBusPath (the desktop entry is DBusActivatable, so the
// bus also starts it for a click). A later start hands its phone link (Open) or itself
// (Activate) to that one and ends.
//
// Qt's bus connection runs on Qt's events: the host's loop must serve them (a QtPump) and a
// QCoreApplication must exist before anything here is used.
#include <functional>
#include <memory>
#include <string>

namespace ringova::host {

inline constexpr char kBusName[] = "org.telvane.Ringova";
inline constexpr char kBusPath[] = "/org/telvane/Ringova";

// Whether the environment names a session bus at all.
bool SessionBusNamed();

enum class HandOff {
  Delivered,    // the running instance took it
  NoneRunning,  // nobody owns the name
  Failed,       // no bus, or the instance did not answer; `why` says what happened
};

// Hands `address` (Open) or, when it is empty, an activation (Activate) to the instance that owns
// the name. Never starts one through the bus.
HandOff HandToRunningInstance(const std::string& address, std::string& why);
// Asks the running instance to sync an address-book source now (all of them for an empty name).
HandOff HandSyncToRunningInstance(const std::string& source, std::string& why);

class BusApplication {
 public:
  struct Handlers {
    std::function<void(const std::string& address)> open;  // each address of an Open
    std::function<void()> activate;
    std::function<void(const std::string& source)> syncSource;  // "" for every source
  };
  // Calls arrive while the loop serves Qt's events; the handlers run later, posted by `post`
  // (so a caller is answered before a dial opens a window).
  BusApplication(Handlers handlers, std::function<void(std::function<void()>)> post);
  ~BusApplication();
  BusApplication(const BusApplication&) = delete;
  BusApplication& operator=(const BusApplication&) = delete;

  // False when another owns the name or there is no bus; `why` says which.
  bool claim(std::string& why);
  bool claimed() const { return claimed_; }

 private:
  class Object;
  std::unique_ptr<Object> object_;
  bool claimed_ = false;
};

}  // namespace ringova::host
