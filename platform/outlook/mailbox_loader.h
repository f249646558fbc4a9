// A mailbox for the host program and for tests: the folder tree of the MAPI namespace described in
// a JSON file, with contacts given inline or imported from vCard files.
//
//   {
//     "current_user": {"name": "Jane Doe", "address": "jane@example.com"},
//     "stores": [{
//       "name": "Mailbox - Jane Doe",
//       "folders": [
//         {"name": "Contacts", "default": "contacts", "vcards": ["contacts.vcf"],
//          "contacts": [{"FullName": "Max Muster", "BusinessTelephoneNumber": "+49 30 1234567"}],
//          "folders": [{"name": "Team", "type": "contacts"}]},
//         {"name": "Deleted Items", "default": "deleted_items"},
//         {"name": "Inbox", "default": "inbox",
//          "mails": [{"SenderName": "Max Muster", "SenderEmailAddress": "max@example.com"}]}
//       ]}]
//   }
//
// "type" is one of mail, calendar, contacts, tasks, journal, notes (default: the type of the
// "default" folder, else the parent's, else mail). "default" names the folder returned by
// GetDefaultFolder: deleted_items, outbox, sent_mail, inbox, calendar, contacts, journal, notes,
// tasks, drafts. Contacts and mails are objects of item property names and texts. vCard paths are
// relative to the JSON file. Unknown keys are errors, so a misspelt key is not silently ignored.
// Comments (// and /* */) are allowed.
//
// Errors name the file and line ("mailbox.json:7: ..."); the namespace may then hold part of the
// tree, so a host loads into a fresh Application.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace platform::outlook {

class Folder;
class NameSpace;

struct MailboxLoadResult {
  int folders = 0;
  int contacts = 0;
  int mails = 0;
  std::vector<std::string> warnings;  // from the vCard files
  std::string error;
  bool ok() const { return error.empty(); }
};

// A store with Outlook's usual folders (Deleted Items, Inbox, Outbox, Sent Items, Drafts,
// Calendar, Contacts, Journal, Notes, Tasks), each the default of its kind unless one is set
// already. nullptr when a store of that name exists.
Folder* AddStandardStore(NameSpace& session, std::string name);

MailboxLoadResult LoadMailboxFile(const std::filesystem::path& path, NameSpace& session);
// base_dir resolves relative vCard paths; source_name is used in messages.
MailboxLoadResult LoadMailbox(std::string_view json_text, std::string_view source_name,
                              const std::filesystem::path& base_dir, NameSpace& session);

}  // namespace platform::outlook
