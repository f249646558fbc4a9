#pragma once
// Method arguments and values as texts, for hosts that drive the control with words (the shell,
// the C interface): BOOL is true, false, 1 or 0 in any letter case; numbers are decimal; a port
// (serverPort) takes 0 to 65535 and is passed on as its 16 bits. Out-parameters take no text:
// they are set by the call.
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/automation.h"
#include "telvane/xmlrpc/number_text.h"

namespace telvane {

bool parseBool(std::string_view word, bool& out);

// The arguments of `method` from the texts of its input parameters, in order. Out-parameters get
// texts in `outputs` (which must live until the call is done). False with a reason when the
// count or a value is wrong.
bool buildArguments(const platform::MemberInfo& method, const std::vector<std::string>& words,
                    std::vector<platform::Variant>& args, std::deque<std::string>& outputs,
                    std::string& error);

// The number of texts `buildArguments` takes for `method`.
size_t inputCount(const platform::MemberInfo& method);

// A value as text: BOOL "true" or "false", numbers in decimal, texts as they are, "" for none.
std::string valueText(const platform::Variant& value);

}  // namespace telvane
