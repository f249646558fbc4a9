#pragma once
// The contact-name list: one entry per loaded contact, text = FullName, item data = record index.
// Entries are found through their item data, never by position (positions move when entries are
// removed). The contact picker's and the forward picker's name boxes are filled from it.
#include <cstdint>
#include <string_view>

#include "platform/ui/controls.h"

namespace ringova {

class ContactNameList : public platform::ui::ListEntries {
 public:
  // Appends; returns the new entry's position (also NewIndex).
  int AddItem(std::string_view text, int32_t itemData = 0);
  bool RemoveItem(int position);
  bool SetItemText(int position, std::string_view text);
  bool SetItemData(int position, int32_t data);
  void Clear();
  int NewIndex() const { return new_index_; }
  // Bumped by every change, so a copy can tell it is stale.
  uint64_t Revision() const { return revision_; }

 private:
  int new_index_ = -1;
  uint64_t revision_ = 0;
};

// The position of the first entry whose item data is the record index, or -1.
int16_t GetItemByGlIndex(int16_t record, const platform::ui::ListEntries& list);

// Copies every entry, in order, with its item data, into a combo box's drop-down (which is
// cleared first).
void CopyNames(const ContactNameList& names, platform::ui::ComboBox& box);

}  // namespace ringova
