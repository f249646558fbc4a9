#include "ringova_outlook/contacts/record_table.h"

namespace ringova {

int16_t PhoneRecordTable::Append(PhoneRecord record) {
  if (Full()) return -1;
  records_.push_back(std::move(record));
  index_.Invalidate();
  return static_cast<int16_t>(records_.size() - 1);
}

void PhoneRecordTable::Assign(int16_t index, PhoneRecord record) {
  if (!Valid(index)) return;
  records_[index] = std::move(record);
  index_.Invalidate();
}

void PhoneRecordTable::ClearEntryId(int16_t index) {
  if (!Valid(index)) return;
  records_[index].EntryId.clear();
  index_.Invalidate();
}

void PhoneRecordTable::Clear() {
  records_.clear();
  records_.shrink_to_fit();
  index_.Invalidate();
}

int16_t PhoneRecordTable::FindByEntryId(std::string_view key) const {
  for (size_t i = 0; i < records_.size(); ++i)
    if (records_[i].EntryId == key) return static_cast<int16_t>(i);
  return -1;
}

int16_t PhoneRecordTable::FindByFullName(std::string_view key) const {
  for (size_t i = 0; i < records_.size(); ++i)
    if (records_[i].FullName == key) return static_cast<int16_t>(i);
  return -1;
}

int16_t PhoneRecordTable::FirstFreeSlot() const {
  return FindByEntryId("");
}

CallerMatch PhoneRecordTable::FindCaller(const CallerQuery& query) const {
  return index_.Find(records_, query);
}

}  // namespace ringova
