#include "apps/ringova/mailbox_setup.h"

#include <algorithm>
#include <cstdlib>

#include "platform/outlook/application.h"
#include "platform/outlook/constants.h"
#include "platform/outlook/mailbox_loader.h"
#include "platform/outlook/text_util.h"
#include "platform/outlook/vcard_import.h"

namespace ringova::host {

namespace ol = platform::outlook;
namespace fs = std::filesystem;

namespace {

enum class FileKind { Json, VCard, Unknown };

FileKind kindOf(const fs::path& path, const std::string& text) {
  const std::string_view body =
      ol::TrimBlanks(std::string_view(text).substr(0, std::min<std::size_t>(64, text.size())));
  if (body.starts_with("{") || body.starts_with("//") || body.starts_with("/*")) {
    return FileKind::Json;
  }
  if (body.size() >= 11 && ol::EqualsIgnoreCase(body.substr(0, 11), "BEGIN:VCARD")) {
    return FileKind::VCard;
  }
  const std::string ext = ol::ToLowerAscii(path.extension().string());
  if (ext == ".json") return FileKind::Json;
  if (ext == ".vcf" || ext == ".vcard") return FileKind::VCard;
  return FileKind::Unknown;
}

// The cards of a folder, by name.
std::vector<fs::path> cardsIn(const fs::path& folder) {
  std::vector<fs::path> cards;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    if (entry.is_regular_file(ec) &&
        ol::ToLowerAscii(entry.path().extension().string()) == ".vcf") {
      cards.push_back(entry.path());
    }
  }
  std::sort(cards.begin(), cards.end());
  return cards;
}

ol::Folder* contactsFolder(ol::NameSpace& session) {
  if (ol::Folder* f = session.GetDefaultFolder(ol::olFolderContacts)) return f;
  ol::AddStandardStore(session, "Mailbox");
  return session.GetDefaultFolder(ol::olFolderContacts);
}

}  // namespace

bool LoadMailboxes(const std::vector<fs::path>& paths, ol::NameSpace& session,
                   MailboxSummary& summary, std::string& error) {
  std::vector<fs::path> cards;
  for (const fs::path& path : paths) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
      const fs::path json = path / "mailbox.json";
      if (fs::is_regular_file(json, ec)) {
        ol::MailboxLoadResult r = ol::LoadMailboxFile(json, session);
        if (!r.ok()) return error = r.error, false;
        summary.contacts += r.contacts;
        summary.mails += r.mails;
        summary.warnings.insert(summary.warnings.end(), r.warnings.begin(), r.warnings.end());
      } else {
        const std::vector<fs::path> found = cardsIn(path);
        cards.insert(cards.end(), found.begin(), found.end());
      }
      continue;
    }
    const std::optional<std::string> text = ol::ReadWholeFile(path);
    if (!text) return error = path.string() + ": cannot be read", false;
    switch (kindOf(path, *text)) {
      case FileKind::Json: {
        ol::MailboxLoadResult r =
            ol::LoadMailbox(*text, path.string(), path.parent_path(), session);
        if (!r.ok()) return error = r.error, false;
        summary.contacts += r.contacts;
        summary.mails += r.mails;
        summary.warnings.insert(summary.warnings.end(), r.warnings.begin(), r.warnings.end());
        break;
      }
      case FileKind::VCard:
        cards.push_back(path);
        break;
      case FileKind::Unknown:
        error = path.string() + ":1: neither a JSON mailbox nor a vCard file";
        return false;
    }
  }
  for (const fs::path& card : cards) {
    ol::Folder* folder = contactsFolder(session);
    if (!folder) return error = card.string() + ": the mailbox has no Contacts folder", false;
    ol::VCardImportResult r = ol::ImportVCardFile(card, *folder);
    if (!r.ok()) return error = r.error, false;
    summary.contacts += r.imported;
    summary.warnings.insert(summary.warnings.end(), r.warnings.begin(), r.warnings.end());
  }
  if (session.Folders().Count() == 0) ol::AddStandardStore(session, "Mailbox");
  return true;
}

std::vector<fs::path> DefaultMailbox() {
  fs::path data;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) {
    data = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    data = fs::path(home) / ".local/share";
  } else {
    return {};
  }
  const fs::path mailbox = data / "ringova/mailbox";
  std::error_code ec;
  if (fs::exists(mailbox, ec)) return {mailbox};
  return {};
}

}  // namespace ringova::host
