#include "telvane/control/control_tables.h"

#include "telvane/control/telvane_ctrl.h"
#include "telvane/control/telvane_events.h"

namespace telvane {

namespace {

using platform::Variant;
using platform::VarType;

const std::string& t(const Args& a, size_t i) {
  return a[i].text();
}
std::string& out(const Args& a, size_t i) {
  return a[i].referencedText();
}
bool b(const Args& a, size_t i) {
  return a[i].boolValue();
}
int16_t i2(const Args& a, size_t i) {
  return a[i].i2();
}
int32_t i4(const Args& a, size_t i) {
  return a[i].i4();
}

using C = CTelvaneCtrl;
using S = TelvaneEvents;

constexpr MethodEntry kMethods[] = {
    {1, "Connect", "text serverAddress, I2 serverPort, I4 timeout, text username, text password",
     VarType::Bool,
     [](C& c, Args& a) -> Variant {
       return c.Connect(t(a, 0), i2(a, 1), i4(a, 2), t(a, 3), t(a, 4));
     }},
    {2, "Disconnect", "", VarType::Bool, [](C& c, Args&) -> Variant { return c.Disconnect(); }},
    {3, "CreateCall", "text from, text to, text displayName", VarType::Text,
     [](C& c, Args& a) -> Variant { return c.CreateCall(t(a, 0), t(a, 1), t(a, 2)); }},
    {4, "CloseCall", "text callID", VarType::Bool,
     [](C& c, Args& a) -> Variant { return c.CloseCall(t(a, 0)); }},
    {5, "TransferCall", "text callID, text to", VarType::Bool,
     [](C& c, Args& a) -> Variant { return c.TransferCall(t(a, 0), t(a, 1)); }},
    {6, "JoinCalls", "text callID, text callIDtoJoin", VarType::Bool,
     [](C& c, Args& a) -> Variant { return c.JoinCalls(t(a, 0), t(a, 1)); }},
    {7, "UnjoinCalls", "text callID, text callIDtoUnjoin", VarType::Bool,
     [](C& c, Args& a) -> Variant { return c.UnjoinCalls(t(a, 0), t(a, 1)); }},
    {8, "PlayMessage", "text callID, text fileName, I2 playCount", VarType::Bool,
     [](C& c, Args& a) -> Variant { return c.PlayMessage(t(a, 0), t(a, 1), i2(a, 2)); }},
    {9, "EnableDtmfDetection", "text callID, BOOL onoff", VarType::Bool,
     [](C& c, Args& a) -> Variant { return c.EnableDtmfDetection(t(a, 0), b(a, 1)); }},
    {10, "IncomingCallHandling", "text extensionName, BOOL bEnable", VarType::Bool,
     [](C& c, Args& a) -> Variant { return c.IncomingCallHandling(t(a, 0), b(a, 1)); }},
    {11, "AcceptCall", "text callID, text callerID, text callerDispName, BOOL bRemControl",
     VarType::Bool,
     [](C& c, Args& a) -> Variant { return c.AcceptCall(t(a, 0), t(a, 1), t(a, 2), b(a, 3)); }},
    {12, "RejectCall", "text callID", VarType::Bool,
     [](C& c, Args& a) -> Variant { return c.RejectCall(t(a, 0)); }},
    {13, "ForwardCall", "text callID, text callee, text callerID, text callerDispName",
     VarType::Bool,
     [](C& c, Args& a) -> Variant { return c.ForwardCall(t(a, 0), t(a, 1), t(a, 2), t(a, 3)); }},
    {14, "SubscribeToVoiceMail", "text extensionName", VarType::Text,
     [](C& c, Args& a) -> Variant { return c.SubscribeToVoiceMail(t(a, 0)); }},
    {15, "Unsubscribe", "text subscrID", VarType::Bool,
     [](C& c, Args& a) -> Variant { return c.Unsubscribe(t(a, 0)); }},
    {16, "InjectDTMF", "text callID, text DTMFstring", VarType::Bool,
     [](C& c, Args& a) -> Variant { return c.InjectDTMF(t(a, 0), t(a, 1)); }},
    {17, "SConnect",
     "text serverAddress, I2 serverPort, I4 timeout, text username, text timestamp, text auth",
     VarType::Bool,
     [](C& c, Args& a) -> Variant {
       return c.SConnect(t(a, 0), i2(a, 1), i4(a, 2), t(a, 3), t(a, 4), t(a, 5));
     }},
    {18, "GetExtension", "text username", VarType::Bool,
     [](C& c, Args& a) -> Variant { return c.GetExtension(t(a, 0)); }},
    {19, "SubscribeToCDR", "", VarType::Text,
     [](C& c, Args&) -> Variant { return c.SubscribeToCDR(); }},
    {20, "SetConnectionMode", "BOOL secure", VarType::Bool,
     [](C& c, Args& a) -> Variant { return c.SetConnectionMode(b(a, 0)); }},
    {21, "GetWAVFiles", "text extensionName, text out listWAV", VarType::Bool,
     [](C& c, Args& a) -> Variant { return c.GetWAVFiles(t(a, 0), out(a, 1)); }},
    {22, "TransferFile", "text extensionName, text fileName", VarType::Bool,
     [](C& c, Args& a) -> Variant { return c.TransferFile(t(a, 0), t(a, 1)); }},
    {23, "DeleteFile", "text extensionName, text fileName", VarType::Bool,
     [](C& c, Args& a) -> Variant { return c.DeleteFile(t(a, 0), t(a, 1)); }},
    {24, "SubscribeToCR", "", VarType::Text,
     [](C& c, Args&) -> Variant { return c.SubscribeToCR(); }},
    {25, "ResponseToCRCall", "text callID, BOOL bIsAccept", VarType::Bool,
     [](C& c, Args& a) -> Variant { return c.ResponseToCRCall(t(a, 0), b(a, 1)); }},
    {26, "SubscribeToDialog", "text extensionName", VarType::Text,
     [](C& c, Args& a) -> Variant { return c.SubscribeToDialog(t(a, 0)); }},
    {27, "SubscribeToPresence", "text extensionName", VarType::Text,
     [](C& c, Args& a) -> Variant { return c.SubscribeToPresence(t(a, 0)); }},
    {28, "GetSystemInfo", "text out uniqueID, text out softVersion", VarType::Bool,
     [](C& c, Args& a) -> Variant { return c.GetSystemInfo(out(a, 0), out(a, 1)); }},
    {29, "SubscribeToExtList", "", VarType::Text,
     [](C& c, Args&) -> Variant { return c.SubscribeToExtList(); }},
    {30, "UpdateConfiguration", "text fileName", VarType::Bool,
     [](C& c, Args& a) -> Variant { return c.UpdateConfiguration(t(a, 0)); }},
    {31, "CreateCallCID", "text from, text to, text displayName, text username", VarType::Text,
     [](C& c, Args& a) -> Variant { return c.CreateCallCID(t(a, 0), t(a, 1), t(a, 2), t(a, 3)); }},
};

constexpr EventEntry kEvents[] = {
    {kEventCallStateChanged, "CallStateChanged", "text callID, I2 callState",
     [](S& s, const Args& a) { s.CallStateChanged(t(a, 0), i2(a, 1)); }},
    {kEventMessagePlayed, "MessagePlayed", "text callID",
     [](S& s, const Args& a) { s.MessagePlayed(t(a, 0)); }},
    {kEventDtmfDigitReceived, "DtmfDigitReceived", "text callID, I2 digit",
     [](S& s, const Args& a) { s.DtmfDigitReceived(t(a, 0), i2(a, 1)); }},
    {kEventRequestFailed, "RequestFailed", "text callID, I4 failureCode, text failureString",
     [](S& s, const Args& a) { s.RequestFailed(t(a, 0), i4(a, 1), t(a, 2)); }},
    {kEventDisconnected, "Disconnected", "", [](S& s, const Args&) { s.Disconnected(); }},
    {kEventCallArrived, "CallArrived", "text callID, text caller, text callee, text origCallID",
     [](S& s, const Args& a) { s.CallArrived(t(a, 0), t(a, 1), t(a, 2), t(a, 3)); }},
    {kEventCallOriginated, "CallOriginated", "text callID, text caller, text callee, text pattern",
     [](S& s, const Args& a) { s.CallOriginated(t(a, 0), t(a, 1), t(a, 2), t(a, 3)); }},
    {kEventMailArrived, "MailArrived", "text subscrID, text caller, text time, I4 duration, I4 id",
     [](S& s, const Args& a) { s.MailArrived(t(a, 0), t(a, 1), t(a, 2), i4(a, 3), i4(a, 4)); }},
    {kEventSubscriptionConfirmed, "SubscriptionConfirmed",
     "text subscrID, BOOL confirmed, I4 errorCode",
     [](S& s, const Args& a) { s.SubscriptionConfirmed(t(a, 0), b(a, 1), i4(a, 2)); }},
    {kEventDTMFInjected, "DTMFInjected", "text callID",
     [](S& s, const Args& a) { s.DTMFInjected(t(a, 0)); }},
    {kEventExtensionGet, "ExtensionGet", "BOOL bFound, text mExtName",
     [](S& s, const Args& a) { s.ExtensionGet(b(a, 0), t(a, 1)); }},
    {kEventCDRArrived, "CDRArrived",
     "text subscrID, I2 fileType, I4 callStartTime, I4 callDuration, text calledUser, "
     "text callerUser, text callGUID, text callDetails, text authUserName, BOOL clirCaller, "
     "I4 rtpTxPackets, text rtpTxCodec, I2 rtpTxPacketSize, I4 rtpRxPackets, text rtpRxCodec, "
     "I2 rtpRxPacketSize, I2 rtpRxLost, I4 rtpRxJitter, I4 rtpRxMaxDelay, "
     "I2 rtpDelayIncreaseCount, I2 rtpDelayDecreaseCount, I4 faxTxPackets, "
     "I4 faxTxDuplicatePackets, I4 faxRxPackets, I2 faxRxLostPackets, I2 faxRxBadPackets, "
     "I4 faxRxDuplicatePackets",
     [](S& s, const Args& a) {
       s.CDRArrived(t(a, 0), i2(a, 1), i4(a, 2), i4(a, 3), t(a, 4), t(a, 5), t(a, 6), t(a, 7),
                    t(a, 8), b(a, 9), i4(a, 10), t(a, 11), i2(a, 12), i4(a, 13), t(a, 14),
                    i2(a, 15), i2(a, 16), i4(a, 17), i4(a, 18), i2(a, 19), i2(a, 20), i4(a, 21),
                    i4(a, 22), i4(a, 23), i2(a, 24), i2(a, 25), i4(a, 26));
     }},
    {kEventDialogArrived, "DialogArrived",
     "text subscrID, text callID, I2 direction, I2 dialogState, I2 stateEvent, I4 duration, "
     "text replaces, I2 callState, text referredBy, text localName, text remoteName, "
     "I2 callType",
     [](S& s, const Args& a) {
       s.DialogArrived(t(a, 0), t(a, 1), i2(a, 2), i2(a, 3), i2(a, 4), i4(a, 5), t(a, 6), i2(a, 7),
                       t(a, 8), t(a, 9), t(a, 10), i2(a, 11));
     }},
    {kEventPresenceArrived, "PresenceArrived", "text subscrID, BOOL bDND",
     [](S& s, const Args& a) { s.PresenceArrived(t(a, 0), b(a, 1)); }},
    {kEventExtListArrived, "ExtListArrived", "text subscrID, text extList",
     [](S& s, const Args& a) { s.ExtListArrived(t(a, 0), t(a, 1)); }},
    {kEventErrorOccured, "ErrorOccured", "text callID, I2 errorCode",
     [](S& s, const Args& a) { s.ErrorOccured(t(a, 0), i2(a, 1)); }},
};

template <class Entry>
std::vector<platform::MemberInfo> describe(std::span<const Entry> entries) {
  std::vector<platform::MemberInfo> infos;
  for (const Entry& e : entries) {
    platform::MemberInfo info;
    info.id = e.id;
    info.name = std::string(e.name);
    // The lists above are fixed; a row that does not read is a typo caught by the tests.
    platform::parseParamList(e.params, info.params);
    if constexpr (requires { e.result; }) info.result = e.result;
    infos.push_back(std::move(info));
  }
  return infos;
}

}  // namespace

std::span<const MethodEntry> methodTable() {
  return kMethods;
}
std::span<const EventEntry> eventTable() {
  return kEvents;
}

const MethodEntry* findMethodEntry(platform::DispId id) {
  for (const MethodEntry& e : kMethods) {
    if (e.id == id) return &e;
  }
  return nullptr;
}

const EventEntry* findEventEntry(platform::DispId id) {
  for (const EventEntry& e : kEvents) {
    if (e.id == id) return &e;
  }
  return nullptr;
}

const std::vector<platform::MemberInfo>& methodInfos() {
  static const std::vector<platform::MemberInfo> infos = describe(methodTable());
  return infos;
}

const std::vector<platform::MemberInfo>& eventInfos() {
  static const std::vector<platform::MemberInfo> infos = describe(eventTable());
  return infos;
}

}  // namespace telvane
