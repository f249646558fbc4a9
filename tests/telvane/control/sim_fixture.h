#pragma once
// A control on the test's thread, logged in (or not) to an in-process simulator, with every event
// recorded as one line of text ("CallStateChanged 123 2") together with the thread it ran on.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/com/owner_dispatcher.h"
#include "platform/com/variant.h"
#include "telvane/control/telvane_ctrl.h"
#include "tests/support/wire_trace.h"
#include "tools/pbxsim/pbx_simulator.h"

namespace telvane::testing {

using namespace std::chrono_literals;

inline std::string variantText(const platform::Variant& v) {
  switch (v.type()) {
    case platform::VarType::Bool:
      return v.boolValue() ? "true" : "false";
    case platform::VarType::I2:
      return std::to_string(v.i2());
    case platform::VarType::I4:
      return std::to_string(v.i4());
    case platform::VarType::Text:
      return v.text();
    default:
      return "?";
  }
}

// Threads of this process (entries of /proc/self/task).
inline std::size_t threadCount() {
  std::error_code error;
  std::size_t count = 0;
  for (std::filesystem::directory_iterator it("/proc/self/task", error), end; !error && it != end;
       it.increment(error)) {
    ++count;
  }
  return count;
}

class SimFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    startSimulator();
    if (HasFatalFailure()) return;
    createControl();
  }

  // Fixtures that need another simulator (TLS, timings) adjust its options here.
  virtual void adjustOptions(tools::PbxSimulator::Options&) {}

  void startSimulator() {
    tools::PbxSimulator::Options options;
    options.answerDelay = 100ms;
    options.promptLength = 100ms;
    options.busy = {"202"};
    options.trace = trace_.sink();
    options.traceFile = traceFileForThisTest();
    adjustOptions(options);
    sim_ = std::make_unique<tools::PbxSimulator>(std::move(options));
    ASSERT_TRUE(sim_->start()) << sim_->error();
  }

  // With TELVANE_WIRE_TRACE_DIR set, each test keeps its wire traffic in a file of its own there,
  // so the traffic of two builds can be compared (tests/scripts/normalise_trace.py).
  static std::string traceFileForThisTest() {
    const char* dir = std::getenv("TELVANE_WIRE_TRACE_DIR");
    if (dir == nullptr || *dir == '\0') return {};
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "." + test->name();
    for (char& c : name) {
      if (c == '/') c = '_';
    }
    return (std::filesystem::path(dir) / (name + ".jsonl")).string();
  }

  void createControl() {
    control_ = std::make_unique<CTelvaneCtrl>();
    control_->setDispatcher(&dispatcher_);
    for (const platform::MemberInfo& event : control_->events()) {
      control_->advise(event.id, [this, &event](const std::vector<platform::Variant>& args) {
        std::string line = event.name;
        for (const platform::Variant& a : args) {
          line += ' ';
          line += variantText(a);
        }
        events_.push_back(line);
        if (std::this_thread::get_id() != owner_) offThread_ = true;
        if (eventHook_) eventHook_(line);
      });
    }
  }

  void TearDown() override {
    control_.reset();
    sim_.reset();  // its thread writes the trace
    EXPECT_FALSE(offThread_) << "an event ran off the host's thread";
  }

  int16_t port() const { return static_cast<int16_t>(sim_->port()); }

  bool connect() { return control_->Connect("127.0.0.1", port(), 2, "101", "secret"); }

  // Pumps the control's dispatcher until `done` holds (at most `limit`).
  bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 3s) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      dispatcher_.pumpFor(10ms);
    }
    return true;
  }
  bool pumpUntilEvent(const std::string& line, std::chrono::milliseconds limit = 3s) {
    return pumpUntil([&] { return hasEvent(line); }, limit);
  }
  void pumpFor(std::chrono::milliseconds span) {
    auto deadline = std::chrono::steady_clock::now() + span;
    while (std::chrono::steady_clock::now() < deadline) dispatcher_.pumpFor(10ms);
  }

  bool hasEvent(const std::string& line) const {
    for (const std::string& e : events_) {
      if (e == line) return true;
    }
    return false;
  }
  std::vector<std::string> eventsStartingWith(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const std::string& e : events_) {
      if (e.rfind(prefix, 0) == 0) out.push_back(e);
    }
    return out;
  }

  // Trace lines of messages the simulator received that mention `text`.
  std::vector<std::string> received(const std::string& text) { return trace_.inbound({text}); }

  std::thread::id owner_ = std::this_thread::get_id();
  platform::PollableDispatcher dispatcher_;
  std::unique_ptr<tools::PbxSimulator> sim_;
  std::unique_ptr<CTelvaneCtrl> control_;
  std::vector<std::string> events_;
  // Runs after each event was recorded (a slow host, a host that acts on events).
  std::function<void(const std::string&)> eventHook_;
  bool offThread_ = false;
  testsupport::WireTrace trace_;
};

}  // namespace telvane::testing
