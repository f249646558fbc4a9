#include "telvane/protocol/method_factory.h"

namespace telvane {

std::unique_ptr<XmlRpcRequestMethod> createProtocolMethod(int type) {
  if (auto method = detail::createCallMethod(type)) return method;
  return detail::createServiceMethod(type);
}

std::unique_ptr<XmlRpcRequestMethod> createPbxMethod(std::string_view methodName) {
  return createMethod(methodName, &createProtocolMethod);
}

ParsedCall parsePbxMethodCall(std::string_view text) {
  return parseMethodCall(text, &createProtocolMethod);
}

}  // namespace telvane
