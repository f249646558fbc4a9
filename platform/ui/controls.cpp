#include "platform/ui/controls.h"

#include <algorithm>
#include <cctype>

#include "platform/ui/form.h"
#include "platform/ui/toolkit.h"

namespace platform::ui {
namespace {

bool sameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (std::tolower(x) != std::tolower(y)) return false;
  }
  return true;
}

int insertEntry(std::vector<ListEntry>& entries, std::string_view text, int32_t data, int at) {
  int n = static_cast<int>(entries.size());
  if (at < 0 || at > n) at = n;
  entries.insert(entries.begin() + at, ListEntry{std::string(text), data, false});
  return at;
}

}  // namespace

Label::Label(Form* form, Control* parent, std::string name, int index)
    : Control(Kind, form, parent, std::move(name), index) {}

Frame::Frame(Form* form, Control* parent, std::string name, int index)
    : Control(Kind, form, parent, std::move(name), index) {}

// --- TextBox ---

TextBox::TextBox(Form* form, Control* parent, std::string name, int index)
    : TextBox(Kind, form, parent, std::move(name), index) {}

TextBox::TextBox(ControlKind kind, Form* form, Control* parent, std::string name, int index)
    : Control(kind, form, parent, std::move(name), index) {}

void TextBox::setText(std::string_view text) {
  if (this->text() == text) return;
  setTextQuietly(text);
  selStart_ = 0;
  selLength_ = 0;
  raiseChange();
}

void TextBox::setSelStart(int start) {
  selStart_ = std::clamp(start, 0, static_cast<int>(text().size()));
  selLength_ = 0;
  changed();
}

void TextBox::setSelLength(int length) {
  selLength_ = std::clamp(length, 0, static_cast<int>(text().size()) - selStart_);
  changed();
}

std::string TextBox::selText() const {
  return text().substr(static_cast<std::size_t>(selStart_), static_cast<std::size_t>(selLength_));
}

void TextBox::setSelText(std::string_view replacement) {
  std::string t = text();
  t.replace(static_cast<std::size_t>(selStart_), static_cast<std::size_t>(selLength_), replacement);
  int caret = selStart_ + static_cast<int>(replacement.size());
  bool differs = t != text();
  setTextQuietly(t);
  selStart_ = caret;
  selLength_ = 0;
  changed();
  if (differs) raiseChange();
}

// --- CheckBox, OptionButton, CommandButton ---

CheckBox::CheckBox(Form* form, Control* parent, std::string name, int index)
    : Control(Kind, form, parent, std::move(name), index) {}

void CheckBox::setValue(int value) {
  if (value < 0 || value > 2 || value == value_) return;
  value_ = value;
  changed();
  raiseClick();
}

OptionButton::OptionButton(Form* form, Control* parent, std::string name, int index)
    : Control(Kind, form, parent, std::move(name), index) {}

void OptionButton::setValue(bool on) {
  if (on == value_) return;
  if (on && parent()) {
    for (const auto& sibling : parent()->children()) {
      if (sibling.get() == this || sibling->kind() != Kind) continue;
      auto* other = static_cast<OptionButton*>(sibling.get());
      if (other->value_) {
        other->value_ = false;
        other->changed();
      }
    }
  }
  value_ = on;
  changed();
  if (on) raiseClick();
}

CommandButton::CommandButton(Form* form, Control* parent, std::string name, int index)
    : Control(Kind, form, parent, std::move(name), index) {}

// --- lists ---

int ListEntries::findItemData(int32_t data) const {
  for (int i = 0; i < count(); ++i)
    if (entries_[i].itemData == data) return i;
  return -1;
}

int ListEntries::findText(std::string_view text) const {
  for (int i = 0; i < count(); ++i)
    if (entries_[i].text == text) return i;
  return -1;
}

ComboBox::ComboBox(Form* form, Control* parent, std::string name, int index)
    : TextBox(Kind, form, parent, std::move(name), index) {}

bool ComboBox::trySetText(std::string_view text) {
  if (style_ == ComboStyle::DropDownList) {
    if (text.empty()) return setListIndex(-1);
    int i = findText(text);
    for (int k = 0; i < 0 && k < count(); ++k)
      if (sameIgnoringCase(entries_[k].text, text)) i = k;
    if (i < 0) return false;
    return setListIndex(i);
  }
  int match = findText(text);
  if (match != listIndex_) {
    listIndex_ = match;
    changed();
  }
  TextBox::setText(text);
  return true;
}

int ComboBox::addItem(std::string_view text, int32_t itemData, int at) {
  int i = insertEntry(entries_, text, itemData, at);
  if (listIndex_ >= i) ++listIndex_;
  newIndex_ = i;
  changed();
  return i;
}

bool ComboBox::removeItem(int i) {
  if (i < 0 || i >= count()) return false;
  entries_.erase(entries_.begin() + i);
  if (listIndex_ == i) {
    listIndex_ = -1;
    if (style_ == ComboStyle::DropDownList) setTextQuietly("");
  } else if (listIndex_ > i) {
    --listIndex_;
  }
  changed();
  return true;
}

void ComboBox::clear() {
  entries_.clear();
  listIndex_ = -1;
  newIndex_ = -1;
  setTextQuietly("");
  setSelStart(0);
  changed();
}

bool ComboBox::setItemData(int i, int32_t data) {
  if (i < 0 || i >= count()) return false;
  entries_[i].itemData = data;
  return true;
}

bool ComboBox::setItemText(int i, std::string_view text) {
  if (i < 0 || i >= count()) return false;
  entries_[i].text = text;
  if (i == listIndex_) setTextQuietly(text);
  changed();
  return true;
}

bool ComboBox::setListIndex(int i) {
  if (i < -1 || i >= count()) return false;
  if (i == listIndex_) return true;
  listIndex_ = i;
  // Picking an entry shows its text, all selected; it is a click, not a change.
  setTextQuietly(i >= 0 ? std::string_view(entries_[i].text) : std::string_view());
  setSelStart(0);
  setSelLength(static_cast<int>(text().size()));
  raiseClick();
  return true;
}

void ComboBox::setDroppedDown(bool on) {
  if (droppedDown_ == on) return;
  droppedDown_ = on;
  changed();
}

ListBox::ListBox(Form* form, Control* parent, std::string name, int index)
    : Control(Kind, form, parent, std::move(name), index) {}

int ListBox::addItem(std::string_view text, int32_t itemData, int at) {
  int i = insertEntry(entries_, text, itemData, at);
  if (listIndex_ >= i) ++listIndex_;
  newIndex_ = i;
  changed();
  return i;
}

bool ListBox::removeItem(int i) {
  if (i < 0 || i >= count()) return false;
  entries_.erase(entries_.begin() + i);
  if (listIndex_ == i)
    listIndex_ = -1;
  else if (listIndex_ > i)
    --listIndex_;
  changed();
  return true;
}

void ListBox::clear() {
  entries_.clear();
  listIndex_ = -1;
  newIndex_ = -1;
  changed();
}

bool ListBox::setItemData(int i, int32_t data) {
  if (i < 0 || i >= count()) return false;
  entries_[i].itemData = data;
  return true;
}

bool ListBox::setItemText(int i, std::string_view text) {
  if (i < 0 || i >= count()) return false;
  entries_[i].text = text;
  changed();
  return true;
}

bool ListBox::setListIndex(int i) {
  if (i < -1 || i >= count()) return false;
  if (i == listIndex_) return true;
  listIndex_ = i;
  changed();
  raiseClick();
  return true;
}

bool ListBox::setChecked(int i, bool on) {
  if (i < 0 || i >= count()) return false;
  if (entries_[i].checked == on) return true;
  entries_[i].checked = on;
  changed();
  if (onItemCheck) {
    auto handler = onItemCheck;
    handler(i);
  }
  return true;
}

// --- ListView ---

ListView::ListView(Form* form, Control* parent, std::string name, int index)
    : Control(Kind, form, parent, std::move(name), index) {}

void ListView::addColumn(std::string key, std::string heading, int width) {
  columns_.push_back(ListViewColumn{std::move(key), std::move(heading), width});
  changed();
}

void ListView::clearColumns() {
  columns_.clear();
  changed();
}

int ListView::addRow(std::string_view text, int at) {
  int n = rowCount();
  if (at < 0 || at > n) at = n;
  rows_.insert(rows_.begin() + at, std::vector<std::string>{std::string(text)});
  if (selected_ >= at) ++selected_;
  changed();
  return at;
}

bool ListView::removeRow(int row) {
  if (row < 0 || row >= rowCount()) return false;
  rows_.erase(rows_.begin() + row);
  if (selected_ == row)
    selected_ = -1;
  else if (selected_ > row)
    --selected_;
  changed();
  return true;
}

void ListView::clearRows() {
  rows_.clear();
  selected_ = -1;
  changed();
}

std::string ListView::cell(int row, int column) const {
  if (row < 0 || row >= rowCount() || column < 0) return {};
  const auto& r = rows_[row];
  return column < static_cast<int>(r.size()) ? r[column] : std::string();
}

bool ListView::setCell(int row, int column, std::string_view text) {
  if (row < 0 || row >= rowCount() || column < 0) return false;
  auto& r = rows_[row];
  if (column >= static_cast<int>(r.size())) r.resize(column + 1);
  r[column] = text;
  changed();
  return true;
}

bool ListView::setSelectedRow(int row) {
  if (row < -1 || row >= rowCount()) return false;
  if (selected_ != row) {
    selected_ = row;
    changed();
  }
  return true;
}

// --- ProgressBar, TimerControl ---

ProgressBar::ProgressBar(Form* form, Control* parent, std::string name, int index)
    : Control(Kind, form, parent, std::move(name), index) {}

void ProgressBar::setRange(int min, int max) {
  min_ = min;
  max_ = std::max(min, max);
  value_ = std::clamp(value_, min_, max_);
  changed();
}

bool ProgressBar::setValue(int value) {
  if (value < min_ || value > max_) return false;
  if (value_ != value) {
    value_ = value;
    changed();
  }
  return true;
}

TimerControl::TimerControl(Form* form, Control* parent, std::string name, int index)
    : Control(Kind, form, parent, std::move(name), index), timer_(form->toolkit().loop()) {
  setTabStop(false);
}

void TimerControl::setInterval(int milliseconds) {
  timer_.setInterval(milliseconds);
  changed();
}

void TimerControl::setTimerEnabled(bool on) {
  timer_.setEnabled(on);
  changed();
}

}  // namespace platform::ui
