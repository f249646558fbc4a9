#include "platform/registry/registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <mutex>

#include "platform/registry/registry_file.h"

namespace platform {
namespace {

using registry_detail::Node;

std::string envOr(const char* name, const std::string& fallback) {
  const char* v = std::getenv(name);
  return v && *v ? std::string(v) : fallback;
}

// Splits a key path; nullopt when a component is empty or holds a control character.
std::optional<std::vector<std::string_view>> splitPath(std::string_view key) {
  std::vector<std::string_view> parts;
  if (key.empty()) return parts;
  while (true) {
    std::size_t sep = key.find('\\');
    std::string_view part = key.substr(0, sep);
    if (part.empty()) return std::nullopt;
    for (unsigned char c : part)
      if (c < 0x20 || c == 0x7F) return std::nullopt;
    parts.push_back(part);
    if (sep == std::string_view::npos) return parts;
    key.remove_prefix(sep + 1);
  }
}

const Node* findNode(const Node& root, std::string_view key) {
  auto parts = splitPath(key);
  if (!parts) return nullptr;
  const Node* n = &root;
  for (auto part : *parts) {
    auto it = n->children.find(part);
    if (it == n->children.end()) return nullptr;
    n = &it->second;
  }
  return n;
}

Node* makeNode(Node& root, std::string_view key) {
  auto parts = splitPath(key);
  if (!parts) return nullptr;
  Node* n = &root;
  for (auto part : *parts) {
    auto it = n->children.find(part);
    if (it == n->children.end()) it = n->children.emplace(std::string(part), Node{}).first;
    n = &it->second;
  }
  return n;
}

// Holds the store's lock file for one read-modify-write (writers of this process and others).
class WriteLock {
 public:
  explicit WriteLock(const std::filesystem::path& file) {
    std::error_code ec;
    std::filesystem::path folder = file.parent_path();
    if (!folder.empty() && !std::filesystem::exists(folder, ec)) {
      std::filesystem::create_directories(folder, ec);
      ::chmod(folder.c_str(), 0700);  // the store is private to the user
    }
    std::filesystem::path lock = file;
    lock += ".lock";
    fd_ = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ >= 0) {
      while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
      }
    }
  }
  ~WriteLock() {
    if (fd_ >= 0) ::close(fd_);  // releases the lock
  }
  WriteLock(const WriteLock&) = delete;
  WriteLock& operator=(const WriteLock&) = delete;

 private:
  int fd_ = -1;
};

std::mutex& processLock() {
  static std::mutex m;
  return m;
}

// Runs `change` on the current tree and writes it back when `change` reports a change.
// Returns `change`'s result; false as well when the store cannot be read or written.
bool modify(const std::filesystem::path& file, const std::function<bool(Node&, bool&)>& change) {
  std::lock_guard guard(processLock());
  WriteLock lock(file);
  uint64_t generation = registry_detail::readGeneration(file);
  auto root = registry_detail::readStore(file);
  if (!root) return false;
  bool dirty = false;
  bool result = change(*root, dirty);
  if (dirty && !registry_detail::writeStore(file, *root, generation + 1)) return false;
  return result;
}

}  // namespace

std::filesystem::path registryFile(RegistryHive hive) {
  if (hive == RegistryHive::LocalMachine)
    return envOr("TELVANE_MACHINE_REGISTRY", "/etc/telvane/machine.reg");
  std::string user = envOr("TELVANE_USER_REGISTRY", "");
  if (!user.empty()) return user;
  std::string config = envOr("XDG_CONFIG_HOME", "");
  if (config.empty()) config = envOr("HOME", ".") + "/.config";
  return std::filesystem::path(config) / "telvane" / "user.reg";
}

Registry::Registry(std::filesystem::path file)
    : file_(std::move(file)), cache_(std::make_unique<registry_detail::StoreCache>()) {}
Registry::~Registry() = default;
Registry::Registry(Registry&&) noexcept = default;
Registry& Registry::operator=(Registry&&) noexcept = default;

bool Registry::readable() const {
  return cache_->read(file_) != nullptr;
}

bool Registry::keyExists(std::string_view key) const {
  auto root = cache_->read(file_);
  return root && findNode(*root, key) != nullptr;
}

bool Registry::createKey(std::string_view key) {
  if (!splitPath(key)) return false;
  return modify(file_, [&](Node& root, bool& dirty) {
    if (findNode(root, key)) return true;
    dirty = true;
    return makeNode(root, key) != nullptr;
  });
}

bool Registry::deleteKey(std::string_view key) {
  auto parts = splitPath(key);
  if (!parts || parts->empty()) return false;
  return modify(file_, [&](Node& root, bool& dirty) {
    std::string parent;
    for (std::size_t i = 0; i + 1 < parts->size(); ++i) {
      if (i) parent += '\\';
      parent += (*parts)[i];
    }
    Node* p = parent.empty() ? &root : const_cast<Node*>(findNode(root, parent));
    if (!p) return false;
    auto it = p->children.find(parts->back());
    if (it == p->children.end()) return false;
    p->children.erase(it);
    dirty = true;
    return true;
  });
}

std::vector<std::string> Registry::subKeys(std::string_view key) const {
  std::vector<std::string> names;
  auto root = cache_->read(file_);
  if (!root) return names;
  if (const Node* n = findNode(*root, key))
    for (const auto& [name, child] : n->children) names.push_back(name);
  return names;
}

std::vector<std::string> Registry::valueNames(std::string_view key) const {
  std::vector<std::string> names;
  auto root = cache_->read(file_);
  if (!root) return names;
  if (const Node* n = findNode(*root, key))
    for (const auto& [name, value] : n->values) names.push_back(name);
  return names;
}

std::optional<RegistryValue> Registry::value(std::string_view key, std::string_view name) const {
  auto root = cache_->read(file_);
  if (!root) return std::nullopt;
  const Node* n = findNode(*root, key);
  if (!n) return std::nullopt;
  auto it = n->values.find(name);
  if (it == n->values.end()) return std::nullopt;
  return it->second;
}

bool Registry::setValue(std::string_view key, std::string_view name, const RegistryValue& value) {
  if (!splitPath(key)) return false;
  return modify(file_, [&](Node& root, bool& dirty) {
    Node* n = makeNode(root, key);
    auto it = n->values.find(name);
    if (it != n->values.end() && it->second == value) return true;
    if (it != n->values.end()) {
      it->second = value;
    } else {
      n->values.emplace(std::string(name), value);
    }
    dirty = true;
    return true;
  });
}

bool Registry::setValueIfMissing(std::string_view key, std::string_view name,
                                 const RegistryValue& value) {
  if (!splitPath(key)) return false;
  return modify(file_, [&](Node& root, bool& dirty) {
    Node* n = makeNode(root, key);
    if (n->values.find(name) != n->values.end()) return true;
    n->values.emplace(std::string(name), value);
    dirty = true;
    return true;
  });
}

bool Registry::setValues(const std::vector<RegistryWrite>& writes) {
  for (const RegistryWrite& w : writes)
    if (!splitPath(w.key)) return false;
  return modify(file_, [&](Node& root, bool& dirty) {
    for (const RegistryWrite& w : writes) {
      Node* n = makeNode(root, w.key);
      auto it = n->values.find(w.name);
      if (it != n->values.end() && it->second == w.value) continue;
      if (it != n->values.end()) {
        it->second = w.value;
      } else {
        n->values.emplace(w.name, w.value);
      }
      dirty = true;
    }
    return true;
  });
}

bool Registry::deleteValue(std::string_view key, std::string_view name) {
  return modify(file_, [&](Node& root, bool& dirty) {
    Node* n = const_cast<Node*>(findNode(root, key));
    if (!n) return false;
    auto it = n->values.find(name);
    if (it == n->values.end()) return false;
    n->values.erase(it);
    dirty = true;
    return true;
  });
}

std::optional<std::string> Registry::getString(std::string_view key, std::string_view name) const {
  auto v = value(key, name);
  if (!v || v->type != RegistryValueType::String) return std::nullopt;
  return std::move(v->text);
}

std::optional<uint32_t> Registry::getDWord(std::string_view key, std::string_view name) const {
  auto v = value(key, name);
  if (!v || v->type != RegistryValueType::DWord) return std::nullopt;
  return v->number;
}

bool Registry::setString(std::string_view key, std::string_view name, std::string_view text) {
  return setValue(key, name, RegistryValue::ofString(std::string(text)));
}

bool Registry::setDWord(std::string_view key, std::string_view name, uint32_t number) {
  return setValue(key, name, RegistryValue::ofDWord(number));
}

}  // namespace platform
