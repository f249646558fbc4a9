#pragma once
// The words of a shell line and their conversion to method arguments.
//
// Words are separated by blanks. Double quotes group words ("" is an empty word); a backslash
// takes the next character as it is, inside quotes too. The words become arguments as the
// control's text binding reads them (telvane/control/text_arguments.h). Out-parameters are not
// written: they come back in the result line.
#include <string>
#include <string_view>
#include <vector>

#include "telvane/control/text_arguments.h"

namespace telvane::shell {

// False with a reason for an unfinished quote or escape.
bool splitWords(std::string_view line, std::vector<std::string>& words, std::string& error);

using telvane::buildArguments;
using telvane::parseBool;
using telvane::parseInteger;

}  // namespace telvane::shell
