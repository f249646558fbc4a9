#pragma once
// The user's address-book sources in the host: a store for each (in the order they were added,
// after the mailbox), filled from its cache before the add-ins load, synced once the add-ins
// have started and every interval after.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/outlook/sources/source_runner.h"
#include "platform/registry/registry.h"
#include "platform/ui/message_loop.h"

namespace platform::outlook {
class NameSpace;
}

namespace ringova::host {

class HostSources {
 public:
  using Log = std::function<void(std::string_view)>;
  HostSources(platform::outlook::NameSpace& mapi, platform::ui::MessageLoop& loop,
              const platform::Registry& user, Log log);
  void Start();
  // nullptr when no source has that name.
  platform::outlook::sources::SourceRunner* Find(std::string_view name) const;
  std::vector<platform::outlook::sources::SourceRunner*> All() const;

 private:
  std::vector<std::unique_ptr<platform::outlook::sources::SourceRunner>> runners_;
};

}  // namespace ringova::host
