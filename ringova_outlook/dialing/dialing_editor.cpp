#include "ringova_outlook/dialing/dialing_editor.h"

#include <cctype>
#include <vector>

#include "ringova_outlook/dialing/rules_file.h"
#include "ringova_outlook/resources/string_table.h"

namespace ringova {
namespace {

using platform::ui::CommandButton;
using platform::ui::Frame;
using platform::ui::ListView;
using platform::ui::TextBox;

constexpr const char* kTitle = "Ringova";

struct ColumnSpec {
  const char* key;
  int heading;
  int width;  // twips
};
// "Discarded Symbols" is the longest heading in most languages.
constexpr ColumnSpec kColumns[kDialRuleFields] = {
    {"Pattern", 155, 2000}, {"Discarded Symbols", 156, 1800}, {"Prefix", 157, 1500},
    {"Suffix", 158, 1500},  {"Description", 159, 2500},
};

constexpr platform::ui::Placement kLayout[] = {
    {"lstDialing", 120, 120, 9540, 2640},     {"btnAdd", 120, 2880, 1100, 375},
    {"btnEdit", 1320, 2880, 1100, 375},       {"btnDelete", 2520, 2880, 1100, 375},
    {"btnUp", 3720, 2880, 1100, 375},         {"btnDown", 4920, 2880, 1100, 375},
    {"frFields", 120, 3360, 9540, 2040},      {"btnSave", 7020, 1440, 1100, 375},
    {"btnEditCancel", 8220, 1440, 1100, 375}, {"btnCancel", 8460, 5640, 1200, 375},
};

std::string Trim(std::string_view text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  size_t last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

bool IsDigit(char c) {
  return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// A plain decimal number: blanks around it, digits with at most one point, an optional
// exponent of digits. Signs and currency are refused by the caller's own check.
bool IsNumeric(std::string_view text) {
  std::string t = Trim(text);
  size_t i = 0, digits = 0;
  while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    size_t exponent = ++i;
    while (i < t.size() && IsDigit(t[i])) ++i;
    if (i == exponent) return false;
  }
  return i == t.size();
}

bool HasAny(std::string_view text, std::string_view chars) {
  return text.find_first_of(chars) != std::string_view::npos;
}

}  // namespace

bool FieldTextAccepted(int field, std::string_view text) {
  if (HasAny(text, "\"")) return false;
  switch (field) {
    case 0:
      return !HasAny(text, "- ()");
    case 1:
      return text.empty() || (IsNumeric(text) && !HasAny(text, "$+-"));
    default:
      return true;
  }
}

DialingEditor::DialingEditor(Context context)
    : Form(context.toolkit, "fDialing"),
      lstDialing(add<ListView>("lstDialing")),
      frFields(add<Frame>("frFields")),
      txtField{&add<TextBox>("txtField", &frFields, 0), &add<TextBox>("txtField", &frFields, 1),
               &add<TextBox>("txtField", &frFields, 2), &add<TextBox>("txtField", &frFields, 3),
               &add<TextBox>("txtField", &frFields, 4)},
      btnAdd(add<CommandButton>("btnAdd")),
      btnEdit(add<CommandButton>("btnEdit")),
      btnDelete(add<CommandButton>("btnDelete")),
      btnUp(add<CommandButton>("btnUp")),
      btnDown(add<CommandButton>("btnDown")),
      btnSave(add<CommandButton>("btnSave", &frFields)),
      btnEditCancel(add<CommandButton>("btnEditCancel", &frFields)),
      btnCancel(add<CommandButton>("btnCancel")),
      context_(std::move(context)) {
  move(0, 0, 9900, 6300);
  place(kLayout);
  lstDialing.setFullRowSelect(true);
  for (int i = 0; i < kDialRuleFields; ++i) {
    txtField[i]->move(120 + i * 1860, 600, 1740, 315);
    txtField[i]->setTabIndex(i);
    txtField[i]->onChange = [this, i] { OnFieldChange(i); };
  }
  btnCancel.setCancel(true);

  onLoad = [this] { OnLoad(); };
  onUnload = [this](bool&) { SaveRules(); };
  lstDialing.onItemClick = [this](int row) { selected_ = row; };
  btnAdd.onClick = [this] { OnAdd(); };
  btnEdit.onClick = [this] { OnEdit(); };
  btnSave.onClick = [this] { OnSave(); };
  btnEditCancel.onClick = [this] { SetFieldsActive(false); };
  btnDelete.onClick = [this] { OnDelete(); };
  btnUp.onClick = [this] { Move(-1, "Up - "); };
  btnDown.onClick = [this] { Move(+1, "Down - "); };
  btnCancel.onClick = [this] { unload(); };
}

void DialingEditor::Open(platform::ui::Form* owner) {
  show(platform::ui::ShowMode::Modal, owner);
}

void DialingEditor::OnLoad() {
  if (context_.applyFont) context_.applyFont(*this);
  setCaption(LoadResString(161));
  btnAdd.setCaption(LoadResString(162));
  btnCancel.setCaption(LoadResString(117));
  btnDelete.setCaption(LoadResString(164));
  btnEdit.setCaption(LoadResString(163));
  btnUp.setCaption(LoadResString(166));
  btnDown.setCaption(LoadResString(167));
  btnEditCancel.setCaption(LoadResString(146));
  btnSave.setCaption(LoadResString(165));
  select_row_text_ = LoadResString(176);
  enter_pattern_text_ = LoadResString(177);
  mode_ = Mode::Idle;

  lstDialing.clearColumns();
  for (const ColumnSpec& c : kColumns)
    lstDialing.addColumn(c.key, std::string(LoadResString(c.heading)), c.width);
  lstDialing.clearRows();
  for (const DialRule& rule : context_.rules.Rules()) {
    int row = lstDialing.addRow(rule.Pattern);
    for (int f = 1; f < kDialRuleFields; ++f) lstDialing.setCell(row, f, RuleField(rule, f));
  }
  Select(-1);
  SetFieldsActive(false);
}

void DialingEditor::Select(int row) {
  selected_ = row;
  lstDialing.setSelectedRow(row);
}

void DialingEditor::SetFieldsActive(bool on) {
  frFields.setEnabled(on);
  if (on) txtField[0]->setFocus();
}

void DialingEditor::ShowText(const std::string& text) {
  context_.shell.messageBox(text, kTitle);
}

void DialingEditor::OnAdd() {
  for (int f = 0; f < kDialRuleFields; ++f) {
    last_valid_[f].clear();
    txtField[f]->setText("");
  }
  mode_ = Mode::Adding;
  SetFieldsActive(true);
}

void DialingEditor::OnEdit() {
  if (selected_ < 0 || selected_ >= lstDialing.rowCount()) {
    ShowText(select_row_text_);
    return;
  }
  for (int f = 0; f < kDialRuleFields; ++f) {
    // The last valid text first, so the check accepts the row's own text.
    last_valid_[f] = lstDialing.cell(selected_, f);
    txtField[f]->setText(last_valid_[f]);
  }
  mode_ = Mode::Editing;
  SetFieldsActive(true);
}

void DialingEditor::OnSave() {
  if (mode_ == Mode::Idle) return;
  if (Trim(txtField[0]->text()).empty()) {
    ShowText(enter_pattern_text_);
    return;
  }
  int row = selected_;
  // An edited row that was deleted meanwhile comes back as a new row rather than being lost.
  bool adding = mode_ == Mode::Adding || row < 0 || row >= lstDialing.rowCount();
  if (adding) {
    row = lstDialing.addRow(txtField[0]->text());
  } else {
    lstDialing.setCell(row, 0, txtField[0]->text());
  }
  for (int f = 1; f < kDialRuleFields; ++f) lstDialing.setCell(row, f, Trim(txtField[f]->text()));
  Select(row);
  UpdateRules((mode_ == Mode::Adding ? "Add - " : "Edit - ") + lstDialing.cell(row, 0));
  SetFieldsActive(false);
}

void DialingEditor::OnDelete() {
  if (selected_ < 0 || selected_ >= lstDialing.rowCount()) {
    ShowText(select_row_text_);
    return;
  }
  std::string pattern = lstDialing.cell(selected_, 0);
  if (!lstDialing.removeRow(selected_)) context_.log("Delete_Click: cannot remove the row");
  Select(lstDialing.rowCount() > 0 ? 0 : -1);
  UpdateRules("Delete - " + pattern);
}

void DialingEditor::Move(int offset, const char* reason) {
  int from = selected_;
  int to = from + offset;
  if (from < 0 || from >= lstDialing.rowCount() || to < 0 || to >= lstDialing.rowCount()) return;
  for (int f = 0; f < kDialRuleFields; ++f) {
    std::string moving = lstDialing.cell(from, f);
    lstDialing.setCell(from, f, lstDialing.cell(to, f));
    lstDialing.setCell(to, f, moving);
  }
  Select(to);
  UpdateRules(reason + lstDialing.cell(to, 0));
}

void DialingEditor::OnFieldChange(int field) {
  TextBox& box = *txtField[field];
  if (FieldTextAccepted(field, box.text())) {
    last_valid_[field] = box.text();
  } else if (box.text() != last_valid_[field]) {
    box.setText(last_valid_[field]);  // raises change again, with an accepted text
    box.setSelStart(static_cast<int>(box.text().size()));
  }
}

std::vector<DialRule> DialingEditor::ListedRules() const {
  std::vector<DialRule> rules(static_cast<size_t>(lstDialing.rowCount()));
  for (int row = 0; row < lstDialing.rowCount(); ++row)
    for (int f = 0; f < kDialRuleFields; ++f)
      RuleField(rules[static_cast<size_t>(row)], f) = lstDialing.cell(row, f);
  return rules;
}

void DialingEditor::UpdateRules(std::string_view reason) {
  context_.log("UpdateRules: " + std::string(reason));
  if (!context_.rules.SetRules(ListedRules()))
    context_.log("UpdateRules: more than " + std::to_string(kMaxRuleCount) + " rules");
}

std::string DialingEditor::RulesPath() const {
  return (context_.rulesFolder ? context_.rulesFolder() : std::string()) + kRulesFileName;
}

void DialingEditor::SaveRules() {
  context_.log("SaveRules: Start");
  std::vector<DialRule> rules = ListedRules();
  std::string error;
  if (!WriteRulesFile(RulesPath(), rules, error)) context_.log("SaveRules: " + error);
}

}  // namespace ringova
