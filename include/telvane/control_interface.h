#pragma once
// The control's automation interface, written once: its 31 methods (_DTelvane) and 16 events
// (_DTelvaneEvents) with their dispatch identifiers, names, typed parameters and results, which
// methods are synchronous, and each event's session message number (0x8000 and up). The library's
// automation table, event raising, C tables and the Python stub are made from these rows; hosts
// and the add-in may include this header without linking the library.
//
// Each list is an X-macro: pass a macro taking the row's fields.
//   TELVANE_CONTROL_METHODS(X): X(dispId, Name, result, synchronous)
//   TELVANE_CONTROL_EVENTS(X):  X(dispId, messageNumber, Name)
// The parameters of `Name` are telvane::interface::k<Name>Params.
//
// A synchronous method waits for the PBX's answer on the host's thread; no event is raised while
// it runs (notifications are queued and raised in order when it has returned).
#include <cstdint>
#include <span>
#include <string_view>

namespace telvane::interface {

// What a value is. Every kind crosses the dispatch interface as one automation type: IDs as
// decimal text ("0" is the failure value of an ID result), a port as I2 holding its 16 bits, an
// out-text by reference.
enum class Kind : std::uint8_t { Text, CallId, Bool, I2, I4, Port, TextOut };
enum class AutomationType : std::uint8_t { Text, Bool, I2, I4, TextRef };

constexpr AutomationType automationType(Kind kind) {
  switch (kind) {
    case Kind::Bool:
      return AutomationType::Bool;
    case Kind::I2:
    case Kind::Port:
      return AutomationType::I2;
    case Kind::I4:
      return AutomationType::I4;
    case Kind::TextOut:
      return AutomationType::TextRef;
    case Kind::Text:
    case Kind::CallId:
      break;
  }
  return AutomationType::Text;
}

struct Param {
  std::string_view name;
  Kind kind;
};

struct Method {
  std::int32_t dispId;
  std::string_view name;
  std::span<const Param> params;
  Kind result;  // Bool or CallId
  bool synchronous;
};

struct Event {
  std::int32_t dispId;
  std::uint32_t messageNumber;
  std::string_view name;
  std::span<const Param> params;
};

inline constexpr std::uint32_t kFirstMessageNumber = 0x8000;

// clang-format off
#define TELVANE_CONTROL_METHODS(X)             \
  X(1, Connect, Bool, true)                    \
  X(2, Disconnect, Bool, true)                 \
  X(3, CreateCall, CallId, false)              \
  X(4, CloseCall, Bool, false)                 \
  X(5, TransferCall, Bool, false)              \
  X(6, JoinCalls, Bool, false)                 \
  X(7, UnjoinCalls, Bool, false)               \
  X(8, PlayMessage, Bool, false)               \
  X(9, EnableDtmfDetection, Bool, false)       \
  X(10, IncomingCallHandling, Bool, false)     \
  X(11, AcceptCall, Bool, false)               \
  X(12, RejectCall, Bool, false)               \
  X(13, ForwardCall, Bool, false)              \
  X(14, SubscribeToVoiceMail, CallId, false)   \
  X(15, Unsubscribe, Bool, false)              \
  X(16, InjectDTMF, Bool, false)               \
  X(17, SConnect, Bool, true)                  \
  X(18, GetExtension, Bool, false)             \
  X(19, SubscribeToCDR, CallId, false)         \
  X(20, SetConnectionMode, Bool, false)        \
  X(21, GetWAVFiles, Bool, true)               \
  X(22, TransferFile, Bool, true)              \
  X(23, DeleteFile, Bool, true)                \
  X(24, SubscribeToCR, CallId, false)          \
  X(25, ResponseToCRCall, Bool, false)         \
  X(26, SubscribeToDialog, CallId, false)      \
  X(27, SubscribeToPresence, CallId, false)    \
  X(28, GetSystemInfo, Bool, true)             \
  X(29, SubscribeToExtList, CallId, false)     \
  X(30, UpdateConfiguration, Bool, true)       \
  X(31, CreateCallCID, CallId, false)

// The dispatch identifiers and the message numbers are in different orders; both stay as hosts
// know them.
#define TELVANE_CONTROL_EVENTS(X)              \
  X(1, 0x8001, CallStateChanged)               \
  X(2, 0x8002, MessagePlayed)                  \
  X(3, 0x8003, DtmfDigitReceived)              \
  X(4, 0x8004, RequestFailed)                  \
  X(5, 0x8005, Disconnected)                   \
  X(6, 0x8000, CallArrived)                    \
  X(7, 0x800D, CallOriginated)                 \
  X(8, 0x8006, MailArrived)                    \
  X(9, 0x8007, SubscriptionConfirmed)          \
  X(10, 0x8008, DTMFInjected)                  \
  X(11, 0x8009, ExtensionGet)                  \
  X(12, 0x800A, CDRArrived)                    \
  X(13, 0x800B, DialogArrived)                 \
  X(14, 0x800C, PresenceArrived)               \
  X(15, 0x800E, ExtListArrived)                \
  X(16, 0x800F, ErrorOccured)
// clang-format on

namespace param {
constexpr Param text(std::string_view name) {
  return {name, Kind::Text};
}
constexpr Param id(std::string_view name) {
  return {name, Kind::CallId};
}
constexpr Param boolean(std::string_view name) {
  return {name, Kind::Bool};
}
constexpr Param i2(std::string_view name) {
  return {name, Kind::I2};
}
constexpr Param i4(std::string_view name) {
  return {name, Kind::I4};
}
constexpr Param port(std::string_view name) {
  return {name, Kind::Port};
}
constexpr Param textOut(std::string_view name) {
  return {name, Kind::TextOut};
}
}  // namespace param

inline constexpr std::span<const Param> kNoParams{};

// ---- method parameters, in call order
using namespace param;
inline constexpr Param kConnectParams[] = {text("serverAddress"), port("serverPort"), i4("timeout"),
                                           text("username"), text("password")};
inline constexpr auto kDisconnectParams = kNoParams;
inline constexpr Param kCreateCallParams[] = {text("from"), text("to"), text("displayName")};
inline constexpr Param kCloseCallParams[] = {id("callID")};
inline constexpr Param kTransferCallParams[] = {id("callID"), text("to")};
inline constexpr Param kJoinCallsParams[] = {id("callID"), id("callIDtoJoin")};
inline constexpr Param kUnjoinCallsParams[] = {id("callID"), id("callIDtoUnjoin")};
inline constexpr Param kPlayMessageParams[] = {id("callID"), text("fileName"), i2("playCount")};
inline constexpr Param kEnableDtmfDetectionParams[] = {id("callID"), boolean("onoff")};
inline constexpr Param kIncomingCallHandlingParams[] = {text("extensionName"), boolean("bEnable")};
inline constexpr Param kAcceptCallParams[] = {id("callID"), text("callerID"),
                                              text("callerDispName"), boolean("bRemControl")};
inline constexpr Param kRejectCallParams[] = {id("callID")};
inline constexpr Param kForwardCallParams[] = {id("callID"), text("callee"), text("callerID"),
                                               text("callerDispName")};
inline constexpr Param kSubscribeToVoiceMailParams[] = {text("extensionName")};
inline constexpr Param kUnsubscribeParams[] = {id("subscrID")};
inline constexpr Param kInjectDTMFParams[] = {id("callID"), text("DTMFstring")};
inline constexpr Param kSConnectParams[] = {text("serverAddress"), port("serverPort"),
                                            i4("timeout"),         text("username"),
                                            text("timestamp"),     text("auth")};
inline constexpr Param kGetExtensionParams[] = {text("username")};
inline constexpr auto kSubscribeToCDRParams = kNoParams;
inline constexpr Param kSetConnectionModeParams[] = {boolean("secure")};
inline constexpr Param kGetWAVFilesParams[] = {text("extensionName"), textOut("listWAV")};
inline constexpr Param kTransferFileParams[] = {text("extensionName"), text("fileName")};
inline constexpr Param kDeleteFileParams[] = {text("extensionName"), text("fileName")};
inline constexpr auto kSubscribeToCRParams = kNoParams;
inline constexpr Param kResponseToCRCallParams[] = {id("callID"), boolean("bIsAccept")};
inline constexpr Param kSubscribeToDialogParams[] = {text("extensionName")};
inline constexpr Param kSubscribeToPresenceParams[] = {text("extensionName")};
inline constexpr Param kGetSystemInfoParams[] = {textOut("uniqueID"), textOut("softVersion")};
inline constexpr auto kSubscribeToExtListParams = kNoParams;
inline constexpr Param kUpdateConfigurationParams[] = {text("fileName")};
inline constexpr Param kCreateCallCIDParams[] = {text("from"), text("to"), text("displayName"),
                                                 text("username")};

// ---- event parameters, in the order handlers get them
inline constexpr Param kCallStateChangedParams[] = {id("callID"), i2("callState")};
inline constexpr Param kMessagePlayedParams[] = {id("callID")};
// The digit's character code, as a signed byte.
inline constexpr Param kDtmfDigitReceivedParams[] = {id("callID"), i2("digit")};
inline constexpr Param kRequestFailedParams[] = {id("callID"), i4("failureCode"),
                                                 text("failureString")};
inline constexpr auto kDisconnectedParams = kNoParams;
inline constexpr Param kCallArrivedParams[] = {id("callID"), text("caller"), text("callee"),
                                               id("origCallID")};
inline constexpr Param kCallOriginatedParams[] = {id("callID"), text("caller"), text("callee"),
                                                  text("pattern")};
inline constexpr Param kMailArrivedParams[] = {id("subscrID"), text("caller"), text("time"),
                                               i4("duration"), i4("id")};
inline constexpr Param kSubscriptionConfirmedParams[] = {id("subscrID"), boolean("confirmed"),
                                                         i4("errorCode")};
inline constexpr Param kDTMFInjectedParams[] = {id("callID")};
inline constexpr Param kExtensionGetParams[] = {boolean("bFound"), text("mExtName")};
inline constexpr Param kCDRArrivedParams[] = {id("subscrID"),
                                              i2("fileType"),
                                              i4("callStartTime"),
                                              i4("callDuration"),
                                              text("calledUser"),
                                              text("callerUser"),
                                              text("callGUID"),
                                              text("callDetails"),
                                              text("authUserName"),
                                              boolean("clirCaller"),
                                              i4("rtpTxPackets"),
                                              text("rtpTxCodec"),
                                              i2("rtpTxPacketSize"),
                                              i4("rtpRxPackets"),
                                              text("rtpRxCodec"),
                                              i2("rtpRxPacketSize"),
                                              i2("rtpRxLost"),
                                              i4("rtpRxJitter"),
                                              i4("rtpRxMaxDelay"),
                                              i2("rtpDelayIncreaseCount"),
                                              i2("rtpDelayDecreaseCount"),
                                              i4("faxTxPackets"),
                                              i4("faxTxDuplicatePackets"),
                                              i4("faxRxPackets"),
                                              i2("faxRxLostPackets"),
                                              i2("faxRxBadPackets"),
                                              i4("faxRxDuplicatePackets")};
// Once per dialog of a notification.
inline constexpr Param kDialogArrivedParams[] = {
    id("subscrID"),     id("callID"),      i2("direction"),    i2("dialogState"),
    i2("stateEvent"),   i4("duration"),    id("replaces"),     i2("callState"),
    text("referredBy"), text("localName"), text("remoteName"), i2("callType")};
inline constexpr Param kPresenceArrivedParams[] = {id("subscrID"), boolean("bDND")};
// Ext~Display~SipAddress~Type~Line~ per entry.
inline constexpr Param kExtListArrivedParams[] = {id("subscrID"), text("extList")};
// A call entered state 6; raised just before that CallStateChanged.
inline constexpr Param kErrorOccuredParams[] = {id("callID"), i2("errorCode")};

// ---- the tables, in dispatch identifier order
#define TELVANE_INTERFACE_METHOD_ROW(dispId, Name, result, synchronous) \
  Method{dispId, #Name, k##Name##Params, Kind::result, synchronous},
inline constexpr Method kMethods[] = {TELVANE_CONTROL_METHODS(TELVANE_INTERFACE_METHOD_ROW)};
#undef TELVANE_INTERFACE_METHOD_ROW

#define TELVANE_INTERFACE_EVENT_ROW(dispId, number, Name) \
  Event{dispId, number, #Name, k##Name##Params},
inline constexpr Event kEvents[] = {TELVANE_CONTROL_EVENTS(TELVANE_INTERFACE_EVENT_ROW)};
#undef TELVANE_INTERFACE_EVENT_ROW

// Dispatch identifiers by name: interface::MethodId::Connect, interface::EventId::CallArrived.
#define TELVANE_INTERFACE_METHOD_ID(dispId, Name, result, synchronous) Name = dispId,
enum class MethodId : std::int32_t { TELVANE_CONTROL_METHODS(TELVANE_INTERFACE_METHOD_ID) };
#undef TELVANE_INTERFACE_METHOD_ID
#define TELVANE_INTERFACE_EVENT_ID(dispId, number, Name) Name = dispId,
enum class EventId : std::int32_t { TELVANE_CONTROL_EVENTS(TELVANE_INTERFACE_EVENT_ID) };
#undef TELVANE_INTERFACE_EVENT_ID

constexpr const Method* findMethod(std::int32_t dispId) {
  for (const Method& m : kMethods) {
    if (m.dispId == dispId) return &m;
  }
  return nullptr;
}
constexpr const Event* findEvent(std::int32_t dispId) {
  for (const Event& e : kEvents) {
    if (e.dispId == dispId) return &e;
  }
  return nullptr;
}
constexpr const Method& method(MethodId id) {
  return *findMethod(static_cast<std::int32_t>(id));
}
constexpr const Event& event(EventId id) {
  return *findEvent(static_cast<std::int32_t>(id));
}
constexpr const Event* findEventByMessage(std::uint32_t messageNumber) {
  for (const Event& e : kEvents) {
    if (e.messageNumber == messageNumber) return &e;
  }
  return nullptr;
}

namespace detail {
constexpr bool numberedInOrder() {
  std::int32_t next = 1;
  for (const Method& m : kMethods) {
    if (m.dispId != next++) return false;
  }
  next = 1;
  for (const Event& e : kEvents) {
    if (e.dispId != next++) return false;
  }
  // Every message number from the first, once.
  for (std::uint32_t n = 0; n < std::size(kEvents); ++n) {
    int found = 0;
    for (const Event& e : kEvents) found += e.messageNumber == kFirstMessageNumber + n ? 1 : 0;
    if (found != 1) return false;
  }
  return true;
}
static_assert(std::size(kMethods) == 31 && std::size(kEvents) == 16);
static_assert(numberedInOrder(), "dispatch identifiers run from 1; message numbers from 0x8000");
}  // namespace detail

}  // namespace telvane::interface
