#include "platform/ui/ui_driver.h"

#include <algorithm>
#include <cctype>

namespace platform::ui {
namespace {

bool isTextEditable(const Control& c) {
  if (c.kind() == ControlKind::TextBox) return !static_cast<const TextBox&>(c).locked();
  if (c.kind() == ControlKind::ComboBox) {
    const auto& combo = static_cast<const ComboBox&>(c);
    return combo.style() == ComboStyle::DropDownCombo && !combo.locked();
  }
  return false;
}

// What a click on the control does after the mouse went down and up.
void clickAction(Control& c) {
  switch (c.kind()) {
    case ControlKind::CheckBox: {
      auto& box = static_cast<CheckBox&>(c);
      box.setValue(box.value() == 1 ? 0 : 1);
      break;
    }
    case ControlKind::OptionButton: {
      auto& option = static_cast<OptionButton&>(c);
      if (option.value())
        option.raiseClick();
      else
        option.setValue(true);
      break;
    }
    case ControlKind::ComboBox:
    case ControlKind::ListBox:
    case ControlKind::ListView:
      break;  // entries are picked with pick() / clickRow()
    default:
      c.raiseClick();
  }
}

}  // namespace

UiDriver::UiDriver(Toolkit& toolkit, bool answerModals)
    : toolkit_(toolkit), answerModals_(answerModals) {
  if (answerModals_) toolkit_.setModalHandler([this](Form& form) { return onModal(form); });
}

UiDriver::~UiDriver() {
  if (answerModals_) toolkit_.setModalHandler(nullptr);
}

bool UiDriver::fail(std::string message) {
  failures_.push_back(std::move(message));
  return false;
}

Control* UiDriver::focused() const {
  Form* f = toolkit_.activeForm();
  return f ? f->activeControl() : nullptr;
}

bool UiDriver::reachable(const Control& c, std::string_view what) {
  const Form& f = c.form();
  std::string who = f.name() + "." + c.name();
  if (!toolkit_.acceptsInput(f))
    return fail(std::string(what) + ": form " + f.name() + " does not accept input");
  if (!c.effectivelyVisible()) return fail(std::string(what) + ": " + who + " is not visible");
  if (!c.effectivelyEnabled()) return fail(std::string(what) + ": " + who + " is disabled");
  return true;
}

bool UiDriver::focus(Control& c) {
  if (!reachable(c, "focus")) return false;
  if (c.focusable()) c.setFocus();
  MouseEvent m;
  c.raiseMouseDown(m);
  c.raiseMouseUp(m);
  return true;
}

bool UiDriver::click(Control& c) {
  if (!reachable(c, "click")) return false;
  if (c.focusable()) {
    c.setFocus();
    if (!c.effectivelyVisible() || !c.effectivelyEnabled()) return true;  // a handler took it away
  }
  MouseEvent m;
  c.raiseMouseDown(m);
  c.raiseMouseUp(m);
  clickAction(c);
  return true;
}

bool UiDriver::click(std::string_view formName, std::string_view controlName, int index) {
  Form* f = toolkit_.findForm(formName);
  if (!f) return fail("click: no form " + std::string(formName));
  Control* c = f->name() == controlName ? f : f->find(controlName, index);
  if (!c)
    return fail("click: no control " + std::string(formName) + "." + std::string(controlName));
  return click(*c);
}

bool UiDriver::doubleClick(Control& c) {
  if (!click(c)) return false;
  c.raiseDblClick();
  return true;
}

bool UiDriver::pick(ComboBox& combo, int entry) {
  if (!reachable(combo, "pick")) return false;
  if (entry < 0 || entry >= combo.count())
    return fail("pick: " + combo.name() + " has no entry " + std::to_string(entry));
  combo.setFocus();
  combo.setDroppedDown(true);
  combo.setDroppedDown(false);
  if (combo.listIndex() == entry)
    combo.raiseClick();  // picking the selected entry again is still a click
  else
    combo.setListIndex(entry);
  return true;
}

bool UiDriver::pick(ListBox& list, int entry) {
  if (!reachable(list, "pick")) return false;
  if (entry < 0 || entry >= list.count())
    return fail("pick: " + list.name() + " has no entry " + std::to_string(entry));
  list.setFocus();
  MouseEvent m;
  list.raiseMouseDown(m);
  // A list selects on the button press, so the click arrives while the button is down.
  if (list.listIndex() == entry)
    list.raiseClick();
  else
    list.setListIndex(entry);
  list.raiseMouseUp(m);
  return true;
}

bool UiDriver::tick(ListBox& list, int entry, bool on) {
  if (!reachable(list, "tick")) return false;
  if (!list.checkBoxes()) return fail("tick: " + list.name() + " has no check boxes");
  if (entry < 0 || entry >= list.count())
    return fail("tick: " + list.name() + " has no entry " + std::to_string(entry));
  list.setFocus();
  if (list.listIndex() != entry) list.setListIndex(entry);
  list.setChecked(entry, on);
  return true;
}

bool UiDriver::clickRow(ListView& view, int row) {
  if (!reachable(view, "clickRow")) return false;
  if (row < 0 || row >= view.rowCount())
    return fail("clickRow: " + view.name() + " has no row " + std::to_string(row));
  view.setFocus();
  MouseEvent m;
  view.raiseMouseDown(m);
  view.setSelectedRow(row);
  view.raiseMouseUp(m);
  if (view.onItemClick) {
    auto handler = view.onItemClick;
    handler(row);
  }
  view.raiseClick();
  return true;
}

bool UiDriver::closeBox(Form& form) {
  if (!toolkit_.acceptsInput(form))
    return fail("closeBox: form " + form.name() + " does not accept input");
  return form.unload(UnloadMode::CloseBox);
}

void UiDriver::editBackspace(TextBox& box, bool forward) {
  if (box.selLength() == 0) {
    int start = box.selStart();
    if (forward) {
      if (start >= static_cast<int>(box.text().size())) return;
      box.setSelLength(1);
    } else {
      if (start == 0) return;
      box.setSelStart(start - 1);
      box.setSelLength(1);
    }
  }
  box.setSelText("");
}

bool UiDriver::typeChar(Control& target, char c) {
  KeyStroke stroke = keyForChar(c);
  KeyEvent down{stroke.keyCode, stroke.shift};
  target.raiseKeyDown(down);
  if (down.keyCode != 0) {
    KeyPressEvent press{static_cast<unsigned char>(c)};
    target.raiseKeyPress(press);
    if (press.keyAscii != 0) {
      char typed = static_cast<char>(press.keyAscii);
      if (isTextEditable(target)) {
        auto& box = static_cast<TextBox&>(target);
        int limit = box.maxLength();
        if (limit == 0 || static_cast<int>(box.text().size()) - box.selLength() < limit)
          box.setSelText(std::string_view(&typed, 1));
      } else if (target.kind() == ControlKind::ComboBox) {
        // A list-only combo jumps to the next entry starting with the character.
        auto& combo = static_cast<ComboBox&>(target);
        int n = combo.count();
        for (int k = 1; k <= n; ++k) {
          int i = (combo.listIndex() + k + n) % n;
          const std::string& t = combo.itemText(i);
          if (!t.empty() && std::tolower(static_cast<unsigned char>(t[0])) ==
                                std::tolower(static_cast<unsigned char>(typed))) {
            combo.setListIndex(i);
            break;
          }
        }
      } else if (typed == ' ') {
        clickAction(target);
      }
    }
  }
  KeyEvent up{stroke.keyCode, stroke.shift};
  target.raiseKeyUp(up);
  return true;
}

bool UiDriver::type(std::string_view text) {
  for (char c : text) {
    if (c == '\t') {
      if (!press(key::Tab)) return false;
      continue;
    }
    if (c == '\n' || c == '\r') {
      if (!press(key::Return)) return false;
      continue;
    }
    Control* target = focused();
    if (!target) return fail("type: nothing has the focus");
    if (!reachable(*target, "type")) return false;
    typeChar(*target, c);
  }
  return true;
}

bool UiDriver::press(int keyCode, int shift) {
  Form* form = toolkit_.activeForm();
  if (!form) return fail("press: no active form");
  Control* target = form->activeControl();
  if (!target) target = form;
  if (!reachable(*target, "press")) return false;

  if (keyCode == key::Tab) {
    form->focusNext((shift & ShiftMask) != 0);
    return true;
  }
  KeyEvent down{keyCode, shift};
  target->raiseKeyDown(down);
  bool act = down.keyCode != 0;
  int ascii = keyCode == key::Return   ? 13
              : keyCode == key::Escape ? 27
              : keyCode == key::Back   ? 8
              : keyCode == key::Space  ? 32
                                       : 0;
  if (act && ascii != 0) {
    KeyPressEvent press{ascii};
    target->raiseKeyPress(press);
    act = press.keyAscii != 0;
  }
  if (act) {
    auto* box = (target->kind() == ControlKind::TextBox || target->kind() == ControlKind::ComboBox)
                    ? static_cast<TextBox*>(target)
                    : nullptr;
    switch (keyCode) {
      case key::Back:
      case key::Delete:
        if (box && isTextEditable(*target)) editBackspace(*box, keyCode == key::Delete);
        break;
      case key::Left:
      case key::Right:
      case key::Home:
      case key::End:
        if (box) {
          int len = static_cast<int>(box->text().size());
          int at = keyCode == key::Home   ? 0
                   : keyCode == key::End  ? len
                   : keyCode == key::Left ? box->selStart() - 1
                                          : box->selStart() + box->selLength() + 1;
          box->setSelStart(at);
        }
        break;
      case key::Up:
      case key::Down: {
        int step = keyCode == key::Up ? -1 : 1;
        if (target->kind() == ControlKind::ListBox) {
          auto& list = static_cast<ListBox&>(*target);
          int i = std::clamp(list.listIndex() + step, 0, list.count() - 1);
          if (list.count() > 0) list.setListIndex(i);
        } else if (target->kind() == ControlKind::ComboBox) {
          auto& combo = static_cast<ComboBox&>(*target);
          int i = std::clamp(combo.listIndex() + step, 0, combo.count() - 1);
          if (combo.count() > 0) combo.setListIndex(i);
        } else if (target->kind() == ControlKind::ListView) {
          auto& view = static_cast<ListView&>(*target);
          int i = std::clamp(view.selectedRow() + step, 0, view.rowCount() - 1);
          if (view.rowCount() > 0) view.setSelectedRow(i);
        }
        break;
      }
      case key::Return:
        if (target->kind() == ControlKind::CommandButton) {
          clickAction(*target);
        } else if (CommandButton* b = form->defaultButton(); b && b->canFocusNow()) {
          b->raiseClick();  // the focus stays where it is
        }
        break;
      case key::Escape:
        if (CommandButton* b = form->cancelButton(); b && b->canFocusNow()) b->raiseClick();
        break;
      case key::Space:
        if (box && isTextEditable(*target))
          box->setSelText(" ");
        else
          clickAction(*target);
        break;
      default:
        break;
    }
  }
  // The key comes up where the focus is now.
  Control* upTarget = toolkit_.activeForm() ? toolkit_.activeForm()->activeControl() : nullptr;
  if (upTarget) {
    KeyEvent up{keyCode, shift};
    upTarget->raiseKeyUp(up);
  }
  return true;
}

void UiDriver::expect(std::string formName, std::function<void(Form&)> answer) {
  script_.push_back(Answer{std::move(formName), std::move(answer)});
}

bool UiDriver::onModal(Form& form) {
  if (script_.empty() || script_.front().formName != form.name()) {
    fail(script_.empty() ? "no answer for modal form " + form.name()
                         : "modal form " + form.name() + " while the script expects " +
                               script_.front().formName);
    form.hide();  // ends its loop, so the test goes on
    return true;
  }
  Answer answer = std::move(script_.front());
  script_.pop_front();
  answer.action(form);
  return true;
}

}  // namespace platform::ui
