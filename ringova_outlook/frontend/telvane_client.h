#pragma once
// The add-in's one control instance, reached only through its automation interface: created by
// its ProgID as any host creates it, called by member name, its events connected by name and
// delivered on the UI thread through the message loop.
//
// Without a control (not registered, not loadable) every call fails quietly: false, "0" or
// empty, as the control itself answers when it cannot act.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/automation.h"
#include "platform/com/create_object.h"
#include "platform/ui/message_loop.h"
#include "ringova_outlook/frontend/loop_dispatcher.h"

namespace ringova {

inline constexpr std::string_view kTelvaneProgId = "TELVANE.TelvaneCtrl.1";

class TelvaneClient {
 public:
  explicit TelvaneClient(platform::ui::MessageLoop& loop);
  ~TelvaneClient();  // releases the control first, then its dispatcher
  TelvaneClient(const TelvaneClient&) = delete;
  TelvaneClient& operator=(const TelvaneClient&) = delete;

  // Creates the control; the result code of the creation.
  platform::HResult Create();
  // Destroys the control (its session ends without raising events).
  void Release();
  bool exists() const { return static_cast<bool>(object_); }

  // Calls a method by name; S_OK and its result, or the failure code (the result is Empty).
  platform::HResult Invoke(std::string_view method, std::vector<platform::Variant> args,
                           platform::Variant& result);
  // Connects a handler to an event by name; false when there is no control or no such event.
  bool Advise(std::string_view event, platform::EventHandler handler);

  // The methods the connection uses.
  bool SetConnectionMode(bool secure);
  bool SConnect(const std::string& address, int port, std::int32_t timeout, const std::string& user,
                const std::string& timestamp, const std::string& auth);
  bool GetSystemInfo(std::string& uniqueId, std::string& softwareVersion);
  std::string SubscribeToExtList();
  bool Unsubscribe(const std::string& subscriptionId);
  bool IncomingCallHandling(const std::string& extension, bool enable);
  bool Disconnect();

 private:
  bool CallBool(std::string_view method, std::vector<platform::Variant> args);

  LoopDispatcher dispatcher_;
  platform::ComObject object_;  // declared after the dispatcher: released before it
};

}  // namespace ringova
