// Outlook's explorer window drawn for real: folders, items, selection and commands reach the
// explorer as a user's would, and its command bars are drawn as they change.
#include "apps/ringova/explorer_window.h"

#include <QtTest/QTest>
#include <QtWidgets/QLabel>
#include <QtWidgets/QMainWindow>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QToolBar>
#include <QtWidgets/QTreeWidget>

#include "platform/outlook/command_bars.h"
#include "platform/outlook/folder.h"
#include "platform/outlook/item.h"
#include "tests/platform/ui/qt/gui_environment.h"

namespace ringova::host {
namespace {

namespace ol = platform::outlook;

class ExplorerWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_GUI();
    ol::NameSpace& mapi = *app_.GetNamespace("MAPI");
    store_ = mapi.AddStore("Mailbox");
    inbox_ = store_->Folders().Add("Inbox", ol::olMailItem);
    contacts_ = store_->Folders().Add("Contacts", ol::olContactItem);
    auto mail = inbox_->Items().Add(ol::olMailItem);
    mail->SetProperty("SenderName", "Bob");
    mail->SetProperty("Subject", "Lunch");
    mail->Save();
    auto contact = contacts_->Items().Add(ol::olContactItem);
    contact->SetProperty("FullName", "Ann Smith");
    contact->SetProperty("BusinessTelephoneNumber", "201");
    contact->Save();
    explorer_ = app_.Explorers().Add(inbox_);
    explorer_->Display();
    windows_ = std::make_unique<ExplorerWindows>(app_);
  }

  // 0: the folder tree, 1: the items.
  QTreeWidget* tree(int which) {
    return windows_->window(*explorer_)->findChild<QTreeWidget*>(which == 0 ? "folders" : "items");
  }
  QTreeWidgetItem* folderItem(const QString& name) {
    auto found = tree(0)->findItems(name, Qt::MatchRecursive | Qt::MatchExactly);
    return found.isEmpty() ? nullptr : found.front();
  }

  ol::Application app_;
  ol::Folder* store_ = nullptr;
  ol::Folder* inbox_ = nullptr;
  ol::Folder* contacts_ = nullptr;
  ol::Explorer* explorer_ = nullptr;
  std::unique_ptr<ExplorerWindows> windows_;
};

TEST_F(ExplorerWindowTest, FoldersItemsAndSelectionReachTheExplorer) {
  QMainWindow* window = windows_->window(*explorer_);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
  ASSERT_NE(tree(1), nullptr);
  ASSERT_EQ(tree(1)->topLevelItemCount(), 1);
  EXPECT_EQ(tree(1)->topLevelItem(0)->text(0), "Bob");
  EXPECT_EQ(tree(1)->topLevelItem(0)->text(1), "Lunch");

  int switches = 0;
  auto switched = explorer_->OnFolderSwitch().Connect([&] { ++switches; });
  QTreeWidgetItem* contacts = folderItem("Contacts");
  ASSERT_NE(contacts, nullptr);
  QTest::mouseClick(tree(0)->viewport(), Qt::LeftButton, {},
                    tree(0)->visualItemRect(contacts).center());
  EXPECT_EQ(explorer_->CurrentFolder(), contacts_);
  EXPECT_EQ(switches, 1);
  ASSERT_EQ(tree(1)->topLevelItemCount(), 1);
  EXPECT_EQ(tree(1)->topLevelItem(0)->text(0), "Ann Smith");
  EXPECT_EQ(tree(1)->topLevelItem(0)->text(1), "201");

  QTest::mouseClick(tree(1)->viewport(), Qt::LeftButton, {},
                    tree(1)->visualItemRect(tree(1)->topLevelItem(0)).center());
  ASSERT_EQ(explorer_->Selection().Count(), 1);
  EXPECT_EQ(explorer_->Selection().Item(1)->GetProperty("FullName"), "Ann Smith");
}

// A source's folders arrive while the window is up, and its store shows how its last sync went.
TEST_F(ExplorerWindowTest, SourceStoresShowTheirFoldersAndState) {
  ol::Folder* source = app_.GetNamespace("MAPI")->AddSourceStore("Work");
  windows_->refresh();
  ASSERT_NE(folderItem("Work"), nullptr);
  source->Folders().Add("Colleagues", ol::olContactItem);
  source->SetStoreState("failed: the server refused the user name or password (HTTP 401)");
  windows_->refresh();
  EXPECT_NE(folderItem("Colleagues"), nullptr);
  QTreeWidgetItem* store = folderItem(QString::fromUtf8("Work \u2014 sync failed"));
  ASSERT_NE(store, nullptr);
  EXPECT_EQ(store->toolTip(0), "failed: the server refused the user name or password (HTTP 401)");
  ASSERT_NE(folderItem("Deleted Items"), nullptr);
  EXPECT_EQ(folderItem("Deleted Items")->parent(), store);
  // The whole state stands in the status bar while a folder of the source is open.
  explorer_->SetCurrentFolder(source->Folders().Item("Colleagues"));
  windows_->refresh();
  auto* status = windows_->window(*explorer_)->findChild<QLabel*>("status");
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(status->text(),
            "Work: failed: the server refused the user name or password (HTTP 401)");
  explorer_->SetCurrentFolder(contacts_);
  windows_->refresh();
  EXPECT_TRUE(status->text().isEmpty());
}

TEST_F(ExplorerWindowTest, CommandsFollowTheBarsAndTheirClicksReachTheAddIn) {
  ol::CommandBar* standard = explorer_->CommandBars().Item("Standard");
  ASSERT_NE(standard, nullptr);
  ol::CommandBarControl* make = standard->Controls().Add(ol::msoControlButton);
  make->SetCaption("&Make");
  int clicks = 0;
  auto clicked = make->OnClick().Connect([&](ol::CommandBarControl&, bool&) { ++clicks; });
  windows_->refresh();
  QToolBar* toolbar = windows_->window(*explorer_)->findChild<QToolBar*>("Standard");
  ASSERT_NE(toolbar, nullptr);
  QAction* action = nullptr;
  for (QAction* a : toolbar->actions())
    if (a->text() == "&Make") action = a;
  ASSERT_NE(action, nullptr);
  EXPECT_FALSE(action->icon().isNull());
  action->trigger();
  EXPECT_EQ(clicks, 1);

  make->SetEnabled(false);
  windows_->refresh();
  for (QAction* a : toolbar->actions()) {
    if (a->text() == "&Make") {
      EXPECT_FALSE(a->isEnabled());
    }
  }
}

TEST_F(ExplorerWindowTest, ContextMenuRaisesTheUpdateAndClosingTheWindowClosesTheExplorer) {
  int updates = 0;
  auto updated = explorer_->CommandBars().OnUpdate().Connect([&] { ++updates; });
  QTest::mouseClick(tree(0)->viewport(), Qt::LeftButton, {},
                    tree(0)->visualItemRect(folderItem("Contacts")).center());
  QPoint row = tree(1)->visualItemRect(tree(1)->topLevelItem(0)).center();
  Q_EMIT tree(1)->customContextMenuRequested(row);
  EXPECT_EQ(updates, 1);

  int closes = 0;
  auto closed = explorer_->OnClose().Connect([&] { ++closes; });
  windows_->window(*explorer_)->close();
  EXPECT_EQ(closes, 1);
  windows_->refresh();
  EXPECT_EQ(windows_->window(*explorer_), nullptr);
}

}  // namespace
}  // namespace ringova::host
