#pragma once
// The automation value: what crosses a dispatch interface as an argument or a result.
//
// A Variant is empty, a boolean, a signed 16-bit (I2) or 32-bit (I4) integer, a text, or a text
// by reference (an out-parameter the callee sets; the Variant does not own the referenced text).
#include <cstdint>
#include <string>
#include <utility>
#include <variant>

namespace platform {

enum class VarType { Empty, Bool, I2, I4, Text, TextRef };

// The automation name of a type ("BOOL", "I2", ...), for messages.
const char* varTypeName(VarType type);

class Variant {
 public:
  Variant() = default;
  Variant(bool b) : value_(b) {}
  Variant(int16_t n) : value_(n) {}
  Variant(int32_t n) : value_(n) {}
  Variant(std::string text) : value_(std::move(text)) {}
  Variant(const char* text) : value_(std::string(text)) {}
  // Text by reference; `target` must outlive the call the Variant is passed to.
  static Variant ref(std::string& target) {
    Variant v;
    v.value_ = &target;
    return v;
  }

  VarType type() const { return static_cast<VarType>(value_.index()); }
  bool isEmpty() const { return type() == VarType::Empty; }

  // Direct access; each requires the matching type.
  bool boolValue() const { return std::get<bool>(value_); }
  int16_t i2() const { return std::get<int16_t>(value_); }
  int32_t i4() const { return std::get<int32_t>(value_); }
  const std::string& text() const { return std::get<std::string>(value_); }
  std::string& referencedText() const { return *std::get<std::string*>(value_); }

  // Coercions as a dispatch interface applies them to its arguments. Numbers and booleans
  // convert among each other (a number is true when non-zero; true is -1 as a number, as
  // automation booleans are); a text by reference reads as its text. False when the value
  // does not convert, or does not fit the target type.
  bool toBool(bool& out) const;
  bool toI2(int16_t& out) const;
  bool toI4(int32_t& out) const;
  bool toText(std::string& out) const;

  bool operator==(const Variant&) const = default;

 private:
  std::variant<std::monostate, bool, int16_t, int32_t, std::string, std::string*> value_;
};

}  // namespace platform
