#include "telvane/net/host_lookup.h"

#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "telvane/net/socket_errors.h"

namespace telvane {
namespace {

struct AddrInfoFree {
  void operator()(addrinfo* list) const { freeaddrinfo(list); }
};
using AddrInfoList = std::unique_ptr<addrinfo, AddrInfoFree>;

// IPv4 addresses of `hostName`, or the resolver's error code.
int ResolveIpv4(const std::string& hostName, AddrInfoList& list) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;  // one entry per address, not one per socket type
  addrinfo* found = nullptr;
  const int code = getaddrinfo(hostName.c_str(), nullptr, &hints, &found);
  list.reset(found);
  if (code == 0 && found == nullptr) return EAI_NONAME;
  return code;
}

// The resolver's code, or errno when the resolver says the system failed.
int ResolverCode(int code) {
  return code == EAI_SYSTEM && errno != 0 ? errno : code;
}

}  // namespace

bool GetHostByName(const std::string& hostName, sockaddr_in& address) {
  address = sockaddr_in{};
  AddrInfoList list;
  const int code = ResolveIpv4(hostName, list);
  if (code != 0) {
    ReportSocketError("GetHostByName", ResolverCode(code));
    return false;
  }
  std::memcpy(&address, list->ai_addr, sizeof address);
  address.sin_port = 0;
  return true;
}

std::optional<std::string> GetHostByAddr(const sockaddr_in& address) {
  char name[NI_MAXHOST] = {};
  const int code = getnameinfo(reinterpret_cast<const sockaddr*>(&address), sizeof address, name,
                               sizeof name, nullptr, 0, NI_NAMEREQD);
  if (code != 0) {
    ReportSocketError("GetHostByAddr", ResolverCode(code));
    return std::nullopt;
  }
  return std::string(name);
}

int GetLocalHost(std::vector<AddressRecord>& records, std::string* hostName) {
  const std::string name = MachineName();
  if (name.empty()) {
    ReportSocketError("GetLocalHost", errno);
    return 0;
  }
  if (hostName != nullptr) *hostName = name;
  AddrInfoList list;
  const int code = ResolveIpv4(name, list);
  if (code != 0) {
    ReportSocketError("GetLocalHost", ResolverCode(code));
    return 0;
  }
  int appended = 0;
  for (const addrinfo* entry = list.get(); entry != nullptr; entry = entry->ai_next) {
    AddressRecord record;
    std::memcpy(&record.address, entry->ai_addr, sizeof record.address);
    record.address.sin_port = 0;
    records.push_back(record);
    ++appended;
  }
  return appended;
}

std::string MachineName() {
  char name[128] = {};
  if (gethostname(name, sizeof name - 1) != 0) return {};
  return std::string(name);
}

}  // namespace telvane
