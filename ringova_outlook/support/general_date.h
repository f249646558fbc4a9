#pragma once
// The system's general date and time: short date, a blank, long time, as the
// user's regional settings (LC_TIME) write them.

#include <ctime>
#include <string>

namespace ringova {

// locale_name "" means the environment's LC_TIME; an unknown name falls back to
// "C". Two-digit years are written with four digits ("12/08/2026 10:24:02" in
// the "C" locale).
std::string FormatGeneralDate(const std::tm& local_time, const char* locale_name = "");

// The current local time in that form.
std::string GeneralDateNow();

}  // namespace ringova
