#include "telvane/xmlrpc/method_table.h"

#include <algorithm>
#include <array>

#include "telvane/xmlrpc/ascii.h"

namespace telvane {

namespace {

constexpr std::string_view kMethodNames[kMethodCount] = {
    "Services.CallProcessingService.createcall",
    "Services.CallProcessingService.closecall",
    "Services.CallProcessingService.transfercall",
    "Services.CallProcessingService.joincalls",
    "Services.CallProcessingService.unjoincalls",
    "Services.CallProcessingService.callstatechanged",
    "Services.CallProcessingService.playmessage",
    "Services.CallProcessingService.messageplayed",
    "Services.CallProcessingService.injectdtmf",
    "Services.CallProcessingService.dtmfinjected",
    "Services.CallProcessingService.enabledtmfdetection",
    "Services.CallProcessingService.dtmfdigitdetected",
    "Services.CallProcessingService.incomingcallhandling",
    "Services.CallProcessingService.notifycallestablishment",
    "Services.CallProcessingService.process",
    "Services.CallProcessingService.callestablished",
    "Services.CallProcessingService.authenticate",
    "Services.CallProcessingService.sauthenticate",
    "Services.CallProcessingService.subscribe",
    "Services.CallProcessingService.unsubscribe",
    "Services.CallProcessingService.mailarrived",
    "Services.CallProcessingService.cdrarrived",
    "Services.CallProcessingService.dlgarrived",
    "Services.CallProcessingService.prsarrived",
    "Services.CallProcessingService.getextension",
    "Services.SystemService.getsysteminfo",
    "Services.SystemService.getfileslist",
    "Services.SystemService.beginfiletransfer",
    "Services.SystemService.deletefile",
    "Services.CallProcessingService.calloriginated",
    "Services.CallProcessingService.extlistarrived",
    "Services.SystemService.configurationupdate",
    "Services.CallProcessingService.recordingcallstarted",
    "Services.CallProcessingService.recordingcallclosed",
    "Services.CallProcessingService.startrecording",
    "Services.CallProcessingService.stoprecording",
    "Services.CallProcessingService.recordingstarted",
    "Services.CallProcessingService.recordingsuspended",
    "Services.CallProcessingService.recordingresumed",
    "Services.CallProcessingService.recordingstopped",
    "Services.CallProcessingService.playstream",
    "Services.CallProcessingService.streamplayed",
    "Services.CallProcessingService.stopstream",
};

constexpr std::size_t kLongestName = 64;

// Lower-cased names sorted, for a binary search of incoming names.
struct LowerEntry {
  std::array<char, kLongestName> text{};
  std::size_t size = 0;
  int type = 0;
  std::string_view view() const { return {text.data(), size}; }
};

std::array<LowerEntry, kMethodCount> buildIndex() {
  std::array<LowerEntry, kMethodCount> index{};
  for (int type = 0; type < kMethodCount; ++type) {
    LowerEntry& e = index[std::size_t(type)];
    e.size = kMethodNames[type].size();
    for (std::size_t i = 0; i < e.size; ++i) e.text[i] = asciiLower(kMethodNames[type][i]);
    e.type = type;
  }
  std::sort(index.begin(), index.end(),
            [](const LowerEntry& a, const LowerEntry& b) { return a.view() < b.view(); });
  return index;
}

}  // namespace

std::string_view methodName(int type) {
  if (type < 0 || type >= kMethodCount) return {};
  return kMethodNames[type];
}

int findMethodType(std::string_view name) {
  static const std::array<LowerEntry, kMethodCount> index = buildIndex();
  if (name.size() > kLongestName) return -1;
  char lower[kLongestName];
  for (std::size_t i = 0; i < name.size(); ++i) lower[i] = asciiLower(name[i]);
  std::string_view key(lower, name.size());
  auto it = std::lower_bound(index.begin(), index.end(), key,
                             [](const LowerEntry& e, std::string_view k) { return e.view() < k; });
  if (it == index.end() || it->view() != key) return -1;
  return it->type;
}

}  // namespace telvane
