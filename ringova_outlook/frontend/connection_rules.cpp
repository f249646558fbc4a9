#include "ringova_outlook/frontend/connection_rules.h"

#include <langinfo.h>
#include <locale.h>

#include <cctype>
#include <charconv>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

#include "platform/shell/code_page.h"
#include "ringova_outlook/support/md5.h"

namespace ringova {
namespace {

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  while (true) {
    std::size_t at = text.find(separator);
    parts.push_back(text.substr(0, at));
    if (at == std::string_view::npos) return parts;
    text.remove_prefix(at + 1);
  }
}

// A version number 0 to 255; nothing for anything else.
bool VersionPart(std::string_view text, int& out) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return !text.empty() && ec == std::errc() && end == text.data() + text.size() && out >= 0 &&
         out <= 255;
}

struct LocaleDeleter {
  void operator()(locale_t locale) const { freelocale(locale); }
};

}  // namespace

std::string LoginTimestamp(const std::tm& local_time, const char* locale_name) {
  locale_t raw = newlocale(LC_TIME_MASK, locale_name, static_cast<locale_t>(0));
  if (raw == static_cast<locale_t>(0)) raw = newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(0));
  std::unique_ptr<std::remove_pointer_t<locale_t>, LocaleDeleter> locale(raw);
  char names[128];
  std::size_t length = locale ? strftime_l(names, sizeof names, "%a %b", &local_time, locale.get())
                              : strftime(names, sizeof names, "%a %b", &local_time);
  char rest[64];
  std::snprintf(rest, sizeof rest, " %d %02d:%02d:%02d %04d", local_time.tm_mday,
                local_time.tm_hour, local_time.tm_min, local_time.tm_sec,
                local_time.tm_year + 1900);
  return std::string(names, length) + rest;
}

std::optional<std::string> AuthenticationText(std::string_view user, std::string_view password,
                                              std::string_view timestamp, int codePage,
                                              std::string* unmappable) {
  clsMD5 md5;
  const std::pair<std::string_view, const char*> parts[] = {
      {user, "user name"}, {password, "password"}, {timestamp, "timestamp"}};
  for (auto [text, name] : parts) {
    std::optional<std::string> bytes = platform::shell::toAnsiCodePage(text, codePage);
    if (!bytes) {
      if (unmappable) *unmappable = name;
      return std::nullopt;
    }
    md5.MD5Update(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size());
  }
  md5.MD5Final();
  std::string digest = md5.GetValues();
  for (char& c : digest) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return digest;
}

bool UseCallForwardFor(std::string_view softwareVersion) {
  auto dashes = Split(softwareVersion, '-');
  if (dashes.size() != 3) return true;
  auto dots = Split(dashes[1], '.');
  int major = 0, minor = 0, build = 0;
  if (dots.size() != 3 || !VersionPart(dots[0], major) || !VersionPart(dots[1], minor) ||
      !VersionPart(dots[2], build)) {
    return true;
  }
  if (major != 5) return major < 5;
  if (minor == 0) return true;
  if (minor == 1) return build < 26;
  return false;
}

OwnIdentity FindOwnIdentity(std::string_view extList, std::string_view user) {
  OwnIdentity own;
  if (extList.empty()) return own;
  auto fields = Split(extList, '~');
  for (std::size_t record = 0; record < fields.size(); record += 5) {
    if (fields[record] != user) continue;
    own.found = true;
    if (record + 1 < fields.size()) own.displayName = fields[record + 1];
    if (record + 2 < fields.size()) {
      std::string_view sip = fields[record + 2];
      std::size_t at = sip.find('@');
      if (at != std::string_view::npos) own.authUser = sip.substr(0, at);
    }
    break;
  }
  return own;
}

void ReconnectSteps::Program(int timeReconnect) {
  if (timeReconnect <= 60) {
    intervalMs = timeReconnect * 1000;
    remaining = 0;
  } else {
    intervalMs = 60000;
    remaining = timeReconnect - 60;
  }
}

bool ReconnectSteps::Next() {
  if (remaining == 0) return false;
  if (remaining <= 60) {
    intervalMs = remaining * 1000;
    remaining = 0;
  } else {
    remaining -= 60;
    intervalMs = 60000;
  }
  return true;
}

}  // namespace ringova
