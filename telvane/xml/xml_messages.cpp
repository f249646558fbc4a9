#include "telvane/xml/xml_messages.h"

namespace telvane {

namespace {

// Index = message number; 0 and 17 have no text.
constexpr const char* kMessages[] = {
    nullptr,
    "Expected comment or CDATA",
    "Expected an attribute name",
    "Expected equal sign",
    "Expected an element name",
    "Invalid document structure",
    "Unterminated start tag, '{0}'",
    "Expected an attribute value",
    "Unterminated end tag",
    "Expected end of tag '{0}'",
    "Expected whitespace",
    "There are more end tags than start tags",
    "The attribute '{0}' is already used in element '{1}'",
    "A '<' character cannot be used in attribute '{0}', except through &lt;",
    "The input ended before all started tags were ended. Last tag started was '{0}'",
    "The main XML document cannot be empty",
    "CDATA is not allowed outside the root element",
    nullptr,
    "The end of input was not expected",
    "Unbalanced start/end tags found, cannot continue",
};

}  // namespace

const char* xmlMessageText(int message) {
  if (message < 0 || message >= int(sizeof(kMessages) / sizeof(kMessages[0]))) return nullptr;
  return kMessages[message];
}

}  // namespace telvane
