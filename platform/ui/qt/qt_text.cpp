#include "platform/ui/qt/qt_text.h"

#include <QtCore/QStringDecoder>
#include <algorithm>

namespace platform::ui::qt {

QString toQt(std::string_view text) {
  QStringDecoder utf8(QStringDecoder::Utf8);
  QString s = utf8(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
  if (!utf8.hasError()) return s;
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string fromQt(const QString& text) {
  return text.toStdString();
}

QString withoutAccelerators(std::string_view caption) {
  std::string out;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    out += caption[i];
  }
  return toQt(out);
}

int qtOffset(std::string_view text, int byteOffset) {
  int at = std::clamp(byteOffset, 0, static_cast<int>(text.size()));
  return static_cast<int>(toQt(text.substr(0, static_cast<std::size_t>(at))).size());
}

int byteOffset(std::string_view text, int qtOffset) {
  QString s = toQt(text);
  int at = std::clamp(qtOffset, 0, static_cast<int>(s.size()));
  QString head = s.left(at);
  // The text was Latin-1 when it was not valid UTF-8: one byte a character.
  return fromQt(s) == text ? static_cast<int>(fromQt(head).size()) : at;
}

}  // namespace platform::ui::qt
