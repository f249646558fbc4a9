#include "ringova_outlook/contacts/caller_lookup.h"

#include <algorithm>
#include <array>
#include <limits>
#include <unordered_map>

#include "platform/outlook/text_util.h"
#include "ringova_outlook/dialing/location_country.h"

namespace ringova {
namespace {

using platform::outlook::ToLowerAscii;
using platform::outlook::TrimBlanks;

constexpr std::array<std::string_view, 6> kSchemes = {
    "sip:", "pbx:", "tel:", "pstn:", "vm:", "ar:"};

// A match's place in walk order: record first, then kind.
constexpr int32_t kNoMatch = std::numeric_limits<int32_t>::max();
int32_t OrderKey(size_t record, size_t kind) {
  return static_cast<int32_t>(record * kPhoneKindCount + kind);
}
CallerMatch FromKey(int32_t key) {
  if (key == kNoMatch) return {};
  return {static_cast<int16_t>(key / kPhoneKindCount),
          static_cast<PhoneKind>(key % kPhoneKindCount)};
}

std::string RemoveAll(std::string text, std::string_view part) {
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at))
    text.erase(at, part.size());
  return text;
}

std::string Reversed(std::string_view text) {
  return std::string(text.rbegin(), text.rend());
}

}  // namespace

PrefixSource PrefixesOf(const LocationCountry& location) {
  return [&location] {
    return DialPrefixes{location.CountryPrefix(), location.LongDistancePrefix()};
  };
}

CallerQuery MakeCallerQuery(std::string_view caller, const DialPrefixes& prefixes) {
  std::string s = ToLowerAscii(RemoveAll(std::string(TrimBlanks(caller)), "&gt;"));
  if (size_t open = s.find('<'); open != std::string::npos) {
    if (size_t close = s.find('>', open + 1); close != std::string::npos)
      s = s.substr(open + 1, close - open - 1);
  }
  for (std::string_view scheme : kSchemes) {
    if (s.starts_with(scheme)) {
      s = std::string(TrimBlanks(std::string_view(s).substr(s.find(':') + 1)));
      break;
    }
  }
  CallerQuery query;
  query.user = s.substr(0, s.find('@'));
  const std::string& ldp = prefixes.LongDistancePrefix;
  query.national =
      !ldp.empty() && query.user.starts_with(ldp) ? query.user.substr(ldp.size()) : query.user;
  query.country_prefix = prefixes.CountryPrefix;
  query.address = std::move(s);
  return query;
}

bool NumberMatches(std::string_view p, const CallerQuery& q) {
  // An empty stored number is no number: it must not answer an empty caller.
  if (p.empty()) return false;
  if (p == q.user) return true;
  if (q.address.size() > q.user.size() && p == q.address) return true;
  if (!q.country_prefix.empty() && !q.national.empty()) {
    if (p == q.national) return true;
    if (p.starts_with(q.country_prefix) && p.ends_with(q.national)) return true;
  }
  return false;
}

CallerMatch WalkForCaller(const std::vector<PhoneRecord>& records, const CallerQuery& query) {
  for (size_t r = 0; r < records.size(); ++r) {
    if (records[r].EntryId.empty()) continue;  // an emptied slot, not the end of the table
    for (const PhoneKindInfo& info : kPhoneKinds) {
      if (NumberMatches(NormalizedNumber(records[r], info.kind), query))
        return {static_cast<int16_t>(r), info.kind};
    }
  }
  return {};
}

// The first (record, kind) of every canonical number, for the rules of equality; and, for the
// country rule, the numbers that begin with the country prefix sorted by their reversed text, so
// those ending with the national form are one range, with a tree of range minima over it.
struct CallerIndex::Tables {
  bool stale = true;
  std::unordered_map<std::string, int32_t> first;

  bool suffix_built = false;
  std::string suffix_prefix;
  struct Entry {
    std::string reversed;
    int32_t key;
  };
  std::vector<Entry> suffix;
  std::vector<int32_t> tree;  // bottom-up segment tree of minima, leaves at suffix.size()

  void Build(const std::vector<PhoneRecord>& records) {
    first.clear();
    first.reserve(records.size() * 3);
    for (size_t r = 0; r < records.size(); ++r) {
      if (records[r].EntryId.empty()) continue;
      for (size_t k = 0; k < kPhoneKinds.size(); ++k) {
        const std::string& p = NormalizedNumber(records[r], kPhoneKinds[k].kind);
        if (!p.empty()) first.try_emplace(p, OrderKey(r, k));  // the first one stays
      }
    }
    stale = false;
    suffix_built = false;
  }

  void BuildSuffix(const std::vector<PhoneRecord>& records, const std::string& prefix) {
    suffix.clear();
    for (size_t r = 0; r < records.size(); ++r) {
      if (records[r].EntryId.empty()) continue;
      for (size_t k = 0; k < kPhoneKinds.size(); ++k) {
        const std::string& p = NormalizedNumber(records[r], kPhoneKinds[k].kind);
        if (!p.empty() && p.starts_with(prefix)) suffix.push_back({Reversed(p), OrderKey(r, k)});
      }
    }
    std::sort(suffix.begin(), suffix.end(),
              [](const Entry& a, const Entry& b) { return a.reversed < b.reversed; });
    const size_t n = suffix.size();
    tree.assign(2 * n, kNoMatch);
    for (size_t i = 0; i < n; ++i) tree[n + i] = suffix[i].key;
    for (size_t i = n; i-- > 1;) tree[i] = std::min(tree[2 * i], tree[2 * i + 1]);
    suffix_prefix = prefix;
    suffix_built = true;
  }

  int32_t RangeMin(size_t lo, size_t hi) const {
    const size_t n = suffix.size();
    int32_t best = kNoMatch;
    for (lo += n, hi += n; lo < hi; lo >>= 1, hi >>= 1) {
      if (lo & 1) best = std::min(best, tree[lo++]);
      if (hi & 1) best = std::min(best, tree[--hi]);
    }
    return best;
  }

  int32_t Exact(const std::string& number) const {
    if (number.empty()) return kNoMatch;
    auto it = first.find(number);
    return it == first.end() ? kNoMatch : it->second;
  }

  int32_t EndingWith(const std::string& national) const {
    const std::string tail = Reversed(national);
    auto lo = std::lower_bound(suffix.begin(), suffix.end(), tail,
                               [](const Entry& e, const std::string& t) { return e.reversed < t; });
    auto hi = std::partition_point(lo, suffix.end(), [&tail](const Entry& e) {
      return e.reversed.compare(0, tail.size(), tail) == 0;
    });
    return RangeMin(static_cast<size_t>(lo - suffix.begin()),
                    static_cast<size_t>(hi - suffix.begin()));
  }
};

CallerIndex::CallerIndex() : tables_(std::make_unique<Tables>()) {}
CallerIndex::~CallerIndex() = default;

void CallerIndex::Invalidate() {
  tables_->stale = true;
}

CallerMatch CallerIndex::Find(const std::vector<PhoneRecord>& records, const CallerQuery& query) {
  Tables& t = *tables_;
  if (t.stale) t.Build(records);
  int32_t best = t.Exact(query.user);
  if (query.address.size() > query.user.size()) best = std::min(best, t.Exact(query.address));
  if (!query.country_prefix.empty() && !query.national.empty()) {
    best = std::min(best, t.Exact(query.national));
    if (!t.suffix_built || t.suffix_prefix != query.country_prefix)
      t.BuildSuffix(records, query.country_prefix);
    best = std::min(best, t.EndingWith(query.national));
  }
  return FromKey(best);
}

}  // namespace ringova
