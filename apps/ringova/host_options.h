#pragma once
// The command line of `ringova`.
//
//   ringova [--mailbox PATH]... [--headless] [--script FILE] [--screenshots DIR]
//   ringova config list | get NAME | set NAME VALUE
//   ringova register | unregister
//   ringova --help
#include <string>
#include <vector>

namespace ringova::host {

enum class Command { Run, ConfigList, ConfigGet, ConfigSet, Register, Unregister, Help };

struct HostOptions {
  Command command = Command::Run;
  std::vector<std::string> mailboxes;  // JSON folder trees, vCard files or folders of them
  bool headless = false;
  std::string script;       // empty: stdin
  std::string screenshots;  // windows: a PNG of each window as it is shown or renamed
  std::string name;         // config get / set
  std::string value;        // config set
};

// False with one line saying why when the command line cannot be used.
bool ParseHostOptions(const std::vector<std::string>& args, HostOptions& out, std::string& error);

extern const char kHostUsage[];

}  // namespace ringova::host
