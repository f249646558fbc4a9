#include "telvane/xml/xml_scanner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "telvane/xml/xml_messages.h"

namespace telvane {
namespace {

using ::testing::ElementsAre;

// Records every event of a whole scan as a short line.
class Recorder : public XMLDocHandler, public XMLErrHandler {
 public:
  std::vector<std::string> events;

  void characters(std::string_view text) override { events.push_back("text:" + std::string(text)); }
  void ignorableWhitespace(std::string_view) override { events.push_back("ws"); }
  void startDocument() override { events.push_back("startDocument"); }
  void endDocument() override { events.push_back("endDocument"); }
  void startElement(const XMLElement& e) override {
    std::string line = "start:" + e.name;
    for (const XMLAttribute& a : e.attributes) line += " " + a.name + "=" + a.value;
    if (e.isRoot) line += " root";
    if (e.isEmpty) line += " empty";
    events.push_back(line);
  }
  void endElement(const XMLElement& e) override { events.push_back("end:" + e.name); }
  void resetDocument() override { events.push_back("reset"); }
  void fatalError(int code) override { events.push_back("fatal:" + std::to_string(code)); }
  void error(int code) override { events.push_back("error:" + std::to_string(code)); }
};

std::vector<std::string> scan(std::string_view text) {
  Recorder recorder;
  XMLScanner scanner(&recorder, &recorder);
  scanner.begin(text);
  int guard = 0;
  while (scanner.step() && ++guard < 10000) {
  }
  scanner.end();
  return recorder.events;
}

TEST(XMLScannerTest, ReportsNestedElementsAndText) {
  EXPECT_THAT(scan("<?xml version=\"1.0\"?>\r\n<a x='1' y=\"2\"><b>t\r\nu</b>v</a>trailing"),
              ElementsAre("reset", "startDocument", "start:a x=1 y=2 root", "start:b", "text:t\nu",
                          "end:b", "text:v", "end:a", "endDocument"));
}

TEST(XMLScannerTest, EmptyRootFinishesTheDocument) {
  EXPECT_THAT(scan("<r/><s/>"),
              ElementsAre("reset", "startDocument", "start:r root empty", "endDocument"));
}

TEST(XMLScannerTest, DeclarationOnlyIsAnEmptyDocument) {
  EXPECT_THAT(scan("<?xml version=\"1.0\"?>  \n "),
              ElementsAre("reset", "startDocument", "error:5", "error:15", "endDocument"));
}

TEST(XMLScannerTest, EndTagWithNothingOpenIsFatal) {
  EXPECT_THAT(scan("</x><y/>"),
              ElementsAre("reset", "startDocument", "error:11", "fatal:2", "endDocument"));
}

TEST(XMLScannerTest, MissingEndTagReportedAtEndOfInput) {
  EXPECT_THAT(scan("<a>text"), ElementsAre("reset", "startDocument", "start:a root", "text:text",
                                           "error:14", "endDocument"));
}

TEST(XMLScannerTest, DuplicateAttributeDropsTheElement) {
  EXPECT_THAT(scan("<r><a b=\"1\" b=\"2\"/></r>"),
              ElementsAre("reset", "startDocument", "start:r root", "error:12", "error:10",
                          "error:2", "end:r", "endDocument"));
}

// Found with the fuzz target: thousands of attributes on one tag took quadratic time. Long tags must keep
// every attribute in order, find duplicates of early and late names, and start afresh per tag.
TEST(XMLScannerTest, ManyAttributesKeepOrderAndDuplicatesAreFound) {
  std::string tag = "<a";
  std::string line = "start:a";
  for (int i = 0; i < 2000; ++i) {
    tag += " n" + std::to_string(i) + "='" + std::to_string(i) + "'";
    line += " n" + std::to_string(i) + "=" + std::to_string(i);
  }
  EXPECT_THAT(scan("<r>" + tag + "/>" + tag + "/></r>"),
              ElementsAre("reset", "startDocument", "start:r root", line + " empty",
                          line + " empty", "end:r", "endDocument"));
  for (const char* name : {"n3", "n1999"}) {
    EXPECT_THAT(scan("<r>" + tag + " " + name + "='x'/></r>"),
                ElementsAre("reset", "startDocument", "start:r root", "error:12", "error:10",
                            "error:2", "end:r", "endDocument"))
        << name;
  }
}

TEST(XMLScannerTest, InputEndingInsideATagIsFatal) {
  EXPECT_THAT(scan("<a><b x='1"),
              ElementsAre("reset", "startDocument", "start:a root", "fatal:1", "endDocument"));
  EXPECT_THAT(scan("<a><b "),
              ElementsAre("reset", "startDocument", "start:a root", "fatal:1", "endDocument"));
}

TEST(XMLScannerTest, CdataCommentsAndInstructionsAreSkipped) {
  EXPECT_THAT(scan("<a><![CDATA[<x>]]><!-- <y> --><?pi <z>?></a>"),
              ElementsAre("reset", "startDocument", "start:a root", "end:a", "endDocument"));
}

TEST(XMLScannerTest, DoctypeWithInternalSubsetIsSkipped) {
  EXPECT_THAT(scan("<!DOCTYPE r [<!ENTITY e \"x>\">]>\n<!-- c --><r/>"),
              ElementsAre("reset", "startDocument", "start:r root empty", "endDocument"));
}

TEST(XMLScannerTest, ResumesAfterOrdinaryErrors) {
  // Mismatched end tag: the element is popped without an end report.
  EXPECT_THAT(scan("<a><b></c></a>"), ElementsAre("reset", "startDocument", "start:a root",
                                                  "start:b", "error:9", "end:a", "endDocument"));
  // Bad markup after "<!" and "<" without a name.
  EXPECT_THAT(scan("<a><!x><=></a>"), ElementsAre("reset", "startDocument", "start:a root",
                                                  "error:1", "error:4", "end:a", "endDocument"));
  // "<" inside an attribute value stays in the value; whitespace becomes a space.
  EXPECT_THAT(scan("<a v='x<\ty'/>"), ElementsAre("reset", "startDocument", "error:13",
                                                  "start:a v=x< y root empty", "endDocument"));
}

TEST(XMLScannerTest, NulByteEndsTheInput) {
  EXPECT_THAT(scan(std::string_view("<a/>\0<b/>", 9)),
              ElementsAre("reset", "startDocument", "start:a root empty", "endDocument"));
  EXPECT_THAT(scan(std::string_view("<a>\0</a>", 8)),
              ElementsAre("reset", "startDocument", "start:a root", "error:14", "endDocument"));
}

TEST(XMLScannerTest, DeepNestingGrowsTheStack) {
  std::string doc;
  for (int i = 0; i < 100; ++i) doc += "<e" + std::to_string(i) + ">";
  for (int i = 99; i >= 0; --i) doc += "</e" + std::to_string(i) + ">";
  std::vector<std::string> events = scan(doc);
  ASSERT_EQ(events.size(), 2u + 200u + 1u);
  EXPECT_EQ(events[2], "start:e0 root");
  EXPECT_EQ(events[201], "end:e0");
}

TEST(XMLMessagesTest, TableTexts) {
  EXPECT_STREQ(xmlMessageText(1), "Expected comment or CDATA");
  EXPECT_STREQ(xmlMessageText(12), "The attribute '{0}' is already used in element '{1}'");
  EXPECT_STREQ(xmlMessageText(13),
               "A '<' character cannot be used in attribute '{0}', except through &lt;");
  EXPECT_STREQ(xmlMessageText(14),
               "The input ended before all started tags were ended. Last tag started was '{0}'");
  EXPECT_STREQ(xmlMessageText(16), "CDATA is not allowed outside the root element");
  EXPECT_STREQ(xmlMessageText(18), "The end of input was not expected");
  EXPECT_STREQ(xmlMessageText(19), "Unbalanced start/end tags found, cannot continue");
  EXPECT_EQ(xmlMessageText(0), nullptr);
  EXPECT_EQ(xmlMessageText(17), nullptr);
  EXPECT_EQ(xmlMessageText(20), nullptr);
}

}  // namespace
}  // namespace telvane
