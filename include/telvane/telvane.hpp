// telvane.hpp: the C interface (telvane_c.h) for C++ hosts, header only. Nothing of C++ crosses
// into the library, so a host may use another compiler or standard library than it was built
// with.
//
//   telvane::Control control;                       // on the host's thread
//   control.onEvent([](const telvane::Event& e) { ... });
//   telvane::Reply r = control.call("Connect", {"127.0.0.1", "5070", "5", "101", "secret"});
//   if (r.ok() && r.result == "true") ...
//   control.wait(std::chrono::seconds(1));          // or poll control.fd() and pump()
//
// Methods and their parameters: telvane_c.h, telvane_method_info.
//
// With C++20 the control also has one member per method, typed from the interface table
// (control_interface.h), and typed events:
//   telvane::Result<telvane::CallId> call = control.createCall("system", "pbx:101", "Example");
//   control.on<telvane::CallStateChanged>([](const telvane::CallStateChanged& e) { ... });
// A wrong argument type or count does not compile. Ports are std::uint16_t, IDs telvane::CallId,
// out-texts std::string& (set when the call succeeds).
#ifndef TELVANE_TELVANE_HPP
#define TELVANE_TELVANE_HPP

#include <chrono>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "telvane_c.h"
#if __cplusplus >= 202002L
#include "typed_values.hpp"
#endif

namespace telvane {

struct Reply {
  int status = TELVANE_OK;           // TELVANE_OK or a telvane_status code
  std::string error;                 // why, when status is not TELVANE_OK
  std::string result;                // "true"/"false" or a text such as a call ID
  std::vector<std::string> outputs;  // out-parameters, in order

  bool ok() const { return status == TELVANE_OK; }
};

struct Event {
  std::string name;
  std::vector<std::string> args;  // in declaration order
};

class Control {
 public:
  Control() { status_ = telvane_create(&control_); }
  ~Control() { telvane_destroy(control_); }
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  // TELVANE_OK when the control was created.
  int status() const { return status_; }

  Reply call(const std::string& method, const std::vector<std::string>& args = {}) {
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    telvane_reply raw{};
    Reply reply;
    reply.status =
        telvane_call(control_, method.c_str(), static_cast<int>(argv.size()), argv.data(), &raw);
    if (!reply.ok()) {
      reply.error = control_ ? telvane_last_error(control_) : "";
      if (reply.error.empty()) reply.error = telvane_status_text(reply.status);
      return reply;
    }
    reply.result = raw.result;
    reply.outputs.assign(raw.outputs, raw.outputs + raw.output_count);
    return reply;
  }

  // Runs on the thread that pumps; replaces the previous handler. An exception it throws is
  // dropped.
  void onEvent(std::function<void(const Event&)> handler) {
    handler_ = std::move(handler);
    telvane_set_event_callback(control_, handler_ || hasTyped() ? &Control::trampoline : nullptr,
                               this);
  }

#if __cplusplus >= 202002L
  // The typed members: createCall(...), connect(...), ... (below, one per method).
  template <interface::MethodId Id, class... A>
  requires typed::ArgumentsOf<Id, A...> typed::ResultOf<Id> invoke(A&&... a) {
    std::vector<std::string> texts;
    std::vector<std::string*> outs;
    [&]<std::size_t... I>(std::index_sequence<I...>) {
      (typed::collect<typed::kMethod<Id>.params[I].kind>(texts, outs, a), ...);
    }
    (std::index_sequence_for<A...>());
    Reply reply = call(std::string(typed::kMethod<Id>.name), texts);
    typed::ResultOf<Id> result;
    result.status = reply.status;
    result.error = std::move(reply.error);
    if (!reply.ok()) return result;
    if constexpr (std::is_same_v<typed::ResultOf<Id>, Result<void>>) {
      result.refused = reply.result != "true";
    } else {
      result.refused = !typed::fromText(reply.result, result.value) || result.value == 0;
    }
    if (result.refused) {
      result.error = std::string(typed::kMethod<Id>.name) + " was refused";
      return result;
    }
    for (std::size_t i = 0; i < outs.size() && i < reply.outputs.size(); ++i) {
      *outs[i] = reply.outputs[i];
    }
    return result;
  }

#define TELVANE_TYPED_METHOD(member, Name)                           \
  template <class... A>                                              \
  requires typed::ArgumentsOf<interface::MethodId::Name, A...>       \
  auto member(A&&... a) {                                            \
    return invoke<interface::MethodId::Name>(std::forward<A>(a)...); \
  }
  TELVANE_TYPED_METHOD(connect, Connect)
  TELVANE_TYPED_METHOD(disconnect, Disconnect)
  TELVANE_TYPED_METHOD(createCall, CreateCall)
  TELVANE_TYPED_METHOD(closeCall, CloseCall)
  TELVANE_TYPED_METHOD(transferCall, TransferCall)
  TELVANE_TYPED_METHOD(joinCalls, JoinCalls)
  TELVANE_TYPED_METHOD(unjoinCalls, UnjoinCalls)
  TELVANE_TYPED_METHOD(playMessage, PlayMessage)
  TELVANE_TYPED_METHOD(enableDtmfDetection, EnableDtmfDetection)
  TELVANE_TYPED_METHOD(incomingCallHandling, IncomingCallHandling)
  TELVANE_TYPED_METHOD(acceptCall, AcceptCall)
  TELVANE_TYPED_METHOD(rejectCall, RejectCall)
  TELVANE_TYPED_METHOD(forwardCall, ForwardCall)
  TELVANE_TYPED_METHOD(subscribeToVoiceMail, SubscribeToVoiceMail)
  TELVANE_TYPED_METHOD(unsubscribe, Unsubscribe)
  TELVANE_TYPED_METHOD(injectDTMF, InjectDTMF)
  TELVANE_TYPED_METHOD(sConnect, SConnect)
  TELVANE_TYPED_METHOD(getExtension, GetExtension)
  TELVANE_TYPED_METHOD(subscribeToCDR, SubscribeToCDR)
  TELVANE_TYPED_METHOD(setConnectionMode, SetConnectionMode)
  TELVANE_TYPED_METHOD(getWAVFiles, GetWAVFiles)
  TELVANE_TYPED_METHOD(transferFile, TransferFile)
  TELVANE_TYPED_METHOD(deleteFile, DeleteFile)
  TELVANE_TYPED_METHOD(subscribeToCR, SubscribeToCR)
  TELVANE_TYPED_METHOD(responseToCRCall, ResponseToCRCall)
  TELVANE_TYPED_METHOD(subscribeToDialog, SubscribeToDialog)
  TELVANE_TYPED_METHOD(subscribeToPresence, SubscribeToPresence)
  TELVANE_TYPED_METHOD(getSystemInfo, GetSystemInfo)
  TELVANE_TYPED_METHOD(subscribeToExtList, SubscribeToExtList)
  TELVANE_TYPED_METHOD(updateConfiguration, UpdateConfiguration)
  TELVANE_TYPED_METHOD(createCallCID, CreateCallCID)
#undef TELVANE_TYPED_METHOD

  // Adds a handler for one event (beside onEvent's); an event whose texts do not read as its
  // types is not passed to it.
  template <class E, class Handler>
  requires std::invocable<Handler&, const E&>
  void on(Handler handler) {
    typed_.push_back([handler = std::move(handler)](const char* name, int argc,
                                                    const char* const* argv) mutable {
      if (std::string_view(name) != E::kName) return;
      E event;
      if (event.read(argc, argv)) handler(event);
    });
    telvane_set_event_callback(control_, &Control::trampoline, this);
  }
#endif

  int fd() const {
    return telvane_fd(control_);
  }
  int pump() {
    return telvane_pump(control_);
  }
  int wait(std::chrono::milliseconds limit) {
    return telvane_wait(control_, static_cast<int>(limit.count()));
  }

 private:
  static void trampoline(void* user, const char* event, int argc, const char* const* argv) {
    auto* self = static_cast<Control*>(user);
    // Nothing may unwind into the library: a handler's exception ends with the handler.
    try {
      if (self->handler_) self->handler_(Event{event, std::vector<std::string>(argv, argv + argc)});
#if __cplusplus >= 202002L
      // By index: a handler may add another.
      for (std::size_t i = 0; i < self->typed_.size(); ++i) self->typed_[i](event, argc, argv);
#endif
    } catch (...) {
    }
  }

#if __cplusplus >= 202002L
  bool hasTyped() const {
    return !typed_.empty();
  }
  std::vector<std::function<void(const char*, int, const char* const*)>> typed_;
#else
  bool hasTyped() const {
    return false;
  }
#endif

  telvane_control* control_ = nullptr;
  int status_ = TELVANE_OK;
  std::function<void(const Event&)> handler_;
};

}  // namespace telvane

#endif  // TELVANE_TELVANE_HPP
