#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <iterator>

#include "platform/shell/replace_file.h"
#include "tests/support/temp_folder.h"

namespace platform::shell {
namespace {

namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::TempFolder;
using testsupport::WriteFile;

mode_t Mode(const fs::path& file) {
  struct stat st {};
  return ::lstat(file.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

TEST(ReplaceFileTest, KeepsAnExistingFilesModeOrForcesTheGivenOne) {
  TempFolder folder;
  const fs::path file = folder.path() / "rules.txt";
  WriteFile(file, "old");
  ::chmod(file.c_str(), 0640);
  std::string error;
  ASSERT_TRUE(ReplaceFile(file, "new", 0666, FileMode::Keep, error)) << error;
  EXPECT_EQ(ReadFile(file), "new");
  EXPECT_EQ(Mode(file), 0640u);
  ASSERT_TRUE(ReplaceFile(file, "newer", 0600, FileMode::Force, error)) << error;
  EXPECT_EQ(ReadFile(file), "newer");
  EXPECT_EQ(Mode(file), 0600u);
}

// Settings kept in a dotfiles folder behind a link: the link stays, its target changes.
TEST(ReplaceFileTest, AFileBehindALinkIsReplacedWhereItLives) {
  TempFolder home, dotfiles;
  const fs::path target = dotfiles.path() / "rules.txt";
  const fs::path link = home.path() / "rules.txt";
  WriteFile(target, "old");
  ::chmod(target.c_str(), 0640);
  fs::create_symlink(target, link);
  std::string error;
  ASSERT_TRUE(ReplaceFile(link, "new", 0666, FileMode::Keep, error)) << error;
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadFile(target), "new");
  EXPECT_EQ(Mode(target), 0640u);
  // A link whose target is not there yet gets its target made.
  fs::remove(target);
  ASSERT_TRUE(ReplaceFile(link, "again", 0600, FileMode::Force, error)) << error;
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadFile(target), "again");
  EXPECT_EQ(fs::directory_iterator(home.path())->path(), link);  // no temporary left beside it
}

TEST(ReplaceFileTest, AFailedReplaceSaysWhyAndLeavesNoTemporary) {
  TempFolder folder;
  // The rename fails (even for root): a folder is in the way.
  const fs::path file = folder.path() / "store.reg";
  fs::create_directory(file);
  WriteFile(file / "kept", "old");
  std::string error;
  EXPECT_FALSE(ReplaceFile(file, "new", 0600, FileMode::Force, error));
  EXPECT_NE(error.find("store.reg: "), std::string::npos) << error;
  EXPECT_EQ(ReadFile(file / "kept"), "old");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
  error.clear();
  EXPECT_FALSE(
      ReplaceFile(folder.path() / "missing" / "store.reg", "new", 0600, FileMode::Force, error));
  EXPECT_FALSE(error.empty());
}

TEST(ReplaceFileTest, TemporariesOfWritersThatDiedAreRemovedOthersKept) {
  TempFolder folder;
  const fs::path file = folder.path() / "store.reg";
  // A pid that cannot be running, and this process's own (a writer still at work).
  const fs::path dead = folder.path() / "store.reg.tmp2147483646-0";
  const fs::path alive = folder.path() / ("store.reg.tmp" + std::to_string(::getpid()) + "-999");
  const fs::path other = folder.path() / "other.reg.tmp2147483646-0";
  for (const fs::path& p : {dead, alive, other}) WriteFile(p, "half");
  std::string error;
  ASSERT_TRUE(ReplaceFile(file, "new", 0600, FileMode::Force, error)) << error;
  EXPECT_FALSE(fs::exists(dead));
  EXPECT_TRUE(fs::exists(alive));
  EXPECT_TRUE(fs::exists(other));
}

}  // namespace
}  // namespace platform::shell
