#pragma once

#include <string>
#include <string_view>

#include "telvane/xml/xml_element.h"
#include "telvane/xml/xml_handlers.h"
#include "telvane/xml/xml_scanner.h"

namespace telvane {

// Optional receiver of the navigator's error texts (see xml_messages.h).
class XMLErrorReceiver {
 public:
  virtual ~XMLErrorReceiver() = default;
  virtual void report(std::string_view message) = 0;
};

// A forward-only pull cursor over one document, with three moves: next start tag, text at the
// cursor, skip to the end of the current element. It scans only as far as each move needs.
// One navigator reads one document; when the document finishes (root closed, input exhausted or
// a fatal error) every later move returns false. Malformed markup shows only as failed moves
// (and as texts sent to the error receiver, when one is installed).
class XMLNavigator : public XMLDocHandler, public XMLErrHandler {
 public:
  XMLNavigator();
  ~XMLNavigator() override;

  // Loads a copy of `buffer`; false when a document is already loaded.
  virtual bool parse(std::string_view buffer);
  // As parse, without the copy: `buffer` must outlive the navigation.
  bool parseBorrowed(std::string_view buffer);
  // Loads a file; false (with a text to the error receiver) when it cannot be read.
  virtual bool parseFile(const std::string& path);

  // Moves to the next start tag and copies it into `out`; false when an end tag or the end of
  // the document comes first (that end tag is consumed).
  virtual bool nextElement(XMLElement& out);
  // As nextElement, giving only the tag's name, without a copy: `name` views the scanner's
  // record and stays valid until the next move.
  bool nextElementName(std::string_view& name);
  // The text up to the next "<", exactly as written; false, consuming nothing, when there is none.
  virtual bool readText(std::string& out);
  // As readText, viewing the text as written (line ends not folded) in the loaded document; the
  // string values read their text through this.
  virtual bool readRawText(std::string_view& out);
  // Consumes through the end tag of the innermost open element; returns whether the document
  // goes on.
  virtual bool skipElement();

  void setErrorReceiver(XMLErrorReceiver* receiver) { receiver_ = receiver; }

  // XMLDocHandler
  void characters(std::string_view) override {}
  void ignorableWhitespace(std::string_view) override {}
  void startDocument() override {}
  void endDocument() override {}
  void startElement(const XMLElement& element) override;
  void endElement(const XMLElement& element) override;
  void resetDocument() override {}

  // XMLErrHandler
  void fatalError(int code) override;
  void error(int code) override;

 private:
  bool load(std::string_view buffer, bool copy);
  void send(const char* text);
  void finish();
  void moveToNextElement();

  XMLScanner scanner_;  // its handlers are this navigator
  XMLErrorReceiver* receiver_ = nullptr;
  XMLElement* target_ = nullptr;
  std::string_view* targetName_ = nullptr;
  bool active_ = false;
  bool more_ = false;
  bool stop_ = false;
  bool found_ = false;
  int depth_ = 0;
};

}  // namespace telvane
