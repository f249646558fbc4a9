#pragma once
// A named mutex that other processes of the user can see, used to tell whether another instance
// runs. Creating one holds it until the object is destroyed; alreadyExisted() reports whether
// someone (another process, or another object in this process) held that name at creation.
#include <memory>
#include <string>

namespace platform::shell {

class NamedMutex {
 public:
  virtual ~NamedMutex() = default;
  virtual const std::string& name() const = 0;
  virtual bool alreadyExisted() const = 0;
};

// Lock files "<name>.lock" in $XDG_RUNTIME_DIR, else /tmp/telvane-<uid>, held with flock.
// nullptr when the name is empty or unusable ("/" or control characters) or the file cannot
// be opened.
std::unique_ptr<NamedMutex> createFileMutex(const std::string& name);

}  // namespace platform::shell
