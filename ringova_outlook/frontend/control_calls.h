#pragma once
// Typed calls and events over the control's dispatch interface, made from the interface table:
// each method's arguments must have the C++ types of its row (texts for texts and IDs, bool,
// std::int16_t, std::int32_t, std::uint16_t for a port, std::string& for an out-text), so a
// wrong argument does not compile. The calls still go by name through Invoke, as any host's.
#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "include/telvane/control_interface.h"
#include "platform/com/variant.h"

namespace ringova::control_calls {

using telvane::interface::Kind;

template <Kind K, class A>
constexpr bool fits() {
  using Plain = std::remove_cvref_t<A>;
  if constexpr (K == Kind::Text || K == Kind::CallId) {
    return std::convertible_to<A, std::string_view>;
  } else if constexpr (K == Kind::Bool) {
    return std::same_as<Plain, bool>;
  } else if constexpr (K == Kind::I2) {
    return std::same_as<Plain, std::int16_t>;
  } else if constexpr (K == Kind::I4) {
    return std::same_as<Plain, std::int32_t>;
  } else if constexpr (K == Kind::Port) {
    return std::same_as<Plain, std::uint16_t>;
  } else {
    return std::same_as<A, std::string&>;
  }
}

template <Kind K, class A>
platform::Variant toVariant(A&& a) {
  if constexpr (K == Kind::Text || K == Kind::CallId) {
    return platform::Variant(std::string(std::string_view(a)));
  } else if constexpr (K == Kind::Port) {
    // The interface carries a port as a signed 16-bit number; the control reads its bits.
    return platform::Variant(static_cast<std::int16_t>(a));
  } else if constexpr (K == Kind::TextOut) {
    return platform::Variant::ref(a);
  } else {
    return platform::Variant(a);
  }
}

template <telvane::interface::MethodId Id>
inline constexpr const telvane::interface::Method& kRow = telvane::interface::method(Id);

template <telvane::interface::MethodId Id, class... A, std::size_t... I>
constexpr bool argumentsFit(std::index_sequence<I...>) {
  return ((fits<kRow<Id>.params[I].kind, A>()) && ...);
}

template <telvane::interface::MethodId Id, class... A>
concept ArgumentsOf = sizeof...(A) == kRow<Id>.params.size() &&
                      argumentsFit<Id, A...>(std::index_sequence_for<A...>());

template <telvane::interface::MethodId Id, class... A, std::size_t... I>
std::vector<platform::Variant> arguments(std::index_sequence<I...>, A&&... a) {
  std::vector<platform::Variant> args;
  args.reserve(sizeof...(A));
  (args.push_back(toVariant<kRow<Id>.params[I].kind>(std::forward<A>(a))), ...);
  return args;
}

// What a method answers to the add-in: bool, or an ID text ("0" when it failed).
template <telvane::interface::MethodId Id>
using Result = std::conditional_t<kRow<Id>.result == Kind::Bool, bool, std::string>;

// An event's value of `kind` from its Variant; false when it does not convert.
template <Kind K>
struct EventValue;
template <>
struct EventValue<Kind::Text> {
  std::string value;
  bool read(const platform::Variant& v) { return v.toText(value); }
};
template <>
struct EventValue<Kind::CallId> : EventValue<Kind::Text> {};
template <>
struct EventValue<Kind::Bool> {
  bool value = false;
  bool read(const platform::Variant& v) { return v.toBool(value); }
};
template <>
struct EventValue<Kind::I2> {
  std::int16_t value = 0;
  bool read(const platform::Variant& v) { return v.toI2(value); }
};
template <>
struct EventValue<Kind::I4> {
  std::int32_t value = 0;
  bool read(const platform::Variant& v) { return v.toI4(value); }
};

template <telvane::interface::EventId Id>
inline constexpr const telvane::interface::Event& kEventRow = telvane::interface::event(Id);

// Calls `handler` with the event's values in their C++ types; an event whose values do not read
// as its row says (a foreign control) is dropped.
template <telvane::interface::EventId Id, class Handler, std::size_t... I>
void deliver(const std::vector<platform::Variant>& args, Handler& handler,
             std::index_sequence<I...>) {
  if (args.size() < sizeof...(I)) return;
  std::tuple<EventValue<kEventRow<Id>.params[I].kind>...> values;
  if (!(std::get<I>(values).read(args[I]) && ...)) return;
  handler(std::get<I>(values).value...);
}

}  // namespace ringova::control_calls
