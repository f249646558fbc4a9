#include "telvane/xml/xml_scanner.h"

#include <algorithm>
#include <cstring>

#include "telvane/xml/xml_exception.h"
#include "telvane/xml/xml_messages.h"

namespace telvane {

namespace {

// The C library's wide-character whitespace test for the byte values (C locale).
inline bool isSpace(int c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

struct NameChars {
  bool table[256] = {};
  constexpr NameChars() {
    for (int c = 0; c < 256; ++c) {
      table[c] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                 c == '-' || c == '.' || c == '_';
    }
  }
};
constexpr NameChars kNameChars;

inline bool isNameChar(unsigned char c) {
  return kNameChars.table[c];
}

constexpr std::size_t kTextReserve = 256;
// Enough for the nesting of every PBX message, and small enough that a new scanner's first
// allocation stays below the sizes at which malloc consolidates its free lists (1 KB).
constexpr std::size_t kStackReserve = 12;

}  // namespace

void appendFoldedLineEnds(std::string& out, std::string_view text) {
  const char* begin = text.data();
  const char* end = begin + text.size();
  const char* cr = static_cast<const char*>(std::memchr(begin, '\r', std::size_t(end - begin)));
  if (cr == nullptr) {
    out.append(begin, end);
    return;
  }
  out.append(begin, cr);
  for (const char* p = cr; p < end; ++p) {
    if (*p == '\r') {
      out.push_back('\n');
      if (p + 1 < end && p[1] == '\n') ++p;
    } else {
      out.push_back(*p);
    }
  }
}

XMLScanner::XMLScanner(XMLDocHandler* docHandler, XMLErrHandler* errHandler)
    : doc_(docHandler), err_(errHandler) {}

XMLScanner::~XMLScanner() = default;

// The reader primitives run for every byte of markup; they are kept inline.

inline int XMLScanner::peek() const {
  if (pos_ == end_) return kEnd;
  unsigned char c = static_cast<unsigned char>(*pos_);
  return c == '\r' ? '\n' : c;
}

inline void XMLScanner::next() {
  if (pos_ == end_) return;
  if (*pos_ == '\r' && pos_ + 1 < end_ && pos_[1] == '\n') ++pos_;
  ++pos_;
}

inline bool XMLScanner::lookingAt(std::string_view s) const {
  if (std::size_t(end_ - pos_) < s.size()) return false;
  for (std::size_t i = 0; i < s.size(); ++i) {  // markers and names are short
    if (pos_[i] != s[i]) return false;
  }
  return true;
}

void XMLScanner::skipThrough(std::string_view s) {
  std::string_view rest(pos_, std::size_t(end_ - pos_));
  std::size_t at = rest.find(s);
  pos_ = at == std::string_view::npos ? end_ : pos_ + at + s.size();
}

inline void XMLScanner::skipWhitespace() {
  while (pos_ != end_ && isSpace(static_cast<unsigned char>(*pos_))) ++pos_;
}

inline void XMLScanner::moveToNextLessThan() {
  const void* lt = std::memchr(pos_, '<', std::size_t(end_ - pos_));
  pos_ = lt == nullptr ? end_ : static_cast<const char*>(lt);
}

inline bool XMLScanner::readName(std::string& out) {
  const char* start = pos_;
  while (pos_ != end_ && isNameChar(static_cast<unsigned char>(*pos_))) ++pos_;
  out.assign(start, pos_);
  return pos_ != start;
}

void XMLScanner::appendTextTo(std::string& out) {
  const char* start = pos_;
  moveToNextLessThan();
  appendFoldedLineEnds(out, std::string_view(start, std::size_t(pos_ - start)));
}

bool XMLScanner::readText(std::string& out) {
  if (pos_ == end_ || *pos_ == '<') return false;
  out.clear();
  appendTextTo(out);
  return true;
}

bool XMLScanner::readRawText(std::string_view& out) {
  if (pos_ == end_ || *pos_ == '<') return false;
  const char* start = pos_;
  moveToNextLessThan();
  out = std::string_view(start, std::size_t(pos_ - start));
  return true;
}

bool XMLScanner::readAttributeValue(std::string& out) {
  int quote = peek();
  if (quote != '"' && quote != '\'') return false;
  next();
  out.clear();
  for (;;) {
    int c = peek();
    if (c == kEnd) throw XMLException(XMLException::kUnexpectedEnd);
    if (c == quote) {
      next();
      return true;
    }
    if (isSpace(c)) {
      out.push_back(' ');
    } else {
      if (c == '<') err_->error(kXmlLessThanInAttribute);
      out.push_back(static_cast<char>(c));
    }
    next();
  }
}

void XMLScanner::begin(std::string_view text, bool copy) {
  const char* base = text.data();
  if (copy) {
    owned_.assign(text);
    base = owned_.data();
  }
  pos_ = base;
  const void* nul = std::memchr(base, '\0', text.size());
  end_ = nul == nullptr ? base + text.size() : static_cast<const char*>(nul);
  open_ = 0;
  doc_->resetDocument();
  doc_->startDocument();
  readProlog();
}

void XMLScanner::end() {
  doc_->endDocument();
  std::string().swap(owned_);
  pos_ = end_ = nullptr;
  open_ = 0;
}

void XMLScanner::readProlog() {
  for (;;) {
    int c = peek();
    if (c == '<') {
      if (lookingAt("<?xml")) {
        skipThrough(">");
      } else if (lookingAt("<?")) {
        skipThrough("?>");
      } else if (lookingAt("<!--")) {
        skipThrough("-->");
      } else if (lookingAt("<!DOCTYPE")) {
        while (pos_ != end_ && *pos_ != '[' && *pos_ != '>') ++pos_;
        if (pos_ != end_ && *pos_ == '[') skipThrough("]");
        skipThrough(">");
      } else {
        break;
      }
    } else if (c != kEnd && isSpace(c)) {
      skipWhitespace();
    } else {
      err_->error(kXmlInvalidStructure);
      if (c == kEnd) break;
      skipThrough(">");
    }
  }
  if (pos_ == end_) err_->error(kXmlEmptyDocument);
}

// The tag readers and stepInner run for every item; they are inlined into step().
inline bool XMLScanner::readEndTag() {
  if (open_ == 0) {
    err_->error(kXmlMoreEndTags);
    skipThrough(">");
    throw XMLException(XMLException::kUnbalanced);
  }
  // The slot keeps its content after the pop, so the record stays valid for endElement.
  const XMLElement& element = stack_[--open_];
  pos_ += 2;
  const std::size_t length = element.name.size();
  if (std::size_t(end_ - pos_) < length || std::memcmp(pos_, element.name.data(), length) != 0) {
    err_->error(kXmlExpectedEndOfTag);
    skipThrough(">");
    return true;
  }
  pos_ += element.name.size();
  skipWhitespace();
  if (peek() == '>') {
    next();
  } else {
    err_->error(kXmlUnterminatedEndTag);
  }
  doc_->endElement(element);
  return !element.isRoot;
}

// Runs for every start tag; a slot is added only when the document nests deeper than before.
inline XMLElement& XMLScanner::pushElement() {
  if (open_ == stack_.size()) addStackSlot();
  return stack_[open_];
}

void XMLScanner::addStackSlot() {
  if (stack_.size() == stack_.capacity()) {
    stack_.reserve(std::max(kStackReserve, stack_.capacity() * 5 / 4));
  }
  stack_.emplace_back();
}

bool XMLScanner::isDuplicateAttribute(const XMLElement& element) {
  constexpr std::size_t kLinearSearchLimit = 16;
  const AttrVector& attributes = element.attributes;
  if (attributes.size() < kLinearSearchLimit) return attributes.find(name_) != nullptr;
  if (attributes.size() == kLinearSearchLimit) {
    attributeNames_.clear();
    for (const XMLAttribute& a : attributes) attributeNames_.insert(a.name);
  }
  return !attributeNames_.insert(name_).second;
}

inline bool XMLScanner::readStartTag() {
  ++pos_;                               // "<"
  XMLElement& element = pushElement();  // filled in place; counted as open only at the end
  element.attributes.clear();
  element.isEmpty = false;
  if (!readName(element.name)) {
    err_->error(kXmlExpectedElementName);
    moveToNextLessThan();
    return true;
  }
  if (pos_ != end_ && *pos_ == '>') {
    ++pos_;  // the usual tag: a name and no attributes
  } else if (!readTagRest(element)) {
    return true;  // abandoned: reported, and not opened
  }
  element.isRoot = open_ == 0;
  bool finished = false;
  if (element.isEmpty) {
    finished = element.isRoot;  // popped at once: open_ stays
  } else {
    ++open_;
  }
  doc_->startElement(element);
  return !finished;
}

inline bool XMLScanner::stepInner() {
  if (pos_ == end_) {
    if (open_ > 0) err_->error(kXmlUnclosedTags);
    return false;
  }
  if (*pos_ != '<') {
    // Text between tags is mostly a line end: one pass finds both the "<" and any CR.
    const char* start = pos_;
    bool hasCr = false;
    while (pos_ != end_ && *pos_ != '<') {
      hasCr |= *pos_ == '\r';
      ++pos_;
    }
    std::string_view raw(start, std::size_t(pos_ - start));
    if (!hasCr) {
      doc_->characters(raw);
    } else if (raw == "\r\n") {
      doc_->characters("\n");  // the line end between two tags of every message
    } else {
      text_.clear();
      if (text_.capacity() < raw.size()) text_.reserve(std::max(kTextReserve, 2 * raw.size()));
      appendFoldedLineEnds(text_, raw);
      doc_->characters(text_);
    }
    // A text always ends at a tag or the end of input; the tag is read in the same step, which
    // saves the round through the caller's loop for every line end of a message.
    if (pos_ == end_) return true;
  }
  const char second = end_ - pos_ > 1 ? pos_[1] : '\0';
  if (second == '/') return readEndTag();
  if (second == '!') {
    if (lookingAt("<![CDATA[")) {
      if (open_ == 0) err_->error(kXmlCdataOutsideRoot);
      skipThrough("]]>");
    } else if (lookingAt("<!--")) {
      skipThrough("-->");
    } else {
      err_->error(kXmlExpectedCommentOrCdata);
      pos_ += 2;
      moveToNextLessThan();
    }
    return true;
  }
  if (second == '?') {
    skipThrough("?>");
    return true;
  }
  return readStartTag();
}

bool XMLScanner::step() {
  try {
    return stepInner();
  } catch (const XMLException& e) {
    err_->fatalError(e.code());
    return false;
  }
}

bool XMLScanner::readTagRest(XMLElement& element) {
  skipWhitespace();
  for (;;) {
    int c = peek();
    if (!element.attributes.empty() && c != '/' && c != '>') {
      if (c != kEnd && isSpace(c)) {
        skipWhitespace();
      } else {
        err_->error(kXmlExpectedWhitespace);
      }
      c = peek();
    }
    if (c == kEnd) throw XMLException(XMLException::kUnexpectedEnd);
    if (c == '/') {
      next();
      element.isEmpty = true;
      if (peek() == '>') {
        next();
      } else {
        err_->error(kXmlUnterminatedStartTag);
      }
      break;
    }
    if (c == '>') {
      next();
      break;
    }
    if (c == '<') {
      err_->error(kXmlUnterminatedStartTag);
      break;
    }
    if (!readName(name_)) {
      err_->error(kXmlExpectedAttributeName);
      skipThrough(">");
      return false;
    }
    if (isDuplicateAttribute(element)) {
      err_->error(kXmlDuplicateAttribute);
      continue;
    }
    skipWhitespace();
    if (peek() != '=') {
      err_->error(kXmlExpectedEqualSign);
      skipThrough(">");
      return false;
    }
    next();
    skipWhitespace();
    if (!readAttributeValue(value_)) {
      err_->error(kXmlExpectedAttributeValue);
      skipThrough(">");
      return false;
    }
    element.attributes.append(name_, value_);
  }
  return true;
}

}  // namespace telvane
