#include "platform/outlook/sources/source_definitions.h"

#include <algorithm>

namespace platform::outlook::sources {
namespace {

std::string KeyOf(const std::string& name) {
  return std::string(kSourcesKey) + "\\" + name;
}

SourceDefinition Read(const platform::Registry& user, const std::string& name) {
  const std::string key = KeyOf(name);
  SourceDefinition d;
  d.name = name;
  d.kind = user.getString(key, "Kind").value_or("");
  d.url = user.getString(key, "Url").value_or("");
  d.user = user.getString(key, "User").value_or("");
  d.password = user.getString(key, "Password").value_or("");
  d.tls_pin = user.getString(key, "TlsPin").value_or("");
  d.base = user.getString(key, "Base").value_or("");
  d.filter = user.getString(key, "Filter").value_or("");
  d.interval_minutes =
      static_cast<int>(user.getDWord(key, "IntervalMinutes").value_or(kDefaultIntervalMinutes));
  d.order = static_cast<int>(user.getDWord(key, "Order").value_or(0));
  return d;
}

}  // namespace

std::vector<SourceDefinition> ReadSourceDefinitions(const platform::Registry& user) {
  std::vector<SourceDefinition> all;
  for (const std::string& name : user.subKeys(kSourcesKey)) all.push_back(Read(user, name));
  std::stable_sort(all.begin(), all.end(),
                   [](const auto& a, const auto& b) { return a.order < b.order; });
  return all;
}

std::optional<SourceDefinition> FindSourceDefinition(const platform::Registry& user,
                                                     const std::string& name) {
  for (const std::string& known : user.subKeys(kSourcesKey))
    if (known == name) return Read(user, name);
  return std::nullopt;
}

bool AddSourceDefinition(platform::Registry& user, SourceDefinition d, std::string& error) {
  if (d.name.empty() || d.name.find('\\') != std::string::npos) {
    error = "a source's name may not be empty or hold \"\\\"";
    return false;
  }
  if (FindSourceDefinition(user, d.name)) {
    error = "a source named " + d.name + " exists already";
    return false;
  }
  int order = 0;
  for (const SourceDefinition& known : ReadSourceDefinitions(user))
    order = std::max(order, known.order + 1);
  const std::string key = KeyOf(d.name);
  using V = platform::RegistryValue;
  std::vector<platform::RegistryWrite> writes = {
      {key, "Kind", V::ofString(d.kind)},
      {key, "Url", V::ofString(d.url)},
      {key, "User", V::ofString(d.user)},
      {key, "Password", V::ofString(d.password)},
      {key, "TlsPin", V::ofString(d.tls_pin)},
      {key, "IntervalMinutes", V::ofDWord(static_cast<uint32_t>(d.interval_minutes))},
      {key, "Order", V::ofDWord(static_cast<uint32_t>(order))},
  };
  // Only a directory has these; a CardDAV source's key stays as it always was.
  if (!d.base.empty()) writes.push_back({key, "Base", V::ofString(d.base)});
  if (!d.filter.empty()) writes.push_back({key, "Filter", V::ofString(d.filter)});
  if (!user.createKey(key) || !user.setValues(writes)) {
    error = user.file().string() + " cannot be written";
    return false;
  }
  return true;
}

bool RemoveSourceDefinition(platform::Registry& user, const std::string& name) {
  if (!FindSourceDefinition(user, name)) return false;
  return user.deleteKey(KeyOf(name));
}

}  // namespace platform::outlook::sources
