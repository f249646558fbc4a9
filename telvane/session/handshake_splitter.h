#pragma once
// Separates the upload handshake from the PBX's messages on the one stream they share. The
// handshake texts ("OK", "NO", the acknowledgements) have any length, often padded with zeros,
// and no terminator; the PBX may send notifications before, between or after them. Outside a
// message every byte up to the next "<" is handshake; inside one, every byte up to and with its
// terminator belongs to the message. Reads may split either anywhere.

#include <cstddef>
#include <string>
#include <string_view>

#include "telvane/xmlrpc/framing.h"

namespace telvane {

class HandshakeSplitter {
 public:
  // From now on bytes pass through feed(); `pending` is what the framer holds unfinished (the
  // start of a message read before the handshake began).
  void open(std::string_view pending);
  void close() { *this = HandshakeSplitter{}; }
  bool isOpen() const { return open_; }

  // Message bytes go to `framer` in order; the others are kept as handshake text.
  void feed(std::string_view bytes, MessageFramer& framer);

  // Handshake bytes fed since the last clearText().
  const std::string& text() const { return text_; }
  void clearText() {
    text_.clear();
    messageAfterText_ = false;
  }
  // Whether a message began after the handshake text now held.
  bool messageAfterText() const { return messageAfterText_; }

 private:
  bool open_ = false;
  bool inMessage_ = false;
  std::size_t matched_ = 0;  // terminator bytes matched at the end of the message so far
  std::string text_;
  bool messageAfterText_ = false;
};

}  // namespace telvane
