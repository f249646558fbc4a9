// The registry store's text. A text that parses writes a store (through the same temporary file
// and rename as every change) that reads back to the same tree and generation, and serializing
// is stable: parse(serialize(t)) serializes to the same text.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "fuzz/scratch_folder.h"
#include "platform/registry/registry_file.h"

namespace {

std::filesystem::path StoreFile() {
  return telvane::fuzz::ScratchFolder("fuzz_registry") / "user.reg";
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
