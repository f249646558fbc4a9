// The parts of the network layer that several threads touch at once.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "telvane/net/bsd_socket.h"
#include "telvane/net/readiness.h"
#include "telvane/net/socket_errors.h"
#include "telvane/net/wake_event.h"

namespace telvane {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

TEST(NetThreads, ErrorStateStaysWholeUnderConcurrentReports) {
  std::atomic<int> shown{0};
  std::atomic<int> malformed{0};
  SetSocketErrorSink([&](const std::string& text) {
    ++shown;
    if (text.rfind("Worker", 0) != 0 || text.find(" error") == std::string::npos) ++malformed;
  });
  setShowSocketErrors(true);

  std::atomic<bool> done{false};
  std::thread reader([&] {
    while (!done) {
      const std::string text = lastSocketError();
      if (text.rfind("Worker", 0) != 0 && text != "No errors." && text.rfind("Marker", 0) != 0) {
        ++malformed;
      }
      setShowSocketErrors(showSocketErrors());
    }
  });
  std::vector<std::thread> workers;
  for (int worker = 0; worker < 4; ++worker) {
    workers.emplace_back([worker] {
      for (int i = 0; i < 2000; ++i) ReportSocketError("Worker " + std::to_string(worker), i % 3);
    });
  }
  for (std::thread& worker : workers) worker.join();
  done = true;
  reader.join();
  SetSocketErrorSink(nullptr);
  setShowSocketErrors(false);

  EXPECT_EQ(malformed, 0);
  EXPECT_GT(shown, 0);
  EXPECT_EQ(lastSocketError().rfind("Worker", 0), 0u);
}

TEST(NetThreads, SendAllDeliversEverythingToAConcurrentReader) {
  BsdSocket listener(false);
  BsdSocket client(false);
  BsdSocket server(false);
  ASSERT_TRUE(listener.OpenTcp(true, LoopbackAddress(0)));
  ASSERT_TRUE(client.OpenTcp(false, LoopbackAddress(listener.GetSelfPort())));
  ASSERT_EQ(listener.Accept(server), 1);

  std::string data(8 << 20, '\0');
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 31 % 251);
  std::string received;
  std::thread reader([&] {
    std::vector<char> buffer(65536);
    for (;;) {
      const int got = server.Receive(buffer.data(), buffer.size(), 10, 0);
      if (got <= 0) break;
      received.append(buffer.data(), static_cast<std::size_t>(got));
    }
  });
  EXPECT_EQ(client.SendAll(data.data(), data.size(), 10), static_cast<int>(data.size()));
  client.Close();
  reader.join();
  EXPECT_TRUE(received == data);
}

TEST(NetThreads, AnyThreadWakesAWaitingThread) {
  WakeEvent wake;
  ASSERT_TRUE(wake.IsValid());
  BsdSocket silent(false);
  const sockaddr_in loopback = LoopbackAddress(0);
  ASSERT_TRUE(silent.OpenUdp(&loopback));

  WatchedHandle watched[] = {{.handle = silent.GetHandle(), .wantRead = true},
                             {.handle = wake.GetHandle(), .wantRead = true}};
  EXPECT_EQ(WaitForHandles(watched, milliseconds(20)), 0);

  std::thread waker([&] {
    std::this_thread::sleep_for(milliseconds(30));
    wake.Signal();
    wake.Signal();
  });
  EXPECT_EQ(WaitForHandles(watched, seconds(10)), 1);
  waker.join();
  EXPECT_FALSE(watched[0].readable);
  EXPECT_TRUE(watched[1].readable);
  EXPECT_TRUE(wake.Drain());
  EXPECT_FALSE(wake.Drain());  // both signals were taken by one drain
}

TEST(NetThreads, WakeUpSocketTakesBytesFromAnotherThread) {
  BsdSocket wakeUp(true);
  const sockaddr_in loopback = LoopbackAddress(0);
  ASSERT_TRUE(wakeUp.OpenUdp(&loopback));
  ASSERT_TRUE(wakeUp.ChangeMode(kNonBlockingMode));
  sockaddr_in self{};
  wakeUp.CopySelfAddress(self, nullptr);
  ASSERT_TRUE(wakeUp.ConnectEx(self));
  setShowSocketErrors(false);

  constexpr int kBytes = 100;
  std::thread sender([&] {
    for (int i = 0; i < kBytes; ++i) wakeUp.Send("\0", 1, 10, 0);
  });
  int taken = 0;
  char byte;
  while (taken < kBytes && WaitForHandle(wakeUp.GetHandle(), false, seconds(10)) == 1) {
    while (wakeUp.Receive(&byte, 1, 0, 0) == 1) ++taken;
  }
  sender.join();
  EXPECT_EQ(taken, kBytes);
}

}  // namespace
}  // namespace telvane
