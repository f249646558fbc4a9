#include "apps/telvane/command_line.h"

#include <gtest/gtest.h>

#include "apps/common/json_line.h"
#include "telvane/control/control_tables.h"

namespace telvane::shell {

using apps::JsonLine;
using apps::jsonString;
namespace {

using platform::Variant;
using platform::VarType;

std::vector<std::string> words(std::string_view line) {
  std::vector<std::string> out;
  std::string error;
  EXPECT_TRUE(splitWords(line, out, error)) << line << ": " << error;
  return out;
}

TEST(CommandLineTest, WordsQuotesAndEscapes) {
  EXPECT_EQ(words("  CreateCall  system\tpbx:101 Ringova "),
            (std::vector<std::string>{"CreateCall", "system", "pbx:101", "Ringova"}));
  EXPECT_EQ(words(R"(AcceptCall 12 "" "Ann Smith" true)"),
            (std::vector<std::string>{"AcceptCall", "12", "", "Ann Smith", "true"}));
  EXPECT_EQ(words(R"(a\ b "say \"hi\"" x"y z"w \\)"),
            (std::vector<std::string>{"a b", "say \"hi\"", "xy zw", "\\"}));
  EXPECT_TRUE(words("").empty());
  std::vector<std::string> out;
  std::string error;
  EXPECT_FALSE(splitWords(R"(CloseCall "12)", out, error));
  EXPECT_EQ(error, "unfinished quote");
  EXPECT_FALSE(splitWords(R"(CloseCall 12\)", out, error));
}

TEST(CommandLineTest, BooleansAndNumbers) {
  bool b = false;
  for (const char* t : {"true", "TRUE", "True", "1"}) {
    EXPECT_TRUE(parseBool(t, b) && b) << t;
  }
  for (const char* f : {"false", "FaLsE", "0"}) {
    EXPECT_TRUE(parseBool(f, b) && !b) << f;
  }
  EXPECT_FALSE(parseBool("yes", b));
  EXPECT_FALSE(parseBool("", b));
  long long n = 0;
  EXPECT_TRUE(parseInteger("-12", -100, 100, n));
  EXPECT_EQ(n, -12);
  EXPECT_TRUE(parseInteger("+7", 0, 100, n));
  EXPECT_FALSE(parseInteger("101", 0, 100, n));
  EXPECT_FALSE(parseInteger("1e2", 0, 1000, n));
  EXPECT_FALSE(parseInteger("0x10", 0, 1000, n));
  EXPECT_FALSE(parseInteger("", 0, 1000, n));
  EXPECT_FALSE(parseInteger("+", 0, 1000, n));
  EXPECT_FALSE(parseInteger("+-5", -100, 100, n));
  EXPECT_FALSE(parseInteger("++5", 0, 100, n));
  EXPECT_FALSE(parseInteger("-", -100, 100, n));
}

const platform::MemberInfo& method(std::string_view name) {
  return *platform::findMember(methodInfos(), name);
}

TEST(CommandLineTest, ArgumentsFollowTheMethodsParameters) {
  std::vector<Variant> args;
  std::deque<std::string> outputs;
  std::string error;
  ASSERT_TRUE(
      buildArguments(method("Connect"), {"h", "65535", "-1", "u", "p"}, args, outputs, error))
      << error;
  ASSERT_EQ(args.size(), 5u);
  EXPECT_EQ(args[1], Variant(int16_t{-1}));  // the port's 16 bits
  EXPECT_EQ(args[2], Variant(int32_t{-1}));
  EXPECT_FALSE(
      buildArguments(method("Connect"), {"h", "65536", "5", "u", "p"}, args, outputs, error));
  EXPECT_FALSE(buildArguments(method("Connect"), {"h", "-1", "5", "u", "p"}, args, outputs, error));
  EXPECT_FALSE(
      buildArguments(method("PlayMessage"), {"1", "a.wav", "40000"}, args, outputs, error));
  EXPECT_TRUE(buildArguments(method("PlayMessage"), {"1", "a.wav", "-3"}, args, outputs, error));

  // Out-parameters are not written; they get texts of their own.
  ASSERT_TRUE(buildArguments(method("GetSystemInfo"), {}, args, outputs, error));
  ASSERT_EQ(args.size(), 2u);
  EXPECT_EQ(args[0].type(), VarType::TextRef);
  args[1].referencedText() = "v";
  EXPECT_EQ(outputs.back(), "v");
  EXPECT_FALSE(buildArguments(method("GetWAVFiles"), {"101", "x"}, args, outputs, error));
  EXPECT_EQ(error, "GetWAVFiles takes 1 argument, got 2");
  EXPECT_FALSE(buildArguments(method("EnableDtmfDetection"), {"1", "on"}, args, outputs, error));
  EXPECT_EQ(error, "onoff must be true, false, 1 or 0, not \"on\"");
}

TEST(JsonLineTest, MembersInOrderAndTextsEscaped) {
  EXPECT_EQ(JsonLine().text("method", "GetSystemInfo").boolean("result", true).str(),
            R"({"method":"GetSystemInfo","result":true})");
  EXPECT_EQ(JsonLine().text("event", "X").number("callState", -2).str(),
            R"({"event":"X","callState":-2})");
  EXPECT_EQ(jsonString("a\"b\\c\n\x01"), R"("a\"b\\c\n\u0001")");
  EXPECT_EQ(jsonString("M\xC3\xBCller"), "\"M\xC3\xBCller\"");  // UTF-8 kept
  EXPECT_EQ(jsonString("M\xFCller"), "\"M\xC3\xBCller\"");      // Latin-1 byte shown as itself
}

}  // namespace
}  // namespace telvane::shell
