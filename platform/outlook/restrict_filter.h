// The item filter of Items::Restrict, as far as the add-in writes it: terms "[Property] > ''"
// (the property is not empty) joined by "and" and "or" in any letter case, with parentheses; "and"
// binds closer than "or". Anything else is refused with a message naming the position, never
// treated as a match.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform::outlook {

class Item;

class RestrictFilter {
 public:
  struct Node;

  // Parses the text; on failure the filter is empty and error says what and where.
  static RestrictFilter Parse(std::string_view text, std::string* error);

  bool Valid() const { return root_ != nullptr; }
  // An item lacking a named property does not satisfy that term.
  bool Matches(const Item& item) const;

  RestrictFilter();
  RestrictFilter(RestrictFilter&&) noexcept;
  RestrictFilter& operator=(RestrictFilter&&) noexcept;
  ~RestrictFilter();

 private:
  std::unique_ptr<Node> root_;
};

}  // namespace platform::outlook
