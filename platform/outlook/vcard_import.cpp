#include "platform/outlook/vcard_import.h"

#include <algorithm>
#include <optional>
#include <set>

#include "platform/outlook/folder.h"
#include "platform/outlook/text_util.h"

namespace platform::outlook {
namespace {

struct LogicalLine {
  int line;
  std::string text;
  bool quoted_printable;  // continues over "=" soft breaks
};

struct Property {
  std::string name;             // upper case, group removed
  std::set<std::string> types;  // lower case
  std::string encoding;         // upper case
  std::string charset;          // upper case
  bool pref = false;
  std::string value;  // raw, still encoded and escaped
};

std::string ToUpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

// The head (before the value's ':') of a line marks quoted-printable in either parameter style.
bool HeadSaysQuotedPrintable(std::string_view line) {
  const std::size_t colon = line.find(':');
  return ContainsIgnoreCase(line.substr(0, colon), "QUOTED-PRINTABLE");
}

std::vector<LogicalLine> Unfold(std::string_view text) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  std::vector<LogicalLine> lines;
  int number = 0;
  std::size_t start = 0;
  bool qp_open = false;  // the last line is quoted-printable and ended in a soft break
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view physical = text.substr(start, end - start);
    if (!physical.empty() && physical.back() == '\r') physical.remove_suffix(1);
    ++number;
    start = end + 1;
    if (qp_open && !lines.empty()) {
      lines.back().text.pop_back();  // the soft break's '='
      lines.back().text.append(physical);
    } else if (!physical.empty() && (physical[0] == ' ' || physical[0] == '\t') && !lines.empty()) {
      lines.back().text.append(physical.substr(1));
    } else if (TrimBlanks(physical).empty()) {
      qp_open = false;
      continue;
    } else {
      lines.push_back({number, std::string(physical), HeadSaysQuotedPrintable(physical)});
    }
    qp_open = lines.back().quoted_printable && !lines.back().text.empty() &&
              lines.back().text.back() == '=';
    if (end == text.size()) break;
  }
  return lines;
}

// Splits at `sep` outside double quotes.
std::vector<std::string_view> SplitOutsideQuotes(std::string_view text, char sep) {
  std::vector<std::string_view> parts;
  bool quoted = false;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '"') quoted = !quoted;
    if (text[i] == sep && !quoted) {
      parts.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  parts.push_back(text.substr(start));
  return parts;
}

std::string Unquote(std::string_view v) {
  v = TrimBlanks(v);
  if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
  return std::string(v);
}

void AddTypes(Property& p, std::string_view list) {
  const std::string unquoted = Unquote(list);
  for (std::string_view t : SplitOutsideQuotes(unquoted, ',')) {
    std::string type = ToLowerAscii(TrimBlanks(t));
    if (type == "pref") p.pref = true;
    if (!type.empty()) p.types.insert(type);
  }
}

// false and *error when the line is not a property line.
bool ParseProperty(const LogicalLine& line, Property* p, std::string* error) {
  bool quoted = false;
  std::size_t colon = std::string::npos;
  for (std::size_t i = 0; i < line.text.size(); ++i) {
    if (line.text[i] == '"') quoted = !quoted;
    if (line.text[i] == ':' && !quoted) {
      colon = i;
      break;
    }
  }
  if (colon == std::string::npos) {
    *error = "property line without ':'";
    return false;
  }
  const std::string_view head = std::string_view(line.text).substr(0, colon);
  p->value = line.text.substr(colon + 1);
  const auto params = SplitOutsideQuotes(head, ';');
  std::string_view name = TrimBlanks(params[0]);
  if (const std::size_t dot = name.rfind('.'); dot != std::string_view::npos)
    name = name.substr(dot + 1);
  if (name.empty()) {
    *error = "property line without a name";
    return false;
  }
  p->name = ToUpperAscii(name);
  for (std::size_t i = 1; i < params.size(); ++i) {
    const std::string_view param = TrimBlanks(params[i]);
    if (param.empty()) continue;
    const std::size_t eq = param.find('=');
    if (eq == std::string_view::npos) {  // the 2.1 style: a bare value
      const std::string bare = ToUpperAscii(param);
      if (bare == "QUOTED-PRINTABLE" || bare == "BASE64" || bare == "8BIT" || bare == "7BIT")
        p->encoding = bare;
      else
        AddTypes(*p, param);
      continue;
    }
    const std::string key = ToUpperAscii(TrimBlanks(param.substr(0, eq)));
    const std::string_view value = param.substr(eq + 1);
    if (key == "TYPE")
      AddTypes(*p, value);
    else if (key == "ENCODING")
      p->encoding = ToUpperAscii(Unquote(value));
    else if (key == "CHARSET")
      p->charset = ToUpperAscii(Unquote(value));
    else if (key == "PREF")
      p->pref = true;
  }
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<std::string> DecodeQuotedPrintable(std::string_view in) {
  std::string out;
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (in[i] != '=') {
      out += in[i];
      continue;
    }
    if (i + 1 == in.size()) break;  // a last soft break
    if (i + 2 >= in.size()) return std::nullopt;
    const int hi = HexDigit(in[i + 1]);
    const int lo = HexDigit(in[i + 2]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return out;
}

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

// Windows-1252 differs from ISO-8859-1 only in 0x80 to 0x9F; unassigned codes stay as they are.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

std::string SingleByteToUtf8(std::string_view in, bool windows_1252) {
  std::string out;
  for (unsigned char c : in) {
    const bool high = windows_1252 && c >= 0x80 && c <= 0x9F;
    AppendUtf8(out, high ? kWindows1252High[c - 0x80] : c);
  }
  return out;
}

// Undoes encoding and charset; text escapes stay for the caller, who splits components first.
bool DecodeValue(const Property& p, std::string* value, std::string* error) {
  std::string v = p.value;
  if (p.encoding == "QUOTED-PRINTABLE") {
    auto decoded = DecodeQuotedPrintable(v);
    if (!decoded) {
      *error = "invalid quoted-printable text in " + p.name;
      return false;
    }
    v = std::move(*decoded);
  }
  if (p.charset.empty() || p.charset == "UTF-8" || p.charset == "US-ASCII") {
    *value = std::move(v);
  } else if (p.charset == "ISO-8859-1" || p.charset == "LATIN1") {
    *value = SingleByteToUtf8(v, false);
  } else if (p.charset == "WINDOWS-1252" || p.charset == "CP1252") {
    *value = SingleByteToUtf8(v, true);
  } else {
    *error = "unsupported CHARSET " + p.charset + " in " + p.name;
    return false;
  }
  return true;
}

// Splits at unescaped `sep`, then removes the text escapes.
std::vector<std::string> Components(std::string_view v, char sep) {
  std::vector<std::string> parts(1);
  for (std::size_t i = 0; i < v.size(); ++i) {
    const char c = v[i];
    if (c == '\\' && i + 1 < v.size()) {
      const char n = v[++i];
      parts.back() += (n == 'n' || n == 'N') ? '\n' : n;
    } else if (c == sep) {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  for (auto& part : parts) part = std::string(TrimBlanks(part));
  return parts;
}

std::string Text(std::string_view v) {
  return Components(v, '\0').front();
}

std::string JoinNonEmpty(std::initializer_list<std::string_view> parts) {
  std::string out;
  for (std::string_view part : parts) {
    if (part.empty()) continue;
    if (!out.empty()) out += ' ';
    out += part;
  }
  return out;
}

class CardBuilder {
 public:
  CardBuilder(std::string_view source, int line, std::vector<std::string>* warnings)
      : source_(source), warnings_(warnings) {
    card_.line = line;
  }

  bool Add(const Property& p, int line, std::string* error) {
    std::string value;
    if (p.encoding == "BASE64" || p.encoding == "B") return true;  // photos, keys: not kept
    if (!DecodeValue(p, &value, error)) return false;
    if (p.name == "VERSION") {
      const std::string version(TrimBlanks(value));
      if (version != "2.1" && version != "3.0" && version != "4.0") {
        *error = "unsupported vCard version \"" + version + "\"";
        return false;
      }
    } else if (p.name == "FN") {
      full_name_ = Text(value);
    } else if (p.name == "N") {
      auto n = Components(value, ';');
      n.resize(5);
      for (auto& part : n) std::replace(part.begin(), part.end(), ',', ' ');
      Set("LastName", n[0]);
      Set("FirstName", n[1]);
      Set("MiddleName", n[2]);
      Set("Title", n[3]);
      Set("Suffix", n[4]);
      name_from_n_ = JoinNonEmpty({n[3], n[1], n[2], n[0], n[4]});
    } else if (p.name == "ORG") {
      auto org = Components(value, ';');
      Set("CompanyName", org[0]);
      if (org.size() > 1) Set("Department", org[1]);
    } else if (p.name == "TITLE") {
      Set("JobTitle", Text(value));
    } else if (p.name == "NOTE") {
      Set("Body", Text(value));
    } else if (p.name == "CATEGORIES") {
      auto list = Components(value, ',');
      std::string joined;
      for (const auto& c : list)
        if (!c.empty()) joined += (joined.empty() ? "" : ", ") + c;
      Set("Categories", joined);
    } else if (p.name == "EMAIL") {
      const std::string address = Text(value);
      if (!address.empty()) {
        if (p.pref)
          emails_.insert(emails_.begin() + preferred_emails_++, {address, line});
        else
          emails_.push_back({address, line});
      }
    } else if (p.name == "TEL") {
      AddPhone(p, Text(value), line);
    }
    return true;
  }

  VCardContact Finish() {
    static constexpr std::string_view kEmail[] = {"Email1Address", "Email2Address",
                                                  "Email3Address"};
    for (std::size_t i = 0; i < emails_.size(); ++i) {
      if (i < 3)
        Set(std::string(kEmail[i]), emails_[i].first);
      else
        Warn(emails_[i].second, "e-mail address " + emails_[i].first + " not kept (only three)");
    }
    std::string name = full_name_;
    if (name.empty()) name = name_from_n_;
    if (name.empty()) name = card_.Get("CompanyName");
    if (name.empty() && !emails_.empty()) name = emails_.front().first;
    if (name.empty()) Warn(card_.line, "card has no name");
    card_.properties.insert(card_.properties.begin(), {"FullName", name});
    return std::move(card_);
  }

 private:
  void Set(const std::string& name, std::string value) {
    if (value.empty()) return;
    for (auto& [n, v] : card_.properties)
      if (n == name) {
        v = std::move(value);
        return;
      }
    card_.properties.emplace_back(name, std::move(value));
  }
  bool Has(std::string_view name) const { return !card_.Get(name).empty(); }
  void Warn(int line, const std::string& what) {
    warnings_->push_back(std::string(source_) + ":" + std::to_string(line) + ": " + what);
  }

  void AddPhone(const Property& p, std::string number, int line) {
    if (number.size() > 4 && EqualsIgnoreCase(number.substr(0, 4), "tel:")) {
      number.erase(0, 4);
      if (const std::size_t semi = number.find(';'); semi != std::string::npos) {
        if (ContainsIgnoreCase(number.substr(semi), "ext="))
          Warn(line, "extension of " + number + " not kept");
        number.erase(semi);
      }
    }
    number = std::string(TrimBlanks(number));
    if (number.empty()) return;
    const auto has = [&p](std::string_view t) { return p.types.count(std::string(t)) > 0; };
    std::vector<std::string_view> places;
    if (has("fax")) {
      places = {has("home") ? "HomeFaxNumber" : "BusinessFaxNumber"};
    } else if (has("pager")) {
      places = {"PagerNumber"};
    } else if (has("cell") || has("mobile") || has("iphone")) {
      places = {"MobileTelephoneNumber", "OtherTelephoneNumber"};
    } else if (has("car")) {
      places = {"CarTelephoneNumber", "OtherTelephoneNumber"};
    } else if (has("work")) {
      places = {"BusinessTelephoneNumber", "Business2TelephoneNumber", "OtherTelephoneNumber"};
    } else if (has("home")) {
      places = {"HomeTelephoneNumber", "Home2TelephoneNumber", "OtherTelephoneNumber"};
    } else if (has("main")) {
      places = {"CompanyMainTelephoneNumber", "OtherTelephoneNumber"};
    } else {
      places = {"OtherTelephoneNumber"};
    }
    for (std::string_view place : places)
      if (!Has(place)) {
        Set(std::string(place), number);
        return;
      }
    Warn(line, "telephone number " + number + " not kept (no free telephone property)");
  }

  std::string_view source_;
  std::vector<std::string>* warnings_;
  VCardContact card_;
  std::string full_name_, name_from_n_;
  std::vector<std::pair<std::string, int>> emails_;
  std::size_t preferred_emails_ = 0;
};

}  // namespace

std::string VCardContact::Get(std::string_view name) const {
  for (const auto& [n, v] : properties)
    if (n == name) return v;
  return std::string();
}

VCardParse ParseVCards(std::string_view text, std::string_view source_name) {
  VCardParse result;
  std::optional<CardBuilder> card;
  int card_line = 0;
  const auto fail = [&](int line, const std::string& what) {
    result.error = std::string(source_name) + ":" + std::to_string(line) + ": " + what;
    result.contacts.clear();
    return result;
  };
  for (const LogicalLine& line : Unfold(text)) {
    Property p;
    std::string error;
    if (!ParseProperty(line, &p, &error)) return fail(line.line, error);
    const std::string value = ToUpperAscii(TrimBlanks(p.value));
    if (p.name == "BEGIN" && value == "VCARD") {
      if (card)
        return fail(line.line,
                    "BEGIN:VCARD inside the card begun at line " + std::to_string(card_line));
      card.emplace(source_name, line.line, &result.warnings);
      card_line = line.line;
    } else if (p.name == "END" && value == "VCARD") {
      if (!card) return fail(line.line, "END:VCARD without BEGIN:VCARD");
      result.contacts.push_back(card->Finish());
      card.reset();
    } else if (!card) {
      return fail(line.line, "\"" + p.name + "\" outside BEGIN:VCARD ... END:VCARD");
    } else if (!card->Add(p, line.line, &error)) {
      return fail(line.line, error);
    }
  }
  if (card) return fail(card_line, "the card begun here has no END:VCARD");
  return result;
}

VCardImportResult ImportVCards(std::string_view text, std::string_view source_name,
                               Folder& folder) {
  VCardParse parsed = ParseVCards(text, source_name);
  VCardImportResult result;
  result.warnings = std::move(parsed.warnings);
  if (!parsed.ok()) {
    result.error = std::move(parsed.error);
    return result;
  }
  for (const VCardContact& contact : parsed.contacts) {
    auto item = folder.Items().Add(olContactItem);
    for (const auto& [name, value] : contact.properties) item->SetProperty(name, value);
    item->Save();
    ++result.imported;
  }
  return result;
}

VCardImportResult ImportVCardFile(const std::filesystem::path& path, Folder& folder) {
  const std::optional<std::string> text = ReadWholeFile(path);
  if (!text) {
    VCardImportResult result;
    result.error = path.string() + ": cannot be read";
    return result;
  }
  return ImportVCards(*text, path.string(), folder);
}

}  // namespace platform::outlook
