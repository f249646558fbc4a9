// An Outlook session on the stand-ins with the add-in loaded by its ProgID: start-up, switching
// off and on, windows, menus and buttons, whom Make calls, contacts reaching the directory, and
// quitting while connected.
#include "telvane/xmlrpc/call_id.h"
#include "tests/ringova_outlook/outlook/session_fixture.h"

namespace ringova::testing {
namespace {

using platform::ui::ComboBox;
using platform::ui::Form;

class SessionTest : public SessionFixture {
 protected:
  // Outlook starts with one window and loads its add-ins.
  ol::Explorer& startWithWindow() {
    ol::Explorer* e = openExplorer();
    EXPECT_EQ(manager_->Startup(), 1);
    EXPECT_TRUE(manager_->Failures().empty());
    return *e;
  }
  // Clicks a control and answers the contact picker; returns the name it showed and the
  // entries of its name list.
  struct Picked {
    std::string name;
    std::vector<std::string> names;
    bool shown = false;
  };
  Picked clickMake(ol::CommandBarControl& make) {
    Picked picked;
    driver_.expect("fContacts", [&picked](Form& f) {
      picked.shown = true;
      ComboBox* names = f.get<ComboBox>("cboContacts");
      picked.name = names->text();
      for (const auto& entry : names->entries()) picked.names.push_back(entry.text);
      f.hide();
    });
    EXPECT_TRUE(make.Click());
    return picked;
  }
};

TEST_F(SessionTest, RegistrationNamesTheClassAndTheOutlookAddIn) {
  auto reg = ol::findAddIn(user_, kProgId);
  ASSERT_TRUE(reg);
  EXPECT_EQ(reg->friendlyName, "Ringova_Outlook");
  EXPECT_EQ(reg->description, "Ringova_Outlook");
  EXPECT_EQ(reg->loadBehavior, 3u);
  EXPECT_TRUE(user_.keyExists("Software\\Classes\\Ringova_Outlook.Connect\\CLSID"));

  void* module = dlopen(RINGOVA_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(module, nullptr);
  auto unregisterServer =
      reinterpret_cast<platform::DllUnregisterServerFn>(dlsym(module, "DllUnregisterServer"));
  ASSERT_EQ(unregisterServer(), platform::S_OK);
  dlclose(module);
  EXPECT_FALSE(ol::findAddIn(user_, kProgId));
  EXPECT_FALSE(user_.keyExists("Software\\Classes\\Ringova_Outlook.Connect"));
  EXPECT_EQ(manager_->Startup(), 0);  // nothing registered, nothing loaded
}

TEST_F(SessionTest, StartupWithAWindowBuildsTheMenuAndTheButtons) {
  ol::Explorer& e = startWithWindow();
  EXPECT_TRUE(manager_->IsConnected(kProgId));

  ol::CommandBarControls& top = e.CommandBars().Item("Menu Bar")->Controls();
  ol::CommandBarControl* menu = popup(e);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->Caption(), "R&ingova");
  EXPECT_TRUE(menu->Temporary());
  EXPECT_EQ(menu->Index(), top.Count() - 1);  // in front of the last entry

  struct Expected {
    std::string caption, tag;
    int face;
    bool group, enabled;
  };
  const Expected items[] = {{"Ma&ke...", "Make ...", 3737, false, false},
                            {"Clo&se...", "Close...", 2616, false, false},
                            {"Se&ttings...", "Settings ...", 222, true, true},
                            {"Dialing options...", "Dialing", 0, false, true},
                            {"About Ringova AddIn", "About", 0, true, true}};
  ASSERT_EQ(menu->Controls()->Count(), 5);
  for (int i = 0; i < 5; ++i) {
    ol::CommandBarControl* item = menu->Controls()->Item(i + 1);
    SCOPED_TRACE(items[i].caption);
    EXPECT_EQ(item->Caption(), items[i].caption);
    EXPECT_EQ(item->Tag(), items[i].tag);
    EXPECT_EQ(item->FaceId(), items[i].face);
    EXPECT_EQ(item->BeginGroup(), items[i].group);
    EXPECT_EQ(item->Enabled(), items[i].enabled);
    EXPECT_EQ(item->Style(), ol::msoButtonIconAndCaption);
    EXPECT_EQ(item->OnAction(), "!<Ringova_Outlook.Connect>");
    EXPECT_TRUE(item->Temporary());
  }
  ol::CommandBarControl* make = toolbar(e, "Make");
  ol::CommandBarControl* close = toolbar(e, "Close");
  ASSERT_NE(make, nullptr);
  ASSERT_NE(close, nullptr);
  EXPECT_EQ(make->Caption(), "Ma&ke");
  EXPECT_EQ(make->TooltipText(), "Make new call ");
  EXPECT_EQ(make->FaceId(), 3737);
  EXPECT_EQ(close->TooltipText(), "Close current call ");
  EXPECT_EQ(close->FaceId(), 2616);
  EXPECT_FALSE(make->Enabled());  // mode 0 until connected
  EXPECT_FALSE(close->Enabled());

  EXPECT_TRUE(shell_.mutexHeld("MutexRingova"));
  EXPECT_TRUE(shortcutIs("Disable Ringova Toolbar For Outlook.lnk"));
  EXPECT_FALSE(shortcutIs("Re-enable Ringova Toolbar For Outlook.lnk"));
  for (const char* line :
       {"AddIn: OnConnection", "   **********   Ringova AddIn:   StartupComplete   **********",
        "Installed OS: Windows 7", "Installed: MS Office Outlook 2007", "StartupCompleted"}) {
    EXPECT_TRUE(logged(line)) << line;
  }
  EXPECT_FALSE(logged("OnStartupCOmplete "));  // not activated: no automatic connect
  // The settings window, like every window of the add-in, is a form of the host's toolkit.
  EXPECT_NE(toolkit_.findForm("fMain"), nullptr);
}

TEST_F(SessionTest, AnUnnamedOutlookVersionLogsAnEmptyName) {
  newOutlook("14.0.1");
  startWithWindow();
  EXPECT_TRUE(logged("Installed: MS Office Outlook "));
}

TEST_F(SessionTest, StartedWithoutAWindowTheAddInWaitsForTheFirstOne) {
  EXPECT_EQ(manager_->Startup(), 1);
  EXPECT_TRUE(logged("AddIn: OnConnection"));
  EXPECT_FALSE(logged("StartupCompleted"));
  EXPECT_FALSE(logged("Installed: MS Office Outlook 2007"));

  ol::Explorer& e = *openExplorer();
  EXPECT_TRUE(logged("StartupCompleted"));
  ASSERT_NE(popup(e), nullptr);
  EXPECT_EQ(popupCount(e), 1);
  EXPECT_NE(toolbar(e, "Make"), nullptr);
}

TEST_F(SessionTest, SwitchedOffAndOnInARunningOutlook) {
  ol::Explorer& e = *openExplorer();
  EXPECT_EQ(manager_->Startup(), 1);
  ASSERT_TRUE(manager_->Disconnect(kProgId));
  EXPECT_EQ(popup(e), nullptr);
  EXPECT_EQ(toolbar(e, "Make"), nullptr);
  EXPECT_EQ(toolbar(e, "Close"), nullptr);
  EXPECT_TRUE(shortcutIs("Re-enable Ringova Toolbar For Outlook.lnk"));
  EXPECT_FALSE(shortcutIs("Disable Ringova Toolbar For Outlook.lnk"));
  EXPECT_TRUE(logged("Ringova AddIn  Disconnected - 1"));
  EXPECT_TRUE(logged("Menu Removed"));

  // Loading into the running Outlook runs the whole start-up at once.
  ASSERT_TRUE(manager_->Connect(kProgId));
  EXPECT_EQ(loggedCount("StartupCompleted"), 2);
  EXPECT_EQ(popupCount(e), 1);
  EXPECT_NE(toolbar(e, "Make"), nullptr);
  EXPECT_TRUE(shortcutIs("Disable Ringova Toolbar For Outlook.lnk"));
  EXPECT_TRUE(manager_->Failures().empty());
}

TEST_F(SessionTest, TheMenuIsRebuiltNeverDoubled) {
  ol::Explorer& e = startWithWindow();
  ol::CommandBarControl* first = popup(e);
  // A selection change in a window without the menu, and in one with it.
  e.Select({});
  EXPECT_EQ(popupCount(e), 1);
  ASSERT_TRUE(first->Delete());
  e.Select({});
  EXPECT_EQ(popupCount(e), 1);
  EXPECT_NE(popup(e), first);
}

TEST_F(SessionTest, TenWindowsAreFollowedAndTheEleventhIsNot) {
  startWithWindow();
  std::vector<ol::Explorer*> windows;
  for (int i = 0; i < 10; ++i) {
    ol::Explorer* e = openExplorer();
    e->SetCurrentView("Messages");  // a new window gets its menu on its first view switch
    windows.push_back(e);
  }
  for (int i = 0; i < 9; ++i) EXPECT_EQ(popupCount(*windows[i]), 1) << "window " << i + 2;
  EXPECT_EQ(popupCount(*windows[9]), 0);
  EXPECT_EQ(toolbar(*windows[9], "Make"), nullptr);

  // A closed window frees its slot for the next one.
  windows[3]->Close();
  ol::Explorer* again = openExplorer();
  again->SetCurrentView("Messages");
  EXPECT_EQ(popupCount(*again), 1);
}

TEST_F(SessionTest, TapiPhoneSwitchesOutlooksOwnDialingWhileAWindowIsActive) {
  store("TapiPhone", "True");
  ol::Explorer& e = startWithWindow();
  auto dialButton = [&] { return e.CommandBars().Item("Standard")->FindControl(0, 2616); };
  auto dialCommand = [&] { return e.CommandBars().FindControl(0, 30173); };
  e.Activate();
  outlook_->DeactivateWindows();
  EXPECT_TRUE(dialButton()->Enabled());
  EXPECT_TRUE(dialCommand()->Enabled());
  e.Activate();
  EXPECT_FALSE(dialButton()->Enabled());
  EXPECT_FALSE(dialCommand()->Enabled());
  outlook_->DeactivateWindows();
  EXPECT_TRUE(dialButton()->Enabled());
  EXPECT_TRUE(dialCommand()->Enabled());
}

TEST_F(SessionTest, TheContextMenuGetsMakeAndCloseOnlyWithAContactSelected) {
  auto carol = addContact("Carol Jones", "301");
  auto mail = addMail("Dave", "dave@example.com", "Ann Smith");
  ol::Explorer& e = startWithWindow();
  ol::CommandBar* context = e.CommandBars().Item("Context Menu");
  const int protection = context->Protection();

  e.Select({mail});
  e.CommandBars().RaiseUpdate();
  EXPECT_EQ(context->FindControl(0, 0, "Make"), nullptr);

  ASSERT_TRUE(e.SetCurrentFolder(contacts_));
  e.Select({carol});
  e.CommandBars().RaiseUpdate();
  ol::CommandBarControl* make = context->FindControl(0, 0, "Make");
  ol::CommandBarControl* close = context->FindControl(0, 0, "Close");
  ASSERT_NE(make, nullptr);
  ASSERT_NE(close, nullptr);
  EXPECT_EQ(make->Enabled(), toolbar(e, "Make")->Enabled());
  EXPECT_EQ(close->Enabled(), toolbar(e, "Close")->Enabled());
  EXPECT_EQ(make->TooltipText(), "Make new call ");
  EXPECT_EQ(context->Protection(), protection);
  e.CommandBars().RaiseUpdate();
  int makes = 0;
  for (int i = 1; i <= context->Controls().Count(); ++i) {
    makes += context->Controls().Item(i)->Tag() == "Make";
  }
  EXPECT_EQ(makes, 1) << "not added twice";
}

TEST_F(SessionTest, MakeOpensThePickerOnTheSelectedContactOrMailSender) {
  ol::Explorer& e = startWithWindow();
  // Not connected, so nothing was loaded: these reach the directory as Outlook adds them.
  auto carol = addContact("Carol Jones", "301", "carol@example.com");
  auto dave = addContact("Dave Brown", "302", "dave@example.com");
  auto fromCarol = addMail("Carol J.", "Carol@Example.com ", "Ann Smith");
  auto own =
      addMail("Ann Smith", "ann@pbx.example", "'Dave Brown' (dave@example.com); Carol Jones");
  auto stranger = addMail("Eve", "eve@example.com", "Ann Smith");
  ol::CommandBarControl& make = *toolbar(e, "Make");
  make.SetEnabled(true);  // as when connected; the call itself is the call flow's

  // Nothing selected: the picker opens with no contact chosen.
  Picked none = clickMake(make);
  EXPECT_TRUE(none.shown);
  EXPECT_EQ(none.name, "");

  ASSERT_TRUE(e.SetCurrentFolder(contacts_));
  e.Select({dave});
  EXPECT_EQ(clickMake(make).name, "Dave Brown");

  ASSERT_TRUE(e.SetCurrentFolder(inbox_));
  e.Select({fromCarol});
  EXPECT_EQ(clickMake(make).name, "Carol Jones");  // by the sender's address
  e.Select({own});
  EXPECT_EQ(clickMake(make).name, "Dave Brown");  // the user's own mail: its first addressee
  e.Select({stranger});
  EXPECT_EQ(clickMake(make).name, "");
  EXPECT_TRUE(driver_.failures().empty());
}

// Connected, with contacts loaded at connect: each way of pressing Make reaches the PBX with the
// own phone first, the buttons follow the call, and Close ends it.
TEST_F(SessionTest, SelectedContactsAndMailSendersAreCalledFromMenuToolbarAndContextMenu) {
  startSimulator();
  storeAccount(true);
  auto carol = addContact("Carol Jones", "301", "carol@example.com");
  auto dave = addContact("Dave Brown", "302", "dave@example.com");
  auto fromDave = addMail("Dave", "DAVE@example.com", "Ann Smith");
  auto own = addMail("Ann Smith", "ann@pbx.example", "Carol Jones");
  ol::Explorer& e = startWithWindow();
  ASSERT_TRUE(runUntil([&] { return toolbar(e, "Make")->Enabled(); }));

  struct Way {
    std::string what;
    std::function<void()> select;
    std::function<ol::CommandBarControl*()> make;
    std::string name;
  };
  const Way ways[] = {
      {"contact, toolbar",
       [&] {
         e.SetCurrentFolder(contacts_);
         e.Select({carol});
       },
       [&] { return toolbar(e, "Make"); }, "Carol Jones"},
      {"contact, context menu",
       [&] {
         e.SetCurrentFolder(contacts_);
         e.Select({dave});
         e.CommandBars().RaiseUpdate();
       },
       [&] { return e.CommandBars().Item("Context Menu")->FindControl(0, 0, "Make"); },
       "Dave Brown"},
      {"mail from a contact, menu",
       [&] {
         e.SetCurrentFolder(inbox_);
         e.Select({fromDave});
       },
       [&] { return menuItem(e, "Ma&ke..."); }, "Dave Brown"},
      {"own mail, toolbar",
       [&] {
         e.SetCurrentFolder(inbox_);
         e.Select({own});
       },
       [&] { return toolbar(e, "Make"); }, "Carol Jones"},
  };
  std::size_t calls = 0;
  for (const Way& way : ways) {
    SCOPED_TRACE(way.what);
    way.select();
    ol::CommandBarControl* make = way.make();
    ASSERT_NE(make, nullptr);
    ASSERT_TRUE(make->Enabled());
    std::string shown;
    driver_.expect("fContacts", [&](Form& f) {
      shown = f.get<ComboBox>("cboContacts")->text();
      f.get<ComboBox>("cboPhones")->setListIndex(0);
      driver_.click(*f.get<platform::ui::CommandButton>("btnCall"));
    });
    ASSERT_TRUE(make->Click());
    EXPECT_EQ(shown, way.name);
    ASSERT_TRUE(runUntil([&] { return received("createcall") == calls + 1; }));
    ++calls;
    // The PBX rings the own phone.
    std::string leg1;
    ASSERT_TRUE(runUntil([&] {
      for (const std::string& line : logLines()) {
        if (line.rfind("CreateCall: ", 0) == 0) leg1 = line.substr(12);
      }
      return !leg1.empty();
    }));
    ASSERT_TRUE(sim_->sendState(telvane::parseId(leg1), 1));
    runUntil([] { return false; }, 200ms);
    // The call runs: Make off, Close on, everywhere.
    EXPECT_TRUE(runUntil([&] { return toolbar(e, "Close")->Enabled(); }));
    EXPECT_FALSE(toolbar(e, "Make")->Enabled());
    EXPECT_FALSE(menuItem(e, "Ma&ke...")->Enabled());
    EXPECT_TRUE(menuItem(e, "Clo&se...")->Enabled());

    ASSERT_TRUE(toolbar(e, "Close")->Click());
    EXPECT_TRUE(runUntil([&] { return received("closecall") == calls; }));
    EXPECT_TRUE(runUntil([&] { return toolbar(e, "Make")->Enabled(); }));
    EXPECT_FALSE(toolbar(e, "Close")->Enabled());
  }
  EXPECT_TRUE(driver_.failures().empty());
}

TEST_F(SessionTest, TheMenuOpensSettingsDialingRulesAndAbout) {
  store("TapiPhone", "True");
  ol::Explorer& e = startWithWindow();
  std::vector<std::string> seen;
  driver_.expect("fMain", [&](Form& f) {
    seen.push_back(f.name());
    EXPECT_EQ(f.get<platform::ui::CheckBox>("chTapi")->value(), 1);
    EXPECT_FALSE(f.get<platform::ui::CommandButton>("btnApply")->enabled());
    f.hide();
  });
  driver_.expect("fDialing", [&](Form& f) {
    seen.push_back(f.name());
    f.hide();
  });
  driver_.expect("fAbout", [&](Form& f) {
    seen.push_back(f.name() + ": " + f.caption());
    EXPECT_EQ(f.get<platform::ui::Label>("lblVersion")->caption().rfind("Version ", 0), 0u);
    driver_.click(*f.get<platform::ui::CommandButton>("OKButton"));
  });
  for (const char* caption : {"Se&ttings...", "Dialing options...", "About Ringova AddIn"}) {
    ASSERT_TRUE(menuItem(e, caption)->Click()) << caption;
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"fMain", "fDialing", "fAbout: About Ringova AddIn"}));
  EXPECT_TRUE(driver_.failures().empty());
}

TEST_F(SessionTest, ContactsChangedInOutlookReachTheDirectory) {
  auto carol = addContact("Carol Jones", "301");
  ol::Explorer& e = startWithWindow();
  ol::CommandBarControl& make = *toolbar(e, "Make");
  make.SetEnabled(true);

  auto dave = addContact("Dave Brown", "302");
  auto nophone = addContact("No Phone", "");
  EXPECT_EQ(clickMake(make).names, (std::vector<std::string>{"Dave Brown"}));

  carol->Save();  // a change of a contact the directory did not have yet
  dave->SetProperty("FullName", "David Brown");
  dave->Save();
  nophone->SetProperty("MobileTelephoneNumber", "777");
  nophone->Save();
  EXPECT_EQ(clickMake(make).names,
            (std::vector<std::string>{"David Brown", "Carol Jones", "No Phone"}));

  carol->SetProperty("BusinessTelephoneNumber", "");
  carol->Save();  // no number any more
  ASSERT_TRUE(dave->Delete());
  EXPECT_EQ(clickMake(make).names, (std::vector<std::string>{"No Phone"}));
}

// A namesake without a number has no entry of its own: deleting it leaves the other's.
TEST_F(SessionTest, DeletingAContactWithoutNumbersKeepsItsNamesakesEntry) {
  ol::Explorer& e = startWithWindow();
  ol::CommandBarControl& make = *toolbar(e, "Make");
  make.SetEnabled(true);
  addContact("Pat Kim", "303");
  auto twin = addContact("Pat Kim", "");
  ASSERT_EQ(clickMake(make).names, (std::vector<std::string>{"Pat Kim"}));
  ASSERT_TRUE(twin->Delete());
  EXPECT_EQ(clickMake(make).names, (std::vector<std::string>{"Pat Kim"}));
}

// A source's address books are followed once loaded, shown or not: additions, changes, and a
// removal as a move into that source's Deleted Items; the folder being shown is not counted twice.
TEST_F(SessionTest, SourceContactsChangedByTheServerReachTheDirectory) {
  ol::NameSpace& mapi = *outlook_->GetNamespace("MAPI");
  ol::Folder* source = mapi.AddSourceStore("Work");
  ol::Folder* book = source->Folders().Add("Colleagues", ol::olContactItem);
  auto add = [](ol::Folder* folder, const std::string& name, const std::string& phone) {
    auto item = folder->Items().Add(ol::olContactItem);
    item->SetProperty("FullName", name);
    item->SetProperty("MobileTelephoneNumber", phone);
    item->Save();
    return item;
  };
  auto kim = add(book, "Kim", "401");
  startSimulator();
  storeAccount(true);  // connecting loads every contact
  ol::Explorer& e = startWithWindow();
  ASSERT_TRUE(logged("Loaded 1 contacts"));
  ol::CommandBarControl& make = *toolbar(e, "Make");
  EXPECT_EQ(clickMake(make).names, (std::vector<std::string>{"Kim"}));

  auto lee = add(book, "Lee", "402");
  kim->SetProperty("FullName", "Kim Park");
  kim->Save();
  EXPECT_EQ(clickMake(make).names, (std::vector<std::string>{"Kim Park", "Lee"}));
  ASSERT_TRUE(lee->Delete());
  EXPECT_EQ(lee->Parent(), source->Folders().Item("Deleted Items"));
  EXPECT_EQ(clickMake(make).names, (std::vector<std::string>{"Kim Park"}));

  ASSERT_TRUE(e.SetCurrentFolder(book));
  add(book, "Mo", "403");
  EXPECT_EQ(clickMake(make).names, (std::vector<std::string>{"Kim Park", "Mo"}));

  // An address book the server gains later arrives empty and fills afterwards.
  ol::Folder* later = source->Folders().Add("Suppliers", ol::olContactItem);
  add(later, "Ned", "404");
  EXPECT_EQ(clickMake(make).names, (std::vector<std::string>{"Kim Park", "Mo", "Ned"}));
}

TEST_F(SessionTest, AContactFolderMovedToDeletedItemsAsksToReload) {
  ol::Folder* friends = contacts_->Folders().Add("Friends", ol::olContactItem);
  auto item = friends->Items().Add(ol::olContactItem);
  item->SetProperty("FullName", "Frank");
  item->SetProperty("HomeTelephoneNumber", "555");
  item->Save();
  startWithWindow();
  shell_.answerMessageBox(platform::shell::MsgBoxResult::No);
  ASSERT_TRUE(friends->Delete());
  ASSERT_EQ(shell_.messageBoxes().size(), 1u);
  EXPECT_EQ(shell_.messageBoxes()[0].text, "Would you like to reload contacts?");
  EXPECT_EQ(shell_.messageBoxes()[0].title, "Ringova");
  EXPECT_EQ(shell_.messageBoxes()[0].buttons, platform::shell::MsgBoxButtons::YesNo);
}

TEST_F(SessionTest, QuittingWhileConnectedStoresActivatedAndTheNextStartConnects) {
  startSimulator();
  storeAccount(true);
  ol::Explorer& e = startWithWindow();
  EXPECT_TRUE(logged("OnStartupCOmplete "));
  EXPECT_EQ(received("sauthenticate"), 1u);
  // Connected: Make on, Close off, in the menu and on the toolbar.
  EXPECT_TRUE(toolbar(e, "Make")->Enabled());
  EXPECT_FALSE(toolbar(e, "Close")->Enabled());
  EXPECT_TRUE(menuItem(e, "Ma&ke...")->Enabled());
  EXPECT_FALSE(menuItem(e, "Clo&se...")->Enabled());
  EXPECT_TRUE(logged("ChangeButtonsState: DisableClose"));

  manager_->Shutdown();
  EXPECT_EQ(stored("Activated"), "True");
  EXPECT_FALSE(manager_->IsConnected(kProgId));
  const auto lines = logLines();
  auto at = [&](const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) - lines.begin();
  };
  EXPECT_LT(at("OutlookApp_Quit"), at("OnBeginShutdown"));
  EXPECT_LT(at("OnBeginShutdown"), at("Ringova AddIn  Disconnected - 0"));
  EXPECT_LT(at("Ringova AddIn  Disconnected - 0"), static_cast<long>(lines.size()));
  EXPECT_TRUE(shortcutIs("Disable Ringova Toolbar For Outlook.lnk"));  // only switching off renames

  newOutlook();
  startWithWindow();
  EXPECT_TRUE(runUntil([&] { return received("sauthenticate") == 2; }));
  EXPECT_EQ(loggedCount("OnStartupCOmplete "), 2);
}

TEST_F(SessionTest, ClosingTheLastWindowWindsDownAndReleasesTheAddIn) {
  startSimulator();
  storeAccount(true);
  ol::Explorer& e = startWithWindow();
  e.Close();  // Outlook quits with its last window
  loop_.doEvents();
  EXPECT_TRUE(outlook_->HasQuit());
  EXPECT_EQ(stored("Activated"), "True");
  EXPECT_FALSE(manager_->IsConnected(kProgId));
  EXPECT_EQ(toolkit_.findForm("fMain"), nullptr);  // the add-in's windows went with it
}

}  // namespace
}  // namespace ringova::testing
