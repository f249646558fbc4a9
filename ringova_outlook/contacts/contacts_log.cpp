#include "ringova_outlook/contacts/contacts_log.h"

#include <array>
#include <utility>

namespace ringova {
namespace {

constexpr std::array<std::pair<ContactsFailure, std::string_view>, 16> kTexts = {{
    {ContactsFailure::UpdatePhoneRecords, "UpdatePhoneRecords Error:  "},
    {ContactsFailure::PhoneIsExist, "PhoneIsExist: Error - "},
    {ContactsFailure::GetItemByGlIndex, "GetItemByGlIndex: Error - "},
    {ContactsFailure::EnumerateFolders, "EnumerateFolders: Error "},
    {ContactsFailure::CalculateContacts, "CalculateContacts: Error - "},
    {ContactsFailure::CalcSelFolders, "CalcSelFolders: Error - "},
    {ContactsFailure::LoadAllContacts, "LoadAllContacts: Error - "},
    {ContactsFailure::LoadSelectedFolders, "LoadSelectedFolders: Error - "},
    {ContactsFailure::GetContactByPhone, "GetContactByPhone: Error - "},
    {ContactsFailure::LoadPhones, "LoadPhones: Error - "},
    {ContactsFailure::AddContactPhones, "AddContactPhones: Error - "},
    {ContactsFailure::EnumFolders, "EnumFolders: Error "},
    {ContactsFailure::CheckSelectedFolders, "CheckSelectedFolders: Error - "},
    {ContactsFailure::ParseSelFolders, "ParseSelFolders: Error - "},
    {ContactsFailure::GetSelectedCount, "GetSelectedCount: Error "},
    {ContactsFailure::SelFolderApply, "SelFolder Apply: Error "},
}};

}  // namespace

std::string_view FailureText(ContactsFailure failure) {
  for (const auto& [which, text] : kTexts)
    if (which == failure) return text;
  return {};
}

}  // namespace ringova
