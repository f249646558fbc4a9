// Parse and serialize cost of typical PBX messages, in ns per message.
#include <benchmark/benchmark.h>

#include <string>

#include "telvane/xmlrpc/generic_method.h"
#include "telvane/xmlrpc/message_parser.h"
#include "telvane/xmlrpc/method_table.h"

namespace telvane {
namespace {

std::unique_ptr<GenericRequestMethod> callStateChanged() {
  auto call = std::make_unique<GenericRequestMethod>(kCallStateChanged);
  call->append(std::make_unique<XmlRpcValueString>("1234567890123456789"));
  call->append(std::make_unique<XmlRpcValueInt>(3));
  call->append(std::make_unique<XmlRpcValueInt>(0));
  return call;
}

std::unique_ptr<GenericResponseMethod> structResponse() {
  auto members = std::make_unique<XmlRpcValueStruct>();
  for (int i = 0; i < 20; ++i) {
    const std::string name = "Member" + std::to_string(i);
    if (i % 2 == 0) {
      members->append(name, std::make_unique<XmlRpcValueString>("value & text " + name));
    } else {
      members->append(name, std::make_unique<XmlRpcValueInt>(i * 1000));
    }
  }
  auto response = std::make_unique<GenericResponseMethod>(kGetSystemInfo);
  response->append(std::move(members));
  return response;
}

std::string wireText(const XmlRpcMethod& m) {
  std::string text;
  m.serialize(text);
  text.resize(text.size() - 4);  // as the framer hands it over
  return text;
}

void BM_ParseCallStateChanged(benchmark::State& state) {
  const std::string text = wireText(*callStateChanged());
  for (auto _ : state) {
    ParsedCall parsed = parseMethodCall(text);
    benchmark::DoNotOptimize(parsed.method);
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * std::int64_t(text.size()));
}
BENCHMARK(BM_ParseCallStateChanged);

void BM_SerializeCallStateChanged(benchmark::State& state) {
  auto call = callStateChanged();
  std::string out;
  for (auto _ : state) {
    out.clear();
    call->serialize(out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SerializeCallStateChanged);

void BM_ParseStructResponse20(benchmark::State& state) {
  const std::string text = wireText(*structResponse());
  const GenericRequestMethod request(kGetSystemInfo);
  for (auto _ : state) {
    auto response = request.parseResponse(text);
    benchmark::DoNotOptimize(response);
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * std::int64_t(text.size()));
}
BENCHMARK(BM_ParseStructResponse20);

void BM_SerializeStructResponse20(benchmark::State& state) {
  auto response = structResponse();
  std::string out;
  for (auto _ : state) {
    out.clear();
    response->serialize(out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SerializeStructResponse20);

}  // namespace
}  // namespace telvane

BENCHMARK_MAIN();
