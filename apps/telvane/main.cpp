// telvane: command-line host of the control.
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "apps/telvane/shell.h"

namespace {

const char kHelp[] =
    "Usage: telvane shell        drive a PBX through the control, one command per line\n"
    "       telvane --help       this text\n"
    "\n"
    "telvane shell reads commands from stdin and writes one JSON line per result, event or\n"
    "error; events are printed as they arrive, also while it waits for input.\n"
    "\n"
    "Commands:\n"
    "  METHOD ARG...         one of the control's 31 methods, in any letter case, with its\n"
    "                        input arguments (out-parameters come back in the result line)\n"
    "  wait EVENT [SECONDS]  until EVENT has been printed since the previous wait (30 s by\n"
    "                        default); {\"error\":\"timeout\"} otherwise\n"
    "  sleep MS              print events for MS milliseconds\n"
    "  quit                  disconnect and exit (as at the end of the input)\n"
    "\n"
    "Arguments are words; double quotes group words, \"\" is an empty text and a backslash\n"
    "escapes the next character. BOOL is true, false, 1 or 0; numbers are decimal; a port\n"
    "takes 0 to 65535. Lines starting with # are skipped.\n"
    "\n"
    "Example:\n"
    "  $ telvane shell\n"
    "  SConnect 127.0.0.1 5060 5 alice 1765258200 4a7d1ed414474e40\n"
    "  {\"method\":\"SConnect\",\"result\":true}\n"
    "  CreateCall system pbx:101 Ringova\n"
    "  {\"method\":\"CreateCall\",\"result\":\"1765258200123456789\"}\n"
    "  {\"event\":\"CallStateChanged\",\"callID\":\"1765258200123456789\",\"callState\":1}\n"
    "  GetWAVFiles 101\n"
    "  {\"method\":\"GetWAVFiles\",\"result\":true,\"listWAV\":\"a.wav:b.wav:\"}\n"
    "  wait CallStateChanged 10\n"
    "  quit\n";

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kHelp, stdout);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "shell") == 0) {
    telvane::shell::Shell shell(STDIN_FILENO, stdout);
    return shell.run();
  }
  std::fputs(kHelp, stderr);
  return 2;
}
