#pragma once

// Small table-driven request classes, shaped like the message catalogue's, for the tests.

#include <span>

#include "telvane/xmlrpc/method_table.h"
#include "telvane/xmlrpc/xmlrpc_method.h"

namespace telvane::testing {

class TestCloseCall : public XmlRpcRequestMethod {
 public:
  static constexpr ParamSpec kParams[] = {
      {"id", kXmlRpcString, ParamPresence::kMandatory, true},
  };
  TestCloseCall() : XmlRpcRequestMethod(kCloseCall) {}
  std::span<const ParamSpec> paramTable() const override { return kParams; }
  void dispatch(SessionCallbacks&) override {}
};

class TestCreateCall : public XmlRpcRequestMethod {
 public:
  enum Row { kId, kCaller, kCallee, kDisplay, kUser, kNumber };
  static constexpr ParamSpec kParams[] = {
      {"id", kXmlRpcString, ParamPresence::kMandatory, true},
      {"caller", kXmlRpcString},
      {"callee", kXmlRpcString},
      {"display", kXmlRpcString, ParamPresence::kOptional},
      {"user", kXmlRpcString, ParamPresence::kOptional},
      {"number", kXmlRpcInt, ParamPresence::kOptional},
  };
  TestCreateCall() : XmlRpcRequestMethod(kCreateCall) {}
  std::span<const ParamSpec> paramTable() const override { return kParams; }
  void dispatch(SessionCallbacks&) override {}

  void set(CallId id, std::string_view caller, std::string_view callee,
           std::string_view display = {}, std::string_view user = {}) {
    setIdText(formatId(id));
    setString(kCaller, caller);
    setString(kCallee, callee);
    setString(kDisplay, display);
    setString(kUser, user);
  }
  void setNumber(int n) { setInt(kNumber, n); }
  std::string_view caller() const { return stringParam(kCaller); }
  std::string_view user() const { return stringParam(kUser); }
  int number() const { return intParam(kNumber, -1); }
};

// "process" carries its call ID second, after a struct.
class TestProcess : public XmlRpcRequestMethod {
 public:
  static constexpr ParamSpec kParams[] = {
      {"parties", kXmlRpcStruct},
      {"id", kXmlRpcString, ParamPresence::kMandatory, true},
  };
  TestProcess() : XmlRpcRequestMethod(kProcess) {}
  std::span<const ParamSpec> paramTable() const override { return kParams; }
  void dispatch(SessionCallbacks&) override {}
  const XmlRpcValueStruct* parties() const { return structParam(0); }
};

inline std::unique_ptr<XmlRpcRequestMethod> testFactory(int type) {
  switch (type) {
    case kCloseCall:
      return std::make_unique<TestCloseCall>();
    case kCreateCall:
      return std::make_unique<TestCreateCall>();
    case kProcess:
      return std::make_unique<TestProcess>();
    default:
      return nullptr;
  }
}

}  // namespace telvane::testing
