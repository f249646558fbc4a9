#pragma once

#include <string_view>

namespace telvane {

// The method-name table: a message's `type` is its row. Rows 41 and 42 are the ones whose
// classes cross (the name "streamplayed" belongs to StopStreamMethod, "stopstream" to
// StreamPlayedMethod).
inline constexpr int kMethodCount = 43;
// The `type` of the fault that answers an unknown incoming method.
inline constexpr int kUnknownMethodType = 43;

enum MethodType : int {
  kCreateCall = 0,
  kCloseCall = 1,
  kTransferCall = 2,
  kJoinCalls = 3,
  kUnjoinCalls = 4,
  kCallStateChanged = 5,
  kPlayMessage = 6,
  kMessagePlayed = 7,
  kInjectDtmf = 8,
  kDtmfInjected = 9,
  kEnableDtmfDetection = 10,
  kDtmfDigitDetected = 11,
  kIncomingCallHandling = 12,
  kNotifyCallEstablishment = 13,
  kProcess = 14,
  kCallEstablished = 15,
  kAuthenticate = 16,
  kSAuthenticate = 17,
  kSubscribe = 18,
  kUnsubscribe = 19,
  kMailArrived = 20,
  kCdrArrived = 21,
  kDlgArrived = 22,
  kPrsArrived = 23,
  kGetExtension = 24,
  kGetSystemInfo = 25,
  kGetFilesList = 26,
  kBeginFileTransfer = 27,
  kDeleteFile = 28,
  kCallOriginated = 29,
  kExtListArrived = 30,
  kConfigurationUpdate = 31,
  kRecordingCallStarted = 32,
  kRecordingCallClosed = 33,
  kStartRecording = 34,
  kStopRecording = 35,
  kRecordingStarted = 36,
  kRecordingSuspended = 37,
  kRecordingResumed = 38,
  kRecordingStopped = 39,
  kPlayStream = 40,
  kStreamPlayed = 41,
  kStopStream = 42,
};

// The full method name of a row, e.g. "Services.CallProcessingService.closecall"; empty for a
// `type` outside 0 to 42.
std::string_view methodName(int type);

// The row of a method name compared ignoring letter case, or -1.
int findMethodType(std::string_view name);

}  // namespace telvane
