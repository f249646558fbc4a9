#pragma once
// Version texts of the update check: the version offered in the update
// server's configuration file, and how two versions compare.
//
// A version is components separated by "."; each compares by the value of the
// number at its start (blanks skipped; no number, or an empty component, is
// 0). Values are compared exactly, whatever their length.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace ringova {

// The key of the configuration file's first line.
inline constexpr std::string_view kVersionKey = "Version=";

// The add-in's own version, used when the installation left no version.
struct AddinVersion {
  int major = 0;
  int minor = 0;
  int revision = 0;
  std::string Text() const;  // "major.minor.revision"
};

// The version of this build (the RINGOVA_ADDIN_VERSION build option).
AddinVersion OwnAddinVersion();

// What follows the first "Version=" of line, without leading and trailing
// blanks; "" when the key is missing.
std::string VersionFromLine(std::string_view line);

// The first line of the file (up to CR, LF or the end; at most kMaxFirstLine
// bytes of it are looked at) read as VersionFromLine; nothing when the file
// cannot be read. Any content gives a version or "".
inline constexpr std::size_t kMaxFirstLine = 4 * 1024 * 1024;
std::optional<std::string> ReadOfferedVersion(const std::filesystem::path& path);

// True when offered is newer than installed. Texts equal after trimming are
// not newer; an empty installed text stands for own. Equal components down to
// the end of one text: newer only when offered has more components
// ("1.2.0" is newer than "1.2", "1.2" is not newer than "1.2.1").
bool IsNewerVersion(std::string_view offered, std::string_view installed, const AddinVersion& own);

}  // namespace ringova
