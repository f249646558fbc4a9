#include <gtest/gtest.h>

#include <filesystem>

#include "ringova_outlook/support/log_file.h"
#include "tests/support/temp_folder.h"

namespace ringova {
namespace {

namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::TempFolder;
using testsupport::WriteFile;

std::string Line(const std::string& message) {
  return "\"12/8/2026 10:24:02 AM: " + message + "\"\r\n";
}

class LogFileTest : public ::testing::Test {
 protected:
  LogFileTest() {
    log.SetFolder(folder.withSlash());
    log.SetStamp([] { return std::string("12/8/2026 10:24:02 AM"); });
    log.SetFailureHandler([this](const std::string& text) { failures.push_back(text); });
  }
  std::string PathOf(int n) const { return folder.withSlash() + LogFile::NumberedName(n); }
  void Fill(int n, std::uintmax_t size, char mark) {
    WriteFile(PathOf(n), std::string(size, mark));
  }

  TempFolder folder;
  LogFile log;
  std::vector<std::string> failures;
};

TEST_F(LogFileTest, FirstWriteStartsFileOneWithTheLineFormat) {
  log.WriteToLogFile("Load Registry Settings...");
  log.WriteToLogFile("He said \"hello\"");
  EXPECT_EQ(log.FileName(), "RingovaLog1.txt");
  EXPECT_EQ(ReadFile(PathOf(1)), Line("Load Registry Settings...") + Line("He said \"hello\""));
  EXPECT_TRUE(failures.empty());
}

TEST_F(LogFileTest, FileIsFullAtOneMillionBytes) {
  Fill(1, kLogFileFull - 1, 'a');
  log.WriteToLogFile("still one");
  EXPECT_EQ(log.FileName(), "RingovaLog1.txt");
  EXPECT_FALSE(fs::exists(PathOf(2)));

  // Now above the limit: the next line starts file 2, even though the name is remembered.
  log.WriteToLogFile("two");
  EXPECT_EQ(log.FileName(), "RingovaLog2.txt");
  EXPECT_EQ(ReadFile(PathOf(2)), Line("two"));

  LogFile fresh;
  fresh.SetFolder(folder.withSlash());
  Fill(1, kLogFileFull, 'a');
  fs::remove(PathOf(2));
  EXPECT_EQ(fresh.GetLogFile(), "RingovaLog2.txt");
}

TEST_F(LogFileTest, OnlyTheHighestExistingFileCounts) {
  Fill(3, 10, 'c');
  log.WriteToLogFile("after three");
  EXPECT_EQ(log.FileName(), "RingovaLog3.txt");
  // The filler has no line end, like a line cut by a kill: the new line starts on a line of its
  // own.
  EXPECT_EQ(ReadFile(PathOf(3)), std::string(10, 'c') + "\r\n" + Line("after three"));
  EXPECT_FALSE(fs::exists(PathOf(1)));
}

TEST_F(LogFileTest, FullFiveRotatesTheRing) {
  for (int n = 1; n <= 5; ++n) Fill(n, kLogFileFull, static_cast<char>('0' + n));
  log.WriteToLogFile("fresh");
  EXPECT_EQ(log.FileName(), "RingovaLog5.txt");
  for (int n = 1; n <= 4; ++n) {
    EXPECT_EQ(ReadFile(PathOf(n)), std::string(kLogFileFull, static_cast<char>('1' + n)))
        << "file " << n;
  }
  EXPECT_EQ(ReadFile(PathOf(5)), Line("fresh"));
  EXPECT_FALSE(fs::exists(PathOf(6)));
  EXPECT_TRUE(failures.empty());
}

TEST_F(LogFileTest, RotationGapIsLoggedInTheChosenFileWithoutChoosingAgain) {
  for (int n : {1, 2, 4, 5}) Fill(n, kLogFileFull, static_cast<char>('0' + n));
  log.WriteToLogFile("after gap");
  EXPECT_EQ(log.FileName(), "RingovaLog5.txt");
  std::string five = ReadFile(PathOf(5));
  EXPECT_EQ(five.rfind("\"12/8/2026 10:24:02 AM: GetLogFile: " + PathOf(3) + " - ", 0), 0u) << five;
  EXPECT_NE(five.find(Line("after gap")), std::string::npos);
  EXPECT_EQ(ReadFile(PathOf(1)), std::string(kLogFileFull, '2'));
  EXPECT_FALSE(fs::exists(PathOf(2)));
  EXPECT_EQ(ReadFile(PathOf(3)), std::string(kLogFileFull, '4'));
  EXPECT_EQ(ReadFile(PathOf(4)), std::string(kLogFileFull, '5'));
}

TEST_F(LogFileTest, FailedWriteIsShownOnceAndTheMessageLost) {
  log.SetFolder(folder.withSlash() + "gone/");
  int shown = 0;
  log.SetFailureHandler([&](const std::string& text) {
    ++shown;
    failures.push_back(text);
    log.WriteToLogFile("written while the failure is shown");
  });
  log.WriteToLogFile("lost");
  ASSERT_EQ(shown, 1);
  EXPECT_EQ(failures[0], "WriteToLogFile: - " + folder.withSlash() + "gone/RingovaLog1.txt - " +
                             "No such file or directory");
  EXPECT_FALSE(fs::exists(folder.withSlash() + "gone"));
}

TEST_F(LogFileTest, MovingTheFolderMovesTheFileInUse) {
  TempFolder other;
  log.WriteToLogFile("here");
  std::string error;
  ASSERT_TRUE(log.MoveToFolder(other.withSlash(), error)) << error;
  EXPECT_EQ(log.Folder(), other.withSlash());
  EXPECT_FALSE(fs::exists(PathOf(1)));
  log.WriteToLogFile("there");
  EXPECT_EQ(ReadFile(other.withSlash() + "RingovaLog1.txt"), Line("here") + Line("there"));
}

TEST_F(LogFileTest, MoveToAMissingFolderFailsAndTheLogStays) {
  log.WriteToLogFile("here");
  std::string error;
  EXPECT_FALSE(log.MoveToFolder(folder.withSlash() + "missing", error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(log.Folder(), folder.withSlash());
  EXPECT_EQ(ReadFile(PathOf(1)), Line("here"));
}

TEST_F(LogFileTest, MoveOntoTheSameFolderKeepsTheFile) {
  log.WriteToLogFile("here");
  std::string error;
  std::string same = folder.withSlash().substr(0, folder.withSlash().size() - 1);  // no separator
  ASSERT_TRUE(log.MoveToFolder(same, error)) << error;
  EXPECT_EQ(log.Folder(), folder.withSlash());
  EXPECT_EQ(ReadFile(PathOf(1)), Line("here"));
}

TEST(AddinLog, FolderIsTheStoredPathOrTheDefaultAndIsCreated) {
  TempFolder root;
  std::string stored = root.withSlash() + "logs/deeper";
  EXPECT_EQ(InitLogFolder(stored), stored + "/");
  EXPECT_TRUE(fs::is_directory(stored));
  EXPECT_EQ(LogFolder(), stored + "/");
  EXPECT_EQ(DefaultLogFolder().substr(DefaultLogFolder().size() - 8), "Ringova/");
}

}  // namespace
}  // namespace ringova
