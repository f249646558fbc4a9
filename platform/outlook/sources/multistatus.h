// The WebDAV multistatus answers of PROPFIND, REPORT addressbook-multiget and sync-collection,
// read into what the address-book sync needs. Names are matched by namespace and local name, so
// any prefix a server picks works. A document that is not well-formed, declares entities or is
// not a multistatus is refused whole, with the reason.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::outlook::sources {

struct DavProperties {
  std::optional<std::string> display_name;
  std::optional<std::string> etag;
  std::optional<std::string> address_data;  // the card itself
  bool collection = false;
  bool address_book = false;
  std::vector<std::string> current_user_principal;  // hrefs
  std::vector<std::string> address_book_home_set;   // hrefs
};

struct DavResponse {
  std::vector<std::string> hrefs;
  int status = 0;            // of the response itself (a removed member answers 404); 0 when none
  DavProperties properties;  // merged from the propstats whose status is 2xx
};

struct Multistatus {
  std::vector<DavResponse> responses;
  std::optional<std::string> sync_token;
};

struct MultistatusParse {
  Multistatus value;
  std::string error;  // empty when the document was read
  bool ok() const { return error.empty(); }
};

MultistatusParse ParseMultistatus(std::string_view document);

// The number in an HTTP status line ("HTTP/1.1 404 Not Found"), 0 when there is none.
int StatusCode(std::string_view status_line);

}  // namespace platform::outlook::sources
