// The codec per message, parse and serialize, against xmlrpc-c on the same texts; and the
// 1 MiB string's parse against a plain copy of the same bytes.
//
//   bench_codec [benchmark flags]   runs the benchmarks
//   bench_codec --texts DIR         writes the peers' texts (for the Python peer) and exits
#include <benchmark/benchmark.h>
#include <xmlrpc-c/base.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>
#include <xmlrpc-c/base.hpp>
#include <xmlrpc-c/xml.hpp>

#include "telvane/protocol/call_control.h"
#include "telvane/protocol/call_events.h"
#include "telvane/protocol/method_factory.h"
#include "telvane/protocol/subscriptions.h"
#include "telvane/protocol/system_service.h"

namespace telvane {
namespace {

constexpr CallId kId = 1234567890123456789ULL;

// ---- the messages, built with the message classes

std::unique_ptr<XmlRpcMethod> callStateChanged() {
  auto call = std::make_unique<CallStateChangedMethod>();
  call->setState(kId, 3, 0);
  return call;
}

std::unique_ptr<XmlRpcMethod> cdrArrived() {
  CdrRecord record;
  record.from = "pbx:2001";
  record.to = "sip:0049301234567@gateway.example.net";
  record.startTime = 1765262400;
  record.duration = 187;
  record.callGuid = "6f1c2a9e-4b7d-4e8a-9c3f-2d5e8a1b7c40";
  record.details = "Answered & transferred <att>";
  record.authenticatedBy = "digest";
  record.callerIdRestricted = false;
  CdrStatistics stats;
  stats.rtpTxPackets = 9350;
  stats.rtpTxCodec = "PCMA";
  stats.rtpTxPacketSize = 160;
  stats.rtpRxPackets = 9342;
  stats.rtpRxCodec = "PCMA";
  stats.rtpRxPacketSize = 160;
  stats.rtpRxLost = 8;
  stats.rtpRxJitter = 12;
  stats.rtpRxMaxDelay = 41;
  stats.rtpDelayIncCount = 3;
  stats.rtpDelayDecCount = 2;
  auto call = std::make_unique<CDRArrivedMethod>();
  call->setCdr(kId, 1, record, stats);
  return call;
}

std::unique_ptr<XmlRpcMethod> filesList() {
  std::vector<std::string> names;
  for (int i = 0; i < 1000; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "prompt_%04d_greeting.wav", i);
    names.emplace_back(name);
  }
  auto answer = std::make_unique<GetFilesResponseMethod>();
  answer->setResult(kId, std::move(names));
  return answer;
}

// 1 MiB of XML markup carried as a string, the densest text a PBX sends: one byte in nine is
// written as an entity.
std::unique_ptr<XmlRpcMethod> entityString() {
  constexpr std::string_view kPiece =
      "<party role=\"caller\" name=\"Tom & Jerry\"><uri>sip:2001@pbx.example.net</uri></party>\n";
  std::string value;
  value.reserve(1 << 20);
  while (value.size() < (1u << 20)) value.append(kPiece);
  value.resize(1 << 20);
  auto answer = std::make_unique<XmlRpcResponseMethod>(kCloseCall);
  answer->setIdText(value);
  return answer;
}

std::string wireText(const XmlRpcMethod& m) {
  std::string text;
  m.serialize(text);
  text.resize(text.size() - 4);  // as the framer hands it over
  return text;
}

// ---- the peer: xmlrpc-c's parser and serializer on the same texts

struct PeerCall {
  std::string name;
  xmlrpc_c::paramList params;
};

// xmlrpc-c takes a response of exactly one param; a message of ours with several (the files
// list) is given to it as one array param holding them, which is what it would send.
std::string peerResponseText(const std::string& text) {
  const std::string open = "<params>\r\n";
  const std::string close = "</params>";
  std::size_t from = text.find(open);
  std::size_t to = text.rfind(close);
  if (from == std::string::npos || to == std::string::npos) return text;
  std::size_t inner = from + open.size();
  std::string params = text.substr(inner, to - inner);
  if (params.find("<param>", 1) == std::string::npos) return text;
  std::string values;
  for (std::size_t at = 0; (at = params.find("<param>\r\n", at)) != std::string::npos;) {
    at += 9;
    std::size_t end = params.find("</param>", at);
    // A param's value never contains "</param>".
    values.append(params, at, end - at);
    at = end;
  }
  return text.substr(0, inner) + "<param>\r\n<value><array><data>\r\n" + values +
         "</data></array></value>\r\n</param>\r\n" + text.substr(to);
}

struct Message {
  std::string key;  // as in benchmark names and results
  std::unique_ptr<XmlRpcMethod> object;
  std::string text;      // ours
  std::string peerText;  // xmlrpc-c's (same content)
};

std::vector<Message> messages() {
  std::vector<Message> list;
  auto add = [&](std::string key, std::unique_ptr<XmlRpcMethod> object) {
    Message m{std::move(key), std::move(object), {}, {}};
    m.text = wireText(*m.object);
    m.peerText = m.object->expectsResponse() ? m.text : peerResponseText(m.text);
    list.push_back(std::move(m));
  };
  add("callstatechanged", callStateChanged());
  add("cdrarrived", cdrArrived());
  add("getfileslist", filesList());
  add("entity_string_1mib", entityString());
  return list;
}

// Our parse of one text: a call through the catalogue, a response through its request.
std::function<bool(const std::string&)> ourParser(const Message& m) {
  if (m.object->expectsResponse()) {
    return [](const std::string& text) {
      ParsedCall parsed = parsePbxMethodCall(text);
      benchmark::DoNotOptimize(parsed.method);
      return parsed.kind == ParsedCall::Kind::kCall;
    };
  }
  std::shared_ptr<XmlRpcRequestMethod> request;
  if (m.object->type() == kGetFilesList) {
    request = std::make_shared<GetFilesMethod>();
  } else {
    request = std::make_shared<CloseCallMethod>();
  }
  return [request](const std::string& text) {
    auto response = request->parseResponse(text);
    benchmark::DoNotOptimize(response);
    return response != nullptr && !response->isFault();
  };
}

std::function<bool(const std::string&)> peerParser(const Message& m) {
  if (m.object->expectsResponse()) {
    return [](const std::string& text) {
      PeerCall call;
      xmlrpc_c::xml::parseCall(text, &call.name, &call.params);
      benchmark::DoNotOptimize(call.params);
      return call.params.size() > 0;
    };
  }
  return [](const std::string& text) {
    xmlrpc_c::rpcOutcome outcome;
    xmlrpc_c::xml::parseResponse(text, &outcome);
    benchmark::DoNotOptimize(outcome);
    return outcome.succeeded();
  };
}

std::function<void(std::string&)> peerSerializer(const Message& m) {
  if (m.object->expectsResponse()) {
    auto call = std::make_shared<PeerCall>();
    xmlrpc_c::xml::parseCall(m.peerText, &call->name, &call->params);
    return
        [call](std::string& out) { xmlrpc_c::xml::generateCall(call->name, call->params, &out); };
  }
  auto outcome = std::make_shared<xmlrpc_c::rpcOutcome>();
  xmlrpc_c::xml::parseResponse(m.peerText, outcome.get());
  return [outcome](std::string& out) { xmlrpc_c::xml::generateResponse(*outcome, &out); };
}

bool writeTexts(const std::vector<Message>& list, const std::string& dir) {
  for (const Message& m : list) {
    std::ofstream file(dir + "/" + m.key + ".xml", std::ios::binary);
    file << m.peerText;
    if (!file) return false;
  }
  return true;
}

void registerAll(std::vector<Message>& list) {
  for (Message& m : list) {
    const std::string& key = m.key;
    auto ours = ourParser(m);
    auto peer = peerParser(m);
    if (!ours(m.text) || !peer(m.peerText)) {
      std::fprintf(stderr, "bench_codec: %s does not parse\n", key.c_str());
      std::exit(1);
    }
    const std::string* text = &m.text;
    const std::string* peerText = &m.peerText;
    benchmark::RegisterBenchmark(
        ("codec/" + key + "/parse/ours").c_str(), [ours, text](benchmark::State& state) {
          for (auto _ : state) ours(*text);
          state.SetBytesProcessed(state.iterations() * std::int64_t(text->size()));
        });
    benchmark::RegisterBenchmark(
        ("codec/" + key + "/parse/xmlrpc-c").c_str(), [peer, peerText](benchmark::State& state) {
          for (auto _ : state) peer(*peerText);
          state.SetBytesProcessed(state.iterations() * std::int64_t(peerText->size()));
        });
    const XmlRpcMethod* object = m.object.get();
    benchmark::RegisterBenchmark(("codec/" + key + "/serialize/ours").c_str(),
                                 [object](benchmark::State& state) {
                                   std::string out;
                                   for (auto _ : state) {
                                     out.clear();
                                     object->serialize(out);
                                     benchmark::DoNotOptimize(out.data());
                                   }
                                 });
    auto serialize = peerSerializer(m);
    benchmark::RegisterBenchmark(("codec/" + key + "/serialize/xmlrpc-c").c_str(),
                                 [serialize](benchmark::State& state) {
                                   std::string out;
                                   for (auto _ : state) {
                                     serialize(out);
                                     benchmark::DoNotOptimize(out.data());
                                   }
                                 });
  }
  // The linear-growth reference: a plain copy of the bytes the 1 MiB message parses.
  const std::string* big = &list.back().text;
  benchmark::RegisterBenchmark("codec/entity_string_1mib/copy", [big](benchmark::State& state) {
    std::string copy(big->size(), '\0');
    for (auto _ : state) {
      std::memcpy(copy.data(), big->data(), big->size());
      benchmark::DoNotOptimize(copy.data());
      benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(big->size()));
  });
}

}  // namespace
}  // namespace telvane

int main(int argc, char** argv) {
  // xmlrpc-c refuses texts above 512 KiB unless told otherwise.
  xmlrpc_limit_set(XMLRPC_XML_SIZE_LIMIT_ID, 64u << 20);
  std::vector<telvane::Message> list = telvane::messages();
  if (argc == 3 && std::strcmp(argv[1], "--texts") == 0) {
    return telvane::writeTexts(list, argv[2]) ? 0 : 1;
  }
  telvane::registerAll(list);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
