#pragma once
// Small text helpers of the simulator's command language.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace telvane::tools {

// Words separated by blanks; `rest` (when given) receives the text after the first `keep` words,
// leading blanks removed.
std::vector<std::string> splitWords(std::string_view line, std::size_t keep = 0,
                                    std::string* rest = nullptr);

// "\r", "\n", "\t", "\0", "\\" and "\xHH" escapes turned into their bytes; other text as it is.
std::string unescapeBytes(std::string_view text);

// A whole decimal number (optional sign) in range, or nothing.
std::optional<long long> parseNumber(std::string_view text, long long min, long long max);

}  // namespace telvane::tools
