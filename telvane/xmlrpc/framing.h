#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace telvane {

// Every message on the stream ends with the first "\r\n\r\n" after it.
inline constexpr std::string_view kMessageTerminator = "\r\n\r\n";

// Position of the first terminator in `data`, or npos.
std::size_t findMessageEnd(std::string_view data);

// Cuts a received byte stream into messages. Bytes are appended as they arrive; next() hands
// out each complete message without its terminator. A returned view stays valid until the next
// append(). Each byte is searched once, however the stream is split.
class MessageFramer {
 public:
  void append(std::string_view bytes);
  std::optional<std::string_view> next();
  // Bytes received but not yet handed out.
  std::size_t pendingBytes() const { return buffer_.size() - start_; }
  std::string_view pending() const { return std::string_view(buffer_).substr(start_); }

 private:
  std::string buffer_;
  std::size_t start_ = 0;    // first byte not handed out
  std::size_t scanned_ = 0;  // bytes before this hold no terminator start
};

}  // namespace telvane
