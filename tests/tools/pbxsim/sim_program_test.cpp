// The pbxsim program and its flags, the command text helpers, and TLS mode.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "telvane/protocol/login.h"
#include "tests/tools/pbxsim/sim_client.h"
#include "tools/pbxsim/sim_options.h"
#include "tools/pbxsim/sim_text.h"

namespace telvane::tools::testing {
namespace {

using ::testing::HasSubstr;

TEST(SimOptionsTest, FlagsFillTheOptions) {
  PbxSimulator::Options options;
  bool help = true;
  std::string error;
  ASSERT_TRUE(parseSimArguments({"--port",
                                 "5060",
                                 "--user",
                                 "ann:pw:201:Ann:ann@h:5061",
                                 "--user",
                                 "bob:x",
                                 "--answer-delay",
                                 "0",
                                 "--prompt-ms",
                                 "20",
                                 "--busy",
                                 "555",
                                 "--unknown",
                                 "666",
                                 "--version",
                                 "V-6.0.1-X",
                                 "--digest-codepage",
                                 "1251",
                                 "--trace",
                                 "-"},
                                options, help, error))
      << error;
  EXPECT_FALSE(help);
  EXPECT_EQ(options.port, 5060);
  ASSERT_EQ(options.users.size(), 2u);
  EXPECT_EQ(options.users[0].extension, "201");
  EXPECT_EQ(options.users[0].sipAddress, "ann@h:5061");
  EXPECT_EQ(options.users[1].password, "x");
  EXPECT_EQ(options.answerDelay, std::chrono::milliseconds(0));
  EXPECT_EQ(options.promptLength, std::chrono::milliseconds(20));
  EXPECT_EQ(options.busy, std::vector<std::string>{"555"});
  EXPECT_EQ(options.version, "V-6.0.1-X");
  EXPECT_EQ(options.traceFile, "-");
  EXPECT_EQ(options.digestCodePage, 1251);
}

TEST(SimOptionsTest, BadFlagsAreRefused) {
  PbxSimulator::Options options;
  bool help = false;
  std::string error;
  EXPECT_FALSE(parseSimArguments({"--port", "70000"}, options, help, error));
  EXPECT_FALSE(parseSimArguments({"--user", "nopassword"}, options, help, error));
  EXPECT_FALSE(parseSimArguments({"--answer-delay", "-5"}, options, help, error));
  EXPECT_FALSE(parseSimArguments({"--tls-cert", "a.pem"}, options, help, error));
  EXPECT_FALSE(parseSimArguments({"--digest-codepage", "cp1252"}, options, help, error));
  EXPECT_FALSE(parseSimArguments({"--frobnicate", "1"}, options, help, error));
  EXPECT_THAT(error, HasSubstr("--frobnicate"));
  EXPECT_FALSE(parseSimArguments({"--port"}, options, help, error));
  EXPECT_TRUE(parseSimArguments({"--help"}, options, help, error));
  EXPECT_TRUE(help);
}

TEST(SimTextTest, WordsRestAndEscapes) {
  std::string rest;
  EXPECT_THAT(splitWords("  fault  createcall 5   busy  here \r\n", 3, &rest),
              ::testing::ElementsAre("fault", "createcall", "5"));
  EXPECT_EQ(rest, "busy  here ");
  EXPECT_EQ(unescapeBytes("a\\r\\n\\t\\\\\\x41\\xZZ\\q\\"), "a\r\n\t\\A\\xZZ\\q\\");
  EXPECT_EQ(parseNumber("+12", 0, 20), 12);
  EXPECT_FALSE(parseNumber("12x", 0, 20));
  EXPECT_FALSE(parseNumber("21", 0, 20));
  EXPECT_FALSE(parseNumber("", 0, 20));
}

TEST(SimCommandTest, MalformedCommandsFailWithoutEffect) {
  PbxSimulator sim({});
  EXPECT_THAT(sim.command("status"), HasSubstr("not running"));
  ASSERT_TRUE(sim.start()) << sim.error();
  for (const char* line :
       {"", "nonsense", "state", "state x 1", "garbage -1", "flood many", "stall maybe",
        "presence 101 7", "@0 close", "@x close", "offer a", "close", "endless", "dtmf 1 12"}) {
    EXPECT_THAT(sim.command(line), HasSubstr("\"ok\":false")) << line;
  }
  EXPECT_THAT(sim.command("status"), HasSubstr("\"connections\":[]"));
}

// The test binary sits in build/tests/tools/pbxsim; the program in build/tools/pbxsim.
std::string programPath() {
  const char* binary = std::getenv("TELVANE_BINARY_DIR");
  return std::string(binary != nullptr ? binary : "build") + "/tools/pbxsim/pbxsim";
}

TEST(SimProgramTest, PrintsItsPortFirstThenOneLinePerCommand) {
  if (!std::filesystem::exists(programPath())) GTEST_SKIP() << "pbxsim not built";
  const std::string command = "printf 'status\\nbogus\\n' | '" + programPath() + "' --port 0";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::vector<std::string> lines;
  char buffer[4096];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) lines.emplace_back(buffer);
  EXPECT_EQ(pclose(pipe), 0);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_THAT(lines[0], ::testing::MatchesRegex("\\{\"listening\":[0-9]+\\}\n"));
  EXPECT_THAT(lines[1], HasSubstr("\"command\":\"status\",\"ok\":true"));
  EXPECT_THAT(lines[2], HasSubstr("\"command\":\"bogus\",\"ok\":false"));
}

TEST(SimTlsTest, LoginOverTls) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("pbxsim-tls-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string cert = (dir / "cert.pem").string();
  const std::string key = (dir / "key.pem").string();
  const std::string make =
      "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1 "
      "-keyout '" +
      key + "' -out '" + cert + "' >/dev/null 2>&1";
  if (std::system(make.c_str()) != 0) GTEST_SKIP() << "openssl cannot make a test certificate";

  PbxSimulator::Options bad;
  bad.tlsCertFile = cert;
  bad.tlsKeyFile = cert;  // not a key
  PbxSimulator refused(bad);
  EXPECT_FALSE(refused.start());
  EXPECT_THAT(refused.error(), HasSubstr("key"));

  PbxSimulator::Options options;
  options.tlsCertFile = cert;
  options.tlsKeyFile = key;
  PbxSimulator sim(options);
  ASSERT_TRUE(sim.start()) << sim.error();
  SimClient c;
  ASSERT_TRUE(c.connect(sim.port(), true));
  EXPECT_TRUE(c.login());
  EXPECT_THAT(sim.command("flood 300"), HasSubstr("\"ok\":true"));
  for (int i = 0; i < 300; ++i) ASSERT_NE(c.nextCall(), nullptr) << i;
  EXPECT_TRUE(sim.waitUntil([](const auto& counters) { return counters.responsesIn == 300; }));
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace telvane::tools::testing
