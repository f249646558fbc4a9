// The XML navigator on arbitrary bytes, walked with every kind of move.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "telvane/xml/xml_navigator.h"

namespace {

class CountingReceiver : public telvane::XMLErrorReceiver {
 public:
  void report(std::string_view message) override { bytes += message.size(); }
  std::size_t bytes = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CountingReceiver receiver;
  telvane::XMLNavigator nav;
  nav.setErrorReceiver(&receiver);
  if (!nav.parse(text)) return 0;

  // The element names steer the walk, so the fuzzer reaches skips at every depth.
  telvane::XMLElement element;
  std::string content;
  std::string_view name;  // nextElementName's view: valid until the next move
  for (std::size_t step = 0; step < 4 * size + 16; ++step) {
    const bool byName = step % 2 == 1;
    if (byName ? nav.nextElementName(name) : nav.nextElement(element)) {
      std::size_t nameSize = name.size();
      if (byName) {
        content.append(name);
      } else {
        for (const auto& attribute : element.attributes) content += attribute.name;
        nameSize = element.name.size();
      }
      if (nav.readText(content) && content.size() > 4096) content.clear();
      if (nameSize % 3 == 1 && !nav.skipElement()) break;
    } else if (!nav.readText(content) && !nav.skipElement()) {
      break;
    }
  }
  return 0;
}
