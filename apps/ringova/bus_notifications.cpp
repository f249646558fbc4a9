#include "apps/ringova/bus_notifications.h"

#include <QtCore/QStringList>
#include <QtCore/QVariantMap>
#include <QtDBus/QDBusConnection>
#include <QtDBus/QDBusMessage>

namespace ringova::host {

namespace {

constexpr char kService[] = "org.freedesktop.Notifications";
constexpr char kPath[] = "/org/freedesktop/Notifications";
constexpr char kInterface[] = "org.freedesktop.Notifications";
constexpr int kCallTimeoutMs = 2000;
// The incoming call window decides when the user does nothing; the notification stays until then.
constexpr int kNeverExpires = 0;
constexpr unsigned char kCriticalUrgency = 2;

}  // namespace

BusNotifications::BusNotifications(std::function<void(std::function<void()>)> post)
    : post_(std::move(post)) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  bus.connect(QString(), kPath, kInterface, "ActionInvoked", this,
              SLOT(actionInvoked(uint, QString)));
  bus.connect(QString(), kPath, kInterface, "NotificationClosed", this,
              SLOT(notificationClosed(uint, uint)));
}

BusNotifications::~BusNotifications() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  bus.disconnect(QString(), kPath, kInterface, "ActionInvoked", this,
                 SLOT(actionInvoked(uint, QString)));
  bus.disconnect(QString(), kPath, kInterface, "NotificationClosed", this,
                 SLOT(notificationClosed(uint, uint)));
}

platform::shell::NotificationId BusNotifications::show(
    platform::shell::NotificationRequest request) {
  QStringList actions;
  for (const auto& action : request.actions) {
    actions << QString::fromStdString(action.key) << QString::fromStdString(action.label);
  }
  QVariantMap hints;
  hints.insert(QStringLiteral("urgency"), QVariant::fromValue(kCriticalUrgency));
  hints.insert(QStringLiteral("category"), QStringLiteral("call.incoming"));
  hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("org.telvane.Ringova"));
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Notify");
  call << QStringLiteral("Ringova") << 0u << QStringLiteral("org.telvane.Ringova")
       << QString::fromStdString(request.summary) << QString::fromStdString(request.body) << actions
       << hints << kNeverExpires;
  const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, kCallTimeoutMs);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return 0;
  const auto id = reply.arguments().first().toUInt();
  if (id != 0 && request.onAction) actions_[id] = std::move(request.onAction);
  return id;
}

void BusNotifications::close(platform::shell::NotificationId id) {
  if (id == 0) return;
  actions_.erase(id);
  QDBusMessage call =
      QDBusMessage::createMethodCall(kService, kPath, kInterface, "CloseNotification");
  call << id;
  QDBusConnection::sessionBus().call(call, QDBus::NoBlock);
}

void BusNotifications::actionInvoked(uint id, const QString& key) {
  const auto it = actions_.find(id);
  if (it == actions_.end()) return;
  auto onAction = std::move(it->second);
  actions_.erase(it);
  post_([onAction = std::move(onAction), key = key.toStdString()] { onAction(key); });
}

void BusNotifications::notificationClosed(uint id, uint reason) {
  Q_UNUSED(reason);
  actions_.erase(id);
}

}  // namespace ringova::host
