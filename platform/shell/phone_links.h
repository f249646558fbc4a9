#pragma once
// Phone links (tel:, callto:, sip:) that the desktop hands to the program: the host delivers each
// address as it comes (command line, another start of the program, the script), and the part that
// dials takes them. One taker at a time; UI thread only.
#include <functional>
#include <string>

namespace platform::shell {

class PhoneLinks {
 public:
  using Taker = std::function<void(const std::string& address)>;

  // An empty taker stops taking addresses.
  void setTaker(Taker taker) { taker_ = std::move(taker); }
  bool hasTaker() const { return static_cast<bool>(taker_); }
  // False when nothing takes addresses (no add-in that dials is loaded).
  bool deliver(const std::string& address) {
    if (!taker_) return false;
    Taker taker = taker_;  // the taker may replace itself while it runs
    taker(address);
    return true;
  }

 private:
  Taker taker_;
};

}  // namespace platform::shell
