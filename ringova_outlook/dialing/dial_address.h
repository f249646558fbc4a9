#pragma once
// Addresses that desktop programs hand over when a phone link is clicked ("tel:", "callto:",
// "sip:"), turned into the number the user would have picked: the scheme and "//" go, so do
// parameters after ";" and headers after "?", then percent-escapes are decoded. What comes out is
// dialled like a picked number (PrepareDialNumber and so on); nothing here knows the rules.
#include <string>
#include <string_view>

namespace ringova {

enum class AddressProblem {
  None,
  Empty,             // nothing at all
  UnknownScheme,     // not one of the three schemes (or none)
  NoNumber,          // only a scheme, or only parameters
  BadEscape,         // "%" not followed by two hex digits
  ControlCharacter,  // a decoded byte below 0x20 or 0x7F
  TooLong,           // longer than kMaxAddressLength
};

inline constexpr std::size_t kMaxAddressLength = 1024;

struct DialAddress {
  std::string number;  // "" unless problem is None
  AddressProblem problem = AddressProblem::None;
};

// Never throws; `number` is plain text (visual separators of tel: and callto: other than "-" and
// blanks are dropped, the rest is left to the dialing rules).
DialAddress ParseDialAddress(std::string_view address);

// One line for the user and the log: why the address dials nothing. "" for None.
std::string_view AddressProblemText(AddressProblem problem);

}  // namespace ringova
