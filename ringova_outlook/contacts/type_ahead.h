#pragma once
// The type-ahead name search of the contact pickers: a name box whose drop-down holds the contact
// names (item data = record index), a match list under it, a phone list and the button that acts
// on the chosen number (Call, Forward).
//
// Typing collects a search text; every change lists the names that contain it (letter case
// ignored), those with the text nearer the start first, and completes the box with the first of
// them, the completed part selected. Up or Down moves into the match list; Enter, a pick from the
// drop-down or a mouse pick in the match list lists the contact's numbers. The button is enabled
// exactly when the phone list shows a number.
//
// The component installs the controls' handlers; the controls must outlive it.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/controls.h"
#include "ringova_outlook/contacts/record_table.h"
#include "ringova_outlook/dialing/dialing_log.h"

namespace ringova {

struct NameMatch {
  std::string name;
  int16_t position = 0;  // of the first occurrence, 1-based
  int16_t record = -1;
};

// The entries whose text contains search (letter case ignored), by position of the first
// occurrence, entries with equal positions in list order.
std::vector<NameMatch> CollectMatches(const platform::ui::ListEntries& entries,
                                      std::string_view search);

class TypeAheadSearch {
 public:
  struct Controls {
    platform::ui::ComboBox& nameBox;
    platform::ui::ListBox& matchList;
    platform::ui::ComboBox& phoneList;
    platform::ui::CommandButton& action;
  };

  // phonesLogPrefix: logged with the contact's FullName when its numbers are listed.
  TypeAheadSearch(Controls controls, const PhoneRecordTable& records, LogSink log,
                  std::string phonesLogPrefix);
  TypeAheadSearch(const TypeAheadSearch&) = delete;
  TypeAheadSearch& operator=(const TypeAheadSearch&) = delete;

  // Lists the numbers of the selected record (or of the record whose FullName is the box's text)
  // in PhoneKind order, selects the first and enables the button when there is one; the
  // selected record is then cleared.
  void LoadContactPhones();
  // Adds the numbers of a valid record, "label" + stored number, to the phone list.
  void AddContactPhones(int16_t record);

  // Empty name box and phone list, hidden match list, no record, disabled button.
  void Clear();
  void HideMatchList();

  int16_t SelectedRecord() const { return selected_; }
  void SetSelectedRecord(int16_t record) { selected_ = record; }
  const std::string& SearchText() const { return search_; }
  int16_t SearchLength() const { return search_length_; }
  bool AutoComplete() const { return auto_complete_; }
  bool ChangeHandling() const { return change_handling_; }
  void SetChangeHandling(bool on) { change_handling_ = on; }

 private:
  void OnNameKeyDown(platform::ui::KeyEvent& e);
  void OnNameKeyPress(platform::ui::KeyPressEvent& e);
  void OnNameKeyUp(platform::ui::KeyEvent& e);
  void OnNameChange();
  void OnNamePicked();
  void OnMatchPicked();
  void OnMatchKeyPress(platform::ui::KeyPressEvent& e);
  void OnPhoneListFocus();
  void OnEnter();
  void UpdateAction();
  void SetNameQuietly(std::string_view text);

  Controls c_;
  const PhoneRecordTable& records_;
  LogSink log_;
  std::string phones_log_prefix_;
  int16_t selected_ = -1;
  std::string search_;
  int16_t search_length_ = 0;
  bool auto_complete_ = false;
  bool change_handling_ = false;
  bool mouse_pressed_ = false;
  int last_key_ = 0;
};

}  // namespace ringova
