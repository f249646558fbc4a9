#include "ringova_outlook/dialing/phone_text.h"

#include <cctype>

#include "ringova_outlook/dialing/phone_kind.h"

namespace ringova {
namespace {

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string_view TrimBlanks(std::string_view text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

std::string RemoveAll(std::string text, char c) {
  std::erase(text, c);
  return text;
}

// Trim, then drop "-", "(", ")" and blanks anywhere.
std::string Clean(std::string_view lowered) {
  std::string out(TrimBlanks(lowered));
  for (char c : {'-', '(', ')', ' '}) out = RemoveAll(std::move(out), c);
  return out;
}

}  // namespace

std::string NormalizePhone(std::string_view text) {
  return Clean(Lower(text));
}

std::string CleanDialText(std::string_view text) {
  std::string lowered = Lower(text);
  if (lowered.size() > kPhoneLabelLength) {
    for (const PhoneKindInfo& kind : kPhoneKinds) {
      if (lowered.find(kind.lowerLabel) != std::string::npos) {
        lowered.erase(0, kPhoneLabelLength);
        break;
      }
    }
  }
  return Clean(lowered);
}

std::string LeadingDigits(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (std::isdigit(static_cast<unsigned char>(c)))
      out += c;
    else if (c != ' ')
      break;
  }
  return out;
}

}  // namespace ringova
