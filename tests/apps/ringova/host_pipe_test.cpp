// ringova's command line and scripted mode through pipes, against the simulator in process.
#include <map>

#include "tests/apps/ringova/ringova_fixture.h"

namespace ringova::testing {
namespace {

class HostPipeTest : public RingovaFixture {};

// Start-up connects by itself; a contact is called through the picker and closed; a call from
// one of the contacts' numbers is announced with the contact's name and accepted.
TEST_F(HostPipeTest, OutgoingAndIncomingSession) {
  startSimulator();
  storeAccount();
  startHost();
  send(
      "wait log StartupCompleted 20\n"
      "folder Contacts\n"
      "select \"Anna Schmidt\"\n"
      "click Make\n"
      "wait form fContacts 10\n"
      "form fContacts cboPhones pick 1\n"
      "form fContacts btnCall click\n"
      "wait log OnConfirmed 10\n"
      "wait log OnConfirmed 10\n");
  ASSERT_FALSE(until("log", "Connected to device 127.0.0.1").is_null());
  const Json picker = until("form", "fContacts");
  ASSERT_FALSE(picker.is_null());
  EXPECT_TRUE(picker["shown"].get<bool>());
  ASSERT_FALSE(until("log", "MakeCall: to  'mobile    - +49 160 555 0102'").is_null());
  ASSERT_FALSE(until("log", "OnConfirmed").is_null());
  ASSERT_FALSE(until("log", "OnConfirmed").is_null());
  send("click Close\nwait log OnClosed 10\nwait log OnClosed 10\n");
  ASSERT_FALSE(until("log", "OnClosed").is_null());
  ASSERT_FALSE(until("log", "OnClosed").is_null());

  sim_->offer("tel:+49895550101", "pbx:201");
  send("wait form fIncoming 10\ndump fIncoming\n");
  const Json dump = until("dump");
  ASSERT_FALSE(dump.is_null());
  EXPECT_NE(dump["dump"].get<std::string>().find("txtContactFrom \"Anna Schmidt\""),
            std::string::npos)
      << dump;
  send("form fIncoming cmdAccept click\nwait hidden fIncoming 10\n");
  ASSERT_FALSE(until("log", "Accept finished").is_null());
  EXPECT_EQ(finish(), 0);
  EXPECT_TRUE(errors().empty()) << ::testing::PrintToString(errors());
  EXPECT_TRUE(logged("Ringova AddIn  Disconnected"));
}

// A phone link on the command line is dialled once the add-in has connected, logged as a Make;
// the script's dial line does the same, and an address without a number says why.
TEST_F(HostPipeTest, PhoneLinksFromTheCommandLineAndTheScript) {
  startSimulator();
  storeAccount();
  startHost({"--mailbox", RINGOVA_SAMPLE_MAILBOX, "dial", "tel:+49-30-1234567;phone-context=+49"});
  ASSERT_FALSE(until("log", "Connected to device").is_null());
  ASSERT_FALSE(until("log", "MakeCall: to  '+49-30-1234567' =>> +49301234567").is_null());
  send(
      "wait log OnConfirmed 10\n"
      "click Close\n"
      "wait log OnClosed 10\n"
      "answer OK\n"
      "dial tel:\n"
      "dial callto://0171%20555\n"
      "wait log \"MakeCall: to  '0171 555' =>> 0171555\" 10\n"
      "quit\n");
  const Json box = until("msgbox");
  ASSERT_FALSE(box.is_null());
  EXPECT_EQ(box["msgbox"], "The address holds no number");
  EXPECT_EQ(finish(), 0);
  EXPECT_TRUE(logged("MakeCall: to  '0171 555' =>> 0171555"));
  EXPECT_TRUE(errors().empty()) << ::testing::PrintToString(errors());
}

// The program as built, not installed, finds its rule matcher: the user's rule turns a national
// number into the international one, and that is what the PBX is asked to call.
TEST_F(HostPipeTest, TheProgramDialsWithTheUsersRules) {
  startSimulator();
  storeAccount();
  std::filesystem::create_directories(home_.path() / "log");
  testsupport::WriteFile(home_.path() / "log/RingovaDialing.txt",
                         "\"0Z.\"\r\n\"1\"\r\n\"+49\"\r\n\"\"\r\n\"national\"\r\n");
  startHost({"--mailbox", RINGOVA_SAMPLE_MAILBOX, "dial", "tel:030-1234567"});
  ASSERT_FALSE(until("log", "MakeCall: to  '030-1234567' =>> +49301234567").is_null());
  send("wait log OnConfirmed 10\nwait log OnConfirmed 10\nquit\n");
  EXPECT_EQ(finish(), 0);
  EXPECT_TRUE(logged("ConvertPhoneByRule: pattern - 0Z."));
  EXPECT_FALSE(logged("ConvertPhoneByRule: Error"));
  EXPECT_EQ(trace_.inbound({"createcall", "\"tel:+49301234567\""}).size(), 1u);
}

// The autostart entry: written where the desktop looks at login, starting this very program,
// valid for the desktop's checker; off removes it, and off again is no error.
TEST_F(HostPipeTest, AutostartOnAndOff) {
  const std::filesystem::path entry = home_.path() / "config/autostart/org.telvane.Ringova.desktop";
  Finished on = run({"autostart", "on"});
  EXPECT_EQ(on.status, 0) << on.err;
  ASSERT_TRUE(std::filesystem::exists(entry));
  const std::string text = testsupport::ReadFile(entry);
  EXPECT_NE(text.find("Exec=\"" + std::filesystem::canonical(RINGOVA_BIN).string() + "\"\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(std::system(("desktop-file-validate '" + entry.string() + "'").c_str()), 0);
  EXPECT_EQ(run({"autostart", "on"}).status, 0);  // again: the same entry

  EXPECT_EQ(run({"autostart", "off"}).status, 0);
  EXPECT_FALSE(std::filesystem::exists(entry));
  EXPECT_EQ(run({"autostart", "off"}).status, 0);
  const Finished bad = run({"autostart", "maybe"});
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("autostart needs on or off"), std::string::npos);
}

// The first start without an account opens the settings window modally; the lines after it
// answer it: a message box about the missing fields (queued answer), then the account.
TEST_F(HostPipeTest, ScriptAnswersAModalWindow) {
  startSimulator();
  startHost();
  send(
      "wait form fMain 10\n"
      "answer OK\n"
      "form fMain txtUserName set \"\"\n"
      "form fMain cmdConnect click\n"
      "form fMain txtServPort set " +
      std::to_string(sim_->port()) +
      "\n"
      "form fMain txtUserName type 201\n"
      "form fMain txtPswd type pw201\n"
      "form fMain cmdConnect click\n"
      "wait log \"Connected to device\" 10\n"
      "wait hidden fMain 5\n"  // a successful connect closes it
      "quit\n"
      "dump fMain\n");  // after quit: never run
  const Json box = until("msgbox");
  ASSERT_FALSE(box.is_null());
  EXPECT_EQ(box["title"], "Ringova");
  EXPECT_EQ(box["answer"], "OK");
  const Json hidden = until("form", "fMain");
  ASSERT_FALSE(hidden.is_null());
  EXPECT_FALSE(hidden["shown"].get<bool>());
  EXPECT_EQ(finish(), 0);
  EXPECT_TRUE(logged("Connected to device 127.0.0.1"));
  EXPECT_TRUE(errors().empty()) << ::testing::PrintToString(errors());
  for (const Json& j : seen_) EXPECT_FALSE(j.contains("dump"));
  EXPECT_EQ(stored("UserName"), "201");
}

// The add-in's windows, each opened, driven and closed by the script: the settings window and
// the three it opens (a dialing rule added, the log options, contact folders ticked), a message
// box answered while it is up, and the about box closed with its key.
TEST_F(HostPipeTest, ScriptDrivesTheAddInsWindows) {
  startSimulator();
  storeAccount();
  startHost();
  send(
      "wait log StartupCompleted 20\n"
      "click Se&ttings...\n"
      "wait form fMain 5\n"
      "form fMain btnDialRules click\n"
      "form fDialing btnAdd click\n"
      "form fDialing txtField(0) type 0X.\n"
      "form fDialing txtField(1) type 1\n"
      "form fDialing txtField(2) type +49\n"
      "form fDialing btnSave click\n"
      "dump fDialing\n"
      "form fDialing btnCancel click\n"
      "form fMain btnLogFile click\n"
      "form fLogFile btnCancel click\n"
      "form fMain optLoadSel click\n"
      "form fMain btnApply click\n"
      "wait form fFolders 5\n"
      "form fFolders lstContactFolders tick 0 off\n"
      "form fFolders btnOK click\n"
      "wait form MsgBox 5\n"
      "answer No\n"
      "wait hidden fFolders 5\n"
      "click About\n"
      "form fAbout OKButton key Enter\n"
      "wait hidden fAbout 5\n"
      "quit\n");
  EXPECT_EQ(finish(), 0);
  EXPECT_TRUE(errors().empty()) << ::testing::PrintToString(errors());
  std::map<std::string, std::string> shown;  // each window's shown/hidden in order
  for (const Json& j : seen_) {
    if (j.contains("form")) shown[j["form"]] += j["shown"].get<bool>() ? "+" : "-";
  }
  for (const char* form : {"fMain", "fDialing", "fLogFile", "fFolders", "MsgBox", "fAbout"}) {
    EXPECT_EQ(shown[form], "+-") << form;
  }
  bool rule = false, box = false;
  for (const Json& j : seen_) {
    if (j.contains("dump"))
      rule = j["dump"].get<std::string>().find("\"0X.\" | \"1\" | \"+49\"") != std::string::npos;
    if (j.contains("msgbox")) box = j["answer"] == "No";
  }
  EXPECT_TRUE(rule);
  EXPECT_TRUE(box);
}

// Lines that cannot run give one error each, and the script goes on.
TEST_F(HostPipeTest, BadLinesGiveErrorsAndTheScriptGoesOn) {
  startHost({});  // no mailbox: an empty one with the usual folders
  send(
      "frobnicate\n"
      "click \"unfinished\n"
      "form fNowhere btn click\n"
      "form fMain#0 btn click\n"
      "select Nobody\n"
      "click NoSuchButton\n"
      "folder Contacts   # a comment\n"
      "contact add \"Tom Test\" \"BusinessTelephoneNumber=+1 555 0199\"\n"
      "contact add \"Tim Test\" NoSuchProperty=1\n"
      "contact change Nobody Email1Address=x\n"
      "wait log \"never written\" 0.2\n"
      "wait seconds 1\n"
      "sleep 10\n"
      "explorer close 7\n"
      "select \"Tom Test\"\n"
      "dump fMain\n");
  ASSERT_FALSE(until("dump").is_null());
  EXPECT_EQ(finish(), 0);
  EXPECT_EQ(errors(), (std::vector<std::string>{
                          "unknown command: frobnicate",
                          "unfinished quote: click \"unfinished",
                          "no visible form fNowhere",
                          "bad form number in fMain#0",
                          "no item Nobody in the current folder",
                          "no command bar control NoSuchButton",
                          "no contact property NoSuchProperty",
                          "no contact Nobody",
                          "timeout",
                          "wait needs log TEXT, form FORM or hidden FORM",
                          "no explorer 7",
                      }));
}

// A second start after quitting while connected connects by itself, without a window.
TEST_F(HostPipeTest, QuittingWhileConnectedAndStartingAgain) {
  startSimulator();
  storeAccount();
  startHost();
  send("wait log StartupCompleted 20\nquit\n");
  EXPECT_EQ(finish(), 0);
  EXPECT_TRUE(logged("Connected to device 127.0.0.1"));
  EXPECT_EQ(stored("Activated"), "True");

  startHost();
  send("wait log StartupCompleted 20\n");
  ASSERT_FALSE(until("log", "Connected to device 127.0.0.1").is_null());
  send("quit\n");
  EXPECT_EQ(finish(), 0);
  EXPECT_TRUE(logged("Connect: GUI Request No"));
  for (const Json& j : seen_) EXPECT_FALSE(j.contains("form") && j["form"] == "fMain") << j;
}

// A contact added in Outlook is known to the next arriving call; closing Outlook's last window
// ends Outlook, and the script with it.
TEST_F(HostPipeTest, ContactEventsAndTheLastWindowClosing) {
  startSimulator();
  storeAccount();
  startHost();
  send(
      "wait log StartupCompleted 20\n"
      "contact add \"Tom Test\" \"BusinessTelephoneNumber=+1 555 0199\"\n"
      "contact change \"Anna Schmidt\" \"BusinessTelephoneNumber=+1 555 0123\"\n");
  ASSERT_FALSE(until("log", "StartupCompleted").is_null());
  for (const auto& [caller, name] :
       {std::pair{"tel:+15550199", "Tom Test"}, std::pair{"tel:+15550123", "Anna Schmidt"}}) {
    sim_->offer(caller, "pbx:201");
    send(
        "wait form fIncoming 10\ndump fIncoming\nform fIncoming cmdReject click\n"
        "wait hidden fIncoming 10\n");
    const Json dump = until("dump");
    ASSERT_FALSE(dump.is_null());
    EXPECT_NE(dump["dump"].get<std::string>().find("txtContactFrom \"" + std::string(name)),
              std::string::npos)
        << dump;
    Json hidden;
    do {
      hidden = until("form", "fIncoming");
    } while (!hidden.is_null() && hidden["shown"].get<bool>());
    ASSERT_FALSE(hidden.is_null());
  }
  const std::size_t before = seen_.size();
  send("contact delete \"Tom Test\"\nexplorer close\ndump fMain\n");
  EXPECT_EQ(finish(), 0);
  EXPECT_TRUE(errors().empty()) << ::testing::PrintToString(errors());
  EXPECT_TRUE(logged("OutlookApp_Quit"));
  for (std::size_t i = before; i < seen_.size(); ++i) {
    EXPECT_FALSE(seen_[i].contains("dump")) << "ran after Outlook ended";
  }
}

TEST_F(HostPipeTest, AMailboxThatIsNeitherJsonNorVCardStopsTheStart) {
  const auto bad = home_.path() / "mailbox.json";
  testsupport::WriteFile(bad, "{\n  \"stores\": [\n    {\"name\": \"x\",, }\n  ]\n}\n");
  Finished r = run({"--headless", "--mailbox", bad.string()});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find(bad.string() + ":3:"), std::string::npos) << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  EXPECT_EQ(r.out, "");

  const auto text = home_.path() / "notes.txt";
  testsupport::WriteFile(text, "just some words\n");
  r = run({"--headless", "--mailbox", text.string()});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "ringova: " + text.string() + ":1: neither a JSON mailbox nor a vCard file\n");

  const auto cards = home_.path() / "cards.vcf";
  testsupport::WriteFile(cards, "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann\r\nTEL\r\nEND:VCARD\r\n");
  r = run({"--headless", "--mailbox", cards.string()});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("cards.vcf:4:"), std::string::npos) << r.err;
}

TEST_F(HostPipeTest, CommandLine) {
  for (const std::vector<std::string>& bad : {std::vector<std::string>{"--frob"},
                                              {"--mailbox"},
                                              {"--script", "x"},
                                              {"config", "get"},
                                              {"config", "set", "A"},
                                              {"register", "now"}}) {
    const Finished r = run(bad);
    EXPECT_EQ(r.status, 2) << bad[0];
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  }
  EXPECT_EQ(run({"--headless", "--script", (home_.path() / "missing").string()}).status, 2);

  EXPECT_EQ(run({"config", "set", "ServAddr", "pbx.example"}).status, 0);
  EXPECT_EQ(stored("ServAddr"), "pbx.example");
  EXPECT_EQ(run({"config", "get", "servaddr"}).out, "pbx.example\n");
  const Finished missing = run({"config", "get", "NoSuchSetting"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(run({"config", "list"}).out.find("ServAddr=pbx.example\n"), std::string::npos);

  EXPECT_EQ(run({"register"}).status, 0);
  platform::Registry user(registry_.userFile());
  EXPECT_TRUE(
      user.keyExists("Software\\Microsoft\\Office\\Outlook\\Addins\\Ringova_Outlook.Connect"));
  EXPECT_EQ(run({"unregister"}).status, 0);
  EXPECT_FALSE(
      user.keyExists("Software\\Microsoft\\Office\\Outlook\\Addins\\Ringova_Outlook.Connect"));
}

// A script file; its end quits.
TEST_F(HostPipeTest, ScriptFromAFile) {
  const auto script = home_.path() / "script.txt";
  testsupport::WriteFile(script, "explorer open\nexplorer activate 2\ndump fMain\n");
  const Finished r =
      run({"--headless", "--script", script.string(), "--mailbox", RINGOVA_SAMPLE_MAILBOX});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("{\"dump\":\"Form fMain"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("\"error\""), std::string::npos) << r.out;
}

// Without --headless the host opens windows; with no display it says so in one line.
TEST_F(HostPipeTest, WithoutADisplayTheWindowedHostSuggestsHeadless) {
  std::map<std::string, std::string> kept;
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    if (const char* v = std::getenv(name)) kept[name] = v;
    ::unsetenv(name);
  }
  Finished r = run({"--mailbox", RINGOVA_SAMPLE_MAILBOX});
  for (const auto& [name, value] : kept) ::setenv(name.c_str(), value.c_str(), 1);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  EXPECT_NE(r.err.find("ringova --headless"), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "");
}

}  // namespace
}  // namespace ringova::testing
