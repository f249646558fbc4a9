#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "telvane/xml/xml_element.h"
#include "telvane/xml/xml_handlers.h"

namespace telvane {

// A small non-validating XML tokenizer over a document held in memory. It reports the document
// item by item to an XMLDocHandler and problems to an XMLErrHandler (neither is owned). Entity
// references are not decoded. A NUL byte ends the input. Used through XMLNavigator.
//
// begin() reads the prolog; each step() handles one item (tag, comment, ...; a text together
// with the item after it) and returns false once the document is finished (root closed, input
// exhausted or a fatal error); end() reports endDocument and drops the text. Ordinary errors
// are reported and scanning resumes.
// Appends `text` with CR LF and a lone CR folded to LF, as the scanner reads text.
void appendFoldedLineEnds(std::string& out, std::string_view text);

class XMLScanner {
 public:
  XMLScanner(XMLDocHandler* docHandler, XMLErrHandler* errHandler);
  virtual ~XMLScanner();

  XMLScanner(const XMLScanner&) = delete;
  XMLScanner& operator=(const XMLScanner&) = delete;

  // Starts on `text`. With `copy` false the caller keeps `text` alive until end().
  void begin(std::string_view text, bool copy = true);
  bool step();
  void end();

  // Copies the characters up to the next "<" (or the end) into `out` (replacing its content);
  // false, consuming nothing, when the next character is "<" or the end of input.
  bool readText(std::string& out);
  // As readText, but `out` views the text exactly as written (line ends not folded); valid
  // until end().
  bool readRawText(std::string_view& out);

 private:
  // Reader primitives: peek folds CR to LF; next consumes CR LF or a lone CR as one LF.
  static constexpr int kEnd = -1;
  int peek() const;
  void next();
  bool lookingAt(std::string_view s) const;
  void skipThrough(std::string_view s);
  void skipWhitespace();
  void moveToNextLessThan();
  bool readName(std::string& out);
  bool readAttributeValue(std::string& out);
  // Appends the text up to the next "<" to `out`, folding line ends.
  void appendTextTo(std::string& out);

  void readProlog();
  bool stepInner();
  bool readEndTag();
  bool readStartTag();
  // The attributes and the end of a start tag after its name; false when the tag is abandoned.
  bool readTagRest(XMLElement& element);
  XMLElement& pushElement();
  void addStackSlot();
  // Whether `element` already has an attribute `name_`; records `name_` as seen when not.
  bool isDuplicateAttribute(const XMLElement& element);

  XMLDocHandler* doc_;
  XMLErrHandler* err_;

  std::string owned_;  // private copy of the document, when begin() copies
  const char* pos_ = nullptr;
  const char* end_ = nullptr;

  std::string text_;   // character data of the current text item
  std::string value_;  // attribute value being read
  std::string name_;   // attribute name being read
  // Names of the current start tag, kept once it has many: a linear search per attribute would
  // make a hostile tag with thousands of attributes cost quadratic time.
  std::unordered_set<std::string> attributeNames_;

  // Open elements are stack_[0 .. open_); slots above open_ keep their storage for reuse.
  std::vector<XMLElement> stack_;
  std::size_t open_ = 0;
};

}  // namespace telvane
