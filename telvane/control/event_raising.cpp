// From session notifications to the control's events, on the host's thread.
#include <string>
#include <type_traits>
#include <variant>

#include "telvane/control/control_tables.h"
#include "telvane/control/event_texts.h"
#include "telvane/control/telvane_ctrl.h"
#include "telvane/xmlrpc/call_id.h"

namespace telvane {

namespace {

using platform::Variant;

int16_t low16(int32_t n) {
  return static_cast<int16_t>(n);
}

// The event a kind of notification raises: the interface row with its message number.
template <class Kind>
constexpr platform::DispId eventOf() {
  for (const interface::Event& e : interface::kEvents) {
    if (e.messageNumber == static_cast<std::uint32_t>(Kind::kNumber)) return e.dispId;
  }
  return platform::DISPID_UNKNOWN;
}

}  // namespace

void CTelvaneCtrl::raise(const Notification& notification) {
  std::visit(
      [this](const auto& n) {
        using T = std::decay_t<decltype(n)>;
        if constexpr (std::is_same_v<T, CallArrivedNotification>) {
          fire(eventOf<T>(), {n.callId, n.from, n.to, formatId(n.origCallId)});
        } else if constexpr (std::is_same_v<T, CallStateChangedNotification>) {
          fire(eventOf<T>(), {n.callId, low16(n.state)});
        } else if constexpr (std::is_same_v<T, MessagePlayedNotification>) {
          fire(eventOf<T>(), {n.callId});
        } else if constexpr (std::is_same_v<T, DtmfDigitReceivedNotification>) {
          // The low byte as a signed character, widened.
          fire(eventOf<T>(), {n.callId, static_cast<int16_t>(static_cast<int8_t>(n.digit & 0xFF))});
        } else if constexpr (std::is_same_v<T, RequestFailedNotification>) {
          fire(eventOf<T>(), {n.callId, n.code, n.text});
        } else if constexpr (std::is_same_v<T, DisconnectedNotification>) {
          fire(eventOf<T>(), {});
        } else if constexpr (std::is_same_v<T, MailArrivedNotification>) {
          fire(eventOf<T>(), {n.subscriptionId, n.from, n.time, n.duration, n.mailId});
        } else if constexpr (std::is_same_v<T, SubscriptionConfirmedNotification>) {
          fire(eventOf<T>(), {n.subscriptionId, n.confirmed, n.errorCode});
        } else if constexpr (std::is_same_v<T, DTMFInjectedNotification>) {
          fire(eventOf<T>(), {n.callId});
        } else if constexpr (std::is_same_v<T, ExtensionGetNotification>) {
          fire(eventOf<T>(), {n.found, n.extension});
        } else if constexpr (std::is_same_v<T, CDRArrivedNotification>) {
          const CdrRecord& r = n.record;
          const CdrStatistics& st = n.statistics;
          fire(eventOf<T>(), {n.subscriptionId,
                              n.fileType,
                              r.startTime,
                              r.duration,
                              r.to,
                              r.from,
                              r.callGuid,
                              r.details,
                              r.authenticatedBy,
                              r.callerIdRestricted,
                              st.rtpTxPackets,
                              st.rtpTxCodec,
                              st.rtpTxPacketSize,
                              st.rtpRxPackets,
                              st.rtpRxCodec,
                              st.rtpRxPacketSize,
                              st.rtpRxLost,
                              st.rtpRxJitter,
                              st.rtpRxMaxDelay,
                              st.rtpDelayIncCount,
                              st.rtpDelayDecCount,
                              st.faxTxPackets,
                              st.faxTxDuplicatePackets,
                              st.faxRxPackets,
                              st.faxRxLost,
                              st.faxRxBad,
                              st.faxRxDuplicatePackets});
        } else if constexpr (std::is_same_v<T, DialogArrivedNotification>) {
          for (const DialogRecord& d : n.dialogs) {
            fire(eventOf<T>(),
                 {n.subscriptionId, formatId(d.callId), low16(d.direction), low16(d.dialogState),
                  low16(d.stateEvent), d.duration, formatId(d.replacedCallId), low16(d.callState),
                  nameAddressText(d.referredBy), nameAddressText(d.local),
                  nameAddressText(d.remote), low16(d.callType)});
          }
        } else if constexpr (std::is_same_v<T, PresenceArrivedNotification>) {
          fire(eventOf<T>(), {n.subscriptionId, n.doNotDisturb});
        } else if constexpr (std::is_same_v<T, CallOriginatedNotification>) {
          fire(eventOf<T>(), {n.callId, n.caller, n.callee, n.pattern});
        } else if constexpr (std::is_same_v<T, ExtListArrivedNotification>) {
          fire(eventOf<T>(), {n.subscriptionId, extensionListText(n.extensions)});
        } else if constexpr (std::is_same_v<T, ErrorOccuredNotification>) {
          fire(eventOf<T>(), {n.callId, low16(n.errorCode)});
        }
      },
      notification);
}

}  // namespace telvane
