#pragma once
// The user's mailbox in Outlook's stand-in, from the paths on the command line: JSON folder
// trees (platform/outlook/mailbox_loader.h), vCard files and folders of .vcf files (into the
// default Contacts folder). JSON trees load first, in the order given, then the cards. A mailbox
// without stores gets one with Outlook's usual folders.
#include <filesystem>
#include <string>
#include <vector>

namespace platform::outlook {
class NameSpace;
}

namespace ringova::host {

struct MailboxSummary {
  int contacts = 0;
  int mails = 0;
  std::vector<std::string> warnings;
};

// False with one error naming the file (and line where there is one); the namespace may then
// hold part of the mailbox.
bool LoadMailboxes(const std::vector<std::filesystem::path>& paths,
                   platform::outlook::NameSpace& session, MailboxSummary& summary,
                   std::string& error);

// The mailbox loaded when none is named: $XDG_DATA_HOME/ringova/mailbox (else
// ~/.local/share/ringova/mailbox); a folder there stands for its mailbox.json and its cards.
std::vector<std::filesystem::path> DefaultMailbox();

}  // namespace ringova::host
