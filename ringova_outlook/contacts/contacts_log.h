#pragma once
// The log texts of the contact directory's failures, one table: each is followed by the error's
// description.
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

}  // namespace ringova
