#pragma once

#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "telvane/xmlrpc/xmlrpc_value.h"

namespace telvane::tools {

using Json = nlohmann::ordered_json;

// Bytes as UTF-8 text: valid UTF-8 sequences are kept, any other byte becomes the character
// with that code (so the result is always valid UTF-8).
std::string bytesToUtf8(std::string_view bytes);

// {"type":"int","value":7}, {"type":"struct","value":[{"name":"A","value":V}, ...]}, ...
Json valueToJson(const XmlRpcValue& value);
// The reverse; null with `error` set when the JSON does not describe a value.
std::unique_ptr<XmlRpcValue> valueFromJson(const Json& json, std::string& error);

// One message (terminator optional) as {"kind":"call"|"response"|"fault"|"none", ...}.
// A call whose params do not read as values gets "params": null.
Json decodeMessage(std::string_view text);

// The exact wire text (terminator included) of a message given as decodeMessage writes it;
// false with `error` set for bad JSON, an unknown kind, a bad value or a name outside the table.
bool encodeMessage(std::string_view jsonText, std::string& wire, std::string& error);

// One decode line per framed message of a raw stream, then {"kind":"incomplete","bytes":N} for
// an unterminated tail. Each line ends with "\n".
std::string splitStream(std::string_view stream);

}  // namespace telvane::tools
