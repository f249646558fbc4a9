// ringova on a private session bus (CTest runs this under dbus-run-session): a later start hands
// its phone link to the running one, and an arriving call's desktop notification, answered on a
// small notification server of this test, reaches the simulator as the accept.
#include <QtCore/QCoreApplication>
#include <QtCore/QObject>
#include <QtCore/QStringList>
#include <QtCore/QVariantMap>
#include <QtDBus/QDBusAbstractAdaptor>
#include <QtDBus/QDBusConnection>
#include <QtDBus/QDBusMessage>

#include "platform/outlook/sources/dav_client.h"
#include "platform/outlook/sources/source_definitions.h"
#include "telvane/xmlrpc/call_id.h"
#include "tests/apps/ringova/ringova_fixture.h"
#include "tests/platform/outlook/sources/radicale_server.h"

namespace ringova::testing {

// Records what it is asked to show; the test chooses actions by emitting the server's signal.
class NotificationServer final : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

 public:
  explicit NotificationServer(QObject* parent) : QDBusAbstractAdaptor(parent) {}

  struct Shown {
    uint id;
    QString summary;
    QString body;
    QStringList actions;
  };
  std::vector<Shown> shown;
  std::vector<uint> closed;

 public Q_SLOTS:
  uint Notify(const QString& appName, uint replacesId, const QString& icon, const QString& summary,
              const QString& body, const QStringList& actions, const QVariantMap& hints,
              int timeout) {
    Q_UNUSED(appName);
    Q_UNUSED(replacesId);
    Q_UNUSED(icon);
    Q_UNUSED(hints);
    Q_UNUSED(timeout);
    const uint id = static_cast<uint>(shown.size()) + 1;
    shown.push_back({id, summary, body, actions});
    return id;
  }
  void CloseNotification(uint id) { closed.push_back(id); }
  QStringList GetCapabilities() { return {QStringLiteral("actions"), QStringLiteral("body")}; }
};

namespace {

const std::string kTestBus = [] {
  const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  return std::string(address ? address : "");
}();

class BusTest : public RingovaFixture {
 protected:
  void SetUp() override {
    RingovaFixture::SetUp();
    ASSERT_FALSE(kTestBus.empty()) << "run under dbus-run-session";
    ::setenv("DBUS_SESSION_BUS_ADDRESS", kTestBus.c_str(), 1);
    static int argc = 1;
    static char name[] = "bus_test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);  // the bus connection's, to the program's end
  }

  bool simulatorHeard(const std::vector<std::string>& parts) {
    return !trace_.inbound(parts).empty();
  }

  // As until(), serving this test's bus objects meanwhile.
  Json untilServing(const std::string& key, const std::string& text,
                    std::chrono::milliseconds limit = 20s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
      QCoreApplication::processEvents();
      Json j = until(key, text, 50ms);
      if (!j.is_null()) return j;
    }
    return Json();
  }
};

TEST_F(BusTest, ALaterStartHandsItsLinkToTheRunningOne) {
  startSimulator();
  storeAccount();
  startHost();
  ASSERT_FALSE(until("log", "Connected to device").is_null());

  const Finished second = run({"tel:+49-30-1234567;phone-context=+49"});
  EXPECT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(second.out, "");
  ASSERT_FALSE(until("log", "DialAddress: 'tel:+49-30-1234567;phone-context=+49'").is_null());
  ASSERT_FALSE(until("log", "MakeCall: to  '+49-30-1234567' =>> +49301234567").is_null());
  ASSERT_FALSE(until("log", "CreateCall: ").is_null());
  EXPECT_FALSE(logged("CreateCall: The call is canceled"));

  // A link without a number reaches it too; the running one says why.
  send("answer OK\n");
  EXPECT_EQ(run({"dial", "callto://"}).status, 0);
  const Json box = until("msgbox");
  ASSERT_FALSE(box.is_null());
  EXPECT_EQ(box["msgbox"], "The address holds no number");
  // A plain second start only brings the first forward.
  EXPECT_EQ(run({}).status, 0);
  send("quit\n");
  EXPECT_EQ(finish(), 0);
  EXPECT_TRUE(errors().empty()) << ::testing::PrintToString(errors());
}

TEST_F(BusTest, TheNotificationsAcceptReachesThePbx) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  ASSERT_TRUE(bus.isConnected());
  QObject serverObject;
  auto* server = new NotificationServer(&serverObject);
  ASSERT_TRUE(bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &serverObject,
                                 QDBusConnection::ExportAdaptors));
  ASSERT_TRUE(bus.registerService(QStringLiteral("org.freedesktop.Notifications")));

  startSimulator();
  storeAccount();
  startHost();
  ASSERT_FALSE(untilServing("log", "Request for HandledIncoming Ext: 201 Succeeded").is_null());
  const telvane::CallId call = sim_->offer("tel:+49895550101", "pbx:201");
  ASSERT_NE(call, 0u);
  const std::string id = telvane::formatId(call);
  ASSERT_FALSE(untilServing("log", "Notification: " + id + " shown").is_null());
  ASSERT_EQ(server->shown.size(), 1u);
  const NotificationServer::Shown shown = server->shown[0];
  EXPECT_EQ(shown.summary.toStdString(), "Call Arrived 1");
  EXPECT_EQ(shown.body.toStdString(), "Anna Schmidt (+49 89 555 0101)");
  EXPECT_EQ(shown.actions, (QStringList{"accept", "Accept", "reject", "Reject"}));

  QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                                   QStringLiteral("org.freedesktop.Notifications"),
                                                   QStringLiteral("ActionInvoked"));
  signal << shown.id << QStringLiteral("accept");
  ASSERT_TRUE(bus.send(signal));
  ASSERT_FALSE(untilServing("log", "ServArrivedCall:  " + id + " - Accept finished.").is_null());
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (!simulatorHeard({id, "{\"type\":\"string\",\"value\":\"accept\"}"}) &&
         std::chrono::steady_clock::now() < deadline) {
    QCoreApplication::processEvents();
    std::this_thread::sleep_for(20ms);
  }
  EXPECT_TRUE(simulatorHeard({id, "{\"type\":\"string\",\"value\":\"accept\"}"}));
  send("quit\n");
  EXPECT_EQ(finish(), 0);
  EXPECT_TRUE(errors().empty()) << ::testing::PrintToString(errors());
  bus.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
  bus.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
}

// `ringova source sync` while ringova runs asks the running one, which syncs into its own store
// and cache; nothing is synced by the second program.
TEST_F(BusTest, ASourceSyncIsHandedToTheRunningOne) {
  namespace src = platform::outlook::sources;
  ::setenv("XDG_CACHE_HOME", (home_.path() / "cache").c_str(), 1);
  testsupport::RadicaleServer radicale({"ann:secret"});
  ASSERT_TRUE(radicale.running());
  src::DavClient owner({"ann", "secret", ""});
  ASSERT_TRUE(owner
                  .Send({"MKCOL", radicale.url("/ann/work/"),
                         "<?xml version=\"1.0\"?><D:mkcol xmlns:D=\"DAV:\" "
                         "xmlns:C=\"urn:ietf:params:xml:ns:carddav\"><D:set><D:prop>"
                         "<D:resourcetype><D:collection/><C:addressbook/></D:resourcetype>"
                         "</D:prop></D:set></D:mkcol>",
                         -1})
                  .ok());
  std::string why;
  ASSERT_TRUE(src::AddSourceDefinition(user_,
                                       {.name = "Work",
                                        .kind = "carddav",
                                        .url = radicale.url(),
                                        .user = "ann",
                                        .password = "secret",
                                        .interval_minutes = 0},
                                       why))
      << why;
  const auto cache = home_.path() / "cache/ringova/sources/Work.json";
  auto cached = [&](const std::string& text) {
    return testsupport::ReadFile(cache).find(text) != std::string::npos;
  };

  startSimulator();
  storeAccount();
  startHost();
  ASSERT_FALSE(until("log", "StartupCompleted").is_null());
  const auto deadline = std::chrono::steady_clock::now() + 40s;
  while (!cached("\"synced ") && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(20ms);
  ASSERT_TRUE(cached("\"synced "));
  ASSERT_TRUE(owner
                  .Send({"PUT", radicale.url("/ann/work/ned.vcf"),
                         "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:ned\r\nFN:Ned\r\nTEL:1\r\n"
                         "END:VCARD\r\n",
                         -1, "text/vcard"})
                  .ok());
  const Finished second = run({"source", "sync", "Work"});
  EXPECT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(second.out, "handed to the running ringova\n");
  while (!cached("ned.vcf") && std::chrono::steady_clock::now() < deadline + 20s)
    std::this_thread::sleep_for(20ms);
  EXPECT_TRUE(cached("ned.vcf"));
  send("quit\n");
  EXPECT_EQ(finish(), 0);
}

}  // namespace
}  // namespace ringova::testing

#include "bus_test.moc"
