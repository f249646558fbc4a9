#pragma once
// The log texts of the contact directory's failures, one table: each is followed by the error's
// description. A run-time error (std::exception) inside an operation is caught there and logged
// with its operation's text; it never leaves the module.
#include <string>
#include <string_view>

namespace ringova {

enum class ContactsFailure {
  UpdatePhoneRecords,
  PhoneIsExist,
  GetItemByGlIndex,
  EnumerateFolders,
  CalculateContacts,
  CalcSelFolders,
  LoadAllContacts,
  LoadSelectedFolders,
  GetContactByPhone,
  LoadPhones,
  AddContactPhones,
  EnumFolders,
  CheckSelectedFolders,
  ParseSelFolders,
  GetSelectedCount,
  SelFolderApply,
};

std::string_view FailureText(ContactsFailure failure);
// The text followed by the description.
std::string FailureLine(ContactsFailure failure, std::string_view description);

}  // namespace ringova
