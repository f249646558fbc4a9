#include "telvane/control/event_texts.h"

#include <gtest/gtest.h>

namespace telvane {
namespace {

TEST(EventTextsTest, ExtensionListsEndEveryFieldWithATilde) {
  EXPECT_EQ(extensionListText({}), "");
  ExtensionRecord unset;  // line -1 when the PBX left it out
  unset.extension = "105";
  ExtensionRecord full{"101", "Alice Smith", "alice@pbx", -2, 3};
  EXPECT_EQ(extensionListText({full, unset}), "101~Alice Smith~alice@pbx~-2~3~105~~~0~4294967295~");
}

TEST(EventTextsTest, DialogPartiesKeepTheirDisplayName) {
  EXPECT_EQ(nameAddressText({"", "200", "pbx", ""}), "200@pbx");
  EXPECT_EQ(nameAddressText({"", "200", "pbx", "5060"}), "200@pbx:5060");
  EXPECT_EQ(nameAddressText({"Ann", "ann", "h", ""}).find("Ann"), 1u);
  EXPECT_EQ(nameAddressText({"Ann", "", "h", ""}), "");  // no user: nothing to show
}

}  // namespace
}  // namespace telvane
