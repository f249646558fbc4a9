// Office command bars: bars by name, their controls (buttons and popups) and the routing of clicks.
//
// Every control of the process lives in one ControlStore (the Application owns it), so a
// CommandBarControl* stays valid until the store goes: a deleted control is detached (Deleted(),
// Index() 0) but still readable. A click is raised on every live control with the same non-empty
// tag, in every window, with the clicked control as argument; that is how a context-menu button
// without a handler of its own acts through the toolbar button with its tag. Indexes start at 1.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/outlook/constants.h"
#include "platform/outlook/signal.h"

namespace platform::outlook {

class CommandBar;
class CommandBarControl;
class CommandBarControls;

class ControlStore {
 public:
  ControlStore() = default;
  ControlStore(const ControlStore&) = delete;
  ControlStore& operator=(const ControlStore&) = delete;
  ~ControlStore();

  // Raises Click on every live control that shares the tag of the clicked one (only the clicked
  // one when its tag is empty). False when the control is deleted, disabled or invisible.
  bool Click(CommandBarControl& clicked);

  std::size_t LiveCount() const;

 private:
  friend class CommandBarControls;
  CommandBarControl* Create(CommandBarControls& parent, int type, int id, bool temporary);
  std::vector<std::unique_ptr<CommandBarControl>> controls_;
};

class CommandBarControl {
 public:
  CommandBarControl(ControlStore& store, CommandBarControls& parent, int type, int id,
                    bool temporary);
  CommandBarControl(const CommandBarControl&) = delete;
  CommandBarControl& operator=(const CommandBarControl&) = delete;
  ~CommandBarControl();

  int Type() const { return type_; }
  int Id() const { return id_; }  // kCustomControlId for the controls an add-in adds
  bool BuiltIn() const { return id_ != kCustomControlId; }
  bool Temporary() const { return temporary_; }

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string v) { caption_ = std::move(v); }
  const std::string& Tag() const { return tag_; }
  void SetTag(std::string v) { tag_ = std::move(v); }
  const std::string& TooltipText() const { return tooltip_; }
  void SetTooltipText(std::string v) { tooltip_ = std::move(v); }
  const std::string& OnAction() const { return on_action_; }
  void SetOnAction(std::string v) { on_action_ = std::move(v); }
  const std::string& Parameter() const { return parameter_; }
  void SetParameter(std::string v) { parameter_ = std::move(v); }
  int FaceId() const { return face_id_; }
  void SetFaceId(int v) { face_id_ = v; }
  int Style() const { return style_; }
  void SetStyle(int v) { style_ = v; }
  bool BeginGroup() const { return begin_group_; }
  void SetBeginGroup(bool v) { begin_group_ = v; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v) { enabled_ = v; }
  bool Visible() const { return visible_; }
  void SetVisible(bool v) { visible_ = v; }

  // Position in the parent's controls; 0 once deleted.
  int Index() const;
  bool Deleted() const { return parent_ == nullptr; }
  // The controls of a popup; nullptr for a button.
  CommandBarControls* Controls() { return children_.get(); }

  // Removes the control (and a popup's contents). False when already deleted or the bar is
  // protected against customizing.
  bool Delete();

  // The user's click (see ControlStore::Click).
  bool Click() { return store_.Click(*this); }
  // Handler arguments: the control clicked, and CancelDefault for built-in controls.
  Event<CommandBarControl&, bool&>& OnClick() { return click_; }

 private:
  friend class ControlStore;
  friend class CommandBarControls;
  void Detach();

  ControlStore& store_;
  CommandBarControls* parent_;
  int type_;
  int id_;
  bool temporary_;
  std::string caption_, tag_, tooltip_, on_action_, parameter_;
  int face_id_ = 0;
  int style_ = msoButtonAutomatic;
  bool begin_group_ = false;
  bool enabled_ = true;
  bool visible_ = true;
  std::unique_ptr<CommandBarControls> children_;
  Signal<CommandBarControl&, bool&> click_;
};

class CommandBarControls {
 public:
  // bar: the top-level bar these controls belong to, nullptr inside a popup.
  CommandBarControls(ControlStore& store, CommandBar* bar) : store_(store), bar_(bar) {}
  CommandBarControls(const CommandBarControls&) = delete;
  CommandBarControls& operator=(const CommandBarControls&) = delete;

  int Count() const { return static_cast<int>(controls_.size()); }
  CommandBarControl* Item(int index) const;
  // The first control with this caption, ignoring letter case and "&" accelerators.
  CommandBarControl* Item(std::string_view caption) const;

  // Adds a button (msoControlButton) or popup (msoControlPopup) in front of position `before`
  // (0 appends). nullptr for another type, a position beyond Count()+1 or a protected bar.
  CommandBarControl* Add(int type, int before = 0, bool temporary = false);
  // The host's built-in controls, with their own id.
  CommandBarControl* AddBuiltIn(int type, int id, std::string caption, int before = 0);

  // Depth-first search; criteria left at 0 or empty match anything.
  CommandBarControl* Find(int type, int id, std::string_view tag, bool visible_only,
                          bool recursive) const;

 private:
  friend class CommandBarControl;
  bool Locked() const;
  CommandBarControl* Insert(int type, int id, int before, bool temporary);

  ControlStore& store_;
  CommandBar* bar_;
  std::vector<CommandBarControl*> controls_;
};

class CommandBar {
 public:
  CommandBar(ControlStore& store, std::string name)
      : name_(std::move(name)), controls_(store, this) {}
  CommandBar(const CommandBar&) = delete;
  CommandBar& operator=(const CommandBar&) = delete;

  const std::string& Name() const { return name_; }
  int Protection() const { return protection_; }
  void SetProtection(int v) { protection_ = v; }
  bool Visible() const { return visible_; }
  void SetVisible(bool v) { visible_ = v; }
  CommandBarControls& Controls() { return controls_; }

  CommandBarControl* FindControl(int type = 0, int id = 0, std::string_view tag = {},
                                 bool visible_only = false, bool recursive = false) {
    return controls_.Find(type, id, tag, visible_only, recursive);
  }

 private:
  std::string name_;
  int protection_ = msoBarNoProtection;
  bool visible_ = true;
  CommandBarControls controls_;
};

class CommandBars {
 public:
  explicit CommandBars(ControlStore& store) : store_(store) {}
  CommandBars(const CommandBars&) = delete;
  CommandBars& operator=(const CommandBars&) = delete;

  int Count() const { return static_cast<int>(bars_.size()); }
  CommandBar* Item(int index) const;
  CommandBar* Item(std::string_view name) const;  // ignoring letter case
  // A new bar; nullptr when the name is empty or taken.
  CommandBar* Add(std::string name);

  // Searches every bar, popups included; criteria left at 0 or empty match anything.
  CommandBarControl* FindControl(int type = 0, int id = 0, std::string_view tag = {},
                                 bool visible_only = false) const;

  // Raised by the host through RaiseUpdate when the bars may need updating, as before a context
  // menu opens. Changes made by the handlers do not raise it again.
  Event<>& OnUpdate() { return update_; }
  void RaiseUpdate() { update_.Emit(); }

 private:
  ControlStore& store_;
  std::vector<std::unique_ptr<CommandBar>> bars_;
  Signal<> update_;
};

// The host's default bars of an Outlook window: "Menu Bar" with its popups (the "&Actions" popup,
// built-in id 30141, holds the dial command 30173), "Standard" with the dial button 2616, and a
// "Context Menu" protected against customizing.
void AddDefaultCommandBars(CommandBars& bars);

}  // namespace platform::outlook
