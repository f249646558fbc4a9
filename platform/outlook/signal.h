// Plain C++ events for the in-memory object model.
//
// An owner keeps a Signal<Args...> and raises it with Emit; subscribers only see the Event<Args...>
// base and get a Connection back. Destroying (or calling Disconnect on) the Connection removes the
// handler; a Connection may outlive its Signal. A handler removed while the signal is being raised
// is not called afterwards; a handler added during Emit is called from the next Emit on.
// Single-threaded, like the user-interface thread the object model lives on.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace platform::outlook {

class Connection {
 public:
  class Link {
   public:
    virtual ~Link() = default;
    virtual void Disconnect(std::uint64_t id) = 0;
  };

  Connection() = default;
  Connection(std::weak_ptr<Link> link, std::uint64_t id) : link_(std::move(link)), id_(id) {}
  Connection(Connection&& other) noexcept { *this = std::move(other); }
  Connection& operator=(Connection&& other) noexcept {
    if (this != &other) {
      Disconnect();
      link_ = std::move(other.link_);
      id_ = std::exchange(other.id_, 0);
    }
    return *this;
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  ~Connection() { Disconnect(); }

  void Disconnect() {
    if (auto link = link_.lock()) link->Disconnect(id_);
    link_.reset();
    id_ = 0;
  }
  bool Connected() const { return id_ != 0 && !link_.expired(); }

 private:
  std::weak_ptr<Link> link_;
  std::uint64_t id_ = 0;
};

template <typename... Args>
class Event {
 public:
  using Handler = std::function<void(Args...)>;

  [[nodiscard]] Connection Connect(Handler handler) {
    const std::uint64_t id = ++state_->next_id;
    state_->slots.push_back({id, std::make_shared<Handler>(std::move(handler))});
    return Connection(state_, id);
  }
  std::size_t HandlerCount() const { return state_->slots.size(); }

 protected:
  Event() = default;
  ~Event() = default;
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  struct Slot {
    std::uint64_t id;
    std::shared_ptr<Handler> handler;
  };
  struct State : Connection::Link {
    std::vector<Slot> slots;
    std::uint64_t next_id = 0;
    void Disconnect(std::uint64_t id) override {
      std::erase_if(slots, [id](const Slot& s) { return s.id == id; });
    }
    bool Has(std::uint64_t id) const {
      for (const Slot& s : slots)
        if (s.id == id) return true;
      return false;
    }
  };
  std::shared_ptr<State> state_ = std::make_shared<State>();
};

template <typename... Args>
class Signal : public Event<Args...> {
 public:
  Signal() = default;

  void Emit(Args... args) {
    // Keep the state alive even if a handler destroys the owner of this signal.
    auto state = this->state_;
    const auto snapshot = state->slots;
    for (const auto& slot : snapshot) {
      if (!state->Has(slot.id)) continue;
      (*slot.handler)(args...);
    }
  }
};

}  // namespace platform::outlook
