// The control for C hosts: a thin layer over its dispatch interface. Methods are looked up by
// name in the control's table and invoked with Variants built from the texts; events come from
// the same table through advise.
#include <chrono>
#include <deque>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "include/telvane/telvane_c.h"
#include "platform/com/owner_dispatcher.h"
#include "telvane/capi/c_guard.h"
#include "telvane/control/telvane_ctrl.h"
#include "telvane/control/text_arguments.h"

using platform::HResult;
using platform::Variant;

struct telvane_control {
  telvane_control();
  ~telvane_control();
  telvane_control(const telvane_control&) = delete;
  telvane_control& operator=(const telvane_control&) = delete;

  void raise(const platform::MemberInfo& event, const std::vector<Variant>& args);
  int fail(int status, std::string reason) {
    lastError = std::move(reason);
    return status;
  }

  // Declared first: the control's events are posted here, so it must outlive the control.
  platform::PollableDispatcher dispatcher;
  telvane::CTelvaneCtrl control;
  telvane_event_fn callback = nullptr;
  void* user = nullptr;
  std::string lastError;
  // The last reply's texts.
  std::string result;
  std::vector<std::string> outputs;
  std::vector<const char*> outputPointers;
  // A destroy asked for by a callback waits until the pump that runs it is done.
  int pumping = 0;
  bool destroyRequested = false;
};

telvane_control::telvane_control() {
  control.setDispatcher(&dispatcher);
  for (const platform::MemberInfo& event : control.events()) {
    control.advise(event.id,
                   [this, &event](const std::vector<Variant>& args) { raise(event, args); });
  }
}

telvane_control::~telvane_control() {
  control.setDispatcher(nullptr);
}

void telvane_control::raise(const platform::MemberInfo& event, const std::vector<Variant>& args) {
  if (!callback || destroyRequested) return;
  std::vector<std::string> texts;
  texts.reserve(args.size());
  for (const Variant& v : args) texts.push_back(telvane::valueText(v));
  std::vector<const char*> pointers;
  pointers.reserve(texts.size());
  for (const std::string& t : texts) pointers.push_back(t.c_str());
  callback(user, event.name.c_str(), static_cast<int>(pointers.size()), pointers.data());
}

namespace {

int check(const telvane_control* c) {
  if (!c || c->destroyRequested) return TELVANE_E_INVALID;
  if (!c->dispatcher.onOwnerThread()) return TELVANE_E_WRONG_THREAD;
  return TELVANE_OK;
}

int statusOf(HResult hr) {
  if (hr == platform::DISP_E_BADPARAMCOUNT) return TELVANE_E_ARG_COUNT;
  if (hr == platform::DISP_E_TYPEMISMATCH || hr == platform::DISP_E_OVERFLOW) {
    return TELVANE_E_ARG_VALUE;
  }
  if (hr == platform::DISP_E_MEMBERNOTFOUND) return TELVANE_E_UNKNOWN_METHOD;
  return TELVANE_E_INTERNAL;
}

int callMethod(telvane_control& c, const char* name, int argc, const char* const* argv,
               telvane_reply* reply) {
  if (!name || argc < 0 || (argc > 0 && !argv)) {
    return c.fail(TELVANE_E_INVALID, "null method name or arguments");
  }
  const platform::DispId id = c.control.getIDsOfNames(name);
  const platform::MemberInfo* method = platform::findMember(c.control.methods(), id);
  if (!method) return c.fail(TELVANE_E_UNKNOWN_METHOD, std::string("unknown method: ") + name);
  std::vector<std::string> words;
  for (int i = 0; i < argc; ++i) {
    if (!argv[i]) return c.fail(TELVANE_E_INVALID, "argument " + std::to_string(i) + " is null");
    words.emplace_back(argv[i]);
  }
  std::vector<Variant> args;
  std::deque<std::string> outputs;
  std::string error;
  if (!telvane::buildArguments(*method, words, args, outputs, error)) {
    const bool count = words.size() != telvane::inputCount(*method);
    return c.fail(count ? TELVANE_E_ARG_COUNT : TELVANE_E_ARG_VALUE, error);
  }
  Variant result;
  const HResult hr = c.control.invoke(id, args, result);
  if (!platform::succeeded(hr)) return c.fail(statusOf(hr), method->name + " could not be called");

  c.lastError.clear();
  c.result = telvane::valueText(result);
  c.outputs.assign(outputs.begin(), outputs.end());
  c.outputPointers.clear();
  for (const std::string& o : c.outputs) c.outputPointers.push_back(o.c_str());
  if (reply) {
    reply->result = c.result.c_str();
    reply->output_count = static_cast<int>(c.outputPointers.size());
    reply->outputs = c.outputPointers.data();
  }
  return TELVANE_OK;
}

template <class Pump>
int pumpWith(telvane_control* c, Pump pump) {
  if (int status = check(c); status != TELVANE_OK) return status;
  ++c->pumping;
  int ran = 0;
  int status = telvane::capi::Guarded([&] {
    ran = static_cast<int>(pump());
    return TELVANE_OK;
  });
  if (--c->pumping == 0 && c->destroyRequested) {
    std::unique_ptr<telvane_control> owned(c);  // asked for by a callback of this pump
  }
  return status == TELVANE_OK ? ran : status;
}

}  // namespace

extern "C" {

int telvane_create(telvane_control** out) {
  if (!out) return TELVANE_E_INVALID;
  *out = nullptr;
  return telvane::capi::Guarded([&] {
    *out = std::make_unique<telvane_control>().release();
    return TELVANE_OK;
  });
}

void telvane_destroy(telvane_control* control) {
  if (!control || control->destroyRequested) return;
  if (!control->dispatcher.onOwnerThread()) return;  // not ours to end from here
  if (control->pumping > 0) {
    control->destroyRequested = true;
    return;
  }
  std::unique_ptr<telvane_control> owned(control);
}

int telvane_call(telvane_control* control, const char* method, int argc, const char* const* argv,
                 telvane_reply* reply) {
  if (int status = check(control); status != TELVANE_OK) return status;
  return telvane::capi::Guarded([&] { return callMethod(*control, method, argc, argv, reply); });
}

const char* telvane_last_error(const telvane_control* control) {
  return control ? control->lastError.c_str() : "";
}

int telvane_set_event_callback(telvane_control* control, telvane_event_fn callback, void* user) {
  if (int status = check(control); status != TELVANE_OK) return status;
  control->callback = callback;
  control->user = user;
  return TELVANE_OK;
}

int telvane_fd(const telvane_control* control) {
  if (int status = check(control); status != TELVANE_OK) return status;
  return control->dispatcher.fd();
}

int telvane_pump(telvane_control* control) {
  return pumpWith(control, [control] { return control->dispatcher.pump(); });
}

int telvane_wait(telvane_control* control, int timeout_ms) {
  const std::chrono::milliseconds limit(timeout_ms < 0 ? 0 : timeout_ms);
  return pumpWith(control, [control, limit] { return control->dispatcher.pumpFor(limit); });
}

}  // extern "C"
