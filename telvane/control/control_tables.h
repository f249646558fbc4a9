#pragma once
// The control's two interface tables: the 31 methods of _DTelvane and the 16 events of
// _DTelvaneEvents, each row with its dispatch identifier, name, parameters (written as the type
// library declares them) and the code that binds it to the C++ class. Everything that names a
// member or a parameter (invoke, advise, the shell's parser and output) looks it up here.
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "platform/com/automation.h"

namespace telvane {

class CTelvaneCtrl;
class TelvaneEvents;

using Args = std::vector<platform::Variant>;

struct MethodEntry {
  platform::DispId id;
  std::string_view name;
  std::string_view params;
  platform::VarType result;
  // Calls the method; `args` already have the parameter types.
  platform::Variant (*call)(CTelvaneCtrl& control, Args& args);
};

struct EventEntry {
  platform::DispId id;
  std::string_view name;
  std::string_view params;
  // Calls the sink's handler with `args` (of the parameter types).
  void (*toSink)(TelvaneEvents& sink, const Args& args);
};

// Dispatch identifiers of the events, for raising them.
enum EventId : platform::DispId {
  kEventCallStateChanged = 1,
  kEventMessagePlayed = 2,
  kEventDtmfDigitReceived = 3,
  kEventRequestFailed = 4,
  kEventDisconnected = 5,
  kEventCallArrived = 6,
  kEventCallOriginated = 7,
  kEventMailArrived = 8,
  kEventSubscriptionConfirmed = 9,
  kEventDTMFInjected = 10,
  kEventExtensionGet = 11,
  kEventCDRArrived = 12,
  kEventDialogArrived = 13,
  kEventPresenceArrived = 14,
  kEventExtListArrived = 15,
  kEventErrorOccured = 16,
};

std::span<const MethodEntry> methodTable();
std::span<const EventEntry> eventTable();

const MethodEntry* findMethodEntry(platform::DispId id);
const EventEntry* findEventEntry(platform::DispId id);

// The tables as member descriptions (parameter lists parsed once).
const std::vector<platform::MemberInfo>& methodInfos();
const std::vector<platform::MemberInfo>& eventInfos();

}  // namespace telvane
