#include "ringova_outlook/contacts/contact_name_list.h"

namespace ringova {

int ContactNameList::AddItem(std::string_view text, int32_t itemData) {
  entries_.push_back(platform::ui::ListEntry{std::string(text), itemData, false});
  new_index_ = count() - 1;
  ++revision_;
  return new_index_;
}

bool ContactNameList::RemoveItem(int position) {
  if (position < 0 || position >= count()) return false;
  entries_.erase(entries_.begin() + position);
  ++revision_;
  return true;
}

bool ContactNameList::SetItemText(int position, std::string_view text) {
  if (position < 0 || position >= count()) return false;
  entries_[position].text = text;
  ++revision_;
  return true;
}

bool ContactNameList::SetItemData(int position, int32_t data) {
  if (position < 0 || position >= count()) return false;
  entries_[position].itemData = data;
  ++revision_;
  return true;
}

void ContactNameList::Clear() {
  entries_.clear();
  new_index_ = -1;
  ++revision_;
}

int16_t GetItemByGlIndex(int16_t record, const platform::ui::ListEntries& list) {
  const int position = list.findItemData(record);
  // Positions beyond the 16-bit range cannot be answered; a list that long holds no contact.
  return position >= 0 && position <= INT16_MAX ? static_cast<int16_t>(position) : int16_t{-1};
}

void CopyNames(const ContactNameList& names, platform::ui::ComboBox& box) {
  box.clear();
  for (const auto& entry : names.entries()) box.addItem(entry.text, entry.itemData);
}

}  // namespace ringova
