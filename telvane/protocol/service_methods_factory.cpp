#include "telvane/protocol/login.h"
#include "telvane/protocol/method_factory.h"
#include "telvane/protocol/subscriptions.h"
#include "telvane/protocol/system_service.h"

namespace telvane::detail {

std::unique_ptr<XmlRpcRequestMethod> createServiceMethod(int type) {
  switch (type) {
    case kAuthenticate:
      return std::make_unique<AuthenticateMethod>();
    case kSAuthenticate:
      return std::make_unique<SAuthenticateMethod>();
    case kGetExtension:
      return std::make_unique<GetExtensionMethod>();
    case kSubscribe:
      return std::make_unique<SubscribeMethod>();
    case kUnsubscribe:
      return std::make_unique<UnsubscribeMethod>();
    case kMailArrived:
      return std::make_unique<MailArrivedMethod>();
    case kCdrArrived:
      return std::make_unique<CDRArrivedMethod>();
    case kDlgArrived:
      return std::make_unique<DialogArrivedMethod>();
    case kPrsArrived:
      return std::make_unique<PresenceArrivedMethod>();
    case kExtListArrived:
      return std::make_unique<ExtListArrivedMethod>();
    case kGetSystemInfo:
      return std::make_unique<GetSystemInfoMethod>();
    case kGetFilesList:
      return std::make_unique<GetFilesMethod>();
    case kBeginFileTransfer:
      return std::make_unique<FileTransferMethod>();
    case kDeleteFile:
      return std::make_unique<FileDeleteMethod>();
    case kConfigurationUpdate:
      return std::make_unique<ConfigurationUpdateMethod>();
    default:
      return nullptr;
  }
}

}  // namespace telvane::detail
