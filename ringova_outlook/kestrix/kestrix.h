#pragma once
// The dialing-rule matcher, a shared library of its own ("libkestrix.so") that the add-in loads
// by name on first use. Plain C interface so that any caller can bind it with dlsym.
//
// Pattern language (one pattern per rule; a pattern matches the whole number):
//   0-9 + * #   the character itself
//   X           any digit            (x as well)
//   Z           a digit 1-9          (z as well)
//   N           a digit 2-9          (n as well)
//   [...]       one character of a set; ranges allowed, e.g. [1-57] is 1 to 5 or 7
//   .           one or more further characters of any kind
//   !           zero or more further characters of any kind
//   other       the character itself, ignoring ASCII letter case
// A pattern with an unclosed "[" matches nothing.
//
// Among the rules whose pattern matches, the most specific wins: more literal characters first,
// then fewer wildcards, then the earlier rule.
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// One rule as the add-in keeps it: five texts, each zero-terminated (a null pointer reads as "").
typedef struct KestrixRule {
  const char* pattern;
  const char* discarded;
  const char* prefix;
  const char* suffix;
  const char* description;
} KestrixRule;

typedef struct KestrixRuleTable {
  const KestrixRule* rules;  // `count` rules in table order
  int32_t count;
} KestrixRuleTable;

// The 1-based position of the best-matching rule for `number`, 0 when none matches (or either
// argument is null). Never throws.
int32_t GetBestMatching(const char* number, const KestrixRuleTable* rules);

typedef int32_t (*GetBestMatchingFn)(const char* number, const KestrixRuleTable* rules);

#ifdef __cplusplus
}
#endif
