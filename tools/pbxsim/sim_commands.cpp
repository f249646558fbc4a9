// The command language: one line in, one JSON outcome out.
#include <algorithm>
#include <ctime>
#include <functional>
#include <map>

#include "telvane/protocol/call_events.h"
#include "telvane/protocol/method_factory.h"
#include "telvane/protocol/subscriptions.h"
#include "telvane/xmlrpc/method_table.h"
#include "telvane/xmlrpc/party_address.h"
#include "tools/pbxsim/sim_impl.h"
#include "tools/pbxsim/sim_text.h"

namespace telvane::tools {

using sim::Connection;

namespace {

constexpr std::size_t kMaxGarbage = 16u << 20;
constexpr long long kMaxFlood = 100000;
// Offers whose decision stays readable; older ones are forgotten so long runs stay flat.
constexpr std::size_t kOffersKept = 256;

struct Outcome {
  Json json = Json::object();
  Outcome() { json["ok"] = true; }
  static Outcome failure(std::string text) {
    Outcome outcome;
    outcome.json["ok"] = false;
    outcome.json["error"] = std::move(text);
    return outcome;
  }
};

// One command: its words (the name first) and, for the commands that take free text, the text
// after the words it names.
struct Request {
  std::vector<std::string> words;
  std::string rest;
  Connection* target = nullptr;  // "@N" or the newest open connection
  bool targetGiven = false;
};

using Sim = PbxSimulator::Impl;
using Handler = Outcome (*)(Sim&, Request&);

struct CommandSpec {
  std::string_view name;
  std::size_t minWords;  // including the name
  std::size_t maxWords;
  std::size_t freeTextAfter;  // 0: none; else the words before the free text
  Handler run;
};

std::optional<CallId> callIdArg(const std::string& text) {
  if (text.empty() ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  return parseId(text);
}

// Sends one notification per subscription of `kind` (and `extension`, when given) on any
// connection; `build` fills the message for a subscription ID.
Outcome notifySubscribers(Sim& sim, int kind, const std::string* extension,
                          const std::function<bool(XmlRpcRequestMethod&, CallId)>& build,
                          int type) {
  std::size_t sent = 0;
  for (auto& [id, conn] : sim.connections_) {
    if (conn->closing) continue;
    for (const auto& [subscriptionId, subscription] : conn->subscriptions) {
      if (subscription.kind != kind) continue;
      if (extension != nullptr && subscription.extension != *extension) continue;
      std::unique_ptr<XmlRpcRequestMethod> message = createProtocolMethod(type);
      if (message == nullptr || !build(*message, subscriptionId)) {
        return Outcome::failure("cannot build the notification");
      }
      if (sim.send(*conn, *message)) ++sent;
    }
  }
  if (sent == 0) return Outcome::failure("no subscription");
  Outcome outcome;
  outcome.json["sent"] = sent;
  return outcome;
}

Outcome needTarget(Request& request) {
  return request.target == nullptr ? Outcome::failure("no open connection") : Outcome();
}

Outcome runOffer(Sim& sim, Request& request) {
  PartyAddress from, to;
  if (!parseParty(request.words[1], from) || !parseParty(request.words[2], to)) {
    return Outcome::failure("bad party");
  }
  CallId origCallId = 0;
  if (request.words.size() > 3) {
    auto orig = callIdArg(request.words[3]);
    if (!orig) return Outcome::failure("bad call ID");
    origCallId = *orig;
  }
  Connection* conn = request.targetGiven ? request.target : nullptr;
  if (!request.targetGiven) {
    auto handler = sim.incomingHandlers_.find(to.value);
    if (handler != sim.incomingHandlers_.end()) conn = sim.connection(handler->second);
  }
  if (conn == nullptr) return Outcome::failure("no connection handles " + to.value);
  const CallId callId = newId();
  CallArrivedMethod offer;
  if (!offer.setCall(callId, from, to, origCallId, to.value) || !sim.send(*conn, offer)) {
    return Outcome::failure("cannot send the offer");
  }
  sim.offers_[callId] = {conn->id, {}};
  // IDs grow with time: the first is the oldest.
  while (sim.offers_.size() > kOffersKept) sim.offers_.erase(sim.offers_.begin());
  Outcome outcome;
  outcome.json["call"] = formatId(callId);
  outcome.json["conn"] = conn->id;
  return outcome;
}

// The connection a scripted call's reports go to: its own, else the target.
Connection* callConnection(Sim& sim, CallId callId, Request& request) {
  if (!request.targetGiven) {
    if (auto call = sim.calls_.find(callId); call != sim.calls_.end()) {
      return sim.connection(call->second.connection);
    }
    if (auto offer = sim.offers_.find(callId); offer != sim.offers_.end()) {
      return sim.connection(offer->second.connection);
    }
  }
  return request.target;
}

Outcome runState(Sim& sim, Request& request) {
  auto callId = callIdArg(request.words[1]);
  auto state = parseNumber(request.words[2], INT32_MIN, INT32_MAX);
  std::optional<long long> errorCode;
  if (request.words.size() > 3) {
    errorCode = parseNumber(request.words[3], INT32_MIN, INT32_MAX);
    if (!errorCode) return Outcome::failure("bad error code");
  }
  if (!callId || !state) return Outcome::failure("usage: state CALLID STATE [ERRORCODE]");
  Connection* conn = callConnection(sim, *callId, request);
  if (conn == nullptr) return Outcome::failure("no open connection");
  std::optional<int> code;
  if (errorCode) code = static_cast<int>(*errorCode);
  sim.sendState(conn->id, *callId, static_cast<int>(*state), code);
  if (auto call = sim.calls_.find(*callId); call != sim.calls_.end()) {
    call->second.state = static_cast<int>(*state);
    call->second.answerAt.reset();  // the script decides from now on
    if (*state == 3 || *state == 6) sim.calls_.erase(call);
  }
  Outcome outcome;
  outcome.json["conn"] = conn->id;
  return outcome;
}

Outcome runDtmf(Sim& sim, Request& request) {
  auto callId = callIdArg(request.words[1]);
  if (!callId || request.words[2].size() != 1) return Outcome::failure("usage: dtmf CALLID DIGIT");
  Connection* conn = callConnection(sim, *callId, request);
  if (conn == nullptr) return Outcome::failure("no open connection");
  DtmfDigitReceivedMethod digit;
  digit.setDigit(*callId, static_cast<unsigned char>(request.words[2][0]));
  sim.send(*conn, digit);
  Outcome outcome;
  outcome.json["conn"] = conn->id;
  return outcome;
}

Outcome runMail(Sim& sim, Request& request) {
  PartyAddress from;
  auto duration = parseNumber(request.words[3], INT32_MIN, INT32_MAX);
  auto mailId = parseNumber(request.words[4], INT32_MIN, INT32_MAX);
  if (!parseParty(request.words[2], from) || !duration || !mailId) {
    return Outcome::failure("usage: mail EXT FROM DURATION MAILID");
  }
  const std::time_t time = std::time(nullptr);
  return notifySubscribers(
      sim, kSubscribeVoiceMail, &request.words[1],
      [&](XmlRpcRequestMethod& message, CallId subscriptionId) {
        return static_cast<MailArrivedMethod&>(message).setMail(subscriptionId, from, time,
                                                                static_cast<int32_t>(*duration),
                                                                static_cast<int32_t>(*mailId));
      },
      kMailArrived);
}

Outcome runCdr(Sim& sim, Request& request) {
  auto duration = parseNumber(request.words[3], INT32_MIN, INT32_MAX);
  const bool withStatistics = request.words.size() > 4;
  if (!duration || (withStatistics && request.words[4] != "stats")) {
    return Outcome::failure("usage: cdr FROM TO DURATION [stats]");
  }
  CdrRecord record;
  record.from = request.words[1];
  record.to = request.words[2];
  record.startTime = static_cast<int32_t>(std::time(nullptr));
  record.duration = static_cast<int32_t>(*duration);
  record.callGuid = formatId(newId());
  record.details = "normal";
  record.authenticatedBy = "pbxsim";
  std::optional<CdrStatistics> statistics;
  if (withStatistics) {
    statistics = CdrStatistics{.rtpTxPackets = 1500,
                               .rtpTxCodec = "PCMA",
                               .rtpTxPacketSize = 160,
                               .rtpRxPackets = 1498,
                               .rtpRxCodec = "PCMA",
                               .rtpRxPacketSize = 160,
                               .rtpRxLost = 2,
                               .rtpRxJitter = 3,
                               .rtpRxMaxDelay = 40,
                               .rtpDelayIncCount = 1,
                               .rtpDelayDecCount = 1,
                               .faxTxPackets = 0,
                               .faxTxDuplicatePackets = 0,
                               .faxRxPackets = 0,
                               .faxRxLost = 0,
                               .faxRxBad = 0,
                               .faxRxDuplicatePackets = 0};
  }
  return notifySubscribers(
      sim, kSubscribeCdr, nullptr,
      [&](XmlRpcRequestMethod& message, CallId subscriptionId) {
        static_cast<CDRArrivedMethod&>(message).setCdr(subscriptionId, 1, record, statistics);
        return true;
      },
      kCdrArrived);
}

Outcome runDialog(Sim& sim, Request& request) {
  auto callId = callIdArg(request.words[2]);
  auto state = parseNumber(request.words[3], INT32_MIN, INT32_MAX);
  if (!callId || !state) return Outcome::failure("usage: dialog EXT CALLID DLGSTATE [REMOTE]");
  DialogRecord dialog;
  dialog.callId = *callId;
  dialog.local = {"", request.words[1], "pbxsim", ""};
  const std::string remote = request.rest.empty() ? "200@pbxsim" : request.rest;
  if (!splitNameAddress(remote, dialog.remote.displayName, dialog.remote.user, dialog.remote.host,
                        dialog.remote.port)) {
    return Outcome::failure("bad remote name-address");
  }
  dialog.callType = 1;
  dialog.direction = 0;
  dialog.dialogState = static_cast<int32_t>(*state);
  dialog.stateEvent = 0;
  dialog.duration = 0;
  return notifySubscribers(
      sim, kSubscribeDialog, &request.words[1],
      [&](XmlRpcRequestMethod& message, CallId subscriptionId) {
        static_cast<DialogArrivedMethod&>(message).setDialogs(subscriptionId,
                                                              std::span(&dialog, 1));
        return true;
      },
      kDlgArrived);
}

Outcome runPresence(Sim& sim, Request& request) {
  auto state = parseNumber(request.words[2], 0, 1);
  if (!state) return Outcome::failure("usage: presence EXT 0|1");
  return notifySubscribers(
      sim, kSubscribePresence, &request.words[1],
      [&](XmlRpcRequestMethod& message, CallId subscriptionId) {
        static_cast<PresenceArrivedMethod&>(message).setPresence(subscriptionId,
                                                                 static_cast<int32_t>(*state));
        return true;
      },
      kPrsArrived);
}

Outcome runExtList(Sim& sim, Request&) {
  const std::vector<ExtensionRecord> entries = sim.extensionList();
  return notifySubscribers(
      sim, kSubscribeExtensionList, nullptr,
      [&](XmlRpcRequestMethod& message, CallId subscriptionId) {
        static_cast<ExtListArrivedMethod&>(message).setExtensions(subscriptionId, entries);
        return true;
      },
      kExtListArrived);
}

Outcome runOriginate(Sim& sim, Request& request) {
  PartyAddress from, to;
  if (!parseParty(request.words[2], from) || !parseParty(request.words[3], to)) {
    return Outcome::failure("bad party");
  }
  std::size_t sent = 0;
  Json calls = Json::array();
  for (auto& [id, conn] : sim.connections_) {
    if (conn->closing) continue;
    const bool subscribed =
        std::any_of(conn->subscriptions.begin(), conn->subscriptions.end(),
                    [](const auto& entry) { return entry.second.kind == kSubscribeCallRequests; });
    if (!subscribed) continue;
    const CallId callId = newId();
    CallOriginatedMethod request_;
    if (!request_.setCall(callId, request.words[1], from, to, request.words[4])) {
      return Outcome::failure("cannot build the call request");
    }
    if (sim.send(*conn, request_)) {
      sim.originations_[callId] = conn->id;
      calls.push_back(formatId(callId));
      ++sent;
    }
  }
  if (sent == 0) return Outcome::failure("no subscription");
  Outcome outcome;
  outcome.json["sent"] = sent;
  outcome.json["calls"] = std::move(calls);
  return outcome;
}

Outcome runClose(Sim&, Request& request) {
  if (request.target == nullptr) return needTarget(request);
  request.target->closing = true;
  Outcome outcome;
  outcome.json["conn"] = request.target->id;
  return outcome;
}

Outcome runGarbage(Sim& sim, Request& request) {
  auto count = parseNumber(request.words[1], 0, kMaxGarbage);
  if (!count) return Outcome::failure("usage: garbage N");
  if (request.target == nullptr) return needTarget(request);
  std::string bytes(static_cast<std::size_t>(*count), '\0');
  std::uniform_int_distribution<int> byte(0, 255);
  for (char& c : bytes) c = static_cast<char>(byte(sim.random_));
  sim.sendBytes(*request.target, bytes, "garbage", false);
  Outcome outcome;
  outcome.json["bytes"] = bytes.size();
  return outcome;
}

Outcome runRaw(Sim& sim, Request& request) {
  if (request.target == nullptr) return needTarget(request);
  const std::string bytes = unescapeBytes(request.rest);
  sim.sendBytes(*request.target, bytes, "raw", true);
  Outcome outcome;
  outcome.json["bytes"] = bytes.size();
  return outcome;
}

Outcome runEndless(Sim& sim, Request& request) {
  if (request.target == nullptr) return needTarget(request);
  std::string start = "<?xml version=\"1.0\"?>\r\n<methodCall>\r\n<methodName>";
  start += methodName(kCallStateChanged);
  start += "</methodName>\r\n<params>\r\n<param>\r\n<value><string>";
  sim.sendBytes(*request.target, start, "endless", true);
  request.target->muted = true;  // the message never ends, so nothing can follow it
  return Outcome();
}

Outcome runFlood(Sim& sim, Request& request) {
  auto count = parseNumber(request.words[1], 0, kMaxFlood);
  std::optional<CallId> callId = CallId{0};
  if (request.words.size() > 2) callId = callIdArg(request.words[2]);
  if (!count || !callId) return Outcome::failure("usage: flood N [CALLID]");
  if (request.target == nullptr) return needTarget(request);
  if (*callId == 0) callId = newId();
  for (long long i = 0; i < *count; ++i) {
    CallStateChangedMethod changed;
    changed.setState(*callId, 1);
    sim.send(*request.target, changed);
  }
  Outcome outcome;
  outcome.json["sent"] = *count;
  outcome.json["call"] = formatId(*callId);
  return outcome;
}

Outcome runStall(Sim& sim, Request& request) {
  const std::string& mode = request.words[1];
  if (mode != "on" && mode != "off") return Outcome::failure("usage: stall on|off");
  sim.stalled_ = mode == "on";
  return Outcome();
}

int methodTypeArg(std::string_view name) {
  int type = findMethodType(name);
  if (type >= 0) return type;
  for (const char* service : {"Services.CallProcessingService.", "Services.SystemService."}) {
    type = findMethodType(std::string(service) + std::string(name));
    if (type >= 0) return type;
  }
  return -1;
}

// fault [once] METHOD CODE TEXT | fault METHOD off
Outcome runFault(Sim& sim, Request& request) {
  const bool once = request.words[1] == "once";
  std::string methodWord = request.words[1];
  std::string codeWord = request.words[2];
  std::string text = request.rest;
  if (once) {
    // The words were cut one too early: the code is the first word of the free text.
    methodWord = request.words[2];
    std::vector<std::string> code = splitWords(request.rest, 1, &text);
    codeWord = code.empty() ? std::string() : code[0];
  }
  const int type = methodTypeArg(methodWord);
  if (type < 0) return Outcome::failure("unknown method " + methodWord);
  Outcome outcome;
  outcome.json["method"] = std::string(methodName(type));
  if (!once && codeWord == "off") {
    sim.faults_.erase(type);
    sim.faultsOnce_.erase(type);
    return outcome;
  }
  auto code = parseNumber(codeWord, INT32_MIN, INT32_MAX);
  if (!code) {
    return Outcome::failure("usage: fault [once] METHOD CODE TEXT | fault METHOD off");
  }
  if (once) {
    sim.faultsOnce_[type].emplace_back(static_cast<int>(*code), std::move(text));
    outcome.json["once"] = true;
  } else {
    sim.faults_[type] = {static_cast<int>(*code), std::move(text)};
  }
  return outcome;
}

Outcome runStatus(Sim& sim, Request&) {
  Outcome outcome;
  Json connections = Json::array();
  for (const auto& [id, conn] : sim.connections_) {
    Json entry = Json::object();
    entry["conn"] = id;
    entry["loggedIn"] = conn->loggedIn;
    entry["user"] = conn->user;
    entry["subscriptions"] = conn->subscriptions.size();
    connections.push_back(std::move(entry));
  }
  Json files = Json::array();
  for (const auto& [key, data] : sim.files_) {
    Json entry = Json::object();
    entry["extension"] = key.first;
    entry["name"] = key.second;
    entry["bytes"] = data.size();
    files.push_back(std::move(entry));
  }
  outcome.json["connections"] = std::move(connections);
  outcome.json["calls"] = sim.calls_.size();
  outcome.json["files"] = std::move(files);
  outcome.json["stalled"] = sim.stalled_;
  return outcome;
}

constexpr std::size_t kAny = 99;

constexpr CommandSpec kCommands[] = {
    {"offer", 3, 4, 0, runOffer},
    {"state", 3, 4, 0, runState},
    {"dtmf", 3, 3, 0, runDtmf},
    {"mail", 5, 5, 0, runMail},
    {"cdr", 4, 5, 0, runCdr},
    {"dialog", 4, 4, 4, runDialog},
    {"presence", 3, 3, 0, runPresence},
    {"extlist", 1, 1, 0, runExtList},
    {"originate", 5, 5, 0, runOriginate},
    {"close", 1, 1, 0, runClose},
    {"garbage", 2, 2, 0, runGarbage},
    {"raw", 1, kAny, 1, runRaw},
    {"endless", 1, 1, 0, runEndless},
    {"flood", 2, 3, 0, runFlood},
    {"stall", 2, 2, 0, runStall},
    {"fault", 3, kAny, 3, runFault},
    {"status", 1, 1, 0, runStatus},
};

}  // namespace

std::string PbxSimulator::Impl::runCommand(std::string_view line) {
  Request request;
  std::string_view body = line;
  std::optional<int> targetId;
  {
    std::vector<std::string> head = splitWords(body);
    if (!head.empty() && head[0].size() > 1 && head[0][0] == '@') {
      auto id = parseNumber(std::string_view(head[0]).substr(1), 1, INT32_MAX);
      if (!id) return R"({"ok":false,"error":"bad connection"})";
      targetId = static_cast<int>(*id);
      body.remove_prefix(body.find(head[0]) + head[0].size());
    }
  }
  const std::vector<std::string> first = splitWords(body);
  if (first.empty()) return R"({"ok":false,"error":"empty command"})";
  const CommandSpec* spec = nullptr;
  for (const CommandSpec& candidate : kCommands) {
    if (candidate.name == first[0]) spec = &candidate;
  }
  Outcome outcome;
  if (spec == nullptr) {
    outcome = Outcome::failure("unknown command");
  } else {
    request.words =
        spec->freeTextAfter > 0 ? splitWords(body, spec->freeTextAfter, &request.rest) : first;
    if (request.words.size() < spec->minWords || request.words.size() > spec->maxWords) {
      outcome = Outcome::failure("wrong number of arguments");
    } else {
      if (targetId) {
        request.targetGiven = true;
        request.target = connection(*targetId);
        if (request.target == nullptr)
          outcome = Outcome::failure("no connection " + std::to_string(*targetId));
      } else {
        for (auto it = connections_.rbegin(); it != connections_.rend(); ++it) {
          if (!it->second->closing) {
            request.target = it->second.get();
            break;
          }
        }
      }
      if (!targetId || request.target != nullptr) outcome = spec->run(*this, request);
    }
  }
  Json json = Json::object();
  json["command"] = first[0];
  for (auto& [key, value] : outcome.json.items()) json[key] = value;
  return json.dump();
}

}  // namespace telvane::tools
