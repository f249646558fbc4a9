#pragma once
// ringova as people and scripts run it: the program on pipes, its registry stores, data and log
// in a temporary folder (through the environment, which the program inherits), and the PBX
// simulator in process.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry/registry.h"
#include "platform/registry/settings.h"
#include "tests/apps/telvane/child_process.h"
#include "tests/platform/com/registry_env.h"
#include "tests/support/temp_folder.h"
#include "tests/support/wire_trace.h"
#include "tools/pbxsim/pbx_simulator.h"

namespace ringova::testing {

using Json = nlohmann::json;
using namespace std::chrono_literals;

// What a run of the program left: exit status and its two outputs.
struct Finished {
  int status = -1;
  std::string out;
  std::string err;
};

class RingovaFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("XDG_DATA_HOME", (home_.path() / "data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home_.path() / "config").c_str(), 1);
    ::setenv("TELVANE_OPENER", "true", 1);
    // A session bus of the desktop would join these runs to a ringova running there.
    ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    store("PathLogFile", home_.withSlash() + "log/");
    store("Country", "Germany");
    store("DontShowOnStartup", "True");
  }
  void TearDown() override {
    host_.reset();
    sim_.reset();
  }

  void startSimulator() {
    telvane::tools::PbxSimulator::Options options;
    options.users = {{"201", "pw201", "201", "Jane Doe", "jane@pbx.example"}};
    options.answerDelay = 100ms;
    options.extListOnSubscribe = true;  // the user's identity for the joined calls
    options.trace = trace_.sink();
    sim_ = std::make_unique<telvane::tools::PbxSimulator>(std::move(options));
    ASSERT_TRUE(sim_->start()) << sim_->error();
  }
  // A user who connected before and left the session open.
  void storeAccount() {
    store("ServAddr", "127.0.0.1");
    store("ServPort", std::to_string(sim_->port()));
    store("UserName", "201");
    store("Password", "pw201");
    store("Activated", "True");
  }
  void store(const std::string& name, const std::string& text) {
    ASSERT_TRUE(platform::saveSetting(user_, "RingovaAddIn", "Settings", name, text));
  }
  std::string stored(const std::string& name) {
    return platform::getSetting(user_, "RingovaAddIn", "Settings", name, "<missing>");
  }

  // The headless host on the sample mailbox (or the given arguments), reading its script from
  // the test.
  void startHost(std::vector<std::string> args = {"--mailbox", RINGOVA_SAMPLE_MAILBOX}) {
    args.insert(args.begin(), {RINGOVA_BIN, "--headless"});
    host_ = std::make_unique<ChildProcess>(std::move(args));
    ASSERT_TRUE(host_->started());
    seen_.clear();
  }
  void send(const std::string& lines) { ASSERT_TRUE(host_->write(lines)); }

  // Reads the host's lines until one has `key` with a text containing `text` (any text when
  // empty); that line, or null at the end or after the limit.
  Json until(const std::string& key, const std::string& text = "",
             std::chrono::milliseconds limit = 20s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (auto line = host_->readLine(std::chrono::duration_cast<std::chrono::milliseconds>(
               deadline - std::chrono::steady_clock::now()))) {
      Json j = Json::parse(*line);
      seen_.push_back(j);
      if (j.contains(key) &&
          (!j[key].is_string() || j[key].get<std::string>().find(text) != std::string::npos)) {
        return j;
      }
    }
    return Json();
  }
  // Everything up to the end of the output, then the exit status.
  int finish() {
    host_->closeInput();
    for (const std::string& line : host_->readAll()) seen_.push_back(Json::parse(line));
    return host_->wait();
  }
  std::vector<std::string> errors() const {
    std::vector<std::string> out;
    for (const Json& j : seen_) {
      if (j.contains("error")) out.push_back(j["error"].get<std::string>());
    }
    return out;
  }
  bool logged(const std::string& text) const {
    for (const Json& j : seen_) {
      if (j.contains("log") && j["log"].get<std::string>().find(text) != std::string::npos) {
        return true;
      }
    }
    return false;
  }

  // The program run to its end without a script.
  static Finished run(std::vector<std::string> args) {
    testsupport::TempFolder outputs;
    const std::string out = (outputs.path() / "out").string();
    const std::string err = (outputs.path() / "err").string();
    args.insert(args.begin(), RINGOVA_BIN);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    Finished result;
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
      int status = 0;
      if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) result.status = WEXITSTATUS(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    result.out = testsupport::ReadFile(out);
    result.err = testsupport::ReadFile(err);
    return result;
  }

  testsupport::TempFolder home_;
  TemporaryRegistry registry_;
  platform::Registry user_{registry_.userFile()};
  testsupport::WireTrace trace_;  // what the simulator received; outlives it
  std::unique_ptr<telvane::tools::PbxSimulator> sim_;
  std::unique_ptr<ChildProcess> host_;
  std::vector<Json> seen_;
};

}  // namespace ringova::testing
