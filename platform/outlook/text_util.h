// Small text helpers shared by the object model and the importers.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform::outlook {

bool EqualsIgnoreCase(std::string_view a, std::string_view b);
bool ContainsIgnoreCase(std::string_view text, std::string_view part);
std::string ToLowerAscii(std::string_view text);
std::string_view TrimBlanks(std::string_view text);

// The whole file as bytes; nullopt for a folder, a file that does not open, or a failed read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);

}  // namespace platform::outlook
