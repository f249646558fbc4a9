// A line of a `ringova` script: its comment taken off and the rest split into words. Words
// written back with blanks, quotes and backslashes escaped (and a "#" that starts a word) read
// back the same, with or without a
// comment after them; a word read as wait seconds is within the limit.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "apps/ringova/script_line.h"

namespace {

std::string escaped(const std::string& word) {
  if (word.empty()) return "\"\"";
  // A "#" needs its escape only where it would start a comment: at the start of a word.
  std::string out = word[0] == '#' ? "\\" : "";
  for (char c : word) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view line(reinterpret_cast<const char*>(data), size);
  using ringova::host::ScriptWords;
  std::vector<std::string> words;
  std::string error;
  if (ringova::host::WithoutComment(line).size() > line.size()) __builtin_trap();
  if (!ScriptWords(line, words, error)) {
    if (error.empty()) __builtin_trap();
    return 0;
  }

  std::string again;
  for (const std::string& w : words) again += escaped(w) + ' ';
  std::vector<std::string> resplit;
  if (!ScriptWords(again, resplit, error) || resplit != words) __builtin_trap();
  if (!ScriptWords(again + "# note \"", resplit, error) || resplit != words) __builtin_trap();

  for (const std::string& w : words) {
    double seconds = -1;
    if (ringova::host::ParseWaitSeconds(w, seconds) &&
        !(seconds >= 0 && seconds <= ringova::host::kMaxWaitSeconds)) {
      __builtin_trap();
    }
  }
  return 0;
}
