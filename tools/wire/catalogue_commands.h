#pragma once
// The catalogue commands of telvane-wire, reading stdin and writing one JSON line to stdout:
//   decode --strict                 decode with the real message classes
//   dispatch                        what a PBX method call's dispatch hands over
//   dispatch --response-to METHOD   the same for a response read as the answer to METHOD
// Text that is not such a message gives status 2 and a line on stderr.

namespace telvane::tools {

// The exit status of the command in `argv`, or -1 when `argv` names none of these commands.
int runCatalogueCommand(int argc, char** argv);

}  // namespace telvane::tools
