// The upload handshake and the PBX's messages on one stream, cut at every byte.
#include "telvane/session/handshake_splitter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace telvane {
namespace {

const std::string kEventA = "<?xml version=\"1.0\"?><methodCall>a\r\n</methodCall>\r\n\r\n";
const std::string kEventB = "<methodCall>b\r\n\r</methodCall>\r\n\r\n";

struct Split {
  std::vector<std::string> messages;
  std::string handshake;
};

Split splitInPieces(const std::vector<std::string>& pieces, std::string_view pending = {}) {
  MessageFramer framer;
  framer.append(pending);
  HandshakeSplitter splitter;
  splitter.open(framer.pending());
  Split out;
  for (const auto& piece : pieces) {
    splitter.feed(piece, framer);
    while (const auto message = framer.next()) out.messages.emplace_back(*message);
  }
  out.handshake = splitter.text();
  return out;
}

std::string body(const std::string& message) {
  return message.substr(0, message.size() - 4);
}

TEST(HandshakeSplitterTest, EveryCutKeepsMessagesWholeAndHandshakeApart) {
  // Handshake texts of several sizes: zero padding, no padding, longer than one read of 32.
  const std::string ok = std::string("OK") + std::string(30, '\0');
  const std::string ack3 = "ACK";
  const std::string ack45 = std::string("ACK") + std::string(42, '\0');
  const std::string stream = kEventA + ok + kEventB + ack3 + kEventA + ack45 + "x";
  const std::string handshake = ok + ack3 + ack45 + "x";
  for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
    for (std::size_t second = cut; second <= stream.size(); second += 7) {
      const Split split = splitInPieces(
          {stream.substr(0, cut), stream.substr(cut, second - cut), stream.substr(second)});
      ASSERT_EQ(split.messages,
                (std::vector<std::string>{body(kEventA), body(kEventB), body(kEventA)}))
          << "cut at " << cut << " and " << second;
      ASSERT_EQ(split.handshake, handshake) << "cut at " << cut << " and " << second;
    }
  }
  std::vector<std::string> bytes;
  for (const char c : stream) bytes.emplace_back(1, c);
  EXPECT_EQ(splitInPieces(bytes).handshake, handshake);
}

TEST(HandshakeSplitterTest, AMessageBegunBeforeTheHandshakeIsFinished) {
  // The start of a message was read before the upload; its tail holds no "<".
  const std::string pending = "<methodCall>c</methodCall>\r";
  for (std::size_t cut = 0; cut <= 5; ++cut) {
    const std::string rest = std::string("\n\r\nOK") + kEventA;
    const Split split = splitInPieces({rest.substr(0, cut), rest.substr(cut)}, pending);
    ASSERT_EQ(split.messages,
              (std::vector<std::string>{"<methodCall>c</methodCall>", body(kEventA)}));
    EXPECT_EQ(split.handshake, "OK");
  }
  // A complete message still in the framer does not count as begun.
  EXPECT_EQ(splitInPieces({"OK", kEventB}, kEventA).handshake, "OK");
}

TEST(HandshakeSplitterTest, TellsWhetherAMessageFollowedTheText) {
  MessageFramer framer;
  HandshakeSplitter splitter;
  splitter.open({});
  splitter.feed("O", framer);
  EXPECT_FALSE(splitter.messageAfterText());
  splitter.feed("<m>\r\n\r\n", framer);
  EXPECT_TRUE(splitter.messageAfterText());
  splitter.clearText();
  EXPECT_FALSE(splitter.messageAfterText());
  EXPECT_TRUE(splitter.text().empty());
  splitter.close();
  EXPECT_FALSE(splitter.isOpen());
}

}  // namespace
}  // namespace telvane
