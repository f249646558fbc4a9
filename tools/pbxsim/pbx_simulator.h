#pragma once
// PbxSimulator: a PBX peer on 127.0.0.1 for tests, benchmarks and the demo. It speaks the PBX's
// side of the protocol with the library's own message classes: answers every request (or the
// fault configured for it), reports call states, offers arriving calls, sends notifications on
// command, takes file uploads, and misbehaves on purpose when told to.
//
// One thread serves the listening socket, every client and the commands; start() launches it,
// stop() (or the destructor) ends it. Every public operation is safe from any other thread.
//
// Commands (one per line; each outcome is one JSON line, {"command":NAME,"ok":true,...} or
// {"command":NAME,"ok":false,"error":TEXT}). "@N " before a command aims it at connection N;
// otherwise commands that need one use the newest open connection.
//   offer FROM TO [ORIGCALLID]          "process" to the connection handling TO's extension
//   state CALLID STATE [ERRORCODE]      "callstatechanged" to the call's connection
//   dtmf CALLID DIGIT                   "dtmfdigitdetected"
//   mail EXT FROM DURATION MAILID       "mailarrived" to voice-mail subscribers of EXT
//   cdr FROM TO DURATION [stats]        "cdrarrived" to CDR subscribers (with statistics)
//   dialog EXT CALLID DLGSTATE [REMOTE] "dlgarrived" to dialog subscribers of EXT (REMOTE: the
//                                       rest of the line, a name-address)
//   presence EXT 0|1                    "prsarrived" to presence subscribers of EXT
//   extlist                             "extlistarrived" (the user table) to its subscribers;
//                                       with Options::extListOnSubscribe also right after each
//                                       answer to an extension-list "subscribe"
//   originate EXT FROM TO PATTERN       "calloriginated" to call-request subscribers
//   close | garbage N | raw TEXT | endless | flood N [CALLID]   on one connection
//   stall on|off                        stop answering requests (they are read and ignored)
//   fault METHOD CODE TEXT | fault METHOD off   answer METHOD with a fault from now on (off also
//                                       drops the one-shot faults of METHOD)
//   fault once METHOD CODE TEXT         answer only the next METHOD request with that fault (each
//                                       such command adds one; they go before a standing one), so
//                                       one call leg can be refused while the others go through
//   status                              connections, calls and stored files
//
// Call rules: "createcall" reports 0 and 1 at once and 2 after the answer delay; a busy callee
// ends in 6 with error code 0, an unknown one in 6 with error code 1. "closecall" reports 3 for
// the call and for the call joined to it (both legs end). "transfercall" hands the call over and
// reports 3 for it. An offered call accepted under remote control becomes a call of the
// connection (1 at once, 2 after the answer delay); declined or redirected, the offer ends.
//
// Login: until a connection has logged in ("authenticate" or "sauthenticate"), every other
// request is answered with fault 2 "Not logged in". The "sauthenticate" digest is checked over
// user, password and timestamp in Options::digestCodePage.
//
// Upload handshake: after "beginfiletransfer" / "configurationupdate" the simulator writes "OK"
// and, for each chunk of up to 1024 bytes received, an acknowledgement; then the response. Each
// of these is padded with zero bytes to 32, so a peer reading up to 32 bytes never takes bytes
// of the response. An upload that is refused (over 16 MiB, a configured fault, not logged in)
// gets "NO", padded likewise, before its answer.
//
// Bad input: a message that is neither a known call nor an answer gets the unknown-method fault;
// a client that sends 16 MiB without a terminator is dropped. Answers to nothing are ignored.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "telvane/xmlrpc/call_id.h"

namespace telvane::tools {

struct SimUser {
  std::string name;
  std::string password;
  std::string extension;  // empty: the user name
  std::string displayName;
  std::string sipAddress;
};

class PbxSimulator {
 public:
  using Clock = std::chrono::steady_clock;

  struct Options {
    std::uint16_t port = 0;   // 0: a free port
    std::string tlsCertFile;  // both set: TLS server mode
    std::string tlsKeyFile;
    std::vector<SimUser> users;  // empty: one user 101 with password "secret"
    std::string version = "Sim-5.1.26-PBX";
    std::string uniqueId = "PBXSIM-0001";
    std::chrono::milliseconds answerDelay{500};
    std::chrono::milliseconds promptLength{1000};
    std::vector<std::string> busy;     // callee numbers that are busy
    std::vector<std::string> unknown;  // callee numbers that do not exist
    std::string traceFile;             // "-": stderr; empty: no trace file
    // One JSON line per message in either direction (without "\n"); runs on the simulator thread
    // and must not call back into the simulator.
    std::function<void(const std::string&)> trace;
    // The code page "sauthenticate" digests are checked in (a PBX set up for clients that feed
    // the digest their system's ANSI code page); 0: the texts as they arrive (UTF-8).
    int digestCodePage = 0;
    // Answers an extension-list subscription with the list at once, as a PBX does; off, the list
    // goes out only on the "extlist" command.
    bool extListOnSubscribe = false;
    // The time the timers run on; tests may drive it (then call wake() after moving it).
    std::function<Clock::time_point()> now;
  };

  // What has happened so far; message counts are over all connections.
  struct Counters {
    std::size_t connections = 0;  // accepted so far
    std::size_t openConnections = 0;
    std::size_t messagesIn = 0;               // framed messages received
    std::size_t messagesOut = 0;              // messages written (handshake bytes not counted)
    std::vector<std::size_t> receivedByType;  // requests received, indexed by method type
    std::vector<std::size_t> sentByType;      // requests (notifications) sent, by method type
    std::size_t responsesIn = 0;              // answers from the peer to what the simulator sent
    std::size_t dropped = 0;                  // connections dropped for oversized or endless input
  };

  // The control's answer to an offered call.
  struct OfferDecision {
    enum Kind { kPending, kAccept, kDecline, kRedirect } kind = kPending;
    bool remoteControl = false;
    std::string callerId;
    std::string displayName;
    std::vector<std::string> targets;
  };

  explicit PbxSimulator(Options options);
  ~PbxSimulator();
  PbxSimulator(const PbxSimulator&) = delete;
  PbxSimulator& operator=(const PbxSimulator&) = delete;

  // Binds, listens and starts the thread; false (with error() set) when that fails.
  bool start();
  void stop();
  std::uint16_t port() const;
  const std::string& error() const;

  // Runs one command line on the simulator thread; its outcome as one JSON line (no "\n").
  std::string command(std::string_view line);
  // Makes the loop re-check its timers (after a driven clock was moved).
  void wake();

  // Typed forms of the commands most tests use; 0 / false when the command failed.
  CallId offer(std::string_view from, std::string_view to, CallId origCallId = 0);
  bool sendState(CallId callId, int state, std::optional<int> errorCode = std::nullopt);

  Counters counters() const;
  // Waits at most `limit` until `done` holds; true when it did.
  bool waitUntil(const std::function<bool(const Counters&)>& done,
                 std::chrono::milliseconds limit = std::chrono::seconds(5)) const;
  // Waits until `count` requests of method `type` have been received in all.
  bool waitForReceived(int type, std::size_t count = 1,
                       std::chrono::milliseconds limit = std::chrono::seconds(5)) const;
  // Waits until `count` messages have been written in all.
  bool waitForSent(std::size_t count,
                   std::chrono::milliseconds limit = std::chrono::seconds(5)) const;

  // A stored prompt file (extension, name) or configuration file (extension empty).
  std::optional<std::string> file(std::string_view extension, std::string_view name) const;
  // The decision on one of the latest 256 offers; older offers are forgotten.
  std::optional<OfferDecision> decision(CallId callId) const;

  // The engine; defined inside the simulator's own sources.
  class Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// The authenticator of "sauthenticate": lower-case hexadecimal MD5 of user, password, timestamp.
// codePage 0 digests the texts' own (UTF-8) bytes; another number their bytes in that Windows
// code page, and "" when a character has none there.
std::string simAuthenticator(std::string_view user, std::string_view password,
                             std::string_view timestamp, int codePage = 0);

}  // namespace telvane::tools
