#include "telvane/protocol/method_factory.h"

namespace telvane::detail {

std::unique_ptr<XmlRpcRequestMethod> createServiceMethod(int) { return nullptr; }

}  // namespace telvane::detail
