#include "telvane/xmlrpc/framing.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace telvane {
namespace {

std::vector<std::string> drain(MessageFramer& framer) {
  std::vector<std::string> out;
  while (auto m = framer.next()) out.emplace_back(*m);
  return out;
}

TEST(FramingTest, FindsTheFirstTerminator) {
  EXPECT_EQ(findMessageEnd("ab\r\n\r\ncd\r\n\r\n"), 2u);
  EXPECT_EQ(findMessageEnd("ab\r\ncd\r\n"), std::string_view::npos);
}

TEST(FramingTest, CutsMessagesAndKeepsTheRest) {
  MessageFramer framer;
  framer.append("one\r\n\r\ntwo\r\nline\r\n\r\nthr");
  EXPECT_EQ(drain(framer), (std::vector<std::string>{"one", "two\r\nline"}));
  EXPECT_EQ(framer.pending(), "thr");
  framer.append("ee\r\n\r\n");
  EXPECT_EQ(drain(framer), (std::vector<std::string>{"three"}));
  EXPECT_EQ(framer.pendingBytes(), 0u);
}

TEST(FramingTest, TerminatorSplitAcrossEveryBoundary) {
  const std::string stream = "<a/>\r\n\r\n<b>\r\n</b>\r\n\r\n\r\n\r\nz";
  for (std::size_t chunk = 1; chunk <= stream.size(); ++chunk) {
    MessageFramer framer;
    std::vector<std::string> got;
    for (std::size_t at = 0; at < stream.size(); at += chunk) {
      framer.append(std::string_view(stream).substr(at, chunk));
      for (auto& m : drain(framer)) got.push_back(m);
    }
    EXPECT_EQ(got, (std::vector<std::string>{"<a/>", "<b>\r\n</b>", ""})) << "chunk " << chunk;
    EXPECT_EQ(framer.pending(), "z");
  }
}

}  // namespace
}  // namespace telvane
