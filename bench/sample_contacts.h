#pragma once
// The mailbox the contact benchmarks load: one Contacts folder of `count` contacts with three
// numbers each (business, mobile, home), all different.

#include <string>

#include "platform/outlook/application.h"
#include "platform/outlook/constants.h"
#include "platform/outlook/folder.h"

namespace bench {

inline void AddSampleContacts(platform::outlook::Application& outlook, int count) {
  platform::outlook::Folder* store = outlook.GetNamespace("MAPI")->AddStore("Mailbox");
  platform::outlook::Folder* contacts =
      store->Folders().Add("Contacts", platform::outlook::olContactItem);
  for (int i = 0; i < count; ++i) {
    auto item = contacts->Items().Add();
    item->SetProperty("FullName", "Contact " + std::to_string(i));
    item->SetProperty("BusinessTelephoneNumber", "+49 30 " + std::to_string(1000000 + i));
    item->SetProperty("MobileTelephoneNumber", "+49 170 " + std::to_string(2000000 + i));
    item->SetProperty("HomeTelephoneNumber", "040 " + std::to_string(3000000 + i));
    item->Save();
  }
}

}  // namespace bench
