#pragma once
// The control's registration data. The four GUIDs were chosen once for the product and never
// change between versions: hosts find the control through them and the ProgID.
#include <cstdint>
#include <string_view>

namespace telvane::registration {

inline constexpr std::string_view kLibId = "{1AE58ED9-73A8-4929-995F-89896D961BCD}";
inline constexpr std::string_view kDispatchIid = "{D274BF51-1FDC-4641-8C34-A8D76FEFD6B3}";
inline constexpr std::string_view kEventsIid = "{6F45ECE5-BF07-404F-96F0-0D43015DB8F4}";
inline constexpr std::string_view kClsid = "{206220A9-EEC7-40A1-BC5F-783553A1D41B}";

inline constexpr std::string_view kTypeLibName = "TELVANELib";
inline constexpr std::string_view kTypeLibHelp = "Telvane ActiveX Control module";
inline constexpr std::string_view kTypeLibVersion = "5.1";
inline constexpr std::string_view kDispatchName = "_DTelvane";
inline constexpr std::string_view kDispatchHelp = "Dispatch interface for Telvane Control";
inline constexpr std::string_view kEventsName = "_DTelvaneEvents";
inline constexpr std::string_view kEventsHelp = "Event interface for Telvane Control";
inline constexpr std::string_view kCoclassName = "Telvane";
inline constexpr std::string_view kClassHelp = "Telvane Control";

inline constexpr std::string_view kProgId = "TELVANE.TelvaneCtrl.1";
inline constexpr std::string_view kTypeName = "Telvane Control";  // string resource 1
inline constexpr int kToolboxBitmap = 201;
inline constexpr std::string_view kThreadingModel = "Apartment";
// Recompose on resize, only iconic, can't link inside, inside-out, activate when visible, set
// client site first.
inline constexpr uint32_t kMiscStatus = 0x20193;
inline constexpr std::string_view kFileVersion = "5.1.1.0";
inline constexpr std::string_view kFileDescription = "Telvane ActiveX Control Module";

}  // namespace telvane::registration
