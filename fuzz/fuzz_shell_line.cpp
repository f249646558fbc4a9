// A `telvane shell` line: split into words, the first looked up in the method table, the rest
// converted to its arguments. Quoting the words again and splitting gives the same words; built
// arguments always pass the control's own coercion.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "apps/telvane/command_line.h"
#include "platform/com/automation.h"
#include "telvane/control/control_tables.h"

namespace {

std::string quoted(const std::string& word) {
  std::string out = "\"";
  for (char c : word) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + '"';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> words;
  std::string error;
  if (!telvane::shell::splitWords(line, words, error)) {
    if (error.empty()) __builtin_trap();
    return 0;
  }

  std::string again;
  for (const std::string& w : words) again += quoted(w) + ' ';
  std::vector<std::string> resplit;
  if (!telvane::shell::splitWords(again, resplit, error) || resplit != words) __builtin_trap();

  if (words.empty()) return 0;
  const platform::MemberInfo* method = platform::findMember(telvane::methodInfos(), words[0]);
  if (!method) return 0;
  words.erase(words.begin());
  std::vector<platform::Variant> args;
  std::deque<std::string> outputs;
  error.clear();
  if (!telvane::shell::buildArguments(*method, words, args, outputs, error)) {
    if (error.empty()) __builtin_trap();
    return 0;
  }
  if (platform::coerceArguments(*method, args) != platform::S_OK) __builtin_trap();
  return 0;
}
