// typed_values.hpp: the C++ types of the control's interface (control_interface.h) and their
// texts as the C interface passes them. Used by telvane.hpp for C++20 hosts; header only.
#ifndef TELVANE_TYPED_VALUES_HPP
#define TELVANE_TYPED_VALUES_HPP

#include <charconv>
#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "control_interface.h"
#include "telvane_c.h"

namespace telvane {

using CallId = std::uint64_t;

// What a typed call gives back: a value, or why there is none. `status` is the C interface's
// (TELVANE_OK when the control ran the method); `refused` is set when it ran it and answered
// false or "0".
template <class T>
struct Result {
  int status = TELVANE_OK;
  bool refused = false;
  std::string error;
  T value{};

  bool ok() const { return status == TELVANE_OK && !refused; }
  explicit operator bool() const { return ok(); }
};

template <>
struct Result<void> {
  int status = TELVANE_OK;
  bool refused = false;
  std::string error;

  bool ok() const { return status == TELVANE_OK && !refused; }
  explicit operator bool() const { return ok(); }
};

namespace typed {

using interface::Kind;

// The C++ type of a value of `kind` in a host's hands.
template <Kind K>
struct ValueOf {
  using type = std::string;
};
template <>
struct ValueOf<Kind::CallId> {
  using type = CallId;
};
template <>
struct ValueOf<Kind::Bool> {
  using type = bool;
};
template <>
struct ValueOf<Kind::I2> {
  using type = std::int16_t;
};
template <>
struct ValueOf<Kind::I4> {
  using type = std::int32_t;
};
template <>
struct ValueOf<Kind::Port> {
  using type = std::uint16_t;
};

template <Kind K, class A>
constexpr bool fits() {
  using Plain = std::remove_cvref_t<A>;
  if constexpr (K == Kind::Text) {
    return std::convertible_to<A, std::string_view>;
  } else if constexpr (K == Kind::TextOut) {
    return std::same_as<A, std::string&>;
  } else {
    return std::same_as<Plain, typename ValueOf<K>::type>;
  }
}

template <Kind K, class A>
std::string toText(const A& a) {
  if constexpr (K == Kind::Text) {
    return std::string(std::string_view(a));
  } else if constexpr (K == Kind::Bool) {
    return a ? "true" : "false";
  } else {
    return std::to_string(a);
  }
}

template <class T>
bool fromText(std::string_view text, T& out) {
  if constexpr (std::is_same_v<T, std::string>) {
    out = std::string(text);
    return true;
  } else if constexpr (std::is_same_v<T, bool>) {
    out = text == "true";
    return out || text == "false";
  } else {
    const char* end = text.data() + text.size();
    auto [at, error] = std::from_chars(text.data(), end, out);
    return error == std::errc() && at == end;
  }
}

template <interface::MethodId Id>
inline constexpr const interface::Method& kMethod = interface::method(Id);
template <interface::EventId Id>
inline constexpr const interface::Event& kEvent = interface::event(Id);

template <interface::MethodId Id, class... A, std::size_t... I>
constexpr bool argumentsFit(std::index_sequence<I...>) {
  return ((fits<kMethod<Id>.params[I].kind, A>()) && ...);
}

template <interface::MethodId Id, class... A>
concept ArgumentsOf = sizeof...(A) == kMethod<Id>.params.size() &&
                      argumentsFit<Id, A...>(std::index_sequence_for<A...>());

template <interface::MethodId Id>
using ResultOf = std::conditional_t<kMethod<Id>.result == Kind::Bool, Result<void>, Result<CallId>>;

template <interface::EventId Id, std::size_t... I>
auto valuesOf(std::index_sequence<I...>)
    -> std::tuple<typename ValueOf<kEvent<Id>.params[I].kind>::type...>;

}  // namespace typed

// One event with its values in their C++ types, in the interface's order:
//   control.on<telvane::CallStateChanged>([](const telvane::CallStateChanged& e) {
//     CallId call = e.get<0>(); std::int16_t state = e.get<1>(); });
template <interface::EventId Id>
struct TypedEvent {
  static constexpr interface::EventId kId = Id;
  static constexpr std::string_view kName = typed::kEvent<Id>.name;
  using Values =
      decltype(typed::valuesOf<Id>(std::make_index_sequence<typed::kEvent<Id>.params.size()>()));
  Values values;

  template <std::size_t I>
  const auto& get() const {
    return std::get<I>(values);
  }
  // Reads the C interface's texts; false when one does not read as its type.
  bool read(int argc, const char* const* argv) {
    if (argc != static_cast<int>(std::tuple_size_v<Values>)) return false;
    return std::apply(
        [&](auto&... v) {
          int i = 0;
          bool all = (typed::fromText(argv[i++], v) && ...);
          (void)i;
          return all;
        },
        values);
  }
};

namespace typed {
template <Kind K, class A>
void collect(std::vector<std::string>& texts, std::vector<std::string*>& outs, A& a) {
  if constexpr (K == Kind::TextOut) {
    outs.push_back(&a);
  } else {
    texts.push_back(toText<K>(a));
  }
}
}  // namespace typed

#define TELVANE_TYPED_EVENT(dispId, number, Name) using Name = TypedEvent<interface::EventId::Name>;
TELVANE_CONTROL_EVENTS(TELVANE_TYPED_EVENT)
#undef TELVANE_TYPED_EVENT

}  // namespace telvane

#endif  // TELVANE_TYPED_VALUES_HPP
