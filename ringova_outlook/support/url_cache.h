#pragma once
// The Internet cache of downloaded addresses: one file per address, named by
// the MD5 digest of the address (32 lower-case hexadecimal digits), in
// $XDG_CACHE_HOME/ringova/internet/ (else ~/.cache/ringova/internet/).
// Removing an address's entry makes the next download of it fetch it anew.

#include <filesystem>
#include <string_view>

namespace ringova {

// The cache folder, following the environment now; empty when neither
// $XDG_CACHE_HOME nor $HOME is set.
std::filesystem::path UrlCacheFolder();

// The file that holds address's copy.
std::filesystem::path UrlCacheEntry(std::string_view address);

// Removes address's copy; false when there was none or it cannot be removed.
bool DeleteUrlCacheEntry(std::string_view address);

}  // namespace ringova
