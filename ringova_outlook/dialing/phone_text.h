#pragma once
// The text forms of telephone numbers. Text is 8-bit; case changes touch ASCII letters only.
#include <string>
#include <string_view>

namespace ringova {

// The canonical form of a stored number: lower case, trimmed, without "-", "(", ")" and blanks.
std::string NormalizePhone(std::string_view text);

// A phone-list entry or typed number, lower-cased, without its phone-kind label (the first 12
// characters, when the text is longer than that and holds any lower-case label anywhere), then
// cleaned as by NormalizePhone. Not yet converted by rule.
std::string CleanDialText(std::string_view text);

// The decimal digits from the start of text, blanks skipped, up to the first other character:
// "0FG" -> "0", " 1" -> "1".
std::string LeadingDigits(std::string_view text);

}  // namespace ringova
