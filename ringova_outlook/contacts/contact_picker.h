#pragma once
// The contact picker "fContacts" (Make Call): find a contact by typing part of its name, choose
// one of its numbers and start the call. Created once by the directory and only hidden, never
// closed, while the add-in runs; its name box is refilled from the directory's name list each
// time it opens.
//
// The name search is the type-ahead component (type_ahead.h) on cboContacts, lstContacts,
// cboPhones and btnCall.
#include <cstdint>
#include <string>

#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "ringova_outlook/contacts/type_ahead.h"

namespace ringova {

class ContactDirectory;

class ContactPicker final : public platform::ui::Form {
 public:
  explicit ContactPicker(ContactDirectory& directory);

  // Sets the picked number to "0", positions the picker on the record (or empties it for -1 or
  // a record not in the list), shows it modally over owner and returns the picked number as
  // the user left it: a phone-list entry (label and number), or "0" when nothing was picked.
  std::string Pick(int16_t record, platform::ui::Form* owner);

  // The preselection of Pick without showing.
  void Preselect(int16_t record);
  void LoadPhones();
  void AddContactPhones(int16_t record);

  const std::string& PickedNumber() const { return picked_number_; }
  void SetPickedNumber(std::string number) { picked_number_ = std::move(number); }
  TypeAheadSearch& Search() { return search_; }

  platform::ui::Label& lblContactName;
  platform::ui::ComboBox& cboContacts;
  platform::ui::ListBox& lstContacts;
  platform::ui::Label& lblPhoneNmb;
  platform::ui::ComboBox& cboPhones;
  platform::ui::CommandButton& btnCall;
  platform::ui::CommandButton& btnCancel;

 private:
  ContactDirectory& directory_;
  TypeAheadSearch search_;
  std::string picked_number_ = "0";
};

}  // namespace ringova
