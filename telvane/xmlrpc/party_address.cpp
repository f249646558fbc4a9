#include "telvane/xmlrpc/party_address.h"

#include <array>
#include <cctype>

namespace telvane {
namespace {

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  }
  return true;
}

struct PrefixRule {
  std::string_view prefix;
  PartyKind kind;
};

// Order matters: it is the order in which the prefixes are tried.
constexpr std::array<PrefixRule, 5> kPrefixRules{{
    {"tel:", kPartyTel},
    {"pbx:", kPartyPbx},
    {"pstn:", kPartyPstn},
    {"ar:", kPartyAr},
    {"vm:", kPartyVoiceMail},
}};

std::string_view prefixOf(int32_t kindCode) {
  switch (kindCode) {
    case kPartyPbx:
      return "pbx:";
    case kPartyPstn:
      return "pstn:";
    case kPartyAr:
      return "ar:";
    case kPartyVoiceMail:
      return "vm:";
    default:
      return "tel:";
  }
}

// The quoted display name and the angle-bracketed address after it. `requireClose` makes a
// missing ">" a failure; otherwise the address runs to the end of the text.
bool splitQuoted(std::string_view text, bool requireClose, std::string& displayName,
                 std::string_view& inner) {
  const size_t open = text.find('"');
  size_t close = std::string_view::npos;
  for (size_t i = text.find('"', open + 1); i != std::string_view::npos;
       i = text.find('"', i + 1)) {
    if (text[i - 1] != '\\') {
      close = i;
      break;
    }
  }
  if (close == std::string_view::npos) return false;
  const size_t lt = text.find('<', close + 1);
  if (lt == std::string_view::npos) return false;
  const size_t gt = text.find('>', lt + 1);
  if (gt == lt + 1) return false;
  if (gt == std::string_view::npos && requireClose) return false;
  displayName.assign(text.substr(open + 1, close - open - 1));
  inner = gt == std::string_view::npos ? text.substr(lt + 1) : text.substr(lt + 1, gt - lt - 1);
  return true;
}

bool splitSip(std::string_view text, PartyAddress& party) {
  std::string_view uri = text;
  if (text.find('"') != std::string_view::npos) {
    if (!splitQuoted(text, false, party.displayName, uri)) return false;
  } else {
    party.displayName.clear();
  }
  const size_t scheme = uri.rfind("sip:");
  if (scheme == std::string_view::npos) return false;
  const std::string_view rest = uri.substr(scheme + 4);
  const size_t at = rest.rfind('@');
  if (at == std::string_view::npos) {
    party.value.assign(rest);
    return true;
  }
  party.value.assign(rest.substr(0, at));
  const std::string_view hostPort = rest.substr(at + 1);
  const size_t colon = hostPort.rfind(':');
  if (colon == std::string_view::npos) {
    party.host.assign(hostPort);
    party.port.clear();
  } else {
    party.host.assign(hostPort.substr(0, colon));
    party.port.assign(hostPort.substr(colon + 1));
  }
  return true;
}

// A display name already in quotes is kept as it is; otherwise it is quoted. No space before "<".
void wrapWithDisplayName(std::string_view displayName, std::string& address) {
  if (displayName.empty()) return;
  std::string out;
  out.reserve(displayName.size() + address.size() + 4);
  const bool quoted =
      displayName.size() >= 2 && displayName.front() == '"' && displayName.back() == '"';
  if (quoted) {
    out.append(displayName);
  } else {
    out.push_back('"');
    out.append(displayName);
    out.push_back('"');
  }
  out.push_back('<');
  out.append(address);
  out.push_back('>');
  address = std::move(out);
}

}  // namespace

bool parseParty(std::string_view text, PartyAddress& party) {
  if (text.empty()) return false;
  for (const PrefixRule& rule : kPrefixRules) {
    if (!startsWithNoCase(text, rule.prefix)) continue;
    std::string_view rest = text.substr(rule.prefix.size());
    if (rule.kind == kPartyVoiceMail) {
      const size_t semi = rest.find(';');
      if (semi != std::string_view::npos) {
        party.suffix.assign(rest.substr(semi + 1));
        rest = rest.substr(0, semi);
      }
    }
    party.value.assign(rest);
    party.kind |= rule.kind;
    return true;
  }
  if (text.find("sip:") != std::string_view::npos) {
    if (!splitSip(text, party)) return false;
    party.kind |= kPartySip;
    return true;
  }
  party.value.assign(text);
  party.kind |= kPartyTel;
  return true;
}

bool buildParty(const PartyAddress& party, std::string& out) {
  out.clear();
  const int32_t code = party.kindCode();
  if (code != kPartySip) {
    out.append(prefixOf(code));
    out.append(party.value);
    if (code == kPartyVoiceMail && !party.suffix.empty()) {
      out.push_back(';');
      out.append(party.suffix);
    }
    return true;
  }
  if (party.value.empty() && party.host.empty()) return false;
  out.append("sip:");
  if (party.value.empty()) {
    out.append(party.host);
    if (!party.port.empty()) out.append(":").append(party.port);
  } else {
    out.append(party.value);
    if (!party.host.empty()) {
      out.append("@").append(party.host);
      if (!party.port.empty()) out.append(":").append(party.port);
    }
  }
  wrapWithDisplayName(party.displayName, out);
  return true;
}

std::string partyText(const PartyAddress& party) {
  std::string out;
  buildParty(party, out);
  return out;
}

bool splitNameAddress(std::string_view text, std::string& displayName, std::string& user,
                      std::string& host, std::string& port) {
  std::string_view inner = text;
  if (text.find('"') != std::string_view::npos) {
    if (!splitQuoted(text, true, displayName, inner)) return false;
  } else {
    displayName.clear();
  }
  std::string_view userHost = inner;
  const size_t colon = inner.rfind(':');
  if (colon == std::string_view::npos) {
    port.clear();
  } else {
    userHost = inner.substr(0, colon);
    port.assign(inner.substr(colon + 1));
  }
  const size_t at = userHost.rfind('@');
  if (at == std::string_view::npos) {
    user.assign(userHost);
  } else {
    user.assign(userHost.substr(0, at));
    host.assign(userHost.substr(at + 1));
  }
  return true;
}

bool joinNameAddress(std::string_view displayName, std::string_view user, std::string_view host,
                     std::string_view port, std::string& out) {
  out.clear();
  if (user.empty()) return false;
  out.append(user);
  if (!host.empty()) out.append("@").append(host);
  if (!port.empty()) out.append(":").append(port);
  wrapWithDisplayName(displayName, out);
  return true;
}

}  // namespace telvane
