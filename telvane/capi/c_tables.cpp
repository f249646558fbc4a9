// The interface tables for C hosts: read from the control's own method and event tables.
#include <exception>
#include <vector>

#include "include/telvane/telvane_c.h"
#include "telvane/capi/c_guard.h"
#include "telvane/control/control_tables.h"
#include "telvane/control/text_arguments.h"

namespace {

using platform::MemberInfo;

int memberInfo(const std::vector<MemberInfo>& members, int index, telvane_member* out) {
  if (!out) return TELVANE_E_INVALID;
  if (index < 0 || static_cast<size_t>(index) >= members.size()) return TELVANE_E_UNKNOWN_METHOD;
  const MemberInfo& m = members[static_cast<size_t>(index)];
  out->id = m.id;
  out->name = m.name.c_str();
  out->result = platform::paramTypeWord(m.result);
  out->param_count = static_cast<int>(m.params.size());
  out->input_count = static_cast<int>(telvane::inputCount(m));
  return TELVANE_OK;
}

int paramInfo(const std::vector<MemberInfo>& members, int index, int param, telvane_param* out) {
  if (!out) return TELVANE_E_INVALID;
  if (index < 0 || static_cast<size_t>(index) >= members.size()) return TELVANE_E_UNKNOWN_METHOD;
  const MemberInfo& m = members[static_cast<size_t>(index)];
  if (param < 0 || static_cast<size_t>(param) >= m.params.size()) return TELVANE_E_ARG_COUNT;
  out->name = m.params[static_cast<size_t>(param)].name.c_str();
  out->type = platform::paramTypeWord(m.params[static_cast<size_t>(param)].type);
  return TELVANE_OK;
}

}  // namespace

// Guarded: the tables are built on first use, which allocates.
extern "C" {

int telvane_method_count(void) {
  return telvane::capi::Guarded([] { return static_cast<int>(telvane::methodInfos().size()); });
}

int telvane_method_info(int index, telvane_member* out) {
  return telvane::capi::Guarded([&] { return memberInfo(telvane::methodInfos(), index, out); });
}

int telvane_method_param(int index, int param, telvane_param* out) {
  return telvane::capi::Guarded(
      [&] { return paramInfo(telvane::methodInfos(), index, param, out); });
}

int telvane_event_count(void) {
  return telvane::capi::Guarded([] { return static_cast<int>(telvane::eventInfos().size()); });
}

int telvane_event_info(int index, telvane_member* out) {
  return telvane::capi::Guarded([&] { return memberInfo(telvane::eventInfos(), index, out); });
}

int telvane_event_param(int index, int param, telvane_param* out) {
  return telvane::capi::Guarded(
      [&] { return paramInfo(telvane::eventInfos(), index, param, out); });
}

const char* telvane_status_text(int status) {
  switch (status) {
    case TELVANE_OK:
      return "ok";
    case TELVANE_E_INVALID:
      return "invalid argument";
    case TELVANE_E_UNKNOWN_METHOD:
      return "unknown method";
    case TELVANE_E_ARG_COUNT:
      return "wrong number of arguments";
    case TELVANE_E_ARG_VALUE:
      return "bad argument value";
    case TELVANE_E_WRONG_THREAD:
      return "called from another thread than the control's";
    case TELVANE_E_INTERNAL:
      return "internal failure";
    default:
      return "unknown status";
  }
}

}  // extern "C"
