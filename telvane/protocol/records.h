#pragma once
// Records that PBX notifications hand to SessionCallbacks. Plain values that own their texts, so
// a receiver may copy and keep them.

#include <cstdint>
#include <string>

#include "telvane/xmlrpc/call_id.h"
#include "telvane/xmlrpc/party_address.h"

namespace telvane {

// Subscription kinds: the int sent as the second parameter of "subscribe".
enum SubscriptionKind : int32_t {
  kSubscribeVoiceMail = 1,
  kSubscribeCdr = 2,
  kSubscribeDialog = 3,
  kSubscribePresence = 4,
  kSubscribeCallRequests = 5,
  kSubscribeExtensionList = 6,
};

struct MailRecord {
  CallId subscriptionId = 0;
  PartyAddress from;
  std::string time;  // as received
  int32_t duration = 0;
  int32_t mailId = 0;
  bool operator==(const MailRecord&) const = default;
};

struct CdrRecord {
  std::string from;
  std::string to;
  int32_t startTime = 0;
  int32_t duration = 0;
  std::string callGuid;
  std::string details;
  std::string authenticatedBy;
  bool callerIdRestricted = false;
  bool operator==(const CdrRecord&) const = default;
};

// 16-bit fields keep the low 16 bits of the int received.
struct CdrStatistics {
  int32_t rtpTxPackets = 0;
  std::string rtpTxCodec;
  int16_t rtpTxPacketSize = 0;
  int32_t rtpRxPackets = 0;
  std::string rtpRxCodec;
  int16_t rtpRxPacketSize = 0;
  int16_t rtpRxLost = 0;
  int32_t rtpRxJitter = 0;
  int32_t rtpRxMaxDelay = 0;
  int16_t rtpDelayIncCount = 0;
  int16_t rtpDelayDecCount = 0;
  int32_t faxTxPackets = 0;
  int32_t faxTxDuplicatePackets = 0;
  int32_t faxRxPackets = 0;
  int16_t faxRxLost = 0;
  int16_t faxRxBad = 0;
  int32_t faxRxDuplicatePackets = 0;
  bool operator==(const CdrStatistics&) const = default;
};

// A SIP name-address split by splitNameAddress.
struct NameAddress {
  std::string displayName;
  std::string user;
  std::string host;
  std::string port;
  bool operator==(const NameAddress&) const = default;
};

// Defaults are the values a dialog starts from before any member is read.
struct DialogRecord {
  CallId callId = 0;
  NameAddress local;
  NameAddress remote;
  NameAddress referredBy;
  int32_t callType = 0;
  int32_t direction = 2;
  int32_t dialogState = 5;
  int32_t stateEvent = 7;
  int32_t duration = -1;
  CallId replacedCallId = 0;
  int32_t callState = 0;
  bool operator==(const DialogRecord&) const = default;
};

struct ExtensionRecord {
  std::string extension;
  std::string displayName;
  std::string sipAddress;
  int32_t type = 0;
  int32_t line = -1;
  bool operator==(const ExtensionRecord&) const = default;
};

}  // namespace telvane
