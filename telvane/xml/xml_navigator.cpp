#include "telvane/xml/xml_navigator.h"

#include <sys/stat.h>

#include <cstdio>

#include "telvane/xml/xml_messages.h"

namespace telvane {

XMLNavigator::XMLNavigator() : scanner_(this, this) {}

XMLNavigator::~XMLNavigator() = default;

bool XMLNavigator::parse(std::string_view buffer) {
  return load(buffer, true);
}

bool XMLNavigator::parseBorrowed(std::string_view buffer) {
  return load(buffer, false);
}

bool XMLNavigator::load(std::string_view buffer, bool copy) {
  if (active_) return false;
  active_ = true;
  more_ = true;
  depth_ = 0;
  scanner_.begin(buffer, copy);
  return true;
}

bool XMLNavigator::parseFile(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) {
    send("Maybe file does not exist");
    return false;
  }
  if (status.st_size <= 0) {
    send("Something wrong");
    return false;
  }
  std::FILE* file = std::fopen(path.c_str(), "r");
  if (file == nullptr) {
    send("Can't open file");
    return false;
  }
  std::string text;
  text.reserve(std::size_t(status.st_size));
  char piece[255];
  std::size_t n;
  while ((n = std::fread(piece, 1, sizeof piece, file)) > 0) text.append(piece, n);
  std::fclose(file);
  return parse(text);
}

void XMLNavigator::finish() {
  more_ = false;
  scanner_.end();
  active_ = false;
}

// Both ways to the next element run this for every tag a message class looks at.
inline void XMLNavigator::moveToNextElement() {
  stop_ = false;
  found_ = false;
  while (!stop_) {
    if (!scanner_.step()) {
      finish();
      break;
    }
  }
}

bool XMLNavigator::nextElement(XMLElement& out) {
  if (!more_) return false;
  target_ = &out;
  moveToNextElement();
  target_ = nullptr;
  return found_;
}

bool XMLNavigator::nextElementName(std::string_view& name) {
  if (!more_) return false;
  targetName_ = &name;
  moveToNextElement();
  targetName_ = nullptr;
  return found_;
}

bool XMLNavigator::readText(std::string& out) {
  if (!active_) return false;
  return scanner_.readText(out);
}

bool XMLNavigator::readRawText(std::string_view& out) {
  if (!active_) return false;
  return scanner_.readRawText(out);
}

bool XMLNavigator::skipElement() {
  if (!more_) return false;
  depth_ = 1;
  while (depth_ > 0) {
    if (!scanner_.step()) {
      finish();
      break;
    }
  }
  return more_;
}

void XMLNavigator::startElement(const XMLElement& element) {
  if (targetName_ != nullptr) {
    *targetName_ = element.name;  // the scanner keeps the record until its next start tag
    stop_ = true;
    found_ = true;
  } else if (target_ != nullptr) {
    target_->name.assign(element.name);
    // Most tags of a message have no attributes: skip the copy then.
    if (!element.attributes.empty() || !target_->attributes.empty()) {
      target_->attributes = element.attributes;
    }
    target_->isRoot = element.isRoot;
    target_->isEmpty = element.isEmpty;
    stop_ = true;
    found_ = true;
  }
  if (!element.isEmpty) ++depth_;
}

void XMLNavigator::endElement(const XMLElement&) {
  --depth_;
  stop_ = true;
  found_ = false;
}

void XMLNavigator::send(const char* text) {
  if (receiver_ != nullptr && text != nullptr) receiver_->report(text);
}

void XMLNavigator::fatalError(int code) {
  if (code == 1 || code == 2) send(xmlMessageText(17 + code));
}

void XMLNavigator::error(int code) {
  if (code >= 1 && code <= 16) send(xmlMessageText(code));
}

}  // namespace telvane
