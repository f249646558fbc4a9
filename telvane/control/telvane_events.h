#pragma once
// _DTelvaneEvents: the 16 events of the control, for hosts that link the C++ class. Override the
// ones you watch; the others do nothing. They run on the host's thread (the thread that pumps
// the control's dispatcher). IDs are decimal CallId texts.
//
// Hosts that use the dispatch interface connect to the same events by dispatch identifier
// (AutomationObject::advise) and get the same values as Variants, in this order.
#include <cstdint>
#include <string>

namespace telvane {

class TelvaneEvents {
 public:
  virtual ~TelvaneEvents() = default;

  // 1
  virtual void CallStateChanged(const std::string& /*callID*/, int16_t /*callState*/) {}
  // 2
  virtual void MessagePlayed(const std::string& /*callID*/) {}
  // 3: the digit's character code, as a signed byte
  virtual void DtmfDigitReceived(const std::string& /*callID*/, int16_t /*digit*/) {}
  // 4: 100 "Request timeout", 102 "Connection closed remotely", or a fault (callID "0")
  virtual void RequestFailed(const std::string& /*callID*/, int32_t /*failureCode*/,
                             const std::string& /*failureString*/) {}
  // 5: the PBX closed the connection (not raised after Disconnect)
  virtual void Disconnected() {}
  // 6: answer with AcceptCall, RejectCall or ForwardCall
  virtual void CallArrived(const std::string& /*callID*/, const std::string& /*caller*/,
                           const std::string& /*callee*/, const std::string& /*origCallID*/) {}
  // 7: answer with ResponseToCRCall
  virtual void CallOriginated(const std::string& /*callID*/, const std::string& /*caller*/,
                              const std::string& /*callee*/, const std::string& /*pattern*/) {}
  // 8
  virtual void MailArrived(const std::string& /*subscrID*/, const std::string& /*caller*/,
                           const std::string& /*time*/, int32_t /*duration*/, int32_t /*id*/) {}
  // 9
  virtual void SubscriptionConfirmed(const std::string& /*subscrID*/, bool /*confirmed*/,
                                     int32_t /*errorCode*/) {}
  // 10
  virtual void DTMFInjected(const std::string& /*callID*/) {}
  // 11: the answer to GetExtension
  virtual void ExtensionGet(bool /*bFound*/, const std::string& /*mExtName*/) {}
  // 12
  virtual void CDRArrived(const std::string& /*subscrID*/, int16_t /*fileType*/,
                          int32_t /*callStartTime*/, int32_t /*callDuration*/,
                          const std::string& /*calledUser*/, const std::string& /*callerUser*/,
                          const std::string& /*callGUID*/, const std::string& /*callDetails*/,
                          const std::string& /*authUserName*/, bool /*clirCaller*/,
                          int32_t /*rtpTxPackets*/, const std::string& /*rtpTxCodec*/,
                          int16_t /*rtpTxPacketSize*/, int32_t /*rtpRxPackets*/,
                          const std::string& /*rtpRxCodec*/, int16_t /*rtpRxPacketSize*/,
                          int16_t /*rtpRxLost*/, int32_t /*rtpRxJitter*/, int32_t /*rtpRxMaxDelay*/,
                          int16_t /*rtpDelayIncreaseCount*/, int16_t /*rtpDelayDecreaseCount*/,
                          int32_t /*faxTxPackets*/, int32_t /*faxTxDuplicatePackets*/,
                          int32_t /*faxRxPackets*/, int16_t /*faxRxLostPackets*/,
                          int16_t /*faxRxBadPackets*/, int32_t /*faxRxDuplicatePackets*/) {}
  // 13: once per dialog of a notification
  virtual void DialogArrived(const std::string& /*subscrID*/, const std::string& /*callID*/,
                             int16_t /*direction*/, int16_t /*dialogState*/, int16_t /*stateEvent*/,
                             int32_t /*duration*/, const std::string& /*replaces*/,
                             int16_t /*callState*/, const std::string& /*referredBy*/,
                             const std::string& /*localName*/, const std::string& /*remoteName*/,
                             int16_t /*callType*/) {}
  // 14
  virtual void PresenceArrived(const std::string& /*subscrID*/, bool /*bDND*/) {}
  // 15: Ext~Display~SipAddress~Type~Line~ per entry
  virtual void ExtListArrived(const std::string& /*subscrID*/, const std::string& /*extList*/) {}
  // 16: a call entered state 6; raised just before that CallStateChanged
  virtual void ErrorOccured(const std::string& /*callID*/, int16_t /*errorCode*/) {}
};

}  // namespace telvane
