#pragma once
// The per-language tables behind string_table.h; one source file per language.

#include <span>
#include <string_view>

namespace ringova::strings {

struct Entry {
  int id;
  std::string_view text;
};

std::span<const Entry> English();
std::span<const Entry> German();
std::span<const Entry> French();
std::span<const Entry> Italian();
std::span<const Entry> Russian();
std::span<const Entry> Portuguese();
std::span<const Entry> Spanish();

}  // namespace ringova::strings
