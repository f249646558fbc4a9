// What the add-in stores survives its writer being killed (SIGKILL) at a random moment of its
// writing, and a settings store written by two processes at once keeps both processes' values.
// The writers are real processes (store_writer), so a kill lands wherever a write happens to be.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/registry/registry.h"
#include "ringova_outlook/dialing/rules_file.h"
#include "ringova_outlook/support/log_file.h"
#include "tests/ringova_outlook/support/store_rounds.h"
#include "tests/support/temp_folder.h"

namespace ringova::testing_support {
namespace {

namespace fs = std::filesystem;
constexpr int kKills = 12;

struct Child {
  pid_t pid = -1;
  int ready = -1;  // gets a byte when the writer's first write is done
};

Child Start(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  std::string program = STORE_WRITER;
  argv.push_back(program.data());
  std::vector<std::string> copies = args;
  for (std::string& a : copies) argv.push_back(a.data());
  argv.push_back(nullptr);
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return {};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(fds[1], STDOUT_FILENO);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(fds[1]);
  return {pid, fds[0]};
}

// Until the writer's first write is done, so the kill lands in a later one; false after 30 s.
bool AwaitStart(const Child& child) {
  pollfd p{child.ready, POLLIN, 0};
  char byte = 0;
  return ::poll(&p, 1, 30000) == 1 && ::read(child.ready, &byte, 1) == 1;
}

int Wait(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

// Runs the writer and kills it after a random few milliseconds.
class KillLoop {
 public:
  void KillSoon(const std::vector<std::string>& args) {
    const Child child = Start(args);
    ASSERT_GT(child.pid, 0);
    const bool started = AwaitStart(child);
    ::close(child.ready);
    std::this_thread::sleep_for(std::chrono::microseconds(delay_(random_)));
    ::kill(child.pid, SIGKILL);
    const int status = Wait(child.pid);
    ASSERT_TRUE(started);
    // Killed while writing, not stopped by a failure of its own.
    ASSERT_TRUE(WIFSIGNALED(status)) << "exit " << WEXITSTATUS(status);
  }

 private:
  std::mt19937 random_{std::random_device{}()};
  std::uniform_int_distribution<int> delay_{0, 100000};
};

mode_t Mode(const fs::path& file) {
  struct stat st {};
  return ::stat(file.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

std::vector<std::string> Temporaries(const fs::path& folder) {
  std::vector<std::string> found;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().filename().string().find(".tmp") != std::string::npos) {
      found.push_back(entry.path().filename().string());
    }
  }
  return found;
}

TEST(CrashSafetyTest, SettingsStoreIsOldOrNewAfterEveryKill) {
  testsupport::TempFolder folder;
  const fs::path store = folder.path() / "user.reg";
  ASSERT_TRUE(platform::Registry(store).setValues(SettingsRound("old", 0)));
  KillLoop loop;
  std::set<std::string> seen;
  for (int k = 0; k < kKills; ++k) {
    loop.KillSoon({"settings", store.string(), "k" + std::to_string(k) + "-"});
    platform::Registry registry(store);
    ASSERT_TRUE(registry.readable()) << "kill " << k;
    const auto first = registry.getString(kSettingsKey, "Value0");
    ASSERT_TRUE(first);
    for (int i = 1; i < kRoundValues; ++i) {
      ASSERT_EQ(registry.getString(kSettingsKey, "Value" + std::to_string(i)), first)
          << "kill " << k << ", value " << i;
    }
    seen.insert(*first);
    ASSERT_EQ(Mode(store), 0600u);
  }
  EXPECT_GT(seen.size(), 1u) << "no kill landed after a write";
  // The next write removes what the killed writers left half done.
  ASSERT_TRUE(platform::Registry(store).setString(kSettingsKey, "After", "1"));
  EXPECT_EQ(Temporaries(folder.path()), std::vector<std::string>{});
}

TEST(CrashSafetyTest, RulesFileIsOldOrNewAfterEveryKillAndKeepsItsMode) {
  testsupport::TempFolder folder;
  const fs::path file = folder.path() / kRulesFileName;
  std::string error;
  ASSERT_TRUE(WriteRulesFile(file.string(), RulesRound(-1), error)) << error;
  ::chmod(file.c_str(), 0640);
  KillLoop loop;
  std::set<std::string> seen;
  for (int k = 0; k < kKills; ++k) {
    loop.KillSoon({"rules", file.string()});
    std::vector<DialRule> rules;
    ASSERT_TRUE(ReadRulesFile(file.string(), rules, error)) << "kill " << k << ": " << error;
    ASSERT_EQ(rules.size(), static_cast<size_t>(kRoundRules)) << "kill " << k;
    EXPECT_EQ(rules, RulesRound(std::stol(rules[0].Description))) << "kill " << k;
    seen.insert(rules[0].Description);
    ASSERT_EQ(Mode(file), 0640u);
  }
  EXPECT_GT(seen.size(), 1u) << "no kill landed after a write";
  ASSERT_TRUE(WriteRulesFile(file.string(), {}, error)) << error;
  EXPECT_EQ(Temporaries(folder.path()), std::vector<std::string>{});
}

TEST(CrashSafetyTest, LogKeepsEveryWholeLineAndACutLineNeverRunsIntoTheNext) {
  testsupport::TempFolder folder;
  LogFile parent;
  parent.SetFolder(folder.path().string());
  parent.SetStamp([] { return std::string("09.12.2026 10:00:00"); });
  KillLoop loop;
  for (int k = 0; k < kKills; ++k) {
    loop.KillSoon({"log", folder.withSlash()});
    parent.WriteToLogFile("parent " + std::to_string(k));
  }

  const std::regex whole("\"09\\.12\\.2026 10:00:00: (line [0-9]+ x{200}|parent [0-9]+)\"");
  const std::string longest = "\"09.12.2026 10:00:00: " + LogMessage(999999999) + "\"";
  int cut = 0;
  bool lastParent = false;
  for (int n = 1; n <= 6; ++n) {
    const std::string text = testsupport::ReadFile(folder.path() / LogFile::NumberedName(n));
    std::size_t at = 0;
    while (at < text.size()) {
      std::size_t end = text.find("\r\n", at);
      const bool ended = end != std::string::npos;
      const std::string line = text.substr(at, ended ? end - at : std::string::npos);
      at = ended ? end + 2 : text.size();
      if (std::regex_match(line, whole)) {
        lastParent = lastParent || line.ends_with(": parent " + std::to_string(kKills - 1) + "\"");
        continue;
      }
      // Only the line a killed writer was writing may be cut, and only at its end.
      ++cut;
      EXPECT_TRUE(line.size() < longest.size() && line.starts_with("\"09.12.2026 10:00:00: line"))
          << "file " << n << ": " << line;
    }
  }
  EXPECT_LE(cut, kKills);
  // Earlier lines may have left the ring of files; the newest is there.
  EXPECT_TRUE(lastParent);
}

TEST(CrashSafetyTest, TwoProcessesSettingAtOnceLoseNoValue) {
  testsupport::TempFolder folder;
  const fs::path store = folder.path() / "user.reg";
  constexpr int kEach = 60;
  const Child a = Start({"set", store.string(), "A", std::to_string(kEach)});
  const Child b = Start({"set", store.string(), "B", std::to_string(kEach)});
  ASSERT_GT(a.pid, 0);
  ASSERT_GT(b.pid, 0);
  EXPECT_EQ(Wait(a.pid), 0);
  EXPECT_EQ(Wait(b.pid), 0);
  ::close(a.ready);
  ::close(b.ready);
  platform::Registry registry(store);
  ASSERT_TRUE(registry.readable());
  EXPECT_EQ(registry.valueNames(kSettingsKey).size(), 2u * kEach);
  for (const char* prefix : {"A", "B"}) {
    for (int i = 0; i < kEach; ++i) {
      const std::string name = prefix + std::to_string(i);
      EXPECT_EQ(registry.getString(kSettingsKey, name), name);
    }
  }
  EXPECT_EQ(Mode(store), 0600u);
}

}  // namespace
}  // namespace ringova::testing_support
