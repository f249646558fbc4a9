// Writes what the add-in stores, over and over, for the crash-safety tests to kill at random
// moments (or to run twice at once). Every write of one round carries the round's number, so a
// reader can tell a whole file from a cut or mixed one. A line on stdout says the first write is
// done.
//   store_writer settings <store> <tag>          rounds of every value set to "<tag><round>"
//   store_writer set <store> <prefix> <count>    <count> settings "<prefix><i>", one write each
//   store_writer rules <file>                    rounds of the rule table, descriptions = round
//   store_writer log <folder>                    lines "line <n> ..." appended to the log
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/registry/registry.h"
#include "platform/registry/settings.h"
#include "ringova_outlook/dialing/rules_file.h"
#include "ringova_outlook/support/log_file.h"
#include "tests/ringova_outlook/support/store_rounds.h"

namespace {

// Tells the test, once, that a whole write is done: the file now holds this writer's content.
void FirstWriteDone() {
  static bool told = false;
  if (told) return;
  told = true;
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

int Settings(const std::string& store, const std::string& tag) {
  platform::Registry registry(store);
  for (long round = 0;; ++round) {
    if (!registry.setValues(ringova::testing_support::SettingsRound(tag, round))) return 1;
    FirstWriteDone();
  }
}

int Set(const std::string& store, const std::string& prefix, int count) {
  platform::Registry registry(store);
  for (int i = 0; i < count; ++i) {
    const std::string name = prefix + std::to_string(i);
    if (!platform::saveSetting(registry, "RingovaAddIn", "Settings", name, name)) return 1;
  }
  return 0;
}

int Rules(const std::string& file) {
  for (long round = 0;; ++round) {
    std::string error;
    if (!ringova::WriteRulesFile(file, ringova::testing_support::RulesRound(round), error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 1;
    }
    FirstWriteDone();
  }
}

int Log(const std::string& folder) {
  ringova::LogFile log;
  log.SetFolder(folder);
  log.SetStamp([] { return std::string("09.12.2026 10:00:00"); });
  bool failed = false;
  log.SetFailureHandler([&failed](const std::string&) { failed = true; });
  for (long n = 0; !failed; ++n) {
    log.WriteToLogFile(ringova::testing_support::LogMessage(n));
    FirstWriteDone();
  }
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> a(argv + 1, argv + argc);
  if (a.size() == 3 && a[0] == "settings") return Settings(a[1], a[2]);
  if (a.size() == 4 && a[0] == "set") return Set(a[1], a[2], std::atoi(a[3].c_str()));
  if (a.size() == 2 && a[0] == "rules") return Rules(a[1]);
  if (a.size() == 2 && a[0] == "log") return Log(a[1]);
  std::fprintf(stderr, "usage: store_writer settings|set|rules|log ...\n");
  return 2;
}
