#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/outlook/application.h"

namespace platform::outlook {
namespace {

class ObjectModelTest : public ::testing::Test {
 protected:
  ObjectModelTest() : app_(Options()) {
    session_ = app_.GetNamespace("MAPI");
    Folder* store = session_->AddStore("Mailbox - Jane Doe");
    inbox_ = store->Folders().Add("Inbox", olMailItem);
    contacts_ = store->Folders().Add("Contacts", olContactItem);
    deleted_ = store->Folders().Add("Deleted Items", olMailItem);
    drafts_ = store->Folders().Add("Drafts", olMailItem);
    session_->SetDefaultFolder(olFolderInbox, inbox_);
    session_->SetDefaultFolder(olFolderContacts, contacts_);
    session_->SetDefaultFolder(olFolderDeletedItems, deleted_);
    session_->SetDefaultFolder(olFolderDrafts, drafts_);
  }
  static ApplicationOptions Options() {
    ApplicationOptions options;
    options.version = "11.0.8217";
    options.current_user = Recipient("Jane Doe", "jane@example.com");
    return options;
  }
  std::shared_ptr<Item> SavedContact(const std::string& name) {
    auto item = contacts_->Items().Add();
    item->SetProperty("FullName", name);
    item->Save();
    return item;
  }

  Application app_;
  NameSpace* session_;
  Folder* inbox_;
  Folder* contacts_;
  Folder* deleted_;
  Folder* drafts_;
  std::vector<std::string> log_;
  std::vector<Connection> connections_;
};

TEST_F(ObjectModelTest, NamespaceStoresDefaultFoldersAndPaths) {
  EXPECT_EQ(app_.Version(), "11.0.8217");
  EXPECT_EQ(app_.GetNamespace("mapi"), session_);
  EXPECT_EQ(app_.GetNamespace("OTHER"), nullptr);
  EXPECT_EQ(session_->Folders().Count(), 1);
  EXPECT_EQ(session_->GetDefaultFolder(olFolderContacts), contacts_);
  EXPECT_EQ(session_->GetDefaultFolder(olFolderDeletedItems), deleted_);
  EXPECT_EQ(session_->GetDefaultFolder(olFolderCalendar), nullptr);
  EXPECT_EQ(session_->CurrentUser().Name(), "Jane Doe");
  EXPECT_EQ(session_->CurrentUser().Address(), "jane@example.com");
  Folder* team = contacts_->Folders().Add("Team");
  EXPECT_EQ(team->DefaultItemType(), olContactItem);  // takes the parent's type
  EXPECT_EQ(team->FolderPath(), "\\\\Mailbox - Jane Doe\\Contacts\\Team");
  EXPECT_EQ(contacts_->Folders().Item("team"), team);
  EXPECT_EQ(contacts_->Folders().Add("TEAM"), nullptr);
  EXPECT_EQ(session_->GetFolderFromId(team->EntryId()), team);
}

TEST_F(ObjectModelTest, EventsArriveInOutlooksOrder) {
  Explorer* first = nullptr;
  connections_.push_back(app_.Explorers().OnNewExplorer().Connect([&](Explorer* e) {
    log_.push_back("NewExplorer");
    connections_.push_back(e->OnActivate().Connect(
        [&, e] { log_.push_back(e == first ? "Activate 1" : "Activate 2"); }));
    connections_.push_back(e->OnDeactivate().Connect(
        [&, e] { log_.push_back(e == first ? "Deactivate 1" : "Deactivate 2"); }));
    connections_.push_back(
        e->OnSelectionChange().Connect([&] { log_.push_back("SelectionChange"); }));
    connections_.push_back(e->OnClose().Connect([&] { log_.push_back("Close"); }));
  }));
  connections_.push_back(contacts_->Items().OnItemAdd().Connect(
      [&](const std::shared_ptr<Item>& item) { log_.push_back("ItemAdd " + item->Subject()); }));
  connections_.push_back(contacts_->Items().OnItemChange().Connect(
      [&](const std::shared_ptr<Item>& item) { log_.push_back("ItemChange " + item->Subject()); }));
  connections_.push_back(contacts_->Folders().OnFolderAdd().Connect(
      [&](Folder* folder) { log_.push_back("FolderAdd " + folder->Name()); }));
  connections_.push_back(app_.OnQuit().Connect([&] { log_.push_back("Quit"); }));

  EXPECT_EQ(app_.ActiveExplorer(), nullptr);
  first = app_.Explorers().Add(contacts_);
  EXPECT_EQ(app_.ActiveExplorer(), nullptr);  // not shown yet
  first->Display();
  EXPECT_EQ(app_.ActiveExplorer(), first);

  auto contact = contacts_->Items().Add();
  contact->SetProperty("Subject", "Max");
  EXPECT_EQ(contacts_->Items().Count(), 0);  // joins on its first save
  contact->Save();
  first->Select({contact});
  contact->SetProperty("FullName", "Max Muster");
  contact->Save();
  contacts_->Folders().Add("Team");

  Explorer* second = app_.Explorers().Add(inbox_);
  second->Display();
  EXPECT_EQ(app_.ActiveExplorer(), second);
  first->Activate();
  EXPECT_EQ(app_.ActiveExplorer(), first);
  app_.Quit();

  EXPECT_EQ(log_, (std::vector<std::string>{
                      "NewExplorer", "Activate 1", "ItemAdd Max", "SelectionChange",
                      "ItemChange Max", "FolderAdd Team", "NewExplorer", "Deactivate 1",
                      "Activate 2", "Deactivate 2", "Activate 1", "Close", "Close", "Quit"}));
  EXPECT_TRUE(app_.HasQuit());
  EXPECT_EQ(app_.Explorers().Count(), 0);
  EXPECT_EQ(app_.ActiveExplorer(), nullptr);
  EXPECT_TRUE(first->Closed());  // still readable after closing
}

TEST_F(ObjectModelTest, FolderSwitchCanBeCancelledAndChangesTheView) {
  Explorer* explorer = app_.Explorers().Add(inbox_);
  explorer->Display();
  auto mail = inbox_->Items().Add();
  mail->Save();
  explorer->Select({mail});
  bool cancel = true;
  connections_.push_back(explorer->OnBeforeFolderSwitch().Connect([&](Folder* to, bool& c) {
    log_.push_back("BeforeFolderSwitch " + to->Name());
    c = cancel;
  }));
  connections_.push_back(
      explorer->OnFolderSwitch().Connect([&] { log_.push_back("FolderSwitch"); }));
  connections_.push_back(explorer->OnViewSwitch().Connect([&] { log_.push_back("ViewSwitch"); }));
  connections_.push_back(
      explorer->OnSelectionChange().Connect([&] { log_.push_back("SelectionChange"); }));

  EXPECT_FALSE(explorer->SetCurrentFolder(contacts_));
  EXPECT_EQ(explorer->CurrentFolder(), inbox_);
  cancel = false;
  EXPECT_TRUE(explorer->SetCurrentFolder(contacts_));
  EXPECT_TRUE(explorer->SetCurrentFolder(contacts_->Folders().Add("Team")));
  EXPECT_EQ(log_, (std::vector<std::string>{
                      "BeforeFolderSwitch Contacts", "BeforeFolderSwitch Contacts", "FolderSwitch",
                      "ViewSwitch", "SelectionChange", "BeforeFolderSwitch Team", "FolderSwitch"}));
  EXPECT_TRUE(explorer->Selection().empty());
}

TEST_F(ObjectModelTest, ClosingTheLastWindowQuitsUnlessStartedWindowless) {
  int quits = 0;
  connections_.push_back(app_.OnQuit().Connect([&] { ++quits; }));
  Explorer* a = app_.Explorers().Add(inbox_);
  Explorer* b = app_.Explorers().Add(contacts_);
  a->Display();
  b->Display();
  b->Close();
  EXPECT_EQ(app_.ActiveExplorer(), a);  // the window activated before
  EXPECT_EQ(quits, 0);
  a->Close();
  EXPECT_EQ(quits, 1);
  app_.Quit();
  EXPECT_EQ(quits, 1);
  EXPECT_EQ(app_.Explorers().Add(inbox_), nullptr);

  ApplicationOptions windowless;
  windowless.quit_when_last_window_closes = false;
  Application automation(windowless);
  Folder* store = automation.GetNamespace("MAPI")->AddStore("Store");
  Explorer* only = automation.Explorers().Add(store);
  only->Display();
  only->Close();
  EXPECT_FALSE(automation.HasQuit());
}

TEST_F(ObjectModelTest, CloseHandlerMayCloseAgainOrQuit) {
  Explorer* a = app_.Explorers().Add(inbox_);
  Explorer* b = app_.Explorers().Add(contacts_);
  EXPECT_EQ(app_.Explorers().Add(nullptr), nullptr);
  a->Display();
  b->Display();
  connections_.push_back(a->OnClose().Connect([&] {
    a->Close();
    app_.Quit();
    log_.push_back("Close a");
  }));
  connections_.push_back(b->OnClose().Connect([&] { log_.push_back("Close b"); }));
  connections_.push_back(app_.OnQuit().Connect([&] { log_.push_back("Quit"); }));
  a->Close();
  EXPECT_EQ(log_, (std::vector<std::string>{"Close b", "Quit", "Close a"}));
  EXPECT_TRUE(a->Closed());
  EXPECT_EQ(app_.Explorers().Count(), 0);
}

TEST_F(ObjectModelTest, MailWithAttachmentIsShownInAnInspector) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("outlook_attach_" + std::to_string(::getpid()) + ".txt");
  const std::string line = "\"12/8/2026 10:24:02 AM: line\"\r\n";
  std::ofstream(path, std::ios::binary) << line;
  Inspector* shown = nullptr;
  connections_.push_back(
      app_.Inspectors().OnNewInspector().Connect([&](Inspector* i) { shown = i; }));

  std::shared_ptr<MailItem> mail = app_.CreateMailItem();
  ASSERT_NE(mail, nullptr);
  EXPECT_EQ(mail->TypeName(), "MailItem");
  const Attachment* attachment = mail->Attachments().Add(path);
  std::filesystem::remove(path);  // the content was taken at attach time
  ASSERT_NE(attachment, nullptr);
  EXPECT_EQ(attachment->FileName(), path.filename().string());
  EXPECT_EQ(attachment->PathName(), path.string());
  EXPECT_EQ(attachment->Content(), line);
  EXPECT_EQ(attachment->Size(), line.size());
  EXPECT_EQ(mail->Attachments().Count(), 1);
  EXPECT_EQ(mail->Attachments().Add(path), nullptr);  // gone now
  EXPECT_EQ(mail->Attachments().Add(std::filesystem::temp_directory_path()), nullptr);

  EXPECT_TRUE(mail->Display(true));
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(app_.ActiveInspector(), shown);
  EXPECT_EQ(shown->CurrentItem(), mail);
  EXPECT_TRUE(shown->Modal());
  EXPECT_NE(shown->CommandBars().Item("Standard"), nullptr);
  EXPECT_TRUE(mail->Display());  // the open inspector again
  EXPECT_EQ(app_.Inspectors().Count(), 1);

  EXPECT_TRUE(mail->Save());  // an unfiled mail goes to Drafts
  EXPECT_EQ(mail->Parent(), drafts_);
  shown->Close();
  EXPECT_EQ(app_.ActiveInspector(), nullptr);
}

TEST_F(ObjectModelTest, DeletingMovesToDeletedItemsThenRemoves) {
  std::vector<std::string> deleted_log;
  connections_.push_back(deleted_->Items().OnItemAdd().Connect([&](const std::shared_ptr<Item>& i) {
    deleted_log.push_back("ItemAdd " + *i->GetProperty("fullname"));
  }));
  connections_.push_back(
      contacts_->Items().OnItemRemove().Connect([&] { deleted_log.push_back("ItemRemove"); }));
  connections_.push_back(deleted_->Folders().OnFolderAdd().Connect(
      [&](Folder* f) { deleted_log.push_back("FolderAdd " + f->Name()); }));

  auto contact = SavedContact("Max");
  const std::string id = contact->EntryId();
  EXPECT_TRUE(contact->Delete());
  EXPECT_EQ(contact->Parent(), deleted_);
  EXPECT_EQ(contact->EntryId(), id);
  EXPECT_EQ(contacts_->Items().Count(), 0);
  EXPECT_TRUE(contact->Delete());  // for good
  EXPECT_EQ(deleted_->Items().Count(), 0);
  EXPECT_FALSE(contact->Delete());

  Folder* team = contacts_->Folders().Add("Team");
  SavedContact("Ann")->Move(team);
  EXPECT_EQ(team->Items().Count(), 1);
  EXPECT_TRUE(team->Delete());
  EXPECT_EQ(team->Parent(), deleted_);
  EXPECT_EQ(team->FolderPath(), "\\\\Mailbox - Jane Doe\\Deleted Items\\Team");
  EXPECT_EQ(team->Items().Count(), 1);
  EXPECT_FALSE(team->Delete());
  EXPECT_FALSE(contacts_->Delete());  // a default folder
  EXPECT_FALSE(contacts_->MoveTo(contacts_));

  EXPECT_EQ(deleted_log, (std::vector<std::string>{"ItemRemove", "ItemAdd Max", "ItemRemove",
                                                   "FolderAdd Team"}));
}

// What a server removes from an address book lands in that source's own Deleted Items, so the
// mailbox's stays the user's.
TEST_F(ObjectModelTest, SourceStoresKeepTheirOwnDeletedItems) {
  Folder* work = session_->AddSourceStore("Work");
  Folder* home = session_->AddSourceStore("Home");
  ASSERT_TRUE(work && home);
  EXPECT_EQ(session_->AddSourceStore("Work"), nullptr);
  EXPECT_EQ(session_->SourceStores(), (std::vector<Folder*>{work, home}));
  EXPECT_FALSE(session_->Folders().Item(1)->IsSourceStore());
  Folder* work_deleted = work->Folders().Item("Deleted Items");
  ASSERT_NE(work_deleted, nullptr);
  EXPECT_EQ(session_->DeletedItemsFor(*work), work_deleted);
  EXPECT_EQ(session_->DeletedItemsFor(*inbox_), deleted_);

  Folder* book = work->Folders().Add("Colleagues", olContactItem);
  EXPECT_EQ(book->Store(), work);
  auto item = book->Items().Add();
  item->SetProperty("FullName", "Kim");
  ASSERT_TRUE(item->Save());
  ASSERT_TRUE(item->Delete());
  EXPECT_EQ(item->Parent(), work_deleted);
  EXPECT_EQ(deleted_->Items().Count(), 0);
  EXPECT_TRUE(item->Delete());
  EXPECT_EQ(work_deleted->Items().Count(), 0);

  ASSERT_TRUE(book->Delete());
  EXPECT_EQ(book->FolderPath(), "\\\\Work\\Deleted Items\\Colleagues");
  EXPECT_FALSE(work_deleted->Delete());
  EXPECT_FALSE(work->Delete());
}

TEST_F(ObjectModelTest, PropertiesAreReadByName) {
  auto contact = AsContact(contacts_->Items().Add());
  ASSERT_NE(contact, nullptr);
  EXPECT_EQ(contact->TypeName(), "ContactItem");
  for (std::string_view phone : kTelephoneProperties)
    EXPECT_TRUE(contact->SetProperty(phone, std::string(phone).substr(0, 4)));
  EXPECT_TRUE(contact->SetProperty("email1address", "max@example.com"));
  EXPECT_EQ(contact->Email1Address(), "max@example.com");
  EXPECT_EQ(contact->GetProperty("CarTelephoneNumber"), "CarT");
  EXPECT_EQ(contact->GetProperty("EntryId"), contact->EntryId());
  EXPECT_FALSE(contact->SetProperty("EntryID", "forged"));
  EXPECT_EQ(contact->GetProperty("SenderName"), std::nullopt);  // a mail property
  EXPECT_EQ(contact->GetProperty("MessageClass"), "IPM.Contact");
  EXPECT_EQ(AsMail(std::static_pointer_cast<Item>(contact)), nullptr);
  EXPECT_NE(SavedContact("A")->EntryId(), SavedContact("B")->EntryId());
  EXPECT_EQ(app_.CreateItem(99), nullptr);
}

TEST(Signal, ConnectionsDisconnectOnDestructionAndDuringEmit) {
  Signal<int> signal;
  std::vector<int> seen;
  Connection second;
  {
    Connection first = signal.Connect([&](int v) {
      seen.push_back(v);
      second.Disconnect();  // removed while raising: not called any more
    });
    second = signal.Connect([&](int v) { seen.push_back(100 + v); });
    signal.Emit(1);
    EXPECT_EQ(signal.HandlerCount(), 1u);
  }
  signal.Emit(2);
  EXPECT_EQ(seen, (std::vector<int>{1}));
  Connection outliving;
  {
    Signal<> gone;
    outliving = gone.Connect([] {});
    EXPECT_TRUE(outliving.Connected());
  }
  EXPECT_FALSE(outliving.Connected());
  outliving.Disconnect();  // harmless
}

}  // namespace
}  // namespace platform::outlook
