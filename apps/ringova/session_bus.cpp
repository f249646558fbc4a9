#include "apps/ringova/session_bus.h"

#include <QtDBus/QDBusConnection>
#include <QtDBus/QDBusConnectionInterface>
#include <QtDBus/QDBusMessage>
#include <cstdlib>

#include "apps/ringova/session_bus_adaptor.h"

namespace ringova::host {

namespace {

constexpr char kInterface[] = "org.freedesktop.Application";
constexpr int kHandOffTimeoutMs = 5000;

}  // namespace

bool SessionBusNamed() {
  const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  return address && *address;
}

namespace {

HandOff Deliver(QDBusMessage call, std::string& why) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    why = "no session bus: " + bus.lastError().message().toStdString();
    return HandOff::Failed;
  }
  // Asking the name's owner first keeps the bus from starting an instance for us.
  if (!bus.interface()->isServiceRegistered(QString::fromLatin1(kBusName)).value()) {
    return HandOff::NoneRunning;
  }
  call.setAutoStartService(false);
  const QDBusMessage reply = bus.call(call, QDBus::Block, kHandOffTimeoutMs);
  if (reply.type() == QDBusMessage::ReplyMessage) return HandOff::Delivered;
  why = "the running ringova did not take it: " + reply.errorMessage().toStdString();
  return HandOff::Failed;
}

}  // namespace

HandOff HandSyncToRunningInstance(const std::string& source, std::string& why) {
  QDBusMessage call =
      QDBusMessage::createMethodCall(kBusName, kBusPath, kInterface, "ActivateAction");
  QVariantList parameter;
  if (!source.empty()) parameter << QString::fromStdString(source);
  call << QStringLiteral("sync-source") << QVariant(parameter) << QVariantMap();
  return Deliver(std::move(call), why);
}

HandOff HandToRunningInstance(const std::string& address, std::string& why) {
  QDBusMessage call;
  if (address.empty()) {
    call = QDBusMessage::createMethodCall(kBusName, kBusPath, kInterface, "Activate");
    call << QVariantMap();
  } else {
    call = QDBusMessage::createMethodCall(kBusName, kBusPath, kInterface, "Open");
    call << QStringList{QString::fromStdString(address)} << QVariantMap();
  }
  return Deliver(std::move(call), why);
}

class BusApplication::Object final : public QObject {
 public:
  Object(Handlers handlers, std::function<void(std::function<void()>)> post)
      : handlers_(std::move(handlers)), post_(std::move(post)) {
    new ApplicationAdaptor(
        this,
        [this](const QStringList& uris) {
          for (const QString& uri : uris) {
            post_([open = handlers_.open, address = uri.toStdString()] {
              if (open) open(address);
            });
          }
        },
        [this] {
          post_([activate = handlers_.activate] {
            if (activate) activate();
          });
        },
        [this](const QString& source) {
          post_([sync = handlers_.syncSource, name = source.toStdString()] {
            if (sync) sync(name);
          });
        });
  }

 private:
  Handlers handlers_;
  std::function<void(std::function<void()>)> post_;
};

BusApplication::BusApplication(Handlers handlers, std::function<void(std::function<void()>)> post)
    : object_(std::make_unique<Object>(std::move(handlers), std::move(post))) {}

BusApplication::~BusApplication() {
  if (!claimed_) return;
  QDBusConnection bus = QDBusConnection::sessionBus();
  bus.unregisterObject(QString::fromLatin1(kBusPath));
  bus.unregisterService(QString::fromLatin1(kBusName));
}

bool BusApplication::claim(std::string& why) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    why = "no session bus: " + bus.lastError().message().toStdString();
    return false;
  }
  if (!bus.registerObject(QString::fromLatin1(kBusPath), object_.get(),
                          QDBusConnection::ExportAdaptors)) {
    why = "the bus refused the object " + std::string(kBusPath);
    return false;
  }
  if (!bus.registerService(QString::fromLatin1(kBusName))) {
    bus.unregisterObject(QString::fromLatin1(kBusPath));
    why = std::string(kBusName) + " is owned by another program";
    return false;
  }
  claimed_ = true;
  return true;
}

}  // namespace ringova::host
