#pragma once
// Desktop notifications through the notification server on the session bus
// (org.freedesktop.Notifications). An action the user chooses is reported on the UI thread
// through `post`, once; a notification the server closed forgets its handler.
#include <QtCore/QObject>
#include <QtCore/QString>
#include <functional>
#include <map>

#include "platform/shell/notifications.h"

namespace ringova::host {

class BusNotifications final : public QObject, public platform::shell::Notifications {
  Q_OBJECT

 public:
  explicit BusNotifications(std::function<void(std::function<void()>)> post);
  ~BusNotifications() override;

  platform::shell::NotificationId show(platform::shell::NotificationRequest request) override;
  void close(platform::shell::NotificationId id) override;

 private Q_SLOTS:
  void actionInvoked(uint id, const QString& key);
  void notificationClosed(uint id, uint reason);

 private:
  std::function<void(std::function<void()>)> post_;
  std::map<platform::shell::NotificationId, std::function<void(const std::string&)>> actions_;
};

}  // namespace ringova::host
