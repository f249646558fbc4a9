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
#ifndef TELVANE_TELVANE_HPP
#define TELVANE_TELVANE_HPP

#include <chrono>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "telvane_c.h"

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
    telvane_set_event_callback(control_, handler_ ? &Control::trampoline : nullptr, this);
  }

  int fd() const { return telvane_fd(control_); }
  int pump() { return telvane_pump(control_); }
  int wait(std::chrono::milliseconds limit) {
    return telvane_wait(control_, static_cast<int>(limit.count()));
  }

 private:
  static void trampoline(void* user, const char* event, int argc, const char* const* argv) {
    auto* self = static_cast<Control*>(user);
    // Nothing may unwind into the library: a handler's exception ends with the handler.
    try {
      self->handler_(Event{event, std::vector<std::string>(argv, argv + argc)});
    } catch (...) {
    }
  }

  telvane_control* control_ = nullptr;
  int status_ = TELVANE_OK;
  std::function<void(const Event&)> handler_;
};

}  // namespace telvane

#endif  // TELVANE_TELVANE_HPP
