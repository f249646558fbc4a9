#include "ringova_outlook/dialing/registry_value.h"

#include <optional>

namespace ringova {
namespace {
thread_local RegResult last_result = RegResult::Success;
}

RegValue QueryRegValue(const platform::Registry& root, std::string_view key,
                       std::string_view name) {
  if (!root.keyExists(key)) {
    last_result = RegResult::FileNotFound;
    return std::string();
  }
  std::optional<platform::RegistryValue> value = root.value(key, name);
  if (!value) {
    last_result = RegResult::FileNotFound;
    return std::string();
  }
  last_result = RegResult::Success;
  if (value->type == platform::RegistryValueType::DWord) return value->number;
  // Text ends at its first NUL, as a string read from the registry does.
  std::string text = value->text;
  if (size_t nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
  return text;
}

RegResult LastRegResult() {
  return last_result;
}

std::string RegValueText(const RegValue& value) {
  if (const uint32_t* n = std::get_if<uint32_t>(&value)) return std::to_string(*n);
  return std::get<std::string>(value);
}

}  // namespace ringova
