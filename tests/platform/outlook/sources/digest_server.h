#pragma once
// A small WebDAV server of the tests on 127.0.0.1: one address book behind Digest
// authentication (MD5, qop=auth), without sync-collection, so a client must fall back to ETags.
// It also answers /loop with a redirect to itself and /big with more than any limit, and counts
// the requests it refused. One thread, one connection and one request at a time.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/evp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace testsupport {

class DigestDavServer {
 public:
  DigestDavServer(std::string user, std::string password)
      : user_(std::move(user)), password_(std::move(password)) {
    listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    if (listen_ < 0 || ::bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::listen(listen_, 8) != 0 ||
        ::getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &size) != 0)
      return;
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~DigestDavServer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (listen_ >= 0) ::close(listen_);
  }
  DigestDavServer(const DigestDavServer&) = delete;
  DigestDavServer& operator=(const DigestDavServer&) = delete;

  std::uint16_t port() const { return port_; }
  std::string url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  // href -> (etag, card)
  void SetCard(const std::string& name, const std::string& etag, const std::string& card) {
    std::lock_guard lock(mutex_);
    cards_["/book/" + name] = {etag, card};
  }
  void RemoveCard(const std::string& name) {
    std::lock_guard lock(mutex_);
    cards_.erase("/book/" + name);
  }
  int Refused() const { return refused_; }
  int Authenticated() const { return authenticated_; }

 private:
  static std::string Md5(const std::string& text) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(text.data(), text.size(), digest, &length, EVP_md5(), nullptr);
    std::string hex;
    char two[3];
    for (unsigned int i = 0; i < length; ++i) {
      std::snprintf(two, sizeof two, "%02x", digest[i]);
      hex += two;
    }
    return hex;
  }
  static std::map<std::string, std::string> Params(const std::string& header) {
    std::map<std::string, std::string> out;
    std::size_t at = header.find(' ');
    while (at != std::string::npos && at < header.size()) {
      while (at < header.size() && (header[at] == ' ' || header[at] == ',')) ++at;
      const std::size_t eq = header.find('=', at);
      if (eq == std::string::npos) break;
      std::string name = header.substr(at, eq - at);
      std::string value;
      at = eq + 1;
      if (at < header.size() && header[at] == '"') {
        const std::size_t close = header.find('"', at + 1);
        value = header.substr(at + 1, close - at - 1);
        at = close == std::string::npos ? close : close + 1;
      } else {
        const std::size_t comma = header.find(',', at);
        value = header.substr(at, comma - at);
        at = comma;
      }
      out[name] = value;
    }
    return out;
  }
  bool Authorized(const std::string& method, const std::string& authorization) {
    if (authorization.rfind("Digest ", 0) != 0) return false;
    auto p = Params(authorization);
    const std::string ha1 = Md5(user_ + ":" + kRealm + ":" + password_);
    const std::string ha2 = Md5(method + ":" + p["uri"]);
    const std::string expected = Md5(ha1 + ":" + p["nonce"] + ":" + p["nc"] + ":" + p["cnonce"] +
                                     ":" + p["qop"] + ":" + ha2);
    return p["username"] == user_ && p["nonce"] == kNonce && p["response"] == expected;
  }
  std::string Multistatus(const std::string& method, int depth, const std::string& body) {
    std::lock_guard lock(mutex_);
    std::string out =
        "<?xml version=\"1.0\"?><multistatus xmlns=\"DAV:\" "
        "xmlns:C=\"urn:ietf:params:xml:ns:carddav\">";
    auto member = [&](const std::string& href, const std::string& props) {
      out += "<response><href>" + href + "</href><propstat><prop>" + props +
             "</prop><status>HTTP/1.1 200 OK</status></propstat></response>";
    };
    if (method == "PROPFIND") {
      member("/book/",
             "<resourcetype><collection/><C:addressbook/></resourcetype>"
             "<displayname>Digest Book</displayname>");
      if (depth == 1)
        for (const auto& [href, card] : cards_)
          member(href, "<getetag>" + card.first + "</getetag>");
    } else {  // addressbook-multiget
      for (const auto& [href, card] : cards_)
        if (body.find("<D:href>" + href + "</D:href>") != std::string::npos)
          member(href, "<getetag>" + card.first + "</getetag><C:address-data>" + card.second +
                           "</C:address-data>");
    }
    return out + "</multistatus>";
  }
  void Answer(int fd, const std::string& status, const std::string& headers,
              const std::string& body) {
    const std::string text = "HTTP/1.1 " + status +
                             "\r\nContent-Length: " + std::to_string(body.size()) +
                             "\r\nConnection: close\r\n" + headers + "\r\n" + body;
    std::size_t done = 0;
    while (done < text.size()) {
      const ssize_t n = ::send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
      if (n <= 0) return;
      done += static_cast<std::size_t>(n);
    }
  }
  // One request: false when the connection is done.
  bool Handle(int fd, std::string& buffer) {
    std::size_t end;
    while ((end = buffer.find("\r\n\r\n")) == std::string::npos) {
      if (!Read(fd, buffer)) return false;
    }
    const std::string head = buffer.substr(0, end);
    std::size_t length = 0;
    std::string authorization;
    int depth = -1;
    std::size_t line = head.find("\r\n");
    while (line != std::string::npos) {
      const std::size_t next = head.find("\r\n", line + 2);
      const std::string h = head.substr(line + 2, next - line - 2);
      auto value = [&h] { return h.substr(h.find(':') + 2); };
      if (h.rfind("Content-Length:", 0) == 0) length = std::stoul(value());
      if (h.rfind("Authorization:", 0) == 0) authorization = value();
      if (h.rfind("Depth:", 0) == 0) depth = std::stoi(value());
      line = next;
    }
    while (buffer.size() < end + 4 + length) {
      if (!Read(fd, buffer)) return false;
    }
    const std::string body = buffer.substr(end + 4, length);
    buffer.erase(0, end + 4 + length);
    const std::string method = head.substr(0, head.find(' '));
    const std::size_t path_at = head.find(' ') + 1;
    const std::string path = head.substr(path_at, head.find(' ', path_at) - path_at);

    if (path == "/loop") {
      Answer(fd, "301 Moved", "Location: /loop\r\n", "");
    } else if (path == "/big") {
      Answer(fd, "207 Multi-Status", "", std::string(64 * 1024, ' '));
    } else if (!Authorized(method, authorization)) {
      ++refused_;
      Answer(fd, "401 Unauthorized",
             std::string("WWW-Authenticate: Digest realm=\"") + kRealm + "\", nonce=\"" + kNonce +
                 "\", qop=\"auth\", algorithm=MD5\r\n",
             "");
    } else if (method == "REPORT" && body.find("sync-collection") != std::string::npos) {
      ++authenticated_;
      Answer(fd, "501 Not Implemented", "", "");
    } else {
      ++authenticated_;
      Answer(fd, "207 Multi-Status", "Content-Type: application/xml\r\n",
             Multistatus(method, depth, body));
    }
    return false;  // one request a connection keeps the server simple
  }
  bool Read(int fd, std::string& buffer) {
    pollfd p{fd, POLLIN, 0};
    while (!stop_) {
      if (::poll(&p, 1, 50) <= 0) continue;
      char chunk[4096];
      const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
      if (n <= 0) return false;
      buffer.append(chunk, static_cast<std::size_t>(n));
      return true;
    }
    return false;
  }
  void Serve() {
    while (!stop_) {
      pollfd p{listen_, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) continue;
      const int fd = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      std::string buffer;
      while (!stop_ && Handle(fd, buffer)) {
      }
      ::close(fd);
    }
  }

  static constexpr const char* kRealm = "books";
  static constexpr const char* kNonce = "5f3a9c";
  std::string user_, password_;
  int listen_ = -1;
  std::uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> refused_{0}, authenticated_{0};
  std::mutex mutex_;
  std::map<std::string, std::pair<std::string, std::string>> cards_;
  std::thread thread_;
};

}  // namespace testsupport
