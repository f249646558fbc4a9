#pragma once
// Lets a loop on a manual clock take what other threads post until a condition holds; the
// clock stands still, only real time bounds the wait.

#include <chrono>
#include <functional>
#include <thread>

#include "platform/ui/message_loop.h"

namespace testsupport {

inline bool PollUntil(platform::ui::MessageLoop& loop, const std::function<bool()>& done,
                      std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    loop.doEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

}  // namespace testsupport
