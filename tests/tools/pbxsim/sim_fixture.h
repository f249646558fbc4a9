#pragma once
// A simulator per test on a free port, with a clock the test moves.

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "tests/tools/pbxsim/sim_client.h"
#include "tools/pbxsim/pbx_simulator.h"

namespace telvane::tools::testing {

class ManualClock {
 public:
  PbxSimulator::Clock::time_point now() const {
    return PbxSimulator::Clock::time_point(std::chrono::milliseconds(elapsed_.load()));
  }
  void advance(std::chrono::milliseconds by) { elapsed_ += by.count(); }

 private:
  std::atomic<long long> elapsed_{1000000};
};

class SimTest : public ::testing::Test {
 protected:
  // Starts the simulator on the manual clock; answer delay and prompt length stay as given.
  PbxSimulator& start(PbxSimulator::Options options = {}) {
    options.now = [this] { return clock_.now(); };
    sim_ = std::make_unique<PbxSimulator>(std::move(options));
    EXPECT_TRUE(sim_->start()) << sim_->error();
    return *sim_;
  }
  // A client connected (and, by default, logged in) to the simulator.
  std::unique_ptr<SimClient> client(bool login = true) {
    auto c = std::make_unique<SimClient>();
    EXPECT_TRUE(c->connect(sim_->port()));
    if (login) {
      EXPECT_TRUE(c->login());
    }
    return c;
  }
  // Moves the clock and lets the simulator see it.
  void advance(std::chrono::milliseconds by) {
    clock_.advance(by);
    sim_->wake();
  }

  ManualClock clock_;
  std::unique_ptr<PbxSimulator> sim_;
};

}  // namespace telvane::tools::testing
