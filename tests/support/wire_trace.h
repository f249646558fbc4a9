#pragma once
// What a PBX simulator traced (one JSON line a message, from its threads), kept for the test.

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace testsupport {

class WireTrace {
 public:
  // For the simulator's `trace` option; the trace must outlive the simulator.
  std::function<void(const std::string&)> sink() {
    return [this](const std::string& line) {
      std::lock_guard lock(mutex_);
      lines_.push_back(line);
    };
  }

  // Lines of what the PBX received, in order, whose text contains every one of `parts`.
  std::vector<std::string> inbound(const std::vector<std::string>& parts) const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> out;
    for (const std::string& line : lines_) {
      if (line.find("\"dir\":\"in\"") == std::string::npos) continue;
      bool all = true;
      for (const std::string& part : parts) all = all && line.find(part) != std::string::npos;
      if (all) out.push_back(line);
    }
    return out;
  }
  // Requests the PBX received whose method name ends in `method`.
  std::vector<std::string> requests(const std::string& method) const {
    return inbound({"Service." + method + "\""});
  }

  std::vector<std::string> lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
  }
  void clear() {
    std::lock_guard lock(mutex_);
    lines_.clear();
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

}  // namespace testsupport
