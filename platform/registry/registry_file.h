#pragma once
// The text form of a store (internal to the registry).
//
//   # telvane registry
//   [Software\RingovaAddIn\Settings]
//   "ServAddr"=sz:"127.0.0.1"
//   "Count"=dword:4849
//
// One "[path]" line per key, then its values; the empty name is the key's default value. Quoted
// texts escape backslash, quote and control characters (\\ \" \n \r \t \xHH); other bytes are
// kept as they are.
#include <cstdint>
#include <filesystem>
#include <map>
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

std::string serialize(const Node& root);
std::optional<Node> parse(std::string_view text);

// The whole store: an empty tree when the file is missing, nullopt when it cannot be read or
// parsed.
std::optional<Node> readStore(const std::filesystem::path& file);
// Writes through a temporary file and rename; mode 0600, folders 0700.
bool writeStore(const std::filesystem::path& file, const Node& root);

}  // namespace platform::registry_detail
