#pragma once
// How the scripted mode reads a line: from an unquoted "#" that starts a word the line is a
// comment; the rest splits into words like a command line (apps/common/line_words.h).
#include <string>
#include <string_view>
#include <vector>

namespace ringova::host {

// The line up to its comment.
std::string_view WithoutComment(std::string_view line);

// False with a reason for an unfinished quote or escape.
bool ScriptWords(std::string_view line, std::vector<std::string>& words, std::string& error);

// The seconds of a wait: a decimal number from 0 to one day, nothing else in the word.
inline constexpr double kMaxWaitSeconds = 24 * 3600;
bool ParseWaitSeconds(std::string_view word, double& seconds);

}  // namespace ringova::host
