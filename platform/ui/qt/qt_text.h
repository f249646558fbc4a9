#pragma once
// Text and measure between the toolkit and Qt: the toolkit's 8-bit texts (UTF-8, or Latin-1
// where a text is not valid UTF-8), twips at the screen's real resolution.
#include <QtCore/QString>
#include <string>
#include <string_view>

namespace platform::ui::qt {

QString toQt(std::string_view text);
std::string fromQt(const QString& text);
// The caption with the toolkit's accelerator marks ("&&" a literal ampersand) removed, for
// widgets that do not draw them.
QString withoutAccelerators(std::string_view caption);
// Byte offset in `text` <-> character offset in toQt(text).
int qtOffset(std::string_view text, int byteOffset);
int byteOffset(std::string_view text, int qtOffset);

// Pixels for twips at `dotsPerInch`.
inline int twipsToPixels(int twips, double dotsPerInch) {
  return static_cast<int>(twips * dotsPerInch / 1440.0 + 0.5);
}

}  // namespace platform::ui::qt
