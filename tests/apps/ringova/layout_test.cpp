// Every window the product draws, in every language of the string table, filled as a person
// would see it, drawn by the Qt renderer and measured on the widgets Qt laid out (see
// tests/platform/ui/qt/layout_check.h). Each window and language leaves its picture under
// build/screenshots/<language>/, with one contact sheet per language.
#include <QtCore/QCoreApplication>
#include <QtCore/QEvent>
#include <QtWidgets/QLabel>
#include <QtWidgets/QMainWindow>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QToolBar>
#include <QtWidgets/QToolButton>
#include <QtWidgets/QTreeWidget>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "apps/ringova/explorer_window.h"
#include "apps/ringova/modules.h"
#include "platform/outlook/addin_manager.h"
#include "platform/shell/linux_shell.h"
#include "platform/ui/qt/qt_renderer.h"
#include "ringova_outlook/contacts/contact_picker.h"
#include "ringova_outlook/contacts/progress_window.h"
#include "ringova_outlook/incoming/incoming_window.h"
#include "ringova_outlook/outlook/about_window.h"
#include "ringova_outlook/resources/string_table.h"
#include "tests/platform/ui/qt/contact_sheet.h"
#include "tests/platform/ui/qt/gui_environment.h"
#include "tests/platform/ui/qt/layout_check.h"
#include "tests/ringova_outlook/incoming/arriving_fixture.h"

namespace ringova::testing {
namespace {

namespace ol = platform::outlook;
namespace qtt = platform::ui::qt::testing;
using platform::ui::qt::QtRenderer;

struct LanguageCase {
  Language language;
  const char* code;    // the screenshots' folder
  const char* name;    // in test names and messages
  const char* locale;  // what the desktop says the user speaks
};
constexpr LanguageCase kLanguages[] = {
    {Language::German, "de", "German", "de_DE.UTF-8"},
    {Language::English, "en", "English", "en_US.UTF-8"},
    {Language::French, "fr", "French", "fr_FR.UTF-8"},
    {Language::Italian, "it", "Italian", "it_IT.UTF-8"},
    {Language::Russian, "ru", "Russian", "ru_RU.UTF-8"},
    {Language::Portuguese, "pt", "Portuguese", "pt_BR.UTF-8"},
    {Language::Spanish, "es", "Spanish", "es_ES.UTF-8"},
};

const std::vector<std::string> kWindows = {"fMain",     "fContacts", "fFolders", "fProgress",
                                           "fIncoming", "fDialing",  "fLogFile", "fNote",
                                           "fAbout",    "MsgBox",    "explorer"};

constexpr const char* kLongName = "Maximilian Alexander von Rosenberg-Wittgenstein";
constexpr const char* kLongNumber = "0899123456";

struct Case {
  std::string window;
  LanguageCase language;
};

void PrintTo(const Case& c, std::ostream* out) {
  *out << c.window << " in " << c.language.name;
}

class WindowLayoutTest : public ArrivingTest, public ::testing::WithParamInterface<Case> {
 protected:
  void SetUp() override {
    REQUIRE_GUI();
    shell_.setUserLocale(platform::shell::parseLocale(GetParam().language.locale));
    ArrivingTest::SetUp();
    SetUserLanguage(GetParam().language.language);
    renderer_ = std::make_unique<QtRenderer>(toolkit_);
    // The contact sheets, once this process has drawn its windows.
    static const bool sheetsAtTheEnd = [] {
      qtt::beforeGuiEnds([] { EXPECT_TRUE(qtt::drawContactSheets()); });
      return true;
    }();
    (void)sheetsAtTheEnd;
  }
  void TearDown() override {
    if (!qtt::guiAvailable()) return;
    if (manager_) {
      toolkit_.setModalHandler([](platform::ui::Form& form) {
        form.hide();
        return true;
      });
      manager_->Shutdown();
      loop_.doEvents();
      manager_.reset();
    }
    explorers_.reset();
    ArrivingTest::TearDown();
    renderer_.reset();
  }

  static std::string text(int id) { return std::string(LoadResString(id)); }

  // Measures a shown form and keeps its picture.
  void check(platform::ui::Form& form) {
    renderer_->flush();
    QWidget* window = renderer_->window(form);
    ASSERT_NE(window, nullptr) << form.name();
    ASSERT_TRUE(window->isVisible()) << form.name();
    qtt::LayoutRules rules;
    rules.popups = {"lstContacts"};  // the type-ahead's match list drops down over the window
    judge(qtt::checkFormLayout(*renderer_, form, rules), *window);
  }
  // Checks a modal form while it is up, then closes it.
  auto checkAndClose() {
    return [this](platform::ui::Form& form) {
      check(form);
      form.hide();
    };
  }

  void judge(const std::vector<qtt::LayoutFault>& faults, const QWidget& window) {
    const Case& c = GetParam();
    checked_ = true;
    EXPECT_TRUE(qtt::keepPicture(window, qtt::screenshotFolder() + "/" + c.language.code, c.window,
                                 std::string("Ringova windows - ") + c.language.name));
    EXPECT_TRUE(faults.empty()) << qtt::describe(c.window, c.language.name, faults);
  }

  // Contacts of a person's mailbox: one with a long name and several numbers, and folders
  // nested deep enough for a long path.
  void fillMailbox() {
    auto item = contacts_->Items().Add(ol::olContactItem);
    item->SetProperty("FullName", kLongName);
    item->SetProperty("BusinessTelephoneNumber", kLongNumber);
    item->SetProperty("MobileTelephoneNumber", "+49 171 5550123456");
    item->SetProperty("HomeTelephoneNumber", "+49 89 5550 9876 543");
    item->Save();
    ol::Folder* suppliers =
        contacts_->Folders().Add("Lieferanten und Dienstleister", ol::olContactItem);
    ol::Folder* regional = suppliers->Folders().Add(
        "Regionale Vertriebspartner Süddeutschland und Österreich", ol::olContactItem);
    for (ol::Folder* f : {suppliers, regional}) {
      auto contact = f->Items().Add(ol::olContactItem);
      contact->SetProperty("FullName", "Ingrid Bergström-Lindqvist");
      contact->SetProperty("BusinessTelephoneNumber", "0711 5550 42");
      contact->Save();
    }
  }

  // More rules than the list shows at once.
  void writeRules() {
    std::ofstream out(logFolder_.withSlash() + "RingovaDialing.txt", std::ios::binary);
    for (int i = 0; i < 14; ++i) {
      std::string n = std::to_string(i);
      for (const std::string& field :
           {"+4989" + n + "*", std::string("5"), std::string("0"), std::string("#"),
            "Niederlassung München, Durchwahlen der Gruppe " + n})
        out << '"' << field << "\"\r\n";
    }
  }

  int16_t recordOf(const std::string& name) {
    const auto& records = directory_->Records().Records();
    for (std::size_t i = 0; i < records.size(); ++i)
      if (records[i].FullName == name) return static_cast<int16_t>(i);
    return -1;
  }

  void openExplorer() {
    // The add-in loaded by the add-in manager keeps its log and files in this test's folder.
    ::setenv("XDG_DATA_HOME", (logFolder_.withSlash() + "data").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (logFolder_.withSlash() + "config").c_str(), 1);
    std::string error;
    ASSERT_TRUE(host::RegisterModules(false, error)) << error;
    storeAccount();  // else the add-in opens its settings at the start
    store("DontShowOnStartup", "True");
    store("PathLogFile", logFolder_.withSlash());
    manager_ = std::make_unique<ol::AddInManager>(
        outlook_, ol::HostServices{toolkit_, shell_, user_, machine_});
    ASSERT_EQ(manager_->Startup(), 1);
    // Address books of servers beside the mailbox: one synced, one whose sync failed.
    ol::NameSpace& mapi = *outlook_.GetNamespace("MAPI");
    ol::Folder* team = mapi.AddSourceStore("Team address book");
    team->Folders().Add("Kunden und Lieferanten der Niederlassung", ol::olContactItem);
    team->SetStoreState("synced 2026-12-11T14:03:00Z");
    ol::Folder* company = mapi.AddSourceStore("Company directory");
    company->SetStoreState("failed: the server refused the user name or password (HTTP 401)");
    explorer_->SetCurrentFolder(company);
    explorers_ = std::make_unique<host::ExplorerWindows>(outlook_);
    explorers_->refresh();
    QMainWindow* window = explorers_->window(*explorer_);
    ASSERT_NE(window, nullptr);
    // The bars lay out their new buttons on posted requests.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    qtt::ControlName nameOf = [](const QWidget& w) -> std::optional<std::string> {
      if (auto* tree = qobject_cast<const QTreeWidget*>(&w))
        return tree->objectName().toStdString() + " list";
      if (auto* bar = qobject_cast<const QToolBar*>(&w)) return bar->objectName().toStdString();
      if (qobject_cast<const QMenuBar*>(&w)) return "menu bar";
      if (auto* label = qobject_cast<const QLabel*>(&w)) return label->objectName().toStdString();
      if (auto* button = qobject_cast<const QToolButton*>(&w)) {
        if (button->defaultAction())
          return "button " + button->defaultAction()->text().toStdString();
      }
      return std::nullopt;
    };
    judge(qtt::checkLayout(*window, nameOf), *window);
  }

  std::unique_ptr<QtRenderer> renderer_;
  std::unique_ptr<ol::AddInManager> manager_;
  std::unique_ptr<host::ExplorerWindows> explorers_;
  bool checked_ = false;
};

TEST_P(WindowLayoutTest, FitsAndReads) {
  const std::string& window = GetParam().window;
  fillMailbox();
  if (window == "fIncoming") {
    fMain& w = connected();
    directory_->LoadAllContacts();
    ASSERT_NE(sim_->offer(std::string("tel:") + kLongNumber, "pbx:201"), 0u);
    IncomingWindow* win = shown(w, 0);
    ASSERT_NE(win, nullptr);
    check(*win);
  } else if (window == "explorer") {
    openExplorer();
  } else {
    if (window == "fDialing") writeRules();
    storeAccount();
    store("TimeIncoming", "20");
    fMain& w = startUp();
    w.SetSupportWindows(support_.get());
    if (window == "fMain") {
      w.show();
      check(w);
    } else if (window == "fContacts") {
      directory_->LoadAllContacts();
      driver_.expect("fContacts", checkAndClose());
      directory_->Picker().Pick(recordOf(kLongName), &w);
    } else if (window == "fFolders") {
      driver_.expect("fFolders", checkAndClose());
      loading_->ShowFolderSelection(w);
    } else if (window == "fProgress") {
      ProgressWindow progress(*directory_);
      progress.Start(text(169), 32767);
      for (int i = 0; i < 12344; ++i) progress.Grow();
      advance(ProgressModel::kRedrawInterval);  // the count is drawn again
      progress.Grow();
      check(progress);
      progress.Close();
    } else if (window == "fDialing") {
      driver_.expect("fDialing", checkAndClose());
      w.btnDialRules.onClick();
    } else if (window == "fLogFile") {
      std::filesystem::path deep = std::filesystem::path(logFolder_.withSlash()) /
                                   "Telefonie und Kontakte" / "Protokolle der Vermittlung 2026";
      std::filesystem::create_directories(deep);
      AddinLog().SetFolder(deep.string() + "/");
      driver_.expect("fLogFile", checkAndClose());
      w.btnLogFile.onClick();
    } else if (window == "fNote") {
      driver_.expect("fNote", checkAndClose());
      support_->ShowNote(text(175), text(118), text(117), text(146));
    } else if (window == "fAbout") {
      driver_.expect("fAbout", checkAndClose());
      AboutWindow about(toolkit_);
      about.Open(&w);
    } else if (window == "MsgBox") {
      platform::shell::LinuxShell desktop(toolkit_);
      driver_.expect("MsgBox", checkAndClose());
      desktop.messageBox(text(144), "Ringova");
    }
  }
  EXPECT_TRUE(checked_) << window << " was not shown";
  EXPECT_TRUE(driver_.failures().empty()) << driver_.failures().front();
}

std::vector<Case> allCases() {
  std::vector<Case> out;
  for (const LanguageCase& l : kLanguages)
    for (const std::string& w : kWindows) out.push_back({w, l});
  return out;
}

INSTANTIATE_TEST_SUITE_P(Windows, WindowLayoutTest, ::testing::ValuesIn(allCases()),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           return info.param.window + "_" + info.param.language.name;
                         });

}  // namespace
}  // namespace ringova::testing
