#pragma once
// The outgoing call's two legs and its prompt flags, shared by the connection (which resets them
// when the session ends) and the call flow.
#include <cstdint>
#include <string>

namespace ringova {

inline constexpr std::int16_t kLegIdle = 3;  // the closed state; idle legs are kept at it

struct CallLeg {
  std::string CallID = "0";  // "0": no call
  std::int16_t State = kLegIdle;
};

struct CallLegs {
  CallLeg Leg1;
  CallLeg Leg2;
  bool PromptPlaying = false;
  bool CallFailed = false;
  bool FailurePromptStarted = false;

  // Both legs idle and every prompt flag cleared, so a new call starts without the old one's
  // failure state.
  void ResetCallState() { *this = CallLegs{}; }
};

}  // namespace ringova
