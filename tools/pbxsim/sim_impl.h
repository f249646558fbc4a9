#pragma once
// The simulator's engine behind PbxSimulator. The loop (pbx_simulator.cpp) reads and writes the
// sockets; requests from clients are answered in sim_requests.cpp; command lines are run in
// sim_commands.cpp.

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <utility>

#include "telvane/net/bsd_socket.h"
#include "telvane/net/wake_event.h"
#include "telvane/protocol/subscriptions.h"
#include "telvane/xmlrpc/xmlrpc_method.h"
#include "tools/pbxsim/pbx_simulator.h"
#include "tools/pbxsim/sim_state.h"
#include "tools/pbxsim/tls_server.h"
#include "tools/wire/wire_json.h"

namespace telvane::tools {

class PbxSimulator::Impl {
 public:
  explicit Impl(Options options);
  ~Impl();

  bool start();
  void stop();
  std::string command(std::string_view line);
  void wake() { wake_.Signal(); }

  Counters counters() const;
  bool waitUntil(const std::function<bool(const Counters&)>& done,
                 std::chrono::milliseconds limit) const;
  std::optional<std::string> file(std::string_view extension, std::string_view name) const;
  std::optional<OfferDecision> decision(CallId callId) const;

  std::uint16_t port = 0;
  std::string error;

  // ---- used by the request handler and the commands (simulator thread, lock held)
  const SimUser* findUser(std::string_view name) const;
  Clock::time_point now() const { return options_.now(); }
  sim::Connection* connection(int id);
  // Writes a message; a request also counts as a notification awaiting its answer, except the
  // offers, whose answers are decisions.
  bool send(sim::Connection& conn, const XmlRpcMethod& message);
  // Writes bytes outside XML-RPC (handshake, garbage, raw text); `what` names them in the trace.
  void sendBytes(sim::Connection& conn, std::string_view bytes, std::string_view what,
                 bool traceText);
  void sendState(int connection, CallId callId, int state, std::optional<int> errorCode = {});
  // Places a call of `connection` as "createcall" does; `callee` decides busy / unknown.
  void placeCall(int connection, CallId callId, std::string_view callee, bool reportCreated);
  // Reports 3 for the call and its partner and forgets both.
  void endCall(CallId callId);
  // The user table as "extlistarrived" sends it.
  std::vector<ExtensionRecord> extensionList() const;

  Options options_;
  std::map<int, std::unique_ptr<sim::Connection>> connections_;
  std::map<CallId, sim::Call> calls_;
  std::map<CallId, sim::Prompt> prompts_;
  std::map<CallId, sim::Offer> offers_;
  std::map<CallId, int> originations_;                                // call request -> connection
  std::map<std::pair<std::string, std::string>, std::string> files_;  // (extension, name)
  std::map<std::string, int> incomingHandlers_;                       // extension -> connection
  std::map<int, std::pair<int, std::string>> faults_;                 // type -> code, text
  // One-shot faults: each answers one request of its type, in the order they were given, before
  // a standing fault of that type.
  std::map<int, std::deque<std::pair<int, std::string>>> faultsOnce_;
  bool stalled_ = false;
  std::mt19937 random_{20261209};
  Counters counters_;

 private:
  struct PendingCommand {
    std::string line;
    std::promise<std::string> outcome;
  };

  void run();
  void acceptClients();
  void serviceConnection(sim::Connection& conn, bool readable, bool writable);
  void readFrom(sim::Connection& conn);
  void flush(sim::Connection& conn);
  void drop(sim::Connection& conn, std::string_view why);
  void onBytes(sim::Connection& conn, std::string_view bytes);
  void processFramed(sim::Connection& conn);
  void handleMessage(sim::Connection& conn, const std::string& text);
  // Feeds upload bytes; returns how many of `bytes` belonged to the upload.
  std::size_t feedUpload(sim::Connection& conn, std::string_view bytes);
  void handleAnswer(sim::Connection& conn, const std::string& text);
  void handleRequest(sim::Connection& conn, XmlRpcRequestMethod& request);
  void runTimers();
  std::optional<Clock::time_point> nextDeadline() const;
  void runCommands();
  std::string runCommand(std::string_view line);
  // Decoding a message for the trace costs more than handling it: only when someone listens.
  bool tracing() const;
  void trace(const sim::Connection& conn, std::string_view dir, Json entry);
  void closeConnection(int id);

  mutable std::recursive_mutex mutex_;
  mutable std::condition_variable_any changed_;
  std::deque<PendingCommand> commands_;
  BsdSocket listener_{false};
  WakeEvent wake_;
  std::unique_ptr<TlsServerContext> tls_;
  std::thread thread_;
  std::atomic<bool> running_{false};
  int nextConnection_ = 1;
  Clock::time_point startedAt_;
  std::string readBuffer_;
  FILE* traceFile_ = nullptr;
  bool ownsTraceFile_ = false;

  friend class CommandRunner;
};

}  // namespace telvane::tools
