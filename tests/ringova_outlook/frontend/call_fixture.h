#pragma once
// The settings window logged in to the simulator with its call flow wired as the add-in wires
// it: the contact directory for caller lookup, the question window, a number source for Make and
// a record of the button modes. Adds readers of the simulator's trace by call.
#include <atomic>

#include "ringova_outlook/frontend/call_flow.h"
#include "ringova_outlook/support/support_windows.h"
#include "tests/ringova_outlook/frontend/window_fixture.h"

namespace ringova::testing {

struct RecordedModes final : ToolbarState {
  int16_t ButtonMode() const override { return modes.empty() ? 0 : modes.back(); }
  void ChangeButtonsState(int16_t mode) override { modes.push_back(mode); }
  std::vector<int16_t> modes;
};

struct FixedNumber final : SelectedNumber {
  std::string GetSelectedItems() override { return number; }
  std::string number;
};

class CallFixture : public WindowFixture {
 protected:
  void SetUp() override {
    WindowFixture::SetUp();
    support_ = std::make_unique<SupportWindows>(toolkit_, shell_);
    InstallSupportWindows(support_.get());
  }
  void TearDown() override {
    if (window_) window_->unload();
    InstallSupportWindows(nullptr);
    WindowFixture::TearDown();
    support_.reset();
  }

  // The simulator's clock moves only when the test moves it: calls answer and prompts end when
  // told to.
  void adjustOptions(telvane::tools::PbxSimulator::Options& options) override {
    options.answerDelay = answerDelay_;
    options.promptLength = promptLength_;
    options.busy = {"666"};
    options.unknown = {"777"};
    options.now = [this] {
      return telvane::tools::PbxSimulator::Clock::time_point(
          telvane::tools::PbxSimulator::Clock::duration(simTicks_.load()));
    };
  }
  void advanceSim(std::chrono::milliseconds span) {
    simTicks_ +=
        std::chrono::duration_cast<telvane::tools::PbxSimulator::Clock::duration>(span).count();
    sim_->wake();
  }

  // Lets the prompt now playing end (the simulator may not have taken the last request yet: its
  // clock moves on until `until` holds).
  bool endPrompt(const std::function<bool()>& until) {
    return runUntil([&] {
      if (until()) return true;
      advanceSim(promptLength_);
      return false;
    });
  }

  // Logged in with the join mode of `version`, own identity learnt (unless sendExtList_ is
  // cleared), incoming calls handled.
  fMain& connected(std::string version = "Sim-5.1.26-PBX") {
    startSimulator(std::move(version));
    storeAccount();
    store("TimeIncoming", "20");
    fMain& w = startUp();
    w.SetButtonModes(&modes_);
    w.SetSupportWindows(support_.get());
    w.Calls().SetDirectory(directory_.get());
    w.Calls().SetSelectedNumber(&number_);
    w.Connect(false);
    EXPECT_TRUE(w.PbxConnected);
    if (!w.UseCallForward && sendExtList_) {
      EXPECT_TRUE(receivedCount("subscribe", 1));
      sim_->command("extlist");
      EXPECT_TRUE(runUntil([&] { return !w.OwnAuthUser.empty(); }));
    }
    EXPECT_TRUE(receivedCount("incomingcallhandling", 1));
    return w;
  }

  // Requests and answers the simulator received, in order, whose text contains every part.
  std::vector<std::string> inbound(const std::vector<std::string>& parts) {
    return trace_.inbound(parts);
  }
  std::size_t inboundCount(const std::vector<std::string>& parts) {
    return trace_.inbound(parts).size();
  }
  bool waitInbound(std::initializer_list<std::string> parts, std::size_t count) {
    return runUntil([&] { return inboundCount(parts) >= count; }) && inboundCount(parts) == count;
  }
  // The requests the simulator received that mention the call, in order: the method's short
  // name, and for "playmessage" the file (or "stop").
  std::vector<std::string> methodsFor(const std::string& callId) {
    std::vector<std::string> out;
    for (const std::string& line : inbound({"\"" + callId + "\"", "\"kind\":\"call\""})) {
      const std::string key = "CallProcessingService.";
      size_t at = line.find(key);
      if (at == std::string::npos) continue;
      at += key.size();
      std::string method = line.substr(at, line.find('"', at) - at);
      if (method == "playmessage") {
        size_t wav = line.find(".wav");
        if (wav == std::string::npos) {
          method = "stop";
        } else {
          size_t from = line.rfind('"', wav) + 1;
          method = line.substr(from, wav + 4 - from);
        }
      }
      out.push_back(method);
    }
    return out;
  }
  // What the simulator heard about an offered call, in order: "remote" (taken under remote
  // control), "accept", "decline", "redirect" (the offer's answers), "transfercall", "closecall".
  std::vector<std::string> answersFor(telvane::CallId call) {
    std::vector<std::string> out;
    const std::string id = "\"" + telvane::formatId(call) + "\"";
    for (const std::string& line : inbound({id})) {
      if (line.find("\"name\":\"action\"") != std::string::npos) {
        for (const char* action : {"accept", "decline", "redirect"}) {
          if (line.find(std::string("{\"type\":\"string\",\"value\":\"") + action + "\"}") ==
              std::string::npos)
            continue;
          const bool remote = line.find(
                                  "\"remotecontrol\",\"value\":{\"type\":\"boolean\","
                                  "\"value\":true}") != std::string::npos;
          out.push_back(remote ? "remote" : action);
        }
      }
      for (const char* method : {"transfercall", "closecall"}) {
        if (line.find(std::string("CallProcessingService.") + method + "\"") != std::string::npos)
          out.push_back(method);
      }
    }
    return out;
  }
  void addContact(const std::string& name, const std::string& business, const std::string& mobile) {
    auto item = contacts_->Items().Add(platform::outlook::olContactItem);
    item->SetProperty("FullName", name);
    if (!business.empty()) item->SetProperty("BusinessTelephoneNumber", business);
    if (!mobile.empty()) item->SetProperty("MobileTelephoneNumber", mobile);
    item->Save();
  }
  using WindowFixture::addContact;

  void dumpTrace() {
    for (const std::string& line : trace_.lines()) std::printf("%s\n", line.c_str());
  }

  bool sendExtList_ = true;
  std::chrono::milliseconds answerDelay_ = std::chrono::hours(1);
  std::chrono::milliseconds promptLength_{1000};
  std::atomic<telvane::tools::PbxSimulator::Clock::rep> simTicks_{
      telvane::tools::PbxSimulator::Clock::duration(std::chrono::hours(2)).count()};
  std::unique_ptr<SupportWindows> support_;
  RecordedModes modes_;
  FixedNumber number_;
};

}  // namespace ringova::testing
