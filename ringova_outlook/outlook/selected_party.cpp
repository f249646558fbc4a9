#include "ringova_outlook/outlook/selected_party.h"

#include "platform/outlook/application.h"
#include "platform/outlook/item.h"
#include "platform/outlook/text_util.h"
#include "ringova_outlook/contacts/record_table.h"

namespace ringova {

namespace ol = platform::outlook;

namespace {

std::string Clean(std::string_view text) {
  return ol::ToLowerAscii(ol::TrimBlanks(text));
}

// The first record whose e-mail address or full name (lower case) is one of the keys.
int16_t MatchRecord(const PhoneRecordTable& records, std::initializer_list<std::string> keys) {
  for (int16_t i = 0; i < records.RecordCount(); ++i) {
    const PhoneRecord& record = records[i];
    if (record.EntryId.empty()) continue;  // a free slot
    const std::string email = ol::ToLowerAscii(record.Email);
    const std::string name = ol::ToLowerAscii(record.FullName);
    for (const std::string& key : keys) {
      if (!key.empty() && (key == email || key == name)) return i;
    }
  }
  return -1;
}

}  // namespace

std::string FirstAddressee(std::string_view to) {
  std::string_view text = to.substr(0, to.find(';'));
  text = text.substr(0, text.find('('));
  text = ol::TrimBlanks(text);
  if (!text.empty() && text.front() == '\'') text.remove_prefix(1);
  if (!text.empty() && text.back() == '\'') text.remove_suffix(1);
  return Clean(text);
}

int16_t RecordForItem(const ol::Item& item, const PhoneRecordTable& records,
                      const ol::Recipient& current_user) {
  if (item.ItemType() == ol::olContactItem) {
    return item.EntryId().empty() ? int16_t{-1} : records.FindByEntryId(item.EntryId());
  }
  if (item.ItemType() != ol::olMailItem) return -1;
  const std::string sender_address = Clean(item.GetProperty("SenderEmailAddress").value_or(""));
  const std::string sender_name = Clean(item.GetProperty("SenderName").value_or(""));
  const std::string user_name = Clean(current_user.Name());
  const std::string user_address = Clean(current_user.Address());
  const bool own_mail = (!sender_name.empty() && sender_name == user_name) ||
                        (!sender_address.empty() && sender_address == user_address);
  if (!own_mail) {
    const int16_t found = MatchRecord(
        records,
        {sender_address, sender_name, Clean(item.GetProperty("SentOnBehalfOfName").value_or(""))});
    if (found >= 0) return found;
  }
  return MatchRecord(records, {FirstAddressee(item.GetProperty("To").value_or(""))});
}

}  // namespace ringova
