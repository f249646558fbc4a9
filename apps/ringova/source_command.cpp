#include "apps/ringova/source_command.h"

#include <termios.h>
#include <unistd.h>

#include <QtCore/QCoreApplication>
#include <filesystem>
#include <string>

#include "apps/ringova/desktop_windows.h"
#include "apps/ringova/session_bus.h"
#include "platform/outlook/sources/carddav_sync.h"
#include "platform/outlook/sources/source_cache.h"
#include "platform/outlook/sources/source_definitions.h"
#include "platform/outlook/sources/source_sync.h"
#include "platform/registry/registry.h"

namespace ringova::host {
namespace {

namespace src = platform::outlook::sources;

// One line, without its line end; from a terminal without echo. False at the end of the input.
bool ReadPassword(std::FILE* in, std::FILE* err, const std::string& prompt, std::string& out) {
  const int fd = ::fileno(in);
  termios saved{};
  const bool terminal = ::isatty(fd) && ::tcgetattr(fd, &saved) == 0;
  if (terminal) {
    std::fputs(prompt.c_str(), err);
    std::fflush(err);
    termios quiet = saved;
    quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
    ::tcsetattr(fd, TCSAFLUSH, &quiet);
  }
  out.clear();
  int c = 0;
  bool any = false;
  while ((c = std::fgetc(in)) != EOF) {
    any = true;
    if (c == '\n') break;
    out += static_cast<char>(c);
  }
  if (!out.empty() && out.back() == '\r') out.pop_back();
  if (terminal) {
    ::tcsetattr(fd, TCSAFLUSH, &saved);
    std::fputc('\n', err);
  }
  return any;
}

std::string StateOf(const src::SourceDefinition& d) {
  const auto cached = src::ReadSourceCache(src::SourceCacheFile(d.name));
  if (!cached || cached->url != d.url) return "not synced yet";
  return cached->state.empty() ? "cached" : cached->state;
}

int Sync(const platform::Registry& user, const std::string& name, std::FILE* out, std::FILE* err) {
  std::vector<src::SourceDefinition> wanted;
  for (src::SourceDefinition& d : src::ReadSourceDefinitions(user))
    if (name.empty() || d.name == name) wanted.push_back(std::move(d));
  if (wanted.empty()) {
    std::fprintf(err, "ringova: %s\n",
                 name.empty() ? "no sources are set up" : ("no source " + name).c_str());
    return 1;
  }
  int status = 0;
  for (const src::SourceDefinition& d : wanted) {
    src::SourceCacheLock lock;
    const auto file = src::SourceCacheFile(d.name);
    src::CachedSource cached;
    if (auto known = src::ReadSourceCache(file); known && known->url == d.url) cached = *known;
    cached.url = d.url;
    src::SyncOutcome outcome = src::MakeSourceSync(d)(cached.snapshot);
    for (const std::string& note : outcome.notes)
      std::fprintf(err, "%s: %s\n", d.name.c_str(), note.c_str());
    const std::string now = src::UtcNow();
    if (outcome.ok()) cached.synced = now;
    cached.state = outcome.ok() ? "synced " + now : "failed: " + outcome.error;
    cached.snapshot = std::move(outcome.snapshot);
    std::string error;
    if (!src::WriteSourceCache(file, cached, error)) {
      std::fprintf(err, "ringova: %s\n", error.c_str());
      status = 1;
      continue;
    }
    std::size_t cards = 0;
    for (const auto& book : cached.snapshot.books) cards += book.cards.size();
    if (outcome.ok()) {
      std::fprintf(out, "%s: synced, %zu address books, %zu cards\n", d.name.c_str(),
                   cached.snapshot.books.size(), cards);
    } else {
      std::fprintf(err, "ringova: %s: %s\n", d.name.c_str(), outcome.error.c_str());
      status = 1;
    }
  }
  return status;
}

}  // namespace

int RunSource(const HostOptions& options, std::FILE* in, std::FILE* out, std::FILE* err) {
  platform::Registry user(platform::RegistryHive::CurrentUser);
  if (!user.readable()) {
    std::fprintf(err, "ringova: %s cannot be read\n", user.file().c_str());
    return 1;
  }
  switch (options.command) {
    case Command::SourceAdd: {
      src::SourceDefinition d;
      d.name = options.name;
      d.kind = options.source_kind;
      d.url = options.source_url;
      d.user = options.source_user;
      d.tls_pin = options.source_pin;
      d.base = options.source_base;
      d.filter = options.source_filter;
      if (options.source_interval >= 0) d.interval_minutes = options.source_interval;
      if (src::FindSourceDefinition(user, d.name)) {
        std::fprintf(err, "ringova: a source named %s exists already\n", d.name.c_str());
        return 1;
      }
      // Without a user there is nothing to ask.
      if (!d.user.empty() &&
          !ReadPassword(in, err, "Password for " + d.user + " at " + d.url + ": ", d.password)) {
        std::fprintf(err, "ringova: no password was given\n");
        return 1;
      }
      std::string error;
      if (!src::AddSourceDefinition(user, d, error)) {
        std::fprintf(err, "ringova: %s\n", error.c_str());
        return 1;
      }
      return 0;
    }
    case Command::SourceList:
      for (const src::SourceDefinition& d : src::ReadSourceDefinitions(user)) {
        std::fprintf(out, "%s\t%s\t%s\t%s\t%s\n", d.name.c_str(), d.kind.c_str(), d.url.c_str(),
                     d.user.empty() ? "-" : d.user.c_str(), StateOf(d).c_str());
      }
      return 0;
    case Command::SourceRemove: {
      if (!src::RemoveSourceDefinition(user, options.name)) {
        std::fprintf(err, "ringova: no source %s\n", options.name.c_str());
        return 1;
      }
      std::error_code ec;
      std::filesystem::remove(src::SourceCacheFile(options.name), ec);
      return 0;
    }
    case Command::SourceSync: {
      // A running ringova syncs for itself, so its store and its cache stay one.
      if (SessionBusNamed()) {
        std::unique_ptr<QCoreApplication> qt = MakeQtApplication(false);
        std::string why;
        switch (HandSyncToRunningInstance(options.name, why)) {
          case HandOff::Delivered:
            std::fprintf(out, "handed to the running ringova\n");
            return 0;
          case HandOff::Failed:
            std::fprintf(err, "ringova: %s\n", why.c_str());
            break;
          case HandOff::NoneRunning:
            break;
        }
      }
      return Sync(user, options.name, out, err);
    }
    default:
      return 2;
  }
}

}  // namespace ringova::host
