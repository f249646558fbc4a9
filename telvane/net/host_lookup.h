// Name and address lookups of the socket layer. Failures are reported through the socket error
// state (socket_errors.h) with the resolver's code.
#ifndef TELVANE_NET_HOST_LOOKUP_H_
#define TELVANE_NET_HOST_LOOKUP_H_

#include <netinet/in.h>

#include <optional>
#include <string>
#include <vector>

#include "telvane/net/address_record.h"

namespace telvane {

// Resolves a host name (a dotted address resolves to itself) to its first IPv4 address, port 0.
// On failure reports "GetHostByName" and leaves `address` all zero.
bool GetHostByName(const std::string& hostName, sockaddr_in& address);

// Reverse lookup of an IPv4 address; reports "GetHostByAddr" and returns no value on failure.
std::optional<std::string> GetHostByAddr(const sockaddr_in& address);

// Resolves this machine's host name and appends one record (port 0) per IPv4 address; stores the
// name in `hostName` when given. Returns the number of records appended, 0 on failure
// ("GetLocalHost" reported).
int GetLocalHost(std::vector<AddressRecord>& records, std::string* hostName);

// This machine's host name, at most 127 characters; empty when the system cannot tell.
std::string MachineName();

}  // namespace telvane

#endif  // TELVANE_NET_HOST_LOOKUP_H_
