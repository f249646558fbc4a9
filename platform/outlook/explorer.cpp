#include "platform/outlook/explorer.h"

#include <algorithm>

#include "platform/outlook/application.h"
#include "platform/outlook/folder.h"

namespace platform::outlook {

Explorer::Explorer(Application& app, ControlStore& store, Folder* folder)
    : app_(app), bars_(store), folder_(folder) {
  AddDefaultCommandBars(bars_);
}

void Explorer::Display() {
  if (closed_) return;
  visible_ = true;
  Activate();
}

void Explorer::Activate() {
  if (closed_) return;
  visible_ = true;
  app_.ActivateWindow(this);
}

void Explorer::Close() {
  if (closed_ || closing_) return;
  closing_ = true;  // a Close handler may close again or quit
  close_.Emit();
  closed_ = true;
  visible_ = false;
  std::erase(app_.explorers_.open_, this);
  app_.WindowClosed(this);
}

bool Explorer::SetCurrentFolder(Folder* folder) {
  if (closed_ || !folder) return false;
  if (folder == folder_) return true;
  bool cancel = false;
  before_folder_switch_.Emit(folder, cancel);
  if (cancel || closed_) return false;
  const bool other_view = !folder_ || folder_->DefaultItemType() != folder->DefaultItemType();
  folder_ = folder;
  const bool had_selection = !selection_.empty();
  selection_ = ItemList();
  folder_switch_.Emit();
  if (other_view) view_switch_.Emit();
  if (had_selection) selection_change_.Emit();
  return true;
}

void Explorer::Select(std::vector<std::shared_ptr<Item>> items) {
  if (closed_) return;
  selection_ = ItemList(std::move(items));
  selection_change_.Emit();
}

void Explorer::SetCurrentView(std::string view) {
  if (closed_) return;
  view_ = std::move(view);
  view_switch_.Emit();
}

Inspector::Inspector(Application& app, ControlStore& store, std::shared_ptr<Item> item, bool modal)
    : app_(app), bars_(store), item_(std::move(item)), modal_(modal) {
  AddDefaultCommandBars(bars_);
}

std::string Inspector::Caption() const {
  const std::string subject = item_ ? item_->Subject() : std::string();
  const std::string kind = item_ && item_->ItemType() == olContactItem ? "Contact" : "Message";
  return (subject.empty() ? std::string("Untitled") : subject) + " - " + kind;
}

void Inspector::Activate() {
  if (!closed_) app_.ActivateWindow(this);
}

void Inspector::Close() {
  if (closed_ || closing_) return;
  closing_ = true;
  close_.Emit();
  closed_ = true;
  std::erase(app_.inspectors_.open_, this);
  app_.WindowClosed(this);
}

Explorer* Explorers::Item(int index) const {
  if (index < 1 || index > Count()) return nullptr;
  return open_[index - 1];
}

Explorer* Explorers::Add(Folder* folder) {
  if (!folder || app_.HasQuit()) return nullptr;
  all_.push_back(std::make_unique<Explorer>(app_, app_.Controls(), folder));
  Explorer* explorer = all_.back().get();
  open_.push_back(explorer);
  new_explorer_.Emit(explorer);
  return explorer;
}

Inspector* Inspectors::Item(int index) const {
  if (index < 1 || index > Count()) return nullptr;
  return open_[index - 1];
}

}  // namespace platform::outlook
