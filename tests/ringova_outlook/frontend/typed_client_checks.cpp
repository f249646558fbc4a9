// The add-in's client takes only the calls the control's interface takes: these checks fail to
// compile when a wrong argument type, count or out-parameter would be accepted.
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "ringova_outlook/frontend/telvane_client.h"

namespace ringova {
namespace {

using Client = TelvaneClient;

template <class C>
concept TextsForTexts = requires(C& c, std::string s, std::string_view v) {
  { c.CreateCallCID(s, "to", v, s) } -> std::same_as<std::string>;
  { c.CloseCall(s) } -> std::same_as<bool>;
};
static_assert(TextsForTexts<Client>);

template <class C>
concept NumberForText = requires(C& c) {
  c.CloseCall(42);
};
static_assert(!NumberForText<Client>);

template <class C>
concept TooFewArguments = requires(C& c) {
  c.CreateCall("from", "to");
};
static_assert(!TooFewArguments<Client>);

template <class C>
concept TooManyArguments = requires(C& c) {
  c.CloseCall("1", "2");
};
static_assert(!TooManyArguments<Client>);

template <class C>
concept IntForBool = requires(C& c) {
  c.EnableDtmfDetection("1", 1);
};
static_assert(!IntForBool<Client>);

template <class C>
concept ExactWidths = requires(C& c) {
  c.PlayMessage("1", "prompt.wav", std::int16_t{3});
  c.SConnect("pbx", std::uint16_t{4849}, std::int32_t{20}, "101", "0", "digest");
};
static_assert(ExactWidths<Client>);

template <class C>
concept IntForI2 = requires(C& c) {
  c.PlayMessage("1", "prompt.wav", 3);
};
static_assert(!IntForI2<Client>);

template <class C>
concept SignedPort = requires(C& c) {
  c.SConnect("pbx", std::int16_t{4849}, std::int32_t{20}, "101", "0", "digest");
};
static_assert(!SignedPort<Client>);

template <class C>
concept OutTextsByReference = requires(C& c, std::string& a, std::string& b) {
  { c.GetSystemInfo(a, b) } -> std::same_as<bool>;
};
static_assert(OutTextsByReference<Client>);

template <class C>
concept OutTextFromConstant = requires(C& c, const std::string& a) {
  c.GetSystemInfo(a, a);
};
static_assert(!OutTextFromConstant<Client>);

template <class C>
concept OutTextFromLiteral = requires(C& c) {
  c.GetSystemInfo("a", "b");
};
static_assert(!OutTextFromLiteral<Client>);

}  // namespace
}  // namespace ringova
