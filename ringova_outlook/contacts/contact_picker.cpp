#include "ringova_outlook/contacts/contact_picker.h"

#include "ringova_outlook/contacts/contact_directory.h"
#include "ringova_outlook/resources/string_table.h"

namespace ringova {

namespace ui = platform::ui;

namespace {
constexpr int kWindowText = 118;
constexpr int kContactNameText = 119;
constexpr int kPhoneNumbersText = 120;
constexpr int kStartCallText = 121;
constexpr int kCloseText = 117;
const std::string kNothingPicked = "0";
}  // namespace

ContactPicker::ContactPicker(ContactDirectory& directory)
    : Form(directory.Toolkit(), "fContacts"),
      lblContactName(add<ui::Label>("lblContactName")),
      cboContacts(add<ui::ComboBox>("cboContacts")),
      lstContacts(add<ui::ListBox>("lstContacts")),
      lblPhoneNmb(add<ui::Label>("lblPhoneNmb")),
      cboPhones(add<ui::ComboBox>("cboPhones")),
      btnCall(add<ui::CommandButton>("btnCall")),
      btnCancel(add<ui::CommandButton>("btnCancel")),
      directory_(directory),
      search_(
          {cboContacts, lstContacts, cboPhones, btnCall}, directory.Records(),
          [&directory](std::string_view line) { directory.Log(line); }, "AddContactPhones: for ") {
  move(0, 0, 5400, 2700);
  lblContactName.move(120, 120, 2400, 255);
  cboContacts.move(120, 400, 5040, 315);
  lstContacts.move(120, 715, 5040, 1200);
  lblPhoneNmb.move(120, 840, 2400, 255);
  cboPhones.move(120, 1120, 5040, 315);
  cboPhones.setStyle(ui::ComboStyle::DropDownList);
  btnCall.move(2280, 1740, 1335, 375);
  btnCancel.move(3825, 1740, 1335, 375);
  btnCancel.setCancel(true);
  btnCall.setEnabled(false);

  onLoad = [this] {
    directory_.ApplyFont(*this);
    setCaption(LoadResString(kWindowText));
    lblContactName.setCaption(LoadResString(kContactNameText));
    lblPhoneNmb.setCaption(LoadResString(kPhoneNumbersText));
    btnCall.setCaption(LoadResString(kStartCallText));
    btnCancel.setCaption(LoadResString(kCloseText));
  };
  // The window is kept for the add-in's life: its close box only hides it.
  onQueryUnload = [this](bool& cancel, ui::UnloadMode mode) {
    if (mode != ui::UnloadMode::CloseBox) return;
    cancel = true;
    hide();
    search_.HideMatchList();
    search_.SetChangeHandling(false);
  };
  btnCall.onClick = [this] {
    picked_number_ = cboPhones.text();
    hide();
  };
  btnCancel.onClick = [this] {
    picked_number_ = kNothingPicked;
    hide();
  };
}

std::string ContactPicker::Pick(int16_t record, ui::Form* owner) {
  picked_number_ = kNothingPicked;
  load();
  Preselect(record);
  show(ui::ShowMode::Modal, owner);
  return picked_number_;
}

void ContactPicker::Preselect(int16_t record) {
  load();
  // The names are copied afresh, so the entry is picked anew even when it was picked last time.
  CopyNames(directory_.Names(), cboContacts);
  search_.Clear();
  const int16_t position = record >= 0 ? GetItemByGlIndex(record, cboContacts) : int16_t{-1};
  if (position >= 0) cboContacts.setListIndex(position);  // lists its numbers
}

void ContactPicker::LoadPhones() {
  search_.LoadContactPhones();
}

void ContactPicker::AddContactPhones(int16_t record) {
  search_.AddContactPhones(record);
}

}  // namespace ringova
