#pragma once
// PbxSession: one conversation with a PBX over one TCP connection (plain or TLS).
//
// The session owns a receive thread from construction to destruction; that thread does all
// reading and writing on the connection, except as below. Operations are called from the owner's
// thread: the request operations queue a request and wake the thread; Connect, SConnect, Disconnect
// and the synchronous requests (GetSystemInfo, GetWAVFiles, DeleteFile, TransferFile,
// UpdateConfiguration) block the caller until their answer or their wait limit.
//
// On a plain connection a request operation whose request is next in line (nothing queued, no
// upload under way) writes it itself when the socket takes it at once; what the socket does not
// take is left to the receive thread, so the caller never waits for the PBX to read.
//
// Every request operation needs the state kLoggedIn and otherwise returns false (0 for those
// that return an ID) without sending anything. Answers and PBX notifications reach the owner as
// notifications (session_owner.h), only while kLoggedIn; those of the messages of one read go
// to the owner as one batch (SessionOwner::startDelivery, finished before the session does
// anything else); kDisconnected is raised only when the
// PBX closes the connection. Failures of asynchronous requests arrive as RequestFailed:
// 100 "Request timeout", 102 "Connection closed remotely", or the PBX's fault (call ID "0").
//
// Time-out (whole seconds, default 20, replaced by a positive argument of Connect / SConnect and
// kept for later connections): the connect limit, each request's answer limit, and the wait of a
// synchronous caller (time-out + 5 s). Synchronous operations must not be called from inside
// SessionOwner::deliver: the receive thread waits for deliver meanwhile, so they fail at their
// limit.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "telvane/net/tls_context.h"
#include "telvane/net/tls_policy.h"
#include "telvane/net/wake_event.h"
#include "telvane/protocol/session_callbacks.h"
#include "telvane/session/handshake_splitter.h"
#include "telvane/session/pending_request.h"
#include "telvane/session/session_connection.h"
#include "telvane/session/session_owner.h"
#include "telvane/xmlrpc/call_id.h"
#include "telvane/xmlrpc/framing.h"

namespace telvane {

enum class SessionState : std::int32_t {
  kIdle = 0,        // no connection; Connect, SConnect and SetConnectionMode are accepted
  kConnecting = 1,  // TCP connect under way
  kConnected = 2,   // connection up (TLS handshake done when secure); login queued or sent
  kLoggedIn = 3,    // login accepted; requests and notifications happen only here
  kClosing = 4,     // a local close (or a failed login) ends; the receive thread returns to kIdle
};

// Settings of the session that the automation methods do not reach.
struct SessionConfig {
  // How a secure connection judges the PBX's certificate (default: any certificate).
  TlsPolicy tlsPolicy;
};

inline constexpr std::int32_t kDefaultSessionTimeout = 20;

// Failure codes of the session's own making.
inline constexpr std::int32_t kRequestTimeoutCode = 100;
inline constexpr std::int32_t kClosedLocallyCode = 101;
inline constexpr std::int32_t kClosedRemotelyCode = 102;
inline constexpr std::int32_t kConnectTimeoutCode = 103;

class PbxSession : private NullSessionCallbacks, private DeliveryGate {
 public:
  // Starts the receive thread. `owner` must outlive the session.
  explicit PbxSession(SessionOwner& owner, SessionConfig config = {});
  // Disconnects when logged in, then stops and joins the receive thread. Raises nothing.
  ~PbxSession() override;
  PbxSession(const PbxSession&) = delete;
  PbxSession& operator=(const PbxSession&) = delete;

  // ---- connection

  // Each operation of this group that needs kIdle first waits out a close still ending (as
  // after a failed login, whose connection the receive thread closes after the call returned),
  // time-out + 4.9 s at most.

  // Plain (false) or TLS (true) for the next connections. False unless kIdle.
  bool SetConnectionMode(bool secure);
  // Replaces the configuration. False unless kIdle.
  bool Configure(SessionConfig config);

  // Connects, logs in with "authenticate" and waits for the answer. True once kLoggedIn. False
  // unless kIdle, and on every failure (host unknown, connect failed or timed out, TLS handshake
  // failed, login refused or answered by a fault, no answer in time); no notification is raised.
  bool Connect(const std::string& host, std::uint16_t port, std::int32_t timeout,
               const std::string& user, const std::string& password);
  // As Connect, logging in with "sauthenticate".
  bool SConnect(const std::string& host, std::uint16_t port, std::int32_t timeout,
                const std::string& user, const std::string& timestamp,
                const std::string& authentication);
  // Closes a logged-in connection and waits (time-out + 4.9 s at most) until it is closed.
  // Outstanding requests are dropped without notifications; kDisconnected is not raised. True
  // when the session is kIdle afterwards; false when it was not kLoggedIn.
  bool Disconnect();

  SessionState state() const { return static_cast<SessionState>(state_.load()); }
  std::int32_t timeout() const { return timeout_.load(); }
  bool secure() const { return secure_.load(); }
  // SHA-256 fingerprint of the certificate the PBX presented at the latest secure connect whose
  // handshake succeeded; none after a plain connect.
  std::optional<CertificateFingerprint> peerFingerprint() const;

  // ---- asynchronous requests (return once queued)

  // A new call from `from` (sent as given) to the party text `to`; the new call ID, or 0 when
  // `to` is not a party text.
  CallId CreateCall(const std::string& from, const std::string& to, const std::string& displayName,
                    const std::string& userName);
  bool CloseCall(CallId callId);
  // False when `to` is not a party text.
  bool TransferCall(CallId callId, const std::string& to);
  bool JoinCalls(CallId callId, CallId otherCallId);
  bool UnjoinCalls(CallId callId, CallId otherCallId);
  bool PlayMessage(CallId callId, const std::string& fileName, std::int16_t playCount);
  bool InjectDTMF(CallId callId, const std::string& digits);
  bool EnableDtmfDetection(CallId callId, bool on);
  bool IncomingCallHandling(const std::string& extension, bool enable);
  // The answer arrives as ExtensionGet.
  bool GetExtension(const std::string& user);

  // Each returns the new subscription ID; the PBX's answer arrives as SubscriptionConfirmed.
  CallId SubscribeToVoiceMail(const std::string& extension);
  CallId SubscribeToDialog(const std::string& extension);
  CallId SubscribeToPresence(const std::string& extension);
  CallId SubscribeToCDR();
  // Also remembered as the call-routing subscription that ResponseToCRCall answers with.
  CallId SubscribeToCR();
  CallId SubscribeToExtList();
  bool Unsubscribe(CallId subscriptionId);

  // Answers to an offered call (CallArrived); the PBX sends nothing back.
  bool AcceptCall(CallId callId, const std::string& callerId, const std::string& callerDisplayName,
                  bool remoteControl);
  bool RejectCall(CallId callId);
  // False when `callee` is not a party text.
  bool ForwardCall(CallId callId, const std::string& callee, const std::string& callerId,
                   const std::string& callerDisplayName);
  // Answers a call request (CallOriginated). False while there is no call-routing subscription.
  bool ResponseToCRCall(CallId callId, bool accept);

  // ---- synchronous requests (block until the answer or the wait limit)

  // True with the PBX's unique ID and software version; a fault answer gives true with both
  // "(Failed)". The outputs are set only when the result is true.
  bool GetSystemInfo(std::string& uniqueId, std::string& softwareVersion);
  // True with every file name followed by ":" ("a.wav:b.wav:"); `list` is empty on failure.
  bool GetWAVFiles(const std::string& extension, std::string& list);
  bool DeleteFile(const std::string& extension, const std::string& fileName);
  // Uploads a local file as a prompt of `extension` (sent under its base name). False at once
  // when the file cannot be opened; true when the PBX accepted it.
  bool TransferFile(const std::string& extension, const std::string& localPath);
  // Uploads a local file as the PBX's configuration.
  bool UpdateConfiguration(const std::string& localPath);

 private:
  using Clock = std::chrono::steady_clock;
  struct Readiness;
  struct PassPlan;

  // Owner thread.
  bool connectAndLogin(const std::string& host, std::uint16_t port, std::int32_t timeout,
                       std::unique_ptr<XmlRpcRequestMethod> login);
  std::unique_ptr<SessionConnection> openConnection(const std::string& host, std::uint16_t port,
                                                    std::int32_t timeout);
  bool enqueue(PendingRequest record, bool requireLoggedIn);
  bool writeThrough(PendingRequest& record);
  bool queueAsync(std::unique_ptr<XmlRpcMethod> method);
  CallId queueSubscription(std::unique_ptr<XmlRpcRequestMethod> method, CallId subscriptionId);
  std::unique_ptr<XmlRpcResponseMethod> requestAndWait(std::unique_ptr<XmlRpcRequestMethod> method,
                                                       bool requireLoggedIn, UploadFile file = {},
                                                       std::uint32_t fileSize = 0);
  bool uploadRequest(std::unique_ptr<XmlRpcRequestMethod> method, UploadFile file,
                     std::uint32_t fileSize);
  std::chrono::milliseconds syncWaitLimit() const;
  // Waits while kClosing; true when kIdle afterwards.
  bool settledIdle();
  void wakeLoop();

  // State word; transitions are compare-and-swap where both threads may act.
  bool changeState(SessionState from, SessionState to);
  void setState(SessionState to);

  // Receive thread.
  void runLoop();
  void serveConnecting(const Readiness& ready, PassPlan& plan);
  void serveConnection(const Readiness& ready, PassPlan& plan);
  void endConnectAttempt();
  void closeLocally();
  void closeRemotely();
  void dropConnection(std::chrono::milliseconds tlsLimit);
  void settleIdle();
  void sendPending();
  bool sendOne();
  void upload(PendingRequest& record);
  enum class HandshakeWait { kText, kAnswered, kFailed };
  HandshakeWait awaitHandshake(std::size_t wanted, std::size_t answersAhead,
                               std::chrono::milliseconds limit);
  void takeBytes(std::string_view bytes);
  bool readConnection();
  void extractMessages();
  void routeMessage(std::string_view text);
  void handleResponse(std::string_view text);
  void handleIncomingCall(std::unique_ptr<XmlRpcRequestMethod> call);
  bool writeMessage(const XmlRpcMethod& message);
  void checkRequestTimeout(PassPlan& plan);
  void failAll(std::int32_t code, const std::string& text);
  std::chrono::seconds requestTimeout() const { return std::chrono::seconds(timeout_.load()); }

  // Notifications (receive thread).
  bool canNotify() const;
  void notify(Notification notification);
  void deliverBatch();
  void settleDelivery();
  bool admits(const Notification& notification) const override;

  // The operations the session acts on; every other one does nothing (NullSessionCallbacks).
  void onGetExtensionResponse(bool found, const std::string& extension) override;
  void onCallArrived(CallId callId, const PartyAddress& from, const PartyAddress& to,
                     CallId origCallId, const std::string& extension) override;
  void onCallStateChanged(CallId callId, int32_t state, int32_t errorCode) override;
  void onMessagePlayed(CallId callId) override;
  void onDTMFInjected(CallId callId) override;
  void onDtmfDigitDetected(CallId callId, char digit) override;
  void onSubscribeResponse(CallId subscriptionId, bool confirmed, int32_t errorCode) override;
  void onMailArrived(const MailRecord& mail) override;
  void onCdrArrived(CallId subscriptionId, int32_t fileType, const CdrRecord& record,
                    const std::optional<CdrStatistics>& statistics) override;
  void onDlgArrived(CallId subscriptionId, const std::vector<DialogRecord>& dialogs) override;
  void onPrsArrived(CallId subscriptionId, bool doNotDisturb) override;
  void onExtListArrived(CallId subscriptionId,
                        const std::vector<ExtensionRecord>& extensions) override;
  void onCallOriginated(CallId callId, const std::string& extension, const PartyAddress& from,
                        const PartyAddress& to, const std::string& pattern) override;
  void onRequestFailed(CallId id, int32_t code, const std::string& text) override;

  SessionOwner& owner_;
  SessionConfig config_;  // owner thread
  std::atomic<std::int32_t> state_{static_cast<std::int32_t>(SessionState::kIdle)};
  std::atomic<std::int32_t> timeout_{kDefaultSessionTimeout};
  std::atomic<bool> secure_{false};
  std::atomic<CallId> crSubscriptionId_{0};
  std::optional<CertificateFingerprint> peerFingerprint_;  // owner thread

  // Handed to the receive thread with kConnecting; touched by the owner only while kIdle.
  std::unique_ptr<SessionConnection> connection_;
  Clock::time_point connectStart_;

  // Receive thread only.
  MessageFramer framer_;
  // Open from an upload's start until its request leaves the awaiting list.
  HandshakeSplitter handshake_;
  std::deque<std::string> held_;  // messages framed during an upload, routed after it
  std::size_t heldBytes_ = 0;
  std::vector<char> readBuffer_;
  std::vector<Notification> batch_;  // collected while batching_
  bool batching_ = false;
  bool delivering_ = false;  // a batch was started and not yet finished

  // Orders every write to the connection with the lists: guards outgoingQueue_, awaitingList_
  // (only the receive thread takes records off it), the connection's release once handed over,
  // and the step out of kLoggedIn.
  std::mutex queueMutex_;
  std::deque<PendingRequest> outgoingQueue_;
  std::deque<PendingRequest> awaitingList_;

  std::mutex stateMutex_;  // pairs with stateChanged_ for the waits on the state
  std::condition_variable stateChanged_;

  TlsContext tlsContext_;
  WakeEvent wake_;
  std::atomic<bool> running_{false};
  std::thread thread_;  // last: started once everything above exists
};

}  // namespace telvane
