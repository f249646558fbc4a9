#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/registry/registry.h"
#include "tests/support/temp_folder.h"

using testsupport::TempFolder;

namespace platform {
namespace {

// Writers through separate objects on one file must not lose each other's values
// (each write is a read-modify-write of the whole file).
TEST(RegistryThreads, ConcurrentWritersKeepEveryValue) {
  TempFolder temp;
  auto file = temp.path() / "user.reg";
  std::vector<std::thread> writers;
  for (int w = 0; w < 4; ++w) {
    writers.emplace_back([&, w] {
      Registry reg(file);
      const std::string key = std::string("K\\W").append(std::to_string(w));
      for (int i = 0; i < 25; ++i) {
        EXPECT_TRUE(reg.setDWord(key, std::string("v").append(std::to_string(i)), i));
      }
    });
  }
  for (auto& t : writers) t.join();
  Registry reg(file);
  for (int w = 0; w < 4; ++w)
    EXPECT_EQ(reg.valueNames("K\\W" + std::to_string(w)).size(), 25u) << w;
}

}  // namespace
}  // namespace platform
