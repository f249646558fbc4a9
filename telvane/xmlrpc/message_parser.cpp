#include "telvane/xmlrpc/message_parser.h"

#include "telvane/xml/xml_navigator.h"
#include "telvane/xmlrpc/ascii.h"
#include "telvane/xmlrpc/generic_method.h"
#include "telvane/xmlrpc/method_table.h"

namespace telvane {

std::unique_ptr<XmlRpcRequestMethod> createMethod(std::string_view methodName,
                                                  MethodFactory factory) {
  const int type = findMethodType(methodName);
  if (type < 0) return nullptr;
  std::unique_ptr<XmlRpcRequestMethod> method;
  if (factory != nullptr) method = factory(type);
  if (method == nullptr) method = std::make_unique<GenericRequestMethod>(type);
  method->setType(type);
  return method;
}

bool readMethodCallHeader(XMLNavigator& nav, std::string& methodName) {
  if (!expectElement(nav, "methodCall") || !expectElement(nav, "methodName")) return false;
  XmlRpcValueString name;
  if (!name.parse(nav)) return false;  // text, unescaped, then past "</methodName>"
  methodName = std::move(name.mutableValue());
  return expectElement(nav, "params");
}

ParsedCall parseMethodCall(std::string_view text, MethodFactory factory) {
  ParsedCall result;
  XMLNavigator nav;
  nav.parseBorrowed(text);
  std::string name;
  if (!readMethodCallHeader(nav, name)) return result;
  result.kind = ParsedCall::Kind::kUnknown;
  std::unique_ptr<XmlRpcRequestMethod> method = createMethod(name, factory);
  if (method == nullptr || !method->parseParams(nav)) return result;
  result.kind = ParsedCall::Kind::kCall;
  result.method = std::move(method);
  return result;
}

}  // namespace telvane
