// The stream splitter: the input arrives in chunks whose sizes the fuzzer picks; the messages
// handed out must be those of the whole stream cut at each terminator, however it was split.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "telvane/xmlrpc/framing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  telvane::fuzz::FuzzInput input(data, size);
  const std::uint8_t splits = input.byte();
  std::string_view stream = input.rest();

  std::vector<std::string> expected;
  std::string_view whole = stream;
  for (std::size_t end; (end = telvane::findMessageEnd(whole)) != std::string_view::npos;) {
    expected.emplace_back(whole.substr(0, end));
    whole.remove_prefix(end + telvane::kMessageTerminator.size());
  }

  telvane::MessageFramer framer;
  std::vector<std::string> got;
  std::size_t chunk = (splits & 0x0F) + 1;
  while (!stream.empty()) {
    const std::size_t n = chunk < stream.size() ? chunk : stream.size();
    framer.append(stream.substr(0, n));
    stream.remove_prefix(n);
    while (auto message = framer.next()) got.emplace_back(*message);
    chunk = chunk * 7 % 23 + (splits >> 4) + 1;
  }
  if (got != expected || framer.pending() != whole) __builtin_trap();
  return 0;
}
