// Contacts from vCard files (versions 3.0 and 4.0, and the 2.1 shapes phones still export).
//
// Understood: folded lines, groups ("item1.TEL"), parameters in either style (TYPE=work,voice;
// TYPE="work,voice"; bare WORK), quoted-printable values with soft line breaks, CHARSET UTF-8,
// ISO-8859-1 and Windows-1252, text escapes, "tel:" URIs. Mapped: FN (or, when it is missing, a
// name made from N, then ORG, then EMAIL) to FullName; N, ORG, TITLE, NOTE, CATEGORIES; up to three
// EMAIL (preferred first); TEL by its TYPE to the eight telephone properties (work, home, cell,
// car, main, other; a second work or home number goes to Business2/Home2, a number without a free
// place to Other) and to the fax and pager properties.
//
// A file is read whole before anything is added: a malformed file adds nothing and its error names
// the file and the line ("contacts.vcf:12: ..."). Things that are understood but cannot be kept
// (a fourth e-mail address, a number without a free property) are warnings.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform::outlook {

class Folder;

// One card: contact property names (as on ContactItem) and their values.
struct VCardContact {
  int line = 0;  // where BEGIN:VCARD stands
  std::vector<std::pair<std::string, std::string>> properties;
  std::string Get(std::string_view name) const;
};

struct VCardParse {
  std::vector<VCardContact> contacts;
  std::vector<std::string> warnings;
  std::string error;  // empty on success
  bool ok() const { return error.empty(); }
};

struct VCardImportResult {
  int imported = 0;
  std::vector<std::string> warnings;
  std::string error;
  bool ok() const { return error.empty(); }
};

// source_name is used in messages, usually the file name.
VCardParse ParseVCards(std::string_view text, std::string_view source_name);

// Each card becomes a saved contact item of the folder (ItemAdd per card).
VCardImportResult ImportVCards(std::string_view text, std::string_view source_name, Folder& folder);
VCardImportResult ImportVCardFile(const std::filesystem::path& path, Folder& folder);

}  // namespace platform::outlook
