#pragma once
// An LDAP server of the test's own on 127.0.0.1: slapd with a slapd.conf, an mdb database and a
// fresh self-signed certificate in a temporary folder, listening for ldap:// (StartTLS) and
// ldaps:// on free ports, stopped with the object. Its entries are loaded before it starts and
// changed with ldapmodify while it runs.
#include <chrono>
#include <fstream>
#include <memory>
#include <string>

#include "platform/outlook/sources/ldap_connection.h"
#include "tests/telvane/net/test_support.h"

namespace testsupport {

class SlapdServer {
 public:
  static constexpr const char* kBase = "dc=example,dc=test";
  static constexpr const char* kAdmin = "cn=admin,dc=example,dc=test";

  // entries: LDIF below kBase (the base entry itself is there already). size_limit: what one
  // search without paging may return.
  explicit SlapdServer(const std::string& entries, int size_limit = 5) {
    namespace net = telvane::testing;
    const auto dir = folder_.path();
    password_ = "pw" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    if (!net::RunCommand(
            {"openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
             "-nodes", "-keyout", (dir / "key.pem").string(), "-out", (dir / "cert.pem").string(),
             "-subj", "/CN=localhost", "-days", "2"},
            dir / "req.log") ||
        !net::RunCommand({"openssl", "x509", "-in", (dir / "cert.pem").string(), "-noout",
                          "-fingerprint", "-sha256"},
                         dir / "fingerprint.txt"))
      return;
    const std::string text = net::ReadFile(dir / "fingerprint.txt");
    fingerprint_ = text.substr(text.find('=') + 1, 95);
    std::filesystem::create_directory(dir / "db");
    // Paged searches may go past the limit, as directories commonly let them.
    std::ofstream(dir / "slapd.conf")
        << "include /etc/ldap/schema/core.schema\n"
        << "include /etc/ldap/schema/cosine.schema\n"
        << "include /etc/ldap/schema/inetorgperson.schema\n"
        << "modulepath /usr/lib/ldap\nmoduleload back_mdb\n"
        << "pidfile " << (dir / "slapd.pid").string() << "\n"
        << "TLSCertificateFile " << (dir / "cert.pem").string() << "\n"
        << "TLSCertificateKeyFile " << (dir / "key.pem").string() << "\n"
        << "sizelimit size.soft=" << size_limit << " size.hard=" << size_limit
        << " size.prtotal=unlimited\n"
        << "database mdb\nmaxsize 1073741824\n"
        << "suffix \"" << kBase << "\"\nrootdn \"" << kAdmin << "\"\nrootpw " << password_ << "\n"
        << "directory " << (dir / "db").string() << "\n";
    std::ofstream(dir / "entries.ldif")
        << "dn: " << kBase << "\nobjectClass: dcObject\nobjectClass: organization\n"
        << "o: Example\ndc: example\n\n"
        << entries;
    if (!net::RunCommand({"/usr/sbin/slapadd", "-q", "-f", (dir / "slapd.conf").string(), "-l",
                          (dir / "entries.ldif").string()},
                         dir / "slapadd.log", std::chrono::seconds(120)))
      return;
    for (int attempt = 0; attempt < 5 && !server_; ++attempt) Start();
  }

  bool running() const { return server_ != nullptr; }
  std::string ldap_url() const { return "ldap://127.0.0.1:" + std::to_string(port_); }
  std::string ldaps_url() const { return "ldaps://127.0.0.1:" + std::to_string(tls_port_); }
  const std::string& fingerprint() const { return fingerprint_; }
  const std::string& admin_password() const { return password_; }
  void Stop() { server_.reset(); }
  // How often the server's log (one line per operation) holds `text` so far.
  int LogCount(const std::string& text) const {
    const std::string log = telvane::testing::ReadFile(folder_.path() / "slapd.log");
    int count = 0;
    for (std::size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
      ++count;
    return count;
  }

  // LDIF for ldapmodify (changetype: add, modify, delete).
  bool Modify(const std::string& ldif) {
    namespace net = telvane::testing;
    const auto file = folder_.path() / ("change" + std::to_string(++changes_) + ".ldif");
    std::ofstream(file) << ldif;
    return net::RunCommand({"ldapmodify", "-a", "-x", "-H", ldap_url(), "-D", kAdmin, "-w",
                            password_, "-f", file.string()},
                           folder_.path() / "ldapmodify.log");
  }

 private:
  void Start() {
    namespace net = telvane::testing;
    port_ = net::FreeLoopbackPort();
    tls_port_ = net::FreeLoopbackPort();
    if (port_ == tls_port_) return;
    const auto dir = folder_.path();
    auto server = net::ChildProcess::Start(
        {"/usr/sbin/slapd", "-d", "stats", "-f", (dir / "slapd.conf").string(), "-h",
         ldap_url() + "/ " + ldaps_url() + "/"},
        dir / "slapd.log");
    if (!server || !net::WaitUntilListening(port_, *server, std::chrono::seconds(20)) ||
        !net::WaitUntilListening(tls_port_, *server, std::chrono::seconds(20)))
      return;
    // Another test's server on one of the ports has another certificate and password.
    platform::outlook::sources::LdapConnection probe({ldaps_url(), kAdmin, password_, fingerprint_},
                                                     {});
    if (probe.Open().ok()) server_ = std::move(server);
  }

  telvane::testing::TempDir folder_;
  std::string password_, fingerprint_;
  std::unique_ptr<telvane::testing::ChildProcess> server_;
  std::uint16_t port_ = 0, tls_port_ = 0;
  int changes_ = 0;
};

}  // namespace testsupport
