#include "ringova_outlook/dialing/kestrix_library.h"

#include <dlfcn.h>

#include <cstring>

#include "ringova_outlook/kestrix/kestrix.h"

namespace ringova {
namespace {

// The folder of the binary this code was linked into (the add-in), with a trailing "/".
std::string OwnFolder() {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&OwnFolder), &info) == 0 || !info.dli_fname) return {};
  std::string path = info.dli_fname;
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

KestrixLibrary::KestrixLibrary(std::string library) : library_(std::move(library)) {}
KestrixLibrary::~KestrixLibrary() = default;

void KestrixLibrary::Closer::operator()(void* handle) const {
  if (handle) ::dlclose(handle);
}

bool KestrixLibrary::Load(std::string& error) {
  if (function_) return true;
  if (!handle_) {
    handle_.reset(::dlopen(library_.c_str(), RTLD_NOW | RTLD_LOCAL));
    if (!handle_) {
      const char* why = ::dlerror();
      error = why ? why : "cannot load " + library_;
      // A bare name is also looked for beside the add-in itself.
      std::string folder = OwnFolder();
      if (library_.find('/') == std::string::npos && !folder.empty())
        handle_.reset(::dlopen((folder + library_).c_str(), RTLD_NOW | RTLD_LOCAL));
      if (!handle_) return false;
      error.clear();
    }
  }
  ::dlerror();
  function_ = ::dlsym(handle_.get(), kKestrixExport);
  if (!function_) {
    const char* why = ::dlerror();
    error = why ? why : std::string("no ") + kKestrixExport + " in " + library_;
    handle_.reset();
    return false;
  }
  return true;
}

MatchResult KestrixLibrary::GetBestMatching(std::string_view number,
                                            const std::vector<DialRule>& rules) {
  MatchResult result;
  if (!Load(result.error)) return result;
  if (rules.size() > static_cast<size_t>(INT32_MAX)) {
    result.error = "too many rules";
    return result;
  }
  std::vector<KestrixRule> table;
  table.reserve(rules.size());
  for (const DialRule& r : rules)
    table.push_back({r.Pattern.c_str(), r.Discarded.c_str(), r.Prefix.c_str(), r.Suffix.c_str(),
                     r.Description.c_str()});
  KestrixRuleTable arg{table.data(), static_cast<int32_t>(table.size())};
  std::string text(number);  // zero-terminated
  GetBestMatchingFn fn;
  static_assert(sizeof(fn) == sizeof(function_));
  std::memcpy(&fn, &function_, sizeof(fn));
  result.position = fn(text.c_str(), &arg);
  result.ok = true;
  return result;
}

}  // namespace ringova
