#include "telvane/control/control_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "telvane/control/telvane_events.h"

namespace telvane {
namespace {

using platform::MemberInfo;
using platform::ParamInfo;
using platform::VarType;

TEST(ControlTablesTest, MethodsAreNumberedOneToThirtyOneWithParsedParameters) {
  const auto& infos = methodInfos();
  ASSERT_EQ(infos.size(), 31u);
  std::set<std::string> names;
  for (size_t i = 0; i < infos.size(); ++i) {
    EXPECT_EQ(infos[i].id, static_cast<int>(i + 1));
    EXPECT_TRUE(names.insert(infos[i].name).second) << infos[i].name;
    EXPECT_TRUE(infos[i].result == VarType::Bool || infos[i].result == VarType::Text);
    // Every row's parameter list reads: as many parameters as commas plus one.
    std::string_view list = methodTable()[i].params;
    size_t expected = list.empty() ? 0 : std::count(list.begin(), list.end(), ',') + 1;
    EXPECT_EQ(infos[i].params.size(), expected) << infos[i].name;
  }
  const MemberInfo* connect = platform::findMember(infos, "connect");
  ASSERT_NE(connect, nullptr);
  ASSERT_EQ(connect->params.size(), 5u);
  EXPECT_EQ(connect->params[1].name, "serverPort");
  EXPECT_EQ(connect->params[1].type, VarType::I2);
  EXPECT_EQ(connect->params[2].type, VarType::I4);
  const MemberInfo* wav = platform::findMember(infos, 21);
  ASSERT_NE(wav, nullptr);
  EXPECT_EQ(wav->name, "GetWAVFiles");
  EXPECT_EQ(wav->params[1].type, VarType::TextRef);
  EXPECT_EQ(platform::findMember(infos, "CREATECALLCID")->id, 31);
  EXPECT_EQ(platform::findMember(infos, "GetSystemInfo")->params[0].name, "uniqueID");
}

TEST(ControlTablesTest, EventsAreNumberedOneToSixteen) {
  const auto& infos = eventInfos();
  ASSERT_EQ(infos.size(), 16u);
  for (size_t i = 0; i < infos.size(); ++i) {
    EXPECT_EQ(infos[i].id, static_cast<int>(i + 1));
    std::string_view list = eventTable()[i].params;
    size_t expected = list.empty() ? 0 : std::count(list.begin(), list.end(), ',') + 1;
    EXPECT_EQ(infos[i].params.size(), expected) << infos[i].name;
  }
  EXPECT_EQ(platform::findMember(infos, 16)->name, "ErrorOccured");
  EXPECT_EQ(platform::findMember(infos, "ErrorOccurred"), nullptr);
  const MemberInfo* cdr = platform::findMember(infos, "cdrarrived");
  ASSERT_NE(cdr, nullptr);
  ASSERT_EQ(cdr->params.size(), 27u);
  EXPECT_EQ(cdr->params[9].name, "clirCaller");
  EXPECT_EQ(cdr->params[9].type, VarType::Bool);
  EXPECT_EQ(cdr->params[26].name, "faxRxDuplicatePackets");
  EXPECT_EQ(platform::findMember(infos, "DialogArrived")->params.size(), 12u);
  EXPECT_TRUE(platform::findMember(infos, "Disconnected")->params.empty());
}

// Each row's sink adapter reads its arguments with the row's own types: a sink fed with values
// built from the parsed parameter list gets them all, in order.
TEST(ControlTablesTest, SinkAdaptersTakeTheDeclaredTypes) {
  struct Counting : TelvaneEvents {
    std::string last;
    void CDRArrived(const std::string& subscrID, int16_t fileType, int32_t, int32_t,
                    const std::string&, const std::string&, const std::string&, const std::string&,
                    const std::string&, bool clir, int32_t, const std::string&, int16_t, int32_t,
                    const std::string&, int16_t, int16_t, int32_t, int32_t, int16_t, int16_t,
                    int32_t, int32_t, int32_t, int16_t, int16_t, int32_t last32) override {
      last = subscrID + "/" + std::to_string(fileType) + "/" + (clir ? "1" : "0") + "/" +
             std::to_string(last32);
    }
  } sink;
  for (const EventEntry& entry : eventTable()) {
    const MemberInfo* info = platform::findMember(eventInfos(), entry.id);
    Args args;
    int n = 0;
    for (const ParamInfo& p : info->params) {
      ++n;
      switch (p.type) {
        case VarType::Bool:
          args.emplace_back(true);
          break;
        case VarType::I2:
          args.emplace_back(static_cast<int16_t>(n));
          break;
        case VarType::I4:
          args.emplace_back(static_cast<int32_t>(n));
          break;
        default:
          args.emplace_back(std::string("t").append(std::to_string(n)));
      }
    }
    entry.toSink(sink, args);  // a wrong type would throw
  }
  EXPECT_EQ(sink.last, "t1/2/1/27");
}

}  // namespace
}  // namespace telvane
