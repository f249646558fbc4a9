// A vCard file: parsed, and when it parses, imported into a contacts folder. An import adds
// exactly the cards the parse found and fails exactly when the parse fails; errors name the file.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/outlook/application.h"
#include "platform/outlook/constants.h"
#include "platform/outlook/folder.h"
#include "platform/outlook/vcard_import.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace ol = platform::outlook;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const ol::VCardParse parsed = ol::ParseVCards(text, "fuzz.vcf");
  if (!parsed.ok() && !parsed.error.starts_with("fuzz.vcf")) __builtin_trap();
  for (const ol::VCardContact& card : parsed.contacts) {
    if (card.line < 1) __builtin_trap();
  }

  ol::Application app;
  ol::Folder* store = app.GetNamespace("MAPI")->AddStore("Fuzz");
  ol::Folder* contacts = store->Folders().Add("Contacts", ol::olContactItem);
  const ol::VCardImportResult imported = ol::ImportVCards(text, "fuzz.vcf", *contacts);
  if (imported.ok() != parsed.ok()) __builtin_trap();
  const int expected = parsed.ok() ? static_cast<int>(parsed.contacts.size()) : 0;
  if (imported.imported != expected || contacts->Items().Count() != expected) __builtin_trap();
  return 0;
}
