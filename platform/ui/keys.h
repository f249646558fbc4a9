#pragma once
// Key codes and shift flags of the key events (the codes the add-in's windows test for).
namespace platform::ui {

namespace key {
inline constexpr int Back = 8;
inline constexpr int Tab = 9;
inline constexpr int Return = 13;
inline constexpr int Shift = 16;
inline constexpr int Control = 17;
inline constexpr int Escape = 27;
inline constexpr int Space = 32;
inline constexpr int Left = 37;
inline constexpr int Up = 38;
inline constexpr int Right = 39;
inline constexpr int Down = 40;
inline constexpr int Delete = 46;
inline constexpr int Home = 36;
inline constexpr int End = 35;
// Letters are 'A'..'Z' and digits '0'..'9'.
}  // namespace key

// Shift flags of key and mouse events.
inline constexpr int ShiftMask = 1;
inline constexpr int CtrlMask = 2;
inline constexpr int AltMask = 4;

// Mouse buttons of mouse events.
inline constexpr int LeftButton = 1;
inline constexpr int RightButton = 2;

struct KeyStroke {
  int keyCode = 0;
  int shift = 0;
};

// The key (US layout) that types `c`: letters give their upper-case code, with Shift for capitals.
// Characters without a key of their own give their character code.
KeyStroke keyForChar(char c);

}  // namespace platform::ui
