// The typed C++ members of telvane.hpp over the shared library, against the in-process
// simulator; and what they refuse to compile.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "include/telvane/telvane.hpp"
#include "tools/pbxsim/pbx_simulator.h"

namespace {

using namespace std::chrono_literals;

template <class C>
concept TypedCallsCompile = requires(C& c, std::string& out, const std::string& s) {
  {
    c.createCall(s, "to", std::string_view("x"))
    } -> std::same_as<telvane::Result<telvane::CallId>>;
  { c.closeCall(telvane::CallId{1}) } -> std::same_as<telvane::Result<void>>;
  c.connect("h", std::uint16_t{1}, std::int32_t{5}, "u", "p");
  c.getSystemInfo(out, out);
};
static_assert(TypedCallsCompile<telvane::Control>);

template <class C>
concept IdAsText = requires(C& c) {
  c.closeCall("1");
};
static_assert(!IdAsText<telvane::Control>);
template <class C>
concept PortAsInt = requires(C& c) {
  c.connect("h", 5070, std::int32_t{5}, "u", "p");
};
static_assert(!PortAsInt<telvane::Control>);
template <class C>
concept OutTextAsLiteral = requires(C& c) {
  c.getSystemInfo("a", "b");
};
static_assert(!OutTextAsLiteral<telvane::Control>);
template <class C>
concept MissingArgument = requires(C& c) {
  c.createCall("a", "b");
};
static_assert(!MissingArgument<telvane::Control>);

class TypedControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    telvane::tools::PbxSimulator::Options options;
    options.answerDelay = 20ms;
    options.promptLength = 20ms;
    sim_ = std::make_unique<telvane::tools::PbxSimulator>(std::move(options));
    ASSERT_TRUE(sim_->start()) << sim_->error();
    ASSERT_EQ(control_.status(), TELVANE_OK);
  }
  std::uint16_t port() const { return static_cast<std::uint16_t>(sim_->port()); }

  std::unique_ptr<telvane::tools::PbxSimulator> sim_;
  telvane::Control control_;
};

TEST_F(TypedControlTest, CallsCarryTypedValuesAndEventsArriveTyped) {
  std::vector<std::int16_t> states;
  telvane::CallId call = 0;
  control_.on<telvane::CallStateChanged>([&](const telvane::CallStateChanged& e) {
    if (e.get<0>() == call) states.push_back(e.get<1>());
  });
  ASSERT_TRUE(control_.connect("127.0.0.1", port(), std::int32_t{5}, "101", "secret"));
  std::string id = "unset", version = "unset";
  ASSERT_TRUE(control_.getSystemInfo(id, version));
  EXPECT_EQ(id, "PBXSIM-0001");
  EXPECT_FALSE(version.empty());

  telvane::Result<telvane::CallId> created = control_.createCall("system", "pbx:101", "Typed");
  ASSERT_TRUE(created) << created.error;
  call = created.value;
  EXPECT_NE(call, 0u);
  for (int i = 0; i < 100 && (states.empty() || states.back() != 2); ++i) control_.wait(50ms);
  ASSERT_FALSE(states.empty());
  EXPECT_EQ(states.back(), 2);
  EXPECT_TRUE(control_.closeCall(call));
  EXPECT_TRUE(control_.disconnect());
}

// A method the control ran and answered false (or "0") is refused, not failed; out-texts stay
// as they were.
TEST_F(TypedControlTest, RefusalsAndFailuresSayWhich) {
  std::string id = "unset", version = "unset";
  telvane::Result<void> info = control_.getSystemInfo(id, version);  // not logged in
  EXPECT_FALSE(info);
  EXPECT_EQ(info.status, TELVANE_OK);
  EXPECT_TRUE(info.refused);
  EXPECT_EQ(info.error, "GetSystemInfo was refused");
  EXPECT_EQ(id, "unset");

  telvane::Result<telvane::CallId> none = control_.createCall("system", "pbx:101", "x");
  EXPECT_FALSE(none);
  EXPECT_TRUE(none.refused);
  EXPECT_EQ(none.value, 0u);
}

}  // namespace
