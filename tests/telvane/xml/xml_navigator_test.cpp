#include "telvane/xml/xml_navigator.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace telvane {
namespace {

using ::testing::ElementsAre;

class Messages : public XMLErrorReceiver {
 public:
  std::vector<std::string> texts;
  void report(std::string_view message) override { texts.emplace_back(message); }
};

TEST(XMLNavigatorTest, WalksNestedElements) {
  XMLNavigator nav;
  ASSERT_TRUE(nav.parse("<a><b>x</b></a>"));
  XMLElement e;
  ASSERT_TRUE(nav.nextElement(e));
  EXPECT_EQ(e.name, "a");
  EXPECT_TRUE(e.isRoot);
  ASSERT_TRUE(nav.nextElement(e));
  EXPECT_EQ(e.name, "b");
  EXPECT_FALSE(e.isRoot);
  std::string text;
  ASSERT_TRUE(nav.readText(text));
  EXPECT_EQ(text, "x");
  EXPECT_TRUE(nav.skipElement());    // "</b>"
  EXPECT_FALSE(nav.nextElement(e));  // meets "</a>": the document is finished
  EXPECT_FALSE(nav.nextElement(e));
  EXPECT_FALSE(nav.skipElement());
  EXPECT_FALSE(nav.readText(text));
  EXPECT_TRUE(nav.parse("<c/>"));  // finished, so it takes a new document
}

TEST(XMLNavigatorTest, SecondParseWhileActiveIsRefused) {
  XMLNavigator nav;
  EXPECT_TRUE(nav.parse("<a/>"));
  EXPECT_FALSE(nav.parse("<b/>"));
  XMLElement e;
  ASSERT_TRUE(nav.nextElement(e));
  EXPECT_EQ(e.name, "a");
  EXPECT_TRUE(e.isEmpty);
}

TEST(XMLNavigatorTest, ReadTextKeepsEntitiesAndConsumesNothingAtATag) {
  XMLNavigator nav;
  nav.parse("<a> &lt; <b/></a>");
  XMLElement e;
  ASSERT_TRUE(nav.nextElement(e));
  std::string text = "old";
  ASSERT_TRUE(nav.readText(text));
  EXPECT_EQ(text, " &lt; ");
  EXPECT_FALSE(nav.readText(text));
  EXPECT_EQ(text, " &lt; ");
  ASSERT_TRUE(nav.nextElement(e));
  EXPECT_EQ(e.name, "b");
}

TEST(XMLNavigatorTest, SkipElementStepsOverNestedElements) {
  XMLNavigator nav;
  nav.parse("<r><a><b><c/></b>t</a><d k='v'/></r>");
  XMLElement e;
  ASSERT_TRUE(nav.nextElement(e));  // r
  ASSERT_TRUE(nav.nextElement(e));  // a
  EXPECT_TRUE(nav.skipElement());   // through "</a>"
  ASSERT_TRUE(nav.nextElement(e));
  EXPECT_EQ(e.name, "d");
  ASSERT_EQ(e.attributes.size(), 1u);
  EXPECT_EQ(e.attributes[0].value, "v");
}

TEST(XMLNavigatorTest, CdataInsideRootIsNotText) {
  XMLNavigator nav;
  nav.parse("<r><![CDATA[hidden]]><a/></r>");
  XMLElement e;
  ASSERT_TRUE(nav.nextElement(e));
  ASSERT_TRUE(nav.nextElement(e));
  EXPECT_EQ(e.name, "a");
}

TEST(XMLNavigatorTest, ErrorTextsGoToTheReceiverVerbatim) {
  Messages messages;
  XMLNavigator nav;
  nav.setErrorReceiver(&messages);
  nav.parse("</x>");
  XMLElement e;
  EXPECT_FALSE(nav.nextElement(e));
  EXPECT_THAT(messages.texts, ElementsAre("There are more end tags than start tags",
                                          "Unbalanced start/end tags found, cannot continue"));

  messages.texts.clear();
  XMLNavigator nav2;
  nav2.setErrorReceiver(&messages);
  nav2.parse("<a>text");
  EXPECT_TRUE(nav2.nextElement(e));
  EXPECT_FALSE(nav2.nextElement(e));
  EXPECT_THAT(messages.texts, ElementsAre("The input ended before all started tags were ended. "
                                          "Last tag started was '{0}'"));
}

TEST(XMLNavigatorTest, ParseFileReadsOrExplains) {
  Messages messages;
  XMLNavigator nav;
  nav.setErrorReceiver(&messages);
  EXPECT_FALSE(nav.parseFile("/nonexistent/telvane.xml"));
  const std::string path = ::testing::TempDir() + "nav_test.xml";
  { std::ofstream(path) << ""; }
  EXPECT_FALSE(nav.parseFile(path));
  EXPECT_THAT(messages.texts, ElementsAre("Maybe file does not exist", "Something wrong"));
  std::string big = "<r>";
  for (int i = 0; i < 200; ++i) big += "<i>" + std::to_string(i) + "</i>";
  big += "<last/></r>";
  { std::ofstream(path) << big; }
  ASSERT_TRUE(nav.parseFile(path));
  XMLElement e;
  ASSERT_TRUE(nav.nextElement(e));  // r
  for (int i = 0; i < 200; ++i) {
    ASSERT_TRUE(nav.nextElement(e));
    ASSERT_TRUE(nav.skipElement());
  }
  ASSERT_TRUE(nav.nextElement(e));
  EXPECT_EQ(e.name, "last");
  std::remove(path.c_str());
}

TEST(XMLNavigatorTest, BorrowedBufferReadsTheSame) {
  const std::string doc = "<methodCall><methodName>m</methodName></methodCall>";
  XMLNavigator nav;
  ASSERT_TRUE(nav.parseBorrowed(doc));
  XMLElement e;
  ASSERT_TRUE(nav.nextElement(e));
  ASSERT_TRUE(nav.nextElement(e));
  std::string text;
  ASSERT_TRUE(nav.readText(text));
  EXPECT_EQ(text, "m");
}

// The name-only move must walk exactly as nextElement does, over well-formed and broken
// documents alike, and its view must outlive the end of the document it came from.
TEST(XMLNavigatorTest, NextElementNameWalksAsNextElement) {
  std::string deep;
  for (int i = 0; i < 40; ++i) deep += "<level" + std::to_string(i) + ">";
  for (int i = 39; i >= 0; --i) deep += "</level" + std::to_string(i) + ">";
  const std::vector<std::string> docs = {
      "<a x='1'><b/><c>t</c><d><e/></d></a>",
      "<?xml version=\"1.0\"?>\r\n<r>\r\n<v><s>x</s></v>\r\n</r>",
      "<a><b></c><d/></a>",  // end tag of another name
      "<a><b>",              // unclosed
      "<a></a></b><c/>",     // more end tags than starts
      "<only/>",
      deep,
  };
  for (const std::string& doc : docs) {
    SCOPED_TRACE(doc);
    std::vector<std::string> expected;
    XMLNavigator byElement;
    ASSERT_TRUE(byElement.parse(doc));
    XMLElement e;
    for (int i = 0; i < 100; ++i) {
      expected.push_back(byElement.nextElement(e) ? e.name : "-");
      if (i % 3 == 2) expected.push_back(byElement.skipElement() ? "+" : "!");
    }
    std::vector<std::string> got;
    XMLNavigator byName;
    ASSERT_TRUE(byName.parse(doc));
    std::string_view name;
    for (int i = 0; i < 100; ++i) {
      got.push_back(byName.nextElementName(name) ? std::string(name) : "-");
      if (i % 3 == 2) got.push_back(byName.skipElement() ? "+" : "!");
    }
    EXPECT_EQ(got, expected);
  }

  XMLNavigator nav;
  ASSERT_TRUE(nav.parse(std::string("<root-with-a-long-name/>")));
  std::string_view name;
  ASSERT_TRUE(nav.nextElementName(name));  // the document is finished and its copy dropped
  EXPECT_EQ(name, "root-with-a-long-name");
}

}  // namespace
}  // namespace telvane
