// Writes the Python package's type stub (control.pyi) from the interface table, so editors and
// type checkers know every method's signature. Run at build time: python_stub OUT_FILE.
#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <string_view>

#include "include/telvane/control_interface.h"

namespace {

using telvane::interface::Kind;

std::string pythonType(Kind kind) {
  switch (kind) {
    case Kind::Bool:
      return "bool";
    case Kind::I2:
    case Kind::I4:
    case Kind::Port:
      return "int";
    case Kind::CallId:
      return "str | int";
    case Kind::Text:
    case Kind::TextOut:
      break;
  }
  return "str";
}

// The package gives a parameter named like a keyword a trailing underscore.
std::string pythonName(std::string_view name) {
  static const std::set<std::string_view> kKeywords = {
      "False", "None",     "True",  "and",    "as",   "assert", "async",  "await",    "break",
      "class", "continue", "def",   "del",    "elif", "else",   "except", "finally",  "for",
      "from",  "global",   "if",    "import", "in",   "is",     "lambda", "nonlocal", "not",
      "or",    "pass",     "raise", "return", "try",  "while",  "with",   "yield"};
  std::string out(name);
  if (kKeywords.count(name) != 0) out += '_';
  return out;
}

constexpr std::string_view kHead =
    R"(# Generated from the control's interface table at build time; do not edit.
from typing import Callable, Iterator

class TelvaneError(Exception):
    status: int
    def __init__(self, status: int, message: str) -> None: ...

class Event:
    name: str
    args: dict[str, str | int | bool]
    def __getitem__(self, param: str) -> str | int | bool: ...

class Control:
    def __init__(self) -> None: ...
    def close(self) -> None: ...
    def __enter__(self) -> "Control": ...
    def __exit__(self, *exc: object) -> None: ...
    @property
    def closed(self) -> bool: ...
    def call(self, method: str, *args: object) -> bool | str | tuple[bool | str, ...]: ...
    def on(self, event: str | None, handler: Callable[[Event], object]) -> Callable[[Event], object]: ...
    def off(self, event: str | None, handler: Callable[[Event], object]) -> None: ...
    def fileno(self) -> int: ...
    def pump(self) -> int: ...
    def wait(self, timeout: float) -> int: ...
    def events(self, timeout: float | None = None) -> Iterator[Event]: ...
    def wait_for(self, event: str, where: Callable[[Event], bool] | None = None, timeout: float = 10.0) -> Event | None: ...
)";

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: python_stub OUT_FILE\n");
    return 2;
  }
  std::string text(kHead);
  for (const telvane::interface::Method& m : telvane::interface::kMethods) {
    std::string params = "self";
    int outputs = 0;
    for (const telvane::interface::Param& p : m.params) {
      if (p.kind == Kind::TextOut) {
        ++outputs;
        continue;
      }
      params += ", " + pythonName(p.name) + ": " + pythonType(p.kind);
    }
    std::string result = m.result == Kind::Bool ? "bool" : "str";
    if (outputs > 0) {
      std::string tuple = "tuple[" + result;
      for (int i = 0; i < outputs; ++i) tuple += ", str";
      result = tuple + "]";
    }
    text += "    def " + std::string(m.name) + "(" + params + ") -> " + result + ": ...\n";
  }
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  if (!out) {
    std::fprintf(stderr, "python_stub: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
