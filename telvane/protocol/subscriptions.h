#pragma once
// Subscriptions and the notifications that follow them: "subscribe", "unsubscribe", the
// subscribe answer, and "mailarrived", "cdrarrived", "dlgarrived", "prsarrived",
// "extlistarrived". Every notification's first param is the subscription ID (the message's id).

#include <ctime>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "telvane/protocol/records.h"
#include "telvane/xmlrpc/method_table.h"
#include "telvane/xmlrpc/xmlrpc_method.h"

namespace telvane {

// "subscribe": id, kind, and for voice mail, dialog and presence a struct with the single
// member "extension". dispatch (as a PBX receives it): onSubscribe(id, kind, extension or "").
class SubscribeMethod : public XmlRpcRequestMethod {
 public:
  SubscribeMethod() : XmlRpcRequestMethod(kSubscribe) {}
  std::span<const ParamSpec> paramTable() const override;

  // Each takes a new ID and returns it.
  CallId subscribeToVoiceMail(std::string_view extension);
  CallId subscribeToCdr();
  CallId subscribeToDialog(std::string_view extension);
  CallId subscribeToPresence(std::string_view extension);
  CallId subscribeToCallRequests();
  CallId subscribeToExtensionList();
  // The extension is sent only for the kinds that carry one (1, 3, 4).
  void setSubscription(CallId subscriptionId, int32_t kind, std::string_view extension = {});

  int32_t kind() const { return intParam(1); }
  // The "extension" member, or empty.
  std::string extension() const;

  std::unique_ptr<XmlRpcResponseMethod> createResponse(bool fault) const override;
  void dispatch(SessionCallbacks& callbacks) override;
};

// The answer to "subscribe": subscription ID, confirmed, error code; all three required.
// dispatch: onSubscribeResponse.
class SubscribeResponseMethod : public XmlRpcResponseMethod {
 public:
  SubscribeResponseMethod() : XmlRpcResponseMethod(kSubscribe) {}

  void setResult(CallId subscriptionId, bool confirmed, int32_t errorCode);
  bool confirmed() const { return confirmed_; }
  int32_t errorCode() const { return errorCode_; }

  bool parseParams(XMLNavigator& nav) override;
  void dispatch(SessionCallbacks& callbacks) override;

 protected:
  bool serializeResults(std::string& out) const override;

 private:
  bool confirmed_ = false;
  int32_t errorCode_ = 0;
};

// "unsubscribe": id. The int it carries is never sent and stays 0.
// dispatch: onUnsubscribe(id, 0).
class UnsubscribeMethod : public XmlRpcRequestMethod {
 public:
  UnsubscribeMethod() : XmlRpcRequestMethod(kUnsubscribe) {}
  std::span<const ParamSpec> paramTable() const override;

  void setSubscriptionId(CallId subscriptionId) { setIdText(formatId(subscriptionId)); }
  void dispatch(SessionCallbacks& callbacks) override;

 private:
  int32_t unused_ = 0;
};

// "mailarrived": id and a struct "From" (party text), "Time" (dateTime), "Duration", "MailID".
// dispatch: onMailArrived when all four are present with their types and "From" parses.
class MailArrivedMethod : public XmlRpcRequestMethod {
 public:
  MailArrivedMethod() : XmlRpcRequestMethod(kMailArrived) {}
  std::span<const ParamSpec> paramTable() const override;

  // Writes `mail.time` as given; false (nothing set) when the party cannot be built.
  bool setMail(const MailRecord& mail);
  // "Time" as the local time of `time`, formatted "%Y-%m-%d %H:%M:%S".
  bool setMail(CallId subscriptionId, const PartyAddress& from, std::time_t time, int32_t duration,
               int32_t mailId);
  static std::string localTimeText(std::time_t time);

  // The record when the struct is complete.
  std::optional<MailRecord> mail() const;
  void dispatch(SessionCallbacks& callbacks) override;
};

// "cdrarrived": id, file type, call record struct, optional statistics struct.
// dispatch: onCdrArrived when the record, and the statistics when present, are complete.
class CDRArrivedMethod : public XmlRpcRequestMethod {
 public:
  CDRArrivedMethod() : XmlRpcRequestMethod(kCdrArrived) {}
  std::span<const ParamSpec> paramTable() const override;

  void setCdr(CallId subscriptionId, int32_t fileType, const CdrRecord& record,
              const std::optional<CdrStatistics>& statistics = std::nullopt);

  int32_t fileType() const { return intParam(1); }
  std::optional<CdrRecord> record() const;
  // Outer empty: the statistics struct is present but incomplete; inner empty: none was sent.
  std::optional<std::optional<CdrStatistics>> statistics() const;
  void dispatch(SessionCallbacks& callbacks) override;
};

// "dlgarrived": id and an array of dialog structs. Every struct starts from the initial
// DialogRecord; a struct without an int "CallType" (or an item that is not a struct) makes the
// whole notification deliver nothing. dispatch: onDlgArrived.
class DialogArrivedMethod : public XmlRpcRequestMethod {
 public:
  DialogArrivedMethod() : XmlRpcRequestMethod(kDlgArrived) {}
  std::span<const ParamSpec> paramTable() const override;

  void setDialogs(CallId subscriptionId, std::span<const DialogRecord> dialogs);
  std::optional<std::vector<DialogRecord>> dialogs() const;
  void dispatch(SessionCallbacks& callbacks) override;
};

// "prsarrived": id and the do-not-disturb flag. dispatch: onPrsArrived.
class PresenceArrivedMethod : public XmlRpcRequestMethod {
 public:
  PresenceArrivedMethod() : XmlRpcRequestMethod(kPrsArrived) {}
  std::span<const ParamSpec> paramTable() const override;

  // The flag is true exactly when `state` is 1.
  void setPresence(CallId subscriptionId, int32_t state);
  bool doNotDisturb() const { return boolParam(1); }
  void dispatch(SessionCallbacks& callbacks) override;
};

// "extlistarrived": id and an array of extension structs, each read from the initial
// ExtensionRecord; items that are not structs are skipped. dispatch: onExtListArrived.
class ExtListArrivedMethod : public XmlRpcRequestMethod {
 public:
  ExtListArrivedMethod() : XmlRpcRequestMethod(kExtListArrived) {}
  std::span<const ParamSpec> paramTable() const override;

  void setExtensions(CallId subscriptionId, std::span<const ExtensionRecord> extensions);
  std::vector<ExtensionRecord> extensions() const;
  void dispatch(SessionCallbacks& callbacks) override;
};

}  // namespace telvane
