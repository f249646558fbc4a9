// TLS channel against a real "openssl s_server" on 127.0.0.1 with certificates made per run.
#include "telvane/net/tls_channel.h"

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "telvane/net/bsd_socket.h"
#include "telvane/net/readiness.h"
#include "tests/telvane/net/test_support.h"

namespace telvane {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using testing::ChildProcess;
using testing::TempDir;

const std::vector<std::string> kEcKey = {"-newkey", "ec", "-pkeyopt",
                                         "ec_paramgen_curve:prime256v1", "-nodes"};
const std::string kLocalNames = "subjectAltName=DNS:localhost,IP:127.0.0.1";

class TlsChannelTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    certs_ = std::make_unique<TempDir>();
    certsMade_ = MakeCertificates(certs_->path());
  }
  static void TearDownTestSuite() { certs_.reset(); }

  static std::string Cert(const char* name) { return (certs_->path() / name).string(); }

  static bool Openssl(std::vector<std::string> arguments, const std::string& log = "openssl.log") {
    arguments.insert(arguments.begin(), "openssl");
    return testing::RunCommand(arguments, certs_->path() / log);
  }

  static std::vector<std::string> With(std::vector<std::string> arguments,
                                       const std::vector<std::string>& more) {
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
  }

  // A CA with a server certificate (valid and expired), and a self-signed certificate.
  static bool MakeCertificates(const std::filesystem::path& dir) {
    std::ofstream(dir / "names.cnf") << kLocalNames << "\n";
    return Openssl(With({"req", "-x509"},
                        With(kEcKey, {"-keyout", Cert("ca.key"), "-out", Cert("ca.pem"), "-subj",
                                      "/CN=Telvane Test CA", "-days", "2", "-addext",
                                      "basicConstraints=critical,CA:TRUE", "-addext",
                                      "keyUsage=keyCertSign,cRLSign"}))) &&
           Openssl(With({"req", "-x509"}, With(kEcKey, {"-keyout", Cert("self.key"), "-out",
                                                        Cert("self.pem"), "-subj", "/CN=localhost",
                                                        "-days", "2", "-addext", kLocalNames}))) &&
           Openssl(
               With({"req", "-new"}, With(kEcKey, {"-keyout", Cert("leaf.key"), "-out",
                                                   Cert("leaf.csr"), "-subj", "/CN=localhost"}))) &&
           SignLeaf("good.pem", "2") && SignLeaf("expired.pem", "-1") &&
           Openssl({"x509", "-in", Cert("self.pem"), "-noout", "-fingerprint", "-sha256"},
                   "fingerprint.txt");
  }

  static bool SignLeaf(const char* out, const char* days) {
    return Openssl({"x509", "-req", "-in", Cert("leaf.csr"), "-CA", Cert("ca.pem"), "-CAkey",
                    Cert("ca.key"), "-CAcreateserial", "-out", Cert(out), "-days", days, "-extfile",
                    Cert("names.cnf")});
  }

  // The fingerprint openssl prints for the self-signed certificate.
  static std::string SelfSignedFingerprint() {
    const std::string text = testing::ReadFile(certs_->path() / "fingerprint.txt");
    const auto equals = text.find('=');
    return equals == std::string::npos ? std::string() : text.substr(equals + 1, 95);
  }

  void SetUp() override { ASSERT_TRUE(certsMade_) << "openssl could not make the certificates"; }

  // Starts s_server on a free port with `options`; returns the port, 0 when it did not come up.
  std::uint16_t StartServer(const std::vector<std::string>& options) {
    const std::uint16_t port = testing::FreeLoopbackPort();
    std::vector<std::string> arguments = {"openssl", "s_server", "-accept",
                                          "127.0.0.1:" + std::to_string(port), "-rev"};
    arguments.insert(arguments.end(), options.begin(), options.end());
    server_ = ChildProcess::Start(arguments, logs_.path() / "s_server.log");
    if (!server_ || !testing::WaitUntilListening(port, *server_, seconds(10))) return 0;
    return port;
  }

  std::uint16_t StartServerWith(const char* cert, const char* key) {
    return StartServer({"-cert", Cert(cert), "-key", Cert(key)});
  }

  TlsConnectResult ConnectTo(std::uint16_t port, const TlsPolicy& policy,
                             const std::string& host = "localhost") {
    if (!socket_.CreateSocketEx(AF_INET, SOCK_STREAM, IPPROTO_TCP) ||
        !socket_.ConnectEx(LoopbackAddress(port))) {
      return {nullptr, "TCP connect failed"};
    }
    return TlsChannel::Connect(context_, socket_, policy, host, seconds(10));
  }

  // Reads until a line end arrives or the server goes away.
  static std::string ReadLine(TlsChannel& channel, int handle) {
    std::string text;
    char buffer[256];
    while (text.find('\n') == std::string::npos) {
      if (!channel.HasBufferedData() && WaitForHandle(handle, false, seconds(10)) <= 0) break;
      const int got = channel.Read(buffer, sizeof buffer);
      if (got < 0) break;
      text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
  }

  static inline std::unique_ptr<TempDir> certs_;
  static inline bool certsMade_ = false;

  TempDir logs_;
  std::unique_ptr<ChildProcess> server_;
  TlsContext context_;
  BsdSocket socket_{false};
};

TEST_F(TlsChannelTest, SelfSignedServerIsAcceptedByDefaultAndCarriesData) {
  const std::uint16_t port = StartServerWith("self.pem", "self.key");
  ASSERT_NE(port, 0);
  TlsConnectResult result = ConnectTo(port, TlsPolicy::AcceptAny());
  ASSERT_TRUE(result) << result.failure;
  TlsChannel& channel = *result.channel;

  EXPECT_EQ(channel.PeerFingerprintText(), SelfSignedFingerprint());
  EXPECT_TRUE(channel.ProtocolVersion() == "TLSv1.2" || channel.ProtocolVersion() == "TLSv1.3");

  const std::string line = "enola ton era uoy\n";
  ASSERT_TRUE(channel.Write(line.data(), line.size(), seconds(5)));
  EXPECT_EQ(ReadLine(channel, socket_.GetHandle()), "you are not alone\n");
  channel.Shutdown(milliseconds(500));
}

TEST_F(TlsChannelTest, ReadReportsTheServerGoingAway) {
  const std::uint16_t port = StartServerWith("self.pem", "self.key");
  ASSERT_NE(port, 0);
  TlsConnectResult result = ConnectTo(port, TlsPolicy::AcceptAny());
  ASSERT_TRUE(result) << result.failure;
  server_.reset();  // kills it

  char buffer[64];
  int got = 0;
  for (int pass = 0; pass < 100 && got >= 0; ++pass) {
    ASSERT_EQ(WaitForHandle(socket_.GetHandle(), false, seconds(10)), 1);
    got = result.channel->Read(buffer, sizeof buffer);
  }
  EXPECT_EQ(got, -1);
}

TEST_F(TlsChannelTest, ExpiredCertificatePassesAcceptAnyButNotVerify) {
  const std::uint16_t port = StartServerWith("expired.pem", "leaf.key");
  ASSERT_NE(port, 0);
  {
    TlsConnectResult accepted = ConnectTo(port, TlsPolicy::AcceptAny());
    EXPECT_TRUE(accepted) << accepted.failure;
    if (accepted) accepted.channel->Shutdown(milliseconds(500));
  }
  socket_.Close();
  TlsConnectResult verified = ConnectTo(port, TlsPolicy::Verify(Cert("ca.pem")));
  EXPECT_FALSE(verified);
  EXPECT_NE(verified.failure.find("expired"), std::string::npos) << verified.failure;
}

TEST_F(TlsChannelTest, VerifyChecksTheChainAndTheHostName) {
  const std::uint16_t port = StartServerWith("good.pem", "leaf.key");
  ASSERT_NE(port, 0);
  for (const char* host : {"localhost", "127.0.0.1"}) {
    TlsConnectResult result = ConnectTo(port, TlsPolicy::Verify(Cert("ca.pem")), host);
    EXPECT_TRUE(result) << host << ": " << result.failure;
    if (result) result.channel->Shutdown(milliseconds(500));
    socket_.Close();
  }
  TlsConnectResult wrongName =
      ConnectTo(port, TlsPolicy::Verify(Cert("ca.pem")), "pbx.example.test");
  EXPECT_FALSE(wrongName);
  EXPECT_NE(wrongName.failure.find("hostname mismatch"), std::string::npos) << wrongName.failure;
  socket_.Close();
  // Not signed by anything in the system's store.
  TlsConnectResult systemStore = ConnectTo(port, TlsPolicy::Verify());
  EXPECT_FALSE(systemStore);
  socket_.Close();
  TlsConnectResult missingFile = ConnectTo(port, TlsPolicy::Verify(Cert("absent.pem")));
  EXPECT_FALSE(missingFile);
  EXPECT_NE(missingFile.failure.find("cannot load"), std::string::npos) << missingFile.failure;
}

TEST_F(TlsChannelTest, ServerLimitedToOldProtocolsIsRefused) {
  const std::uint16_t port =
      StartServer({"-cert", Cert("self.pem"), "-key", Cert("self.key"), "-no_tls1_2", "-no_tls1_3",
                   "-cipher", "DEFAULT@SECLEVEL=0"});
  ASSERT_NE(port, 0);
  TlsConnectResult result = ConnectTo(port, TlsPolicy::AcceptAny());
  EXPECT_FALSE(result);
  EXPECT_NE(result.failure.find("protocol version"), std::string::npos) << result.failure;
}

TEST_F(TlsChannelTest, ServerWithoutCertificateIsRefused) {
  const std::uint16_t port = StartServer({"-nocert", "-cipher", "aNULL@SECLEVEL=0", "-no_tls1_3"});
  ASSERT_NE(port, 0);
  EXPECT_FALSE(ConnectTo(port, TlsPolicy::AcceptAny()));
}

TEST_F(TlsChannelTest, PinnedFingerprintDecides) {
  const std::uint16_t port = StartServerWith("self.pem", "self.key");
  ASSERT_NE(port, 0);
  std::string plain;  // the same pin written without colons, in lower case
  for (char c : SelfSignedFingerprint()) {
    if (c != ':') plain += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  for (const std::string& pin : {SelfSignedFingerprint(), plain}) {
    TlsConnectResult result = ConnectTo(port, TlsPolicy::Pin(pin));
    EXPECT_TRUE(result) << pin << ": " << result.failure;
    if (result) result.channel->Shutdown(milliseconds(500));
    socket_.Close();
  }
  std::string wrong = plain;
  wrong[0] = wrong[0] == '0' ? '1' : '0';
  TlsConnectResult mismatch = ConnectTo(port, TlsPolicy::Pin(wrong));
  EXPECT_FALSE(mismatch);
  EXPECT_NE(mismatch.failure.find("not the pinned one"), std::string::npos) << mismatch.failure;
  socket_.Close();
  EXPECT_FALSE(ConnectTo(port, TlsPolicy::Pin("not a fingerprint")));
}

TEST_F(TlsChannelTest, HandshakeGivesUpAtItsLimit) {
  // A listener that never answers: the connect completes in its backlog, the handshake cannot.
  BsdSocket silent(false);
  ASSERT_TRUE(silent.OpenTcp(true, LoopbackAddress(0)));
  ASSERT_TRUE(socket_.CreateSocketEx(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  ASSERT_TRUE(socket_.ConnectEx(LoopbackAddress(silent.GetSelfPort())));

  const auto start = std::chrono::steady_clock::now();
  TlsConnectResult result = TlsChannel::Connect(context_, socket_, TlsPolicy::AcceptAny(),
                                                "localhost", milliseconds(300));
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_FALSE(result);
  EXPECT_EQ(result.failure, "TLS handshake timed out");
  EXPECT_GE(took, milliseconds(290));
  EXPECT_LT(took, seconds(5));
}

}  // namespace
}  // namespace telvane
