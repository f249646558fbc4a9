#pragma once
// What the session hands to its owner: one plain value type per kind of notification. Every
// notification owns its texts and lists, so the owner may copy, queue and keep it.
//
// Each kind has a number (0x8000 to 0x800F, the owner's message number, as the control's
// interface gives it); `Notification` holds the kinds in number order, so notificationNumber() is
// the variant index plus 0x8000. IDs travel
// as decimal `CallId` text, ready to become event arguments unchanged.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "include/telvane/control_interface.h"
#include "telvane/protocol/records.h"

namespace telvane {

inline constexpr std::uint32_t kNotificationBase = interface::kFirstMessageNumber;

// kCallArrived = 0x8000, ...: the message numbers of the interface's events.
#define TELVANE_NOTIFICATION_NUMBER(dispId, number, Name) k##Name = number,
enum class NotificationNumber : std::uint32_t {
  TELVANE_CONTROL_EVENTS(TELVANE_NOTIFICATION_NUMBER)
};
#undef TELVANE_NOTIFICATION_NUMBER

// The PBX offers a call; the host answers with AcceptCall, RejectCall or ForwardCall.
struct CallArrivedNotification {
  static constexpr NotificationNumber kNumber = NotificationNumber::kCallArrived;
  std::string callId;
  std::string from;  // party texts
  std::string to;
  CallId origCallId = 0;  // 0 when the PBX sent none
  bool operator==(const CallArrivedNotification&) const = default;
};

struct CallStateChangedNotification {
  static constexpr NotificationNumber kNumber = NotificationNumber::kCallStateChanged;
  std::string callId;
  std::int32_t state = 0;
  bool operator==(const CallStateChangedNotification&) const = default;
};

struct MessagePlayedNotification {
  static constexpr NotificationNumber kNumber = NotificationNumber::kMessagePlayed;
  std::string callId;
  bool operator==(const MessagePlayedNotification&) const = default;
};

struct DtmfDigitReceivedNotification {
  static constexpr NotificationNumber kNumber = NotificationNumber::kDtmfDigitReceived;
  std::string callId;
  std::int32_t digit = 0;  // the digit character's code
  bool operator==(const DtmfDigitReceivedNotification&) const = default;
};

// A fault answer (call ID "0"), a request time-out (100) or a connection closed by the PBX (102).
struct RequestFailedNotification {
  static constexpr NotificationNumber kNumber = NotificationNumber::kRequestFailed;
  std::string callId;
  std::int32_t code = 0;
  std::string text;
  bool operator==(const RequestFailedNotification&) const = default;
};

// The PBX closed the connection (never raised for a local close).
struct DisconnectedNotification {
  static constexpr NotificationNumber kNumber = NotificationNumber::kDisconnected;
  bool operator==(const DisconnectedNotification&) const = default;
};

struct MailArrivedNotification {
  static constexpr NotificationNumber kNumber = NotificationNumber::kMailArrived;
  std::string subscriptionId;
  std::string from;  // party text
  std::string time;  // as the PBX sent it
  std::int32_t duration = 0;
  std::int32_t mailId = 0;
  bool operator==(const MailArrivedNotification&) const = default;
};

struct SubscriptionConfirmedNotification {
  static constexpr NotificationNumber kNumber = NotificationNumber::kSubscriptionConfirmed;
  std::string subscriptionId;
  bool confirmed = false;
  std::int32_t errorCode = 0;
  bool operator==(const SubscriptionConfirmedNotification&) const = default;
};

struct DTMFInjectedNotification {
  static constexpr NotificationNumber kNumber = NotificationNumber::kDTMFInjected;
  std::string callId;
  bool operator==(const DTMFInjectedNotification&) const = default;
};

// The answer to GetExtension.
struct ExtensionGetNotification {
  static constexpr NotificationNumber kNumber = NotificationNumber::kExtensionGet;
  bool found = false;
  std::string extension;
  bool operator==(const ExtensionGetNotification&) const = default;
};

// A call detail record. Without statistics from the PBX every statistics number is 0 and both
// codec texts are empty.
struct CDRArrivedNotification {
  static constexpr NotificationNumber kNumber = NotificationNumber::kCDRArrived;
  std::string subscriptionId;
  std::int16_t fileType = 0;
  CdrRecord record;
  CdrStatistics statistics;
  bool operator==(const CDRArrivedNotification&) const = default;
};

// The owner raises one event per dialog, in order.
struct DialogArrivedNotification {
  static constexpr NotificationNumber kNumber = NotificationNumber::kDialogArrived;
  std::string subscriptionId;
  std::vector<DialogRecord> dialogs;
  bool operator==(const DialogArrivedNotification&) const = default;
};

struct PresenceArrivedNotification {
  static constexpr NotificationNumber kNumber = NotificationNumber::kPresenceArrived;
  std::string subscriptionId;
  bool doNotDisturb = false;
  bool operator==(const PresenceArrivedNotification&) const = default;
};

// A call request under call routing; the host answers with ResponseToCRCall.
struct CallOriginatedNotification {
  static constexpr NotificationNumber kNumber = NotificationNumber::kCallOriginated;
  std::string callId;
  std::string caller;  // "pbx:" and the extension, or the From party text when it has none
  std::string callee;  // the To party text
  std::string pattern;
  bool operator==(const CallOriginatedNotification&) const = default;
};

struct ExtListArrivedNotification {
  static constexpr NotificationNumber kNumber = NotificationNumber::kExtListArrived;
  std::string subscriptionId;
  std::vector<ExtensionRecord> extensions;
  bool operator==(const ExtListArrivedNotification&) const = default;
};

// A call entered state 6; delivered just before that CallStateChanged.
struct ErrorOccuredNotification {
  static constexpr NotificationNumber kNumber = NotificationNumber::kErrorOccured;
  std::string callId;
  std::int32_t errorCode = 0;  // 0 when the PBX sent none
  bool operator==(const ErrorOccuredNotification&) const = default;
};

// In number order: the index is the number minus kNotificationBase.
using Notification =
    std::variant<CallArrivedNotification, CallStateChangedNotification, MessagePlayedNotification,
                 DtmfDigitReceivedNotification, RequestFailedNotification, DisconnectedNotification,
                 MailArrivedNotification, SubscriptionConfirmedNotification,
                 DTMFInjectedNotification, ExtensionGetNotification, CDRArrivedNotification,
                 DialogArrivedNotification, PresenceArrivedNotification, CallOriginatedNotification,
                 ExtListArrivedNotification, ErrorOccuredNotification>;

inline NotificationNumber notificationNumber(const Notification& notification) {
  return static_cast<NotificationNumber>(kNotificationBase +
                                         static_cast<std::uint32_t>(notification.index()));
}

// The kind's name as the host's event is called ("CallArrived", ..., "ErrorOccured").
const char* notificationName(NotificationNumber number);

}  // namespace telvane
