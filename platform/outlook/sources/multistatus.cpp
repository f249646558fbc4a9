#include "platform/outlook/sources/multistatus.h"

#include <expat.h>

#include <charconv>
#include <memory>

#include "platform/outlook/text_util.h"

namespace platform::outlook::sources {
namespace {

constexpr char kSeparator = '\x01';
constexpr std::string_view kDav = "DAV:";
constexpr std::string_view kCardDav = "urn:ietf:params:xml:ns:carddav";
// A card or a name never needs more; a server that sends more is broken or hostile.
constexpr std::size_t kMaxText = 4 * 1024 * 1024;
constexpr std::size_t kMaxDepth = 64;

struct Name {
  std::string_view space;
  std::string_view local;
  bool Is(std::string_view s, std::string_view l) const { return space == s && local == l; }
};

Name Split(std::string_view qualified) {
  const std::size_t at = qualified.find(kSeparator);
  if (at == std::string_view::npos) return {{}, qualified};
  return {qualified.substr(0, at), qualified.substr(at + 1)};
}

struct Reader {
  XML_Parser parser = nullptr;
  MultistatusParse result;
  std::vector<std::string> stack;  // qualified names of the open elements
  std::string text;
  bool collecting = false;
  DavResponse response;
  DavProperties propstat;
  int propstat_status = 0;

  Name At(std::size_t from_top) const {
    if (from_top >= stack.size()) return {};
    return Split(stack[stack.size() - 1 - from_top]);
  }
  void Fail(std::string why) {
    if (result.error.empty()) result.error = std::move(why);
    XML_StopParser(parser, XML_FALSE);
  }
};

// Elements whose text is kept: every one the sync reads is a leaf.
bool CollectsText(const Reader& r, Name name) {
  if (name.Is(kDav, "href") || name.Is(kDav, "status") || name.Is(kDav, "displayname") ||
      name.Is(kDav, "getetag") || name.Is(kDav, "sync-token"))
    return true;
  return name.Is(kCardDav, "address-data") && r.At(0).Is(kDav, "prop");
}

void OnStart(void* user, const XML_Char* qualified, const XML_Char**) {
  auto& r = *static_cast<Reader*>(user);
  if (!r.result.error.empty()) return;  // a stopped parser may still report an event or two
  if (r.stack.size() >= kMaxDepth) return r.Fail("elements nested too deeply");
  const Name name = Split(qualified);
  if (r.stack.empty() && !name.Is(kDav, "multistatus")) return r.Fail("not a multistatus");
  if (name.Is(kDav, "response") && r.At(0).Is(kDav, "multistatus")) r.response = {};
  if (name.Is(kDav, "propstat")) {
    r.propstat = {};
    r.propstat_status = 0;
  }
  if (r.At(0).Is(kDav, "resourcetype")) {
    if (name.Is(kDav, "collection")) r.propstat.collection = true;
    if (name.Is(kCardDav, "addressbook")) r.propstat.address_book = true;
  }
  r.collecting = CollectsText(r, name);
  r.text.clear();
  r.stack.emplace_back(qualified);
}

void OnText(void* user, const XML_Char* data, int length) {
  auto& r = *static_cast<Reader*>(user);
  if (!r.collecting || !r.result.error.empty()) return;
  if (r.text.size() + static_cast<std::size_t>(length) > kMaxText)
    return r.Fail("an element's text is too long");
  r.text.append(data, static_cast<std::size_t>(length));
}

void Merge(DavProperties& into, DavProperties&& from) {
  if (from.display_name) into.display_name = std::move(from.display_name);
  if (from.etag) into.etag = std::move(from.etag);
  if (from.address_data) into.address_data = std::move(from.address_data);
  into.collection = into.collection || from.collection;
  into.address_book = into.address_book || from.address_book;
  for (auto& h : from.current_user_principal) into.current_user_principal.push_back(std::move(h));
  for (auto& h : from.address_book_home_set) into.address_book_home_set.push_back(std::move(h));
}

void OnEnd(void* user, const XML_Char*) {
  auto& r = *static_cast<Reader*>(user);
  if (!r.result.error.empty() || r.stack.empty()) return;
  const Name name = r.At(0);
  const Name parent = r.At(1);
  std::string text = r.collecting ? std::move(r.text) : std::string();
  r.collecting = false;
  r.text.clear();

  if (name.Is(kDav, "href")) {
    std::string href(TrimBlanks(text));
    if (parent.Is(kDav, "response"))
      r.response.hrefs.push_back(std::move(href));
    else if (parent.Is(kDav, "current-user-principal"))
      r.propstat.current_user_principal.push_back(std::move(href));
    else if (parent.Is(kCardDav, "addressbook-home-set"))
      r.propstat.address_book_home_set.push_back(std::move(href));
  } else if (name.Is(kDav, "status")) {
    if (parent.Is(kDav, "response"))
      r.response.status = StatusCode(text);
    else if (parent.Is(kDav, "propstat"))
      r.propstat_status = StatusCode(text);
  } else if (parent.Is(kDav, "prop")) {
    if (name.Is(kDav, "displayname"))
      r.propstat.display_name = std::move(text);
    else if (name.Is(kDav, "getetag"))
      r.propstat.etag = std::string(TrimBlanks(text));
    else if (name.Is(kCardDav, "address-data"))
      r.propstat.address_data = std::move(text);
  } else if (name.Is(kDav, "sync-token") && parent.Is(kDav, "multistatus")) {
    r.result.value.sync_token = std::string(TrimBlanks(text));
  } else if (name.Is(kDav, "propstat")) {
    if (r.propstat_status >= 200 && r.propstat_status < 300)
      Merge(r.response.properties, std::move(r.propstat));
    r.propstat = {};
  } else if (name.Is(kDav, "response") && parent.Is(kDav, "multistatus")) {
    r.result.value.responses.push_back(std::move(r.response));
    r.response = {};
  }
  r.stack.pop_back();  // last: name and parent look into it
}

void OnEntityDeclaration(void* user, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                         const XML_Char*, const XML_Char*, const XML_Char*) {
  static_cast<Reader*>(user)->Fail("entity declarations are not accepted");
}

struct ParserDeleter {
  void operator()(XML_ParserStruct* p) const { XML_ParserFree(p); }
};

}  // namespace

int StatusCode(std::string_view status_line) {
  const std::size_t space = status_line.find(' ');
  if (space == std::string_view::npos) return 0;
  std::string_view rest = TrimBlanks(status_line.substr(space + 1));
  int code = 0;
  const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), code);
  if (ec != std::errc() || code < 100 || code > 999) return 0;
  return code;
}

MultistatusParse ParseMultistatus(std::string_view document) {
  Reader reader;
  std::unique_ptr<XML_ParserStruct, ParserDeleter> parser(XML_ParserCreateNS(nullptr, kSeparator));
  if (!parser) {
    reader.result.error = "out of memory";
    return std::move(reader.result);
  }
  reader.parser = parser.get();
  XML_SetUserData(parser.get(), &reader);
  XML_SetElementHandler(parser.get(), OnStart, OnEnd);
  XML_SetCharacterDataHandler(parser.get(), OnText);
  XML_SetEntityDeclHandler(parser.get(), OnEntityDeclaration);
  if (document.size() > static_cast<std::size_t>(INT32_MAX)) {
    reader.result.error = "the document is too large";
    return std::move(reader.result);
  }
  const XML_Status status =
      XML_Parse(parser.get(), document.data(), static_cast<int>(document.size()), XML_TRUE);
  if (status != XML_STATUS_OK && reader.result.error.empty()) {
    reader.result.error = std::string(XML_ErrorString(XML_GetErrorCode(parser.get()))) +
                          " at line " + std::to_string(XML_GetCurrentLineNumber(parser.get()));
  }
  if (!reader.result.ok()) reader.result.value = {};
  return std::move(reader.result);
}

}  // namespace platform::outlook::sources
