#include "apps/ringova/script_shell.h"

namespace ringova::host {

ScriptShell::Result ScriptShell::messageBox(const Request& request) {
  std::optional<Result> result = answer ? answer(request) : std::nullopt;
  if (!result) {
    result =
        unattended_ ? platform::shell::closeResult(request.buttons) : inner_.messageBox(request);
  }
  if (answered) answered(request, *result);
  return *result;
}

}  // namespace ringova::host
