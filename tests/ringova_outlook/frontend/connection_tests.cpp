// The connection half of fMain against the real control and the PBX simulator.
#include "ringova_outlook/contacts/folder_selection.h"
#include "tests/ringova_outlook/frontend/window_fixture.h"
#include "tests/support/steady_port.h"

namespace ringova::testing {
namespace {

// Stand-ins for the parts that are not there yet: they record what the window asks of them.
struct RecordingButtons final : ToolbarState {
  int16_t ButtonMode() const override { return modes.empty() ? 0 : modes.back(); }
  void ChangeButtonsState(int16_t mode) override { modes.push_back(mode); }
  std::vector<int16_t> modes;
};
struct RecordingIncoming final : IncomingCalls {
  bool HasRecords() const override { return records; }
  void DropAll() override { ++drops, records = false; }
  void CloseWindows() override { ++closes; }
  bool records = false;
  int drops = 0;
  int closes = 0;
};

class ConnectionTest : public WindowFixture {
 protected:
  // The settings of a user who connected before, loaded at start-up.
  fMain& connectedWindow(std::string version = "Sim-5.1.26-PBX") {
    startSimulator(std::move(version));
    storeAccount();
    fMain& w = startUp();
    w.Connect(false);
    return w;
  }
  // The on/off values of the incoming-call handling requests the PBX received, in order.
  std::vector<bool> handlingSwitches() {
    std::vector<bool> out;
    for (const std::string& line : received("incomingcallhandling")) {
      out.push_back(line.find("\"type\":\"boolean\",\"value\":true") != std::string::npos);
    }
    return out;
  }
  bool lineHas(const std::vector<std::string>& lines, std::size_t i, const std::string& part) {
    return i < lines.size() && lines[i].find(part) != std::string::npos;
  }
};

TEST_F(ConnectionTest, TheButtonLogsInWithADigestAndSubscribesToIncomingCalls) {
  startSimulator();
  storeAccount();
  fMain& w = startUp();
  w.show();
  ASSERT_TRUE(driver_.click(w.cmdConnect));
  ASSERT_TRUE(w.PbxConnected);
  EXPECT_TRUE(logged("Connect: GUI Request Yes"));
  EXPECT_TRUE(logged("Connected to device 127.0.0.1"));
  EXPECT_EQ(w.cmdConnect.caption(), "Deactivate ");
  EXPECT_FALSE(w.visible());
  EXPECT_TRUE(w.enabled());
  EXPECT_EQ(w.mousePointer(), platform::ui::MousePointer::Arrow);
  for (auto* box : {&w.txtServAddr, &w.txtServPort, &w.txtUserName, &w.txtPswd}) {
    EXPECT_FALSE(box->enabled());
  }

  auto logins = received("sauthenticate");
  ASSERT_EQ(logins.size(), 1u);
  std::tm local{};
  localtime_r(&wallClock_, &local);
  const std::string stamp = LoginTimestamp(local, "C");
  EXPECT_NE(logins[0].find(stamp), std::string::npos) << logins[0];
  EXPECT_NE(logins[0].find(telvane::tools::simAuthenticator("201", "pw201", stamp)),
            std::string::npos);
  for (const std::string& line : trace_.lines()) EXPECT_EQ(line.find("pw201"), std::string::npos);
  EXPECT_TRUE(w.HandledIncoming);
  EXPECT_TRUE(receivedCount("incomingcallhandling", 1));
  EXPECT_TRUE(logged("Request for HandledIncoming Ext: 201 Succeeded"));
  EXPECT_EQ(stored("Password"), "pw201");  // the button writes nothing

  w.show();
  ASSERT_TRUE(driver_.click(w.cmdConnect));
  EXPECT_FALSE(w.PbxConnected);
  EXPECT_TRUE(logged("Disconnecting from device..."));
  EXPECT_TRUE(logged("DisconnectCompleted"));
  EXPECT_EQ(w.cmdConnect.caption(), "Activate ");
  EXPECT_TRUE(w.txtServAddr.enabled());
  EXPECT_FALSE(w.ReconnectTimerRunning(1));
  EXPECT_TRUE(sim_->waitUntil([](const auto& c) { return c.openConnections == 0; }));
}

TEST_F(ConnectionTest, TheJoinModeFollowsThePbxVersion) {
  struct Case {
    const char* version;
    bool forward;
  };
  for (Case c :
       {Case{"Sim-5.1.25-PBX", true}, Case{"Sim-5.1.26-PBX", false}, Case{"Sim-6.0.0-PBX", false},
        Case{"6.0.0", true}, Case{"", true}, Case{"Sim-five-PBX", true}}) {
    SCOPED_TRACE(c.version);
    closeWindow();
    stopSimulator();
    fMain& w = connectedWindow(c.version);
    ASSERT_TRUE(w.PbxConnected);
    EXPECT_EQ(w.UseCallForward, c.forward);
    EXPECT_TRUE(receivedCount("getsysteminfo", 1));
    EXPECT_TRUE(receivedCount("subscribe", c.forward ? 0u : 1u));
    EXPECT_TRUE(logged("GetSystemInfo ID: PBXSIM-0001 SW: " + std::string(c.version)));
  }
}

TEST_F(ConnectionTest, TheExtensionListGivesTheOwnIdentityOnce) {
  fMain& w = connectedWindow();
  ASSERT_FALSE(w.UseCallForward);
  ASSERT_NE(w.ExtListSubscription, "0");
  ASSERT_TRUE(receivedCount("subscribe", 1));
  EXPECT_NE(sim_->command("extlist").find("\"ok\":true"), std::string::npos);
  ASSERT_TRUE(runUntil([&] { return !w.OwnAuthUser.empty(); }));
  EXPECT_EQ(w.OwnDisplayName, "Ann Smith");
  EXPECT_EQ(w.OwnAuthUser, "ann");
  EXPECT_FALSE(w.UseCallForward);
  EXPECT_TRUE(logged("DN: Ann Smith. UN: ann"));
  ASSERT_TRUE(runUntil([&] { return received("unsubscribe").size() == 1; }));
  // Unsubscribed: a second list reaches nobody.
  sim_->command("extlist");
  loop_.doEvents();
  EXPECT_EQ(w.OwnAuthUser, "ann");
}

class ForeignExtensionListTest : public ConnectionTest {
 protected:
  void adjustOptions(telvane::tools::PbxSimulator::Options& options) override {
    options.users = {{"201", "pw201", "301", "Somebody", "some@pbx"}};
  }
};

TEST_F(ForeignExtensionListTest, AListWithoutTheUsersRecordSelectsTransfer) {
  fMain& w = connectedWindow();
  ASSERT_TRUE(w.PbxConnected);
  ASSERT_FALSE(w.UseCallForward);
  sim_->command("extlist");
  ASSERT_TRUE(runUntil([&] { return w.UseCallForward; }));
  EXPECT_EQ(w.OwnDisplayName, "");
  EXPECT_EQ(w.OwnAuthUser, "");
}

TEST_F(ConnectionTest, AWrongPasswordShowsTheMessageOnlyWhenTheUserAsked) {
  startSimulator();
  storeAccount("wrong");
  fMain& w = startUp();
  w.show();
  bool enabledDuringBox = false;
  auto pointerDuringBox = platform::ui::MousePointer::Default;
  shell_.onMessageBox = [&](const auto&) {
    enabledDuringBox = w.enabled();
    pointerDuringBox = w.mousePointer();
  };
  ASSERT_TRUE(driver_.click(w.cmdConnect));
  shell_.onMessageBox = nullptr;
  EXPECT_FALSE(w.PbxConnected);
  EXPECT_TRUE(enabledDuringBox);
  EXPECT_EQ(pointerDuringBox, platform::ui::MousePointer::Hourglass);
  EXPECT_EQ(w.mousePointer(), platform::ui::MousePointer::Arrow);
  ASSERT_EQ(shell_.messageBoxes().size(), 1u);
  EXPECT_EQ(shell_.messageBoxes()[0].text,
            "The connection is not established. Check connection's settings");
  EXPECT_EQ(shell_.messageBoxes()[0].title, "Ringova");
  EXPECT_TRUE(logged("Failed to connect to 127.0.0.1"));
  EXPECT_FALSE(w.ReconnectTimerRunning(1));
  EXPECT_TRUE(w.enabled());
  EXPECT_TRUE(received("incomingcallhandling").empty());

  w.Connect(false);  // as at start-up: no message, the timer instead
  EXPECT_EQ(shell_.messageBoxes().size(), 1u);
  EXPECT_TRUE(w.ReconnectTimerRunning(1));
}

TEST_F(ConnectionTest, AnUnreachablePbxIsReportedOnlyWhileOutlookHasAWindow) {
  startSimulator();
  storeAccount();
  const std::uint16_t port = sim_->port();
  sim_.reset();  // nothing listens there now
  store("ServPort", std::to_string(port));
  fMain& w = startUp();
  w.Connect(true);
  EXPECT_EQ(shell_.messageBoxes().size(), 1u);
  EXPECT_FALSE(w.ReconnectTimerRunning(1));
  w.Connect(false);
  EXPECT_TRUE(w.ReconnectTimerRunning(1));
  w.StopTimer(1);

  explorer_->Close();
  ASSERT_EQ(outlook_.ActiveExplorer(), nullptr);
  w.Connect(true);
  w.Connect(false);
  EXPECT_FALSE(w.PbxConnected);
  EXPECT_EQ(shell_.messageBoxes().size(), 1u);
  EXPECT_FALSE(w.ReconnectTimerRunning(1));
  EXPECT_EQ(std::count(log_.begin(), log_.end(), "Failed to connect to 127.0.0.1"), 4);
}

TEST_F(ConnectionTest, WithoutARegisteredControlEveryConnectFailsQuietly) {
  startSimulator();
  storeAccount();
  auto unregister =
      reinterpret_cast<platform::DllUnregisterServerFn>(dlsym(module_, "DllUnregisterServer"));
  ASSERT_EQ(unregister(), platform::S_OK);
  fMain& w = startUp();
  EXPECT_FALSE(w.Telvane().exists());
  EXPECT_TRUE(std::any_of(log_.begin(), log_.end(), [](const std::string& line) {
    return line.rfind("Telvane control TELVANE.TelvaneCtrl.1 cannot be created", 0) == 0;
  }));
  w.Connect(true);
  EXPECT_FALSE(w.PbxConnected);
  EXPECT_EQ(shell_.messageBoxes().size(), 1u);
  EXPECT_EQ(sim_->counters().connections, 0u);
}

TEST_F(ConnectionTest, AMissingFieldStopsTheButtonWithTheFocusOnIt) {
  startSimulator();
  storeAccount();
  fMain& w = startUp();
  w.show();
  w.txtUserName.setText("  ");
  ASSERT_TRUE(driver_.click(w.cmdConnect));
  EXPECT_FALSE(w.PbxConnected);
  ASSERT_EQ(shell_.messageBoxes().size(), 1u);
  EXPECT_EQ(shell_.messageBoxes()[0].text, "Enter mandatory settings ");
  EXPECT_TRUE(w.txtUserName.hasFocus());
  EXPECT_EQ(w.Settings().UserName, "");
  EXPECT_EQ(sim_->counters().connections, 0u);
}

TEST_F(ConnectionTest, ALostSessionReconnectsAfterTheWholeWaitInMinuteSteps) {
  startSimulator();
  storeAccount();
  store("TimeReconnect", "150");
  fMain& w = startUp();
  RecordingButtons buttons;
  RecordingIncoming incoming;
  incoming.records = true;
  w.SetButtonModes(&buttons);
  w.SetIncomingCalls(&incoming);
  w.Connect(false);
  ASSERT_TRUE(w.PbxConnected);
  EXPECT_EQ(incoming.drops, 1);                       // offers of the old session are gone
  EXPECT_EQ(buttons.modes, std::vector<int16_t>{1});  // DisableClose
  w.Legs().CallFailed = true;
  w.Legs().FailurePromptStarted = true;
  w.Legs().Leg1 = {"77", 2};

  sim_->command("close");
  ASSERT_TRUE(runUntil([&] { return !w.PbxConnected; }));
  EXPECT_TRUE(logged("CC Disconnected"));
  EXPECT_FALSE(w.Legs().CallFailed);
  EXPECT_FALSE(w.Legs().FailurePromptStarted);
  EXPECT_EQ(w.Legs().Leg1.CallID, "0");
  EXPECT_EQ(w.Legs().Leg1.State, kLegIdle);
  EXPECT_TRUE(w.txtServAddr.enabled());
  EXPECT_EQ(incoming.closes, 1);
  EXPECT_EQ(buttons.modes.back(), 0);  // DisableAllButtons
  ASSERT_TRUE(w.ReconnectTimerRunning(1));

  std::vector<int> intervals{w.TimerRec.interval()};
  advance(59999ms);
  EXPECT_EQ(intervals.size(), 1u);
  advance(1ms);
  intervals.push_back(w.TimerRec.interval());
  advance(60s);
  intervals.push_back(w.TimerRec.interval());
  EXPECT_EQ(intervals, (std::vector<int>{60000, 60000, 30000}));
  EXPECT_FALSE(logged("Reconnect timeout"));
  EXPECT_EQ(sim_->counters().connections, 1u);
  advance(29999ms);
  EXPECT_FALSE(logged("Reconnect timeout"));
  advance(1ms);
  EXPECT_TRUE(logged("Reconnect timeout"));
  EXPECT_TRUE(w.PbxConnected);
  EXPECT_EQ(sim_->counters().connections, 2u);
  EXPECT_EQ(received("sauthenticate").size(), 2u);
  EXPECT_FALSE(w.ReconnectTimerRunning(1));
  w.SetButtonModes(nullptr);
  w.SetIncomingCalls(nullptr);
}

TEST_F(ConnectionTest, TheButtonStopsARunningReconnectTimerFirst) {
  startSimulator();
  storeAccount();
  fMain& w = startUp();
  w.StartTimer(1);
  w.show();
  ASSERT_TRUE(driver_.click(w.cmdConnect));
  EXPECT_TRUE(w.PbxConnected);
  EXPECT_FALSE(w.ReconnectTimerRunning(1));
  EXPECT_TRUE(logged("StopTimer: Reconnect "));
}

TEST_F(ConnectionTest, ApplyWhileConnectedLeavesTheServerAlone) {
  fMain& w = connectedWindow();
  ASSERT_TRUE(w.PbxConnected);
  w.show();
  w.txtServAddr.setText("other.example");
  w.txtPswd.setText("changed");
  w.timeout.setText("20");
  ASSERT_TRUE(driver_.click(w.btnApply));
  EXPECT_EQ(w.Settings().ServAddr, "127.0.0.1");
  EXPECT_EQ(w.Settings().Password, "pw201");
  EXPECT_EQ(stored("Password"), "pw201");
  EXPECT_EQ(stored("TimeIncoming"), "20");
  EXPECT_TRUE(w.PbxConnected);
}

TEST_F(ConnectionTest, ApplySwitchesIncomingHandlingOffAndOnAtThePbx) {
  fMain& w = connectedWindow();
  ASSERT_TRUE(w.HandledIncoming);
  ASSERT_TRUE(receivedCount("incomingcallhandling", 1));
  w.show();
  ASSERT_TRUE(driver_.click(w.chArrived));
  ASSERT_TRUE(driver_.click(w.btnApply));
  EXPECT_FALSE(w.HandledIncoming);
  EXPECT_TRUE(logged("HandledIncoming Ext: 201 => Off"));
  EXPECT_EQ(stored("Incoming"), "False");
  ASSERT_TRUE(receivedCount("incomingcallhandling", 2));
  EXPECT_EQ(handlingSwitches().back(), false);

  w.show();
  ASSERT_TRUE(driver_.click(w.chArrived));
  ASSERT_TRUE(driver_.click(w.btnApply));
  EXPECT_TRUE(w.HandledIncoming);
  ASSERT_TRUE(runUntil([&] { return handlingSwitches().size() >= 3; }));
  sim_->waitUntil([](const auto&) { return false; }, 100ms);
  EXPECT_EQ(handlingSwitches().back(), true);
  // The PBX offers the extension's calls to the add-in again.
  EXPECT_NE(sim_->offer("tel:555", "201"), 0u);
}

// The update check blocks the window: incoming calls are switched off around it.
class RecordingUpdateCheck final : public UpdateCheckLink {
 public:
  explicit RecordingUpdateCheck(std::function<void()> during) : during_(std::move(during)) {}
  void CheckAppVersion() override { during_(); }

 private:
  std::function<void()> during_;
};

TEST_F(ConnectionTest, ApplyRunsTheUpdateCheckWithIncomingHandlingOff) {
  fMain& w = connectedWindow();
  bool handledDuring = true;
  RecordingUpdateCheck check([&] { handledDuring = w.HandledIncoming; });
  w.SetUpdateCheck(&check);
  w.show();
  ASSERT_TRUE(driver_.click(w.chUpdate));
  ASSERT_TRUE(driver_.click(w.btnApply));
  EXPECT_FALSE(handledDuring);
  EXPECT_TRUE(w.HandledIncoming);
  EXPECT_FALSE(w.visible());
  sim_->waitUntil([](const auto&) { return false; }, 100ms);
  EXPECT_EQ(handlingSwitches().back(), true);
  w.SetUpdateCheck(nullptr);
}

TEST_F(ConnectionTest, TwoConnectsASecondApartSendDifferentDigests) {
  fMain& w = connectedWindow();
  ASSERT_TRUE(w.PbxConnected);
  w.show();
  ASSERT_TRUE(driver_.click(w.cmdConnect));  // disconnect
  ASSERT_FALSE(w.PbxConnected);
  wallClock_ += 1;
  w.Connect(false);
  ASSERT_TRUE(w.PbxConnected);
  auto logins = received("sauthenticate");
  ASSERT_EQ(logins.size(), 2u);
  auto strip = [](std::string line) { return line.substr(0, line.find("\"dir\"")); };
  EXPECT_NE(strip(logins[0]), strip(logins[1]));
  std::tm first{}, second{};
  std::time_t before = wallClock_ - 1;
  localtime_r(&before, &first);
  localtime_r(&wallClock_, &second);
  EXPECT_TRUE(lineHas(
      logins, 0, telvane::tools::simAuthenticator("201", "pw201", LoginTimestamp(first, "C"))));
  EXPECT_TRUE(lineHas(
      logins, 1, telvane::tools::simAuthenticator("201", "pw201", LoginTimestamp(second, "C"))));
}

TEST_F(ConnectionTest, ShutdownSavesTheSessionStateAndDisconnects) {
  fMain& w = connectedWindow();
  ASSERT_TRUE(w.PbxConnected);
  ASSERT_TRUE(w.unload());
  EXPECT_EQ(stored("Activated"), "True");
  EXPECT_EQ(stored("ServPort"), std::to_string(sim_->port()));
  EXPECT_TRUE(sim_->waitUntil([](const auto& c) { return c.openConnections == 0; }));
  EXPECT_FALSE(w.ReconnectTimerRunning(1));
}

TEST_F(ConnectionTest, ConnectLoadsAllContactsBeforeSubscribingAndApplyKeepsThem) {
  fMain& w = connectedWindow();
  ASSERT_TRUE(w.PbxConnected);
  EXPECT_EQ(directory_->RecordCount(), 1);
  auto loaded = [&] { return std::count(log_.begin(), log_.end(), "Loaded 1 contacts"); };
  EXPECT_EQ(loaded(), 1);
  auto at = [&](const std::string& line) {
    return std::find(log_.begin(), log_.end(), line) - log_.begin();
  };
  EXPECT_LT(at("Loaded 1 contacts"), at("Request for HandledIncoming Ext: 201 Succeeded"));

  // All contacts chosen again while they are loaded: no reload, the subscription untouched.
  w.show();
  w.timeout.setText("5");
  ASSERT_TRUE(driver_.click(w.btnApply));
  EXPECT_EQ(loaded(), 1);
  EXPECT_TRUE(w.HandledIncoming);
  EXPECT_TRUE(receivedCount("incomingcallhandling", 1));
}

TEST_F(ConnectionTest, SelectedFoldersLoadWithoutTheWindowWhenAskedNotToShowIt) {
  startSimulator();
  storeAccount();
  store("FillContacts", "False");
  store("DontShowOnStartup", "True");
  store("SelectedContactFolders", contacts_->FolderPath() + "%20");
  fMain& w = startUp();
  EXPECT_TRUE(w.Settings().LoadSelectedFolders);
  w.Connect(false);
  ASSERT_TRUE(w.PbxConnected);
  EXPECT_EQ(directory_->RecordCount(), 1);
  EXPECT_EQ(toolkit_.findForm("fFolders"), nullptr);
}

TEST_F(ConnectionTest, TheFolderSelectionOpensAtConnectWithTheStoredChoiceTicked) {
  startSimulator();
  storeAccount();
  store("FillContacts", "False");
  store("SelectedContactFolders", contacts_->FolderPath() + "%20");
  bool ticked = false;
  driver_.expect("fFolders", [&](platform::ui::Form& form) {
    auto& folders = static_cast<FolderSelectionWindow&>(form);
    ticked = folders.lstContactFolders.count() == 1 && folders.lstContactFolders.checked(0);
    driver_.click(folders.btnOK);
  });
  fMain& w = startUp();
  w.Connect(false);
  ASSERT_TRUE(w.PbxConnected);
  EXPECT_TRUE(ticked);
  EXPECT_EQ(driver_.pendingAnswers(), 0);
  EXPECT_EQ(directory_->RecordCount(), 1);
  EXPECT_TRUE(w.HandledIncoming);
}

// Every wait of the reconnect timer, after a lost session and after each failed attempt, lasts
// TimeReconnect in steps of at most a minute.
class ReconnectWaitTest : public ConnectionTest, public ::testing::WithParamInterface<int> {
 protected:
  // Moves the clock a second at a time, so each step of the timer fires when it is due.
  void advanceStepwise(std::chrono::milliseconds span) {
    for (; span > 1s; span -= 1s) advance(1s);
    advance(span);
  }
  // The next attempt comes exactly TimeReconnect after the last one.
  ::testing::AssertionResult nextAttemptAfterTheWholeWait(fMain& w) {
    auto attempts = [&] { return std::count(log_.begin(), log_.end(), "Reconnect timeout"); };
    const auto before = attempts();
    if (!w.ReconnectTimerRunning(1)) return ::testing::AssertionFailure() << "no timer";
    advanceStepwise(std::chrono::seconds(GetParam()) - 1ms);
    if (attempts() != before) {
      return ::testing::AssertionFailure() << "attempt " << before + 1 << " came early";
    }
    advance(1ms);
    if (attempts() != before + 1) {
      return ::testing::AssertionFailure() << "attempt " << before + 1 << " did not come";
    }
    return ::testing::AssertionSuccess();
  }
};

TEST_P(ReconnectWaitTest, EveryWaitLastsTheWholeTimeReconnect) {
  simPort_ = testsupport::SteadyPort();
  ASSERT_NE(simPort_, 0);
  startSimulator();
  storeAccount();
  store("TimeReconnect", std::to_string(GetParam()));
  fMain& w = startUp();
  w.Connect(false);
  ASSERT_TRUE(w.PbxConnected);

  sim_->command("close");
  ASSERT_TRUE(runUntil([&] { return !w.PbxConnected; }));
  stopSimulator();
  for (int retry = 1; retry <= 3; ++retry) {
    ASSERT_TRUE(nextAttemptAfterTheWholeWait(w)) << "retry " << retry;
    EXPECT_FALSE(w.PbxConnected);
  }
  EXPECT_EQ(std::count(log_.begin(), log_.end(), "Failed to connect to 127.0.0.1"), 3);
  startSimulator();
  ASSERT_TRUE(nextAttemptAfterTheWholeWait(w));
  ASSERT_TRUE(w.PbxConnected);
  EXPECT_FALSE(w.ReconnectTimerRunning(1));

  // A second loss waits the whole time too.
  sim_->command("close");
  ASSERT_TRUE(runUntil([&] { return !w.PbxConnected; }));
  ASSERT_TRUE(nextAttemptAfterTheWholeWait(w));
  EXPECT_TRUE(w.PbxConnected);
}

INSTANTIATE_TEST_SUITE_P(Seconds, ReconnectWaitTest, ::testing::Values(150, 61));

// The digest is made of the bytes of the system's ANSI code page, as a PBX set up for these
// clients computes it; the user name travels as typed.
class LoginCodePageTest : public ConnectionTest {
 protected:
  void adjustOptions(telvane::tools::PbxSimulator::Options& options) override {
    options.digestCodePage = codePage_;
    options.users = {{user_, password_, "201", "Ann Smith", "ann@pbx.example"}};
  }
  fMain& connectAs(const char* locale, int codePage, std::string user, std::string password) {
    closeWindow();
    stopSimulator();
    shell_.setSystemLocale(platform::shell::parseLocale(locale));
    codePage_ = codePage;
    user_ = std::move(user);
    password_ = std::move(password);
    startSimulator();
    storeAccount(password_);
    store("UserName", user_);
    fMain& w = startUp();
    w.Connect(false);
    return w;
  }
  int codePage_ = 1252;
  std::string user_ = "201";
  std::string password_ = "pw201";
};

TEST_F(LoginCodePageTest, AccentedCredentialsLogInAndACharacterTheCodePageLacksSendsNothing) {
  fMain& w = connectAs("de_DE.UTF-8", 1252, "j\u00fcrgen", "p\u00e4ssw\u00f6rd");
  EXPECT_TRUE(w.PbxConnected);
  ASSERT_EQ(received("sauthenticate").size(), 1u);
  EXPECT_NE(received("sauthenticate")[0].find("\"j\u00fcrgen\""), std::string::npos);

  fMain& ru = connectAs("ru_RU.UTF-8", 1251, "201", "\u043f\u0430\u0440\u043e\u043b\u044c");
  EXPECT_TRUE(ru.PbxConnected);

  fMain& lacking = connectAs("ru_RU.UTF-8", 1251, "201", "p\u00e4ss");
  EXPECT_FALSE(lacking.PbxConnected);
  EXPECT_TRUE(logged("Connect: the password has a character that code page 1251 cannot write"));
  EXPECT_TRUE(logged("Failed to connect to 127.0.0.1"));
  EXPECT_EQ(sim_->counters().connections, 0u);
  EXPECT_TRUE(lacking.ReconnectTimerRunning(1));
}

}  // namespace
}  // namespace ringova::testing
