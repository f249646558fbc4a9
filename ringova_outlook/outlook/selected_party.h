#pragma once
// Whom the user means: the phone record of the selected contact, or of the sender of the selected
// mail (or, for a mail the user sent, of its first addressee).
#include <cstdint>
#include <string>
#include <string_view>

namespace platform::outlook {
class Item;
class Recipient;
}  // namespace platform::outlook

namespace ringova {

class PhoneRecordTable;

// The record index for the item, -1 when none matches. A contact is found by its entry id; a
// mail from someone else by its sender address, sender name or on-behalf-of name against the
// records' e-mail addresses and full names; a mail from the current user by the first "To"
// addressee. Texts are compared trimmed and in lower case.
int16_t RecordForItem(const platform::outlook::Item& item, const PhoneRecordTable& records,
                      const platform::outlook::Recipient& current_user);

// The first addressee of a "To" field: before the first ";" and the first "(", trimmed, without
// a leading and a trailing "'", in lower case ("'Dave Brown' (dave@x.com); Ann" gives
// "dave brown").
std::string FirstAddressee(std::string_view to);

}  // namespace ringova
