#include "ringova_outlook/support/url_cache.h"

#include <cstdlib>
#include <string>

#include "platform/outlook/text_util.h"
#include "ringova_outlook/support/md5.h"

namespace ringova {

std::filesystem::path UrlCacheFolder() {
  std::filesystem::path base;
  if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache != nullptr && *cache == '/') {
    base = cache;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    base = std::filesystem::path(home) / ".cache";
  } else {
    return {};
  }
  return base / "ringova" / "internet";
}

std::filesystem::path UrlCacheEntry(std::string_view address) {
  std::filesystem::path folder = UrlCacheFolder();
  if (folder.empty()) return {};
  clsMD5 md5;
  md5.MD5Update(reinterpret_cast<const std::uint8_t*>(address.data()), address.size());
  md5.MD5Final();
  return folder / platform::outlook::ToLowerAscii(md5.GetValues());
}

bool DeleteUrlCacheEntry(std::string_view address) {
  std::filesystem::path entry = UrlCacheEntry(address);
  if (entry.empty()) return false;
  std::error_code error;
  return std::filesystem::remove(entry, error);
}

}  // namespace ringova
