#pragma once
// Text in a Windows ANSI code page, as the original platform codes it: the bytes that programs
// written for that platform compute digests over. Texts here are UTF-8; the code page is the
// number the locale table gives (1252 Western European, 1251 Cyrillic, 932 Japanese, ...).
#include <optional>
#include <string>
#include <string_view>

namespace platform::shell {

// The text's bytes in `codePage`; nothing when a character has no code there, the text is no
// valid UTF-8, or the code page is unknown. Never an approximation: a digest over a
// substitute would match nothing.
std::optional<std::string> toAnsiCodePage(std::string_view utf8, int codePage);

}  // namespace platform::shell
