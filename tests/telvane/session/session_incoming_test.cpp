// PBX method calls on the connection: automatic answers, the notifications they raise, the
// unknown-method fault, and how the stream is cut into messages.
#include <gtest/gtest.h>

#include "session_test_support.h"
#include "telvane/protocol/call_events.h"
#include "telvane/protocol/method_factory.h"
#include "telvane/protocol/subscriptions.h"
#include "telvane/session/pbx_session.h"
#include "telvane/xmlrpc/generic_method.h"
#include "telvane/xmlrpc/method_table.h"

namespace telvane {
namespace {

using namespace std::chrono_literals;
using testing::RecordingOwner;
using testing::ScriptedPeer;

PartyAddress party(const std::string& text) {
  PartyAddress address;
  EXPECT_TRUE(parseParty(text, address)) << text;
  return address;
}

using SessionIncomingTest = testing::LoggedInSessionTest;

TEST_F(SessionIncomingTest, CallStatesAreAnsweredAndErrorStateRaisesTwo) {
  CallStateChangedMethod failed;
  failed.setState(12, 6, 3);
  CallStateChangedMethod ringing;
  ringing.setState(13, 2);
  // Two messages in one write.
  peer_.write(testing::wireText(failed) + testing::wireText(ringing));
  ASSERT_TRUE(owner_.waitForCount(3));
  const auto notes = owner_.notifications();
  EXPECT_EQ(std::get<ErrorOccuredNotification>(notes[0]), (ErrorOccuredNotification{"12", 3}));
  EXPECT_EQ(std::get<CallStateChangedNotification>(notes[1]),
            (CallStateChangedNotification{"12", 6}));
  EXPECT_EQ(std::get<CallStateChangedNotification>(notes[2]),
            (CallStateChangedNotification{"13", 2}));

  for (const CallId id : {12u, 13u}) {
    const auto answer = failed.parseResponse(peer_.nextMessage().value_or(""));
    ASSERT_TRUE(answer);
    EXPECT_FALSE(answer->isFault());
    EXPECT_EQ(answer->idNumber(), id);
  }
}

TEST_F(SessionIncomingTest, MessageSplitOverSeveralWritesIsHandledWhenComplete) {
  MessagePlayedMethod played;
  played.setCallId(31);
  const std::string text = testing::wireText(played);
  const std::size_t third = text.size() / 3;
  peer_.write(text.substr(0, third));
  std::this_thread::sleep_for(20ms);
  peer_.write(text.substr(third, text.size() - third - 2));  // up to "\r\n" of the terminator
  std::this_thread::sleep_for(20ms);
  EXPECT_TRUE(owner_.notifications().empty());
  peer_.write(text.substr(text.size() - 2));
  ASSERT_TRUE(owner_.waitForCount(1));
  EXPECT_EQ(owner_.all<MessagePlayedNotification>(),
            (std::vector<MessagePlayedNotification>{{"31"}}));
  ASSERT_TRUE(peer_.nextMessage());
  EXPECT_TRUE(peer_.quietFor(50ms));
}

TEST_F(SessionIncomingTest, OfferedCallIsNotAnsweredUntilTheHostDecides) {
  CallArrivedMethod offer;
  ASSERT_TRUE(offer.setCall(40, party("tel:5551234"), party("pbx:101")));
  peer_.writeMessage(offer);
  ASSERT_TRUE(owner_.waitForCount(1));
  EXPECT_EQ(owner_.all<CallArrivedNotification>(),
            (std::vector<CallArrivedNotification>{{"40", "tel:5551234", "pbx:101", 0}}));
  EXPECT_TRUE(peer_.quietFor(100ms));

  ASSERT_TRUE(session_.AcceptCall(40, "5551234", "Ann", true));
  const auto answer = offer.parseResponse(peer_.nextMessage().value_or(""));
  const auto* decision = dynamic_cast<const CallArrivedResponseMethod*>(answer.get());
  ASSERT_NE(decision, nullptr);
  EXPECT_EQ(decision->decision(), CallArrivedResponseMethod::kAccept);
  EXPECT_TRUE(decision->remoteControl());
  // The answer expects nothing back: a later answer pairs with a later request.
  ASSERT_TRUE(session_.RejectCall(41));
  ASSERT_TRUE(peer_.nextMessage());
}

TEST_F(SessionIncomingTest, CallOriginatedCallerTextDependsOnTheExtension) {
  CallOriginatedMethod withExt;
  ASSERT_TRUE(withExt.setCall(50, "201", party("tel:100"), party("tel:200"), "9XX"));
  CallOriginatedMethod withoutExt;
  ASSERT_TRUE(withoutExt.setCall(51, "", party("tel:100"), party("tel:200"), "9XX"));
  peer_.write(testing::wireText(withExt) + testing::wireText(withoutExt));
  ASSERT_TRUE(owner_.waitForCount(2));
  EXPECT_EQ(owner_.all<CallOriginatedNotification>(),
            (std::vector<CallOriginatedNotification>{{"50", "pbx:201", "tel:200", "9XX"},
                                                     {"51", "tel:100", "tel:200", "9XX"}}));
  // The host answers these with ResponseToCRCall; nothing goes back by itself.
  EXPECT_TRUE(peer_.quietFor(100ms));
}

TEST_F(SessionIncomingTest, UnknownMethodGetsTheFaultAndNothingIsDelivered) {
  peer_.write(
      "<?xml version=\"1.0\"?>\r\n<methodCall>\r\n<methodName>Services.CallProcessingService."
      "nosuchthing</methodName>\r\n<params>\r\n</params>\r\n</methodCall>\r\n\r\n");
  const std::string reply = peer_.nextMessage().value_or("");
  FaultResponseMethod fault(kUnknownMethodType);
  ASSERT_TRUE(fault.parseText(reply)) << reply;
  EXPECT_EQ(fault.faultCode(), 1);
  EXPECT_EQ(fault.faultString(), "Unknown XML RPC method");
  EXPECT_FALSE(owner_.waitForCount(1, 50ms));
}

TEST_F(SessionIncomingTest, SubscriptionNotificationsCarryTheirValues) {
  MailArrivedMethod mail;
  ASSERT_TRUE(mail.setMail(MailRecord{7, party("tel:5550001"), "2026-12-09 06:00:00", 42, 3}));
  CDRArrivedMethod cdr;
  CdrRecord record{"tel:1", "tel:2", 1700000000, 61, "guid", "details", "auth", true};
  cdr.setCdr(8, 2, record);
  DialogArrivedMethod dialog;
  DialogRecord one;
  one.callId = 77;
  one.dialogState = 2;
  dialog.setDialogs(9, std::span(&one, 1));
  PresenceArrivedMethod presence;
  presence.setPresence(10, 1);
  ExtListArrivedMethod extensions;
  const ExtensionRecord entry{"101", "Ann", "sip:101@pbx", 1, 2};
  extensions.setExtensions(11, std::span(&entry, 1));
  DtmfDigitReceivedMethod digit;
  digit.setDigit(12, '#');
  DTMFInjectedMethod injected;
  injected.setCallId(13);
  std::string all;
  for (const XmlRpcMethod* m : std::initializer_list<const XmlRpcMethod*>{
           &mail, &cdr, &dialog, &presence, &extensions, &digit, &injected}) {
    all += testing::wireText(*m);
  }
  peer_.write(all);
  ASSERT_TRUE(owner_.waitForCount(7));
  const auto notes = owner_.notifications();
  EXPECT_EQ(std::get<MailArrivedNotification>(notes[0]),
            (MailArrivedNotification{"7", "tel:5550001", "2026-12-09 06:00:00", 42, 3}));
  const auto& cdrNote = std::get<CDRArrivedNotification>(notes[1]);
  EXPECT_EQ(cdrNote.subscriptionId, "8");
  EXPECT_EQ(cdrNote.fileType, 2);
  EXPECT_EQ(cdrNote.record, record);
  EXPECT_EQ(cdrNote.statistics, CdrStatistics{});
  EXPECT_EQ(std::get<DialogArrivedNotification>(notes[2]).dialogs.at(0).callId, 77u);
  EXPECT_EQ(std::get<PresenceArrivedNotification>(notes[3]),
            (PresenceArrivedNotification{"10", true}));
  EXPECT_EQ(std::get<ExtListArrivedNotification>(notes[4]).extensions,
            std::vector<ExtensionRecord>{entry});
  EXPECT_EQ(std::get<DtmfDigitReceivedNotification>(notes[5]),
            (DtmfDigitReceivedNotification{"12", '#'}));
  EXPECT_EQ(std::get<DTMFInjectedNotification>(notes[6]), (DTMFInjectedNotification{"13"}));
  for (const Notification& n : notes) {
    EXPECT_EQ(static_cast<std::uint32_t>(notificationNumber(n)), 0x8000 + n.index());
  }
  EXPECT_EQ(notificationNumber(notes[1]), NotificationNumber::kCDRArrived);
  EXPECT_STREQ(notificationName(NotificationNumber::kErrorOccured), "ErrorOccured");
}

}  // namespace
}  // namespace telvane
