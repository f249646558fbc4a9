#include "telvane/control/control_tables.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "telvane/control/telvane_events.h"

namespace telvane {
namespace {

using platform::MemberInfo;
using platform::ParamInfo;
using platform::VarType;

// The dispatch interface's descriptions are the interface rows: same order, names and types,
// and a name is found in any letter case but only as spelled.
TEST(ControlTablesTest, DescriptionsFollowTheInterfaceRows) {
  auto same = [](const std::vector<MemberInfo>& infos, const auto& rows) {
    ASSERT_EQ(infos.size(), std::size(rows));
    for (size_t i = 0; i < infos.size(); ++i) {
      EXPECT_EQ(infos[i].id, rows[i].dispId);
      EXPECT_EQ(infos[i].name, rows[i].name);
      ASSERT_EQ(infos[i].params.size(), rows[i].params.size()) << infos[i].name;
      for (size_t p = 0; p < infos[i].params.size(); ++p) {
        EXPECT_EQ(infos[i].params[p].name, rows[i].params[p].name);
        EXPECT_EQ(infos[i].params[p].type, variantType(rows[i].params[p].kind));
      }
    }
  };
  same(methodInfos(), interface::kMethods);
  same(eventInfos(), interface::kEvents);
  EXPECT_EQ(platform::findMember(methodInfos(), "CREATECALLCID")->id, 31);
  EXPECT_EQ(platform::findMember(methodInfos(), "GetWAVFiles")->params[1].type, VarType::TextRef);
  EXPECT_EQ(platform::findMember(methodInfos(), "Connect")->params[1].type, VarType::I2);
  EXPECT_EQ(platform::findMember(eventInfos(), "ErrorOccurred"), nullptr);
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
    const MemberInfo* info = platform::findMember(eventInfos(), entry.row->dispId);
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
