#pragma once

namespace telvane {

// Texts of the scanner's reports. error(code) shows message `code` (1 to 16); fatalError(code)
// shows message 17 + code (18, 19). Placeholders such as {0} are left as they stand.
// Returns null for a number without a text.
const char* xmlMessageText(int message);

// Message numbers for the scanner's error(code) calls.
enum XMLErrorCode {
  kXmlExpectedCommentOrCdata = 1,
  kXmlExpectedAttributeName = 2,
  kXmlExpectedEqualSign = 3,
  kXmlExpectedElementName = 4,
  kXmlInvalidStructure = 5,
  kXmlUnterminatedStartTag = 6,
  kXmlExpectedAttributeValue = 7,
  kXmlUnterminatedEndTag = 8,
  kXmlExpectedEndOfTag = 9,
  kXmlExpectedWhitespace = 10,
  kXmlMoreEndTags = 11,
  kXmlDuplicateAttribute = 12,
  kXmlLessThanInAttribute = 13,
  kXmlUnclosedTags = 14,
  kXmlEmptyDocument = 15,
  kXmlCdataOutsideRoot = 16,
};

}  // namespace telvane
