#include "telvane/xmlrpc/framing.h"

namespace telvane {

std::size_t findMessageEnd(std::string_view data) {
  return data.find(kMessageTerminator);
}

void MessageFramer::append(std::string_view bytes) {
  // Drop what was handed out once it is the larger part, so the buffer stays bounded.
  if (start_ > 0 && start_ >= buffer_.size() / 2) {
    buffer_.erase(0, start_);
    scanned_ -= start_;
    start_ = 0;
  }
  buffer_.append(bytes);
}

std::optional<std::string_view> MessageFramer::next() {
  std::string_view all(buffer_);
  std::size_t at = all.find(kMessageTerminator, scanned_);
  if (at == std::string_view::npos) {
    // A terminator may still begin in the last three bytes.
    const std::size_t keep = kMessageTerminator.size() - 1;
    scanned_ = all.size() > start_ + keep ? all.size() - keep : start_;
    return std::nullopt;
  }
  std::string_view message = all.substr(start_, at - start_);
  start_ = at + kMessageTerminator.size();
  scanned_ = start_;
  return message;
}

}  // namespace telvane
