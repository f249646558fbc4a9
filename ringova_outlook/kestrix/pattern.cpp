#include "ringova_outlook/kestrix/pattern.h"

#include <bitset>
#include <cctype>
#include <vector>

namespace kestrix {
namespace {

enum class TokenKind { Set, OneOrMore, ZeroOrMore };

struct Token {
  TokenKind kind = TokenKind::Set;
  std::bitset<256> set;  // for Set
};

unsigned char Lower(char c) {
  return static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(c)));
}

void AddRange(std::bitset<256>& set, char from, char to) {
  for (int c = static_cast<unsigned char>(from); c <= static_cast<unsigned char>(to); ++c)
    set.set(c);
}

// Letters match either case; the set holds both.
void AddLiteral(std::bitset<256>& set, char c) {
  set.set(static_cast<unsigned char>(c));
  set.set(static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(c))));
  set.set(Lower(c));
}

// False for a malformed pattern.
bool Tokenize(std::string_view pattern, std::vector<Token>& tokens, Specificity& spec) {
  for (size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    Token t;
    switch (Lower(c)) {
      case 'x':
        AddRange(t.set, '0', '9');
        ++spec.wildcards;
        break;
      case 'z':
        AddRange(t.set, '1', '9');
        ++spec.wildcards;
        break;
      case 'n':
        AddRange(t.set, '2', '9');
        ++spec.wildcards;
        break;
      case '.':
        t.kind = TokenKind::OneOrMore;
        ++spec.wildcards;
        break;
      case '!':
        t.kind = TokenKind::ZeroOrMore;
        ++spec.wildcards;
        break;
      case '[': {
        size_t close = pattern.find(']', i + 1);
        if (close == std::string_view::npos) return false;
        for (size_t k = i + 1; k < close; ++k) {
          if (k + 2 < close && pattern[k + 1] == '-') {
            AddRange(t.set, pattern[k], pattern[k + 2]);
            k += 2;
          } else {
            AddLiteral(t.set, pattern[k]);
          }
        }
        i = close;
        ++spec.wildcards;
        break;
      }
      default:
        AddLiteral(t.set, c);
        ++spec.literals;
        break;
    }
    tokens.push_back(t);
  }
  return true;
}

}  // namespace

std::optional<Specificity> Match(std::string_view pattern, std::string_view number) {
  std::vector<Token> tokens;
  Specificity spec;
  if (!Tokenize(pattern, tokens, spec)) return std::nullopt;

  // reach[j]: the tokens so far can consume exactly the first j characters of the number.
  const size_t n = number.size();
  std::vector<char> reach(n + 1, 0), next(n + 1, 0);
  reach[0] = 1;
  for (const Token& t : tokens) {
    std::fill(next.begin(), next.end(), 0);
    switch (t.kind) {
      case TokenKind::Set:
        for (size_t j = 0; j < n; ++j)
          if (reach[j] && t.set.test(static_cast<unsigned char>(number[j]))) next[j + 1] = 1;
        break;
      case TokenKind::ZeroOrMore:
      case TokenKind::OneOrMore: {
        size_t first = t.kind == TokenKind::ZeroOrMore ? 0 : 1;
        bool seen = false;
        for (size_t j = 0; j <= n; ++j) {
          if (j >= first && seen) next[j] = 1;
          if (j + first <= n && reach[j]) {
            if (first == 0) next[j] = 1;
            seen = true;
          }
        }
        break;
      }
    }
    reach.swap(next);
  }
  if (!reach[n]) return std::nullopt;
  return spec;
}

}  // namespace kestrix
