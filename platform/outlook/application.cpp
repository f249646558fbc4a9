#include "platform/outlook/application.h"

#include <algorithm>

#include "platform/outlook/text_util.h"

namespace platform::outlook {

NameSpace::NameSpace(outlook::Application& app, std::shared_ptr<detail::AppLink> link)
    : app_(app), link_(std::move(link)), stores_(*this, nullptr) {}

Folder* NameSpace::GetDefaultFolder(int folder_type) const {
  const auto it = defaults_.find(folder_type);
  return it == defaults_.end() ? nullptr : it->second;
}

bool NameSpace::SetDefaultFolder(int folder_type, Folder* folder) {
  if (!folder || &folder->Session() != this) return false;
  defaults_[folder_type] = folder;
  return true;
}

Folder* NameSpace::AddSourceStore(std::string name) {
  Folder* store = stores_.Add(std::move(name), olContactItem);
  if (!store) return nullptr;
  store->source_store_ = true;
  store->Folders().Add(std::string(kDeletedItemsName), olMailItem);
  return store;
}

std::vector<Folder*> NameSpace::SourceStores() const {
  std::vector<Folder*> sources;
  for (int i = 1; i <= stores_.Count(); ++i)
    if (Folder* store = stores_.Item(i); store->IsSourceStore()) sources.push_back(store);
  return sources;
}

Folder* NameSpace::DeletedItemsFor(const Folder& folder) const {
  Folder* store = const_cast<Folder&>(folder).Store();
  if (store->IsSourceStore()) return store->Folders().Item(kDeletedItemsName);
  return GetDefaultFolder(olFolderDeletedItems);
}

bool NameSpace::IsDefaultFolder(const Folder* folder) const {
  return std::any_of(defaults_.begin(), defaults_.end(),
                     [folder](const auto& entry) { return entry.second == folder; });
}

namespace {
Folder* FindFolder(outlook::Folders& folders, std::string_view entry_id) {
  for (int i = 1; i <= folders.Count(); ++i) {
    Folder* folder = folders.Item(i);
    if (folder->EntryId() == entry_id) return folder;
    if (Folder* found = FindFolder(folder->Folders(), entry_id)) return found;
  }
  return nullptr;
}
}  // namespace

Folder* NameSpace::GetFolderFromId(std::string_view entry_id) const {
  return FindFolder(const_cast<outlook::Folders&>(stores_), entry_id);
}

Application::Application(ApplicationOptions options)
    : options_(std::move(options)),
      link_(std::make_shared<detail::AppLink>()),
      session_(*this, link_),
      explorers_(*this),
      inspectors_(*this) {
  link_->app = this;
  session_.SetCurrentUser(options_.current_user);
}

Application::~Application() {
  link_->app = nullptr;
}

Explorer* Application::ActiveExplorer() const {
  return explorer_order_.empty() ? nullptr : explorer_order_.back();
}

Inspector* Application::ActiveInspector() const {
  return inspector_order_.empty() ? nullptr : inspector_order_.back();
}

NameSpace* Application::GetNamespace(std::string_view type) {
  return EqualsIgnoreCase(type, "MAPI") ? &session_ : nullptr;
}

std::shared_ptr<Item> Application::CreateItem(int type) {
  return CreateItemOfType(static_cast<OlItemType>(type), link_);
}

void Application::Quit() {
  if (quit_ || quitting_) return;
  quitting_ = true;
  const std::vector<Inspector*> inspectors = inspectors_.open_;
  for (auto it = inspectors.rbegin(); it != inspectors.rend(); ++it) (*it)->Close();
  const std::vector<Explorer*> explorers = explorers_.open_;
  for (auto it = explorers.rbegin(); it != explorers.rend(); ++it) (*it)->Close();
  quit_ = true;
  quit_event_.Emit();
}

void Application::DeactivateWindows() {
  detail::Window* old = std::exchange(active_, nullptr);
  if (old) old->RaiseDeactivate();
}

void Application::ActivateWindow(detail::Window* window) {
  if (auto* explorer = dynamic_cast<Explorer*>(window)) {
    std::erase(explorer_order_, explorer);
    explorer_order_.push_back(explorer);
  } else if (auto* inspector = dynamic_cast<Inspector*>(window)) {
    std::erase(inspector_order_, inspector);
    inspector_order_.push_back(inspector);
  }
  if (active_ == window) return;
  detail::Window* old = std::exchange(active_, window);
  if (old) old->RaiseDeactivate();
  window->RaiseActivate();
}

void Application::WindowClosed(detail::Window* window) {
  if (active_ == window) active_ = nullptr;
  std::erase_if(explorer_order_, [window](Explorer* e) { return e == window; });
  std::erase_if(inspector_order_, [window](Inspector* i) { return i == window; });
  if (options_.quit_when_last_window_closes && !quitting_ && explorers_.Count() == 0 &&
      inspectors_.Count() == 0)
    Quit();
}

Inspector* Application::DisplayItem(const std::shared_ptr<Item>& item, bool modal) {
  if (quit_) return nullptr;
  for (int i = 1; i <= inspectors_.Count(); ++i) {
    Inspector* open = inspectors_.Item(i);
    if (open->CurrentItem() == item) {
      open->Activate();
      return open;
    }
  }
  inspectors_.all_.push_back(std::make_unique<Inspector>(*this, controls_, item, modal));
  Inspector* inspector = inspectors_.all_.back().get();
  inspectors_.open_.push_back(inspector);
  inspectors_.new_inspector_.Emit(inspector);
  if (!inspector->Closed()) inspector->Activate();
  return inspector;
}

}  // namespace platform::outlook
