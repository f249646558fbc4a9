#include "platform/outlook/sources/ldap_sync.h"

#include <openssl/evp.h>

#include <algorithm>
#include <map>

#include "platform/outlook/text_util.h"

namespace platform::outlook::sources {
namespace {

// Which attribute becomes which vCard property; the vCard reader then puts numbers onto the
// contact's telephone properties by their TYPE. Attribute names in lower case, as read.
struct AttributeMapping {
  std::string_view attribute;
  std::string_view property;
};
constexpr AttributeMapping kAttributeTable[] = {
    {"telephonenumber", "TEL;TYPE=work"},
    {"othertelephone", "TEL;TYPE=work"},
    {"homephone", "TEL;TYPE=home"},
    {"otherhomephone", "TEL;TYPE=home"},
    {"mobile", "TEL;TYPE=cell"},
    {"othermobile", "TEL;TYPE=cell"},
    {"ipphone", "TEL"},
    {"facsimiletelephonenumber", "TEL;TYPE=work,fax"},
    {"pager", "TEL;TYPE=pager"},
    {"mail", "EMAIL"},
    {"title", "TITLE"},
};
// Names: the first of these that the entry has is the full name.
constexpr std::string_view kFullNames[] = {"displayname", "cn"};
constexpr std::string_view kCompanies[] = {"o", "company"};
constexpr std::string_view kKeys[] = {"entryuuid"};

std::string Escaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\\' || c == ',' || c == ';') out += '\\';
    if (c == '\r') continue;
    if (c == '\n') {
      out += "\\n";
      continue;
    }
    out += c;
  }
  return out;
}

std::string First(const LdapEntry& entry, std::string_view attribute) {
  const auto* values = entry.Values(attribute);
  if (!values) return {};
  for (const std::string& v : *values)
    if (!TrimBlanks(v).empty()) return std::string(TrimBlanks(v));
  return {};
}

std::string Digest(std::string_view text) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(text.data(), text.size(), digest, &length, EVP_sha256(), nullptr) != 1) return {};
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  for (unsigned int i = 0; i < 16 && i < length; ++i) {
    out += kHex[digest[i] >> 4];
    out += kHex[digest[i] & 15];
  }
  return out;
}

std::string KeyOf(const LdapEntry& entry) {
  for (std::string_view key : kKeys)
    if (std::string value = First(entry, key); !value.empty()) return value;
  return entry.dn;
}

}  // namespace

std::vector<std::string> LdapRequestedAttributes() {
  std::vector<std::string> names;
  for (const auto& m : kAttributeTable) names.emplace_back(m.attribute);
  for (auto name : kFullNames) names.emplace_back(name);
  for (auto name : kCompanies) names.emplace_back(name);
  for (auto name : kKeys) names.emplace_back(name);
  names.emplace_back("givenname");
  names.emplace_back("sn");
  names.emplace_back("department");
  return names;
}

std::optional<std::string> LdapEntryToVCard(const LdapEntry& entry) {
  std::string body;
  bool reachable = false;
  for (const auto& m : kAttributeTable) {
    const auto* values = entry.Values(m.attribute);
    if (!values) continue;
    for (const std::string& value : *values) {
      const std::string_view v = TrimBlanks(value);
      if (v.empty()) continue;
      body += std::string(m.property) + ":" + Escaped(v) + "\r\n";
      if (m.property != "TITLE") reachable = true;
    }
  }
  std::string full_name;
  for (auto name : kFullNames)
    if (full_name = First(entry, name); !full_name.empty()) break;
  const std::string given = First(entry, "givenname");
  const std::string family = First(entry, "sn");
  std::string company;
  for (auto name : kCompanies)
    if (company = First(entry, name); !company.empty()) break;
  const std::string department = First(entry, "department");
  if (!reachable || (full_name.empty() && given.empty() && family.empty() && company.empty()))
    return std::nullopt;
  std::string card = "BEGIN:VCARD\r\nVERSION:3.0\r\n";
  if (!full_name.empty()) card += "FN:" + Escaped(full_name) + "\r\n";
  if (!given.empty() || !family.empty())
    card += "N:" + Escaped(family) + ";" + Escaped(given) + ";;;\r\n";
  if (!company.empty() || !department.empty())
    card +=
        "ORG:" + Escaped(company) + (department.empty() ? "" : ";" + Escaped(department)) + "\r\n";
  return card + body + "END:VCARD\r\n";
}

std::string LdapBookUrl(const LdapSource& source) {
  std::string url = source.account.url;
  while (!url.empty() && url.back() == '/') url.pop_back();
  return url + "/" + source.base;
}

SyncOutcome SyncLdap(const LdapSource& source, const SourceSnapshot& previous,
                     const LdapLimits& limits) {
  SyncOutcome outcome;
  outcome.snapshot = previous;
  const auto failed = [&outcome, &previous](const LdapResult& result) {
    outcome.failure = result.failure;
    outcome.error = result.error;
    outcome.snapshot = previous;
    outcome.notes.clear();
    return outcome;
  };
  LdapConnection connection(source.account, limits);
  if (LdapResult opened = connection.Open(); !opened.ok()) return failed(opened);

  BookState book;
  book.url = LdapBookUrl(source);
  book.name = source.name;
  const std::string filter =
      source.filter.empty() ? std::string(kDefaultLdapFilter) : source.filter;
  const LdapResult searched =
      connection.Search(source.base, filter, LdapRequestedAttributes(), [&](LdapEntry entry) {
        std::optional<std::string> vcard = LdapEntryToVCard(entry);
        if (!vcard) {
          outcome.notes.push_back("the entry " + entry.dn +
                                  " is skipped: it has no name or no number or address");
          return;
        }
        std::string etag = Digest(*vcard);
        book.cards.push_back({KeyOf(entry), std::move(etag), std::move(*vcard)});
      });
  if (!searched.ok()) return failed(searched);

  std::sort(book.cards.begin(), book.cards.end(),
            [](const CardState& a, const CardState& b) { return a.href < b.href; });
  // Two entries of one key (a server without entryUUID, a DN seen twice): the first is kept.
  book.cards.erase(std::unique(book.cards.begin(), book.cards.end(),
                               [](const auto& a, const auto& b) { return a.href == b.href; }),
                   book.cards.end());

  BookChanges changes;
  changes.url = book.url;
  changes.name = book.name;
  std::map<std::string_view, std::string_view> known;  // href -> etag
  for (const BookState& old : previous.books) {
    if (old.url != book.url) {
      outcome.changes.push_back({old.url, old.name, true, {}, {}});
      continue;
    }
    for (const CardState& card : old.cards) known.emplace(card.href, card.etag);
  }
  const bool first = known.empty();
  for (const CardState& card : book.cards) {
    auto it = known.find(card.href);
    if (it == known.end() || it->second != card.etag) changes.upserts.push_back(card);
    if (it != known.end()) known.erase(it);
  }
  for (const auto& [href, etag] : known) changes.removed.emplace_back(href);
  if (!changes.empty() || first) outcome.changes.push_back(std::move(changes));
  outcome.snapshot.books.clear();
  outcome.snapshot.books.push_back(std::move(book));
  return outcome;
}

}  // namespace platform::outlook::sources
