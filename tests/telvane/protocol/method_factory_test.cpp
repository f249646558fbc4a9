#include "telvane/protocol/method_factory.h"

#include <gtest/gtest.h>

#include "telvane/xmlrpc/method_table.h"

namespace telvane {
namespace {

TEST(MethodFactory, EveryTableRowHasItsType) {
  for (int type = 0; type < kMethodCount; ++type) {
    auto method = createPbxMethod(methodName(type));
    ASSERT_NE(method, nullptr) << type;
    EXPECT_EQ(method->type(), type);
    EXPECT_TRUE(method->expectsResponse());
  }
  EXPECT_EQ(createPbxMethod("Services.CallProcessingService.nosuch"), nullptr);
  EXPECT_EQ(createProtocolMethod(kMethodCount), nullptr);
}

}  // namespace
}  // namespace telvane
