#include "telvane/protocol/system_service.h"

#include "telvane/protocol/session_callbacks.h"
#include "telvane/protocol/struct_reading_services.h"
#include "telvane/xml/xml_navigator.h"
#include "telvane/xmlrpc/ascii.h"

namespace telvane {

namespace {

constexpr ParamSpec kIdRow = {"id", kXmlRpcString, ParamPresence::kMandatory, true};
constexpr ParamSpec kGetSystemInfoParams[] = {kIdRow};
constexpr ParamSpec kGetFilesParams[] = {kIdRow, {"extension", kXmlRpcString}};
constexpr ParamSpec kFileTransferParams[] = {
    kIdRow,
    {"extension", kXmlRpcString},
    {"fileName", kXmlRpcString},
    {"size", kXmlRpcInt},
};
constexpr ParamSpec kFileDeleteParams[] = {
    kIdRow,
    {"extension", kXmlRpcString},
    {"fileName", kXmlRpcString},
};
constexpr ParamSpec kConfigurationUpdateParams[] = {
    kIdRow,
    {"fileName", kXmlRpcString},
    {"size", kXmlRpcInt},
};

constexpr int kSystemInfoResults[] = {kXmlRpcString, kXmlRpcString, kXmlRpcString};
constexpr int kIdFlagResults[] = {kXmlRpcString, kXmlRpcBoolean};

const std::string& textOf(const XmlRpcValue& value) {
  return static_cast<const XmlRpcValueString&>(value).value();
}

// Takes the first result as the response's id.
std::unique_ptr<XmlRpcValueString> takeId(std::unique_ptr<XmlRpcValue>& result) {
  return std::unique_ptr<XmlRpcValueString>(static_cast<XmlRpcValueString*>(result.release()));
}

template <class Response>
std::unique_ptr<XmlRpcResponseMethod> responseFor(const XmlRpcRequestMethod& request, bool fault) {
  if (fault) return request.XmlRpcRequestMethod::createResponse(true);
  return std::make_unique<Response>();
}

}  // namespace

// ---- answers

void GetSystemInfoResponseMethod::setResult(CallId requestId, std::string_view uniqueId,
                                            std::string_view version) {
  setId(requestId);
  uniqueId_.assign(uniqueId);
  version_.assign(version);
}

bool GetSystemInfoResponseMethod::parseParams(XMLNavigator& nav) {
  std::vector<std::unique_ptr<XmlRpcValue>> results;
  if (!readTypedResults(nav, kSystemInfoResults, results)) return false;
  setIdValue(takeId(results[0]));
  uniqueId_ = textOf(*results[1]);
  version_ = textOf(*results[2]);
  return true;
}

bool GetSystemInfoResponseMethod::serializeResults(std::string& out) const {
  return id_ != nullptr && writeParam(out, *id_) && writeParam(out, XmlRpcValueString(uniqueId_)) &&
         writeParam(out, XmlRpcValueString(version_));
}

void GetFilesResponseMethod::setResult(CallId requestId, std::vector<std::string> fileNames) {
  setId(requestId);
  fileNames_ = std::move(fileNames);
}

bool GetFilesResponseMethod::parseParams(XMLNavigator& nav) {
  // readTypedResults(kFilesResults) with the list read straight into the names: an answer holds
  // hundreds of them, and a value object per name cost more than the rest of the parse.
  std::unique_ptr<XmlRpcValue> id;
  std::vector<std::string> names;
  bool haveList = false;
  std::size_t count = 0;
  std::string_view tag;
  while (nav.nextElementName(tag)) {
    if (!equalsIgnoreCase(tag, "param")) return false;
    if (count == 1) {
      if (!nav.nextElementName(tag) || !equalsIgnoreCase(tag, "value") ||
          !nav.nextElementName(tag)) {
        return false;
      }
      if (equalsIgnoreCase(tag, xmlRpcTypeName(kXmlRpcArray))) {
        if (!readStringArrayItems(nav, names)) return false;
        haveList = true;
      } else {
        std::unique_ptr<XmlRpcValue> other = createValue(tag);
        if (other == nullptr || !other->parse(nav)) return false;
      }
    } else {
      std::unique_ptr<XmlRpcValue> value = readParsedValue(nav);
      if (value == nullptr) return false;
      if (count == 0) id = std::move(value);
    }
    ++count;
    nav.skipElement();  // past "</value>"
    nav.skipElement();  // past "</param>"
  }
  if (count < 2 || !haveList || id->type() != kXmlRpcString) return false;
  setIdValue(takeId(id));
  fileNames_ = std::move(names);
  return true;
}

bool GetFilesResponseMethod::serializeResults(std::string& out) const {
  if (id_ == nullptr || !writeParam(out, *id_)) return false;
  out.append("<param>\r\n");
  serializeStringArray(out, fileNames_);
  out.append("</param>\r\n");
  return true;
}

void IdFlagResponseMethod::setResult(CallId requestId, bool flag) {
  setId(requestId);
  flag_ = flag;
}

bool IdFlagResponseMethod::parseParams(XMLNavigator& nav) {
  std::vector<std::unique_ptr<XmlRpcValue>> results;
  if (!readTypedResults(nav, kIdFlagResults, results)) return false;
  setIdValue(takeId(results[0]));
  flag_ = static_cast<const XmlRpcValueBool&>(*results[1]).value();
  return true;
}

bool IdFlagResponseMethod::serializeResults(std::string& out) const {
  return id_ != nullptr && writeParam(out, *id_) && writeParam(out, XmlRpcValueBool(flag_));
}

// ---- requests

std::span<const ParamSpec> GetSystemInfoMethod::paramTable() const {
  return kGetSystemInfoParams;
}

std::unique_ptr<XmlRpcResponseMethod> GetSystemInfoMethod::createResponse(bool fault) const {
  return responseFor<GetSystemInfoResponseMethod>(*this, fault);
}

void GetSystemInfoMethod::dispatch(SessionCallbacks& callbacks) {
  callbacks.onGetSystemInfo(idNumber());
}

std::span<const ParamSpec> GetFilesMethod::paramTable() const {
  return kGetFilesParams;
}

void GetFilesMethod::setRequest(CallId requestId, std::string_view extension) {
  setIdText(formatId(requestId));
  setString(1, extension);
}

std::unique_ptr<XmlRpcResponseMethod> GetFilesMethod::createResponse(bool fault) const {
  return responseFor<GetFilesResponseMethod>(*this, fault);
}

void GetFilesMethod::dispatch(SessionCallbacks& callbacks) {
  callbacks.onGetFilesList(idNumber(), std::string(extension()));
}

std::span<const ParamSpec> FileTransferMethod::paramTable() const {
  return kFileTransferParams;
}

void FileTransferMethod::setTransfer(CallId requestId, std::string_view extension,
                                     std::string_view localPath, int32_t size) {
  setIdText(formatId(requestId));
  setString(1, extension);
  setString(2, pathBaseName(localPath));
  setInt(3, size);
}

std::unique_ptr<XmlRpcResponseMethod> FileTransferMethod::createResponse(bool fault) const {
  return responseFor<FileTransferResponseMethod>(*this, fault);
}

void FileTransferMethod::dispatch(SessionCallbacks& callbacks) {
  callbacks.onBeginFileTransfer(idNumber(), std::string(extension()), std::string(fileName()),
                                size());
}

std::span<const ParamSpec> FileDeleteMethod::paramTable() const {
  return kFileDeleteParams;
}

void FileDeleteMethod::setRequest(CallId requestId, std::string_view extension,
                                  std::string_view fileName) {
  setIdText(formatId(requestId));
  setString(1, extension);
  setString(2, fileName);
}

std::unique_ptr<XmlRpcResponseMethod> FileDeleteMethod::createResponse(bool fault) const {
  return responseFor<FileDeleteResponseMethod>(*this, fault);
}

void FileDeleteMethod::dispatch(SessionCallbacks& callbacks) {
  callbacks.onDeleteFile(idNumber(), std::string(extension()), std::string(fileName()));
}

std::span<const ParamSpec> ConfigurationUpdateMethod::paramTable() const {
  return kConfigurationUpdateParams;
}

void ConfigurationUpdateMethod::setRequest(CallId requestId, std::string_view fileName,
                                           int32_t size) {
  setIdText(formatId(requestId));
  setString(1, fileName);
  setInt(2, size);
}

std::unique_ptr<XmlRpcResponseMethod> ConfigurationUpdateMethod::createResponse(bool fault) const {
  return responseFor<ConfigurationUpdateResponseMethod>(*this, fault);
}

void ConfigurationUpdateMethod::dispatch(SessionCallbacks& callbacks) {
  callbacks.onConfigurationUpdate(idNumber(), std::string(fileName()), size());
}

}  // namespace telvane
