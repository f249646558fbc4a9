// What parsed PBX messages hand to the session, turned into notifications for the owner
// (receive thread). Nothing reaches the owner unless the session is logged in.
#include "telvane/session/pbx_session.h"

namespace telvane {
namespace {

constexpr std::int32_t kCallStateError = 6;

}  // namespace

bool PbxSession::canNotify() const {
  return state() == SessionState::kLoggedIn && owner_.canReceive();
}

void PbxSession::notify(Notification notification) {
  if (!canNotify()) return;
  // Behind a batch not yet delivered, so the owner sees the order things happened in.
  if (batching_ || !batch_.empty()) {
    batch_.push_back(std::move(notification));
  } else {
    owner_.deliver(notification);
  }
}

void PbxSession::deliverBatch() {
  if (batch_.empty()) return;
  delivering_ = true;
  owner_.startDelivery(batch_, *this);
  batch_.clear();
}

void PbxSession::settleDelivery() {
  if (!delivering_) return;
  delivering_ = false;
  owner_.finishDelivery();
}

bool PbxSession::admits(const Notification& /*notification*/) const {
  return state() == SessionState::kLoggedIn;
}

void PbxSession::onGetExtensionResponse(bool found, const std::string& extension) {
  notify(ExtensionGetNotification{.found = found, .extension = extension});
}

void PbxSession::onCallArrived(CallId callId, const PartyAddress& from, const PartyAddress& to,
                               CallId origCallId, const std::string& /*extension*/) {
  CallArrivedNotification arrived;
  arrived.callId = formatId(callId);
  arrived.origCallId = origCallId;
  if (!buildParty(from, arrived.from) || !buildParty(to, arrived.to)) return;
  notify(std::move(arrived));
}

void PbxSession::onCallStateChanged(CallId callId, int32_t state, int32_t errorCode) {
  if (state == kCallStateError) {
    notify(ErrorOccuredNotification{.callId = formatId(callId), .errorCode = errorCode});
  }
  notify(CallStateChangedNotification{.callId = formatId(callId), .state = state});
}

void PbxSession::onMessagePlayed(CallId callId) {
  notify(MessagePlayedNotification{.callId = formatId(callId)});
}

void PbxSession::onDTMFInjected(CallId callId) {
  notify(DTMFInjectedNotification{.callId = formatId(callId)});
}

void PbxSession::onDtmfDigitDetected(CallId callId, char digit) {
  notify(DtmfDigitReceivedNotification{.callId = formatId(callId), .digit = digit});
}

void PbxSession::onSubscribeResponse(CallId subscriptionId, bool confirmed, int32_t errorCode) {
  notify(SubscriptionConfirmedNotification{
      .subscriptionId = formatId(subscriptionId), .confirmed = confirmed, .errorCode = errorCode});
}

void PbxSession::onMailArrived(const MailRecord& mail) {
  MailArrivedNotification arrived;
  arrived.subscriptionId = formatId(mail.subscriptionId);
  arrived.time = mail.time;
  arrived.duration = mail.duration;
  arrived.mailId = mail.mailId;
  if (!buildParty(mail.from, arrived.from)) return;
  notify(std::move(arrived));
}

void PbxSession::onCdrArrived(CallId subscriptionId, int32_t fileType, const CdrRecord& record,
                              const std::optional<CdrStatistics>& statistics) {
  notify(CDRArrivedNotification{.subscriptionId = formatId(subscriptionId),
                                .fileType = static_cast<std::int16_t>(fileType),
                                .record = record,
                                .statistics = statistics.value_or(CdrStatistics{})});
}

void PbxSession::onDlgArrived(CallId subscriptionId, const std::vector<DialogRecord>& dialogs) {
  notify(DialogArrivedNotification{.subscriptionId = formatId(subscriptionId), .dialogs = dialogs});
}

void PbxSession::onPrsArrived(CallId subscriptionId, bool doNotDisturb) {
  notify(PresenceArrivedNotification{.subscriptionId = formatId(subscriptionId),
                                     .doNotDisturb = doNotDisturb});
}

void PbxSession::onExtListArrived(CallId subscriptionId,
                                  const std::vector<ExtensionRecord>& extensions) {
  notify(ExtListArrivedNotification{.subscriptionId = formatId(subscriptionId),
                                    .extensions = extensions});
}

void PbxSession::onCallOriginated(CallId callId, const std::string& extension,
                                  const PartyAddress& from, const PartyAddress& to,
                                  const std::string& pattern) {
  CallOriginatedNotification originated;
  originated.callId = formatId(callId);
  originated.pattern = pattern;
  std::string fromText;
  if (!buildParty(from, fromText) || !buildParty(to, originated.callee)) return;
  originated.caller = extension.empty() ? std::move(fromText) : "pbx:" + extension;
  notify(std::move(originated));
}

void PbxSession::onRequestFailed(CallId id, int32_t code, const std::string& text) {
  notify(RequestFailedNotification{.callId = formatId(id), .code = code, .text = text});
}

}  // namespace telvane
