#include "apps/ringova/host_sources.h"

#include "platform/outlook/application.h"
#include "platform/outlook/sources/source_sync.h"

namespace ringova::host {

namespace src = platform::outlook::sources;

HostSources::HostSources(platform::outlook::NameSpace& mapi, platform::ui::MessageLoop& loop,
                         const platform::Registry& user, Log log) {
  for (src::SourceDefinition& definition : src::ReadSourceDefinitions(user)) {
    if (!src::IsKnownSourceKind(definition.kind)) {
      log("Source " + definition.name + ": the kind " + definition.kind + " is not known");
      continue;
    }
    platform::outlook::Folder* store = mapi.AddSourceStore(definition.name);
    if (!store) {
      log("Source " + definition.name + ": a store of that name exists already");
      continue;
    }
    runners_.push_back(
        std::make_unique<src::SourceRunner>(std::move(definition), *store, loop, log));
    runners_.back()->LoadCache();
  }
}

void HostSources::Start() {
  for (const auto& runner : runners_) runner->Start();
}

src::SourceRunner* HostSources::Find(std::string_view name) const {
  for (const auto& runner : runners_)
    if (runner->Name() == name) return runner.get();
  return nullptr;
}

std::vector<src::SourceRunner*> HostSources::All() const {
  std::vector<src::SourceRunner*> all;
  for (const auto& runner : runners_) all.push_back(runner.get());
  return all;
}

}  // namespace ringova::host
