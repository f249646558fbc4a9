// The scripted mode's commands on Outlook: its windows, folders, selection, command bars and
// contact items.
#include <functional>

#include "apps/common/line_words.h"
#include "apps/ringova/script_runner.h"
#include "platform/outlook/application.h"
#include "platform/outlook/constants.h"
#include "platform/outlook/text_util.h"

namespace ringova::host {

namespace ol = platform::outlook;
using ol::EqualsIgnoreCase;

namespace {

// 0 for a word that is no explorer number.
int explorerNumber(const std::string& word) {
  long long n = 0;
  return telvane::apps::parseInteger(word, 1, 1000, n) ? static_cast<int>(n) : 0;
}

// A folder by its path ("\\Mailbox\Contacts", or with "/" between the names, the store's name
// first) or, failing that, the first folder of that name.
ol::Folder* findFolder(ol::NameSpace& mapi, const std::string& ref) {
  std::string path = ref;
  for (char& c : path) c = c == '/' ? '\\' : c;
  while (!path.empty() && path.front() == '\\') path.erase(0, 1);
  ol::Folder* byName = nullptr;
  std::function<ol::Folder*(ol::Folders&)> walk = [&](ol::Folders& folders) -> ol::Folder* {
    for (int i = 1; i <= folders.Count(); ++i) {
      ol::Folder* f = folders.Item(i);
      std::string own = f->FolderPath();
      while (!own.empty() && own.front() == '\\') own.erase(0, 1);
      if (EqualsIgnoreCase(own, path)) return f;
      if (!byName && EqualsIgnoreCase(f->Name(), ref)) byName = f;
      if (ol::Folder* inside = walk(f->Folders())) return inside;
    }
    return nullptr;
  };
  ol::Folder* exact = walk(mapi.Folders());
  return exact ? exact : byName;
}

std::shared_ptr<ol::Item> findItem(ol::Folder& folder, const std::string& name) {
  for (const auto& item : folder.Items()) {
    if (item->GetProperty("FullName").value_or("") == name || item->Subject() == name) return item;
  }
  return nullptr;
}

// A control of the bars by its tag or its caption (with or without "&"), looking into menus.
ol::CommandBarControl* findBarControl(ol::CommandBarControls& controls, const std::string& ref) {
  for (int i = 1; i <= controls.Count(); ++i) {
    ol::CommandBarControl* c = controls.Item(i);
    if (!c) continue;
    if (ol::TrimBlanks(c->Tag()) == ref || c->Caption() == ref ||
        ol::TrimBlanks(WithoutAccelerator(c->Caption())) == ref) {
      return c;
    }
    if (ol::CommandBarControls* inner = c->Controls()) {
      if (ol::CommandBarControl* found = findBarControl(*inner, ref)) return found;
    }
  }
  return nullptr;
}

}  // namespace

ol::Explorer* ScriptRunner::activeExplorer() {
  ol::Explorer* e = t_.outlook.ActiveExplorer();
  if (!e) error("no explorer window is open");
  return e;
}

void ScriptRunner::explorerCommand(const Words& w) {
  ol::Explorers& explorers = t_.outlook.Explorers();
  if (w.size() == 2 && w[1] == "open") {
    ol::Explorer* current = t_.outlook.ActiveExplorer();
    ol::Folder* folder = current ? current->CurrentFolder() : nullptr;
    ol::NameSpace* mapi = t_.outlook.GetNamespace("MAPI");
    if (!folder) folder = mapi->GetDefaultFolder(ol::olFolderInbox);
    if (!folder && mapi->Folders().Count() > 0) folder = mapi->Folders().Item(1);
    ol::Explorer* e = folder ? explorers.Add(folder) : nullptr;
    if (!e) return error("explorer open: the mailbox has no folder");
    e->Display();
    return;
  }
  if ((w.size() == 2 || w.size() == 3) && w[1] == "close") {
    ol::Explorer* e = w.size() == 3 ? explorers.Item(explorerNumber(w[2])) : activeExplorer();
    if (!e) return w.size() == 3 ? error("no explorer " + w[2]) : void();
    e->Close();
    return;
  }
  if (w.size() == 3 && w[1] == "activate") {
    ol::Explorer* e = explorers.Item(explorerNumber(w[2]));
    if (!e) return error("no explorer " + w[2]);
    e->Activate();
    return;
  }
  error("explorer needs open, close [N] or activate N");
}

void ScriptRunner::folderCommand(const Words& w) {
  if (w.size() != 2) return error("folder needs a name or path");
  ol::Explorer* e = activeExplorer();
  if (!e) return;
  ol::Folder* folder = findFolder(*t_.outlook.GetNamespace("MAPI"), w[1]);
  if (!folder) return error("no folder " + w[1]);
  if (!e->SetCurrentFolder(folder)) error("the explorer stays in its folder");
}

void ScriptRunner::selectCommand(const Words& w) {
  if (w.size() > 2) return error("select needs one name");
  ol::Explorer* e = activeExplorer();
  if (!e) return;
  if (w.size() == 1) return e->Select({});
  std::shared_ptr<ol::Item> item =
      e->CurrentFolder() ? findItem(*e->CurrentFolder(), w[1]) : nullptr;
  if (!item) return error("no item " + w[1] + " in the current folder");
  e->Select({item});
}

void ScriptRunner::clickCommand(const Words& w) {
  if (w.size() != 2) return error("click needs a tag or a caption");
  ol::Explorer* e = activeExplorer();
  if (!e) return;
  ol::CommandBarControl* found = nullptr;
  ol::CommandBars& bars = e->CommandBars();
  for (int i = 1; i <= bars.Count() && !found; ++i) {
    found = findBarControl(bars.Item(i)->Controls(), w[1]);
  }
  if (!found) return error("no command bar control " + w[1]);
  if (!found->Visible() || !found->Enabled()) return error(w[1] + " is not enabled");
  found->Click();
}

void ScriptRunner::contactCommand(const Words& w) {
  if (w.size() < 3 || (w[1] != "add" && w[1] != "change" && w[1] != "delete")) {
    return error("contact needs add, change or delete NAME [PROPERTY=VALUE]...");
  }
  ol::Folder* contacts = t_.outlook.GetNamespace("MAPI")->GetDefaultFolder(ol::olFolderContacts);
  if (!contacts) return error("the mailbox has no Contacts folder");
  std::shared_ptr<ol::Item> item;
  if (w[1] == "add") {
    item = contacts->Items().Add(ol::olContactItem);
    item->SetProperty("FullName", w[2]);
  } else {
    item = findItem(*contacts, w[2]);
    if (!item) return error("no contact " + w[2]);
    if (w[1] == "delete") {
      if (w.size() != 3) return error("contact delete takes only the name");
      if (!item->Delete()) error("contact " + w[2] + " was not deleted");
      return;
    }
  }
  for (std::size_t i = 3; i < w.size(); ++i) {
    const std::size_t eq = w[i].find('=');
    if (eq == std::string::npos || eq == 0) return error("not PROPERTY=VALUE: " + w[i]);
    if (!item->SetProperty(w[i].substr(0, eq), w[i].substr(eq + 1))) {
      return error("no contact property " + w[i].substr(0, eq));
    }
  }
  if (!item->Save()) error("contact " + w[2] + " was not saved");
}

}  // namespace ringova::host
