#pragma once
// The pbxsim program's flags, read into the simulator's options.

#include <string>
#include <vector>

#include "tools/pbxsim/pbx_simulator.h"

namespace telvane::tools {

// NAME:PASSWORD[:EXTENSION[:DISPLAY[:SIPADDRESS]]]; false for a text without name and password.
bool parseUserSpec(const std::string& text, SimUser& user);

// Reads the flags after the program name. False with `error` set for an unknown flag, a missing
// value or a bad number; `help` is set for --help.
bool parseSimArguments(const std::vector<std::string>& args, PbxSimulator::Options& options,
                       bool& help, std::string& error);

inline constexpr const char* kSimUsage =
    "usage: pbxsim [--port N] [--tls-cert FILE --tls-key FILE]\n"
    "              [--user NAME:PASSWORD[:EXTENSION[:DISPLAY[:SIPADDRESS]]]]...\n"
    "              [--version TEXT] [--unique-id TEXT] [--answer-delay MS] [--prompt-ms MS]\n"
    "              [--busy NUMBER]... [--unknown NUMBER]... [--digest-codepage N]\n"
    "              [--extlist-on-subscribe] [--trace FILE|-]\n"
    "Prints {\"listening\":PORT}, then runs one command per stdin line and prints its outcome.\n";

}  // namespace telvane::tools
