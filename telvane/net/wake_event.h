// A wake-up handle for a thread that waits in WaitForHandles: any thread may signal it, the
// waiting thread watches it for reading and drains it.
#ifndef TELVANE_NET_WAKE_EVENT_H_
#define TELVANE_NET_WAKE_EVENT_H_

namespace telvane {

class WakeEvent {
 public:
  WakeEvent();
  ~WakeEvent();
  WakeEvent(const WakeEvent&) = delete;
  WakeEvent& operator=(const WakeEvent&) = delete;

  // False when the system could not create the handle.
  bool IsValid() const { return handle_ >= 0; }
  // The handle to watch for reading; -1 when not valid.
  int GetHandle() const { return handle_; }

  // Makes the handle readable until the next Drain. Safe from any thread.
  void Signal();
  // Clears every signal given so far; returns whether there was any.
  bool Drain();

 private:
  int handle_;
};

}  // namespace telvane

#endif  // TELVANE_NET_WAKE_EVENT_H_
