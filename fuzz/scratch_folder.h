#pragma once
// A folder of the fuzz process's own for targets that go through real files: memory-backed where
// /dev/shm exists (every write there syncs), removed with everything in it when the process ends.
// One per process: the first name asked for is the one used.

#include <unistd.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace telvane::fuzz {

inline const std::filesystem::path& ScratchFolder(std::string_view name) {
  struct RemovedAtExit {
    std::filesystem::path dir;
    ~RemovedAtExit() {
      std::error_code ec;
      std::filesystem::remove_all(dir, ec);
    }
  };
  static const RemovedAtExit folder{[name] {
    std::error_code ec;
    std::filesystem::path base = "/dev/shm";
    if (!std::filesystem::is_directory(base, ec)) base = std::filesystem::temp_directory_path();
    std::filesystem::path dir = base / (std::string(name) + "-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir, ec);
    return dir;
  }()};
  return folder.dir;
}

}  // namespace telvane::fuzz
