// A PBX that takes an upload slowly, acknowledging each chunk just within the time-out. The host
// gives up on the upload at its wait limit; closing the session must not then wait for the rest
// of the file.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <memory>
#include <thread>

#include "telvane/session/pbx_session.h"
#include "tests/support/temp_folder.h"
#include "tests/telvane/session/session_test_support.h"

namespace telvane::testing {
namespace {

using Clock = std::chrono::steady_clock;

std::string handshake(const char* text) {
  std::string bytes(text);
  bytes.resize(32, '\0');
  return bytes;
}

TEST(SlowUploadTest, ClosingTheSessionStopsTheUpload) {
  ScriptedPeer peer;
  std::atomic<int> chunks{0};
  peer.setHandler([&](ScriptedPeer& p, const std::string& message) {
    if (message.find("beginfiletransfer") == std::string::npos) return;
    if (!p.write(handshake("OK"))) return;
    for (;;) {
      if (p.readRaw(1024, 2s).empty()) return;
      ++chunks;
      std::this_thread::sleep_for(200ms);
      if (!p.write(handshake("ACK"))) return;
    }
  });
  testsupport::TempFolder folder;
  const auto path = folder.path() / "prompt.wav";
  std::ofstream(path) << std::string(128 * 1024, 'p');  // 128 chunks, about 26 s at this pace

  RecordingOwner owner;
  auto session = std::make_unique<PbxSession>(owner);
  ASSERT_TRUE(session->Connect("127.0.0.1", peer.port(), 1, "101", "secret"));
  EXPECT_FALSE(session->TransferFile("101", path.string()));  // its wait limit: 6 s
  EXPECT_GT(chunks.load(), 0);
  const auto start = Clock::now();
  EXPECT_TRUE(session->Disconnect());
  session.reset();
  EXPECT_LT(Clock::now() - start, 3s) << "the close waited for the upload";
  EXPECT_LT(chunks.load(), 128);
}

}  // namespace
}  // namespace telvane::testing
