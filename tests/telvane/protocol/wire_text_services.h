#pragma once
// Test helpers of the login, subscription and system-service tests: literal wire pieces to build
// golden texts from, and serialize / parse shortcuts.

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "telvane/protocol/method_factory.h"
#include "telvane/xmlrpc/method_table.h"

namespace telvane::testing_services {

inline std::string str(std::string_view text) {
  return "<value><string>" + std::string(text) + "</string></value>\r\n";
}
inline std::string i4(int value) {
  return "<value><int>" + std::to_string(value) + "</int></value>\r\n";
}
inline std::string boolean(bool value) {
  return std::string("<value><boolean>") + (value ? "1" : "0") + "</boolean></value>\r\n";
}
inline std::string dateTime(std::string_view text) {
  return "<value><dateTime.iso8601>" + std::string(text) + "</dateTime.iso8601></value>\r\n";
}
inline std::string structOf(std::initializer_list<std::pair<std::string_view, std::string>> m) {
  std::string out = "<value><struct>";
  for (const auto& [name, value] : m) {
    out += "\r\n<member>\r\n<name>" + std::string(name) + "</name>\r\n" + value + "</member>";
  }
  return out + "\r\n</struct></value>\r\n";
}
inline std::string arrayOf(std::initializer_list<std::string> items) {
  std::string out = "<value><array><data>\r\n";
  for (const std::string& item : items) out += item;
  return out + "</data></array></value>\r\n";
}

inline std::string paramBlocks(std::initializer_list<std::string> values) {
  std::string out;
  for (const std::string& value : values) out += "<param>\r\n" + value + "</param>\r\n";
  return out;
}
inline std::string callText(int type, std::initializer_list<std::string> values) {
  return "<?xml version=\"1.0\"?>\r\n<methodCall>\r\n<methodName>" + std::string(methodName(type)) +
         "</methodName>\r\n<params>\r\n" + paramBlocks(values) +
         "</params>\r\n</methodCall>\r\n\r\n";
}
inline std::string responseText(std::initializer_list<std::string> values) {
  return "<?xml version=\"1.0\"?>\r\n<methodResponse>\r\n<params>\r\n" + paramBlocks(values) +
         "</params>\r\n</methodResponse>\r\n\r\n";
}
inline std::string faultText(int code, std::string_view text) {
  return "<?xml version=\"1.0\"?>\r\n<methodResponse>\r\n<fault>\r\n" +
         structOf({{"faultCode", i4(code)}, {"faultString", str(text)}}) +
         "</fault>\r\n</methodResponse>\r\n\r\n";
}

// The text without its "\r\n\r\n" terminator, as the receiver hands it on.
inline std::string_view body(std::string_view text) {
  if (text.ends_with("\r\n\r\n")) text.remove_suffix(4);
  return text;
}

inline std::string wire(const XmlRpcMethod& method) {
  std::string out;
  EXPECT_TRUE(method.serialize(out));
  return out;
}

// The request parsed from `text` by the catalogue, of class T; null (with a failure) otherwise.
template <class T>
std::unique_ptr<T> parseAs(std::string_view text) {
  ParsedCall parsed = parsePbxMethodCall(body(text));
  EXPECT_EQ(parsed.kind, ParsedCall::Kind::kCall) << text;
  if (parsed.kind != ParsedCall::Kind::kCall) return nullptr;
  T* typed = dynamic_cast<T*>(parsed.method.get());
  EXPECT_NE(typed, nullptr) << text;
  if (typed == nullptr) return nullptr;
  parsed.method.release();
  return std::unique_ptr<T>(typed);
}

inline bool rejected(std::string_view text) {
  return parsePbxMethodCall(body(text)).kind == ParsedCall::Kind::kUnknown;
}

// The answer to `request` read from `text`, of class T; null when it is not one.
template <class T>
std::unique_ptr<T> responseAs(const XmlRpcRequestMethod& request, std::string_view text) {
  std::unique_ptr<XmlRpcResponseMethod> response = request.parseResponse(body(text));
  T* typed = dynamic_cast<T*>(response.get());
  if (typed == nullptr) return nullptr;
  response.release();
  return std::unique_ptr<T>(typed);
}

}  // namespace telvane::testing_services
