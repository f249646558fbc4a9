#pragma once
// The add-in's diagnostic log: one line per message, appended to a ring of five
// files "RingovaLog1.txt" .. "RingovaLog5.txt" (higher is newer) of about one
// megabyte each in the log folder. Every write opens and closes the file, so
// the files can be read, moved or mailed between writes.
//
// Line: a double quote, the general date and time, ": ", the message as it is,
// a double quote, CR LF.
//
// A process killed while writing leaves every earlier line whole; at most the
// line being written is cut short. Each write is one append, and a write that
// finds the file ending inside a line starts on a new line, so a cut line never
// runs into the next one.
//
// Not thread-safe: every writer runs on the add-in's user-interface thread.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ringova {

inline constexpr std::uintmax_t kLogFileFull = 1000000;

class LogFile {
 public:
  // Shown to the user when a write fails: the text of the message box. The
  // failed message is lost.
  using FailureHandler = std::function<void(const std::string& text)>;
  // The date and time of a line.
  using Stamp = std::function<std::string()>;

  LogFile();

  // The folder always ends in "/"; a folder given without one gets it.
  const std::string& Folder() const { return folder_; }
  void SetFolder(std::string folder);
  // The file in use; empty until the first write.
  const std::string& FileName() const { return file_name_; }

  void SetFailureHandler(FailureHandler handler) { on_failure_ = std::move(handler); }
  void SetStamp(Stamp stamp) { stamp_ = std::move(stamp); }

  // The name of the file the next line goes to, rotating the ring when file 5
  // is full. Failures on the way are logged ("GetLogFile: " + path + " - " +
  // reason) into the chosen file, and the choice goes on.
  std::string GetLogFile();

  void WriteToLogFile(std::string_view message);

  // Moves the file in use into folder (same name) and makes folder the log
  // folder. False, with the reason, when the copy fails; the log then stays
  // where it was.
  bool MoveToFolder(const std::string& folder, std::string& error);

  static std::string NumberedName(int n);

 private:
  std::string ChooseFile();
  std::string Rotate();
  void Report(const std::string& path, const std::string& reason);
  bool Append(const std::string& path, const std::vector<std::string>& messages,
              std::string& error);

  std::string folder_;
  std::string file_name_;
  FailureHandler on_failure_;
  Stamp stamp_;
  bool choosing_ = false;
  bool showing_failure_ = false;
  std::vector<std::string> choice_failures_;
};

// The add-in's one log.
LogFile& AddinLog();

// The log folder at add-in connection: the stored path, or the local
// application data folder + "Ringova/" when that is empty. Created when
// missing. Sets and returns AddinLog's folder.
std::string InitLogFolder(const std::string& stored_path);

// The default log folder (local application data + "Ringova/").
std::string DefaultLogFolder();

const std::string& LogFolder();
const std::string& LogFileName();
std::string GetLogFile();
void WriteToLogFile(std::string_view message);

}  // namespace ringova
