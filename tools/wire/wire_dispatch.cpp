#include "tools/wire/wire_dispatch.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <typeinfo>

#include "telvane/protocol/method_factory.h"
#include "telvane/xmlrpc/ascii.h"
#include "telvane/xmlrpc/method_table.h"
#include "tools/wire/json_callbacks.h"

namespace telvane::tools {

namespace {

std::string_view withoutTerminator(std::string_view text) {
  if (text.ends_with("\r\n\r\n")) text.remove_suffix(4);
  return text;
}

// The row of a full table name, or of the part after its last "."; -1 for neither.
int findMethod(std::string_view name) {
  if (const int type = findMethodType(name); type >= 0) return type;
  for (int type = 0; type < kMethodCount; ++type) {
    std::string_view full = methodName(type);
    if (equalsIgnoreCase(full.substr(full.rfind('.') + 1), name)) return type;
  }
  return -1;
}

DispatchResult dispatched(XmlRpcMethod& message) {
  JsonCallbacks callbacks;
  message.dispatch(callbacks);
  return {.ok = true, .result = callbacks.result(), .error = {}};
}

DispatchResult failure(std::string error) {
  return {.ok = false, .result = Json(), .error = std::move(error)};
}

}  // namespace

std::string className(const XmlRpcMethod& method) {
  const char* mangled = typeid(method).name();
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> demangled(
      abi::__cxa_demangle(mangled, nullptr, nullptr, &status), &std::free);
  std::string name = status == 0 && demangled ? demangled.get() : mangled;
  const std::size_t scope = name.rfind("::");
  return scope == std::string::npos ? name : name.substr(scope + 2);
}

Json decodeStrict(std::string_view text) {
  ParsedCall parsed = parsePbxMethodCall(withoutTerminator(text));
  switch (parsed.kind) {
    case ParsedCall::Kind::kUnknown:
      return {{"kind", "unknown"}};
    case ParsedCall::Kind::kCall: {
      Json decoded = decodeMessage(text);
      decoded["class"] = className(*parsed.method);
      return decoded;
    }
    case ParsedCall::Kind::kNone:
      break;
  }
  return decodeMessage(text);
}

DispatchResult dispatchCall(std::string_view text) {
  ParsedCall parsed = parsePbxMethodCall(withoutTerminator(text));
  switch (parsed.kind) {
    case ParsedCall::Kind::kCall:
      return dispatched(*parsed.method);
    case ParsedCall::Kind::kUnknown:
      return failure("unknown method or params that do not match it");
    case ParsedCall::Kind::kNone:
      break;
  }
  return failure("not a method call");
}

DispatchResult dispatchResponse(std::string_view method, std::string_view text) {
  const int type = findMethod(method);
  if (type < 0) return failure("no such method: " + std::string(method));
  std::unique_ptr<XmlRpcRequestMethod> request = createPbxMethod(methodName(type));
  if (request == nullptr) return failure("no message class for " + std::string(method));
  std::unique_ptr<XmlRpcResponseMethod> response = request->parseResponse(withoutTerminator(text));
  if (response == nullptr) {
    return failure("not a response to " + std::string(methodName(type)));
  }
  return dispatched(*response);
}

}  // namespace telvane::tools
