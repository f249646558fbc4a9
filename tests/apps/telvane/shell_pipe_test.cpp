// telvane shell as scripts and people use it: through pipes, against the pbxsim program.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tests/apps/telvane/child_process.h"

namespace {

using namespace std::chrono_literals;
using Json = nlohmann::json;

class ShellPipeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pbx_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{TELVANE_PBXSIM_BIN, "--answer-delay", "200"});
    ASSERT_TRUE(pbx_->started());
    auto hello = pbx_->readLine();
    ASSERT_TRUE(hello);
    port_ = Json::parse(*hello).at("listening").get<int>();
    shell_ = std::make_unique<ChildProcess>(std::vector<std::string>{TELVANE_BIN, "shell"});
    ASSERT_TRUE(shell_->started());
  }

  std::string connectLine() const {
    return "connect 127.0.0.1 " + std::to_string(port_) + " 5 101 secret\n";
  }

  // The next shell line as JSON, skipping events unless asked for.
  Json next(bool skipEvents = true) {
    while (auto line = shell_->readLine()) {
      Json j = Json::parse(*line);
      if (!skipEvents || !j.contains("event")) return j;
    }
    return Json();
  }

  std::string simulate(const std::string& command) {
    pbx_->write(command + "\n");
    return pbx_->readLine().value_or("");
  }

  std::unique_ptr<ChildProcess> pbx_;
  std::unique_ptr<ChildProcess> shell_;
  int port_ = 0;
};

TEST_F(ShellPipeTest, AScriptWithBadLinesRunsToTheEnd) {
  ASSERT_TRUE(shell_->write(connectLine() + "GetSystemInfo\n"
                                            "CreateCall system pbx:101 \"Ringova Demo\"\n"
                                            "wait CallStateChanged 5\n"
                                            "GetWAVFiles 101\n"
                                            "Dial 101\n"
                                            "CloseCall\n"
                                            "SetConnectionMode maybe\n"
                                            "PlayMessage 1 a.wav 12x\n"
                                            "CloseCall \"12\n"
                                            "wait NoSuchEvent\n"
                                            "sleep soon\n"
                                            "wait MailArrived 0\n"
                                            "# a comment, then a blank line\n"
                                            "\n"
                                            "closecall 12a\n"));
  shell_->closeInput();
  std::vector<Json> lines;
  for (const std::string& line : shell_->readAll()) lines.push_back(Json::parse(line));
  EXPECT_EQ(shell_->wait(), 0);

  std::vector<Json> results, errors, events;
  for (const Json& j : lines) {
    (j.contains("event") ? events : j.contains("error") ? errors : results).push_back(j);
  }
  ASSERT_EQ(results.size(), 5u) << Json(lines).dump();
  EXPECT_EQ(results[0], Json::parse(R"({"method":"Connect","result":true})"));
  EXPECT_EQ(results[1], Json::parse(R"({"method":"GetSystemInfo","result":true,
      "uniqueID":"PBXSIM-0001","softVersion":"Sim-5.1.26-PBX"})"));
  EXPECT_EQ(results[2].at("method"), "CreateCall");
  const std::string callId = results[2].at("result");
  EXPECT_NE(callId, "0");
  EXPECT_EQ(results[3], Json::parse(R"({"method":"GetWAVFiles","result":true,"listWAV":""})"));
  EXPECT_EQ(results[4], Json::parse(R"({"method":"CloseCall","result":true})"));

  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events[0], Json({{"event", "CallStateChanged"}, {"callID", callId}, {"callState", 0}}));

  std::vector<std::string> texts;
  for (const Json& e : errors) texts.push_back(e.at("error"));
  EXPECT_EQ(texts, (std::vector<std::string>{
                       "unknown command: Dial",
                       "CloseCall takes 1 argument, got 0",
                       "secure must be true, false, 1 or 0, not \"maybe\"",
                       "playCount must be a number from -32768 to 32767, not \"12x\"",
                       "unfinished quote",
                       "unknown event: NoSuchEvent",
                       "usage: sleep MS",
                       "timeout",
                   }));
  // The end of the input closed the connection.
  EXPECT_NE(simulate("status").find("\"connections\":[]"), std::string::npos);
}

// Events show up while the shell waits for its next line.
TEST_F(ShellPipeTest, EventsArePrintedWhileWaitingForInput) {
  ASSERT_TRUE(shell_->write(connectLine() + "IncomingCallHandling 101 TRUE\n"));
  EXPECT_EQ(next(), Json::parse(R"({"method":"Connect","result":true})"));
  EXPECT_EQ(next(), Json::parse(R"({"method":"IncomingCallHandling","result":true})"));
  Json offered;
  for (int attempt = 0; attempt < 50 && offered.is_null(); ++attempt) {
    Json outcome = Json::parse(simulate("offer pstn:5550100 pbx:101"));
    if (outcome.at("ok") == true)
      offered = outcome;  // once the shell's request has arrived
    else
      std::this_thread::sleep_for(20ms);
  }
  ASSERT_FALSE(offered.is_null());
  const std::string callId = offered.at("call");
  EXPECT_EQ(next(false), Json({{"event", "CallArrived"},
                               {"callID", callId},
                               {"caller", "pstn:5550100"},
                               {"callee", "pbx:101"},
                               {"origCallID", "0"}}));
  ASSERT_TRUE(shell_->write("AcceptCall " + callId + " \"\" \"\" 1\n"));
  EXPECT_EQ(next(), Json::parse(R"({"method":"AcceptCall","result":true})"));
  Json answered;
  while (answered.is_null()) {
    Json j = next(false);
    ASSERT_FALSE(j.is_null());
    if (j.value("event", "") == "CallStateChanged" && j.at("callState") == 2) answered = j;
  }
  EXPECT_EQ(answered.at("callID"), callId);
  ASSERT_TRUE(shell_->write("quit\nCreateCall never run\n"));
  EXPECT_EQ(shell_->wait(), 0);
  for (const std::string& line : shell_->readAll()) {
    EXPECT_EQ(line.find("CreateCall"), std::string::npos) << line;
  }
}

TEST(ShellHelpTest, HelpExplainsWithAnExample) {
  ChildProcess help({TELVANE_BIN, "--help"});
  std::string text;
  for (const std::string& line : help.readAll()) text += line + "\n";
  EXPECT_EQ(help.wait(), 0);
  EXPECT_NE(text.find("telvane shell"), std::string::npos);
  EXPECT_NE(text.find("Example"), std::string::npos);
  EXPECT_NE(text.find("wait EVENT [SECONDS]"), std::string::npos);
  ChildProcess wrong({TELVANE_BIN, "dance"});
  wrong.readAll();
  EXPECT_EQ(wrong.wait(), 2);
}

}  // namespace
