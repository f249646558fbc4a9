#pragma once
// The Kestrix matcher, loaded with dlopen on first use: a bare name is searched the usual way,
// then in the folder of the binary that holds this code. A library or export that cannot be found
// makes that call fail (MatchResult::ok false, with dlerror's text); the next call tries again.
#include <memory>
#include <string>

#include "ringova_outlook/dialing/rule_matcher.h"

namespace ringova {

inline constexpr const char* kKestrixLibraryName = "libkestrix.so";
inline constexpr const char* kKestrixExport = "GetBestMatching";

class KestrixLibrary final : public RuleMatcher {
 public:
  // library: a name searched the usual way, or a path.
  explicit KestrixLibrary(std::string library = kKestrixLibraryName);
  ~KestrixLibrary() override;
  KestrixLibrary(const KestrixLibrary&) = delete;
  KestrixLibrary& operator=(const KestrixLibrary&) = delete;

  MatchResult GetBestMatching(std::string_view number, const std::vector<DialRule>& rules) override;

  bool loaded() const { return function_ != nullptr; }

 private:
  struct Closer {
    void operator()(void* handle) const;
  };
  bool Load(std::string& error);

  std::string library_;
  std::unique_ptr<void, Closer> handle_;
  void* function_ = nullptr;
};

}  // namespace ringova
