#include "platform/outlook/restrict_filter.h"

#include <cctype>
#include <vector>

#include "platform/outlook/item.h"
#include "platform/outlook/text_util.h"

namespace platform::outlook {

struct RestrictFilter::Node {
  enum class Kind { kNotEmpty, kAnd, kOr } kind;
  std::string property;                      // kNotEmpty
  std::vector<std::unique_ptr<Node>> parts;  // kAnd, kOr
};

namespace {

using Node = RestrictFilter::Node;

// Recursive descent over:  or := and ("or" and)* ;  and := term ("and" term)* ;
// term := "(" or ")" | "[" name "]" ">" "''"
class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  std::unique_ptr<Node> Run(std::string* error) {
    SkipBlanks();
    std::unique_ptr<Node> root;
    if (AtEnd())
      Fail("the filter is empty");
    else
      root = ParseOr();
    if (ok_) {
      SkipBlanks();
      if (!AtEnd()) Fail("expected \"and\", \"or\" or the end of the filter");
    }
    if (!ok_) {
      if (error) *error = error_;
      return nullptr;
    }
    return root;
  }

 private:
  bool AtEnd() const { return pos_ >= text_.size(); }
  void SkipBlanks() {
    while (!AtEnd() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  }
  void Fail(const std::string& what) {
    if (!ok_) return;
    ok_ = false;
    error_ = "Restrict: unsupported filter at position " + std::to_string(pos_ + 1) + ": " + what +
             " (only [Property] > '' terms joined by and, or and parentheses are understood)";
  }

  // A keyword must stand alone: "orange" is not "or".
  bool TakeKeyword(std::string_view word) {
    SkipBlanks();
    if (text_.size() - pos_ < word.size()) return false;
    if (!EqualsIgnoreCase(text_.substr(pos_, word.size()), word)) return false;
    const std::size_t after = pos_ + word.size();
    if (after < text_.size()) {
      const unsigned char next = static_cast<unsigned char>(text_[after]);
      if (std::isalnum(next) || next == '_') return false;
    }
    pos_ = after;
    return true;
  }

  bool TakeChar(char c) {
    SkipBlanks();
    if (AtEnd() || text_[pos_] != c) return false;
    ++pos_;
    return true;
  }

  std::unique_ptr<Node> Combine(Node::Kind kind, std::unique_ptr<Node> first,
                                std::unique_ptr<Node> (Parser::*next)(), std::string_view keyword) {
    if (!ok_) return nullptr;
    std::unique_ptr<Node> combined;
    while (TakeKeyword(keyword)) {
      if (!combined) {
        combined = std::make_unique<Node>();
        combined->kind = kind;
        combined->parts.push_back(std::move(first));
      }
      std::unique_ptr<Node> part = (this->*next)();
      if (!ok_) return nullptr;
      combined->parts.push_back(std::move(part));
    }
    return combined ? std::move(combined) : std::move(first);
  }

  std::unique_ptr<Node> ParseOr() {
    std::unique_ptr<Node> first = ParseAnd();
    return Combine(Node::Kind::kOr, std::move(first), &Parser::ParseAnd, "or");
  }

  std::unique_ptr<Node> ParseAnd() {
    std::unique_ptr<Node> first = ParseTerm();
    return Combine(Node::Kind::kAnd, std::move(first), &Parser::ParseTerm, "and");
  }

  std::unique_ptr<Node> ParseTerm() {
    if (!ok_) return nullptr;
    if (TakeChar('(')) {
      std::unique_ptr<Node> inner = ParseOr();
      if (ok_ && !TakeChar(')')) Fail("expected \")\"");
      return ok_ ? std::move(inner) : nullptr;
    }
    if (!TakeChar('[')) {
      Fail(AtEnd() ? "the filter ends where a term was expected" : "expected \"[\" or \"(\"");
      return nullptr;
    }
    const std::size_t name_start = pos_;
    while (!AtEnd() && text_[pos_] != ']') ++pos_;
    if (AtEnd()) {
      pos_ = name_start;
      Fail("the property name has no closing \"]\"");
      return nullptr;
    }
    const std::string_view name = TrimBlanks(text_.substr(name_start, pos_ - name_start));
    if (!IsKnownProperty(name)) {
      pos_ = name_start;
      Fail("unknown property \"" + std::string(name) + "\"");
      return nullptr;
    }
    ++pos_;  // ']'
    if (!TakeChar('>')) {
      Fail("expected \">\" after the property (the only comparison understood is > '')");
      return nullptr;
    }
    SkipBlanks();
    if (AtEnd() || text_[pos_] == '=') {
      Fail("expected '' after \">\"");
      return nullptr;
    }
    const char quote = text_[pos_];
    if ((quote != '\'' && quote != '"') || pos_ + 1 >= text_.size() || text_[pos_ + 1] != quote) {
      Fail("expected an empty text '' after \">\"");
      return nullptr;
    }
    pos_ += 2;
    auto node = std::make_unique<Node>();
    node->kind = Node::Kind::kNotEmpty;
    node->property = std::string(name);
    return node;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  bool ok_ = true;
  std::string error_;
};

bool Evaluate(const Node& node, const Item& item) {
  switch (node.kind) {
    case Node::Kind::kNotEmpty: {
      const auto value = item.GetProperty(node.property);
      return value && !value->empty();
    }
    case Node::Kind::kAnd:
      for (const auto& part : node.parts)
        if (!Evaluate(*part, item)) return false;
      return true;
    case Node::Kind::kOr:
      for (const auto& part : node.parts)
        if (Evaluate(*part, item)) return true;
      return false;
  }
  return false;
}

}  // namespace

RestrictFilter::RestrictFilter() = default;
RestrictFilter::RestrictFilter(RestrictFilter&&) noexcept = default;
RestrictFilter& RestrictFilter::operator=(RestrictFilter&&) noexcept = default;
RestrictFilter::~RestrictFilter() = default;

RestrictFilter RestrictFilter::Parse(std::string_view text, std::string* error) {
  RestrictFilter filter;
  filter.root_ = Parser(text).Run(error);
  return filter;
}

bool RestrictFilter::Matches(const Item& item) const {
  return root_ && Evaluate(*root_, item);
}

}  // namespace platform::outlook
