#include "apps/ringova/explorer_window.h"

#include <QtCore/QDir>
#include <QtGui/QCloseEvent>
#include <QtWidgets/QApplication>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QLabel>
#include <QtWidgets/QMainWindow>
#include <QtWidgets/QMenu>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QSplitter>
#include <QtWidgets/QStatusBar>
#include <QtWidgets/QStyle>
#include <QtWidgets/QToolBar>
#include <QtWidgets/QTreeWidget>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "platform/outlook/command_bars.h"
#include "platform/outlook/folder.h"
#include "platform/outlook/item.h"
#include "platform/ui/qt/qt_text.h"

namespace ringova::host {

namespace ol = platform::outlook;
using platform::ui::qt::toQt;
using platform::ui::qt::withoutAccelerators;

namespace {

// Theme faces for the add-in's commands, with a face of Qt's own where the theme has none.
QIcon faceFor(const ol::CommandBarControl& c) {
  std::string caption = withoutAccelerators(c.Caption()).toLower().toStdString();
  if (caption.find("make") != std::string::npos)
    return QIcon::fromTheme(QStringLiteral("call-start"),
                            QApplication::style()->standardIcon(QStyle::SP_DialogYesButton));
  if (caption.find("close") != std::string::npos)
    return QIcon::fromTheme(QStringLiteral("call-stop"),
                            QApplication::style()->standardIcon(QStyle::SP_DialogNoButton));
  return {};
}

// A fingerprint of what a bar shows, so the menus are rebuilt only when it changed.
void describe(ol::CommandBarControls& controls, std::string& out) {
  for (int i = 1; i <= controls.Count(); ++i) {
    ol::CommandBarControl* c = controls.Item(i);
    out += c->Caption() + (c->Enabled() ? "+" : "-") + (c->Visible() ? "v" : "h") +
           (c->BeginGroup() ? "|" : "") + std::to_string(reinterpret_cast<std::uintptr_t>(c)) + ";";
    if (c->Controls()) {
      out += "[";
      describe(*c->Controls(), out);
      out += "]";
    }
  }
}

bool contains(ol::CommandBarControls& controls, const ol::CommandBarControl* wanted) {
  for (int i = 1; i <= controls.Count(); ++i) {
    ol::CommandBarControl* c = controls.Item(i);
    if (c == wanted || (c->Controls() && contains(*c->Controls(), wanted))) return true;
  }
  return false;
}

// A source's state as its row in the folder tree has room for: "synced 14:03" (local time;
// the day too when it was not today), "sync failed"; the status bar shows the whole of it.
std::string briefState(const std::string& state) {
  if (state.rfind("failed", 0) == 0) return "sync failed";
  std::tm utc{};
  if (std::sscanf(state.c_str(), "synced %d-%d-%dT%d:%d:%dZ", &utc.tm_year, &utc.tm_mon,
                  &utc.tm_mday, &utc.tm_hour, &utc.tm_min, &utc.tm_sec) != 6)
    return state;
  utc.tm_year -= 1900;
  utc.tm_mon -= 1;
  const std::time_t at = ::timegm(&utc);
  const std::time_t now = std::time(nullptr);
  std::tm local{}, today{};
  ::localtime_r(&at, &local);
  ::localtime_r(&now, &today);
  const bool sameDay = local.tm_year == today.tm_year && local.tm_yday == today.tm_yday;
  char text[32];
  std::strftime(text, sizeof text, sameDay ? "synced %H:%M" : "synced %Y-%m-%d %H:%M", &local);
  return text;
}

}  // namespace

class ExplorerWindow final : public QMainWindow {
 public:
  ExplorerWindow(ol::Application& app, ol::Explorer& explorer) : app_(app), explorer_(explorer) {
    setWindowTitle(QStringLiteral("Outlook"));
    resize(900, 560);
    auto* split = new QSplitter(this);
    folders_ = new QTreeWidget(split);
    folders_->setObjectName(QStringLiteral("folders"));
    folders_->setHeaderHidden(true);
    // Long folder names scroll rather than being cut off.
    folders_->header()->setStretchLastSection(false);
    folders_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    items_ = new QTreeWidget(split);
    items_->setObjectName(QStringLiteral("items"));
    items_->setRootIsDecorated(false);
    items_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    items_->setContextMenuPolicy(Qt::CustomContextMenu);
    split->setStretchFactor(1, 3);
    setCentralWidget(split);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status"));
    statusBar()->addWidget(status_, 1);
    toolbar_ = addToolBar(QStringLiteral("Standard"));
    toolbar_->setObjectName(QStringLiteral("Standard"));
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    connect(folders_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
      auto it = folderOf_.find(item);
      if (it != folderOf_.end() && it->second != explorer_.CurrentFolder())
        explorer_.SetCurrentFolder(it->second);
      refresh();
    });
    connect(items_, &QTreeWidget::itemSelectionChanged, this, [this] {
      if (filling_) return;
      std::vector<std::shared_ptr<ol::Item>> chosen;
      for (QTreeWidgetItem* row : items_->selectedItems()) {
        int i = items_->indexOfTopLevelItem(row);
        if (i >= 0 && i < static_cast<int>(shownItems_.size())) chosen.push_back(shownItems_[i]);
      }
      explorer_.Select(std::move(chosen));
      refresh();
    });
    connect(items_, &QTreeWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { contextMenu(items_->viewport()->mapToGlobal(at)); });
    fillFolders();
    refresh();
  }

  void refresh() {
    // Sources gain folders and change state while the window is up.
    if (folderLook() != shownFolders_) fillFolders();
    if (explorer_.CurrentFolder() != shownFolder_) fillItems();
    showSourceState();
    std::string bars;
    for (const char* name : {"Menu Bar", "Standard"}) {
      if (ol::CommandBar* bar = explorer_.CommandBars().Item(name)) describe(bar->Controls(), bars);
    }
    if (bars != shownBars_) {
      shownBars_ = bars;
      buildBars();
    }
  }

  // What a picture of the window would show: its title and its bars.
  std::string look() const { return windowTitle().toStdString() + "\n" + shownBars_; }
  std::string pictured;  // the look of the last picture taken

  void contextMenu(const QPoint& at) {
    ol::Folder* folder = explorer_.CurrentFolder();
    if (!folder || folder->DefaultItemType() != ol::olContactItem) return;
    explorer_.CommandBars().RaiseUpdate();  // the add-in fills the menu for this moment
    ol::CommandBar* bar = explorer_.CommandBars().Item("Context Menu");
    if (!bar) return;
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    addControls(menu, bar->Controls());
    menu->popup(at);
  }

 protected:
  void closeEvent(QCloseEvent* e) override {
    e->ignore();  // the explorer closes and the window follows it
    if (!explorer_.Closed()) explorer_.Close();
  }
  void changeEvent(QEvent* e) override {
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow() && !explorer_.Closed())
      explorer_.Activate();
  }

 private:
  static std::string storeText(const ol::Folder& f) {
    if (!f.IsSourceStore() || f.StoreState().empty()) return f.Name();
    return f.Name() + " \u2014 " + briefState(f.StoreState());
  }
  // The whole state of the source the current folder belongs to.
  void showSourceState() {
    ol::Folder* folder = explorer_.CurrentFolder();
    ol::Folder* store = folder ? folder->Store() : nullptr;
    QString text;
    if (store && store->IsSourceStore() && !store->StoreState().empty())
      text = toQt(store->Name() + ": " + store->StoreState());
    if (status_->text() != text) status_->setText(text);
  }
  std::string folderLook() const {
    std::string look;
    std::function<void(ol::Folders&)> walk = [&](ol::Folders& list) {
      for (int i = 1; i <= list.Count(); ++i) {
        ol::Folder* f = list.Item(i);
        look += storeText(*f) + "\n{";
        walk(f->Folders());
        look += "}";
      }
    };
    if (ol::NameSpace* mapi = app_.GetNamespace("MAPI")) walk(mapi->Folders());
    return look;
  }

  void fillFolders() {
    shownFolders_ = folderLook();
    folders_->clear();
    folderOf_.clear();
    std::function<void(ol::Folders&, QTreeWidgetItem*)> add = [&](ol::Folders& list,
                                                                  QTreeWidgetItem* parent) {
      for (int i = 1; i <= list.Count(); ++i) {
        ol::Folder* f = list.Item(i);
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(folders_);
        item->setText(0, toQt(storeText(*f)));
        if (f->IsSourceStore()) item->setToolTip(0, toQt(f->StoreState()));
        folderOf_[item] = f;
        if (f == explorer_.CurrentFolder()) folders_->setCurrentItem(item);
        add(f->Folders(), item);
      }
    };
    if (ol::NameSpace* mapi = app_.GetNamespace("MAPI")) add(mapi->Folders(), nullptr);
    folders_->expandAll();
  }

  void fillItems() {
    filling_ = true;
    shownFolder_ = explorer_.CurrentFolder();
    items_->clear();
    shownItems_.clear();
    bool contacts = shownFolder_ && shownFolder_->DefaultItemType() == ol::olContactItem;
    QStringList headings = contacts ? QStringList{"Name", "Business", "Home", "Mobile", "E-mail"}
                                    : QStringList{"From", "Subject"};
    items_->setColumnCount(static_cast<int>(headings.size()));
    items_->setHeaderLabels(headings);
    if (shownFolder_) {
      for (const auto& item : shownFolder_->Items()) {
        auto get = [&](const char* name) { return toQt(item->GetProperty(name).value_or("")); };
        auto* row = new QTreeWidgetItem(items_);
        if (contacts) {
          row->setText(0, get("FullName"));
          row->setText(1, get("BusinessTelephoneNumber"));
          row->setText(2, get("HomeTelephoneNumber"));
          row->setText(3, get("MobileTelephoneNumber"));
          row->setText(4, get("Email1Address"));
        } else {
          row->setText(0, get("SenderName"));
          row->setText(1, get("Subject"));
        }
        shownItems_.push_back(item);
      }
      setWindowTitle(toQt(shownFolder_->Name() + " - Outlook"));
    }
    for (int c = 0; c < items_->columnCount(); ++c) items_->resizeColumnToContents(c);
    filling_ = false;
  }

  void buildBars() {
    menuBar()->clear();
    if (ol::CommandBar* bar = explorer_.CommandBars().Item("Menu Bar")) {
      ol::CommandBarControls& top = bar->Controls();
      for (int i = 1; i <= top.Count(); ++i) {
        ol::CommandBarControl* c = top.Item(i);
        if (!c->Visible()) continue;
        if (c->Controls()) {
          QMenu* menu = menuBar()->addMenu(toQt(c->Caption()));
          menu->setEnabled(c->Enabled());
          addControls(menu, *c->Controls());
        } else {
          menuBar()->addAction(command(c));
        }
      }
    }
    toolbar_->clear();
    if (ol::CommandBar* bar = explorer_.CommandBars().Item("Standard")) {
      ol::CommandBarControls& controls = bar->Controls();
      for (int i = 1; i <= controls.Count(); ++i) {
        ol::CommandBarControl* c = controls.Item(i);
        if (!c->Visible()) continue;
        if (c->BeginGroup() && i > 1) toolbar_->addSeparator();
        toolbar_->addAction(command(c));
      }
    }
  }

  void addControls(QMenu* menu, ol::CommandBarControls& controls) {
    for (int i = 1; i <= controls.Count(); ++i) {
      ol::CommandBarControl* c = controls.Item(i);
      if (!c->Visible()) continue;
      if (c->BeginGroup() && i > 1) menu->addSeparator();
      if (c->Controls()) {
        QMenu* sub = menu->addMenu(toQt(c->Caption()));
        sub->setEnabled(c->Enabled());
        addControls(sub, *c->Controls());
      } else {
        menu->addAction(command(c));
      }
    }
  }

  QAction* command(ol::CommandBarControl* c) {
    auto* action = new QAction(faceFor(*c), toQt(c->Caption()), this);
    action->setEnabled(c->Enabled());
    action->setToolTip(toQt(c->TooltipText()));
    action->setData(QString::fromStdString(c->Tag()));
    connect(action, &QAction::triggered, this, [this, c] {
      // The control may have gone since the menu was drawn.
      bool alive = false;
      for (int i = 1; i <= explorer_.CommandBars().Count() && !alive; ++i)
        alive = contains(explorer_.CommandBars().Item(i)->Controls(), c);
      if (alive) c->Click();
      refresh();
    });
    return action;
  }

  ol::Application& app_;
  ol::Explorer& explorer_;
  QTreeWidget* folders_ = nullptr;
  QTreeWidget* items_ = nullptr;
  QToolBar* toolbar_ = nullptr;
  QLabel* status_ = nullptr;
  std::map<QTreeWidgetItem*, ol::Folder*> folderOf_;
  ol::Folder* shownFolder_ = nullptr;
  std::vector<std::shared_ptr<ol::Item>> shownItems_;
  std::string shownBars_;
  std::string shownFolders_;
  bool filling_ = false;
};

ExplorerWindows::ExplorerWindows(ol::Application& app, std::string screenshotFolder)
    : app_(app), screenshotFolder_(std::move(screenshotFolder)) {
  if (!screenshotFolder_.empty()) QDir().mkpath(toQt(screenshotFolder_));
  newExplorer_ = app_.Explorers().OnNewExplorer().Connect([this](ol::Explorer*) { refresh(); });
  connect(&timer_, &QTimer::timeout, this, [this] {
    closing_.clear();
    refresh();
  });
  timer_.start(200);
  refresh();
}

ExplorerWindows::~ExplorerWindows() = default;

QMainWindow* ExplorerWindows::window(const ol::Explorer& explorer) const {
  auto it = windows_.find(&explorer);
  return it == windows_.end() ? nullptr : it->second.get();
}

void ExplorerWindows::refresh() {
  if (refreshing_) return;  // showing a window may activate its explorer
  refreshing_ = true;
  ol::Explorers& explorers = app_.Explorers();
  std::map<const ol::Explorer*, bool> open;
  for (int i = 1; i <= explorers.Count(); ++i) {
    ol::Explorer* e = explorers.Item(i);
    if (e->Closed()) continue;
    open[e] = e->Visible();
  }
  for (auto it = windows_.begin(); it != windows_.end();) {
    if (!open.count(it->first)) {
      it->second->hide();
      closing_.push_back(std::move(it->second));
      activations_.erase(it->first);
      it = windows_.erase(it);
    } else {
      ++it;
    }
  }
  for (const auto& [explorer, visible] : open) {
    auto& w = windows_[explorer];
    if (!w) {
      auto& e = *const_cast<ol::Explorer*>(explorer);
      w = std::make_unique<ExplorerWindow>(app_, e);
      activations_[explorer] = e.OnActivate().Connect([this] { refresh(); });
    }
    w->refresh();
    if (visible && !w->isVisible()) w->show();
    if (!visible && w->isVisible()) w->hide();
    if (w->isVisible() && w->look() != w->pictured) screenshot(*w);
  }
  refreshing_ = false;
}

void ExplorerWindows::screenshot(ExplorerWindow& w) {
  w.pictured = w.look();
  if (screenshotFolder_.empty()) return;
  char name[32];
  std::snprintf(name, sizeof name, "/explorer-%04d.png", ++screenshots_);
  // The toolbar lays out its new buttons on a posted request: drawn before the picture.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
  w.grab().save(toQt(screenshotFolder_ + name), "PNG");
}

}  // namespace ringova::host
