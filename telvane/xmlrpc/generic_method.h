#pragma once

#include <memory>
#include <string>
#include <vector>

#include "telvane/xmlrpc/xmlrpc_method.h"

namespace telvane {

// A request without a parameter table: it writes and reads any number of params of any type,
// in order. It stands for every table name until a message class exists for it, and lets tools
// show any call as it came.
class GenericRequestMethod : public XmlRpcRequestMethod {
 public:
  explicit GenericRequestMethod(int type) : XmlRpcRequestMethod(type) {}

  void dispatch(SessionCallbacks& callbacks) override;
  // A GenericResponseMethod for a result list, or a FaultResponseMethod.
  std::unique_ptr<XmlRpcResponseMethod> createResponse(bool fault) const override;
  bool parseParams(XMLNavigator& nav) override;

  void append(std::unique_ptr<XmlRpcValue> value) { params_.push_back(std::move(value)); }
  const std::vector<std::unique_ptr<XmlRpcValue>>& params() const { return params_; }

 protected:
  bool serializeParams(std::string& out) const override;

 private:
  std::vector<std::unique_ptr<XmlRpcValue>> params_;
};

// A response with any number of results of any type, in order.
class GenericResponseMethod : public XmlRpcResponseMethod {
 public:
  explicit GenericResponseMethod(int type) : XmlRpcResponseMethod(type) {}

  bool parseParams(XMLNavigator& nav) override;

  void append(std::unique_ptr<XmlRpcValue> value) { results_.push_back(std::move(value)); }
  const std::vector<std::unique_ptr<XmlRpcValue>>& results() const { return results_; }

 protected:
  bool serializeResults(std::string& out) const override;

 private:
  std::vector<std::unique_ptr<XmlRpcValue>> results_;
};

// Reads any "param" blocks after the "params" start tag into `out`; false when one is malformed.
bool readParamList(XMLNavigator& nav, std::vector<std::unique_ptr<XmlRpcValue>>& out);
// Writes one "<param>" block per value.
bool writeParamList(std::string& out, const std::vector<std::unique_ptr<XmlRpcValue>>& values);

}  // namespace telvane
