// The socket layer's process-wide error state: the text of the most recent error report, the
// error number behind it, and the switch that decides whether reports are shown.
//
// A report's text is the operation text, " error", and, when the error number is not 0, " #" and
// the number (errno; the resolver's code for host lookups). The same text is shown only once in a
// row. Shown reports go to the sink (by default: a line break, the text and a line break on
// standard error). All functions are safe to call from any thread.
#ifndef TELVANE_NET_SOCKET_ERRORS_H_
#define TELVANE_NET_SOCKET_ERRORS_H_

#include <functional>
#include <string>
#include <string_view>

namespace telvane {

// Text of the most recent report; "No errors." until the first one.
std::string lastSocketError();
// Error number stored by the most recent report (0 when the failure had no system error).
int lastSocketErrorCode();

// Whether reports are shown. Every BsdSocket construction sets it to its show-errors argument.
bool showSocketErrors();
void setShowSocketErrors(bool show);

// Records a failure of `operation` with error number `code` (0: none) and shows it when the
// switch is on and the text differs from the previous report.
void ReportSocketError(std::string_view operation, int code);
// Stores an error number without a report (a non-blocking connect that is still under way).
void RecordSocketErrorCode(int code);

// Where shown reports go; an empty function restores standard error. The sink runs under the
// error state's lock, so it must not call back into this module.
using SocketErrorSink = std::function<void(const std::string& text)>;
void SetSocketErrorSink(SocketErrorSink sink);

}  // namespace telvane

#endif  // TELVANE_NET_SOCKET_ERRORS_H_
