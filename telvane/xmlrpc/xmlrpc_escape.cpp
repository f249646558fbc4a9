#include "telvane/xmlrpc/xmlrpc_escape.h"

#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace telvane {

namespace {

// Strings run to a megabyte and more; both directions move 16 bytes at a time between the
// characters they change, where the machine allows.
constexpr std::size_t kBlock = 16;

// The written form of every byte: its entity for "&", "<" and ">", else the byte itself.
struct EscapeTable {
  struct Entry {
    char text[8];
    std::size_t length;
  };
  Entry entries[256] = {};
  constexpr EscapeTable() {
    for (int c = 0; c < 256; ++c) {
      entries[c].text[0] = static_cast<char>(c);
      entries[c].length = 1;
    }
    set('&', "&amp;");
    set('<', "&lt;");
    set('>', "&gt;");
  }
  constexpr void set(unsigned char c, std::string_view entity) {
    for (std::size_t i = 0; i < entity.size(); ++i) entries[c].text[i] = entity[i];
    entries[c].length = entity.size();
  }
};
constexpr EscapeTable kEscapes;

// Writes the form of `c` (8 bytes are stored; the caller has room); returns its length.
inline std::size_t putEscaped(char* out, char c) {
  const EscapeTable::Entry& e = kEscapes.entries[static_cast<unsigned char>(c)];
  std::memcpy(out, e.text, 8);
  return e.length;
}

inline std::size_t entityLength(char c) {
  return kEscapes.entries[static_cast<unsigned char>(c)].length;
}

inline bool tailAt(const char* data, std::size_t size, std::size_t at, std::string_view tail) {
  return size - at >= tail.size() && std::memcmp(data + at, tail.data(), tail.size()) == 0;
}

// Four bytes as one little-endian word.
constexpr std::uint32_t word(const char (&s)[5]) {
  return std::uint32_t(std::uint8_t(s[0])) | std::uint32_t(std::uint8_t(s[1])) << 8 |
         std::uint32_t(std::uint8_t(s[2])) << 16 | std::uint32_t(std::uint8_t(s[3])) << 24;
}

inline std::uint32_t load32(const char* p) {
  std::uint32_t w;
  std::memcpy(&w, p, 4);
  return w;
}

// The five passes of unescapeInPlace, fused. A pass only ever replaces an "&" and the letters
// after it with one character, and none of its tails holds an "&", so every "&" of the input
// meets the passes on its own, with the original letters that follow it: "amp;" runs, then
// "lt;" or "gt;", then "amp" runs, then "lt". `at` is at the "&"; returns the decoded character
// and moves `at` past what it stands for.
inline char decodeAt(const char* data, std::size_t size, std::size_t& at) {
  std::size_t p = at + 1;
  // The usual cases in whole words, while eight bytes are left to look at: "&amp;", "&lt;",
  // "&gt;", or an "&" that starts none of the patterns.
  if (size - p >= 8 && std::endian::native == std::endian::little) {
    constexpr std::uint32_t kTwo = 0xFFFFu;
    constexpr std::uint32_t kThree = 0xFFFFFFu;
    std::uint32_t w = load32(data + p);
    if (w == word("amp;")) {
      p += 4;
      w = load32(data + p);
    }
    const std::uint32_t two = w & kTwo;
    if (w != word("amp;") && two != (word("am__") & kTwo) && two != (word("lt__") & kTwo) &&
        two != (word("gt__") & kTwo)) {
      at = p;
      return '&';
    }
    if (p == at + 1) {
      if ((w & kThree) == (word("lt;_") & kThree)) {
        at = p + 3;
        return '<';
      }
      if ((w & kThree) == (word("gt;_") & kThree)) {
        at = p + 3;
        return '>';
      }
    }
  }
  while (tailAt(data, size, p, "amp;")) p += 4;
  char c = '&';
  if (tailAt(data, size, p, "lt;")) {
    c = '<';
    p += 3;
  } else if (tailAt(data, size, p, "gt;")) {
    c = '>';
    p += 3;
  } else {
    while (tailAt(data, size, p, "amp")) p += 3;
    if (tailAt(data, size, p, "lt")) {
      c = '<';
      p += 2;
    }
  }
  at = p;
  return c;
}

// Decodes [in, in + size) into `out`, which has room for `size` bytes, plus kBlock when not
// `inPlace`; returns the length written. `out` may equal `in` only when `inPlace` (the block
// copies then stay off).
std::size_t decode(const char* in, std::size_t size, char* out, bool inPlace) {
  std::size_t read = 0;
  std::size_t write = 0;
#if defined(__SSE2__)
  // Each block is stored whole; the plain bytes after each "&" of it are copied again, 16 at
  // a time, to where the decoded text has moved them (so a block needs 16 more bytes behind).
  if (!inPlace) {
    const __m128i amp = _mm_set1_epi8('&');
    while (size - read >= 2 * kBlock) {
      const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + read));
      unsigned mask = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(block, amp)));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + write), block);
      if (mask == 0) {
        read += kBlock;
        write += kBlock;
        continue;
      }
      std::size_t done = 0;  // bytes of the block consumed
      while (mask != 0) {
        const std::size_t at = std::size_t(__builtin_ctz(mask));
        std::memcpy(out + write, in + read + done, kBlock);
        write += at - done;
        std::size_t next = read + at;
        out[write++] = decodeAt(in, size, next);
        done = next - read;
        if (done >= kBlock) break;
        mask &= ~0u << done;
      }
      if (done < kBlock) {
        std::memcpy(out + write, in + read + done, kBlock);
        write += kBlock - done;
        done = kBlock;
      }
      read += done;
    }
  }
#endif
  while (read < size) {
    const char* amp = static_cast<const char*>(std::memchr(in + read, '&', size - read));
    const std::size_t run = (amp == nullptr ? size : std::size_t(amp - in)) - read;
    if (run > 0) {
      std::memmove(out + write, in + read, run);
      read += run;
      write += run;
    }
    if (amp != nullptr) out[write++] = decodeAt(in, size, read);
  }
  return write;
}

// The bytes the entities add to `text`.
std::size_t escapeGrowth(std::string_view text) {
  std::size_t grown = 0;
  std::size_t i = 0;
#if defined(__SSE2__)
  // Per-byte counters in lanes (a match is -1), summed before they can wrap.
  const __m128i amp = _mm_set1_epi8('&');
  const __m128i lt = _mm_set1_epi8('<');
  const __m128i gt = _mm_set1_epi8('>');
  const __m128i zero = _mm_setzero_si128();
  auto total = [&](__m128i lanes) {
    const __m128i sums = _mm_sad_epu8(lanes, zero);
    return std::size_t(_mm_cvtsi128_si32(sums)) +
           std::size_t(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
  };
  while (text.size() - i >= kBlock) {
    __m128i amps = zero;
    __m128i others = zero;
    for (int round = 0; round < 255 && text.size() - i >= kBlock; ++round, i += kBlock) {
      const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
      amps = _mm_sub_epi8(amps, _mm_cmpeq_epi8(block, amp));
      others =
          _mm_sub_epi8(others, _mm_or_si128(_mm_cmpeq_epi8(block, lt), _mm_cmpeq_epi8(block, gt)));
    }
    grown += 4 * total(amps) + 3 * total(others);
  }
#endif
  for (; i < text.size(); ++i) grown += entityLength(text[i]) - 1;
  return grown;
}

}  // namespace

void appendEscaped(std::string& out, std::string_view text) {
  const std::size_t grown = escapeGrowth(text);
  if (grown == 0) {
    out.append(text);
    return;
  }
  const std::size_t start = out.size();
  out.resize(start + text.size() + grown + kBlock);  // the block stores may run past the end
  char* to = out.data() + start;
  const char* from = text.data();
  const char* end = from + text.size();
#if defined(__SSE2__)
  const __m128i amp = _mm_set1_epi8('&');
  const __m128i lt = _mm_set1_epi8('<');
  const __m128i gt = _mm_set1_epi8('>');
  while (end - from >= std::ptrdiff_t(kBlock)) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
    const __m128i hits =
        _mm_or_si128(_mm_cmpeq_epi8(block, amp),
                     _mm_or_si128(_mm_cmpeq_epi8(block, lt), _mm_cmpeq_epi8(block, gt)));
    const int mask = _mm_movemask_epi8(hits);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to), block);
    if (mask == 0) {
      from += kBlock;
      to += kBlock;
      continue;
    }
    const int fewer = mask & (mask - 1);
    if ((fewer & (fewer - 1)) == 0 && end - from >= std::ptrdiff_t(2 * kBlock)) {
      // One or two markup characters: the plain runs around them are copied 16 bytes at a time
      // (what lands past a run is written over next; the copies read 16 bytes ahead).
      std::size_t done = 0;
      for (int left = mask; left != 0; left &= left - 1) {
        const std::size_t at = std::size_t(__builtin_ctz(unsigned(left)));
        std::memcpy(to, from + done, kBlock);
        to += at - done;
        to += putEscaped(to, from[at]);
        done = at + 1;
      }
      std::memcpy(to, from + done, kBlock);
      to += kBlock - done;
    } else {
      // Denser markup goes byte by byte through the table, without branches.
      for (std::size_t i = 0; i < kBlock; ++i) to += putEscaped(to, from[i]);
    }
    from += kBlock;
  }
#endif
  for (; from != end; ++from) to += putEscaped(to, *from);
  out.resize(std::size_t(to - out.data()));
}

void unescapeInPlace(std::string& text) {
  const void* amp = std::memchr(text.data(), '&', text.size());
  if (amp == nullptr) return;
  const std::size_t first = std::size_t(static_cast<const char*>(amp) - text.data());
  const std::size_t written =
      decode(text.data() + first, text.size() - first, text.data() + first, true);
  text.resize(first + written);
}

void assignUnescaped(std::string& out, std::string_view text) {
  if (std::memchr(text.data(), '&', text.size()) == nullptr) {
    out.assign(text);
    return;
  }
  out.resize(text.size() + kBlock);  // the block stores may run past the end
  out.resize(decode(text.data(), text.size(), out.data(), false));
}

}  // namespace telvane
