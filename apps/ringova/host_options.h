#pragma once
// The command line of `ringova`.
//
//   ringova [--mailbox PATH]... [--headless] [--script FILE] [--screenshots DIR]
//           [dial ADDRESS | ADDRESS]
//   ringova config list | get NAME | set NAME VALUE
//   ringova register | unregister
//   ringova autostart on | off
//   ringova source add carddav NAME URL [--user U] [--pin FINGERPRINT] [--interval MINUTES]
//   ringova source add ldap NAME URL --base DN [--filter F] [--bind DN] [--pin FINGERPRINT]
//                      [--interval MINUTES]
//   ringova source list | remove NAME | sync [NAME]
//   ringova --help
#include <string>
#include <vector>

namespace ringova::host {

enum class Command {
  Run,
  ConfigList,
  ConfigGet,
  ConfigSet,
  Register,
  Unregister,
  AutostartOn,
  AutostartOff,
  SourceAdd,
  SourceList,
  SourceRemove,
  SourceSync,
  Help
};

struct HostOptions {
  Command command = Command::Run;
  std::vector<std::string> mailboxes;  // JSON folder trees, vCard files or folders of them
  bool headless = false;
  std::string script;       // empty: stdin
  std::string screenshots;  // windows: a PNG of each window as it is shown or renamed
  std::string name;         // config get / set
  std::string value;        // config set
  std::string address;      // a phone link to dial once the add-in is up
  // source add KIND NAME URL [--user U] [--pin FINGERPRINT] [--interval MINUTES]; remove and
  // sync take NAME (sync: empty for every source).
  // ldap: --bind goes to source_user.
  std::string source_kind, source_url, source_user, source_pin, source_base, source_filter;
  int source_interval = -1;  // -1: the default
};

// False with one line saying why when the command line cannot be used.
// Whether an argument is a phone link (tel:, callto:, sip:) rather than an option.
bool IsPhoneLink(const std::string& arg);

bool ParseHostOptions(const std::vector<std::string>& args, HostOptions& out, std::string& error);

extern const char kHostUsage[];

}  // namespace ringova::host
