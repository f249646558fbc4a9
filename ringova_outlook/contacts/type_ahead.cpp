#include "ringova_outlook/contacts/type_ahead.h"

#include <algorithm>

#include "platform/outlook/text_util.h"
#include "platform/ui/keys.h"

namespace ringova {

namespace ui = platform::ui;
using platform::outlook::ToLowerAscii;
using platform::outlook::TrimBlanks;

std::vector<NameMatch> CollectMatches(const ui::ListEntries& entries, std::string_view search) {
  const std::string needle = ToLowerAscii(search);
  std::vector<NameMatch> matches;
  for (const ui::ListEntry& entry : entries.entries()) {
    const size_t at = ToLowerAscii(entry.text).find(needle);
    if (at == std::string::npos) continue;
    matches.push_back({entry.text, static_cast<int16_t>(std::min<size_t>(at + 1, INT16_MAX)),
                       static_cast<int16_t>(entry.itemData)});
  }
  std::stable_sort(matches.begin(), matches.end(),
                   [](const NameMatch& a, const NameMatch& b) { return a.position < b.position; });
  return matches;
}

TypeAheadSearch::TypeAheadSearch(Controls controls, const PhoneRecordTable& records, LogSink log,
                                 std::string phonesLogPrefix)
    : c_(controls),
      records_(records),
      log_(std::move(log)),
      phones_log_prefix_(std::move(phonesLogPrefix)) {
  c_.nameBox.onKeyDown = [this](ui::KeyEvent& e) { OnNameKeyDown(e); };
  c_.nameBox.onKeyPress = [this](ui::KeyPressEvent& e) { OnNameKeyPress(e); };
  c_.nameBox.onKeyUp = [this](ui::KeyEvent& e) { OnNameKeyUp(e); };
  c_.nameBox.onChange = [this] { OnNameChange(); };
  c_.nameBox.onClick = [this] { OnNamePicked(); };
  c_.matchList.onClick = [this] { OnMatchPicked(); };
  c_.matchList.onKeyPress = [this](ui::KeyPressEvent& e) { OnMatchKeyPress(e); };
  c_.matchList.onMouseDown = [this](const ui::MouseEvent&) { mouse_pressed_ = true; };
  c_.matchList.onMouseUp = [this](const ui::MouseEvent&) { mouse_pressed_ = false; };
  c_.phoneList.onGotFocus = [this] { OnPhoneListFocus(); };
  c_.phoneList.onClick = [this] { UpdateAction(); };
  c_.matchList.setVisible(false);
  c_.matchList.setDropDown(true);  // it opens over the phone list below the name box
}

void TypeAheadSearch::OnNameKeyDown(ui::KeyEvent& e) {
  last_key_ = e.keyCode;
  switch (e.keyCode) {
    case ui::key::Back:
      auto_complete_ = false;
      if (c_.nameBox.selLength() == 0)
        search_ = search_.size() < 2 ? std::string() : search_.substr(0, search_.size() - 1);
      break;
    case ui::key::Delete:
      auto_complete_ = false;
      break;
    case ui::key::Up:
    case ui::key::Down:
      if (c_.matchList.count() > 0 && c_.matchList.listIndex() < 0) {
        auto_complete_ = false;
        change_handling_ = false;
        c_.matchList.setListIndex(0);
        c_.matchList.setFocus();
        e.keyCode = 0;  // the move goes into the match list, not through the drop-down
      }
      break;
    default:
      break;
  }
}

// Characters are collected here rather than from key codes, so keys that type nothing (Shift,
// Control, arrows) never enter the search text.
void TypeAheadSearch::OnNameKeyPress(ui::KeyPressEvent& e) {
  if (e.keyAscii == ui::key::Return) {
    e.keyAscii = 0;
    OnEnter();
    return;
  }
  if (e.keyAscii < ' ') return;
  search_ += static_cast<char>(e.keyAscii);
  auto_complete_ = true;
  change_handling_ = true;
}

void TypeAheadSearch::OnNameKeyUp(ui::KeyEvent& e) {
  const int key = e.keyCode;
  if ((key == ui::key::Back || key == ui::key::Delete) && c_.nameBox.text().empty()) {
    HideMatchList();
    c_.phoneList.clear();
    c_.action.setEnabled(false);
  } else if ((key == ui::key::Up || key == ui::key::Down) && c_.matchList.count() > 0) {
    c_.matchList.setVisible(true);
  }
}

void TypeAheadSearch::OnNameChange() {
  if (!change_handling_) return;
  c_.phoneList.clear();
  c_.matchList.clear();
  c_.matchList.setVisible(false);
  UpdateAction();
  const std::string text = c_.nameBox.text();
  if (text.empty()) search_.clear();
  if (TrimBlanks(text).empty()) return;

  search_length_ = static_cast<int16_t>(std::min<size_t>(search_.size(), INT16_MAX));
  const std::vector<NameMatch> matches = CollectMatches(c_.nameBox, search_);
  for (const NameMatch& m : matches) c_.matchList.addItem(m.name, m.record);
  if (matches.empty()) return;
  c_.matchList.setVisible(true);
  if (!auto_complete_) return;

  const NameMatch& first = matches.front();
  change_handling_ = false;
  c_.nameBox.setText(first.name);
  selected_ = first.record;
  // The typed part stays, the completion after it is selected.
  const int start = first.position + search_length_ - 1;
  c_.nameBox.setSelStart(start);
  c_.nameBox.setSelLength(static_cast<int>(c_.nameBox.text().size()) - start);
  auto_complete_ = false;
}

void TypeAheadSearch::OnNamePicked() {
  const int picked = c_.nameBox.listIndex();
  if (picked < 0) return;
  selected_ = static_cast<int16_t>(c_.nameBox.itemData(picked));
  LoadContactPhones();
}

void TypeAheadSearch::OnMatchPicked() {
  const int picked = c_.matchList.listIndex();
  if (picked < 0) return;
  SetNameQuietly(c_.matchList.itemText(picked));
  selected_ = static_cast<int16_t>(c_.matchList.itemData(picked));
  if (mouse_pressed_) {
    HideMatchList();
    LoadContactPhones();
  }
}

void TypeAheadSearch::OnMatchKeyPress(ui::KeyPressEvent& e) {
  if (e.keyAscii != ui::key::Return) return;
  e.keyAscii = 0;
  OnEnter();
}

void TypeAheadSearch::OnEnter() {
  if (c_.matchList.count() > 0) {
    c_.nameBox.setSelLength(0);
    HideMatchList();
  }
  LoadContactPhones();
}

void TypeAheadSearch::OnPhoneListFocus() {
  if (c_.matchList.visible()) HideMatchList();
  if (!c_.action.enabled()) LoadContactPhones();
}

void TypeAheadSearch::LoadContactPhones() {
  c_.phoneList.clear();
  int16_t record = selected_;
  if (!records_.Valid(record) && !TrimBlanks(c_.nameBox.text()).empty())
    record = records_.FindByFullName(c_.nameBox.text());
  if (records_.Valid(record)) AddContactPhones(record);
  if (c_.phoneList.count() > 0) c_.phoneList.setListIndex(0);
  UpdateAction();
  selected_ = -1;
}

void TypeAheadSearch::AddContactPhones(int16_t record) {
  if (!records_.Valid(record)) return;
  const PhoneRecord& r = records_[record];
  if (log_) log_(phones_log_prefix_ + r.FullName);
  for (const PhoneKindInfo& info : kPhoneKinds) {
    const std::string& number = StoredNumber(r, info.kind);
    if (!TrimBlanks(number).empty()) c_.phoneList.addItem(std::string(info.label) + number);
  }
}

void TypeAheadSearch::Clear() {
  SetNameQuietly("");
  c_.phoneList.clear();
  c_.matchList.clear();
  HideMatchList();
  selected_ = -1;
  c_.action.setEnabled(false);
}

void TypeAheadSearch::HideMatchList() {
  c_.matchList.setVisible(false);
}

void TypeAheadSearch::UpdateAction() {
  c_.action.setEnabled(!c_.phoneList.text().empty());
}

// The box shows a chosen name without starting a new search.
void TypeAheadSearch::SetNameQuietly(std::string_view text) {
  const bool handling = change_handling_;
  change_handling_ = false;
  c_.nameBox.setText(text);
  change_handling_ = handling;
}

}  // namespace ringova
