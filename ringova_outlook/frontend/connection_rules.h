#pragma once
// The decisions of the PBX connection that need no window: the login texts, how calls are joined
// for a PBX version, the user's own identity in the extension list, and the reconnect wait cut
// into timer steps.
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace ringova {

// "Ddd Mmm d hh:mm:ss yyyy": abbreviated weekday and month names of the locale (locale_name ""
// is the environment's LC_TIME; an unknown one falls back to "C"), day without a leading zero,
// 24-hour time, four-digit year.
std::string LoginTimestamp(const std::tm& local_time, const char* locale_name = "");

// Lower-case hexadecimal MD5 of user, password and timestamp, fed in that order, each as its
// bytes in the Windows code page `codePage` (the system's ANSI code page, which the PBX digests
// too). Nothing when a text has a character without a byte there; `unmappable` then names it
// ("user name", "password" or "timestamp").
std::optional<std::string> AuthenticationText(std::string_view user, std::string_view password,
                                              std::string_view timestamp, int codePage,
                                              std::string* unmappable = nullptr);

// True (transfer the user's answered call) unless the version text is "x-MAJOR.MINOR.BUILD-y"
// of a PBX that joins separate calls: 5.1.26 and later.
bool UseCallForwardFor(std::string_view softwareVersion);

struct OwnIdentity {
  bool found = false;  // a record of the user was found
  std::string displayName;
  std::string authUser;  // the user part of the record's SIP address
};

// Walks the "~"-separated records of five fields for the first one whose extension is `user`.
OwnIdentity FindOwnIdentity(std::string_view extList, std::string_view user);

// The reconnect wait: timer steps of at most 60 s, the rest kept for the next steps.
struct ReconnectSteps {
  int intervalMs = 0;
  int remaining = 0;  // seconds beyond the current interval

  void Program(int timeReconnect);
  // After a tick: true when a further step is due (interval updated), false when the wait is over.
  bool Next();
};

}  // namespace ringova
