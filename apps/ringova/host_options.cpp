#include "apps/ringova/host_options.h"

#include "apps/common/line_words.h"
#include "platform/outlook/text_util.h"

namespace ringova::host {

const char kHostUsage[] =
    "Usage: ringova [--mailbox PATH]... [--headless] [--script FILE] [--screenshots DIR]\n"
    "               [dial ADDRESS | ADDRESS]\n"
    "       ringova config list | get NAME | set NAME VALUE\n"
    "       ringova register | unregister\n"
    "       ringova autostart on | off\n"
    "       ringova source add carddav NAME URL [--user U] [--pin SHA256] [--interval MIN]\n"
    "       ringova source add ldap NAME URL --base DN [--filter F] [--bind DN] [--pin SHA256]\n"
    "                          [--interval MIN]\n"
    "       ringova source list | remove NAME | sync [NAME]\n"
    "\n"
    "Runs Outlook's stand-in with the user's mailbox and the add-ins registered for it.\n"
    "  --mailbox PATH   a JSON folder tree, a vCard file or a folder of .vcf files (into the\n"
    "                   default Contacts folder); may be given more than once. Default:\n"
    "                   $XDG_DATA_HOME/ringova/mailbox when present, else an empty mailbox\n"
    "  --headless       no windows: commands one per line from --script FILE or stdin, one\n"
    "                   JSON line per log line, window shown or hidden, message box or error\n"
    "  --screenshots DIR  with windows: a PNG of each window every time it is shown or\n"
    "                   changes its caption\n"
    "  dial ADDRESS     dials a tel:, callto: or sip: address once the add-in is connected;\n"
    "                   the address alone does the same\n"
    "  config ...       the add-in's settings (Software\\RingovaAddIn\\Settings)\n"
    "  autostart on|off starts ringova at login, or no longer\n"
    "  source ...       address books kept on a server or in an LDAP directory\n"
    "                   (Software\\RingovaSources); the password is read from the\n"
    "                   terminal or stdin, never the command line\n"
    "  register         registers libtelvane.so and libringova_outlook.so (unregister undoes it)\n";

namespace {

bool setAddress(HostOptions& out, const std::string& address, std::string& error);

bool fail(std::string& error, std::string why) {
  error = std::move(why);
  return false;
}

bool parseConfig(const std::vector<std::string>& args, HostOptions& out, std::string& error) {
  if (args.size() < 2) return fail(error, "config needs list, get NAME or set NAME VALUE");
  const std::string& verb = args[1];
  if (verb == "list" && args.size() == 2) {
    out.command = Command::ConfigList;
  } else if (verb == "get" && args.size() == 3) {
    out.command = Command::ConfigGet;
    out.name = args[2];
  } else if (verb == "set" && args.size() == 4) {
    out.command = Command::ConfigSet;
    out.name = args[2];
    out.value = args[3];
  } else {
    return fail(error, "config needs list, get NAME or set NAME VALUE");
  }
  if ((out.command != Command::ConfigList) && out.name.empty()) {
    return fail(error, "config: the setting's name is empty");
  }
  return true;
}

bool parseSource(const std::vector<std::string>& args, HostOptions& out, std::string& error) {
  constexpr const char* kUsage =
      "source needs add carddav NAME URL [--user U] [--pin SHA256] [--interval MIN], add ldap "
      "NAME URL --base DN [--filter F] [--bind DN] [--pin SHA256] [--interval MIN], list, "
      "remove NAME or sync [NAME]";
  if (args.size() < 2) return fail(error, kUsage);
  const std::string& verb = args[1];
  if (verb == "list" && args.size() == 2) {
    out.command = Command::SourceList;
    return true;
  }
  if (verb == "remove" && args.size() == 3 && !args[2].empty()) {
    out.command = Command::SourceRemove;
    out.name = args[2];
    return true;
  }
  if (verb == "sync" && args.size() <= 3) {
    out.command = Command::SourceSync;
    if (args.size() == 3) out.name = args[2];
    return true;
  }
  if (verb != "add" || args.size() < 5) return fail(error, kUsage);
  const bool ldap = args[2] == "ldap";
  if (args[2] != "carddav" && !ldap)
    return fail(error, "source add: the kind " + args[2] + " is not known");
  out.command = Command::SourceAdd;
  out.source_kind = args[2];
  out.name = args[3];
  out.source_url = args[4];
  if (out.name.empty()) return fail(error, "source add: the name is empty");
  if (ldap && !out.source_url.starts_with("ldap://") && !out.source_url.starts_with("ldaps://"))
    return fail(error, "source add: the address must start with ldap:// or ldaps://");
  if (!ldap && !out.source_url.starts_with("http://") && !out.source_url.starts_with("https://"))
    return fail(error, "source add: the address must start with http:// or https://");
  for (std::size_t i = 5; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (i + 1 == args.size()) return fail(error, "source add: " + a + " needs a value");
    const std::string& v = args[++i];
    if (a == (ldap ? "--bind" : "--user")) {
      out.source_user = v;
    } else if (ldap && a == "--base") {
      out.source_base = v;
    } else if (ldap && a == "--filter") {
      out.source_filter = v;
    } else if (a == "--pin") {
      out.source_pin = v;
    } else if (a == "--interval") {
      long long minutes = 0;
      if (!telvane::apps::parseInteger(v, 0, 24 * 60, minutes))
        return fail(error, "source add: --interval needs minutes from 0 to 1440");
      out.source_interval = static_cast<int>(minutes);
    } else if (a == "--password") {
      return fail(error, "source add: the password is read from the terminal or stdin");
    } else {
      return fail(error, "source add: unknown argument \"" + a + "\"");
    }
  }
  if (ldap && out.source_base.empty()) return fail(error, "source add: ldap needs --base DN");
  return true;
}

bool setAddress(HostOptions& out, const std::string& address, std::string& error) {
  if (!out.address.empty()) return fail(error, "one address at a time");
  out.address = address;
  return true;
}

}  // namespace

bool IsPhoneLink(const std::string& arg) {
  for (std::string_view scheme : {"tel:", "callto:", "sip:"}) {
    if (arg.size() >= scheme.size() &&
        platform::outlook::EqualsIgnoreCase(std::string_view(arg).substr(0, scheme.size()),
                                            scheme)) {
      return true;
    }
  }
  return false;
}

bool ParseHostOptions(const std::vector<std::string>& args, HostOptions& out, std::string& error) {
  out = HostOptions{};
  if (!args.empty()) {
    const std::string& first = args[0];
    if (first == "config") return parseConfig(args, out, error);
    if (first == "source") return parseSource(args, out, error);
    if (first == "register" || first == "unregister") {
      if (args.size() != 1) return fail(error, first + " takes no arguments");
      out.command = first == "register" ? Command::Register : Command::Unregister;
      return true;
    }
    if (first == "autostart") {
      if (args.size() != 2 || (args[1] != "on" && args[1] != "off")) {
        return fail(error, "autostart needs on or off");
      }
      out.command = args[1] == "on" ? Command::AutostartOn : Command::AutostartOff;
      return true;
    }
    if (first == "--help" || first == "-h") {
      out.command = args.size() == 1 ? Command::Help : out.command;
      if (args.size() != 1) return fail(error, "--help takes no arguments");
      return true;
    }
  }
  bool scriptGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--mailbox" || a == "--script") {
      if (i + 1 == args.size() || args[i + 1].empty()) return fail(error, a + " needs a path");
      if (a == "--mailbox") {
        out.mailboxes.push_back(args[++i]);
      } else {
        if (scriptGiven) return fail(error, "--script may be given once");
        scriptGiven = true;
        out.script = args[++i];
      }
    } else if (a == "--screenshots") {
      if (i + 1 == args.size() || args[i + 1].empty()) return fail(error, a + " needs a folder");
      out.screenshots = args[++i];
    } else if (a == "--headless") {
      out.headless = true;
    } else if (a == "dial") {
      if (i + 1 == args.size()) return fail(error, "dial needs an address");
      if (!setAddress(out, args[++i], error)) return false;
    } else if (IsPhoneLink(a)) {
      if (!setAddress(out, a, error)) return false;
    } else {
      return fail(error, "unknown argument \"" + a + "\"");
    }
  }
  if (scriptGiven && !out.headless) return fail(error, "--script needs --headless");
  if (!out.screenshots.empty() && out.headless)
    return fail(error, "--screenshots needs windows, not --headless");
  return true;
}

}  // namespace ringova::host
