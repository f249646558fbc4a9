#pragma once
// Builds wire texts for the protocol's golden tests and fuzz seeds, laid out exactly as the
// serializer writes them. A value helper gives the bare <value> element; the container it goes
// into (param, member, array item) puts the line break after it. Only the standard library is
// used, so tools without GoogleTest can build texts too.

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace telvane::protocol_testing {

inline constexpr std::string_view kCallService = "Services.CallProcessingService.";
inline constexpr std::string_view kSystemService = "Services.SystemService.";

inline std::string str(std::string_view text) {
  return "<value><string>" + std::string(text) + "</string></value>";
}
inline std::string i4(int value) {
  return "<value><int>" + std::to_string(value) + "</int></value>";
}
inline std::string boolean(bool value) {
  return std::string("<value><boolean>") + (value ? "1" : "0") + "</boolean></value>";
}
inline std::string dateTime(std::string_view text) {
  return "<value><dateTime.iso8601>" + std::string(text) + "</dateTime.iso8601></value>";
}

using Members = std::initializer_list<std::pair<std::string_view, std::string>>;

inline std::string structOf(Members members) {
  std::string out = "<value><struct>";
  for (const auto& [name, value] : members) {
    out += "\r\n<member>\r\n<name>";
    out += name;
    out += "</name>\r\n" + value + "\r\n</member>";
  }
  return out + "\r\n</struct></value>";
}
inline std::string arrayOf(std::initializer_list<std::string> items) {
  std::string out = "<value><array><data>\r\n";
  for (const std::string& item : items) out += item + "\r\n";
  return out + "</data></array></value>";
}

inline std::string paramBlocks(std::initializer_list<std::string> values) {
  std::string out;
  for (const std::string& value : values) out += "<param>\r\n" + value + "\r\n</param>\r\n";
  return out;
}

// The complete text of a call to `service` + `method` (a literal name, so the tests pin the
// names on the wire), with its "\r\n\r\n" terminator.
inline std::string callText(std::string_view method, std::initializer_list<std::string> values,
                            std::string_view service = kCallService) {
  std::string out = "<?xml version=\"1.0\"?>\r\n<methodCall>\r\n<methodName>";
  out += service;
  out += method;
  return out + "</methodName>\r\n<params>\r\n" + paramBlocks(values) +
         "</params>\r\n</methodCall>\r\n\r\n";
}
inline std::string responseText(std::initializer_list<std::string> values) {
  return "<?xml version=\"1.0\"?>\r\n<methodResponse>\r\n<params>\r\n" + paramBlocks(values) +
         "</params>\r\n</methodResponse>\r\n\r\n";
}
inline std::string faultText(int code, std::string_view text) {
  return "<?xml version=\"1.0\"?>\r\n<methodResponse>\r\n<fault>\r\n" +
         structOf({{"faultCode", i4(code)}, {"faultString", str(text)}}) +
         "\r\n</fault>\r\n</methodResponse>\r\n\r\n";
}

// The text without its terminator, as the receive loop hands it on.
inline std::string_view unframed(std::string_view text) {
  if (text.ends_with("\r\n\r\n")) text.remove_suffix(4);
  return text;
}

}  // namespace telvane::protocol_testing
