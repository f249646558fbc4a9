#include "tests/platform/ui/qt/contact_sheet.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QtCore/QDir>
#include <QtCore/QSaveFile>
#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <QtWidgets/QWidget>
#include <algorithm>
#include <map>
#include <vector>

namespace platform::ui::qt::testing {
namespace {

constexpr const char* kSheetName = "contact-sheet.png";
constexpr int kSheetWidth = 1800;
constexpr int kGap = 16;
constexpr int kLabelHeight = 22;
constexpr int kHeadingHeight = 36;

// Held while a process writes into the folder.
class FolderLock {
 public:
  explicit FolderLock(const std::string& folder)
      : fd_(::open((folder + "/.sheet.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
    if (fd_ >= 0) ::flock(fd_, LOCK_EX);
  }
  ~FolderLock() {
    if (fd_ >= 0) ::close(fd_);  // closing lets go of the lock
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  int fd_;
};

bool drawSheet(const QDir& dir, const QString& heading) {
  struct Picture {
    QString name;
    QImage image;
  };
  std::vector<Picture> pictures;
  for (const QString& file : dir.entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name)) {
    if (file == QLatin1String(kSheetName)) continue;
    QImage image(dir.filePath(file));
    if (!image.isNull()) pictures.push_back({file.chopped(4), std::move(image)});
  }
  if (pictures.empty()) return true;
  // Shelves: pictures left to right in their order, a new row when the next would pass the
  // sheet's width.
  std::vector<QPoint> at;
  int x = kGap, y = kHeadingHeight, rowHeight = 0, width = 0;
  for (const Picture& p : pictures) {
    if (x > kGap && x + p.image.width() > kSheetWidth) {
      x = kGap;
      y += rowHeight + kGap;
      rowHeight = 0;
    }
    at.emplace_back(x, y);
    x += p.image.width() + kGap;
    width = std::max(width, x);
    rowHeight = std::max(rowHeight, kLabelHeight + p.image.height());
  }
  QImage sheet(std::max(width, kSheetWidth / 2), y + rowHeight + kGap, QImage::Format_RGB32);
  sheet.fill(QColor(0x5a, 0x5f, 0x66));
  QPainter painter(&sheet);
  painter.setPen(Qt::white);
  QFont font = painter.font();
  font.setPixelSize(18);
  font.setBold(true);
  painter.setFont(font);
  painter.drawText(QRect(kGap, 0, sheet.width() - 2 * kGap, kHeadingHeight), Qt::AlignVCenter,
                   heading);
  font.setPixelSize(13);
  painter.setFont(font);
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    painter.drawText(QRect(at[i].x(), at[i].y(), pictures[i].image.width(), kLabelHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, pictures[i].name);
    painter.drawImage(at[i].x(), at[i].y() + kLabelHeight, pictures[i].image);
  }
  painter.end();
  // Written whole or not at all: a reviewer never opens half a sheet.
  QSaveFile out(dir.filePath(QLatin1String(kSheetName)));
  return out.open(QIODevice::WriteOnly) && sheet.save(&out, "PNG") && out.commit();
}

// Folders written into, with their sheets' headings.
std::map<std::string, std::string>& touched() {
  static std::map<std::string, std::string> folders;
  return folders;
}

}  // namespace

bool keepPicture(const QWidget& window, const std::string& folder, const std::string& name,
                 const std::string& heading) {
  QDir dir(QString::fromStdString(folder));
  if (!dir.mkpath(QStringLiteral("."))) return false;
  touched()[folder] = heading;
  QImage picture = const_cast<QWidget&>(window).grab().toImage();
  // Whole or not at all: a sheet drawn meanwhile by another process reads no half picture.
  QSaveFile out(dir.filePath(QString::fromStdString(name) + ".png"));
  return out.open(QIODevice::WriteOnly) && picture.save(&out, "PNG") && out.commit();
}

bool drawContactSheets() {
  bool ok = true;
  for (const auto& [folder, heading] : touched()) {
    FolderLock lock(folder);
    ok = drawSheet(QDir(QString::fromStdString(folder)), QString::fromStdString(heading)) && ok;
  }
  touched().clear();
  return ok;
}

}  // namespace platform::ui::qt::testing
