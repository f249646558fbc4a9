// The request queue: order, pairing of answers, time-outs, closes, the synchronous requests and
// uploads, against a scripted peer.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <latch>

#include "session_test_support.h"
#include "telvane/protocol/call_control.h"
#include "telvane/protocol/call_events.h"
#include "telvane/protocol/login.h"
#include "telvane/protocol/method_factory.h"
#include "telvane/protocol/subscriptions.h"
#include "telvane/protocol/system_service.h"
#include "telvane/session/pbx_session.h"
#include "telvane/xmlrpc/method_table.h"
#include "tests/support/temp_folder.h"

namespace telvane {
namespace {

using namespace std::chrono_literals;
using testing::RecordingOwner;
using testing::ScriptedPeer;

// The request the peer received, parsed as the PBX would.
std::unique_ptr<XmlRpcRequestMethod> parsed(const std::optional<std::string>& message) {
  if (!message) return nullptr;
  ParsedCall call = parsePbxMethodCall(*message);
  return std::move(call.method);
}

class SessionRequestsTest : public ::testing::Test {
 protected:
  void login(std::int32_t timeout = 5) {
    ASSERT_TRUE(session_.Connect("127.0.0.1", peer_.port(), timeout, "101", "secret"));
  }
  // Answers every request of `type` from the peer thread with what `answer` makes.
  void answer(int type, std::function<std::string(const XmlRpcRequestMethod&)> make) {
    peer_.setHandler([type, make](ScriptedPeer& peer, const std::string& message) {
      auto request = parsed(message);
      if (request && request->type() == type) peer.write(make(*request));
    });
  }

  RecordingOwner owner_;
  ScriptedPeer peer_;
  PbxSession session_{owner_};
};

TEST_F(SessionRequestsTest, NothingIsSentBeforeLogin) {
  std::string a, b;
  EXPECT_EQ(session_.CreateCall("system", "pbx:101", "", ""), 0u);
  EXPECT_FALSE(session_.CloseCall(1));
  EXPECT_FALSE(session_.GetExtension("101"));
  EXPECT_EQ(session_.SubscribeToCR(), 0u);
  EXPECT_FALSE(session_.Unsubscribe(1));
  EXPECT_FALSE(session_.AcceptCall(1, "", "", true));
  EXPECT_FALSE(session_.GetSystemInfo(a, b));
  EXPECT_FALSE(session_.GetWAVFiles("101", a));
  EXPECT_FALSE(session_.TransferFile("101", "/etc/hostname"));
  EXPECT_EQ(peer_.connectionsAccepted(), 0u);
}

TEST_F(SessionRequestsTest, BadPartyTextsAreRefusedAndNothingIsSent) {
  login();
  EXPECT_EQ(session_.CreateCall("system", "", "", ""), 0u);
  EXPECT_FALSE(session_.TransferCall(1, ""));
  EXPECT_FALSE(session_.ForwardCall(1, "", "", ""));
  EXPECT_TRUE(peer_.quietFor(100ms));
}

TEST_F(SessionRequestsTest, RequestsAreWrittenAndAnsweredInOrder) {
  login();
  const CallId callId = session_.CreateCall("system", "pbx:101", "Ringova", "");
  ASSERT_NE(callId, 0u);
  ASSERT_TRUE(session_.GetExtension("ann"));
  const CallId subscription = session_.SubscribeToCDR();
  ASSERT_NE(subscription, 0u);

  const auto create = parsed(peer_.nextMessage());
  const auto lookup = parsed(peer_.nextMessage());
  const auto subscribe = parsed(peer_.nextMessage());
  ASSERT_TRUE(create && lookup && subscribe);
  EXPECT_EQ(create->type(), kCreateCall);
  EXPECT_EQ(create->idNumber(), callId);
  EXPECT_EQ(lookup->type(), kGetExtension);
  EXPECT_EQ(subscribe->type(), kSubscribe);
  EXPECT_EQ(subscribe->idNumber(), subscription);

  // Answers pair with requests by order alone.
  XmlRpcResponseMethod created(kCreateCall);
  created.setId(callId);
  GetExtensionResponseMethod found;
  found.setResult(true, "201");
  SubscribeResponseMethod confirmed;
  confirmed.setResult(subscription, true, 0);
  peer_.write(testing::wireText(created) + testing::wireText(found) + testing::wireText(confirmed));
  ASSERT_TRUE(owner_.waitForCount(2));
  const auto notes = owner_.notifications();
  EXPECT_EQ(std::get<ExtensionGetNotification>(notes[0]), (ExtensionGetNotification{true, "201"}));
  EXPECT_EQ(std::get<SubscriptionConfirmedNotification>(notes[1]),
            (SubscriptionConfirmedNotification{formatId(subscription), true, 0}));
}

TEST_F(SessionRequestsTest, AnswerWithNothingAwaitingIsIgnored) {
  login();
  GetExtensionResponseMethod stray;
  stray.setResult(true, "stray");
  // The notification behind it tells when the stray answer has been handled.
  CallStateChangedMethod marker;
  marker.setState(1, 2);
  peer_.write(testing::wireText(stray) + testing::wireText(marker));
  ASSERT_TRUE(owner_.waitForCount(1));
  ASSERT_TRUE(peer_.nextMessage());
  ASSERT_TRUE(session_.GetExtension("ann"));
  ASSERT_TRUE(peer_.nextMessage());
  GetExtensionResponseMethod found;
  found.setResult(false, "");
  peer_.writeMessage(found);
  ASSERT_TRUE(owner_.waitForCount(2));
  EXPECT_EQ(owner_.all<ExtensionGetNotification>(),
            (std::vector<ExtensionGetNotification>{{false, ""}}));
}

TEST_F(SessionRequestsTest, FaultAnswerRaisesRequestFailedForCallZero) {
  login();
  ASSERT_TRUE(session_.CloseCall(77));
  ASSERT_TRUE(peer_.nextMessage());
  FaultResponseMethod fault(kCloseCall);
  fault.setFault(5, "No such call");
  peer_.writeMessage(fault);
  ASSERT_TRUE(owner_.waitForCount(1));
  EXPECT_EQ(owner_.all<RequestFailedNotification>(),
            (std::vector<RequestFailedNotification>{{"0", 5, "No such call"}}));
}

TEST_F(SessionRequestsTest, UnparseableAnswerLeavesTheRequestToTimeOut) {
  login(1);
  ASSERT_TRUE(session_.CloseCall(42));
  ASSERT_TRUE(peer_.nextMessage());
  peer_.write("<?xml version=\"1.0\"?>\r\n<methodResponse><oops/></methodResponse>\r\n\r\n");
  ASSERT_TRUE(owner_.waitForCount(1, 3s));
  EXPECT_EQ(owner_.all<RequestFailedNotification>(),
            (std::vector<RequestFailedNotification>{{"42", 100, "Request timeout"}}));
  EXPECT_EQ(session_.state(), SessionState::kLoggedIn);
}

// A subscription answer without its error code is not taken as some other answer: it times out.
TEST_F(SessionRequestsTest, ShortSubscriptionAnswerTimesOut) {
  login(1);
  const CallId sub = session_.SubscribeToPresence("101");
  ASSERT_NE(sub, 0u);
  ASSERT_TRUE(peer_.nextMessage());
  peer_.write(
      "<?xml version=\"1.0\"?>\r\n<methodResponse>\r\n<params>\r\n<param>\r\n<value><string>" +
      formatId(sub) +
      "</string></value>\r\n</param>\r\n<param>\r\n<value><boolean>1</boolean></value>\r\n"
      "</param>\r\n</params>\r\n</methodResponse>\r\n\r\n");
  ASSERT_TRUE(owner_.waitForCount(1, 3s));
  EXPECT_EQ(owner_.all<RequestFailedNotification>(),
            (std::vector<RequestFailedNotification>{{formatId(sub), 100, "Request timeout"}}));
  EXPECT_TRUE(owner_.all<SubscriptionConfirmedNotification>().empty());
}

TEST_F(SessionRequestsTest, RemoteCloseFailsEveryRequestInOrderThenDisconnects) {
  login();
  ASSERT_TRUE(session_.CloseCall(1));
  ASSERT_TRUE(session_.CloseCall(2));
  ASSERT_TRUE(peer_.nextMessage());
  ASSERT_TRUE(peer_.nextMessage());

  // Hold the receive thread in a notification while a third request is queued and the PBX goes.
  std::latch held(1), release(1);
  owner_.onDeliver([&](const Notification& n) {
    if (std::holds_alternative<CallStateChangedNotification>(n)) {
      held.count_down();
      release.wait();
    }
  });
  CallStateChangedMethod change;
  change.setState(1, 2);
  peer_.writeMessage(change);
  held.wait();
  ASSERT_TRUE(session_.CloseCall(3));
  peer_.closeClient();
  release.count_down();

  ASSERT_TRUE(owner_.waitForCount(5));
  EXPECT_EQ(owner_.all<RequestFailedNotification>(),
            (std::vector<RequestFailedNotification>{{"1", 102, "Connection closed remotely"},
                                                    {"2", 102, "Connection closed remotely"},
                                                    {"3", 102, "Connection closed remotely"}}));
  EXPECT_TRUE(std::holds_alternative<DisconnectedNotification>(owner_.notifications().back()));
  EXPECT_FALSE(owner_.waitForCount(6, 100ms));
}

TEST_F(SessionRequestsTest, GetSystemInfoTakesTheAnswerOrReportsFailedOnAFault) {
  login();
  std::atomic<bool> fail = false;
  answer(kGetSystemInfo, [&](const XmlRpcRequestMethod& request) {
    if (fail) {
      FaultResponseMethod fault(kGetSystemInfo);
      fault.setFault(3, "busy");
      return testing::wireText(fault);
    }
    GetSystemInfoResponseMethod info;
    info.setResult(request.idNumber(), "PBX-1", "5.1.26");
    return testing::wireText(info);
  });
  std::string uniqueId, version;
  ASSERT_TRUE(session_.GetSystemInfo(uniqueId, version));
  EXPECT_EQ(uniqueId, "PBX-1");
  EXPECT_EQ(version, "5.1.26");
  fail = true;
  ASSERT_TRUE(session_.GetSystemInfo(uniqueId, version));
  EXPECT_EQ(uniqueId, "(Failed)");
  EXPECT_EQ(version, "(Failed)");
  // A synchronous caller learns of a fault from its result only.
  EXPECT_TRUE(owner_.notifications().empty());
}

TEST_F(SessionRequestsTest, GetWAVFilesListsTheStringsOnly) {
  login();
  answer(kGetFilesList, [](const XmlRpcRequestMethod& request) {
    GetFilesResponseMethod files;
    files.setResult(request.idNumber(), {"x.wav", "y.wav"});
    std::string text = testing::wireText(files);
    const auto at = text.find("<value><string>y.wav");
    text.insert(at, "<value><int>5</int></value>\n");
    return text;
  });
  std::string list = "stale";
  ASSERT_TRUE(session_.GetWAVFiles("101", list));
  EXPECT_EQ(list, "x.wav:y.wav:");
}

TEST_F(SessionRequestsTest, DeleteFileFailsOnAFault) {
  login();
  answer(kDeleteFile, [](const XmlRpcRequestMethod& request) {
    if (static_cast<const FileDeleteMethod&>(request).fileName() == "gone.wav") {
      FaultResponseMethod fault(kDeleteFile);
      fault.setFault(2, "no file");
      return testing::wireText(fault);
    }
    FileDeleteResponseMethod done;
    done.setResult(request.idNumber(), true);
    return testing::wireText(done);
  });
  EXPECT_TRUE(session_.DeleteFile("101", "a.wav"));
  EXPECT_FALSE(session_.DeleteFile("101", "gone.wav"));
}

class SessionUploadTest : public SessionRequestsTest {
 protected:
  std::string makeFile(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + 3);
    std::ofstream(path_, std::ios::binary) << bytes;
    return bytes;
  }

  testsupport::TempFolder folder_;
  std::string path_ = (folder_.path() / "session_upload_msg.wav").string();
};

TEST_F(SessionUploadTest, MissingFileFailsAtOnce) {
  login();
  EXPECT_FALSE(session_.TransferFile("101", path_ + ".missing"));
  EXPECT_FALSE(session_.UpdateConfiguration(folder_.path().string()));  // a folder
  EXPECT_TRUE(peer_.quietFor(100ms));
}

TEST_F(SessionUploadTest, NoFileBytesWithoutTheGoAhead) {
  login();
  makeFile(3000);
  std::atomic<bool> accept = false;
  answer(kBeginFileTransfer, [&](const XmlRpcRequestMethod& request) {
    FileTransferResponseMethod refused;
    refused.setResult(request.idNumber(), accept);
    return testing::wireText(refused);
  });
  EXPECT_FALSE(session_.TransferFile("101", path_));
  accept = true;
  EXPECT_TRUE(session_.TransferFile("101", path_));
  ASSERT_TRUE(peer_.nextMessage());
  ASSERT_TRUE(peer_.nextMessage());
  // The next message is a request: no file bytes came before it.
  ASSERT_TRUE(session_.CloseCall(9));
  const auto close = parsed(peer_.nextMessage());
  ASSERT_TRUE(close);
  EXPECT_EQ(close->type(), kCloseCall);
}

TEST_F(SessionUploadTest, UploadsTheFileInChunksAfterOk) {
  login();
  const std::string bytes = makeFile(2500);
  std::string received;
  std::string name;
  peer_.setHandler([&](ScriptedPeer& peer, const std::string& message) {
    auto request = parsed(message);
    if (!request || request->type() != kBeginFileTransfer) return;
    const auto& transfer = static_cast<const FileTransferMethod&>(*request);
    name = transfer.fileName();
    peer.write(std::string("OK") + std::string(30, '\0'));
    while (received.size() < static_cast<std::size_t>(transfer.size())) {
      const std::string chunk =
          peer.readRaw(std::min<std::size_t>(1024, transfer.size() - received.size()));
      if (chunk.empty()) return;
      received += chunk;
      peer.write("ACK");
    }
    FileTransferResponseMethod done;
    done.setResult(request->idNumber(), true);
    // Written right behind the last acknowledgement, as a careless PBX might.
    peer.writeMessage(done);
  });
  ASSERT_TRUE(session_.TransferFile("101", path_));
  ASSERT_TRUE(peer_.nextMessage());  // after the handler has finished with it
  EXPECT_EQ(name, "session_upload_msg.wav");
  EXPECT_EQ(received, bytes);
}

TEST_F(SessionRequestsTest, CallRoutingAnswersNeedTheSubscription) {
  login();
  EXPECT_FALSE(session_.ResponseToCRCall(5, true));
  const CallId subscription = session_.SubscribeToCR();
  ASSERT_NE(subscription, 0u);
  ASSERT_TRUE(peer_.nextMessage());
  ASSERT_TRUE(session_.ResponseToCRCall(5, true));

  CallOriginatedMethod originated;
  const auto answer = originated.parseResponse(peer_.nextMessage().value_or(""));
  const auto* decision = dynamic_cast<const CallOriginatedResponseMethod*>(answer.get());
  ASSERT_NE(decision, nullptr);
  EXPECT_EQ(decision->decision(), CallOriginatedResponseMethod::kAccept);
  EXPECT_EQ(decision->subscriptionId(), subscription);

  ASSERT_TRUE(session_.Unsubscribe(subscription));
  EXPECT_FALSE(session_.ResponseToCRCall(5, false));
}

}  // namespace
}  // namespace telvane
