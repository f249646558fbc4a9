#pragma once
// The controls the add-in's forms use. Create them through Form::add<T>(name, ...).
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/control.h"
#include "platform/ui/timer.h"

namespace platform::ui {

class Label final : public Control {
 public:
  static constexpr ControlKind Kind = ControlKind::Label;
  Label(Form* form, Control* parent, std::string name, int index);
};

class Frame final : public Control {
 public:
  static constexpr ControlKind Kind = ControlKind::Frame;
  Frame(Form* form, Control* parent, std::string name, int index);
};

// Text with a selection. setText() puts the caret at the start with nothing selected and raises
// change when the text differs.
class TextBox : public Control {
 public:
  static constexpr ControlKind Kind = ControlKind::TextBox;
  TextBox(Form* form, Control* parent, std::string name, int index);

  void setText(std::string_view text) override;
  bool locked() const { return locked_; }
  void setLocked(bool on) { locked_ = on; }  // read-only for the user; code may still set text
  int maxLength() const { return maxLength_; }
  void setMaxLength(int n) { maxLength_ = n; }  // 0 = no limit (applies to typing)
  // Shown in place of each character (a password field); 0 shows the text.
  char passwordChar() const { return passwordChar_; }
  void setPasswordChar(char c) {
    if (passwordChar_ == c) return;
    passwordChar_ = c;
    changed();
  }

  int selStart() const { return selStart_; }
  int selLength() const { return selLength_; }
  void setSelStart(int start);    // clamped to the text; clears the selection length
  void setSelLength(int length);  // clamped to the rest of the text
  std::string selText() const;
  void setSelText(std::string_view replacement);  // replaces the selection, caret after it

 protected:
  TextBox(ControlKind kind, Form* form, Control* parent, std::string name, int index);

 private:
  bool locked_ = false;
  int maxLength_ = 0;
  char passwordChar_ = 0;
  int selStart_ = 0;
  int selLength_ = 0;
};

// Value 0 unchecked, 1 checked, 2 grayed. Changing the value raises click.
class CheckBox final : public Control {
 public:
  static constexpr ControlKind Kind = ControlKind::CheckBox;
  CheckBox(Form* form, Control* parent, std::string name, int index);
  int value() const { return value_; }
  void setValue(int value);
  bool checked() const { return value_ == 1; }

 private:
  int value_ = 0;
};

// Option buttons with the same container form one group: setting one clears the others. Setting
// a value to true raises click on that button when it was false.
class OptionButton final : public Control {
 public:
  static constexpr ControlKind Kind = ControlKind::OptionButton;
  OptionButton(Form* form, Control* parent, std::string name, int index);
  bool value() const { return value_; }
  void setValue(bool on);

 private:
  bool value_ = false;
};

// A default button is clicked by Enter, a cancel button by Escape (see the test driver).
class CommandButton final : public Control {
 public:
  static constexpr ControlKind Kind = ControlKind::CommandButton;
  CommandButton(Form* form, Control* parent, std::string name, int index);
  bool isDefault() const { return default_; }
  void setDefault(bool on) { default_ = on; }
  bool isCancel() const { return cancel_; }
  void setCancel(bool on) { cancel_ = on; }

 private:
  bool default_ = false;
  bool cancel_ = false;
};

// Entries with a 32-bit item data each, shared by combo and list boxes.
struct ListEntry {
  std::string text;
  int32_t itemData = 0;
  bool checked = false;  // list boxes with check boxes
};

class ListEntries {
 public:
  int count() const { return static_cast<int>(entries_.size()); }
  const std::string& itemText(int i) const { return entries_.at(i).text; }
  int32_t itemData(int i) const { return entries_.at(i).itemData; }
  const std::vector<ListEntry>& entries() const { return entries_; }
  // Index of the first entry with that item data (or text, exact), -1 when none.
  int findItemData(int32_t data) const;
  int findText(std::string_view text) const;

 protected:
  std::vector<ListEntry> entries_;
};

enum class ComboStyle { DropDownCombo, DropDownList };

// Editable (DropDownCombo) or list-only (DropDownList). Selecting an entry (setListIndex, by code
// or user) sets the text to the entry and raises click; typing or setText() raises change in the
// editable style. In the list style setText() selects the entry with that text and is refused
// (false) when there is none ("" clears the selection).
class ComboBox final : public TextBox, public ListEntries {
 public:
  static constexpr ControlKind Kind = ControlKind::ComboBox;
  ComboBox(Form* form, Control* parent, std::string name, int index);

  ComboStyle style() const { return style_; }
  void setStyle(ComboStyle style) { style_ = style; }
  bool trySetText(std::string_view text);
  void setText(std::string_view text) override { trySetText(text); }

  int addItem(std::string_view text, int32_t itemData = 0, int at = -1);  // returns its index
  bool removeItem(int i);
  void clear();  // entries, selection and (editable style) text; no event
  bool setItemData(int i, int32_t data);
  bool setItemText(int i, std::string_view text);
  int listIndex() const { return listIndex_; }
  bool setListIndex(int i);                   // -1 clears the selection
  int newIndex() const { return newIndex_; }  // index of the entry added last

  bool droppedDown() const { return droppedDown_; }
  void setDroppedDown(bool on);

 private:
  ComboStyle style_ = ComboStyle::DropDownCombo;
  int listIndex_ = -1;
  int newIndex_ = -1;
  bool droppedDown_ = false;
};

// A list of entries with one selection; with check boxes each entry can also be ticked (a change
// of a tick raises itemCheck with the entry's index).
class ListBox final : public Control, public ListEntries {
 public:
  static constexpr ControlKind Kind = ControlKind::ListBox;
  ListBox(Form* form, Control* parent, std::string name, int index);

  bool checkBoxes() const { return checkBoxes_; }
  void setCheckBoxes(bool on) { checkBoxes_ = on; }
  // A drop-down list (a type-ahead's matches) is drawn over the window's other controls and
  // beyond its container's edges. Set before the form is first drawn.
  bool dropDown() const { return dropDown_; }
  void setDropDown(bool on) { dropDown_ = on; }

  int addItem(std::string_view text, int32_t itemData = 0, int at = -1);
  bool removeItem(int i);
  void clear();  // no event
  bool setItemData(int i, int32_t data);
  bool setItemText(int i, std::string_view text);
  int listIndex() const { return listIndex_; }
  bool setListIndex(int i);  // raises click when it changes; -1 clears
  int newIndex() const { return newIndex_; }
  bool checked(int i) const { return entries_.at(i).checked; }
  bool setChecked(int i, bool on);

  std::function<void(int)> onItemCheck;

 private:
  bool checkBoxes_ = false;
  bool dropDown_ = false;
  int listIndex_ = -1;
  int newIndex_ = -1;
};

struct ListViewColumn {
  std::string key;
  std::string heading;
  int width = 0;  // twips
};

// A report-style list: columns, rows of texts (column 0 is the row's text, the others its
// sub-items), one selected row. Rows are 0-based here.
class ListView final : public Control {
 public:
  static constexpr ControlKind Kind = ControlKind::ListView;
  ListView(Form* form, Control* parent, std::string name, int index);

  bool fullRowSelect() const { return fullRowSelect_; }
  void setFullRowSelect(bool on) { fullRowSelect_ = on; }

  void addColumn(std::string key, std::string heading, int width);
  void clearColumns();
  const std::vector<ListViewColumn>& columns() const { return columns_; }

  int rowCount() const { return static_cast<int>(rows_.size()); }
  int addRow(std::string_view text, int at = -1);  // returns its index
  bool removeRow(int row);
  void clearRows();
  // Column 0 is the row's text; missing sub-items read as "".
  std::string cell(int row, int column) const;
  bool setCell(int row, int column, std::string_view text);
  const std::vector<std::vector<std::string>>& rows() const { return rows_; }

  int selectedRow() const { return selected_; }
  bool setSelectedRow(int row);  // -1 = none; no event

  std::function<void(int)> onItemClick;  // the user clicked a row

 private:
  bool fullRowSelect_ = false;
  std::vector<ListViewColumn> columns_;
  std::vector<std::vector<std::string>> rows_;
  int selected_ = -1;
};

class ProgressBar final : public Control {
 public:
  static constexpr ControlKind Kind = ControlKind::ProgressBar;
  ProgressBar(Form* form, Control* parent, std::string name, int index);
  int min() const { return min_; }
  int max() const { return max_; }
  int value() const { return value_; }
  void setRange(int min, int max);  // the value is clamped into it
  bool setValue(int value);         // refused (false) outside the range

 private:
  int min_ = 0, max_ = 100, value_ = 0;
};

// A timer placed on a form; invisible, ticks through the form's message loop. The form stops it
// when it unloads.
class TimerControl final : public Control {
 public:
  static constexpr ControlKind Kind = ControlKind::Timer;
  TimerControl(Form* form, Control* parent, std::string name, int index);
  int interval() const { return timer_.interval(); }
  void setInterval(int milliseconds);
  bool timerEnabled() const { return timer_.enabled(); }
  void setTimerEnabled(bool on);
  std::function<void()>& onTimer() { return timer_.onTimer; }

 private:
  Timer timer_;
};

}  // namespace platform::ui
