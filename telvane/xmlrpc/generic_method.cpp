#include "telvane/xmlrpc/generic_method.h"

#include "telvane/xml/xml_navigator.h"
#include "telvane/xmlrpc/ascii.h"

namespace telvane {

bool readParamList(XMLNavigator& nav, std::vector<std::unique_ptr<XmlRpcValue>>& out) {
  std::string_view tag;
  out.reserve(4);  // most PBX methods carry up to four params
  while (nav.nextElementName(tag)) {
    if (!equalsIgnoreCase(tag, "param")) return false;
    std::unique_ptr<XmlRpcValue> value = readParsedValue(nav);
    if (value == nullptr) return false;
    out.push_back(std::move(value));
    nav.skipElement();  // past "</value>"
    nav.skipElement();  // past "</param>"
  }
  return true;
}

bool writeParamList(std::string& out, const std::vector<std::unique_ptr<XmlRpcValue>>& values) {
  for (const auto& value : values) {
    if (value == nullptr || !writeParam(out, *value)) return false;
  }
  return true;
}

void GenericRequestMethod::dispatch(SessionCallbacks&) {}

std::unique_ptr<XmlRpcResponseMethod> GenericRequestMethod::createResponse(bool fault) const {
  if (fault) return XmlRpcRequestMethod::createResponse(true);
  return std::make_unique<GenericResponseMethod>(type());
}

bool GenericRequestMethod::parseParams(XMLNavigator& nav) {
  params_.clear();
  return readParamList(nav, params_);
}

bool GenericRequestMethod::serializeParams(std::string& out) const {
  return writeParamList(out, params_);
}

bool GenericResponseMethod::parseParams(XMLNavigator& nav) {
  results_.clear();
  return readParamList(nav, results_);
}

bool GenericResponseMethod::serializeResults(std::string& out) const {
  return writeParamList(out, results_);
}

}  // namespace telvane
