// A day of use: cycles of connect, outgoing calls in both join modes, arriving calls decided in
// every way, contact edits and a reload, disconnect. Nothing may be left behind: windows, tray
// icons, timers, table entries, connections. Resident memory and live heap are printed after
// the warm-up and at the end; `make soak` runs 2,000 cycles and holds their growth to 8 MiB
// resident and 64 KiB live heap. RINGOVA_SOAK_CYCLES sets the count (50 by default).

#include <cstdio>
#include <cstdlib>

#include "telvane/xmlrpc/method_table.h"
#include "tests/ringova_outlook/incoming/arriving_fixture.h"
#include "tests/support/process_memory.h"

// AddressSanitizer's quarantine of freed blocks would make resident memory climb for thousands
// of cycles whether or not anything leaks; a small one levels off early.
extern "C" const char* __asan_default_options() {
  return "quarantine_size_mb=4";
}

namespace ringova::testing {
namespace {

constexpr int kLongRun = 2000;

int soakCycles() {
  const char* text = std::getenv("RINGOVA_SOAK_CYCLES");
  const int cycles = text != nullptr ? std::atoi(text) : 0;
  return cycles > 0 ? cycles : 50;
}

class DayOfUseTest : public ArrivingTest {
 protected:
  std::size_t receivedOf(int type) const { return sim_->counters().receivedByType.at(type); }
  bool idle(fMain& w) const {
    return w.Legs().Leg1.CallID == "0" && w.Legs().Leg2.CallID == "0" &&
           w.Legs().Leg1.State == kLegIdle;
  }

  ::testing::AssertionResult connect(fMain& w) {
    const std::size_t subscribes = receivedOf(telvane::kSubscribe);
    const std::size_t handling = receivedOf(telvane::kIncomingCallHandling);
    w.Connect(false);
    if (!w.PbxConnected || w.UseCallForward) return ::testing::AssertionFailure() << "connect";
    if (!sim_->waitForReceived(telvane::kSubscribe, subscribes + 1) ||
        !sim_->waitForReceived(telvane::kIncomingCallHandling, handling + 1)) {
      return ::testing::AssertionFailure() << "no subscriptions";
    }
    sim_->command("extlist");
    if (!runUntil([&] { return w.OwnAuthUser == "ann"; })) {
      return ::testing::AssertionFailure() << "no own identity";
    }
    return ::testing::AssertionSuccess();
  }

  // Make, the own phone answers; in join mode the destination answers and the user closes.
  ::testing::AssertionResult outgoing(fMain& w, bool transfer) {
    w.UseCallForward = transfer;
    number_.number = "555";
    w.Calls().MakeCall();
    if (!runUntil([&] { return w.Legs().Leg1.State == 1; })) {
      return ::testing::AssertionFailure() << "the own phone did not ring";
    }
    const telvane::CallId leg1 = telvane::parseId(w.Legs().Leg1.CallID);
    sim_->sendState(leg1, 2);
    if (!transfer) {
      if (!runUntil([&] { return w.Legs().Leg2.CallID != "0"; })) {
        return ::testing::AssertionFailure() << "no second leg";
      }
      const std::size_t joins = receivedOf(telvane::kJoinCalls);
      // The simulator may not have taken the second leg's request yet.
      const telvane::CallId leg2 = telvane::parseId(w.Legs().Leg2.CallID);
      if (!runUntil([&] { return sim_->sendState(leg2, 2); })) {
        return ::testing::AssertionFailure() << "the destination did not answer";
      }
      if (!runUntil([&] { return receivedOf(telvane::kJoinCalls) > joins; })) {
        return ::testing::AssertionFailure() << "not joined";
      }
      w.Calls().CloseCurrentCall();
    }
    if (!runUntil([&] { return idle(w); })) return ::testing::AssertionFailure() << "not idle";
    w.UseCallForward = false;
    return ::testing::AssertionSuccess();
  }

  // One arriving call, decided by the user's button, the forward picker or the timeout.
  ::testing::AssertionResult arriving(fMain& w, int16_t action) {
    if (sim_->offer("tel:0899", "pbx:201") == 0) return ::testing::AssertionFailure() << "offer";
    IncomingWindow* win = shown(w, 0);
    if (win == nullptr) return ::testing::AssertionFailure() << "no window";
    switch (action) {
      case kActionAccept:
        driver_.click(win->cmdAccept);
        break;
      case kActionReject:
        driver_.click(win->cmdReject);
        break;
      case kActionForward:
        driver_.focus(win->cboFwd);
        driver_.type("own");
        driver_.press(platform::ui::key::Return);
        driver_.click(win->cmdForward);
        break;
      default:
        advance(std::chrono::seconds(20));
        break;
    }
    if (!runUntil([&] { return !w.Calls().HasRecords(); })) {
      return ::testing::AssertionFailure() << "the call stayed";
    }
    return ::testing::AssertionSuccess();
  }

  // A contact added, changed and removed through Outlook's item events, then a full reload.
  void contactEdits(int cycle) {
    auto item = contacts_->Items().Add(platform::outlook::olContactItem);
    item->SetProperty("FullName", "Temp " + std::to_string(cycle));
    item->SetProperty("BusinessTelephoneNumber", "0302 " + std::to_string(cycle));
    item->Save();
    directory_->UpdatePhoneRecords(kAddRecord, *item);
    item->SetProperty("MobileTelephoneNumber", "0171 " + std::to_string(cycle));
    item->Save();
    directory_->UpdatePhoneRecords(kUpdateRecord, *item);
    directory_->UpdatePhoneRecords(kRemoveRecord, *item);
    // Deleted for good, or into Deleted Items and from there for good.
    while (item->Delete()) {
    }
    directory_->LoadAllContacts();
  }

  ::testing::AssertionResult disconnect(fMain& w) {
    w.show();
    driver_.click(w.cmdConnect);
    if (w.PbxConnected) return ::testing::AssertionFailure() << "still connected";
    if (!sim_->waitUntil([](const auto& c) { return c.openConnections == 0; })) {
      return ::testing::AssertionFailure() << "the connection stayed open";
    }
    return ::testing::AssertionSuccess();
  }

  void cycle(fMain& w, int n) {
    ASSERT_TRUE(connect(w));
    ASSERT_TRUE(outgoing(w, false));
    ASSERT_TRUE(outgoing(w, true));
    for (int16_t action : {kActionAccept, kActionReject, kActionForward, kActionNone}) {
      ASSERT_TRUE(arriving(w, action)) << "decision " << action;
    }
    contactEdits(n);
    ASSERT_TRUE(disconnect(w));
    loop_.doEvents();
    // What the fixture records for the tests' eyes would be the growth measured.
    log_.clear();
    shell_.forgetRecords();
    // The toolbar reads its mode from the last one.
    auto& modes = modes_.modes;
    if (modes.size() > 1) modes.erase(modes.begin(), modes.end() - 1);
    trace_.clear();
  }

  // What a cycle must leave as it found it.
  struct Leftovers {
    std::size_t forms, timers, enabledTimers, trayIcons, calls, records, connections;
    bool operator==(const Leftovers&) const = default;
  };
  Leftovers leftovers(fMain& w) {
    return {toolkit_.forms().size(),
            loop_.timerCount(),
            loop_.enabledTimerCount(),
            shell_.trayIcons().size(),
            static_cast<std::size_t>(w.Calls().Count()),
            static_cast<std::size_t>(directory_->RecordCount()),
            sim_->counters().openConnections};
  }
};

TEST_F(DayOfUseTest, CyclesLeaveNothingBehind) {
  addContact("Own Desk", "201");
  store("TimeIncoming", "20");
  fMain& w = connected();
  ASSERT_TRUE(disconnect(w));
  const int cycles = soakCycles();
  const int warmUp = std::max(5, cycles / 10);
  for (int n = 0; n < warmUp; ++n) ASSERT_NO_FATAL_FAILURE(cycle(w, n)) << "cycle " << n;
  const Leftovers before = leftovers(w);
  EXPECT_EQ(before.enabledTimers, 0u);
  EXPECT_EQ(before.trayIcons, 0u);
  EXPECT_EQ(before.calls, 0u);
  EXPECT_EQ(before.connections, 0u);
  const long residentBefore = testsupport::ResidentKiB();
  const long long heapBefore = testsupport::LiveHeapBytes();
  std::printf("day of use: after %d warm-up cycles resident %ld KiB, live heap %lld bytes\n",
              warmUp, residentBefore, heapBefore);
  for (int n = warmUp; n < cycles; ++n) ASSERT_NO_FATAL_FAILURE(cycle(w, n)) << "cycle " << n;
  EXPECT_EQ(leftovers(w), before);
  const long residentAfter = testsupport::ResidentKiB();
  const long long heapAfter = testsupport::LiveHeapBytes();
  std::printf(
      "day of use: after %d cycles resident %ld KiB (%+ld KiB), live heap %lld bytes (%+lld)\n",
      cycles, residentAfter, residentAfter - residentBefore, heapAfter, heapAfter - heapBefore);
  // The limits hold for the long run, where a leak per cycle would show.
  if (cycles >= kLongRun) {
    EXPECT_LT(residentAfter - residentBefore, 8 * 1024);
    EXPECT_LT(heapAfter - heapBefore, 64 * 1024);
  }
}

}  // namespace
}  // namespace ringova::testing
