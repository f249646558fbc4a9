#include "platform/outlook/command_bars.h"

#include <algorithm>

#include "platform/outlook/text_util.h"

namespace platform::outlook {
namespace {

std::string WithoutAccelerators(std::string_view caption) {
  std::string out;
  for (char c : caption)
    if (c != '&') out += c;
  return out;
}

bool Matches(const CommandBarControl& c, int type, int id, std::string_view tag,
             bool visible_only) {
  return (type == 0 || c.Type() == type) && (id == 0 || c.Id() == id) &&
         (tag.empty() || c.Tag() == tag) && (!visible_only || c.Visible());
}

}  // namespace

ControlStore::~ControlStore() = default;

CommandBarControl* ControlStore::Create(CommandBarControls& parent, int type, int id,
                                        bool temporary) {
  controls_.push_back(std::make_unique<CommandBarControl>(*this, parent, type, id, temporary));
  return controls_.back().get();
}

std::size_t ControlStore::LiveCount() const {
  return static_cast<std::size_t>(std::count_if(controls_.begin(), controls_.end(),
                                                [](const auto& c) { return !c->Deleted(); }));
}

bool ControlStore::Click(CommandBarControl& clicked) {
  if (clicked.Deleted() || !clicked.Enabled() || !clicked.Visible()) return false;
  if (clicked.Type() == msoControlPopup) return true;  // opens; raises nothing
  std::vector<CommandBarControl*> targets;
  if (clicked.Tag().empty()) {
    targets.push_back(&clicked);
  } else {
    for (const auto& c : controls_)
      if (!c->Deleted() && c->Tag() == clicked.Tag()) targets.push_back(c.get());
  }
  bool cancel_default = false;
  for (CommandBarControl* target : targets)
    if (!target->Deleted()) target->click_.Emit(clicked, cancel_default);
  return true;
}

CommandBarControl::CommandBarControl(ControlStore& store, CommandBarControls& parent, int type,
                                     int id, bool temporary)
    : store_(store), parent_(&parent), type_(type), id_(id), temporary_(temporary) {
  if (type_ == msoControlPopup) children_ = std::make_unique<CommandBarControls>(store, nullptr);
}

CommandBarControl::~CommandBarControl() = default;

int CommandBarControl::Index() const {
  if (!parent_) return 0;
  const auto& list = parent_->controls_;
  const auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? 0 : static_cast<int>(it - list.begin()) + 1;
}

bool CommandBarControl::Delete() {
  if (!parent_ || parent_->Locked()) return false;
  std::erase(parent_->controls_, this);
  Detach();
  return true;
}

void CommandBarControl::Detach() {
  parent_ = nullptr;
  if (!children_) return;
  for (CommandBarControl* child : children_->controls_) child->Detach();
  children_->controls_.clear();
}

CommandBarControl* CommandBarControls::Item(int index) const {
  if (index < 1 || index > Count()) return nullptr;
  return controls_[index - 1];
}

CommandBarControl* CommandBarControls::Item(std::string_view caption) const {
  const std::string wanted = WithoutAccelerators(caption);
  for (CommandBarControl* c : controls_)
    if (EqualsIgnoreCase(WithoutAccelerators(c->Caption()), wanted)) return c;
  return nullptr;
}

bool CommandBarControls::Locked() const {
  return bar_ && (bar_->Protection() & msoBarNoCustomize) != 0;
}

CommandBarControl* CommandBarControls::Insert(int type, int id, int before, bool temporary) {
  if (type != msoControlButton && type != msoControlPopup) return nullptr;
  if (before < 0 || before > Count() + 1) return nullptr;
  CommandBarControl* control = store_.Create(*this, type, id, temporary);
  const auto at = before == 0 ? controls_.end() : controls_.begin() + (before - 1);
  controls_.insert(at, control);
  return control;
}

CommandBarControl* CommandBarControls::Add(int type, int before, bool temporary) {
  if (Locked()) return nullptr;
  return Insert(type, kCustomControlId, before, temporary);
}

CommandBarControl* CommandBarControls::AddBuiltIn(int type, int id, std::string caption,
                                                  int before) {
  CommandBarControl* control = Insert(type, id, before, false);
  if (control) control->SetCaption(std::move(caption));
  return control;
}

CommandBarControl* CommandBarControls::Find(int type, int id, std::string_view tag,
                                            bool visible_only, bool recursive) const {
  for (CommandBarControl* c : controls_) {
    if (Matches(*c, type, id, tag, visible_only)) return c;
    if (recursive && c->Controls())
      if (CommandBarControl* found = c->Controls()->Find(type, id, tag, visible_only, true))
        return found;
  }
  return nullptr;
}

CommandBar* CommandBars::Item(int index) const {
  if (index < 1 || index > Count()) return nullptr;
  return bars_[index - 1].get();
}

CommandBar* CommandBars::Item(std::string_view name) const {
  for (const auto& bar : bars_)
    if (EqualsIgnoreCase(bar->Name(), name)) return bar.get();
  return nullptr;
}

CommandBar* CommandBars::Add(std::string name) {
  if (name.empty() || Item(name)) return nullptr;
  bars_.push_back(std::make_unique<CommandBar>(store_, std::move(name)));
  return bars_.back().get();
}

CommandBarControl* CommandBars::FindControl(int type, int id, std::string_view tag,
                                            bool visible_only) const {
  for (const auto& bar : bars_)
    if (CommandBarControl* found = bar->Controls().Find(type, id, tag, visible_only, true))
      return found;
  return nullptr;
}

void AddDefaultCommandBars(CommandBars& bars) {
  struct BuiltIn {
    int id;
    const char* caption;
  };
  if (CommandBar* menu = bars.Add("Menu Bar")) {
    CommandBarControls& top = menu->Controls();
    for (BuiltIn popup : {BuiltIn{30002, "&File"}, BuiltIn{30003, "&Edit"}, BuiltIn{30004, "&View"},
                          BuiltIn{30007, "&Tools"}}) {
      top.AddBuiltIn(msoControlPopup, popup.id, popup.caption);
    }
    if (CommandBarControl* actions = top.AddBuiltIn(msoControlPopup, 30141, "&Actions")) {
      actions->Controls()->AddBuiltIn(msoControlButton, 1838, "&New Contact");
      actions->Controls()->AddBuiltIn(msoControlButton, 30173, "Call &Contact");
    }
    top.AddBuiltIn(msoControlPopup, 30010, "&Help");
  }
  if (CommandBar* standard = bars.Add("Standard")) {
    standard->Controls().AddBuiltIn(msoControlButton, 1836, "&New");
    standard->Controls().AddBuiltIn(msoControlButton, 4, "&Print");
    standard->Controls().AddBuiltIn(msoControlButton, 478, "&Delete");
    standard->Controls().AddBuiltIn(msoControlButton, 2616, "Dial");
  }
  if (CommandBar* context = bars.Add("Context Menu")) {
    context->Controls().AddBuiltIn(msoControlButton, 1837, "&Open");
    context->Controls().AddBuiltIn(msoControlButton, 4, "&Print");
    context->SetProtection(msoBarNoCustomize);
  }
}

}  // namespace platform::outlook
