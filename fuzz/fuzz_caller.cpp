// Finding a caller as GetContactByPhone does: the caller text made a query and looked up through
// the record table's index, which must give the reference walk's answer. First byte: the
// location (none, +49/0, +1/1, +44/0 in the low two bits) and which slots are emptied (the other
// six). The rest, cut at line ends: numbers for a small directory, filled kind by kind after the
// fixed contacts, then the caller text (the last piece). The same table then answers the caller
// under every other location too, so the index's country part is rebuilt on the way.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "ringova_outlook/contacts/caller_lookup.h"
#include "ringova_outlook/contacts/record_table.h"
#include "ringova_outlook/dialing/phone_kind.h"
#include "ringova_outlook/dialing/phone_text.h"

namespace {

const ringova::DialPrefixes kLocations[] = {{"", ""}, {"+49", "0"}, {"+1", "1"}, {"+44", "0"}};

ringova::PhoneRecord Record(int n, std::vector<std::string> numbers) {
  ringova::PhoneRecord record;
  record.EntryId = "id" + std::to_string(n);
  record.FullName = "Contact " + std::to_string(n);
  for (int k = 0; k < ringova::kPhoneKindCount && k < static_cast<int>(numbers.size()); ++k) {
    const auto kind = static_cast<ringova::PhoneKind>(k);
    ringova::StoredNumber(record, kind) = numbers[k];
    ringova::NormalizedNumber(record, kind) = ringova::NormalizePhone(numbers[k]);
  }
  return record;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  telvane::fuzz::FuzzInput input(data, size);
  const std::uint8_t choice = input.byte();
  std::string_view rest = input.rest();
  std::vector<std::string_view> pieces;
  for (std::size_t eol; (eol = rest.find('\n')) != std::string_view::npos;) {
    pieces.push_back(rest.substr(0, eol));
    rest.remove_prefix(eol + 1);
  }
  const std::string_view caller = rest;

  std::vector<ringova::PhoneRecord> records = {
      Record(0, {"+49 30 1234567", "", "030 7654321", "", "+49 (170) 555-01"}),
      Record(1, {"101", "sip:ann@pbx.example.com", "", "", "", "+1 555 0100"}),
      Record(2, {"", "", "", "", "", "", "", "ann@pbx.example.com"}),
  };
  for (std::size_t i = 0; i < pieces.size(); i += ringova::kPhoneKindCount) {
    std::vector<std::string> numbers;
    for (std::size_t k = i; k < pieces.size() && k < i + ringova::kPhoneKindCount; ++k) {
      numbers.emplace_back(pieces[k]);
    }
    records.push_back(Record(static_cast<int>(records.size()), std::move(numbers)));
  }
  ringova::PhoneRecordTable table;
  for (ringova::PhoneRecord& record : records) table.Append(std::move(record));
  for (int16_t slot = 0; slot < 6 && slot < table.RecordCount(); ++slot) {
    if (choice & (4u << slot)) table.ClearEntryId(slot);
  }

  const int first = choice & 3;
  for (int n = 0; n < 5; ++n) {
    const ringova::DialPrefixes& location = kLocations[(first + n) % 4];
    const ringova::CallerQuery query = ringova::MakeCallerQuery(caller, location);
    const ringova::CallerMatch indexed = table.FindCaller(query);
    const ringova::CallerMatch walked = ringova::WalkForCaller(table.Records(), query);
    if (indexed.record != walked.record) __builtin_trap();
    if (walked.found() && indexed.kind != walked.kind) __builtin_trap();
    if (walked.found() && table[walked.record].EntryId.empty()) __builtin_trap();
  }
  return 0;
}
