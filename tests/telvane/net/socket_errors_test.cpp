#include "telvane/net/socket_errors.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "telvane/net/bsd_socket.h"

namespace telvane {
namespace {

class SocketErrorsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSocketErrorSink([this](const std::string& text) { shown_.push_back(text); });
  }
  void TearDown() override {
    SetSocketErrorSink(nullptr);
    setShowSocketErrors(false);
  }
  std::vector<std::string> shown_;
};

TEST_F(SocketErrorsTest, TextCarriesTheNumberOnlyWhenThereIsOne) {
  setShowSocketErrors(true);
  ReportSocketError("Send", 104);
  EXPECT_EQ(lastSocketError(), "Send error #104");
  EXPECT_EQ(lastSocketErrorCode(), 104);
  ReportSocketError("Change mode for empty socket", 0);
  EXPECT_EQ(lastSocketError(), "Change mode for empty socket error");
  EXPECT_EQ(shown_,
            (std::vector<std::string>{"Send error #104", "Change mode for empty socket error"}));
}

TEST_F(SocketErrorsTest, SameErrorIsShownOnceInARow) {
  setShowSocketErrors(true);
  ReportSocketError("Receive", 32);
  ReportSocketError("Receive", 32);
  ReportSocketError("Accept", 9);
  ReportSocketError("Receive", 32);
  EXPECT_EQ(shown_, (std::vector<std::string>{"Receive error #32", "Accept error #9",
                                              "Receive error #32"}));
}

TEST_F(SocketErrorsTest, HiddenErrorsAreStillRecorded) {
  setShowSocketErrors(false);
  ReportSocketError("ListenEx", 22);
  EXPECT_TRUE(shown_.empty());
  EXPECT_EQ(lastSocketError(), "ListenEx error #22");
}

TEST_F(SocketErrorsTest, EachConstructionSetsTheSwitchForTheWholeProcess) {
  BsdSocket wakeUp(true);
  EXPECT_TRUE(showSocketErrors());
  BsdSocket connection(false);
  EXPECT_FALSE(showSocketErrors());
  ReportSocketError("Bind", 98);  // whichever socket fails, nothing is shown now
  EXPECT_TRUE(shown_.empty());
}

TEST_F(SocketErrorsTest, DefaultSinkWritesALineToStandardError) {
  SetSocketErrorSink(nullptr);
  setShowSocketErrors(true);
  ::testing::internal::CaptureStderr();
  ReportSocketError("GetPeerAddr", 107);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "\nGetPeerAddr error #107\n");
}

}  // namespace
}  // namespace telvane
