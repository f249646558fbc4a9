#include "ringova_outlook/dialing/dial_address.h"

#include "platform/outlook/text_util.h"

namespace ringova {

namespace {

struct SchemeEntry {
  std::string_view name;  // without ":"
  bool dropsDots;         // "." is a visual separator in a phone number, not in a SIP host
};
constexpr std::string_view kSeparators = " \t-.()";
constexpr SchemeEntry kSchemes[] = {{"tel", true}, {"callto", true}, {"sip", false}};

struct ProblemText {
  AddressProblem problem;
  std::string_view text;
};
constexpr ProblemText kProblemTexts[] = {
    {AddressProblem::None, ""},
    {AddressProblem::Empty, "The address is empty"},
    {AddressProblem::UnknownScheme, "The address is not a tel:, callto: or sip: address"},
    {AddressProblem::NoNumber, "The address holds no number"},
    {AddressProblem::BadEscape, "The address has a broken %-escape"},
    {AddressProblem::ControlCharacter, "The address has a control character"},
    {AddressProblem::TooLong, "The address is too long"},
};

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

DialAddress fail(AddressProblem problem) {
  return DialAddress{"", problem};
}

}  // namespace

DialAddress ParseDialAddress(std::string_view address) {
  address = platform::outlook::TrimBlanks(address);
  if (address.empty()) return fail(AddressProblem::Empty);
  if (address.size() > kMaxAddressLength) return fail(AddressProblem::TooLong);

  const std::size_t colon = address.find(':');
  if (colon == std::string_view::npos) return fail(AddressProblem::UnknownScheme);
  const SchemeEntry* scheme = nullptr;
  for (const SchemeEntry& s : kSchemes) {
    if (platform::outlook::EqualsIgnoreCase(address.substr(0, colon), s.name)) scheme = &s;
  }
  if (!scheme) return fail(AddressProblem::UnknownScheme);

  std::string_view rest = address.substr(colon + 1);
  while (!rest.empty() && rest.front() == '/') rest.remove_prefix(1);
  // Parameters and headers are cut before decoding, so an escaped ";" stays part of the number.
  rest = rest.substr(0, rest.find_first_of(";?"));
  while (!rest.empty() && rest.back() == '/') rest.remove_suffix(1);

  std::string number;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    char c = rest[i];
    if (c == '%') {
      if (i + 2 >= rest.size()) return fail(AddressProblem::BadEscape);
      const int high = hexValue(rest[i + 1]);
      const int low = hexValue(rest[i + 2]);
      if (high < 0 || low < 0) return fail(AddressProblem::BadEscape);
      c = static_cast<char>(high * 16 + low);
      i += 2;
    }
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return fail(AddressProblem::ControlCharacter);
    if (scheme->dropsDots && c == '.') continue;
    number += c;
  }
  const std::string_view trimmed = platform::outlook::TrimBlanks(number);
  // Separators alone ("tel:-") would be cleaned to nothing by the dialing rules.
  if (trimmed.find_first_not_of(kSeparators) == std::string_view::npos) {
    return fail(AddressProblem::NoNumber);
  }
  return DialAddress{std::string(trimmed), AddressProblem::None};
}

std::string_view AddressProblemText(AddressProblem problem) {
  for (const ProblemText& entry : kProblemTexts) {
    if (entry.problem == problem) return entry.text;
  }
  return "";
}

}  // namespace ringova
