#pragma once
// CTelvaneCtrl: the control a host sees of the telephony engine. 31 methods (_DTelvane) and 16
// events (_DTelvaneEvents, telvane_events.h), each method a conversion around one operation of
// the control's own PbxSession.
//
// Threading: the host creates the control on its thread and calls every method there. Events are
// raised on that thread too, by the dispatcher the host gives it (setDispatcher) and pumps; a
// control without a dispatcher raises no events, and its methods still work. Each notification
// from the receive thread waits until its handlers have run, except while the host's thread is
// inside one of the synchronous methods (those the interface marks so, control_interface.h):
// then it is queued, so the answer the method waits for is still read, and the queue is raised in
// order as soon as the method has returned (the next time the host pumps). No event is raised while
// a synchronous method runs.
//
// Conversions: IDs cross as decimal text; an ID argument is read with parseId (no character is
// rejected, "" is 0) and "0" is the failure value of every ID result. A BOOL result is false
// when the session refused or failed the operation; asynchronous failures arrive later as
// RequestFailed. Ports are 16 bits, read as unsigned by the session.
//
// Hosts that cannot link this class drive it through the dispatch interface (AutomationObject):
// members by name (ignoring letter case), invoke by dispatch identifier, events by identifier.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "include/telvane/control_interface.h"
#include "platform/com/automation.h"
#include "platform/com/owner_dispatcher.h"
#include "telvane/control/notification_relay.h"
#include "telvane/control/telvane_events.h"
#include "telvane/session/pbx_session.h"
#include "telvane/session/session_owner.h"

namespace telvane {

class CTelvaneCtrl : public platform::AutomationObject {
 public:
  // Creates the session (and its receive thread). The calling thread is the host's thread.
  explicit CTelvaneCtrl(SessionConfig config = {});
  // Raises nothing more; the session disconnects when logged in and stops its thread.
  ~CTelvaneCtrl() override;
  CTelvaneCtrl(const CTelvaneCtrl&) = delete;
  CTelvaneCtrl& operator=(const CTelvaneCtrl&) = delete;

  // The control's "window". Null takes it back (events are then dropped).
  void setDispatcher(platform::OwnerDispatcher* dispatcher) override;

  // C++ event sinks; `sink` must stay alive until disconnected. Returns a cookie (never 0).
  uint32_t connectEvents(TelvaneEvents& sink);
  bool disconnectEvents(uint32_t cookie);

  // ---- _DTelvane, by dispatch identifier
  /* 1 */ bool Connect(const std::string& serverAddress, int16_t serverPort, int32_t timeout,
                       const std::string& username, const std::string& password);
  /* 2 */ bool Disconnect();
  /* 3 */ std::string CreateCall(const std::string& from, const std::string& to,
                                 const std::string& displayName);
  /* 4 */ bool CloseCall(const std::string& callID);
  /* 5 */ bool TransferCall(const std::string& callID, const std::string& to);
  /* 6 */ bool JoinCalls(const std::string& callID, const std::string& callIDtoJoin);
  /* 7 */ bool UnjoinCalls(const std::string& callID, const std::string& callIDtoUnjoin);
  /* 8 */ bool PlayMessage(const std::string& callID, const std::string& fileName,
                           int16_t playCount);
  /* 9 */ bool EnableDtmfDetection(const std::string& callID, bool onoff);
  /* 10 */ bool IncomingCallHandling(const std::string& extensionName, bool bEnable);
  /* 11 */ bool AcceptCall(const std::string& callID, const std::string& callerID,
                           const std::string& callerDispName, bool bRemControl);
  /* 12 */ bool RejectCall(const std::string& callID);
  /* 13 */ bool ForwardCall(const std::string& callID, const std::string& callee,
                            const std::string& callerID, const std::string& callerDispName);
  /* 14 */ std::string SubscribeToVoiceMail(const std::string& extensionName);
  /* 15 */ bool Unsubscribe(const std::string& subscrID);
  /* 16 */ bool InjectDTMF(const std::string& callID, const std::string& DTMFstring);
  /* 17 */ bool SConnect(const std::string& serverAddress, int16_t serverPort, int32_t timeout,
                         const std::string& username, const std::string& timestamp,
                         const std::string& auth);
  /* 18 */ bool GetExtension(const std::string& username);
  /* 19 */ std::string SubscribeToCDR();
  /* 20 */ bool SetConnectionMode(bool secure);
  /* 21 */ bool GetWAVFiles(const std::string& extensionName, std::string& listWAV);
  /* 22 */ bool TransferFile(const std::string& extensionName, const std::string& fileName);
  /* 23 */ bool DeleteFile(const std::string& extensionName, const std::string& fileName);
  /* 24 */ std::string SubscribeToCR();
  /* 25 */ bool ResponseToCRCall(const std::string& callID, bool bIsAccept);
  /* 26 */ std::string SubscribeToDialog(const std::string& extensionName);
  /* 27 */ std::string SubscribeToPresence(const std::string& extensionName);
  /* 28 */ bool GetSystemInfo(std::string& uniqueID, std::string& softVersion);
  /* 29 */ std::string SubscribeToExtList();
  /* 30 */ bool UpdateConfiguration(const std::string& fileName);
  /* 31 */ std::string CreateCallCID(const std::string& from, const std::string& to,
                                     const std::string& displayName, const std::string& username);

  // ---- dispatch interface
  const std::vector<platform::MemberInfo>& methods() const override;
  const std::vector<platform::MemberInfo>& events() const override;
  platform::HResult invoke(platform::DispId member, std::vector<platform::Variant>& args,
                           platform::Variant& result) override;
  uint32_t advise(platform::DispId event, platform::EventHandler handler) override;
  bool unadvise(uint32_t cookie) override;

  // The session behind the control, for hosts that need more than the automation interface
  // (TLS policy, state).
  PbxSession& session() { return *session_; }

 private:
  struct Connection {
    uint32_t cookie;
    platform::DispId event;  // DISPID_UNKNOWN: every event (a C++ sink)
    platform::EventHandler handler;
    TelvaneEvents* sink;  // set for a C++ sink, instead of the handler
  };

  // What the session reports to. A member, not a base: the receive thread may still call it
  // while a class derived from the control is being destroyed.
  class Owner final : public SessionOwner {
   public:
    explicit Owner(NotificationRelay& relay) : relay_(relay) {}
    void deliver(const Notification& notification) override { relay_.deliver(notification); }
    void deliverAll(std::span<Notification> batch, const DeliveryGate& gate) override {
      relay_.deliverAll(batch, gate);
    }
    void startDelivery(std::span<Notification> batch, const DeliveryGate& gate) override {
      relay_.startDelivery(batch, gate);
    }
    void finishDelivery() override { relay_.finishDelivery(); }
    bool canReceive() const override { return relay_.canReceive(); }

   private:
    NotificationRelay& relay_;
  };

  // Runs a method's body, inside a synchronous scope when the interface marks it synchronous.
  template <interface::MethodId Id, class Body>
  auto within(Body body) {
    if constexpr (interface::method(Id).synchronous) {
      NotificationRelay::SyncScope sync(relay_);
      return body();
    } else {
      return body();
    }
  }

  // Owner thread.
  void raise(const Notification& notification);
  void fire(platform::DispId event, std::vector<platform::Variant> args);

  std::vector<Connection> connections_;
  uint32_t nextCookie_ = 1;
  NotificationRelay relay_;
  Owner owner_{relay_};
  std::unique_ptr<PbxSession> session_;  // last: its thread stops before the rest goes
};

}  // namespace telvane
