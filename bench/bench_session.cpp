// The session and the control over loopback against the in-process simulator, beside a raw
// blocking-socket ping-pong of the same byte sizes (what the machine allows).
//
// Times are wall-clock (manual time): the work is spread over the host's thread, the session's
// receive thread and the simulator's thread, so the benchmark thread's CPU time says nothing.
// Latency percentiles and the footprint are reported as counters (*_ns, *_bytes).
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/com/owner_dispatcher.h"
#include "telvane/control/telvane_ctrl.h"
#include "telvane/protocol/call_control.h"
#include "telvane/protocol/call_events.h"
#include "telvane/xmlrpc/method_table.h"
#include "tools/pbxsim/pbx_simulator.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

double nanos(Clock::duration d) {
  return std::chrono::duration<double, std::nano>(d).count();
}

double percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  auto at = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1));
  return values[at];
}

void reportLatency(benchmark::State& state, const std::string& prefix,
                   const std::vector<double>& values) {
  state.counters[prefix + "p50_ns"] = percentile(values, 0.50);
  state.counters[prefix + "p99_ns"] = percentile(values, 0.99);
}

// The host's handler: counts call states, noting when each arrived.
class CountingHost : public telvane::TelvaneEvents {
 public:
  void CallStateChanged(const std::string&, int16_t callState) override {
    if (callState >= 0 && callState < 8) ++byState[callState];
    Clock::time_point now = Clock::now();
    if (recordGaps && last != Clock::time_point{}) gaps.push_back(nanos(now - last));
    last = now;
  }
  std::size_t byState[8] = {};
  bool recordGaps = false;
  Clock::time_point last{};
  std::vector<double> gaps;
};

telvane::tools::PbxSimulator::Options simOptions() {
  telvane::tools::PbxSimulator::Options options;
  options.answerDelay = std::chrono::hours(1);  // calls stay in state 1: no stray state 2
  return options;
}

// A simulator and one control logged in to it, events pumped by the calling thread.
struct Rig {
  telvane::tools::PbxSimulator sim{simOptions()};
  platform::PollableDispatcher dispatcher;
  CountingHost host;
  std::unique_ptr<telvane::CTelvaneCtrl> control;

  bool start() {
    if (!sim.start()) return false;
    control = std::make_unique<telvane::CTelvaneCtrl>();
    control->setDispatcher(&dispatcher);
    control->connectEvents(host);
    return control->Connect("127.0.0.1", static_cast<int16_t>(sim.port()), 5, "101", "secret");
  }
  ~Rig() {
    if (control) control->setDispatcher(nullptr);
    control.reset();
  }
  // Pumps until `count` events of `callState` have arrived in all.
  bool pumpUntil(int callState, std::size_t count, std::chrono::milliseconds limit = 5s) {
    Clock::time_point deadline = Clock::now() + limit;
    while (host.byState[callState] < count) {
      if (Clock::now() > deadline) return false;
      dispatcher.pumpFor(10ms);
    }
    return true;
  }
};

// CloseCall on a live call: its plain answer, then the call's state 3, which is the first thing
// the host can see of the answer. The call is created outside the timed part.
void BM_CloseCallRoundTrip(benchmark::State& state) {
  Rig rig;
  if (!rig.start()) return state.SkipWithError("no session");
  std::vector<double> latencies;
  for (auto _ : state) {
    std::string id = rig.control->CreateCall("system", "pbx:102", "Bench");
    if (id == "0" || !rig.pumpUntil(1, rig.host.byState[1] + 1)) {
      return state.SkipWithError("CreateCall failed");
    }
    const std::size_t closed = rig.host.byState[3] + 1;
    Clock::time_point start = Clock::now();
    rig.control->CloseCall(id);
    if (!rig.pumpUntil(3, closed)) return state.SkipWithError("no answer");
    double took = nanos(Clock::now() - start);
    state.SetIterationTime(took / 1e9);
    latencies.push_back(took);
  }
  reportLatency(state, "", latencies);
}
BENCHMARK(BM_CloseCallRoundTrip)
    ->Name("session/closecall_round_trip")
    ->UseManualTime()
    ->Iterations(2000);

// The bytes one CloseCall round trip moves: the request; the plain answer and the state 3 (the
// simulator writes both at once); the session's answer to that state, written before the host
// sees it.
struct WireSizes {
  std::size_t request = 0;
  std::size_t answer = 0;
  std::size_t reply = 0;
};

WireSizes closeCallSizes() {
  WireSizes sizes;
  std::string text;
  telvane::CloseCallMethod close;
  close.setCallId(1234567890123ULL);
  close.serialize(text);
  sizes.request = text.size() + 1;
  text.clear();
  telvane::XmlRpcResponseMethod answer(telvane::kCloseCall);
  answer.setIdText("1234567890123");
  answer.serialize(text);
  sizes.answer = text.size() + 1;
  text.clear();
  telvane::CallStateChangedMethod changed;
  changed.setState(1234567890123ULL, 3);
  changed.serialize(text);
  sizes.answer += text.size() + 1;
  text.clear();
  telvane::XmlRpcResponseMethod stateAnswer(telvane::kCallStateChanged);
  stateAnswer.setIdText("1234567890123");
  stateAnswer.serialize(text);
  sizes.reply = text.size() + 1;
  return sizes;
}

bool moveAll(int fd, char* data, std::size_t size, bool reading) {
  while (size > 0) {
    ssize_t n = reading ? ::recv(fd, data, size, 0) : ::send(fd, data, size, MSG_NOSIGNAL);
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

struct Fd {
  int fd = -1;
  explicit Fd(int f) : fd(f) {}
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
};

// The machine's limit: one blocking TCP socket pair on 127.0.0.1, the same bytes each way, in the
// same writes: request; answer with state; the answer to the state.
void BM_RawPingPong(benchmark::State& state) {
  const WireSizes sizes = closeCallSizes();
  Fd listener(::socket(AF_INET, SOCK_STREAM, 0));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (::bind(listener.fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener.fd, 1) != 0 ||
      ::getsockname(listener.fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    return state.SkipWithError("no listener");
  }
  std::thread server([&] {
    Fd peer(::accept(listener.fd, nullptr, nullptr));
    int on = 1;
    ::setsockopt(peer.fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    std::vector<char> in(sizes.request), out(sizes.answer, 'a'), reply(sizes.reply);
    while (moveAll(peer.fd, in.data(), in.size(), true) &&
           moveAll(peer.fd, out.data(), out.size(), false) &&
           moveAll(peer.fd, reply.data(), reply.size(), true)) {
    }
  });
  {
    Fd client(::socket(AF_INET, SOCK_STREAM, 0));
    int on = 1;
    ::setsockopt(client.fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    if (::connect(client.fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      state.SkipWithError("no connection");
    } else {
      std::vector<char> out(sizes.request, 'r'), in(sizes.answer), reply(sizes.reply, 'p');
      std::vector<double> latencies;
      for (auto _ : state) {
        Clock::time_point start = Clock::now();
        if (!moveAll(client.fd, out.data(), out.size(), false) ||
            !moveAll(client.fd, in.data(), in.size(), true) ||
            !moveAll(client.fd, reply.data(), reply.size(), false)) {
          state.SkipWithError("ping-pong broke");
          break;
        }
        double took = nanos(Clock::now() - start);
        state.SetIterationTime(took / 1e9);
        latencies.push_back(took);
      }
      reportLatency(state, "", latencies);
      state.counters["request_bytes"] = static_cast<double>(sizes.request);
      state.counters["answer_bytes"] = static_cast<double>(sizes.answer);
      state.counters["reply_bytes"] = static_cast<double>(sizes.reply);
    }
  }  // closing the client ends the server's loop
  server.join();
}
BENCHMARK(BM_RawPingPong)->Name("raw/ping_pong")->UseManualTime();

// Notifications to the host's handler on the owner thread: the simulator floods state 1 of one
// call. The figure is wall time per delivered notification; the percentiles are of the gaps
// between consecutive deliveries.
constexpr std::size_t kFlood = 5000;

void BM_Notifications(benchmark::State& state) {
  Rig rig;
  if (!rig.start()) return state.SkipWithError("no session");
  rig.host.recordGaps = true;
  for (auto _ : state) {
    const std::size_t target = rig.host.byState[1] + kFlood;
    rig.host.last = {};
    Clock::time_point start = Clock::now();
    // The command waits for the simulator's thread, which may wait for the socket to drain.
    auto flood = std::async(std::launch::async, [&] {
      return rig.sim.command("flood " + std::to_string(kFlood) + " 77");
    });
    bool delivered = rig.pumpUntil(1, target, 10s);
    double took = nanos(Clock::now() - start);
    flood.wait();
    if (!delivered) return state.SkipWithError("flood not delivered");
    state.SetIterationTime(took / 1e9 / kFlood);
  }
  reportLatency(state, "gap_", rig.host.gaps);
}
BENCHMARK(BM_Notifications)->Name("session/notifications")->UseManualTime()->Iterations(4);

// CreateCall: the queueing (the call's return) and the wake-up of the receive thread up to the
// first state of the call (0) on the host's thread.
void BM_CreateCall(benchmark::State& state) {
  Rig rig;
  if (!rig.start()) return state.SkipWithError("no session");
  std::vector<double> queued, firstState;
  for (auto _ : state) {
    const std::size_t zero = rig.host.byState[0] + 1, one = rig.host.byState[1] + 1;
    Clock::time_point start = Clock::now();
    std::string id = rig.control->CreateCall("system", "pbx:102", "Bench");
    Clock::time_point returned = Clock::now();
    if (id == "0" || !rig.pumpUntil(0, zero)) return state.SkipWithError("CreateCall failed");
    Clock::time_point answered = Clock::now();
    if (!rig.pumpUntil(1, one)) return state.SkipWithError("no state 1");
    state.SetIterationTime(nanos(returned - start) / 1e9);
    queued.push_back(nanos(returned - start));
    firstState.push_back(nanos(answered - start));
    state.PauseTiming();
    rig.control->CloseCall(id);  // keeps the simulator's call table small
    rig.pumpUntil(3, rig.host.byState[3] + 1);
    state.ResumeTiming();
  }
  reportLatency(state, "queue_", queued);
  reportLatency(state, "state0_", firstState);
}
BENCHMARK(BM_CreateCall)->Name("session/createcall")->UseManualTime()->Iterations(2000);

std::size_t residentBytes() {
  long pages = 0, resident = 0;
  std::FILE* f = std::fopen("/proc/self/statm", "r");
  if (f == nullptr) return 0;
  if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
  std::fclose(f);
  return static_cast<std::size_t>(resident) * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

// Resident memory per connected control, 100 in one process sharing one dispatcher. The
// simulator is in the same process, so its side of each connection is counted too.
constexpr int kControls = 100;

void BM_Footprint(benchmark::State& state) {
  for (auto _ : state) {
    telvane::tools::PbxSimulator sim{simOptions()};
    if (!sim.start()) return state.SkipWithError("no simulator");
    platform::PollableDispatcher dispatcher;
    std::vector<std::unique_ptr<telvane::CTelvaneCtrl>> controls;
    auto addOne = [&] {
      auto control = std::make_unique<telvane::CTelvaneCtrl>();
      control->setDispatcher(&dispatcher);
      bool ok = control->Connect("127.0.0.1", static_cast<int16_t>(sim.port()), 5, "101", "secret");
      controls.push_back(std::move(control));
      return ok;
    };
    if (!addOne()) return state.SkipWithError("no session");  // warms the allocator
    dispatcher.pump();
    Clock::time_point start = Clock::now();
    const std::size_t before = residentBytes();
    for (int i = 0; i < kControls; ++i) {
      if (!addOne()) return state.SkipWithError("no session");
    }
    dispatcher.pump();
    const std::size_t after = residentBytes();
    state.SetIterationTime(nanos(Clock::now() - start) / 1e9);
    state.counters["per_control_bytes"] =
        static_cast<double>(after - before) / static_cast<double>(kControls);
    for (auto& control : controls) control->setDispatcher(nullptr);
    controls.clear();
  }
}
// Once per process: a repetition would reuse the pages (and thread stacks) the first one freed.
BENCHMARK(BM_Footprint)->Name("session/footprint")->UseManualTime()->Iterations(1)->Repetitions(1);

}  // namespace

BENCHMARK_MAIN();
