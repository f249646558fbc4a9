#include "telvane/session/notifications.h"

#include <utility>

namespace telvane {

namespace {

template <std::size_t... I>
constexpr bool inNumberOrder(std::index_sequence<I...>) {
  return ((static_cast<std::uint32_t>(std::variant_alternative_t<I, Notification>::kNumber) ==
           kNotificationBase + I) &&
          ...);
}
static_assert(inNumberOrder(std::make_index_sequence<std::variant_size_v<Notification>>()),
              "Notification holds the kinds in number order");
static_assert(std::variant_size_v<Notification> == std::size(interface::kEvents));

}  // namespace

const char* notificationName(NotificationNumber number) {
  for (const interface::Event& e : interface::kEvents) {
    // The names are literals of the interface table, so they end in a NUL.
    if (e.messageNumber == static_cast<std::uint32_t>(number)) return e.name.data();
  }
  return "";
}

}  // namespace telvane
