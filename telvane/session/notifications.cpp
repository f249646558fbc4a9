#include "telvane/session/notifications.h"

namespace telvane {

const char* notificationName(NotificationNumber number) {
  static constexpr const char* kNames[] = {
      "CallArrived",     "CallStateChanged", "MessagePlayed",  "DtmfDigitReceived",
      "RequestFailed",   "Disconnected",     "MailArrived",    "SubscriptionConfirmed",
      "DTMFInjected",    "ExtensionGet",     "CDRArrived",     "DialogArrived",
      "PresenceArrived", "CallOriginated",   "ExtListArrived", "ErrorOccured"};
  const auto index = static_cast<std::uint32_t>(number) - kNotificationBase;
  return index < std::size(kNames) ? kNames[index] : "";
}

}  // namespace telvane
