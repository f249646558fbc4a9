#pragma once

#include <string_view>

#include "telvane/xml/xml_element.h"

namespace telvane {

// Receives the document, item by item, from XMLScanner.
class XMLDocHandler {
 public:
  virtual ~XMLDocHandler() = default;
  // Character data between tags, exactly as written (line ends folded to LF, no entity decoding).
  virtual void characters(std::string_view text) = 0;
  // Reserved for whitespace the scanner could report as ignorable; the scanner never calls it.
  virtual void ignorableWhitespace(std::string_view text) = 0;
  virtual void startDocument() = 0;
  virtual void endDocument() = 0;
  // An empty element (<a/>) gets startElement only.
  virtual void startElement(const XMLElement& element) = 0;
  virtual void endElement(const XMLElement& element) = 0;
  virtual void resetDocument() = 0;
};

// Receives the scanner's problem reports; codes are listed in xml_messages.h.
class XMLErrHandler {
 public:
  virtual ~XMLErrHandler() = default;
  // The document is finished after a fatal error (codes XMLException::k*).
  virtual void fatalError(int code) = 0;
  // Scanning resumes after an ordinary error (codes 1 to 16).
  virtual void error(int code) = 0;
};

}  // namespace telvane
