#include "platform/ui/form_dump.h"

#include <string>
#include <string_view>

#include "platform/ui/controls.h"
#include "platform/ui/form.h"

namespace platform::ui {
namespace {

void quoted(std::string& out, std::string_view s) {
  out += '"';
  for (char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else {
      out += c;
    }
  }
  out += '"';
}

// Numbers go straight into `out`: chains like "(" + std::to_string(n) + ")" build a temporary
// each, and GCC 12 at -O2 reports a spurious -Wrestrict inside them.
void number(std::string& out, std::string_view label, long long value) {
  out += label;
  out += std::to_string(value);
}

void entries(std::string& out, const ListEntries& list, int indent, bool ticks) {
  for (int i = 0; i < list.count(); ++i) {
    out.append(indent, ' ');
    number(out, "[", i);
    out += "] ";
    quoted(out, list.itemText(i));
    if (list.itemData(i) != 0) number(out, " data=", list.itemData(i));
    if (ticks && list.entries()[i].checked) out += " checked";
    out += '\n';
  }
}

void dumpTree(std::string& out, const Control& c, int indent) {
  out.append(indent, ' ');
  out += dumpControl(c);
  out += '\n';
  int inner = indent + 2;
  switch (c.kind()) {
    case ControlKind::ComboBox:
      entries(out, static_cast<const ComboBox&>(c), inner, false);
      break;
    case ControlKind::ListBox: {
      const auto& list = static_cast<const ListBox&>(c);
      entries(out, list, inner, list.checkBoxes());
      break;
    }
    case ControlKind::ListView: {
      const auto& view = static_cast<const ListView&>(c);
      if (!view.columns().empty()) {
        out.append(inner, ' ');
        out += "columns:";
        for (const auto& col : view.columns()) {
          out += ' ';
          quoted(out, col.heading);
          number(out, "(", col.width);
          out += ')';
        }
        out += '\n';
      }
      for (int r = 0; r < view.rowCount(); ++r) {
        out.append(inner, ' ');
        number(out, r == view.selectedRow() ? "*[" : "[", r);
        out += ']';
        std::size_t cells = std::max(view.rows()[r].size(), view.columns().size());
        for (std::size_t k = 0; k < cells; ++k) {
          out += k ? " | " : " ";
          quoted(out, view.cell(r, static_cast<int>(k)));
        }
        out += '\n';
      }
      break;
    }
    default:
      break;
  }
  for (const auto& child : c.children()) dumpTree(out, *child, inner);
}

}  // namespace

std::string dumpControl(const Control& c) {
  std::string out = controlKindName(c.kind());
  out += ' ';
  out += c.name();
  if (c.index() >= 0) {
    number(out, "(", c.index());
    out += ')';
  }
  if (c.kind() != ControlKind::Timer && c.kind() != ControlKind::ProgressBar) {
    out += ' ';
    quoted(out, c.text());
  }
  if (c.kind() == ControlKind::Form) {
    const auto& f = static_cast<const Form&>(c);
    out += !f.loaded()    ? " unloaded"
           : !f.visible() ? " hidden"
           : f.modal()    ? " modal"
                          : " modeless";
    number(out, " ", f.left());
    number(out, ",", f.top());
    number(out, " ", f.width());
    number(out, "x", f.height());
    if (f.windowState() == WindowState::Minimized) out += " minimized";
    if (f.windowState() == WindowState::Maximized) out += " maximized";
  } else if (!c.visible()) {
    out += " hidden";
  }
  if (!c.enabled()) out += " disabled";
  if (c.hasFocus()) out += " focus";
  if (c.mousePointer() == MousePointer::Hourglass) out += " pointer=hourglass";
  if (c.mousePointer() == MousePointer::Arrow) out += " pointer=arrow";
  switch (c.kind()) {
    case ControlKind::TextBox:
    case ControlKind::ComboBox: {
      const auto& t = static_cast<const TextBox&>(c);
      if (t.locked()) out += " locked";
      if (t.hasFocus() || t.selLength() > 0) {
        number(out, " sel=", t.selStart());
        number(out, "+", t.selLength());
      }
      if (c.kind() == ControlKind::ComboBox) {
        const auto& combo = static_cast<const ComboBox&>(c);
        if (combo.style() == ComboStyle::DropDownList) out += " list";
        number(out, " items=", combo.count());
        number(out, " index=", combo.listIndex());
        if (combo.droppedDown()) out += " dropped";
      }
      break;
    }
    case ControlKind::CheckBox:
      number(out, " value=", static_cast<const CheckBox&>(c).value());
      break;
    case ControlKind::OptionButton:
      if (static_cast<const OptionButton&>(c).value()) out += " on";
      break;
    case ControlKind::CommandButton: {
      const auto& b = static_cast<const CommandButton&>(c);
      if (b.isDefault()) out += " default";
      if (b.isCancel()) out += " cancel";
      break;
    }
    case ControlKind::ListBox: {
      const auto& l = static_cast<const ListBox&>(c);
      number(out, " items=", l.count());
      number(out, " index=", l.listIndex());
      break;
    }
    case ControlKind::ListView: {
      const auto& v = static_cast<const ListView&>(c);
      number(out, " rows=", v.rowCount());
      number(out, " selected=", v.selectedRow());
      break;
    }
    case ControlKind::ProgressBar: {
      const auto& p = static_cast<const ProgressBar&>(c);
      number(out, " value=", p.value());
      number(out, " range=", p.min());
      number(out, "..", p.max());
      break;
    }
    case ControlKind::Timer: {
      const auto& t = static_cast<const TimerControl&>(c);
      number(out, " interval=", t.interval());
      out += t.timerEnabled() ? " running" : " stopped";
      break;
    }
    default:
      break;
  }
  return out;
}

std::string dumpForm(const Form& form) {
  std::string out;
  dumpTree(out, form, 0);
  return out;
}

}  // namespace platform::ui
