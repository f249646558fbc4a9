#include "telvane/control/text_arguments.h"

#include <cstdint>

#include "telvane/xmlrpc/ascii.h"

namespace telvane {

using platform::Variant;
using platform::VarType;

namespace {

// The one parameter whose range is unsigned: its 16 bits go on as they are.
bool isPort(const platform::ParamInfo& p) {
  return p.name == "serverPort";
}

}  // namespace

bool parseBool(std::string_view word, bool& out) {
  if (equalsIgnoreCase(word, "true") || word == "1") {
    out = true;
  } else if (equalsIgnoreCase(word, "false") || word == "0") {
    out = false;
  } else {
    return false;
  }
  return true;
}

size_t inputCount(const platform::MemberInfo& method) {
  size_t inputs = 0;
  for (const platform::ParamInfo& p : method.params) {
    if (p.type != VarType::TextRef) ++inputs;
  }
  return inputs;
}

bool buildArguments(const platform::MemberInfo& method, const std::vector<std::string>& words,
                    std::vector<Variant>& args, std::deque<std::string>& outputs,
                    std::string& error) {
  const size_t inputs = inputCount(method);
  if (words.size() != inputs) {
    error = method.name + " takes " + std::to_string(inputs) +
            (inputs == 1 ? " argument" : " arguments") + ", got " + std::to_string(words.size());
    return false;
  }
  args.clear();
  size_t next = 0;
  for (const platform::ParamInfo& p : method.params) {
    if (p.type == VarType::TextRef) {
      outputs.emplace_back();
      args.push_back(Variant::ref(outputs.back()));
      continue;
    }
    const std::string& word = words[next++];
    long long n = 0;
    switch (p.type) {
      case VarType::Bool: {
        bool b = false;
        if (!parseBool(word, b)) {
          error = p.name + " must be true, false, 1 or 0, not \"" + word + "\"";
          return false;
        }
        args.emplace_back(b);
        break;
      }
      case VarType::I2: {
        const long long min = isPort(p) ? 0 : INT16_MIN;
        const long long max = isPort(p) ? UINT16_MAX : INT16_MAX;
        if (!parseInteger(word, min, max, n)) {
          error = p.name + " must be a number from " + std::to_string(min) + " to " +
                  std::to_string(max) + ", not \"" + word + "\"";
          return false;
        }
        args.emplace_back(static_cast<int16_t>(static_cast<uint16_t>(n)));
        break;
      }
      case VarType::I4:
        if (!parseInteger(word, INT32_MIN, INT32_MAX, n)) {
          error = p.name + " must be a 32-bit number, not \"" + word + "\"";
          return false;
        }
        args.emplace_back(static_cast<int32_t>(n));
        break;
      default:
        args.emplace_back(word);
        break;
    }
  }
  return true;
}

std::string valueText(const Variant& value) {
  switch (value.type()) {
    case VarType::Bool:
      return value.boolValue() ? "true" : "false";
    case VarType::I2:
      return std::to_string(value.i2());
    case VarType::I4:
      return std::to_string(value.i4());
    case VarType::Text:
      return value.text();
    case VarType::TextRef:
      return value.referencedText();
    case VarType::Empty:
      break;
  }
  return {};
}

}  // namespace telvane
