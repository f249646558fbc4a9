#include "ringova_outlook/support/internet_errors.h"

#include <curl/curl.h>

#include <array>
#include <cerrno>

namespace ringova {
namespace {

struct ErrorText {
  InternetError code;
  std::string_view text;
};

constexpr std::array<ErrorText, 33> kErrorTexts{{
    {12001, "No more handles could be generated at this time"},
    {12002, "The request has timed out."},
    {12003, "Extended error returned from server."},
    {12004, "An internal error has occurred."},
    {12005, "The URL is invalid."},
    {12006, "The URL scheme could not be recognized, or is not supported."},
    {12007, "The server name could not be resolved."},
    {12008, "The requested protocol could not be located."},
    {12009,
     "A request to InternetQueryOption or InternetSetOption specified an invalid option value."},
    {12010,
     "The length of an option supplied to InternetQueryOption or InternetSetOption is incorrect "
     "for the type of option specified."},
    {12011, "The request option can not be set, only queried. "},
    {12012, "The Win32 Internet support is being shutdown or unloaded."},
    {12013,
     "The request to connect and login to an FTP server could not be completed because the "
     "supplied user name is incorrect."},
    {12014,
     "The request to connect and login to an FTP server could not be completed because the "
     "supplied password is incorrect. "},
    {12015, "The request to connect to and login to an FTP server failed."},
    {12016, "The requested operation is invalid. "},
    {12017,
     "The operation was canceled, usually because the handle on which the request was operating "
     "was closed before the operation completed."},
    {12018, "The type of handle supplied is incorrect for this operation."},
    {12019,
     "The requested operation can not be carried out because the handle supplied is not in the "
     "correct state."},
    {12020, "The request can not be made via a proxy."},
    {12021, "A required registry value could not be located. "},
    {12022,
     "A required registry value was located but is an incorrect type or has an invalid value."},
    {12023, "Direct network access cannot be made at this time. "},
    {12024, "An asynchronous request could not be made because a zero context value was supplied."},
    {12025,
     "An asynchronous request could not be made because a callback function has not been set."},
    {12026,
     "The required operation could not be completed because one or more requests are pending."},
    {12027, "The format of the request is invalid."},
    {12028, "The requested item could not be located."},
    {12029, "The attempt to connect to the server failed."},
    {12030, "The connection with the server has been terminated."},
    {12031, "The connection with the server has been reset."},
    {12036, "The request failed because the handle already exists."},
    {0, "The connection error details not available."},  // any other code
}};

// libcurl results that mean the same in every call.
struct CurlMapping {
  CURLcode curl;
  InternetError code;
};

constexpr std::array<CurlMapping, 19> kCurlMappings{{
    {CURLE_UNSUPPORTED_PROTOCOL, 12006},
    {CURLE_FAILED_INIT, kInternetInternalError},
    {CURLE_URL_MALFORMAT, 12005},
    {CURLE_COULDNT_RESOLVE_PROXY, kInternetNameNotResolved},
    {CURLE_COULDNT_RESOLVE_HOST, kInternetNameNotResolved},
    {CURLE_COULDNT_CONNECT, kInternetCannotConnect},
    {CURLE_REMOTE_ACCESS_DENIED, kInternetExtendedError},
    {CURLE_FTP_ACCEPT_TIMEOUT, kInternetTimeout},
    {CURLE_PARTIAL_FILE, 12030},
    {CURLE_FTP_COULDNT_RETR_FILE, kInternetExtendedError},
    {CURLE_OUT_OF_MEMORY, kInternetInternalError},
    {CURLE_OPERATION_TIMEDOUT, kInternetTimeout},
    {CURLE_ABORTED_BY_CALLBACK, kInternetOperationCancelled},
    {CURLE_GOT_NOTHING, 12030},
    {CURLE_SEND_ERROR, 12031},
    {CURLE_RECV_ERROR, 12031},
    {CURLE_LOGIN_DENIED, kInternetLoginFailure},
    {CURLE_REMOTE_FILE_NOT_FOUND, kInternetExtendedError},
    {CURLE_AGAIN, kInternetTimeout},
}};

}  // namespace

std::string_view InternetErrorText(InternetError code) {
  for (const ErrorText& row : kErrorTexts) {
    if (row.code == code) return row.text;
  }
  return kErrorTexts.back().text;
}

InternetError InternetErrorForCurl(InternetCall call, int curl_code) {
  for (const CurlMapping& row : kCurlMappings) {
    if (row.curl == curl_code) return row.code;
  }
  // Anything else is the server answering in a way the call cannot use: at
  // the connection that is a failed login, later a failed FTP command.
  switch (call) {
    case InternetCall::Open:
      return kInternetInternalError;
    case InternetCall::Connect:
      return kInternetLoginFailure;
    case InternetCall::SetCurrentDirectory:
    case InternetCall::GetFile:
      break;
  }
  return kInternetExtendedError;
}

InternetError SystemErrorForErrno(int error_number) {
  switch (error_number) {
    case ENOENT:
    case ENOTDIR:
      return 3;  // path not found
    case EACCES:
    case EPERM:
    case EROFS:
    case ELOOP:  // the download does not follow links
    case EISDIR:
      return 5;  // access denied
    case ENOSPC:
    case EDQUOT:
      return 112;  // disk full
    default:
      return 29;  // write fault
  }
}

}  // namespace ringova
