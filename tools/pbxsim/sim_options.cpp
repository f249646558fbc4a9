#include "tools/pbxsim/sim_options.h"

#include "tools/pbxsim/sim_text.h"

namespace telvane::tools {

bool parseUserSpec(const std::string& text, SimUser& user) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  // The SIP address is the last field and may itself hold ":" (a port).
  while (parts.size() < 4) {
    const std::size_t colon = text.find(':', start);
    if (colon == std::string::npos) break;
    parts.push_back(text.substr(start, colon - start));
    start = colon + 1;
  }
  parts.push_back(text.substr(start));
  if (parts.size() < 2 || parts[0].empty()) return false;
  user = SimUser{parts[0], parts[1], parts.size() > 2 ? parts[2] : "",
                 parts.size() > 3 ? parts[3] : "", parts.size() > 4 ? parts[4] : ""};
  return true;
}

bool parseSimArguments(const std::vector<std::string>& args, PbxSimulator::Options& options,
                       bool& help, std::string& error) {
  help = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& flag = args[i];
    if (flag == "--help" || flag == "-h") {
      help = true;
      return true;
    }
    if (flag == "--extlist-on-subscribe") {
      options.extListOnSubscribe = true;
      continue;
    }
    if (i + 1 == args.size()) {
      error = "missing value for " + flag;
      return false;
    }
    const std::string& value = args[++i];
    auto milliseconds = [&](std::chrono::milliseconds& out) {
      auto number = parseNumber(value, 0, 24LL * 3600 * 1000);
      if (!number) error = "bad number for " + flag + ": " + value;
      if (number) out = std::chrono::milliseconds(*number);
      return number.has_value();
    };
    if (flag == "--port") {
      auto port = parseNumber(value, 0, 65535);
      if (!port) {
        error = "bad port: " + value;
        return false;
      }
      options.port = static_cast<std::uint16_t>(*port);
    } else if (flag == "--tls-cert") {
      options.tlsCertFile = value;
    } else if (flag == "--tls-key") {
      options.tlsKeyFile = value;
    } else if (flag == "--user") {
      SimUser user;
      if (!parseUserSpec(value, user)) {
        error = "bad user (NAME:PASSWORD[:EXTENSION[:DISPLAY[:SIPADDRESS]]]): " + value;
        return false;
      }
      options.users.push_back(std::move(user));
    } else if (flag == "--version") {
      options.version = value;
    } else if (flag == "--unique-id") {
      options.uniqueId = value;
    } else if (flag == "--answer-delay") {
      if (!milliseconds(options.answerDelay)) return false;
    } else if (flag == "--prompt-ms") {
      if (!milliseconds(options.promptLength)) return false;
    } else if (flag == "--busy") {
      options.busy.push_back(value);
    } else if (flag == "--unknown") {
      options.unknown.push_back(value);
    } else if (flag == "--digest-codepage") {
      auto codePage = parseNumber(value, 0, 65535);
      if (!codePage) {
        error = "bad code page: " + value;
        return false;
      }
      options.digestCodePage = static_cast<int>(*codePage);
    } else if (flag == "--trace") {
      options.traceFile = value;
    } else {
      error = "unknown flag " + flag;
      return false;
    }
  }
  if (options.tlsCertFile.empty() != options.tlsKeyFile.empty()) {
    error = "--tls-cert and --tls-key go together";
    return false;
  }
  return true;
}

}  // namespace telvane::tools
