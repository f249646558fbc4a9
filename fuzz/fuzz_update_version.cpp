// The update server's configuration file and the version comparison. The whole input is the
// file: its first line read from disk gives the same version as the line in memory. The offered
// version is compared with the second line as the installed one: never newer than itself, never
// both newer and older, and an empty installed text is the add-in's own version.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "fuzz/scratch_folder.h"
#include "ringova_outlook/support/update_version.h"

namespace {

std::filesystem::path ConfigFile() {
  return telvane::fuzz::ScratchFolder("fuzz_update") / "ringova.conf";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::size_t end = text.find_first_of("\r\n");
  const std::string_view first = text.substr(0, end);
  const std::string offered = ringova::VersionFromLine(first);

  {
    std::ofstream out(ConfigFile(), std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
  }
  const auto read = ringova::ReadOfferedVersion(ConfigFile());
  if (!read || *read != offered) __builtin_trap();

  std::string_view second;
  if (end != std::string_view::npos) {
    second = text.substr(end + 1);
    second = second.substr(0, second.find_first_of("\r\n"));
  }
  const ringova::AddinVersion own{1, 2, 3};
  const bool newer = ringova::IsNewerVersion(offered, second, own);
  const bool older = ringova::IsNewerVersion(second, offered, own);
  if (ringova::IsNewerVersion(offered, offered, own)) __builtin_trap();
  if (!second.empty() && !offered.empty() && newer && older) __builtin_trap();
  if (ringova::IsNewerVersion(offered, "", own) != ringova::IsNewerVersion(offered, "1.2.3", own))
    __builtin_trap();
  return 0;
}
