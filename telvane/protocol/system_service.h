#pragma once
// The "Services.SystemService" methods: PBX identity, prompt file list, file upload and delete,
// configuration upload. Every request carries a request ID first (the message's id), and every
// answer reads that ID back first. All request params are mandatory. The requests' dispatch
// hands their values to SessionCallbacks (as a PBX receives them); the answers' does nothing.

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "telvane/xmlrpc/method_table.h"
#include "telvane/xmlrpc/xmlrpc_method.h"

namespace telvane {

// ---- answers

// id, unique ID of the PBX, software version.
class GetSystemInfoResponseMethod : public XmlRpcResponseMethod {
 public:
  GetSystemInfoResponseMethod() : XmlRpcResponseMethod(kGetSystemInfo) {}

  void setResult(CallId requestId, std::string_view uniqueId, std::string_view version);
  const std::string& uniqueId() const { return uniqueId_; }
  const std::string& version() const { return version_; }

  bool parseParams(XMLNavigator& nav) override;

 protected:
  bool serializeResults(std::string& out) const override;

 private:
  std::string uniqueId_;
  std::string version_;
};

// id and an array of file names; elements that are not strings are dropped on reading.
class GetFilesResponseMethod : public XmlRpcResponseMethod {
 public:
  GetFilesResponseMethod() : XmlRpcResponseMethod(kGetFilesList) {}

  void setResult(CallId requestId, std::vector<std::string> fileNames);
  const std::vector<std::string>& fileNames() const { return fileNames_; }

  bool parseParams(XMLNavigator& nav) override;

 protected:
  bool serializeResults(std::string& out) const override;

 private:
  std::vector<std::string> fileNames_;
};

// id and a boolean: the shape of the upload, delete and configuration answers.
class IdFlagResponseMethod : public XmlRpcResponseMethod {
 public:
  using XmlRpcResponseMethod::XmlRpcResponseMethod;

  void setResult(CallId requestId, bool flag);
  bool flag() const { return flag_; }

  bool parseParams(XMLNavigator& nav) override;

 protected:
  bool serializeResults(std::string& out) const override;

 private:
  bool flag_ = false;
};

class FileTransferResponseMethod : public IdFlagResponseMethod {
 public:
  FileTransferResponseMethod() : IdFlagResponseMethod(kBeginFileTransfer) {}
  bool accepted() const { return flag(); }
};

class FileDeleteResponseMethod : public IdFlagResponseMethod {
 public:
  FileDeleteResponseMethod() : IdFlagResponseMethod(kDeleteFile) {}
};

class ConfigurationUpdateResponseMethod : public IdFlagResponseMethod {
 public:
  ConfigurationUpdateResponseMethod() : IdFlagResponseMethod(kConfigurationUpdate) {}
  bool accepted() const { return flag(); }
};

// ---- requests

// "getsysteminfo": id. dispatch: onGetSystemInfo.
class GetSystemInfoMethod : public XmlRpcRequestMethod {
 public:
  GetSystemInfoMethod() : XmlRpcRequestMethod(kGetSystemInfo) {}
  std::span<const ParamSpec> paramTable() const override;

  void setRequestId(CallId requestId) { setIdText(formatId(requestId)); }

  std::unique_ptr<XmlRpcResponseMethod> createResponse(bool fault) const override;
  void dispatch(SessionCallbacks& callbacks) override;
};

// "getfileslist": id, extension name. dispatch: onGetFilesList.
class GetFilesMethod : public XmlRpcRequestMethod {
 public:
  GetFilesMethod() : XmlRpcRequestMethod(kGetFilesList) {}
  std::span<const ParamSpec> paramTable() const override;

  void setRequest(CallId requestId, std::string_view extension);
  std::string_view extension() const { return stringParam(1); }

  std::unique_ptr<XmlRpcResponseMethod> createResponse(bool fault) const override;
  void dispatch(SessionCallbacks& callbacks) override;
};

// "beginfiletransfer": id, extension name, file name, size. The file's bytes follow the "OK"
// outside XML-RPC. dispatch: onBeginFileTransfer.
class FileTransferMethod : public XmlRpcRequestMethod {
 public:
  FileTransferMethod() : XmlRpcRequestMethod(kBeginFileTransfer) {}
  std::span<const ParamSpec> paramTable() const override;

  // Sends only the last element of `localPath` (folders cut at "/" or "\").
  void setTransfer(CallId requestId, std::string_view extension, std::string_view localPath,
                   int32_t size);
  std::string_view extension() const { return stringParam(1); }
  std::string_view fileName() const { return stringParam(2); }
  int32_t size() const { return intParam(3); }

  std::unique_ptr<XmlRpcResponseMethod> createResponse(bool fault) const override;
  void dispatch(SessionCallbacks& callbacks) override;
};

// "deletefile": id, extension name, file name. dispatch: onDeleteFile.
class FileDeleteMethod : public XmlRpcRequestMethod {
 public:
  FileDeleteMethod() : XmlRpcRequestMethod(kDeleteFile) {}
  std::span<const ParamSpec> paramTable() const override;

  void setRequest(CallId requestId, std::string_view extension, std::string_view fileName);
  std::string_view extension() const { return stringParam(1); }
  std::string_view fileName() const { return stringParam(2); }

  std::unique_ptr<XmlRpcResponseMethod> createResponse(bool fault) const override;
  void dispatch(SessionCallbacks& callbacks) override;
};

// "configurationupdate": id, file name, size. dispatch: onConfigurationUpdate.
class ConfigurationUpdateMethod : public XmlRpcRequestMethod {
 public:
  ConfigurationUpdateMethod() : XmlRpcRequestMethod(kConfigurationUpdate) {}
  std::span<const ParamSpec> paramTable() const override;

  void setRequest(CallId requestId, std::string_view fileName, int32_t size);
  std::string_view fileName() const { return stringParam(1); }
  int32_t size() const { return intParam(2); }

  std::unique_ptr<XmlRpcResponseMethod> createResponse(bool fault) const override;
  void dispatch(SessionCallbacks& callbacks) override;
};

}  // namespace telvane
