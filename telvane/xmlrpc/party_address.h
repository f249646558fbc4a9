#pragma once
// Party texts: the prefixed address form ("pbx:101", "sip:ann@h:5060", "vm:101;2", ...) in which
// callers, callees and targets travel in PBX methods, and the scheme-less name-address form of
// dialog records.

#include <cstdint>
#include <string>
#include <string_view>

namespace telvane {

enum PartyKind : int32_t {
  kPartyPbx = 0,
  kPartySip = 1,
  kPartyPstn = 2,
  kPartyTel = 3,
  kPartyAr = 4,
  kPartyVoiceMail = 5,
};

// Bit 31 of `kind`: a redirect target that carried the message-taker marker.
inline constexpr int32_t kPartyMessageTakerFlag = INT32_MIN;

struct PartyAddress {
  int32_t kind = 0;         // low byte: PartyKind; bit 31: kPartyMessageTakerFlag
  std::string value;        // number, extension, mailbox, or the SIP user part
  std::string suffix;       // voice mail: the part after ";"
  std::string displayName;  // SIP only
  std::string host;         // SIP only
  std::string port;         // SIP only

  int32_t kindCode() const { return kind & 0xFF; }
  bool isMessageTaker() const { return (kind & kPartyMessageTakerFlag) != 0; }
  void reset() { *this = PartyAddress{}; }
  bool operator==(const PartyAddress&) const = default;
};

// Fills a reset `party` from `text`. Prefixes "tel:", "pbx:", "pstn:", "ar:", "vm:" are tested in
// that order ignoring case; then a case-sensitive "sip:" anywhere makes a SIP party; any other
// text is a telephone number. The kind code is OR-ed into `party.kind`. False for an empty text
// or a SIP text that does not split.
bool parseParty(std::string_view text, PartyAddress& party);

// Writes the prefixed form of `party` into `out` (cleared first); the message-taker flag is
// ignored. False only when a SIP party has neither user nor host.
bool buildParty(const PartyAddress& party, std::string& out);

// Convenience: the rebuilt text, or empty when it cannot be built.
std::string partyText(const PartyAddress& party);

// Splits a dialog name-address ("\"Ann\" <ann@h:5060>", "ann@h:5060") without scheme handling.
// `host` is left unchanged when the address has no "@". False on an unterminated quote or a
// missing or empty angle-bracketed part after a quoted name.
bool splitNameAddress(std::string_view text, std::string& displayName, std::string& user,
                      std::string& host, std::string& port);

// The reverse of splitNameAddress into `out` (cleared first). False when `user` is empty.
bool joinNameAddress(std::string_view displayName, std::string_view user, std::string_view host,
                     std::string_view port, std::string& out);

}  // namespace telvane
