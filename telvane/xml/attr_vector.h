#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace telvane {

struct XMLAttribute {
  std::string name;
  std::string value;
};

// The attributes of one start tag, in document order. Storage is taken on the first append
// (10 slots) and then grows by half its capacity, at least 10 slots.
class AttrVector {
 public:
  AttrVector() = default;
  virtual ~AttrVector() = default;
  AttrVector(const AttrVector&) = default;
  AttrVector& operator=(const AttrVector&) = default;
  AttrVector(AttrVector&&) noexcept = default;
  AttrVector& operator=(AttrVector&&) noexcept = default;

  void append(std::string_view name, std::string_view value);
  void clear() { items_.clear(); }

  std::size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  const XMLAttribute& operator[](std::size_t i) const { return items_[i]; }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

  // The attribute of that name (compared exactly), or null.
  const XMLAttribute* find(std::string_view name) const;

 private:
  std::vector<XMLAttribute> items_;
};

}  // namespace telvane
