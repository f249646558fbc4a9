// The user's address-book sources, as `ringova source add` stores them: one key each under
// Software\RingovaSources of the user's registry store (never under the add-in's settings), with
// the password beside the rest in that 0600 store.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/registry/registry.h"

namespace platform::outlook::sources {

inline constexpr std::string_view kSourcesKey = "Software\\RingovaSources";
inline constexpr int kDefaultIntervalMinutes = 15;

struct SourceDefinition {
  std::string name;
  std::string kind;  // "carddav" or "ldap"
  std::string url;
  std::string user;  // ldap: the bind DN
  std::string password;
  std::string tls_pin;
  std::string base;    // ldap only
  std::string filter;  // ldap only; empty: the default
  int interval_minutes = kDefaultIntervalMinutes;
  int order = 0;  // the order they were added in, which is the order they load in
};

// In the order they were added.
std::vector<SourceDefinition> ReadSourceDefinitions(const platform::Registry& user);
std::optional<SourceDefinition> FindSourceDefinition(const platform::Registry& user,
                                                     const std::string& name);
// False with the reason when the name is taken or the store cannot be written.
bool AddSourceDefinition(platform::Registry& user, SourceDefinition definition, std::string& error);
bool RemoveSourceDefinition(platform::Registry& user, const std::string& name);

}  // namespace platform::outlook::sources
