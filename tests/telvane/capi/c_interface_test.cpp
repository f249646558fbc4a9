// libtelvane.so's C interface as a C host uses it, against the in-process simulator.
#include <gtest/gtest.h>
#include <poll.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "include/telvane/telvane_c.h"
#include "tools/pbxsim/pbx_simulator.h"

namespace {

using namespace std::chrono_literals;

struct Seen {
  std::vector<std::string> events;  // "Name arg arg ..."
};

void record(void* user, const char* event, int argc, const char* const* argv) {
  std::string line = event;
  for (int i = 0; i < argc; ++i) line += std::string(" ") + argv[i];
  static_cast<Seen*>(user)->events.push_back(line);
}

telvane::tools::PbxSimulator::Options quickSimulator() {
  telvane::tools::PbxSimulator::Options options;
  options.answerDelay = 20ms;
  options.promptLength = 20ms;
  return options;
}

class CInterfaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sim_.start()) << sim_.error();
    ASSERT_EQ(telvane_create(&control_), TELVANE_OK);
    ASSERT_EQ(telvane_set_event_callback(control_, record, &seen_), TELVANE_OK);
  }
  void TearDown() override { telvane_destroy(control_); }

  int call(const char* method, std::vector<const char*> args, telvane_reply* reply = nullptr) {
    return telvane_call(control_, method, static_cast<int>(args.size()), args.data(), reply);
  }
  std::string result(const char* method, std::vector<const char*> args) {
    telvane_reply reply{};
    EXPECT_EQ(call(method, args, &reply), TELVANE_OK) << telvane_last_error(control_);
    return reply.result ? reply.result : "(null)";
  }
  void connect() {
    const std::string port = std::to_string(sim_.port());
    ASSERT_EQ(result("Connect", {"127.0.0.1", port.c_str(), "5", "101", "secret"}), "true");
  }
  // Waits on the descriptor as a host with its own loop would, then pumps.
  bool pumpUntil(const std::string& event, std::chrono::milliseconds limit = 5s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
      for (const std::string& e : seen_.events) {
        if (e == event) return true;
      }
      pollfd fd{telvane_fd(control_), POLLIN, 0};
      if (poll(&fd, 1, 50) > 0) {
        EXPECT_GE(telvane_pump(control_), 0);
      }
    }
    return false;
  }

  telvane::tools::PbxSimulator sim_{quickSimulator()};
  telvane_control* control_ = nullptr;
  Seen seen_;
};

TEST(CInterfaceTables, MethodsAndEventsFromTheControlsTables) {
  EXPECT_EQ(std::to_string(TELVANE_VERSION_MAJOR) + "." + std::to_string(TELVANE_VERSION_MINOR),
            TELVANE_PROJECT_VERSION);
  ASSERT_EQ(telvane_method_count(), 31);
  ASSERT_EQ(telvane_event_count(), 16);

  telvane_member m{};
  ASSERT_EQ(telvane_method_info(0, &m), TELVANE_OK);
  EXPECT_EQ(m.id, 1);
  EXPECT_STREQ(m.name, "Connect");
  EXPECT_STREQ(m.result, "BOOL");
  EXPECT_EQ(m.param_count, 5);
  EXPECT_EQ(m.input_count, 5);
  telvane_param p{};
  ASSERT_EQ(telvane_method_param(0, 1, &p), TELVANE_OK);
  EXPECT_STREQ(p.name, "serverPort");
  EXPECT_STREQ(p.type, "I2");

  ASSERT_EQ(telvane_method_info(27, &m), TELVANE_OK);
  EXPECT_STREQ(m.name, "GetSystemInfo");
  EXPECT_EQ(m.param_count, 2);
  EXPECT_EQ(m.input_count, 0);
  ASSERT_EQ(telvane_method_param(27, 1, &p), TELVANE_OK);
  EXPECT_STREQ(p.type, "text out");
  ASSERT_EQ(telvane_method_info(30, &m), TELVANE_OK);
  EXPECT_STREQ(m.name, "CreateCallCID");
  EXPECT_STREQ(m.result, "text");

  ASSERT_EQ(telvane_event_info(11, &m), TELVANE_OK);
  EXPECT_STREQ(m.name, "CDRArrived");
  EXPECT_EQ(m.param_count, 27);
  EXPECT_STREQ(m.result, "");
  ASSERT_EQ(telvane_event_info(15, &m), TELVANE_OK);
  EXPECT_STREQ(m.name, "ErrorOccured");

  EXPECT_EQ(telvane_method_info(31, &m), TELVANE_E_UNKNOWN_METHOD);
  EXPECT_EQ(telvane_method_info(-1, &m), TELVANE_E_UNKNOWN_METHOD);
  EXPECT_EQ(telvane_event_info(16, &m), TELVANE_E_UNKNOWN_METHOD);
  EXPECT_EQ(telvane_method_param(0, 5, &p), TELVANE_E_ARG_COUNT);
  EXPECT_EQ(telvane_event_param(0, -1, &p), TELVANE_E_ARG_COUNT);
  EXPECT_EQ(telvane_method_info(0, nullptr), TELVANE_E_INVALID);
  EXPECT_STRNE(telvane_status_text(TELVANE_E_ARG_COUNT), telvane_status_text(TELVANE_OK));
  EXPECT_STREQ(telvane_status_text(12345), "unknown status");
}

TEST_F(CInterfaceTest, EveryMethodAnswersThroughTheTable) {
  connect();
  // Arguments of the right types for every method; the sessions's own answers do not matter
  // here, only that each call goes through and gives a result of its type.
  for (int i = 0; i < telvane_method_count(); ++i) {
    telvane_member m{};
    ASSERT_EQ(telvane_method_info(i, &m), TELVANE_OK);
    const std::string name = m.name;
    if (name == "Connect" || name == "SConnect" || name == "Disconnect") continue;
    std::vector<const char*> args;
    for (int k = 0; k < m.param_count; ++k) {
      telvane_param p{};
      ASSERT_EQ(telvane_method_param(i, k, &p), TELVANE_OK);
      const std::string type = p.type;
      if (type == "text out") continue;
      args.push_back(type == "BOOL" ? "false" : type == "text" ? "7" : "1");
    }
    telvane_reply reply{};
    ASSERT_EQ(call(m.name, args, &reply), TELVANE_OK)
        << name << ": " << telvane_last_error(control_);
    ASSERT_NE(reply.result, nullptr);
    if (std::string(m.result) == "BOOL") {
      EXPECT_TRUE(std::string(reply.result) == "true" || std::string(reply.result) == "false")
          << name << " gave " << reply.result;
    }
    EXPECT_EQ(reply.output_count, m.param_count - m.input_count) << name;
  }
  telvane_reply info{};
  ASSERT_EQ(call("getsysteminfo", {}, &info), TELVANE_OK);
  EXPECT_STREQ(info.result, "true");
  ASSERT_EQ(info.output_count, 2);
  EXPECT_STREQ(info.outputs[0], "PBXSIM-0001");
  EXPECT_STREQ(info.outputs[1], "Sim-5.1.26-PBX");

  EXPECT_EQ(result("Disconnect", {}), "true");
  EXPECT_EQ(result("CreateCall", {"system", "pbx:101", "Ringova"}), "0");
  EXPECT_EQ(result("SConnect", {"127.0.0.1", "1", "1", "101", "0", "x"}), "false");
}

TEST_F(CInterfaceTest, EventsReachTheCallbackOnThePumpingThread) {
  connect();
  const std::string id = result("CreateCall", {"system", "pbx:101", "Ringova"});
  ASSERT_NE(id, "0");
  ASSERT_TRUE(pumpUntil("CallStateChanged " + id + " 2"));
  EXPECT_EQ(seen_.events.front(), "CallStateChanged " + id + " 0");

  ASSERT_EQ(result("GetExtension", {"101"}), "true");
  ASSERT_TRUE(pumpUntil("ExtensionGet true 101"));
  const std::string sub = result("SubscribeToPresence", {"101"});
  ASSERT_TRUE(pumpUntil("SubscriptionConfirmed " + sub + " true 0"));
  sim_.command("presence 101 1");
  ASSERT_TRUE(pumpUntil("PresenceArrived " + sub + " true"));

  // telvane_wait blocks for the next event itself.
  ASSERT_EQ(result("CloseCall", {id.c_str()}), "true");
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (seen_.events.back() != "CallStateChanged " + id + " 3" &&
         std::chrono::steady_clock::now() < deadline) {
    ASSERT_GE(telvane_wait(control_, 100), 0);
  }
  EXPECT_EQ(seen_.events.back(), "CallStateChanged " + id + " 3");

  sim_.command("close");
  ASSERT_TRUE(pumpUntil("Disconnected"));
}

TEST_F(CInterfaceTest, WrongNamesCountsAndValuesGiveCodes) {
  EXPECT_EQ(call("NoSuchMethod", {}), TELVANE_E_UNKNOWN_METHOD);
  EXPECT_NE(std::string(telvane_last_error(control_)).find("NoSuchMethod"), std::string::npos);
  EXPECT_EQ(call("CloseCall", {}), TELVANE_E_ARG_COUNT);
  EXPECT_EQ(call("CloseCall", {"1", "2"}), TELVANE_E_ARG_COUNT);
  EXPECT_EQ(call("GetSystemInfo", {"x"}), TELVANE_E_ARG_COUNT);  // out-parameters take none
  EXPECT_NE(std::string(telvane_last_error(control_)).find("takes 0 arguments"), std::string::npos);
  EXPECT_EQ(call("EnableDtmfDetection", {"1", "maybe"}), TELVANE_E_ARG_VALUE);
  EXPECT_EQ(call("PlayMessage", {"1", "a.wav", "40000"}), TELVANE_E_ARG_VALUE);
  EXPECT_EQ(call("Connect", {"h", "65536", "1", "u", "p"}), TELVANE_E_ARG_VALUE);
  EXPECT_EQ(call("CloseCall", {nullptr}), TELVANE_E_INVALID);
  EXPECT_EQ(telvane_call(control_, nullptr, 0, nullptr, nullptr), TELVANE_E_INVALID);
  EXPECT_EQ(telvane_call(control_, "CloseCall", 1, nullptr, nullptr), TELVANE_E_INVALID);
  EXPECT_EQ(telvane_call(control_, "CloseCall", -1, nullptr, nullptr), TELVANE_E_INVALID);
  EXPECT_EQ(telvane_call(nullptr, "CloseCall", 0, nullptr, nullptr), TELVANE_E_INVALID);
  EXPECT_EQ(telvane_pump(nullptr), TELVANE_E_INVALID);
  EXPECT_EQ(telvane_fd(nullptr), TELVANE_E_INVALID);
  EXPECT_EQ(telvane_create(nullptr), TELVANE_E_INVALID);
  telvane_destroy(nullptr);

  // A good call clears the reason; a refused operation is not an error.
  EXPECT_EQ(result("CloseCall", {"12a"}), "false");
  EXPECT_STREQ(telvane_last_error(control_), "");

  int fromOtherThread = 0;
  std::thread([&] {
    fromOtherThread = call("CloseCall", {"1"});
    telvane_destroy(control_);  // ignored
  }).join();
  EXPECT_EQ(fromOtherThread, TELVANE_E_WRONG_THREAD);
  EXPECT_EQ(result("CloseCall", {"1"}), "false");
}

TEST_F(CInterfaceTest, DestroyWhileEventsWait) {
  connect();
  const std::string id = result("CreateCall", {"system", "pbx:101", "Ringova"});
  ASSERT_NE(id, "0");
  pollfd fd{telvane_fd(control_), POLLIN, 0};
  ASSERT_EQ(poll(&fd, 1, 5000), 1);  // states are waiting, nobody pumps them
  sim_.command("flood 200 " + id);
  telvane_destroy(control_);
  control_ = nullptr;
  EXPECT_TRUE(seen_.events.empty());
}

// A callback that ends its control: the rest of the batch is dropped, the pump returns safely.
TEST_F(CInterfaceTest, CallbackMayDestroyItsControl) {
  connect();
  struct Ending {
    telvane_control* control;
    int calls = 0;
  } ending{control_};
  ASSERT_EQ(telvane_set_event_callback(
                control_,
                [](void* user, const char*, int, const char* const*) {
                  auto* e = static_cast<Ending*>(user);
                  ++e->calls;
                  telvane_destroy(e->control);
                  telvane_destroy(e->control);  // a second time is ignored
                },
                &ending),
            TELVANE_OK);
  ASSERT_NE(result("CreateCall", {"system", "pbx:101", "Ringova"}), "0");
  int ran = 0;
  for (int i = 0; i < 100 && ran == 0; ++i) ran = telvane_wait(control_, 50);
  EXPECT_GT(ran, 0);
  EXPECT_EQ(ending.calls, 1);
  control_ = nullptr;  // gone with its pump
}

}  // namespace
