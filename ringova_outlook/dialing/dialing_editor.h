#pragma once
// The dialing rules editor: the rules as a five-column list, with Add, Edit, Delete, Up and Down,
// and a frame of five text boxes for the rule being added or edited. Every change is applied to
// the rule table at once (UpdateRules); the rules file is rewritten whenever the window closes
// (SaveRules), whichever way it is closed.
//
// Field checks while typing: a Pattern with "-", blank, "(", ")" or a double quote, a Discarded
// that is not a plain unsigned number (empty is allowed: it keeps the whole number), and a
// double quote in any other field, put the box back to its last valid text. Double quotes are
// refused because the rules file has no way to hold them.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/shell/shell.h"
#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "ringova_outlook/dialing/dial_rule.h"
#include "ringova_outlook/dialing/dialing_log.h"

namespace ringova {

// Whether text may stand in a rule field while typing (index 0..4 in DialRule order).
bool FieldTextAccepted(int field, std::string_view text);

class DialingEditor : public platform::ui::Form {
 public:
  enum class Mode : int16_t { Idle = 0, Adding = 1, Editing = 2 };

  struct Context {
    platform::ui::Toolkit& toolkit;
    platform::shell::Shell& shell;  // message boxes
    RuleTable& rules;               // rebuilt after every change
    LogSink log;
    std::function<std::string()> rulesFolder;  // folder of the rules file (the log folder)
    std::function<void(platform::ui::Form&)> applyFont;  // the user-interface font; may be empty
  };

  explicit DialingEditor(Context context);

  // Shows the editor modally, owned by `owner`; returns when it closes.
  void Open(platform::ui::Form* owner);

  // Rebuilds the rule table from the list; logs "UpdateRules: " + reason.
  void UpdateRules(std::string_view reason);
  // Writes the list to the rules file.
  void SaveRules();

  Mode mode() const { return mode_; }
  int selectedRow() const { return selected_; }

  platform::ui::ListView& lstDialing;
  platform::ui::Frame& frFields;
  std::array<platform::ui::TextBox*, kDialRuleFields> txtField;
  platform::ui::CommandButton& btnAdd;
  platform::ui::CommandButton& btnEdit;
  platform::ui::CommandButton& btnDelete;
  platform::ui::CommandButton& btnUp;
  platform::ui::CommandButton& btnDown;
  platform::ui::CommandButton& btnSave;
  platform::ui::CommandButton& btnEditCancel;
  platform::ui::CommandButton& btnCancel;

 private:
  void OnLoad();
  void OnAdd();
  void OnEdit();
  void OnSave();
  void OnDelete();
  void Move(int offset, const char* reason);
  void OnFieldChange(int field);
  void Select(int row);
  void SetFieldsActive(bool on);
  void ShowText(const std::string& text);
  std::string RulesPath() const;
  std::vector<DialRule> ListedRules() const;

  Context context_;
  Mode mode_ = Mode::Idle;
  int selected_ = -1;
  std::array<std::string, kDialRuleFields> last_valid_;
  std::string select_row_text_;
  std::string enter_pattern_text_;
};

}  // namespace ringova
