#include "telvane/net/bsd_socket.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <netdb.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "telvane/net/host_lookup.h"
#include "telvane/net/socket_errors.h"
#include "tests/support/held_port.h"
#include "tests/telvane/net/test_support.h"

namespace telvane {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;
using std::chrono::seconds;
using Clock = std::chrono::steady_clock;

// A TCP connection over loopback: `client` connected to `server`, accepted from `listener`.
struct LoopbackPair {
  BsdSocket listener{false};
  BsdSocket client{false};
  BsdSocket server{false};

  bool Open() {
    return listener.OpenTcp(true, LoopbackAddress(0)) &&
           client.OpenTcp(false, LoopbackAddress(listener.GetSelfPort())) &&
           listener.Accept(server) == 1;
  }
};

// Makes the next close of `socket` send a reset instead of an orderly end.
void ResetOnClose(BsdSocket& socket) {
  const linger abrupt{.l_onoff = 1, .l_linger = 0};
  ASSERT_TRUE(socket.SetOption(SOL_SOCKET, SO_LINGER, &abrupt, sizeof abrupt));
}

// Leaves a known text in the error state, so tests can see that nothing else was reported.
void Mark() {
  ReportSocketError("Marker", 0);
}

bool IsCloseOnExec(int handle) {
  return (fcntl(handle, F_GETFD) & FD_CLOEXEC) != 0;
}

TEST(BsdSocket, TimeoutCountsSecondsUpTo3600AndMicrosecondsAbove) {
  EXPECT_EQ(WaitLimitFromTimeout(0), microseconds(0));
  EXPECT_EQ(WaitLimitFromTimeout(10), seconds(10));
  EXPECT_EQ(WaitLimitFromTimeout(3600), seconds(3600));
  EXPECT_EQ(WaitLimitFromTimeout(3601), microseconds(3601));
  EXPECT_EQ(WaitLimitFromTimeout(5000), microseconds(5000));
  EXPECT_EQ(WaitLimitFromTimeout(kNoTimeLimit), std::nullopt);
}

TEST(BsdSocket, TcpConnectionCarriesDataAndReportsThePeersEnd) {
  LoopbackPair pair;
  ASSERT_TRUE(pair.Open()) << lastSocketError();
  EXPECT_NE(pair.listener.GetSelfPort(), 0);
  EXPECT_NE(pair.client.GetSelfPort(), 0);
  EXPECT_EQ(PortOf(pair.server.GetPeerAddress(nullptr).address), pair.client.GetSelfPort());
  EXPECT_EQ(pair.server.GetType(), SOCK_STREAM);
  EXPECT_EQ(pair.server.GetProtocol(), IPPROTO_TCP);
  for (BsdSocket* socket : {&pair.listener, &pair.client, &pair.server}) {
    EXPECT_TRUE(IsCloseOnExec(socket->GetHandle()));
  }

  ASSERT_EQ(pair.client.Send("ping", 4, 10, 0), 4);
  char buffer[16] = {};
  ASSERT_EQ(pair.server.Receive(buffer, sizeof buffer, 10, 0), 4);
  EXPECT_EQ(std::string(buffer, 4), "ping");

  ASSERT_TRUE(pair.client.Close());
  EXPECT_EQ(pair.server.Receive(buffer, sizeof buffer, 10, 0), kPeerGone);

  BsdSocket occupied(false);
  ASSERT_TRUE(occupied.OpenUdp(nullptr));
  EXPECT_EQ(pair.listener.Accept(occupied), 0);
  EXPECT_EQ(lastSocketError(), "Not empty socket for Accept error");
}

TEST(BsdSocket, BoundClientUsesTheGivenLocalPortOnTheRoutedAddress) {
  BsdSocket listener(false);
  ASSERT_TRUE(listener.OpenTcp(true, LoopbackAddress(0)));
  const std::uint16_t localPort = testing::FreeLoopbackPort();
  BsdSocket client(false);
  ASSERT_TRUE(client.OpenTcp(false, LoopbackAddress(listener.GetSelfPort()), localPort, 0))
      << lastSocketError();
  EXPECT_EQ(client.GetSelfPort(), localPort);
  sockaddr_in self{};
  ASSERT_TRUE(client.CopySelfAddress(self, nullptr));
  EXPECT_EQ(FormatAddress(self), "127.0.0.1:" + std::to_string(localPort));
}

TEST(BsdSocket, SecondCreateFailsAndKeepsTheFirstSocket) {
  BsdSocket socket(false);
  ASSERT_TRUE(socket.CreateSocketEx(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  const int first = socket.GetHandle();
  EXPECT_FALSE(socket.CreateSocketEx(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  EXPECT_EQ(lastSocketError(), "Socket already created error");
  EXPECT_EQ(socket.GetHandle(), first);
  EXPECT_NE(fcntl(first, F_GETFD), -1);
}

TEST(BsdSocket, ChangeModeTouchesTheSystemOnlyOnAChange) {
  BsdSocket socket(false);
  EXPECT_FALSE(socket.ChangeMode(kNonBlockingMode));
  EXPECT_EQ(lastSocketError(), "Change mode for empty socket error");

  ASSERT_TRUE(socket.CreateSocketEx(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  const int handle = socket.GetHandle();
  ASSERT_TRUE(socket.ChangeMode(kNonBlockingMode));
  EXPECT_NE(fcntl(handle, F_GETFL) & O_NONBLOCK, 0);
  // Undo it behind the object's back: the repeated call must not notice.
  fcntl(handle, F_SETFL, fcntl(handle, F_GETFL) & ~O_NONBLOCK);
  EXPECT_TRUE(socket.ChangeMode(7));  // anything but 1 means non-blocking
  EXPECT_EQ(fcntl(handle, F_GETFL) & O_NONBLOCK, 0);

  ASSERT_TRUE(socket.Close());
  EXPECT_EQ(socket.GetMode(), kBlockingMode);
  EXPECT_EQ(socket.GetHandle(), -1);
}

TEST(BsdSocket, TransfersWithoutASocketReportEmptySocket) {
  BsdSocket socket(false);
  char buffer[4];
  Mark();
  EXPECT_EQ(socket.Send("x", 1, 10, 0), 0);
  EXPECT_EQ(lastSocketError(), "Empty socket error");
  Mark();
  EXPECT_EQ(socket.ReceiveDatagram(buffer, sizeof buffer, nullptr, 10, 0), 0);
  EXPECT_EQ(lastSocketError(), "Empty socket error");
  int value = 1;
  EXPECT_FALSE(socket.SetOption(SOL_SOCKET, SO_KEEPALIVE, &value, sizeof value));
}

TEST(BsdSocket, BlockingReceiveWaitsAtMostItsTimeout) {
  LoopbackPair pair;
  ASSERT_TRUE(pair.Open());
  char buffer[8];
  struct Case {
    int timeout;
    milliseconds atLeast, below;
  };
  for (const Case& c : {Case{2, milliseconds(1990), milliseconds(6000)},
                        Case{5000, milliseconds(5), milliseconds(1000)}}) {
    Mark();
    const auto start = Clock::now();
    EXPECT_EQ(pair.server.Receive(buffer, sizeof buffer, c.timeout, 0), kTimedOut);
    const auto took = Clock::now() - start;
    EXPECT_GE(took, c.atLeast) << c.timeout;
    EXPECT_LT(took, c.below) << c.timeout;
    EXPECT_EQ(lastSocketError(), "Receive timeout error");
  }
}

TEST(BsdSocket, NonBlockingReceiveReportsNeitherWouldBlockNorAReset) {
  LoopbackPair pair;
  ASSERT_TRUE(pair.Open());
  ASSERT_TRUE(pair.server.ChangeMode(kNonBlockingMode));
  char buffer[8];
  Mark();
  EXPECT_EQ(pair.server.Receive(buffer, sizeof buffer, 10, 0), 0);

  ResetOnClose(pair.client);
  pair.client.Close();
  ASSERT_EQ(WaitForHandle(pair.server.GetHandle(), false, seconds(5)), 1);
  EXPECT_EQ(pair.server.Receive(buffer, sizeof buffer, 10, 0), kPeerGone);
  EXPECT_EQ(lastSocketError(), "Marker error");
}

TEST(BsdSocket, BlockingReceiveReportsAReset) {
  LoopbackPair pair;
  ASSERT_TRUE(pair.Open());
  ResetOnClose(pair.client);
  pair.client.Close();
  char buffer[8];
  EXPECT_EQ(pair.server.Receive(buffer, sizeof buffer, 10, 0), kTransferFailed);
  EXPECT_EQ(lastSocketError(), "Receive error #" + std::to_string(ECONNRESET));
}

TEST(BsdSocket, SendingToAVanishedPeerFailsWithoutSigpipe) {
  LoopbackPair pair;
  ASSERT_TRUE(pair.Open());
  ResetOnClose(pair.server);
  pair.server.Close();
  int result = 0;
  for (int attempt = 0; attempt < 100 && result >= 0; ++attempt) {
    result = pair.client.Send("data", 4, 10, 0);
  }
  EXPECT_EQ(result, kTransferFailed);  // and the process is still alive
  EXPECT_EQ(lastSocketError().rfind("Send error #", 0), 0u) << lastSocketError();
}

TEST(BsdSocket, BlockingConnectToAClosedPortFailsAndCloses) {
  BsdSocket socket(false);
  ASSERT_TRUE(socket.CreateSocketEx(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  const testsupport::ClosedPort closed;
  EXPECT_FALSE(socket.ConnectEx(LoopbackAddress(closed.port())));
  EXPECT_EQ(lastSocketError(), "ConnectEx error #" + std::to_string(ECONNREFUSED));
  EXPECT_EQ(socket.GetHandle(), -1);
}

TEST(BsdSocket, NonBlockingConnectFinishesLater) {
  BsdSocket listener(false);
  ASSERT_TRUE(listener.OpenTcp(true, LoopbackAddress(0)));
  struct Case {
    std::uint16_t port;
    int outcome;
  };
  const testsupport::ClosedPort closed;
  for (const Case& c : {Case{listener.GetSelfPort(), 0}, Case{closed.port(), ECONNREFUSED}}) {
    BsdSocket socket(false);
    ASSERT_TRUE(socket.CreateSocketEx(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    ASSERT_TRUE(socket.ChangeMode(kNonBlockingMode));
    ASSERT_TRUE(socket.ConnectEx(LoopbackAddress(c.port)));
    ASSERT_EQ(WaitForHandle(socket.GetHandle(), true, seconds(5)), 1);
    EXPECT_EQ(socket.GetPendingError(), c.outcome) << c.port;
  }
}

TEST(BsdSocket, DatagramsKeepTheirSenderAndOversizedOnesFillTheBuffer) {
  BsdSocket sender(false);
  BsdSocket receiver(false);
  const sockaddr_in any = LoopbackAddress(0);
  ASSERT_TRUE(sender.OpenUdp(&any));
  ASSERT_TRUE(receiver.OpenUdp(&any));
  EXPECT_EQ(receiver.GetType(), SOCK_DGRAM);
  const sockaddr_in target = receiver.GetSelfAddress(nullptr).address;

  ASSERT_EQ(sender.SendDatagram("hello", 5, &target, 10, 0), 5);
  char buffer[16] = {};
  sockaddr_in from{};
  ASSERT_EQ(receiver.ReceiveDatagram(buffer, sizeof buffer, &from, 10, 0), 5);
  EXPECT_EQ(PortOf(from), sender.GetSelfPort());

  sender.SetPeerAddr(target);  // the remote address stands in for a missing destination
  ASSERT_EQ(sender.SendDatagram("0123456789", 10, nullptr, 10, 0), 10);
  EXPECT_EQ(receiver.ReceiveDatagram(buffer, 4, nullptr, 10, MSG_PEEK), kTransferFailed);
  EXPECT_EQ(lastSocketError(), "ReceiveDatagram error #" + std::to_string(EMSGSIZE));
  EXPECT_EQ(receiver.ReceiveDatagram(buffer, 4, nullptr, 10, 0), 4);
  EXPECT_EQ(std::string(buffer, 4), "0123");
}

TEST(BsdSocket, SelfConnectedDatagramSocketWakesItself) {
  BsdSocket wakeUp(false);
  const sockaddr_in loopback = LoopbackAddress(0);
  ASSERT_TRUE(wakeUp.OpenUdp(&loopback));
  ASSERT_TRUE(wakeUp.ChangeMode(kNonBlockingMode));
  sockaddr_in self{};
  ASSERT_TRUE(wakeUp.CopySelfAddress(self, nullptr));
  ASSERT_TRUE(wakeUp.ConnectEx(self));

  char byte = 1;
  EXPECT_EQ(wakeUp.Receive(&byte, 1, 0, 0), 0);
  ASSERT_EQ(wakeUp.Send("\0", 1, 10, 0), 1);
  ASSERT_EQ(WaitForHandle(wakeUp.GetHandle(), false, seconds(5)), 1);
  EXPECT_EQ(wakeUp.Receive(&byte, 1, 0, 0), 1);
  EXPECT_EQ(byte, 0);
}

TEST(BsdSocket, OptionsAreSetAndReadBack) {
  BsdSocket socket(false);
  ASSERT_TRUE(socket.CreateSocketEx(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  const int on = 1;
  ASSERT_TRUE(socket.SetOption(SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on));
  int value = 0;
  socklen_t length = sizeof value;
  ASSERT_TRUE(socket.GetOption(SOL_SOCKET, SO_KEEPALIVE, &value, &length));
  EXPECT_EQ(value, 1);
}

TEST(HostLookup, NamesAndAddressesResolveLocally) {
  sockaddr_in address{};
  ASSERT_TRUE(GetHostByName("127.0.0.1", address));
  EXPECT_EQ(FormatAddress(address), "127.0.0.1:0");
  ASSERT_TRUE(GetHostByName("localhost", address));
  EXPECT_EQ(FormatAddress(address), "127.0.0.1:0");

  const auto name = GetHostByAddr(LoopbackAddress(0));
  ASSERT_TRUE(name.has_value()) << lastSocketError();
  EXPECT_FALSE(name->empty());

  std::vector<AddressRecord> records;
  std::string host;
  const int count = GetLocalHost(records, &host);
  EXPECT_EQ(count, static_cast<int>(records.size()));
  for (const AddressRecord& record : records) EXPECT_EQ(record.address.sin_port, 0);
  if (count > 0) {
    EXPECT_EQ(host, MachineName());
  }
}

TEST(HostLookup, UnknownNameYieldsTheZeroAddressAndTheResolversCode) {
  // A label longer than 63 characters cannot be asked for, so no query leaves the machine.
  const std::string unknown = std::string(70, 'q') + ".invalid";
  sockaddr_in address = LoopbackAddress(80);
  EXPECT_FALSE(GetHostByName(unknown, address));
  const sockaddr_in zero{};
  EXPECT_EQ(std::memcmp(&address, &zero, sizeof zero), 0);
  EXPECT_EQ(lastSocketError(), "GetHostByName error #" + std::to_string(EAI_NONAME));
}

}  // namespace
}  // namespace telvane
