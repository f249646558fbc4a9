#pragma once
// The error codes of the update check's Internet calls and their user texts.
// The codes are those the desktop platform's Internet calls report (12001 to
// 12036); our libcurl calls are mapped onto them (FtpClient), so the user
// sees the same texts. A code below 12000 is a system error of the local side
// (3 path not found, 5 access denied, ...), which has no text of its own.

#include <cstdint>
#include <string_view>

namespace ringova {

// 0 means success.
using InternetError = std::uint32_t;

inline constexpr InternetError kInternetTimeout = 12002;
inline constexpr InternetError kInternetExtendedError = 12003;
inline constexpr InternetError kInternetInternalError = 12004;
inline constexpr InternetError kInternetNameNotResolved = 12007;
inline constexpr InternetError kInternetLoginFailure = 12015;
inline constexpr InternetError kInternetOperationCancelled = 12017;
inline constexpr InternetError kInternetCannotConnect = 12029;

// The user text for a code; "The connection error details not available." for
// a code outside the table. Some texts end with a blank.
std::string_view InternetErrorText(InternetError code);

// The calls of one check, in order; a failure maps by the call it happened in.
enum class InternetCall { Open, Connect, SetCurrentDirectory, GetFile };

// The code a call reports for a libcurl result (CURLcode value, not 0).
InternetError InternetErrorForCurl(InternetCall call, int curl_code);

// The system error code for an errno of a local file operation.
InternetError SystemErrorForErrno(int error_number);

}  // namespace ringova
