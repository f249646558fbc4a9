#include "telvane/xml/attr_vector.h"

#include <algorithm>

namespace telvane {

void AttrVector::append(std::string_view name, std::string_view value) {
  if (items_.size() == items_.capacity()) {
    // Geometric past the first slots: a fixed step would make a tag with thousands of
    // attributes cost quadratic time in moves.
    const std::size_t step = std::max<std::size_t>(10, items_.capacity() / 2);
    items_.reserve(std::max(items_.size() + 1, items_.capacity() + step));
  }
  items_.push_back(XMLAttribute{std::string(name), std::string(value)});
}

const XMLAttribute* AttrVector::find(std::string_view name) const {
  for (const XMLAttribute& a : items_) {
    if (a.name == name) return &a;
  }
  return nullptr;
}

}  // namespace telvane
