#include "telvane/protocol/call_control.h"
#include "telvane/protocol/call_events.h"
#include "telvane/protocol/method_factory.h"
#include "telvane/protocol/recording.h"

namespace telvane::detail {

namespace {

template <typename Method>
std::unique_ptr<XmlRpcRequestMethod> make() {
  return std::make_unique<Method>();
}

using Maker = std::unique_ptr<XmlRpcRequestMethod> (*)();

// The call group's rows of the method-name table; other rows belong to the service group.
struct Row {
  int type;
  Maker make;
};

constexpr Row kCallRows[] = {
    {kCreateCall, &make<CreateCallMethod>},
    {kCloseCall, &make<CloseCallMethod>},
    {kTransferCall, &make<TransferCallMethod>},
    {kJoinCalls, &make<JoinCallsMethod>},
    {kUnjoinCalls, &make<UnjoinCallsMethod>},
    {kCallStateChanged, &make<CallStateChangedMethod>},
    {kPlayMessage, &make<PlayMessageMethod>},
    {kMessagePlayed, &make<MessagePlayedMethod>},
    {kInjectDtmf, &make<InjectDTMFMethod>},
    {kDtmfInjected, &make<DTMFInjectedMethod>},
    {kEnableDtmfDetection, &make<EnableDtmfDetectionMethod>},
    {kDtmfDigitDetected, &make<DtmfDigitReceivedMethod>},
    {kIncomingCallHandling, &make<IncomingCallHandlingMethod>},
    {kNotifyCallEstablishment, &make<NotifyCallEstablishmentMethod>},
    {kProcess, &make<CallArrivedMethod>},
    {kCallEstablished, &make<CallEstablishedMethod>},
    {kCallOriginated, &make<CallOriginatedMethod>},
    {kRecordingCallStarted, &make<RecordingCallStartedMethod>},
    {kRecordingCallClosed, &make<RecordingCallClosedMethod>},
    {kStartRecording, &make<StartRecordingMethod>},
    {kStopRecording, &make<StopRecordingMethod>},
    {kRecordingStarted, &make<RecordingStartedMethod>},
    {kRecordingSuspended, &make<RecordingSuspendedMethod>},
    {kRecordingResumed, &make<RecordingResumedMethod>},
    {kRecordingStopped, &make<RecordingStoppedMethod>},
    {kPlayStream, &make<PlayStreamMethod>},
    {kStreamPlayed, &make<StopStreamMethod>},
    {kStopStream, &make<StreamPlayedMethod>},
};

}  // namespace

std::unique_ptr<XmlRpcRequestMethod> createCallMethod(int type) {
  for (const Row& row : kCallRows) {
    if (row.type == type) return row.make();
  }
  return nullptr;
}

}  // namespace telvane::detail
