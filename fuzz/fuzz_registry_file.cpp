// The registry store's text. A text that parses writes a store (through the same temporary file
// and rename as every change) that reads back to the same tree and generation, and serializing
// is stable: parse(serialize(t)) serializes to the same text.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/registry/registry_file.h"

namespace {

struct RemovedAtExit {
  std::filesystem::path dir;
  ~RemovedAtExit() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
};

std::filesystem::path StoreFile() {
  static const std::filesystem::path file = [] {
    // Memory-backed when there is one: every write syncs.
    std::filesystem::path base = "/dev/shm";
    std::error_code ec;
    if (!std::filesystem::is_directory(base, ec)) base = std::filesystem::temp_directory_path();
    const std::filesystem::path dir = base / ("fuzz_registry-" + std::to_string(::getpid()));
    static const RemovedAtExit removal{dir};
    return dir / "user.reg";
  }();
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace rd = platform::registry_detail;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto tree = rd::parse(text);
  if (!tree) return 0;
  const uint64_t generation = size;
  const std::string written = rd::serialize(*tree, generation);
  const auto again = rd::parse(written);
  if (!again || rd::serialize(*again, generation) != written) __builtin_trap();

  if (!rd::writeStore(StoreFile(), *tree, generation)) __builtin_trap();
  const auto stored = rd::readStore(StoreFile());
  if (!stored || rd::serialize(*stored, generation) != written) __builtin_trap();
  if (rd::readGeneration(StoreFile()) != generation) __builtin_trap();
  return 0;
}
