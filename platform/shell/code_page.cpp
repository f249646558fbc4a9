#include "platform/shell/code_page.h"

#include <iconv.h>

#include <memory>
#include <type_traits>

namespace platform::shell {
namespace {

struct IconvCloser {
  void operator()(iconv_t cd) const { iconv_close(cd); }
};
using Converter = std::unique_ptr<std::remove_pointer_t<iconv_t>, IconvCloser>;

}  // namespace

std::optional<std::string> toAnsiCodePage(std::string_view utf8, int codePage) {
  if (codePage <= 0) return std::nullopt;
  const std::string name = "CP" + std::to_string(codePage);
  iconv_t raw = iconv_open(name.c_str(), "UTF-8");
  if (raw == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  Converter converter(raw);
  std::string out;
  // Every code page here takes at most two bytes for a character of at least one UTF-8 byte.
  out.resize(utf8.size() * 2 + 4);
  char* in = const_cast<char*>(utf8.data());
  std::size_t inLeft = utf8.size();
  char* at = out.data();
  std::size_t outLeft = out.size();
  // A non-zero count would be characters replaced by something else.
  if (iconv(converter.get(), &in, &inLeft, &at, &outLeft) != 0 ||
      iconv(converter.get(), nullptr, nullptr, &at, &outLeft) != 0) {
    return std::nullopt;
  }
  out.resize(out.size() - outLeft);
  return out;
}

}  // namespace platform::shell
