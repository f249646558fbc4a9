#pragma once
// A form (window) of the toolkit: the root of a tree of controls, with its own lifecycle.
//
// Lifecycle: created (not loaded) -> load() raises load once -> show() makes it visible, modal or
// modeless -> hide() keeps it loaded -> unload() asks queryUnload (which may refuse), raises
// unload (which may also refuse), stops its timers, drops the focus and leaves it hidden and not
// loaded; the controls and their contents stay, and a later load() raises load again.
//
// A modal show runs a nested message loop until the form is hidden or unloaded, and only then
// returns. While a modal form is up, the user can work only with it and with forms shown after it
// (the test driver refuses input to the others).
//
// Forms are owned by whoever creates them (often a class that derives from Form); a form
// registers with its toolkit while it exists. Destroying a form inside its own modal loop ends
// that loop.
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/ui/control.h"

namespace platform::ui {

enum class ShowMode { Modeless, Modal };
enum class UnloadMode { CloseBox = 0, Code = 1 };  // who asked for the close
enum class WindowState { Normal, Minimized, Maximized };

class CommandButton;

// Where a control of a form goes, in twips.
struct Placement {
  const char* control;
  int left, top, width, height;
};

class Form : public Control {
 public:
  static constexpr ControlKind Kind = ControlKind::Form;
  Form(Toolkit& toolkit, std::string name);
  ~Form() override;

  Toolkit& toolkit() const { return toolkit_; }

  // Adds a control to `container` (this form when null). Controls with the same name and an
  // index >= 0 form a control array.
  template <class T>
  T& add(std::string name, Control* container = nullptr, int index = -1) {
    static_assert(std::is_base_of_v<Control, T>);
    Control* parent = container ? container : this;
    auto control = std::make_unique<T>(this, parent, std::move(name), index);
    T& ref = *control;
    adopt(parent, std::move(control));
    return ref;
  }
  // A control of this form by name, of the expected type (nullptr when missing or of another kind).
  template <class T>
  T* get(std::string_view name, int index = -1) const {
    Control* c = find(name, index);
    return c && c->kind() == T::Kind ? static_cast<T*>(c) : nullptr;
  }

  // Moves each named control to its place; names the form does not have are passed over.
  void place(std::span<const Placement> layout);

  bool loaded() const { return loaded_; }
  bool load();  // raises load the first time after construction or unload; false if refused
  // Loads if needed, then shows. A modal show returns when the form is hidden again; true if
  // the form was shown. `owner` is recorded for a renderer.
  bool show(ShowMode mode = ShowMode::Modeless, Form* owner = nullptr);
  void hide();
  void setVisible(bool on) override;                // true shows modeless, false hides
  bool unload(UnloadMode mode = UnloadMode::Code);  // false if queryUnload or unload refused
  bool modal() const { return modal_; }
  Form* owner() const { return owner_; }

  WindowState windowState() const { return windowState_; }
  void setWindowState(WindowState state);
  bool bringToFront();  // makes it the active form; false when not visible

  Control* activeControl() const { return activeControl_; }
  // Moves the focus to the next (or previous) control that can take it, in tab order.
  bool focusNext(bool backwards = false);
  CommandButton* defaultButton() const;
  CommandButton* cancelButton() const;

  std::function<void()> onLoad;
  std::function<void(bool& cancel, UnloadMode mode)> onQueryUnload;
  std::function<void(bool& cancel)> onUnload;
  std::function<void()> onActivate;

 private:
  friend class Control;
  friend class Toolkit;
  void adopt(Control* parent, std::unique_ptr<Control> control);
  void moveFocus(Control* to);
  void stopTimers(Control& c);

  Toolkit& toolkit_;
  bool loaded_ = false;
  bool modal_ = false;
  Form* owner_ = nullptr;
  WindowState windowState_ = WindowState::Normal;
  Control* activeControl_ = nullptr;
  unsigned focusSerial_ = 0;
  int nextTabIndex_ = 0;
  unsigned shownSerial_ = 0;
  bool* alive_ = nullptr;  // set while a modal show runs; cleared by the destructor
};

}  // namespace platform::ui
