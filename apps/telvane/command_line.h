#pragma once
// The words of a shell line and their conversion to method arguments.
//
// Words are split as by apps/common/line_words.h. BOOL arguments are true, false, 1 or 0
// in any letter case; numbers are decimal; a port (serverPort) takes 0 to 65535 and is passed on
// as its 16 bits. Out-parameters are not written: they come back in the result line.
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "apps/common/line_words.h"
#include "platform/com/automation.h"

namespace telvane::shell {

using apps::parseInteger;
using apps::splitWords;

bool parseBool(std::string_view word, bool& out);

// The arguments of `method` from the words after its name. Out-parameters get texts in
// `outputs` (which must live until the call is done). False with a reason when the count or a
// value is wrong.
bool buildArguments(const platform::MemberInfo& method, const std::vector<std::string>& words,
                    std::vector<platform::Variant>& args, std::deque<std::string>& outputs,
                    std::string& error);

}  // namespace telvane::shell
