#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "telvane/xmlrpc/xmlrpc_method.h"

namespace telvane {

class XMLNavigator;

// Makes the request object of one table row, or null to fall back to GenericRequestMethod.
// The message catalogue provides one; the session passes it to createMethod/parseMethodCall.
using MethodFactory = std::unique_ptr<XmlRpcRequestMethod> (*)(int type);

// A new request object for `methodName` (ignoring case), with the table's `type`; null for a
// name outside the table.
std::unique_ptr<XmlRpcRequestMethod> createMethod(std::string_view methodName,
                                                  MethodFactory factory = nullptr);

// What an incoming text is, as far as method calls go.
struct ParsedCall {
  enum class Kind {
    kNone,     // not a method call (perhaps a response)
    kUnknown,  // a method call, but the name or its params do not match; answer with
               // makeUnknownMethodFault()
    kCall,     // `method` holds the parsed request
  };
  Kind kind = Kind::kNone;
  std::unique_ptr<XmlRpcRequestMethod> method;
};

// Parses one message (without the terminator; a NUL byte ends it).
ParsedCall parseMethodCall(std::string_view text, MethodFactory factory = nullptr);

// The envelope of a call: the "methodCall" and "methodName" start tags, the name (unescaped)
// and the "params" start tag. False when `nav` does not hold a method call.
bool readMethodCallHeader(XMLNavigator& nav, std::string& methodName);

}  // namespace telvane
