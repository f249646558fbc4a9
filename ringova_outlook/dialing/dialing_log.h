#pragma once
// Where the dialing code writes its log lines: the add-in's log unless a caller (a test) says
// otherwise.
#include <functional>
#include <string_view>

namespace ringova {

using LogSink = std::function<void(std::string_view line)>;

// Writes to the add-in's log (WriteToLogFile).
LogSink AddinLogSink();

}  // namespace ringova
