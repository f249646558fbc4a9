#pragma once
// Login and extension lookup: "authenticate", "sauthenticate", "getextension" and their answers.

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "telvane/xmlrpc/method_table.h"
#include "telvane/xmlrpc/xmlrpc_method.h"

namespace telvane {

// An answer of a flag and a text (param 1 boolean, param 2 string), without id.
class FlagTextResponseMethod : public XmlRpcResponseMethod {
 public:
  using XmlRpcResponseMethod::XmlRpcResponseMethod;

  void setResult(bool flag, std::string_view text);
  bool flag() const { return flag_; }
  const std::string& text() const { return text_; }

  // Both results must be present with their types.
  bool parseParams(XMLNavigator& nav) override;

 protected:
  bool serializeResults(std::string& out) const override;

 private:
  bool flag_ = false;
  std::string text_;
};

// The answer to "authenticate" and "sauthenticate" (type 16 for both): login accepted and a
// text. The session reads it directly; dispatch does nothing.
class AuthenticateResponseMethod : public FlagTextResponseMethod {
 public:
  AuthenticateResponseMethod() : FlagTextResponseMethod(kAuthenticate) {}
  bool accepted() const { return flag(); }
};

// The answer to "getextension": found and the extension name. dispatch: onGetExtensionResponse.
class GetExtensionResponseMethod : public FlagTextResponseMethod {
 public:
  GetExtensionResponseMethod() : FlagTextResponseMethod(kGetExtension) {}
  bool found() const { return flag(); }
  const std::string& extension() const { return text(); }
  void dispatch(SessionCallbacks& callbacks) override;
};

// "authenticate": user name, password. dispatch (as a PBX receives it): onAuthenticate.
class AuthenticateMethod : public XmlRpcRequestMethod {
 public:
  AuthenticateMethod() : XmlRpcRequestMethod(kAuthenticate) {}
  std::span<const ParamSpec> paramTable() const override;

  void setCredentials(std::string_view user, std::string_view password);
  std::string_view user() const { return stringParam(0); }
  std::string_view password() const { return stringParam(1); }

  std::unique_ptr<XmlRpcResponseMethod> createResponse(bool fault) const override;
  void dispatch(SessionCallbacks& callbacks) override;
};

// "sauthenticate": user name, timestamp, authenticator (passed through as the host gave them).
// dispatch: onSAuthenticate.
class SAuthenticateMethod : public XmlRpcRequestMethod {
 public:
  SAuthenticateMethod() : XmlRpcRequestMethod(kSAuthenticate) {}
  std::span<const ParamSpec> paramTable() const override;

  void setCredentials(std::string_view user, std::string_view timestamp,
                      std::string_view authenticator);
  std::string_view user() const { return stringParam(0); }
  std::string_view timestamp() const { return stringParam(1); }
  std::string_view authenticator() const { return stringParam(2); }

  std::unique_ptr<XmlRpcResponseMethod> createResponse(bool fault) const override;
  void dispatch(SessionCallbacks& callbacks) override;
};

// "getextension": user name. dispatch: onGetExtension.
class GetExtensionMethod : public XmlRpcRequestMethod {
 public:
  GetExtensionMethod() : XmlRpcRequestMethod(kGetExtension) {}
  std::span<const ParamSpec> paramTable() const override;

  void setUser(std::string_view user) { setString(0, user); }
  std::string_view user() const { return stringParam(0); }

  std::unique_ptr<XmlRpcResponseMethod> createResponse(bool fault) const override;
  void dispatch(SessionCallbacks& callbacks) override;
};

}  // namespace telvane
