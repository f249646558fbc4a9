#include "telvane/protocol/login.h"

#include "telvane/protocol/session_callbacks.h"
#include "telvane/protocol/struct_reading_services.h"

namespace telvane {

namespace {

constexpr ParamSpec kAuthenticateParams[] = {
    {"user", kXmlRpcString},
    {"password", kXmlRpcString},
};
constexpr ParamSpec kSAuthenticateParams[] = {
    {"user", kXmlRpcString},
    {"timestamp", kXmlRpcString},
    {"authenticator", kXmlRpcString},
};
constexpr ParamSpec kGetExtensionParams[] = {
    {"user", kXmlRpcString},
};
constexpr int kFlagTextResults[] = {kXmlRpcBoolean, kXmlRpcString};

std::string asString(std::string_view text) {
  return std::string(text);
}

}  // namespace

// ---- responses

void FlagTextResponseMethod::setResult(bool flag, std::string_view text) {
  flag_ = flag;
  text_.assign(text);
}

bool FlagTextResponseMethod::parseParams(XMLNavigator& nav) {
  std::vector<std::unique_ptr<XmlRpcValue>> results;
  if (!readTypedResults(nav, kFlagTextResults, results)) return false;
  flag_ = static_cast<const XmlRpcValueBool&>(*results[0]).value();
  text_ = static_cast<const XmlRpcValueString&>(*results[1]).value();
  return true;
}

bool FlagTextResponseMethod::serializeResults(std::string& out) const {
  return writeParam(out, XmlRpcValueBool(flag_)) && writeParam(out, XmlRpcValueString(text_));
}

void GetExtensionResponseMethod::dispatch(SessionCallbacks& callbacks) {
  callbacks.onGetExtensionResponse(found(), extension());
}

// ---- requests

std::span<const ParamSpec> AuthenticateMethod::paramTable() const {
  return kAuthenticateParams;
}

void AuthenticateMethod::setCredentials(std::string_view user, std::string_view password) {
  setString(0, user);
  setString(1, password);
}

std::unique_ptr<XmlRpcResponseMethod> AuthenticateMethod::createResponse(bool fault) const {
  if (fault) return XmlRpcRequestMethod::createResponse(true);
  return std::make_unique<AuthenticateResponseMethod>();
}

void AuthenticateMethod::dispatch(SessionCallbacks& callbacks) {
  callbacks.onAuthenticate(asString(user()), asString(password()));
}

std::span<const ParamSpec> SAuthenticateMethod::paramTable() const {
  return kSAuthenticateParams;
}

void SAuthenticateMethod::setCredentials(std::string_view user, std::string_view timestamp,
                                         std::string_view authenticator) {
  setString(0, user);
  setString(1, timestamp);
  setString(2, authenticator);
}

std::unique_ptr<XmlRpcResponseMethod> SAuthenticateMethod::createResponse(bool fault) const {
  if (fault) return XmlRpcRequestMethod::createResponse(true);
  return std::make_unique<AuthenticateResponseMethod>();
}

void SAuthenticateMethod::dispatch(SessionCallbacks& callbacks) {
  callbacks.onSAuthenticate(asString(user()), asString(timestamp()), asString(authenticator()));
}

std::span<const ParamSpec> GetExtensionMethod::paramTable() const {
  return kGetExtensionParams;
}

std::unique_ptr<XmlRpcResponseMethod> GetExtensionMethod::createResponse(bool fault) const {
  if (fault) return XmlRpcRequestMethod::createResponse(true);
  return std::make_unique<GetExtensionResponseMethod>();
}

void GetExtensionMethod::dispatch(SessionCallbacks& callbacks) {
  callbacks.onGetExtension(asString(user()));
}

}  // namespace telvane
