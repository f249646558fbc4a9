#pragma once
// The directory's phone records. The record index is a contact's identity inside the add-in:
// records are never moved or compacted; a removed contact leaves its slot with an empty EntryId
// until an addition reuses it. The count is 16-bit, so the table holds at most kMaxRecords.
#include <cstdint>
#include <string_view>
#include <vector>

#include "ringova_outlook/contacts/caller_lookup.h"
#include "ringova_outlook/contacts/phone_record.h"

namespace ringova {

class PhoneRecordTable {
 public:
  static constexpr int16_t kMaxRecords = 32767;

  int16_t RecordCount() const { return static_cast<int16_t>(records_.size()); }
  bool Full() const { return records_.size() >= static_cast<size_t>(kMaxRecords); }
  bool Valid(int16_t index) const { return index >= 0 && index < RecordCount(); }
  // index must be Valid.
  const PhoneRecord& operator[](int16_t index) const { return records_[index]; }
  const std::vector<PhoneRecord>& Records() const { return records_; }

  // The new record's index; -1 when the table is full.
  int16_t Append(PhoneRecord record);
  // Replaces a valid slot.
  void Assign(int16_t index, PhoneRecord record);
  void ClearEntryId(int16_t index);
  void Clear();

  // The first slot (from 0) whose EntryId / FullName equals key exactly, or -1.
  int16_t FindByEntryId(std::string_view key) const;
  int16_t FindByFullName(std::string_view key) const;
  // The first slot with an empty EntryId, or -1.
  int16_t FirstFreeSlot() const;

  // Through the index; the same answer as WalkForCaller.
  CallerMatch FindCaller(const CallerQuery& query) const;

 private:
  std::vector<PhoneRecord> records_;
  mutable CallerIndex index_;
};

}  // namespace ringova
