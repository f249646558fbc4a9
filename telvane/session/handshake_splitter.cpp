#include "telvane/session/handshake_splitter.h"

namespace telvane {
namespace {

// Terminator bytes matched after `c`, given `matched` before it. Only "\r" restarts a match.
std::size_t advanceTerminator(std::size_t matched, char c) {
  if (c == kMessageTerminator[matched]) return matched + 1;
  return c == '\r' ? 1 : 0;
}

}  // namespace

void HandshakeSplitter::open(std::string_view pending) {
  close();
  open_ = true;
  // Only what follows the last complete message continues into the bytes to come.
  if (const auto end = pending.rfind(kMessageTerminator); end != std::string_view::npos) {
    pending.remove_prefix(end + kMessageTerminator.size());
  }
  inMessage_ = !pending.empty();
  for (const char c : pending) matched_ = advanceTerminator(matched_, c);
}

void HandshakeSplitter::feed(std::string_view bytes, MessageFramer& framer) {
  while (!bytes.empty()) {
    if (!inMessage_) {
      const std::size_t start = bytes.find('<');
      text_.append(bytes.substr(0, start));
      if (start == std::string_view::npos) return;
      bytes.remove_prefix(start);
      inMessage_ = true;
      matched_ = 0;
      if (!text_.empty()) messageAfterText_ = true;
    }
    std::size_t taken = 0;
    while (taken < bytes.size() && matched_ < kMessageTerminator.size()) {
      matched_ = advanceTerminator(matched_, bytes[taken++]);
    }
    framer.append(bytes.substr(0, taken));
    bytes.remove_prefix(taken);
    if (matched_ == kMessageTerminator.size()) {
      inMessage_ = false;
      matched_ = 0;
    }
  }
}

}  // namespace telvane
