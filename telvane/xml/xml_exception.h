#pragma once

namespace telvane {

// Raised inside one scanner step for the two conditions that end a document, and caught by that
// same step; it never leaves the scanner.
class XMLException {
 public:
  static constexpr int kUnexpectedEnd = 1;  // input ended inside a tag or attribute value
  static constexpr int kUnbalanced = 2;     // an end tag with no open element

  explicit XMLException(int code) : code_(code) {}
  virtual ~XMLException() = default;

  int code() const { return code_; }

 private:
  int code_;
};

}  // namespace telvane
