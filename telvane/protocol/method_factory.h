#pragma once
// The catalogue: the message class of every row of the method-name table.

#include <memory>
#include <string_view>

#include "telvane/xmlrpc/message_parser.h"
#include "telvane/xmlrpc/xmlrpc_method.h"

namespace telvane {

// A new request object of the class for `type` (0 to 42), or null outside the table.
std::unique_ptr<XmlRpcRequestMethod> createProtocolMethod(int type);

// createMethod and parseMethodCall with the catalogue's classes.
std::unique_ptr<XmlRpcRequestMethod> createPbxMethod(std::string_view methodName);
ParsedCall parsePbxMethodCall(std::string_view text);

namespace detail {
// Each group of the catalogue makes the classes of its own rows and null for the others.
std::unique_ptr<XmlRpcRequestMethod> createCallMethod(int type);     // call control, events, recording
std::unique_ptr<XmlRpcRequestMethod> createServiceMethod(int type);  // login, subscriptions, system
}  // namespace detail

}  // namespace telvane
