#pragma once
// The text form of a store (internal to the registry).
//
//   # telvane registry generation=12
//   [Software\RingovaAddIn\Settings]
//   "ServAddr"=sz:"127.0.0.1"
//   "Count"=dword:4849
//
// The generation counts the writes of the store; readers use it to tell whether their parsed
// copy is still current. One "[path]" line per key, then its values; the empty name is the key's
// default value. Quoted texts escape backslash, quote and control characters (\\ \" \n \r \t \xHH);
// other bytes are kept as they are.
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry/registry.h"

namespace platform::registry_detail {

struct CaseLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const;
};

struct Node {
  std::map<std::string, Node, CaseLess> children;
  std::map<std::string, RegistryValue, CaseLess> values;
};

std::string serialize(const Node& root, uint64_t generation);
std::optional<Node> parse(std::string_view text);

// The whole store: an empty tree when the file is missing, nullopt when it cannot be read or
// parsed.
std::optional<Node> readStore(const std::filesystem::path& file);
// The generation in the first line of the store; 0 when the file is missing or has none.
uint64_t readGeneration(const std::filesystem::path& file);

// The last tree read from a file, reused while the file's generation is the same, so a walk over
// many values parses it once. Thread-safe.
class StoreCache {
 public:
  // nullptr when the file cannot be read or parsed; an empty tree when it is missing.
  std::shared_ptr<const Node> read(const std::filesystem::path& file);

 private:
  std::mutex mutex_;
  uint64_t generation_ = 0;
  std::shared_ptr<const Node> tree_;
};
// Writes through a temporary file and rename; mode 0600, folders 0700.
bool writeStore(const std::filesystem::path& file, const Node& root, uint64_t generation);

}  // namespace platform::registry_detail
