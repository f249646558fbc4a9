#include "ringova_outlook/contacts/contact_directory.h"

#include <optional>
#include <string>

#include "platform/outlook/item.h"
#include "platform/outlook/text_util.h"
#include "ringova_outlook/contacts/contact_picker.h"
#include "ringova_outlook/contacts/contacts_log.h"
#include "ringova_outlook/contacts/folder_selection.h"
#include "ringova_outlook/contacts/progress_window.h"
#include "ringova_outlook/dialing/phone_text.h"
#include "ringova_outlook/support/apply_ui_font.h"

namespace ringova {
namespace {

using platform::outlook::Item;
using platform::outlook::TrimBlanks;

constexpr std::string_view kNoSuchProperty = "Object doesn't support this property or method";

// The stored numbers in the order they are read from the item.
constexpr PhoneKind kReadOrder[] = {PhoneKind::business, PhoneKind::business2, PhoneKind::home,
                                    PhoneKind::home2,    PhoneKind::company,   PhoneKind::car,
                                    PhoneKind::other,    PhoneKind::mobile};

bool Read(const Item& item, std::string_view name, std::string& out, std::string& error) {
  std::optional<std::string> value = item.GetProperty(name);
  if (!value) {
    error = std::string(kNoSuchProperty) + " (" + std::string(name) + ")";
    return false;
  }
  out = std::move(*value);
  return true;
}

}  // namespace

const std::string_view RestrictFilter =
    "[FullName] > '' and ([BusinessTelephoneNumber] > '' or [Business2TelephoneNumber] > '' Or "
    "[HomeTelephoneNumber] > '' Or [Home2TelephoneNumber] > '' Or [MobileTelephoneNumber] > '' "
    "Or [CompanyMainTelephoneNumber] > '' Or [OtherTelephoneNumber] > '' ) ";

ContactDirectory::ContactDirectory(Context context) : context_(std::move(context)) {}

ContactDirectory::~ContactDirectory() = default;

void ContactDirectory::Log(std::string_view line) const {
  if (context_.log) context_.log(line);
}

void ContactDirectory::ApplyFont(platform::ui::Form& form) const {
  if (context_.applyFont) context_.applyFont(form);
}

// Reads every field but the entry id: the e-mail address, the stored numbers, their canonical
// forms, the full name. Nothing of the record is kept when a read fails.
bool ContactDirectory::ReadRecord(const Item& item, PhoneRecord& record, std::string& error) {
  PhoneRecord read;
  if (!Read(item, "Email1Address", read.Email, error)) return false;
  for (PhoneKind kind : kReadOrder) {
    if (!Read(item, PhoneKindOf(kind).property, StoredNumber(read, kind), error)) return false;
  }
  for (PhoneKind kind : kReadOrder)
    NormalizedNumber(read, kind) = NormalizePhone(StoredNumber(read, kind));
  if (!Read(item, "FullName", read.FullName, error)) return false;
  read.EntryId = std::move(record.EntryId);
  record = std::move(read);
  return true;
}

int16_t ContactDirectory::UpdatePhoneRecords(int16_t action, const Item& item) {
  const std::string& id = item.EntryId();
  std::string error;
  int16_t index = -1;
  PhoneRecord record;
  switch (action) {
    case kAddRecord:
      if (records_.Full()) {
        Log("UpdatePhoneRecords: the directory is full (" +
            std::to_string(PhoneRecordTable::kMaxRecords) + " contacts), " +
            item.GetProperty("FullName").value_or(id) + " is not added");
        return -1;
      }
      record.EntryId = id;
      if (!ReadRecord(item, record, error)) break;
      return records_.Append(std::move(record));
    case kUpdateRecord:
    case kRemoveRecord:
      // An item without an entry id would otherwise find an emptied slot.
      if (id.empty() || (index = records_.FindByEntryId(id)) < 0) return -1;
      if (action == kRemoveRecord) {
        records_.ClearEntryId(index);
        return index;
      }
      record.EntryId = id;
      if (!ReadRecord(item, record, error)) break;
      records_.Assign(index, std::move(record));
      return index;
    case kAddIntoFreeSlot:
      if ((index = records_.FirstFreeSlot()) < 0) return -1;
      record.EntryId = id;
      if (!ReadRecord(item, record, error)) break;
      records_.Assign(index, std::move(record));
      return index;
    default:
      return -1;
  }
  Log(std::string(FailureText(ContactsFailure::UpdatePhoneRecords)) + error);
  return -1;
}

bool ContactDirectory::PhoneIsExist(const Item* item) {
  if (item == nullptr || item->TypeName() != "ContactItem") return false;
  for (const PhoneKindInfo& info : kPhoneKinds) {
    std::optional<std::string> number = item->GetProperty(info.property);
    if (!number) {
      Log(std::string(FailureText(ContactsFailure::PhoneIsExist)) + std::string(kNoSuchProperty) +
          " - " + item->GetProperty("FullName").value_or(""));
      return false;
    }
    if (!TrimBlanks(*number).empty()) return true;
  }
  return false;
}

bool ContactDirectory::FindPhoneRecord(std::string_view key, int16_t& index,
                                       bool by_entry_id) const {
  if (TrimBlanks(key).empty()) return false;
  const int16_t found = by_entry_id ? records_.FindByEntryId(key) : records_.FindByFullName(key);
  if (found < 0) return false;
  index = found;
  return true;
}

std::string ContactDirectory::GetContactByPhone(std::string_view caller, std::string& number) {
  const CallerQuery query =
      MakeCallerQuery(caller, context_.prefixes ? context_.prefixes() : DialPrefixes{});
  Log("GetContactByPhone: - " + std::string(caller) + " => " + query.address);
  const CallerMatch match = records_.FindCaller(query);
  if (!match.found()) return {};
  const PhoneRecord& record = records_[match.record];
  number = StoredNumber(record, match.kind);
  Log("GetContactByPhone: contact  " + record.FullName + ", Number: " + number);
  return record.FullName;
}

int16_t ContactDirectory::AddContactEntry(const Item& item, bool reuse_free_slot) {
  const bool reuse = reuse_free_slot && records_.FirstFreeSlot() >= 0;
  const int16_t index = UpdatePhoneRecords(reuse ? kAddIntoFreeSlot : kAddRecord, item);
  // The name is listed only with its record, so no entry ever points at another contact.
  if (index >= 0) names_.AddItem(records_[index].FullName, index);
  return index;
}

void ContactDirectory::ClearContacts() {
  names_.Clear();
  records_.Clear();
}

int16_t ContactDirectory::ParseSelFolders() {
  selected_paths_ = SplitSelectedFolders(context_.settings.SelectedContactFolders());
  return static_cast<int16_t>(
      std::min<size_t>(selected_paths_.size(), static_cast<size_t>(INT16_MAX)));
}

ContactPicker& ContactDirectory::Picker() {
  if (!picker_) picker_ = std::make_unique<ContactPicker>(*this);
  return *picker_;
}

ContactDirectory::Context AddinContactDirectoryContext(platform::ui::Toolkit& toolkit,
                                                       platform::shell::Shell& shell,
                                                       ContactSettings& settings,
                                                       const LocationCountry& location) {
  return {
      toolkit, shell, settings, AddinLogSink(), PrefixesOf(location), [](platform::ui::Form& form) {
        ApplyUIFont(form);
      }};
}

}  // namespace ringova
