#pragma once

#include <string>
#include <string_view>

namespace telvane {

// Appends `text` with "&", "<" and ">" written as "&amp;", "&lt;" and "&gt;"; every other byte
// is copied.
void appendEscaped(std::string& out, std::string_view text);

// Decodes in place, with exactly the result of these passes in turn, each repeated from the
// start until its pattern no longer occurs: "&amp;" -> "&", "&lt;" -> "<", "&gt;" -> ">",
// "&amp" -> "&", "&lt" -> "<". So "&amp;lt;" gives "<" and "&amp;amp;" gives "&". Linear time.
void unescapeInPlace(std::string& text);

// Replaces `out` with `text` decoded as by unescapeInPlace, without a separate copy.
void assignUnescaped(std::string& out, std::string_view text);

}  // namespace telvane
