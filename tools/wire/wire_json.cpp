#include "tools/wire/wire_json.h"

#include <cstdint>
#include <limits>

#include "telvane/xml/xml_navigator.h"
#include "telvane/xmlrpc/framing.h"
#include "telvane/xmlrpc/generic_method.h"
#include "telvane/xmlrpc/message_parser.h"
#include "telvane/xmlrpc/method_table.h"

namespace telvane::tools {

namespace {

constexpr int kMaxJsonDepth = 256;

bool isContinuation(unsigned char c) {
  return (c & 0xC0) == 0x80;
}

// Length of the valid UTF-8 sequence at `i`, or 0.
std::size_t utf8SequenceAt(std::string_view s, std::size_t i) {
  const auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
  const unsigned char c = at(0);
  std::size_t n;
  unsigned char lo = 0x80, hi = 0xBF;  // range of the second byte
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    if (c == 0xE0) lo = 0xA0;
    if (c == 0xED) hi = 0x9F;  // no surrogates
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    if (c == 0xF0) lo = 0x90;
    if (c == 0xF4) hi = 0x8F;
  } else {
    return 0;
  }
  if (s.size() - i < n) return 0;
  if (at(1) < lo || at(1) > hi) return 0;
  for (std::size_t k = 2; k < n; ++k) {
    if (!isContinuation(at(k))) return 0;
  }
  return n;
}

const XmlRpcValueString& asString(const XmlRpcValue& v) {
  return static_cast<const XmlRpcValueString&>(v);
}

int valueTypeFromName(const std::string& name) {
  for (int type = 0; type < kXmlRpcTypeCount; ++type) {
    if (xmlRpcTypeName(type) == name) return type;
  }
  return -1;
}

std::unique_ptr<XmlRpcValue> fromJson(const Json& json, std::string& error, int depth) {
  if (depth > kMaxJsonDepth) {
    error = "values nested too deeply";
    return nullptr;
  }
  if (!json.is_object() || !json.contains("type") || !json["type"].is_string() ||
      !json.contains("value")) {
    error = "a value must be an object with \"type\" and \"value\"";
    return nullptr;
  }
  const std::string typeName = json["type"].get<std::string>();
  const Json& v = json["value"];
  const int type = valueTypeFromName(typeName);
  std::unique_ptr<XmlRpcValue> value = createValue(type);
  auto fail = [&](const char* what) {
    error = "value of type \"" + typeName + "\" must be " + what;
    return nullptr;
  };
  switch (type) {
    case kXmlRpcInt: {
      if (!v.is_number_integer()) return fail("an integer");
      if (v.is_number_unsigned()
              ? v.get<std::uint64_t>() > std::uint64_t(INT32_MAX)
              : (v.get<std::int64_t>() < INT32_MIN || v.get<std::int64_t>() > INT32_MAX)) {
        return fail("a 32-bit integer");
      }
      static_cast<XmlRpcValueInt&>(*value).setValue(std::int32_t(v.get<std::int64_t>()));
      return value;
    }
    case kXmlRpcBoolean:
      if (!v.is_boolean()) return fail("true or false");
      static_cast<XmlRpcValueBool&>(*value).setValue(v.get<bool>());
      return value;
    case kXmlRpcDouble:
      if (!v.is_number()) return fail("a number");
      static_cast<XmlRpcValueDouble&>(*value).setValue(v.get<double>());
      return value;
    case kXmlRpcDateTime:
    case kXmlRpcString:
    case kXmlRpcBase64:
      if (!v.is_string()) return fail("a string");
      static_cast<XmlRpcValueString&>(*value).setValue(v.get<std::string>());
      return value;
    case kXmlRpcArray: {
      if (!v.is_array()) return fail("an array of values");
      auto& array = static_cast<XmlRpcValueArray&>(*value);
      for (const Json& item : v) {
        std::unique_ptr<XmlRpcValue> child = fromJson(item, error, depth + 1);
        if (child == nullptr) return nullptr;
        array.append(std::move(child));
      }
      return value;
    }
    case kXmlRpcStruct: {
      if (!v.is_array()) return fail("an array of {\"name\",\"value\"} members");
      auto& members = static_cast<XmlRpcValueStruct&>(*value);
      for (const Json& member : v) {
        if (!member.is_object() || !member.contains("name") || !member["name"].is_string() ||
            !member.contains("value")) {
          return fail("an array of {\"name\",\"value\"} members");
        }
        std::unique_ptr<XmlRpcValue> child = fromJson(member["value"], error, depth + 1);
        if (child == nullptr) return nullptr;
        members.append(member["name"].get<std::string>(), std::move(child));
      }
      return value;
    }
    default:
      error = "unknown value type \"" + typeName + "\"";
      return nullptr;
  }
}

// The "params" list of a call or response; absent means none.
bool paramsFromJson(const Json& message, std::vector<std::unique_ptr<XmlRpcValue>>& out,
                    std::string& error) {
  if (!message.contains("params")) return true;
  const Json& params = message["params"];
  if (!params.is_array()) {
    error = "\"params\" must be an array of values";
    return false;
  }
  for (const Json& item : params) {
    std::unique_ptr<XmlRpcValue> value = fromJson(item, error, 1);
    if (value == nullptr) return false;
    out.push_back(std::move(value));
  }
  return true;
}

Json listToJson(const std::vector<std::unique_ptr<XmlRpcValue>>& values) {
  Json list = Json::array();
  for (const auto& value : values) list.push_back(valueToJson(*value));
  return list;
}

bool encodeParsed(const Json& message, std::string& wire, std::string& error) {
  if (!message.is_object() || !message.contains("kind") || !message["kind"].is_string()) {
    error = "expected an object with a \"kind\"";
    return false;
  }
  const std::string kind = message["kind"].get<std::string>();
  std::vector<std::unique_ptr<XmlRpcValue>> params;
  bool written = false;
  if (kind == "call") {
    if (!message.contains("methodName") || !message["methodName"].is_string()) {
      error = "a call needs a \"methodName\" string";
      return false;
    }
    const std::string name = message["methodName"].get<std::string>();
    const int type = findMethodType(name);
    if (type < 0) {
      error = "method name not in the table: " + name;
      return false;
    }
    if (!paramsFromJson(message, params, error)) return false;
    GenericRequestMethod call(type);
    for (auto& value : params) call.append(std::move(value));
    written = call.serialize(wire);
  } else if (kind == "response") {
    if (!paramsFromJson(message, params, error)) return false;
    GenericResponseMethod response(0);
    for (auto& value : params) response.append(std::move(value));
    written = response.serialize(wire);
  } else if (kind == "fault") {
    const Json code = message.value("faultCode", Json());
    const Json text = message.value("faultString", Json());
    if (!code.is_number_integer() || code.get<std::int64_t>() < INT32_MIN ||
        code.get<std::int64_t>() > INT32_MAX || !text.is_string()) {
      error = "a fault needs an integer \"faultCode\" and a \"faultString\" string";
      return false;
    }
    FaultResponseMethod fault(0);
    fault.setFault(std::int32_t(code.get<std::int64_t>()), text.get<std::string>());
    written = fault.serialize(wire);
  } else {
    error = "unknown kind \"" + kind + "\"";
    return false;
  }
  if (!written) error = "the message could not be written";
  return written;
}

}  // namespace

std::string bytesToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) {
      out.push_back(char(c));
      ++i;
    } else if (std::size_t n = utf8SequenceAt(bytes, i); n > 0) {
      out.append(bytes.substr(i, n));
      i += n;
    } else {
      out.push_back(char(0xC0 | (c >> 6)));
      out.push_back(char(0x80 | (c & 0x3F)));
      ++i;
    }
  }
  return out;
}

Json valueToJson(const XmlRpcValue& value) {
  Json json = Json::object();
  json["type"] = std::string(xmlRpcTypeName(value.type()));
  switch (value.type()) {
    case kXmlRpcInt:
      json["value"] = static_cast<const XmlRpcValueInt&>(value).value();
      break;
    case kXmlRpcBoolean:
      json["value"] = static_cast<const XmlRpcValueBool&>(value).value();
      break;
    case kXmlRpcDouble:
      json["value"] = static_cast<const XmlRpcValueDouble&>(value).value();
      break;
    case kXmlRpcDateTime:
    case kXmlRpcString:
    case kXmlRpcBase64:
      json["value"] = bytesToUtf8(asString(value).value());
      break;
    case kXmlRpcArray:
      json["value"] = listToJson(static_cast<const XmlRpcValueArray&>(value).items());
      break;
    case kXmlRpcStruct: {
      Json members = Json::array();
      for (const auto& m : static_cast<const XmlRpcValueStruct&>(value).members()) {
        Json member = Json::object();
        member["name"] = bytesToUtf8(m.name);
        member["value"] = valueToJson(*m.value);
        members.push_back(std::move(member));
      }
      json["value"] = std::move(members);
      break;
    }
    default:
      json["value"] = nullptr;
      break;
  }
  return json;
}

std::unique_ptr<XmlRpcValue> valueFromJson(const Json& json, std::string& error) {
  return fromJson(json, error, 1);
}

Json decodeMessage(std::string_view text) {
  if (std::size_t end = findMessageEnd(text); end != std::string_view::npos) {
    text = text.substr(0, end);
  }
  XMLNavigator nav;
  nav.parseBorrowed(text);
  std::string name;
  if (readMethodCallHeader(nav, name)) {
    const int type = findMethodType(name);
    GenericRequestMethod call(type);
    Json json = Json::object();
    json["kind"] = "call";
    json["methodName"] = bytesToUtf8(name);
    json["type"] = type < 0 ? Json() : Json(type);
    json["params"] = call.parseParams(nav) ? listToJson(call.params()) : Json();
    return json;
  }
  const GenericRequestMethod probe(0);
  std::unique_ptr<XmlRpcResponseMethod> response = probe.parseResponse(text);
  Json json = Json::object();
  if (response == nullptr) {
    json["kind"] = "none";
  } else if (!response->isFault()) {
    json["kind"] = "response";
    json["params"] = listToJson(static_cast<GenericResponseMethod&>(*response).results());
  } else if (const auto& fault = static_cast<FaultResponseMethod&>(*response);
             fault.fault() == nullptr) {
    json["kind"] = "none";  // a fault object that only read a plain string result
  } else {
    const XmlRpcValueInt* code = fault.fault()->getInt("faultCode");
    json["kind"] = "fault";
    json["faultCode"] = code == nullptr ? Json() : Json(code->value());
    json["faultString"] = bytesToUtf8(fault.faultString());
  }
  return json;
}

bool encodeMessage(std::string_view jsonText, std::string& wire, std::string& error) {
  try {
    const Json message = Json::parse(jsonText.begin(), jsonText.end(), nullptr, false);
    if (message.is_discarded()) {
      error = "input is not valid JSON";
      return false;
    }
    return encodeParsed(message, wire, error);
  } catch (const std::exception& e) {
    error = e.what();  // e.g. JSON nested beyond the parser's limits
    return false;
  }
}

std::string splitStream(std::string_view stream) {
  MessageFramer framer;
  framer.append(stream);
  std::string out;
  while (std::optional<std::string_view> message = framer.next()) {
    out += decodeMessage(*message).dump();
    out += '\n';
  }
  if (framer.pendingBytes() > 0) {
    Json tail = Json::object();
    tail["kind"] = "incomplete";
    tail["bytes"] = framer.pendingBytes();
    out += tail.dump();
    out += '\n';
  }
  return out;
}

}  // namespace telvane::tools
