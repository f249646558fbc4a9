#include "telvane/control/control_tables.h"

#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

#include "telvane/control/telvane_ctrl.h"
#include "telvane/control/telvane_events.h"

namespace telvane {

namespace {

using interface::Kind;
using platform::Variant;
using platform::VarType;

template <class F>
struct MemberSignature;
template <class R, class Class, class... A>
struct MemberSignature<R (Class::*)(A...)> {
  using Result = R;
  using Params = std::tuple<A...>;
  static constexpr std::size_t kArity = sizeof...(A);
};

// The C++ type a member takes for a parameter of `kind`.
template <class T>
constexpr bool takes(Kind kind) {
  switch (kind) {
    case Kind::Text:
    case Kind::CallId:
      return std::is_same_v<T, const std::string&>;
    case Kind::TextOut:
      return std::is_same_v<T, std::string&>;
    case Kind::Bool:
      return std::is_same_v<T, bool>;
    case Kind::I2:
    case Kind::Port:
      return std::is_same_v<T, int16_t>;
    case Kind::I4:
      return std::is_same_v<T, int32_t>;
  }
  return false;
}

template <class Params, std::size_t... I>
constexpr bool paramsFit([[maybe_unused]] std::span<const interface::Param> row,
                         std::index_sequence<I...>) {
  return ((takes<std::tuple_element_t<I, Params>>(row[I].kind)) && ...);
}

template <class T>
decltype(auto) argument(const Args& a, std::size_t i) {
  if constexpr (std::is_same_v<T, std::string&>) {
    return a[i].referencedText();
  } else if constexpr (std::is_same_v<T, const std::string&>) {
    return a[i].text();
  } else if constexpr (std::is_same_v<T, bool>) {
    return a[i].boolValue();
  } else if constexpr (std::is_same_v<T, int16_t>) {
    return a[i].i2();
  } else {
    static_assert(std::is_same_v<T, int32_t>);
    return a[i].i4();
  }
}

template <auto Member, std::size_t... I>
auto callMember(auto& target, const Args& a, std::index_sequence<I...>) {
  using Params = typename MemberSignature<decltype(Member)>::Params;
  return (target.*Member)(argument<std::tuple_element_t<I, Params>>(a, I)...);
}

template <interface::MethodId Id, auto Member>
constexpr MethodEntry bindMethod() {
  using Signature = MemberSignature<decltype(Member)>;
  constexpr const interface::Method& row = interface::method(Id);
  static_assert(row.params.size() == Signature::kArity, "the member's parameter count");
  static_assert(paramsFit<typename Signature::Params>(
                    row.params, std::make_index_sequence<Signature::kArity>()),
                "the member's parameter types");
  static_assert(row.result == Kind::Bool ? std::is_same_v<typename Signature::Result, bool>
                                         : std::is_same_v<typename Signature::Result, std::string>,
                "the member's result type");
  return {&row, [](CTelvaneCtrl& c, Args& a) -> Variant {
            return callMember<Member>(c, a, std::make_index_sequence<Signature::kArity>());
          }};
}

template <interface::EventId Id, auto Handler>
constexpr EventEntry bindEvent() {
  using Signature = MemberSignature<decltype(Handler)>;
  constexpr const interface::Event& row = interface::event(Id);
  static_assert(row.params.size() == Signature::kArity, "the handler's parameter count");
  static_assert(paramsFit<typename Signature::Params>(
                    row.params, std::make_index_sequence<Signature::kArity>()),
                "the handler's parameter types");
  return {&row, [](TelvaneEvents& s, const Args& a) {
            callMember<Handler>(s, a, std::make_index_sequence<Signature::kArity>());
          }};
}

#define TELVANE_BIND_METHOD(dispId, Name, result, synchronous) \
  bindMethod<interface::MethodId::Name, &CTelvaneCtrl::Name>(),
constexpr MethodEntry kMethods[] = {TELVANE_CONTROL_METHODS(TELVANE_BIND_METHOD)};
#undef TELVANE_BIND_METHOD

#define TELVANE_BIND_EVENT(dispId, number, Name) \
  bindEvent<interface::EventId::Name, &TelvaneEvents::Name>(),
constexpr EventEntry kEvents[] = {TELVANE_CONTROL_EVENTS(TELVANE_BIND_EVENT)};
#undef TELVANE_BIND_EVENT

template <class Entry>
std::vector<platform::MemberInfo> describe(std::span<const Entry> entries) {
  std::vector<platform::MemberInfo> infos;
  for (const Entry& e : entries) {
    platform::MemberInfo info;
    info.id = e.row->dispId;
    info.name = std::string(e.row->name);
    for (const interface::Param& p : e.row->params) {
      info.params.push_back({std::string(p.name), variantType(p.kind)});
    }
    if constexpr (requires { e.row->result; }) info.result = variantType(e.row->result);
    infos.push_back(std::move(info));
  }
  return infos;
}

}  // namespace

VarType variantType(Kind kind) {
  switch (interface::automationType(kind)) {
    case interface::AutomationType::Bool:
      return VarType::Bool;
    case interface::AutomationType::I2:
      return VarType::I2;
    case interface::AutomationType::I4:
      return VarType::I4;
    case interface::AutomationType::TextRef:
      return VarType::TextRef;
    case interface::AutomationType::Text:
      break;
  }
  return VarType::Text;
}

std::span<const MethodEntry> methodTable() {
  return kMethods;
}
std::span<const EventEntry> eventTable() {
  return kEvents;
}

const MethodEntry* findMethodEntry(platform::DispId id) {
  for (const MethodEntry& e : kMethods) {
    if (e.row->dispId == id) return &e;
  }
  return nullptr;
}

const EventEntry* findEventEntry(platform::DispId id) {
  for (const EventEntry& e : kEvents) {
    if (e.row->dispId == id) return &e;
  }
  return nullptr;
}

const std::vector<platform::MemberInfo>& methodInfos() {
  static const std::vector<platform::MemberInfo> infos = describe(methodTable());
  return infos;
}

const std::vector<platform::MemberInfo>& eventInfos() {
  static const std::vector<platform::MemberInfo> infos = describe(eventTable());
  return infos;
}

}  // namespace telvane
