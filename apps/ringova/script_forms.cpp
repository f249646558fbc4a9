// The scripted mode's commands on windows: the add-in's forms, message boxes and questions.
#include <cstdint>

#include "apps/common/line_words.h"
#include "apps/ringova/script_runner.h"
#include "platform/outlook/text_util.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "platform/ui/form_dump.h"
#include "platform/ui/keys.h"
#include "platform/ui/toolkit.h"
#include "platform/ui/ui_driver.h"

namespace ringova::host {

namespace ui = platform::ui;
namespace shell = platform::shell;
using platform::outlook::EqualsIgnoreCase;
using telvane::apps::JsonLine;

namespace {

bool parseCount(std::string_view text, int& out) {
  long long n = 0;
  if (!telvane::apps::parseInteger(text, 0, INT32_MAX, n)) return false;
  out = static_cast<int>(n);
  return true;
}

struct KeyName {
  std::string_view name;
  int code;
};
constexpr KeyName kKeys[] = {
    {"Enter", ui::key::Return},   {"Return", ui::key::Return}, {"Escape", ui::key::Escape},
    {"Esc", ui::key::Escape},     {"Tab", ui::key::Tab},       {"Back", ui::key::Back},
    {"Backspace", ui::key::Back}, {"Delete", ui::key::Delete}, {"Space", ui::key::Space},
    {"Left", ui::key::Left},      {"Right", ui::key::Right},   {"Up", ui::key::Up},
    {"Down", ui::key::Down},      {"Home", ui::key::Home},     {"End", ui::key::End},
};

// "Shift+Tab", "Ctrl+A", "Down", "x": a key code and its shift flags; false for a name we do not
// know.
bool parseKey(std::string_view name, ui::KeyStroke& out) {
  out = {};
  for (;;) {
    const std::size_t plus = name.find('+');
    if (plus == std::string_view::npos || plus + 1 == name.size()) break;
    const std::string_view mod = name.substr(0, plus);
    if (EqualsIgnoreCase(mod, "Shift")) {
      out.shift |= ui::ShiftMask;
    } else if (EqualsIgnoreCase(mod, "Ctrl")) {
      out.shift |= ui::CtrlMask;
    } else if (EqualsIgnoreCase(mod, "Alt")) {
      out.shift |= ui::AltMask;
    } else {
      return false;
    }
    name.remove_prefix(plus + 1);
  }
  for (const KeyName& k : kKeys) {
    if (EqualsIgnoreCase(name, k.name)) {
      out.keyCode = k.code;
      return true;
    }
  }
  if (name.size() == 1) {
    const ui::KeyStroke typed = ui::keyForChar(name[0]);
    out.keyCode = typed.keyCode;
    out.shift |= typed.shift;
    return true;
  }
  return false;
}

// "cmdDial" or "cmdDial(2)" (a member of a control array).
ui::Control* findControl(const ui::Form& form, std::string_view ref) {
  int index = -1;
  if (const std::size_t open = ref.find('('); open != std::string_view::npos && ref.back() == ')') {
    if (!parseCount(ref.substr(open + 1, ref.size() - open - 2), index)) return nullptr;
    ref = ref.substr(0, open);
  }
  return form.find(ref, index);
}

// The button a user means by `answer`: its caption (without "&"), or ok / yes for the default
// button and cancel / no for the cancel button.
ui::CommandButton* buttonFor(const ui::Form& form, std::string_view answer) {
  ui::CommandButton* found = nullptr;
  std::function<void(const ui::Control&)> walk = [&](const ui::Control& c) {
    if (found) return;
    if (c.kind() == ui::ControlKind::CommandButton && c.effectivelyVisible() &&
        EqualsIgnoreCase(WithoutAccelerator(c.caption()), answer)) {
      found = const_cast<ui::CommandButton*>(static_cast<const ui::CommandButton*>(&c));
    }
    for (const auto& child : c.children()) walk(*child);
  };
  walk(form);
  if (found) return found;
  if (EqualsIgnoreCase(answer, "ok") || EqualsIgnoreCase(answer, "yes"))
    return form.defaultButton();
  if (EqualsIgnoreCase(answer, "cancel") || EqualsIgnoreCase(answer, "no")) {
    return form.cancelButton();
  }
  return nullptr;
}

bool isQuestion(const ui::Form& form) {
  return form.name() == "MsgBox" || form.name() == "fNote";
}

}  // namespace

ui::Form* ScriptRunner::findForm(std::string_view ref, std::string& why) const {
  int n = 1;
  if (const std::size_t hash = ref.rfind('#'); hash != std::string_view::npos) {
    if (!parseCount(ref.substr(hash + 1), n) || n < 1) {
      why = "bad form number in " + std::string(ref);
      return nullptr;
    }
    ref = ref.substr(0, hash);
  }
  const std::vector<ui::Form*> forms = visibleForms(ref);
  if (static_cast<int>(forms.size()) >= n) return forms[static_cast<std::size_t>(n - 1)];
  why = forms.empty() ? "no visible form " + std::string(ref)
                      : "only " + std::to_string(forms.size()) + " visible " + std::string(ref);
  return nullptr;
}

bool ScriptRunner::driverOk(std::size_t failuresBefore) {
  const auto& failures = t_.driver.failures();
  if (failures.size() == failuresBefore) return true;
  error(failures.back());
  return false;
}

void ScriptRunner::formCommand(const Words& w) {
  if (w.size() < 4) return error("form needs FORM CONTROL ACTION [ARG]");
  std::string why;
  ui::Form* form = findForm(w[1], why);
  if (!form) return error(why);
  ui::Control* control = findControl(*form, w[2]);
  if (!control) return error("no control " + w[2] + " on " + form->name());
  const std::string& action = w[3];
  const bool hasArg = w.size() == 5;
  if (w.size() > (action == "tick" ? 6u : 5u)) return error("form: too many words");
  const std::size_t before = t_.driver.failures().size();
  int n = 0;
  if (action == "click" && !hasArg) {
    t_.driver.click(*control);
  } else if (action == "type" && hasArg) {
    if (t_.driver.focus(*control)) t_.driver.type(w[4]);
  } else if (action == "set" && hasArg) {
    if (control->kind() == ui::ControlKind::CheckBox) {
      if (!parseCount(w[4], n) || n > 2) return error("set: a check box takes 0, 1 or 2");
      static_cast<ui::CheckBox*>(control)->setValue(n);
    } else if (control->kind() == ui::ControlKind::OptionButton) {
      static_cast<ui::OptionButton*>(control)->setValue(w[4] != "0" && w[4] != "off");
    } else {
      control->setText(w[4]);
    }
  } else if (action == "pick" && hasArg) {
    if (!parseCount(w[4], n)) return error("pick needs an entry number");
    switch (control->kind()) {
      case ui::ControlKind::ComboBox:
        t_.driver.pick(*static_cast<ui::ComboBox*>(control), n);
        break;
      case ui::ControlKind::ListBox:
        t_.driver.pick(*static_cast<ui::ListBox*>(control), n);
        break;
      case ui::ControlKind::ListView:
        t_.driver.clickRow(*static_cast<ui::ListView*>(control), n);
        break;
      default:
        return error(w[2] + " has no entries to pick");
    }
  } else if (action == "tick" && w.size() == 6 && (w[5] == "on" || w[5] == "off")) {
    if (!parseCount(w[4], n)) return error("tick needs an entry number");
    if (control->kind() != ui::ControlKind::ListBox) return error(w[2] + " is no list box");
    t_.driver.tick(*static_cast<ui::ListBox*>(control), n, w[5] == "on");
  } else if (action == "key" && hasArg) {
    ui::KeyStroke stroke;
    if (!parseKey(w[4], stroke)) return error("unknown key " + w[4]);
    if (t_.driver.focus(*control)) t_.driver.press(stroke.keyCode, stroke.shift);
  } else {
    return error("form: unknown action " + action);
  }
  driverOk(before);
}

void ScriptRunner::closeCommand(const Words& w) {
  if (w.size() != 2) return error("close needs FORM");
  std::string why;
  ui::Form* form = findForm(w[1], why);
  if (!form) return error(why);
  t_.driver.closeBox(*form);
}

void ScriptRunner::dumpCommand(const Words& w) {
  if (w.size() != 2) return error("dump needs FORM");
  std::string why;
  const ui::Form* form = findForm(w[1], why);
  if (!form && w[1].find('#') == std::string::npos) form = t_.toolkit.findForm(w[1]);
  if (!form) return error(why);
  emit(JsonLine().text("dump", ui::dumpForm(*form)));
}

void ScriptRunner::answerCommand(const Words& w) {
  if (w.size() != 2) return error("answer needs a button");
  ui::Form* top = t_.toolkit.topModal();
  if (top && top->visible() && isQuestion(*top)) {
    answerOpenBox(w[1]);
    return;
  }
  answers_.push_back(w[1]);
}

bool ScriptRunner::answerOpenBox(const std::string& answer) {
  ui::Form* top = t_.toolkit.topModal();
  if (!top) return false;
  ui::CommandButton* button = buttonFor(*top, answer);
  if (!button) {
    error("no button " + answer + " on " + top->name());
    return false;
  }
  const std::size_t before = t_.driver.failures().size();
  t_.driver.click(*button);
  return driverOk(before);
}

bool ScriptRunner::modalIdle(ui::Form& form) {
  if (quitting_) {
    form.hide();
    return true;
  }
  if (answers_.empty() || !isQuestion(form)) return false;
  const std::string answer = std::move(answers_.front());
  answers_.pop_front();
  answerOpenBox(answer);
  return true;
}

std::optional<shell::MsgBoxResult> ScriptRunner::takeAnswer(const shell::MessageBoxRequest& r) {
  if (answers_.empty()) return std::nullopt;
  const std::string answer = std::move(answers_.front());
  answers_.pop_front();
  for (int i = 0; i < shell::buttonCount(r.buttons); ++i) {
    const shell::MsgBoxResult result = shell::buttonResult(r.buttons, i);
    if (EqualsIgnoreCase(answer, shell::buttonText(result))) return result;
  }
  error("no button " + answer + " on the message box");
  return shell::closeResult(r.buttons);
}

void ScriptRunner::messageBoxDone(const shell::MessageBoxRequest& r, shell::MsgBoxResult result) {
  emit(JsonLine()
           .text("msgbox", r.text)
           .text("title", r.title)
           .text("answer", shell::buttonText(result)));
}

}  // namespace ringova::host
