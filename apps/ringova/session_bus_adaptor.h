#pragma once
// org.freedesktop.Application on the bus, for BusApplication (moc needs it in a header).
#include <QtCore/QObject>
#include <QtCore/QStringList>
#include <QtCore/QVariantMap>
#include <QtDBus/QDBusAbstractAdaptor>
#include <functional>

namespace ringova::host {

class ApplicationAdaptor final : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

 public:
  ApplicationAdaptor(QObject* parent, std::function<void(const QStringList&)> open,
                     std::function<void()> activate, std::function<void(const QString&)> syncSource)
      : QDBusAbstractAdaptor(parent),
        open_(std::move(open)),
        activate_(std::move(activate)),
        syncSource_(std::move(syncSource)) {}

 public Q_SLOTS:
  void Activate(const QVariantMap& platformData) {
    Q_UNUSED(platformData);
    activate_();
  }
  void Open(const QStringList& uris, const QVariantMap& platformData) {
    Q_UNUSED(platformData);
    open_(uris);
  }
  void ActivateAction(const QString& name, const QVariantList& parameter,
                      const QVariantMap& platformData) {
    Q_UNUSED(platformData);
    // "sync-source" with a source's name, or none for every source: `ringova source sync`.
    if (name == QLatin1String("sync-source")) {
      syncSource_(parameter.isEmpty() ? QString() : parameter.front().toString());
      return;
    }
    activate_();
  }

 private:
  std::function<void(const QStringList&)> open_;
  std::function<void()> activate_;
  std::function<void(const QString&)> syncSource_;
};

}  // namespace ringova::host
