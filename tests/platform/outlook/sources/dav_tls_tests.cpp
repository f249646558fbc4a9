// The client's TLS against openssl's own test server with a self-signed certificate: the system's
// CAs refuse it, a pin of its fingerprint accepts it, another pin names the fingerprint it saw.
// In its file-serving mode the server answers with files that hold a whole HTTP response, which
// is how a redirect to plain http is staged.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/outlook/sources/dav_client.h"
#include "tests/telvane/net/test_support.h"

namespace platform::outlook::sources {
namespace {

namespace net = telvane::testing;

class DavTlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto dir = certs_.path();
    ASSERT_TRUE(net::RunCommand(
        {"openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
         "-nodes", "-keyout", (dir / "key.pem").string(), "-out", (dir / "cert.pem").string(),
         "-subj", "/CN=localhost", "-days", "2"},
        dir / "req.log"));
    ASSERT_TRUE(net::RunCommand({"openssl", "x509", "-in", (dir / "cert.pem").string(), "-noout",
                                 "-fingerprint", "-sha256"},
                                dir / "fingerprint.txt"));
    const std::string text = net::ReadFile(dir / "fingerprint.txt");
    fingerprint_ = text.substr(text.find('=') + 1, 95);
    port_ = net::FreeLoopbackPort();
    {
      std::ofstream(dir / "page", std::ios::binary)
          << "HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhello";
      std::ofstream(dir / "moved", std::ios::binary)
          << "HTTP/1.0 302 Found\r\nLocation: http://127.0.0.1:" << port_ << "/page\r\n\r\n";
    }
    // -HTTP serves files relative to the working folder.
    server_ = net::ChildProcess::Start({"sh", "-c",
                                        "cd \"$0\" && exec openssl s_server -accept 127.0.0.1:$1 "
                                        "-HTTP -cert cert.pem -key key.pem",
                                        dir.string(), std::to_string(port_)},
                                       dir / "s_server.log");
    ASSERT_TRUE(server_ && net::WaitUntilListening(port_, *server_, std::chrono::seconds(10)));
  }
  DavAnswer Get(const std::string& pin, const std::string& path = "page") {
    DavClient client({"", "", pin});
    return client.Send(
        {"GET", "https://127.0.0.1:" + std::to_string(port_) + "/" + path, "", -1, ""});
  }

  net::TempDir certs_;
  std::string fingerprint_;
  std::uint16_t port_ = 0;
  std::unique_ptr<net::ChildProcess> server_;
};

TEST_F(DavTlsTest, APinStandsInForTheCasAndAMismatchSaysWhatWasSeen) {
  const DavAnswer unpinned = Get("");
  EXPECT_EQ(unpinned.failure, DavFailure::kTls);
  EXPECT_EQ(unpinned.error.rfind("TLS failed: ", 0), 0u) << unpinned.error;

  const DavAnswer pinned = Get(fingerprint_);
  EXPECT_TRUE(pinned.ok()) << pinned.error;
  EXPECT_EQ(pinned.status, 200);
  EXPECT_EQ(pinned.body, "hello");

  std::string other = fingerprint_;
  other[0] = other[0] == 'A' ? 'B' : 'A';
  const DavAnswer mismatch = Get(other);
  EXPECT_EQ(mismatch.failure, DavFailure::kTls);
  EXPECT_EQ(mismatch.error,
            "the server's certificate (SHA-256 " + fingerprint_ + ") does not match the pin");
}

TEST_F(DavTlsTest, ARedirectFromHttpsToPlainHttpIsNotFollowed) {
  const DavAnswer moved = Get(fingerprint_, "moved");
  EXPECT_EQ(moved.failure, DavFailure::kRedirect);
  EXPECT_EQ(moved.error, "a redirect from https to http was refused");
}

}  // namespace
}  // namespace platform::outlook::sources
