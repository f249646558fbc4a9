#include "platform/com/variant.h"

#include <limits>

namespace platform {

const char* varTypeName(VarType type) {
  switch (type) {
    case VarType::Empty:
      return "EMPTY";
    case VarType::Bool:
      return "BOOL";
    case VarType::I2:
      return "I2";
    case VarType::I4:
      return "I4";
    case VarType::Text:
      return "BSTR";
    case VarType::TextRef:
      return "BSTR*";
  }
  return "?";
}

namespace {

// The value as a wide number, for the numeric coercions; false for texts and empty.
bool asNumber(const Variant& v, int64_t& out) {
  switch (v.type()) {
    case VarType::Bool:
      out = v.boolValue() ? -1 : 0;
      return true;
    case VarType::I2:
      out = v.i2();
      return true;
    case VarType::I4:
      out = v.i4();
      return true;
    default:
      return false;
  }
}

}  // namespace

bool Variant::toBool(bool& out) const {
  int64_t n = 0;
  if (!asNumber(*this, n)) return false;
  out = n != 0;
  return true;
}

bool Variant::toI2(int16_t& out) const {
  int64_t n = 0;
  if (!asNumber(*this, n)) return false;
  if (n < std::numeric_limits<int16_t>::min() || n > std::numeric_limits<int16_t>::max()) {
    return false;
  }
  out = static_cast<int16_t>(n);
  return true;
}

bool Variant::toI4(int32_t& out) const {
  int64_t n = 0;
  if (!asNumber(*this, n)) return false;
  out = static_cast<int32_t>(n);
  return true;
}

bool Variant::toText(std::string& out) const {
  if (type() == VarType::Text) {
    out = text();
    return true;
  }
  if (type() == VarType::TextRef) {
    out = referencedText();
    return true;
  }
  return false;
}

}  // namespace platform
