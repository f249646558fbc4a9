#pragma once
// The words of a command line, as the programs read them from people and scripts.
//
// Words are separated by blanks. Double quotes group words ("" is an empty word); a backslash
// takes the next character as it is, inside quotes too.
#include <string>
#include <string_view>
#include <vector>

#include "telvane/xmlrpc/number_text.h"

namespace telvane::apps {

// False with a reason for an unfinished quote or escape.
bool splitWords(std::string_view line, std::vector<std::string>& words, std::string& error);

using telvane::parseInteger;

}  // namespace telvane::apps
