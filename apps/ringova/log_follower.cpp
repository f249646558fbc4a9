#include "apps/ringova/log_follower.h"

#include <sys/stat.h>

#include <fstream>

namespace ringova::host {

namespace {

constexpr int kLogFiles = 5;

std::string fileName(const std::string& folder, int n) {
  return folder + "RingovaLog" + std::to_string(n) + ".txt";
}

bool statOf(const std::string& path, struct stat& st) {
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

LogFollower::LogFollower(Folder folder, Sink sink)
    : folderOf_(std::move(folder)), sink_(std::move(sink)) {
  folder_ = folderOf_();
  baseline();
}

void LogFollower::baseline() {
  read_.clear();
  for (int n = 1; n <= kLogFiles; ++n) {
    struct stat st {};
    if (statOf(fileName(folder_, n), st))
      read_[st.st_ino] = static_cast<std::uintmax_t>(st.st_size);
  }
}

std::string LogFollower::messageOf(std::string_view line) {
  if (line.size() >= 2 && line.front() == '"' && line.back() == '"') {
    line = line.substr(1, line.size() - 2);
    if (const std::size_t colon = line.find(": "); colon != std::string_view::npos) {
      return std::string(line.substr(colon + 2));
    }
  }
  return std::string(line);
}

void LogFollower::poll() {
  const std::string folder = folderOf_();
  if (folder != folder_) {
    folder_ = folder;
    baseline();
    return;
  }
  for (int n = 1; n <= kLogFiles; ++n) {
    const std::string path = fileName(folder_, n);
    struct stat st {};
    if (!statOf(path, st)) continue;
    const auto size = static_cast<std::uintmax_t>(st.st_size);
    std::uintmax_t& done = read_[st.st_ino];
    if (size < done) done = 0;  // emptied for reuse by the ring
    if (size == done) continue;
    std::ifstream in(path, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(done));
    std::string text(size - done, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
      std::string_view line(text.data() + start, end - start);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      sink_(messageOf(line));
    }
    done += start;  // an unfinished last line waits for its end
  }
}

}  // namespace ringova::host
