#include "ringova_outlook/dialing/dialing_log.h"

#include "ringova_outlook/support/log_file.h"

namespace ringova {

LogSink AddinLogSink() {
  return [](std::string_view line) { WriteToLogFile(line); };
}

}  // namespace ringova
