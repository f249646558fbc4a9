#pragma once
// The control's two interface tables as the dispatch interface uses them: each row of the
// interface (include/telvane/control_interface.h) bound to the C++ member it calls, with its
// argument conversion. The binding is checked when it compiles: a member whose parameters do
// not match its row's types does not build.
#include <cstdint>
#include <span>
#include <vector>

#include "include/telvane/control_interface.h"
#include "platform/com/automation.h"

namespace telvane {

class CTelvaneCtrl;
class TelvaneEvents;

using Args = std::vector<platform::Variant>;

struct MethodEntry {
  const interface::Method* row;
  // Calls the method; `args` already have the parameter types.
  platform::Variant (*call)(CTelvaneCtrl& control, Args& args);
};

struct EventEntry {
  const interface::Event* row;
  // Calls the sink's handler with `args` (of the parameter types).
  void (*toSink)(TelvaneEvents& sink, const Args& args);
};

std::span<const MethodEntry> methodTable();
std::span<const EventEntry> eventTable();

const MethodEntry* findMethodEntry(platform::DispId id);
const EventEntry* findEventEntry(platform::DispId id);

// The tables as member descriptions.
const std::vector<platform::MemberInfo>& methodInfos();
const std::vector<platform::MemberInfo>& eventInfos();

platform::VarType variantType(interface::Kind kind);

}  // namespace telvane
