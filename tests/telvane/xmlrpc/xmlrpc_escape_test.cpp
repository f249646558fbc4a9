#include "telvane/xmlrpc/xmlrpc_escape.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace telvane {
namespace {

// The decoding written the slow, literal way: each pattern, searched again from the start
// after every replacement, until it no longer occurs.
std::string referenceUnescape(std::string text) {
  const std::pair<std::string, std::string> passes[] = {
      {"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&amp", "&"}, {"&lt", "<"}};
  for (const auto& [from, to] : passes) {
    for (std::size_t at; (at = text.find(from)) != std::string::npos;) {
      text.replace(at, from.size(), to);
    }
  }
  return text;
}

std::string unescaped(std::string text) {
  unescapeInPlace(text);
  return text;
}

TEST(XmlRpcEscapeTest, EscapesOnlyMarkupCharacters) {
  std::string out = "x";
  appendEscaped(out, "a<b&c>d\"e'f\r\n");
  EXPECT_EQ(out, "xa&lt;b&amp;c&gt;d\"e'f\r\n");
}

TEST(XmlRpcEscapeTest, DecodesRepeatedly) {
  EXPECT_EQ(unescaped("a&lt;b&amp;c"), "a<b&c");
  EXPECT_EQ(unescaped("&amp;lt;"), "<");
  EXPECT_EQ(unescaped("&amp;amp;"), "&");
  EXPECT_EQ(unescaped("&ampamp;x"), "&;x");  // the "&amp" pass repeats too
  EXPECT_EQ(unescaped("&lt&gt"), "<&gt");
  EXPECT_EQ(unescaped("&quot;&apos;&#60;"), "&quot;&apos;&#60;");
  EXPECT_EQ(unescaped(""), "");
}

TEST(XmlRpcEscapeTest, MatchesTheLiteralLoopOnRandomInputs) {
  std::mt19937 random(20261209);
  const std::string alphabet = "&&&amp;ltgx";
  for (int round = 0; round < 20000; ++round) {
    std::string text(random() % 40, ' ');
    for (char& c : text) c = alphabet[random() % alphabet.size()];
    ASSERT_EQ(unescaped(text), referenceUnescape(text)) << "input: " << text;
  }
}

TEST(XmlRpcEscapeTest, EscapedTextWithoutEntityLikeRunsReadsBack) {
  // Escaping is undone exactly unless the text itself holds "&amp", "&lt" or "lt"/"amp" after
  // an "&": the passes without semicolons then decode further, as peers expect.
  std::string wire;
  appendEscaped(wire, "a<b>&c d;");
  EXPECT_EQ(unescaped(wire), "a<b>&c d;");
  wire.clear();
  appendEscaped(wire, "&lt");
  EXPECT_EQ(unescaped(wire), "<");
}

// Long texts take the block paths of both directions; each must agree with the byte-wise
// definition wherever the markup falls (inside a block, across its edge, at the very end).
TEST(XmlRpcEscapeTest, LongTextsMatchTheLiteralDefinitions) {
  std::mt19937 random(7);
  const std::string decodeAlphabet = "&&amp;ltgx;yz";
  // Dense and sparse markup take different ways through a block.
  const std::string escapeAlphabets[] = {"abc&<>\r\n", "abcdefghijklmnopqrstuvwxyz0123456789&<>"};
  for (int round = 0; round < 3000; ++round) {
    std::string text(random() % 120, ' ');
    for (char& c : text) c = decodeAlphabet[random() % decodeAlphabet.size()];
    std::string direct = "stale";
    assignUnescaped(direct, text);
    ASSERT_EQ(direct, referenceUnescape(text)) << "input: " << text;

    const std::string& escapeAlphabet = escapeAlphabets[round % 2];
    for (char& c : text) c = escapeAlphabet[random() % escapeAlphabet.size()];
    std::string expected = "x";
    for (char c : text) {
      expected += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : std::string(1, c);
    }
    std::string out = "x";
    appendEscaped(out, text);
    ASSERT_EQ(out, expected) << "input: " << text;
  }
}

TEST(XmlRpcEscapeTest, MegabyteOfEntitiesDecodes) {
  // The literal loop is quadratic on this; the decoder must stay linear.
  std::string nested = "&";
  for (int i = 0; i < 200000; ++i) nested += "amp;";
  EXPECT_EQ(unescaped(nested), "&");
  std::string amps;
  for (int i = 0; i < 200000; ++i) amps += "&amp;";
  EXPECT_EQ(unescaped(amps), std::string(200000, '&'));
  std::string lts;
  for (int i = 0; i < 200000; ++i) lts += "&lt;";
  EXPECT_EQ(unescaped(lts), std::string(200000, '<'));
  std::string direct;
  assignUnescaped(direct, nested);
  EXPECT_EQ(direct, "&");
  assignUnescaped(direct, amps);
  EXPECT_EQ(direct, std::string(200000, '&'));
}

}  // namespace
}  // namespace telvane
