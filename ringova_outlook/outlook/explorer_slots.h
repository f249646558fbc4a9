#pragma once
// The explorer windows the add-in follows: slot 0 is the first window, slots 1 to 9 the further
// ones; an eleventh entry exists and is never used, so a window beyond ten stays untracked.
#include <array>
#include <optional>

namespace platform::outlook {
class Explorer;
}

namespace ringova {

inline constexpr int kExplorerSlotCount = 11;
inline constexpr int kTrackedExplorers = 10;

class ExplorerSlots {
 public:
  platform::outlook::Explorer* At(int slot) const { return slots_[slot].explorer; }
  bool InUse(int slot) const { return slots_[slot].in_use; }
  void Set(int slot, platform::outlook::Explorer* explorer) {
    slots_[slot] = {explorer, explorer != nullptr};
  }
  void Clear(int slot) { slots_[slot] = {}; }
  // Clears every in-use flag; the references stay.
  void ClearFlags() {
    for (int i = 0; i < kTrackedExplorers; ++i) slots_[i].in_use = false;
  }
  // The first free slot among 1 to 9.
  std::optional<int> FreeFurtherSlot() const {
    for (int i = 1; i < kTrackedExplorers; ++i)
      if (!slots_[i].in_use) return i;
    return std::nullopt;
  }
  // The slot holding this window, in use.
  std::optional<int> SlotOf(const platform::outlook::Explorer* explorer) const {
    for (int i = 0; i < kTrackedExplorers; ++i)
      if (slots_[i].in_use && slots_[i].explorer == explorer) return i;
    return std::nullopt;
  }

 private:
  struct Slot {
    platform::outlook::Explorer* explorer = nullptr;
    bool in_use = false;
  };
  std::array<Slot, kExplorerSlotCount> slots_{};
};

}  // namespace ringova
