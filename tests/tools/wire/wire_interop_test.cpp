// Interop with Python's standard xmlrpc.client, through the telvane-wire program.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool havePython() {
  return std::system("command -v python3 >/dev/null 2>&1") == 0;
}

// Runs the interop script in `mode`; returns its exit status and collects its output.
int runInterop(const char* mode, std::string& output) {
  const std::string command = std::string("python3 '") + TELVANE_WIRE_INTEROP + "' '" +
                              TELVANE_WIRE_BIN + "' " + mode + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return -1;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
  return pclose(pipe);
}

TEST(WireInteropTest, PythonLoadsWhatWeEncode) {
  if (!havePython()) GTEST_SKIP() << "python3 is not installed: xmlrpc.client interop not checked";
  std::string output;
  EXPECT_EQ(runInterop("encode", output), 0) << output;
}

TEST(WireInteropTest, WeDecodeWhatPythonDumps) {
  if (!havePython()) GTEST_SKIP() << "python3 is not installed: xmlrpc.client interop not checked";
  std::string output;
  EXPECT_EQ(runInterop("decode", output), 0) << output;
}

}  // namespace
