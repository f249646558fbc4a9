// Notifications the PBX sends while a prompt file is uploaded: before the go-ahead, between the
// acknowledgements and right behind the answer, with acknowledgements of several sizes and every
// write cut in two so that the session reads the pieces apart.
#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "session_test_support.h"
#include "telvane/protocol/call_events.h"
#include "telvane/protocol/method_factory.h"
#include "telvane/protocol/system_service.h"
#include "telvane/session/pbx_session.h"
#include "telvane/xmlrpc/method_table.h"
#include "tests/support/temp_folder.h"

namespace telvane {
namespace {

using namespace std::chrono_literals;
using testing::LoggedInSessionTest;
using testing::ScriptedPeer;

constexpr std::size_t kFileSize = 2500;  // three chunks

std::string padded(std::string text, std::size_t size) {
  text.resize(size, '\0');
  return text;
}

class SessionUploadInterleaveTest : public LoggedInSessionTest {
 protected:
  void SetUp() override {
    LoggedInSessionTest::SetUp();
    std::ofstream(path_, std::ios::binary) << std::string(kFileSize, 'w');
  }

  // The next notification's wire text; its call ID counts the notifications sent.
  std::string event() {
    CallStateChangedMethod changed;
    changed.setState(++sent_, 2);
    return testing::wireText(changed);
  }

  // Writes `bytes` in two pieces, cut at `cut` (or at the end), with a pause between.
  static void writeCut(ScriptedPeer& peer, const std::string& bytes, std::size_t cut) {
    cut = std::min(cut, bytes.size());
    peer.write(bytes.substr(0, cut));
    std::this_thread::sleep_for(2ms);
    peer.write(bytes.substr(cut));
  }

  testsupport::TempFolder folder_;
  std::string path_ = (folder_.path() / "interleaved.wav").string();
  std::uint64_t sent_ = 0;
};

TEST_F(SessionUploadInterleaveTest, NotificationsAroundTheHandshakeArriveWhole) {
  // Go-ahead, then one acknowledgement per chunk: unpadded, padded, longer than 32 bytes.
  const std::vector<std::string> handshakes = {padded("OK", 32), "A", padded("ACK", 32),
                                               padded("ACK", 45)};
  for (const std::size_t cut : {1, 2, 3, 20, 33, 34, 60, 100, 200, 400}) {
    SCOPED_TRACE(cut);
    const std::uint64_t first = sent_ + 1;
    std::string received;
    peer_.setHandler([&](ScriptedPeer& peer, const std::string& message) {
      ParsedCall call = parsePbxMethodCall(message);
      if (!call.method) return;
      if (call.method->type() == kCloseCall) {
        auto reply = call.method->createResponse(false);
        reply->setId(call.method->idNumber());
        peer.writeMessage(*reply);
      }
      if (call.method->type() != kBeginFileTransfer) return;
      std::string opening = event();
      opening += handshakes[0];
      opening += event();
      writeCut(peer, opening, cut);
      for (std::size_t step = 1; step < handshakes.size(); ++step) {
        const std::string chunk =
            peer.readRaw(std::min<std::size_t>(1024, kFileSize - received.size()));
        if (chunk.empty()) return;
        received += chunk;
        std::string bytes = event() + handshakes[step];
        if (step + 1 == handshakes.size()) {
          FileTransferResponseMethod done;
          done.setResult(call.method->idNumber(), true);
          bytes += testing::wireText(done);
        }
        bytes += event();
        writeCut(peer, bytes, cut);
      }
    });
    ASSERT_TRUE(session_.TransferFile("101", path_));
    ASSERT_TRUE(peer_.nextMessage());  // the request, once the handler has finished with it
    EXPECT_EQ(received, std::string(kFileSize, 'w'));
    const std::uint64_t last = first + 2 * handshakes.size() - 1;
    ASSERT_TRUE(owner_.waitForMatch([&](const Notification& n) {
      const auto* changed = std::get_if<CallStateChangedNotification>(&n);
      return changed != nullptr && changed->callId == formatId(last);
    }));
    std::vector<std::string> ids;
    for (const auto& changed : owner_.all<CallStateChangedNotification>()) {
      if (parseId(changed.callId) >= first) ids.push_back(changed.callId);
    }
    std::vector<std::string> expected;
    for (std::uint64_t id = first; id <= last; ++id) expected.push_back(formatId(id));
    EXPECT_EQ(ids, expected);
    // Each was acknowledged as a whole message: the session answered every one.
    for (std::size_t i = 0; i < expected.size(); ++i) ASSERT_TRUE(peer_.nextMessage());
    // The next request stands alone: nothing of the handshake went into it.
    ASSERT_TRUE(session_.CloseCall(7));
    const auto close = peer_.nextMessage();
    ASSERT_TRUE(close);
    ParsedCall parsed = parsePbxMethodCall(*close);
    ASSERT_TRUE(parsed.method);
    EXPECT_EQ(parsed.method->type(), kCloseCall);
  }
}

TEST_F(SessionUploadInterleaveTest, AnAnswerInsteadOfTheGoAheadEndsTheWaitAtOnce) {
  peer_.setHandler([&](ScriptedPeer& peer, const std::string& message) {
    ParsedCall call = parsePbxMethodCall(message);
    if (!call.method || call.method->type() != kBeginFileTransfer) return;
    FileTransferResponseMethod refused;
    refused.setResult(call.method->idNumber(), false);
    writeCut(peer, event() + testing::wireText(refused), 5);
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(session_.TransferFile("101", path_));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
  EXPECT_TRUE(owner_.waitForCount(1));
}

}  // namespace
}  // namespace telvane
