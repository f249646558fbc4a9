#include "telvane/protocol/subscriptions.h"

#include "telvane/protocol/session_callbacks.h"
#include "telvane/protocol/struct_reading_services.h"

namespace telvane {

namespace {

constexpr ParamSpec kSubscribeParams[] = {
    {"id", kXmlRpcString, ParamPresence::kMandatory, true},
    {"kind", kXmlRpcInt},
    {"extension", kXmlRpcStruct, ParamPresence::kOptional},
};
constexpr ParamSpec kUnsubscribeParams[] = {
    {"id", kXmlRpcString, ParamPresence::kMandatory, true},
};
constexpr ParamSpec kMailArrivedParams[] = {
    {"id", kXmlRpcString, ParamPresence::kMandatory, true},
    {"mail", kXmlRpcStruct},
};
constexpr ParamSpec kCdrArrivedParams[] = {
    {"id", kXmlRpcString, ParamPresence::kMandatory, true},
    {"fileType", kXmlRpcInt},
    {"record", kXmlRpcStruct},
    {"statistics", kXmlRpcStruct, ParamPresence::kOptional},
};
constexpr ParamSpec kDlgArrivedParams[] = {
    {"id", kXmlRpcString, ParamPresence::kMandatory, true},
    {"dialogs", kXmlRpcArray},
};
constexpr ParamSpec kPrsArrivedParams[] = {
    {"id", kXmlRpcString, ParamPresence::kMandatory, true},
    {"doNotDisturb", kXmlRpcBoolean},
};
constexpr ParamSpec kExtListArrivedParams[] = {
    {"id", kXmlRpcString, ParamPresence::kMandatory, true},
    {"extensions", kXmlRpcArray},
};
constexpr int kSubscribeResults[] = {kXmlRpcString, kXmlRpcBoolean, kXmlRpcInt};

constexpr std::string_view kExtensionMember = "extension";

using MailField = RecordField<MailRecord>;
constexpr MailField kMailFields[] = {
    field("From", &MailRecord::from),
    field("Time", &MailRecord::time, FieldKind::kDateTime),
    field("Duration", &MailRecord::duration),
    field("MailID", &MailRecord::mailId),
};

using CdrField = RecordField<CdrRecord>;
constexpr CdrField kCdrFields[] = {
    field("From", &CdrRecord::from),
    field("To", &CdrRecord::to),
    field("Start Time", &CdrRecord::startTime, FieldKind::kDecimalText),
    field("Duration", &CdrRecord::duration),
    field("CallGUID", &CdrRecord::callGuid),
    field("Details", &CdrRecord::details),
    field("AuthenticatedBy", &CdrRecord::authenticatedBy),
    field("CIRCaller", &CdrRecord::callerIdRestricted),
};

using StatField = RecordField<CdrStatistics>;
constexpr StatField kStatisticsFields[] = {
    field("RTP_Tx_Pack", &CdrStatistics::rtpTxPackets),
    field("RTP_Tx_Codec", &CdrStatistics::rtpTxCodec),
    field("RTP_Tx_Pack_sz", &CdrStatistics::rtpTxPacketSize),
    field("RTP_Rx_Pack", &CdrStatistics::rtpRxPackets),
    field("RTP_Rx_Codec", &CdrStatistics::rtpRxCodec),
    field("RTP_Rx_Pack_sz", &CdrStatistics::rtpRxPacketSize),
    field("RTP_Rx_Lost", &CdrStatistics::rtpRxLost),
    field("RTP_Rx_Jitter", &CdrStatistics::rtpRxJitter),
    field("RTP_Rx_max_delay", &CdrStatistics::rtpRxMaxDelay),
    field("RTP_Delay_Inc_Count", &CdrStatistics::rtpDelayIncCount),
    field("RTP_Delay_Dec_Count", &CdrStatistics::rtpDelayDecCount),
    field("Fax_Tx_Pack", &CdrStatistics::faxTxPackets),
    field("Fax_Tx_Duble_Pack", &CdrStatistics::faxTxDuplicatePackets),
    field("Fax_Rx_Pack", &CdrStatistics::faxRxPackets),
    field("Fax_Rx_Lost", &CdrStatistics::faxRxLost),
    field("Fax_Rx_Bad", &CdrStatistics::faxRxBad),
    field("Fax_Rx_Duble_Pack", &CdrStatistics::faxRxDuplicatePackets),
};

using DialogField = RecordField<DialogRecord>;
constexpr DialogField kDialogFields[] = {
    field("CallID", &DialogRecord::callId),           field("Local", &DialogRecord::local),
    field("Remote", &DialogRecord::remote),           field("CallType", &DialogRecord::callType),
    field("Dir", &DialogRecord::direction),           field("DlgState", &DialogRecord::dialogState),
    field("Event", &DialogRecord::stateEvent),        field("Dur", &DialogRecord::duration),
    field("Replaces", &DialogRecord::replacedCallId), field("CallState", &DialogRecord::callState),
    field("ReferredBy", &DialogRecord::referredBy),
};

using ExtensionField = RecordField<ExtensionRecord>;
constexpr ExtensionField kExtensionFields[] = {
    field("Ext", &ExtensionRecord::extension),
    field("Display", &ExtensionRecord::displayName),
    field("SipAddress", &ExtensionRecord::sipAddress),
    field("Type", &ExtensionRecord::type),
    field("Line", &ExtensionRecord::line),
};

template <class R>
std::unique_ptr<XmlRpcValueStruct> makeStruct(const R& record,
                                              std::span<const RecordField<R>> fields) {
  auto value = std::make_unique<XmlRpcValueStruct>();
  if (!writeRecord(record, fields, *value)) return nullptr;
  return value;
}

const XmlRpcValueArray* arrayOf(const XmlRpcValue* value) {
  return value != nullptr && value->type() == kXmlRpcArray
             ? static_cast<const XmlRpcValueArray*>(value)
             : nullptr;
}

const XmlRpcValueStruct* structOf(const XmlRpcValue* value) {
  return value != nullptr && value->type() == kXmlRpcStruct
             ? static_cast<const XmlRpcValueStruct*>(value)
             : nullptr;
}

}  // namespace

// ---- subscribe

std::span<const ParamSpec> SubscribeMethod::paramTable() const {
  return kSubscribeParams;
}

void SubscribeMethod::setSubscription(CallId subscriptionId, int32_t kind,
                                      std::string_view extension) {
  setIdText(formatId(subscriptionId));
  setInt(1, kind);
  if (kind == kSubscribeVoiceMail || kind == kSubscribeDialog || kind == kSubscribePresence) {
    auto member = std::make_unique<XmlRpcValueStruct>();
    member->append(kExtensionMember, std::make_unique<XmlRpcValueString>(extension));
    setParam(2, std::move(member));
  } else {
    setParam(2, nullptr);
  }
}

CallId SubscribeMethod::subscribeToVoiceMail(std::string_view extension) {
  const CallId id = newId();
  setSubscription(id, kSubscribeVoiceMail, extension);
  return id;
}

CallId SubscribeMethod::subscribeToCdr() {
  const CallId id = newId();
  setSubscription(id, kSubscribeCdr);
  return id;
}

CallId SubscribeMethod::subscribeToDialog(std::string_view extension) {
  const CallId id = newId();
  setSubscription(id, kSubscribeDialog, extension);
  return id;
}

CallId SubscribeMethod::subscribeToPresence(std::string_view extension) {
  const CallId id = newId();
  setSubscription(id, kSubscribePresence, extension);
  return id;
}

CallId SubscribeMethod::subscribeToCallRequests() {
  const CallId id = newId();
  setSubscription(id, kSubscribeCallRequests);
  return id;
}

CallId SubscribeMethod::subscribeToExtensionList() {
  const CallId id = newId();
  setSubscription(id, kSubscribeExtensionList);
  return id;
}

std::string SubscribeMethod::extension() const {
  const XmlRpcValueStruct* member = structParam(2);
  const XmlRpcValueString* text = member == nullptr ? nullptr : member->getString(kExtensionMember);
  return text == nullptr ? std::string() : text->value();
}

std::unique_ptr<XmlRpcResponseMethod> SubscribeMethod::createResponse(bool fault) const {
  // A short answer (the ID and the flag without the error code) must not pass as a fault
  // without content, which would end the request without a word; unparsed, it times out.
  if (fault) return std::make_unique<FaultResponseMethod>(type(), false);
  return std::make_unique<SubscribeResponseMethod>();
}

void SubscribeMethod::dispatch(SessionCallbacks& callbacks) {
  callbacks.onSubscribe(idNumber(), kind(), extension());
}

void SubscribeResponseMethod::setResult(CallId subscriptionId, bool confirmed, int32_t errorCode) {
  setId(subscriptionId);
  confirmed_ = confirmed;
  errorCode_ = errorCode;
}

bool SubscribeResponseMethod::parseParams(XMLNavigator& nav) {
  std::vector<std::unique_ptr<XmlRpcValue>> results;
  if (!readTypedResults(nav, kSubscribeResults, results)) return false;
  id_.reset(static_cast<XmlRpcValueString*>(results[0].release()));
  confirmed_ = static_cast<const XmlRpcValueBool&>(*results[1]).value();
  errorCode_ = static_cast<const XmlRpcValueInt&>(*results[2]).value();
  return true;
}

bool SubscribeResponseMethod::serializeResults(std::string& out) const {
  return id_ != nullptr && writeParam(out, *id_) && writeParam(out, XmlRpcValueBool(confirmed_)) &&
         writeParam(out, XmlRpcValueInt(errorCode_));
}

void SubscribeResponseMethod::dispatch(SessionCallbacks& callbacks) {
  callbacks.onSubscribeResponse(idNumber(), confirmed_, errorCode_);
}

// ---- unsubscribe

std::span<const ParamSpec> UnsubscribeMethod::paramTable() const {
  return kUnsubscribeParams;
}

void UnsubscribeMethod::dispatch(SessionCallbacks& callbacks) {
  callbacks.onUnsubscribe(idNumber(), unused_);
}

// ---- mailarrived

std::span<const ParamSpec> MailArrivedMethod::paramTable() const {
  return kMailArrivedParams;
}

bool MailArrivedMethod::setMail(const MailRecord& mail) {
  std::unique_ptr<XmlRpcValueStruct> value = makeStruct<MailRecord>(mail, kMailFields);
  if (value == nullptr) return false;
  setIdText(formatId(mail.subscriptionId));
  setParam(1, std::move(value));
  return true;
}

bool MailArrivedMethod::setMail(CallId subscriptionId, const PartyAddress& from, std::time_t time,
                                int32_t duration, int32_t mailId) {
  return setMail(MailRecord{.subscriptionId = subscriptionId,
                            .from = from,
                            .time = localTimeText(time),
                            .duration = duration,
                            .mailId = mailId});
}

std::string MailArrivedMethod::localTimeText(std::time_t time) {
  std::tm local{};
  if (localtime_r(&time, &local) == nullptr) return {};
  char text[32];
  const std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return std::string(text, n);
}

std::optional<MailRecord> MailArrivedMethod::mail() const {
  const XmlRpcValueStruct* source = structParam(1);
  MailRecord mail;
  if (source == nullptr || !readRecord<MailRecord>(*source, kMailFields, mail, true)) {
    return std::nullopt;
  }
  mail.subscriptionId = idNumber();
  return mail;
}

void MailArrivedMethod::dispatch(SessionCallbacks& callbacks) {
  if (std::optional<MailRecord> record = mail()) callbacks.onMailArrived(*record);
}

// ---- cdrarrived

std::span<const ParamSpec> CDRArrivedMethod::paramTable() const {
  return kCdrArrivedParams;
}

void CDRArrivedMethod::setCdr(CallId subscriptionId, int32_t fileType, const CdrRecord& record,
                              const std::optional<CdrStatistics>& statistics) {
  setIdText(formatId(subscriptionId));
  setInt(1, fileType);
  setParam(2, makeStruct<CdrRecord>(record, kCdrFields));
  setParam(3, statistics ? makeStruct<CdrStatistics>(*statistics, kStatisticsFields) : nullptr);
}

std::optional<CdrRecord> CDRArrivedMethod::record() const {
  const XmlRpcValueStruct* source = structParam(2);
  CdrRecord record;
  if (source == nullptr || !readRecord<CdrRecord>(*source, kCdrFields, record, true)) {
    return std::nullopt;
  }
  return record;
}

std::optional<std::optional<CdrStatistics>> CDRArrivedMethod::statistics() const {
  const XmlRpcValueStruct* source = structParam(3);
  if (source == nullptr) return std::optional<CdrStatistics>();
  CdrStatistics statistics;
  if (!readRecord<CdrStatistics>(*source, kStatisticsFields, statistics, true)) {
    return std::nullopt;
  }
  return std::optional<CdrStatistics>(statistics);
}

void CDRArrivedMethod::dispatch(SessionCallbacks& callbacks) {
  std::optional<CdrRecord> call = record();
  std::optional<std::optional<CdrStatistics>> stats = statistics();
  if (!call || !stats) return;
  callbacks.onCdrArrived(idNumber(), fileType(), *call, *stats);
}

// ---- dlgarrived

std::span<const ParamSpec> DialogArrivedMethod::paramTable() const {
  return kDlgArrivedParams;
}

void DialogArrivedMethod::setDialogs(CallId subscriptionId, std::span<const DialogRecord> dialogs) {
  setIdText(formatId(subscriptionId));
  auto list = std::make_unique<XmlRpcValueArray>();
  for (const DialogRecord& dialog : dialogs) {
    list->append(makeStruct<DialogRecord>(dialog, kDialogFields));
  }
  setParam(1, std::move(list));
}

std::optional<std::vector<DialogRecord>> DialogArrivedMethod::dialogs() const {
  const XmlRpcValueArray* list = arrayOf(param(1));
  if (list == nullptr) return std::nullopt;
  std::vector<DialogRecord> dialogs;
  dialogs.reserve(list->size());
  for (const auto& item : list->items()) {
    const XmlRpcValueStruct* source = structOf(item.get());
    if (source == nullptr || source->getInt("CallType") == nullptr) return std::nullopt;
    // A fresh record per struct: one dialog's members must not leak into the next.
    DialogRecord dialog;
    readRecord<DialogRecord>(*source, kDialogFields, dialog, false);
    dialogs.push_back(std::move(dialog));
  }
  return dialogs;
}

void DialogArrivedMethod::dispatch(SessionCallbacks& callbacks) {
  if (std::optional<std::vector<DialogRecord>> list = dialogs()) {
    callbacks.onDlgArrived(idNumber(), *list);
  }
}

// ---- prsarrived

std::span<const ParamSpec> PresenceArrivedMethod::paramTable() const {
  return kPrsArrivedParams;
}

void PresenceArrivedMethod::setPresence(CallId subscriptionId, int32_t state) {
  setIdText(formatId(subscriptionId));
  setBool(1, state == 1);
}

void PresenceArrivedMethod::dispatch(SessionCallbacks& callbacks) {
  callbacks.onPrsArrived(idNumber(), doNotDisturb());
}

// ---- extlistarrived

std::span<const ParamSpec> ExtListArrivedMethod::paramTable() const {
  return kExtListArrivedParams;
}

void ExtListArrivedMethod::setExtensions(CallId subscriptionId,
                                         std::span<const ExtensionRecord> extensions) {
  setIdText(formatId(subscriptionId));
  auto list = std::make_unique<XmlRpcValueArray>();
  for (const ExtensionRecord& extension : extensions) {
    list->append(makeStruct<ExtensionRecord>(extension, kExtensionFields));
  }
  setParam(1, std::move(list));
}

std::vector<ExtensionRecord> ExtListArrivedMethod::extensions() const {
  std::vector<ExtensionRecord> extensions;
  const XmlRpcValueArray* list = arrayOf(param(1));
  if (list == nullptr) return extensions;
  extensions.reserve(list->size());
  for (const auto& item : list->items()) {
    const XmlRpcValueStruct* source = structOf(item.get());
    if (source == nullptr) continue;
    ExtensionRecord extension;  // fresh per struct, as for dialogs
    readRecord<ExtensionRecord>(*source, kExtensionFields, extension, false);
    extensions.push_back(std::move(extension));
  }
  return extensions;
}

void ExtListArrivedMethod::dispatch(SessionCallbacks& callbacks) {
  callbacks.onExtListArrived(idNumber(), extensions());
}

}  // namespace telvane
