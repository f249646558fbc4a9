#pragma once
// The words of a shell line and their conversion to method arguments.
//
// Words are split as by apps/common/line_words.h. The words become arguments as the control's
// text binding reads them (telvane/control/text_arguments.h). Out-parameters are not written:
// they come back in the result line.
#include <string>
#include <string_view>
#include <vector>

#include "apps/common/line_words.h"
#include "telvane/control/text_arguments.h"

namespace telvane::shell {

using apps::parseInteger;
using apps::splitWords;

using telvane::buildArguments;
using telvane::parseBool;

}  // namespace telvane::shell
