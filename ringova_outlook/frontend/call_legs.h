#pragma once
// The outgoing call's two legs and its prompt flags, shared by the connection (which resets them
// when the session ends) and the call flow.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/ui/clock.h"

namespace ringova {

inline constexpr std::int16_t kLegIdle = 3;  // the closed state; idle legs are kept at it

struct CallLeg {
  std::string CallID = "0";  // "0": no call
  std::int16_t State = kLegIdle;
  // The PBX has reported a state for this call: its "createcall" was taken. State cannot tell,
  // since idle legs are kept at the closed state.
  bool StateSeen = false;
};

struct CallLegs {
  CallLeg Leg1;
  CallLeg Leg2;
  bool PromptPlaying = false;
  bool CallFailed = false;
  bool FailurePromptStarted = false;
  // When "joincalls" went out for both legs (UI clock); cleared by their next state report.
  std::optional<platform::ui::Clock::TimePoint> JoinSentAt;

  // Both legs idle and every prompt flag cleared, so a new call starts without the old one's
  // failure state.
  void ResetCallState() { *this = CallLegs{}; }
};

}  // namespace ringova
