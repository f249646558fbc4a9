// The settings half of fMain, played by the test driver.
#include "platform/ui/keys.h"
#include "tests/ringova_outlook/frontend/window_fixture.h"

namespace ringova::testing {
namespace {

using platform::ui::Form;

using SettingsWindowTest = WindowFixture;

TEST_F(SettingsWindowTest, FirstStartAsksForTheMandatorySettingsAndDoesNotConnect) {
  store("Activated", "True");
  std::string shownAddr, shownPort, caption;
  bool modal = false;
  driver_.expect("fMain", [&](Form& form) {
    auto& w = static_cast<fMain&>(form);
    shownAddr = w.txtServAddr.text();
    shownPort = w.txtServPort.text();
    caption = w.caption();
    modal = w.modal();
    driver_.click(w.btnCancel);
  });
  fMain& w = makeWindow();
  w.RestoreSettings();
  EXPECT_TRUE(driver_.failures().empty());
  EXPECT_EQ(driver_.pendingAnswers(), 0);
  EXPECT_TRUE(modal);
  EXPECT_EQ(shownAddr, "127.0.0.1");
  EXPECT_EQ(shownPort, "4849");
  EXPECT_EQ(caption, "Ringova Settings");
  EXPECT_FALSE(w.Settings().Activated);
  EXPECT_FALSE(w.visible());
  EXPECT_EQ(w.cmdConnect.caption(), "Activate ");
  EXPECT_EQ(w.btnCancel.caption(), "Close ");
  EXPECT_EQ(w.chSecure.caption(), "Secure connection:");
  EXPECT_FALSE(w.btnApply.enabled());
  EXPECT_TRUE(w.ReconnectWait().intervalMs == 30000 && !w.ReconnectTimerRunning(1));
  EXPECT_TRUE(logged("Load Registry Settings..."));
  EXPECT_FALSE(logged("Connect: GUI Request No"));
}

TEST_F(SettingsWindowTest, StoredValuesLoadWithTheirDefaultsAndLimits) {
  store("ServAddr", "pbx.example");
  store("UserName", "201");
  store("ServPort", "40000");
  store("TimeIncoming", "0");
  store("TimeReconnect", "1000");
  store("FillContacts", "True");
  store("LoadSelectedFolders", "True");
  store("Incoming", "maybe");
  store("Secure", "true");
  store("Reconnect", "False");
  fMain& w = startUp();
  const AddinSettings& s = w.Settings();
  EXPECT_EQ(s.ServPort, 40000);
  EXPECT_EQ(w.txtServPort.text(), "40000");
  EXPECT_EQ(w.timeout.text(), "1");
  EXPECT_EQ(w.reconnectTimeout.text(), "600");
  EXPECT_FALSE(s.LoadSelectedFolders);
  EXPECT_TRUE(w.optLoadAll.value());
  EXPECT_FALSE(w.optLoadSel.value());
  EXPECT_TRUE(w.AllContactsMode);
  EXPECT_TRUE(s.Incoming);  // unreadable: the default
  EXPECT_EQ(w.chArrived.value(), 1);
  EXPECT_EQ(w.chSecure.value(), 1);
  EXPECT_EQ(w.chReconnect.value(), 0);
  EXPECT_FALSE(w.btnApply.enabled());
  EXPECT_TRUE(w.SettingsLoaded);
  EXPECT_EQ(w.ReconnectWait().intervalMs, 60000);
  EXPECT_EQ(w.ReconnectWait().remaining, 540);
  EXPECT_FALSE(w.visible());
}

TEST_F(SettingsWindowTest, ChangesTurnApplyOnAndBackOffAndCancelKeepsOnlySecure) {
  store("ServAddr", "pbx.example");
  store("UserName", "201");
  fMain& w = startUp();
  w.show();
  ASSERT_TRUE(driver_.focus(w.txtUserName));
  ASSERT_TRUE(driver_.press(platform::ui::key::End));
  ASSERT_TRUE(driver_.type("9"));
  EXPECT_TRUE(w.btnApply.enabled());
  EXPECT_EQ(w.btnCancel.caption(), "Cancel");
  ASSERT_TRUE(driver_.press(platform::ui::key::Back));
  EXPECT_FALSE(w.btnApply.enabled());
  EXPECT_EQ(w.btnCancel.caption(), "Close ");

  ASSERT_TRUE(driver_.click(w.chSecure));
  ASSERT_TRUE(driver_.click(w.chTapi));
  EXPECT_TRUE(w.btnApply.enabled());
  ASSERT_TRUE(driver_.click(w.btnCancel));
  EXPECT_FALSE(w.visible());
  EXPECT_EQ(w.chSecure.value(), 1);  // kept for the connect button or a later Apply
  EXPECT_FALSE(w.Settings().Secure);
  EXPECT_EQ(w.chTapi.value(), 0);
  EXPECT_FALSE(w.btnApply.enabled());
  EXPECT_EQ(stored("Secure"), "<missing>");

  w.show();
  ASSERT_TRUE(driver_.click(w.optLoadSel));
  EXPECT_TRUE(w.btnApply.enabled());
  EXPECT_TRUE(driver_.closeBox(w) == false);  // refused: the window stays loaded
  EXPECT_TRUE(w.loaded());
  EXPECT_FALSE(w.visible());
  EXPECT_TRUE(w.optLoadAll.value());
}

TEST_F(SettingsWindowTest, TimeFieldsAreCorrectedWhenTheyLoseTheFocus) {
  store("ServAddr", "pbx.example");
  store("UserName", "201");
  fMain& w = startUp();
  w.show();
  struct Case {
    platform::ui::TextBox& box;
    std::string typed, expected;
    bool staysFocused;
  };
  for (Case c :
       {Case{w.timeout, "0", "1", true}, Case{w.timeout, "", "1", true},
        Case{w.timeout, "61", "60", true}, Case{w.timeout, "60", "60", false},
        Case{w.reconnectTimeout, "29", "30", true}, Case{w.reconnectTimeout, "601", "600", true},
        Case{w.reconnectTimeout, "x", "30", true}, Case{w.reconnectTimeout, "45", "45", false}}) {
    ASSERT_TRUE(driver_.focus(c.box));
    c.box.setText(c.typed);
    ASSERT_TRUE(driver_.press(platform::ui::key::Tab));
    EXPECT_EQ(c.box.text(), c.expected) << c.typed;
    EXPECT_EQ(c.box.hasFocus(), c.staysFocused) << c.typed;
  }
}

TEST_F(SettingsWindowTest, ApplyStoresChangedValuesAndSaveWritesEverySetting) {
  store("ServAddr", "pbx.example");
  store("UserName", "201");
  store("TimeReconnect", "150");
  fMain& w = startUp();
  w.show();
  w.txtServPort.setText("50000");
  w.txtPswd.setText(" secret ");
  w.reconnectTimeout.setText("45");
  ASSERT_TRUE(driver_.click(w.chReconnect));
  ASSERT_TRUE(driver_.click(w.btnApply));
  EXPECT_EQ(stored("ServPort"), "50000");
  EXPECT_EQ(stored("Password"), "secret");  // plain text
  EXPECT_EQ(stored("TimeReconnect"), "45");
  EXPECT_EQ(stored("Reconnect"), "False");
  EXPECT_EQ(stored("ServAddr"), "pbx.example");
  EXPECT_EQ(w.ReconnectWait().intervalMs, 45000);
  EXPECT_EQ(w.TimerRec.interval(), 45000);
  EXPECT_FALSE(w.btnApply.enabled());
  EXPECT_EQ(w.btnCancel.caption(), "Close ");
  EXPECT_TRUE(logged("Apply settings"));
  EXPECT_TRUE(logged("All: True , Sel: False"));

  w.timeout.setText("7");  // saved as the field stands
  w.Settings().Activated = true;
  w.SaveSettings();
  EXPECT_EQ(stored("TimeIncoming"), "7");
  EXPECT_EQ(stored("Activated"), "True");
  EXPECT_EQ(stored("FillContacts"), "True");
  EXPECT_EQ(stored("LoadSelectedFolders"), "False");
  EXPECT_EQ(stored("Country"), "");
  EXPECT_EQ(stored("DontShowOnStartup"), "False");
  EXPECT_TRUE(logged("SaveSettings..."));
}

TEST_F(SettingsWindowTest, NothingIsSavedBeforeStartUpHasEnded) {
  store("ServAddr", "pbx.example");
  store("UserName", "201");
  fMain& w = makeWindow();
  w.RestoreSettings();
  w.SaveSettings();
  EXPECT_EQ(stored("Password"), "<missing>");
  EXPECT_FALSE(logged("SaveSettings..."));
}

TEST_F(SettingsWindowTest, SavingKeepsWhatAnotherProcessChangedMeanwhile) {
  store("ServAddr", "pbx.example");
  store("UserName", "201");
  store("Password", "old");
  fMain& w = makeWindow();
  w.RestoreSettings();
  w.StartupDone = true;
  // `ringova config set` while the add-in runs.
  store("Password", "new");
  store("Country", "Germany");
  w.Settings().Activated = true;
  w.SaveSettings();
  EXPECT_EQ(stored("Password"), "new");
  EXPECT_EQ(stored("Country"), "Germany");
  EXPECT_EQ(stored("Activated"), "True");
  // A value the add-in itself changes is written, whatever the store holds.
  w.Settings().Password = "mine";
  w.SaveSettings();
  EXPECT_EQ(stored("Password"), "mine");
}

TEST_F(SettingsWindowTest, AStoreThatCannotBeUsedGivesOneLogLineAndTheDefaults) {
  {
    std::FILE* f = std::fopen(registry_.userFile().c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("\x01 not a registry store [[[\n", f);
    std::fclose(f);
  }
  driver_.expect("fMain", [&](Form& form) { form.hide(); });
  fMain& w = makeWindow();
  w.RestoreSettings();
  w.StartupDone = true;
  w.SaveSettings();
  EXPECT_EQ(w.Settings().ServPort, 4849);
  EXPECT_EQ(w.txtServAddr.text(), "127.0.0.1");
  auto count = [&](const std::string& part) {
    return std::count_if(log_.begin(), log_.end(), [&](const std::string& line) {
      return line.find(part) != std::string::npos;
    });
  };
  EXPECT_EQ(count("cannot be read"), 1);
  EXPECT_EQ(count("cannot be written"), 1);
}

}  // namespace
}  // namespace ringova::testing
