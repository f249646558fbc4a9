#include "ringova_outlook/support/log_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "ringova_outlook/support/general_date.h"
#include "ringova_outlook/support/special_folder.h"

namespace ringova {
namespace fs = std::filesystem;

LogFile::LogFile() : stamp_(GeneralDateNow) {}

void LogFile::SetFolder(std::string folder) {
  folder_ = WithTrailingSeparator(std::move(folder));
}

std::string LogFile::NumberedName(int n) {
  return "RingovaLog" + std::to_string(n) + ".txt";
}

std::string LogFile::GetLogFile() {
  choosing_ = true;
  std::string name = ChooseFile();
  choosing_ = false;
  if (!choice_failures_.empty()) {
    std::vector<std::string> failures;
    failures.swap(choice_failures_);
    std::string error;
    Append(folder_ + name, failures, error);  // the write that follows reports a lasting fault
  }
  return name;
}

std::string LogFile::ChooseFile() {
  std::error_code ec;
  if (!file_name_.empty()) {
    std::string path = folder_ + file_name_;
    if (fs::exists(path, ec)) {
      std::uintmax_t size = fs::file_size(path, ec);
      if (!ec && size < kLogFileFull) return file_name_;
    }
    if (ec) Report(path, ec.message());
  }
  for (int n = 5; n >= 1; --n) {
    std::string name = NumberedName(n);
    std::string path = folder_ + name;
    ec.clear();
    bool exists = fs::exists(path, ec);
    if (ec) {
      Report(path, ec.message());
      continue;
    }
    if (!exists) {
      if (n == 1) return name;
      continue;
    }
    std::uintmax_t size = fs::file_size(path, ec);
    if (ec) {
      Report(path, ec.message());
      continue;
    }
    if (size < kLogFileFull) return name;
    if (n < 5) return NumberedName(n + 1);
    return Rotate();
  }
  return NumberedName(1);
}

// File 1 is emptied and becomes file 5; 2..5 move one number down.
std::string LogFile::Rotate() {
  std::string first = folder_ + NumberedName(1);
  {
    std::ofstream empty(first, std::ios::binary | std::ios::trunc);
    if (!empty) Report(first, std::strerror(errno));
  }
  std::error_code ec;
  fs::rename(first, folder_ + NumberedName(6), ec);
  if (ec) Report(first, ec.message());
  for (int n = 2; n <= 6; ++n) {
    std::string from = folder_ + NumberedName(n);
    ec.clear();
    fs::rename(from, folder_ + NumberedName(n - 1), ec);
    if (ec) Report(from, ec.message());
  }
  return NumberedName(5);
}

void LogFile::Report(const std::string& path, const std::string& reason) {
  WriteToLogFile("GetLogFile: " + path + " - " + reason);
}

void LogFile::WriteToLogFile(std::string_view message) {
  if (choosing_) {
    // A failure of the choice itself: written once the file is chosen, so the
    // choice is not entered again.
    choice_failures_.emplace_back(message);
    return;
  }
  file_name_ = GetLogFile();
  std::string path = folder_ + file_name_;
  std::string error;
  if (Append(path, {std::string(message)}, error)) return;
  // While the user deals with one failure, further failures are only lost.
  if (showing_failure_ || !on_failure_) return;
  showing_failure_ = true;
  on_failure_("WriteToLogFile: - " + path + " - " + error);
  showing_failure_ = false;
}

bool LogFile::Append(const std::string& path, const std::vector<std::string>& messages,
                     std::string& error) {
  std::string text;
  for (const auto& message : messages) {
    text += '"';
    text += stamp_ ? stamp_() : std::string();
    text += ": ";
    text += message;
    text += "\"\r\n";
  }
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  if (fd < 0) {
    error = std::strerror(errno);
    return false;
  }
  // A writer killed in the middle of a line left it without its end: that fragment stays a line
  // of its own instead of running into this one.
  struct stat st {};
  char last = '\n';
  if (::fstat(fd, &st) == 0 && st.st_size > 0 && ::pread(fd, &last, 1, st.st_size - 1) != 1) {
    last = '\n';
  }
  if (last != '\n') text.insert(0, "\r\n");
  // One append per message batch: a kill cuts at most the line being written.
  bool ok = true;
  for (std::string_view rest = text; ok && !rest.empty();) {
    const ssize_t n = ::write(fd, rest.data(), rest.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = std::strerror(n < 0 ? errno : EIO);
      ok = false;
    } else {
      rest.remove_prefix(static_cast<std::size_t>(n));
    }
  }
  if (::close(fd) != 0 && ok) {
    error = std::strerror(errno);
    ok = false;
  }
  return ok;
}

bool LogFile::MoveToFolder(const std::string& folder, std::string& error) {
  std::string target = WithTrailingSeparator(folder);
  std::error_code ec;
  if (!file_name_.empty()) {
    std::string from = folder_ + file_name_;
    std::string to = target + file_name_;
    // Moving a file onto itself would delete it.
    if (!fs::equivalent(fs::path(folder_), fs::path(target), ec)) {
      if (!fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec)) {
        error = ec.message();
        return false;
      }
      fs::remove(from, ec);
    }
  }
  folder_ = target;
  return true;
}

LogFile& AddinLog() {
  static LogFile log;
  return log;
}

std::string DefaultLogFolder() {
  return SpecialFolderPath(kCsidlLocalAppData) + "Ringova/";
}

std::string InitLogFolder(const std::string& stored_path) {
  std::string folder =
      WithTrailingSeparator(stored_path.empty() ? DefaultLogFolder() : stored_path);
  std::error_code ec;
  fs::create_directories(folder, ec);
  AddinLog().SetFolder(folder);
  return AddinLog().Folder();
}

const std::string& LogFolder() {
  return AddinLog().Folder();
}
const std::string& LogFileName() {
  return AddinLog().FileName();
}
std::string GetLogFile() {
  return AddinLog().GetLogFile();
}
void WriteToLogFile(std::string_view message) {
  AddinLog().WriteToLogFile(message);
}

}  // namespace ringova
