#include "platform/outlook/sources/source_cache.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <nlohmann/json.hpp>

#include "platform/outlook/text_util.h"
#include "platform/shell/replace_file.h"

namespace platform::outlook::sources {
namespace {

constexpr int kFormat = 1;
using Json = nlohmann::json;

// A name is made safe for a file name without losing what tells two sources apart.
std::string FileName(const std::string& name) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : name) {
    if (std::isalnum(c) || c == '-' || c == '_' || c == '.') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  if (out.empty() || out[0] == '.') out.insert(0, "%");
  return out + ".json";
}

}  // namespace

std::filesystem::path SourceCacheFolder() {
  std::filesystem::path base;
  if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg) {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::filesystem::path(home) / ".cache";
  } else {
    base = std::filesystem::temp_directory_path();
  }
  return base / "ringova" / "sources";
}

std::filesystem::path SourceCacheFile(const std::string& source_name) {
  return SourceCacheFolder() / FileName(source_name);
}

std::optional<CachedSource> ReadSourceCache(const std::filesystem::path& file) {
  const std::optional<std::string> text = ReadWholeFile(file);
  if (!text) return std::nullopt;
  try {
    const Json j = Json::parse(*text);
    if (j.at("format").get<int>() != kFormat) return std::nullopt;
    CachedSource cached;
    cached.url = j.at("url").get<std::string>();
    cached.synced = j.value("synced", "");
    cached.state = j.value("state", "");
    for (const Json& b : j.at("books")) {
      BookState book;
      book.url = b.at("url").get<std::string>();
      book.name = b.value("name", "");
      book.sync_token = b.value("token", "");
      for (const Json& c : b.at("cards"))
        book.cards.push_back({c.at("href").get<std::string>(), c.value("etag", ""),
                              c.at("vcard").get<std::string>()});
      cached.snapshot.books.push_back(std::move(book));
    }
    return cached;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

bool WriteSourceCache(const std::filesystem::path& file, const CachedSource& cached,
                      std::string& error) {
  Json books = Json::array();
  for (const BookState& book : cached.snapshot.books) {
    Json cards = Json::array();
    for (const CardState& card : book.cards)
      cards.push_back({{"href", card.href}, {"etag", card.etag}, {"vcard", card.vcard}});
    books.push_back(
        {{"url", book.url}, {"name", book.name}, {"token", book.sync_token}, {"cards", cards}});
  }
  const Json j = {{"format", kFormat},
                  {"url", cached.url},
                  {"synced", cached.synced},
                  {"state", cached.state},
                  {"books", books}};
  std::error_code ec;
  std::filesystem::create_directories(file.parent_path(), ec);
  if (ec) {
    error = file.parent_path().string() + ": " + ec.message();
    return false;
  }
  // Invalid UTF-8 from a server is kept as replacement characters rather than refusing the file.
  const std::string text = j.dump(1, ' ', false, Json::error_handler_t::replace) + "\n";
  return platform::shell::ReplaceFile(file, text, 0600, platform::shell::FileMode::Force, error);
}

SourceCacheLock::SourceCacheLock() {
  std::error_code ec;
  std::filesystem::create_directories(SourceCacheFolder(), ec);
  const std::string path = (SourceCacheFolder() / ".lock").string();
  fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd_ < 0) return;
  while (::flock(fd_, LOCK_EX) != 0) {
    if (errno == EINTR) continue;
    ::close(fd_);
    fd_ = -1;
    return;
  }
}

SourceCacheLock::~SourceCacheLock() {
  if (fd_ >= 0) ::close(fd_);
}

std::string UtcNow() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

}  // namespace platform::outlook::sources
