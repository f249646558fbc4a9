#pragma once
// The add-in's one control instance, reached only through its automation interface: created by
// its ProgID as any host creates it, called by member name, its events connected by name and
// delivered on the UI thread through the message loop. The typed members are made from the
// control's interface table, so only calls the interface takes compile.
//
// Without a control (not registered, not loadable) every call fails quietly: false, "0" or
// empty, as the control itself answers when it cannot act.
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/com/automation.h"
#include "platform/com/create_object.h"
#include "platform/ui/message_loop.h"
#include "ringova_outlook/frontend/control_calls.h"
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

  // Every method of the control by its own name, with the argument types of the interface
  // table (control_calls.h): client.CreateCallCID(from, to, displayName, username). Results are
  // bool, or an ID text ("0" when the call failed).
  template <telvane::interface::MethodId Id, class... A>
  requires control_calls::ArgumentsOf<Id, A...> control_calls::Result<Id> Call(A&&... a) {
    platform::Variant result;
    platform::HResult hr =
        Invoke(control_calls::kRow<Id>.name,
               control_calls::arguments<Id>(std::index_sequence_for<A...>(), std::forward<A>(a)...),
               result);
    if constexpr (std::is_same_v<control_calls::Result<Id>, bool>) {
      return IsTrue(hr, result);
    } else {
      return IdText(hr, result);
    }
  }
#define RINGOVA_CLIENT_METHOD(dispId, Name, result, synchronous)                \
  template <class... A>                                                         \
  requires control_calls::ArgumentsOf<telvane::interface::MethodId::Name, A...> \
  auto Name(A&&... a) {                                                         \
    return Call<telvane::interface::MethodId::Name>(std::forward<A>(a)...);     \
  }
  TELVANE_CONTROL_METHODS(RINGOVA_CLIENT_METHOD)
#undef RINGOVA_CLIENT_METHOD

  // Connects `handler` to an event; it gets the event's values in their C++ types
  // (std::string, bool, std::int16_t, std::int32_t), on the UI thread.
  template <telvane::interface::EventId Id, class Handler>
  bool On(Handler handler) {
    constexpr std::size_t count = control_calls::kEventRow<Id>.params.size();
    return Advise(
        control_calls::kEventRow<Id>.name,
        [handler = std::move(handler)](const std::vector<platform::Variant>& args) mutable {
          control_calls::deliver<Id>(args, handler, std::make_index_sequence<count>());
        });
  }

 private:
  static bool IsTrue(platform::HResult hr, const platform::Variant& result);
  static std::string IdText(platform::HResult hr, const platform::Variant& result);

  LoopDispatcher dispatcher_;
  platform::ComObject object_;  // declared after the dispatcher: released before it
};

}  // namespace ringova
