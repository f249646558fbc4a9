#include "platform/ui/keys.h"

#include <cstring>

namespace platform::ui {

KeyStroke keyForChar(char c) {
  if (c >= 'a' && c <= 'z') return {c - 'a' + 'A', 0};
  if (c >= 'A' && c <= 'Z') return {c, ShiftMask};
  if ((c >= '0' && c <= '9') || c == ' ') return {c, 0};
  // US layout: the unshifted punctuation keys, then the shifted characters of each key.
  static const char plain[] = ";=,-./`[\\]'";
  static const int plainCodes[] = {186, 187, 188, 189, 190, 191, 192, 219, 220, 221, 222};
  static const char shifted[] = ":+<_>?~{|}\"";
  static const char shiftedDigits[] = ")!@#$%^&*(";
  if (c != 0) {
    if (const char* p = std::strchr(plain, c)) return {plainCodes[p - plain], 0};
    if (const char* p = std::strchr(shifted, c)) return {plainCodes[p - shifted], ShiftMask};
    if (const char* p = std::strchr(shiftedDigits, c))
      return {static_cast<int>('0' + (p - shiftedDigits)), ShiftMask};
  }
  return {static_cast<unsigned char>(c), 0};
}

}  // namespace platform::ui
