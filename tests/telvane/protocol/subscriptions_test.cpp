#include "telvane/protocol/subscriptions.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "telvane/protocol/session_callbacks.h"
#include "tests/telvane/protocol/golden_texts.h"
#include "tests/telvane/protocol/message_checks.h"

namespace telvane {
namespace {

using namespace protocol_testing;

struct SubscriptionCalls : NullSessionCallbacks {
  int count = 0;
  CallId id = 0;
  int32_t number = 0;
  bool flag = false;
  std::string text;
  std::optional<MailRecord> mail;
  std::optional<CdrRecord> cdr;
  std::optional<CdrStatistics> statistics;
  std::vector<DialogRecord> dialogs;
  std::vector<ExtensionRecord> extensions;

  void onSubscribe(CallId i, int32_t kind, const std::string& extension) override {
    ++count, id = i, number = kind, text = extension;
  }
  void onUnsubscribe(CallId i, int32_t unused) override { ++count, id = i, number = unused; }
  void onSubscribeResponse(CallId i, bool confirmed, int32_t errorCode) override {
    ++count, id = i, flag = confirmed, number = errorCode;
  }
  void onMailArrived(const MailRecord& m) override { ++count, mail = m; }
  void onCdrArrived(CallId i, int32_t fileType, const CdrRecord& record,
                    const std::optional<CdrStatistics>& stats) override {
    ++count, id = i, number = fileType, cdr = record, statistics = stats;
  }
  void onDlgArrived(CallId i, const std::vector<DialogRecord>& list) override {
    ++count, id = i, dialogs = list;
  }
  void onPrsArrived(CallId i, bool doNotDisturb) override { ++count, id = i, flag = doNotDisturb; }
  void onExtListArrived(CallId i, const std::vector<ExtensionRecord>& list) override {
    ++count, id = i, extensions = list;
  }
};

template <class T>
SubscriptionCalls dispatched(std::string_view text) {
  SubscriptionCalls calls;
  if (auto method = parseAs<T>(text)) method->dispatch(calls);
  return calls;
}

// ---- subscribe, its answer, unsubscribe

TEST(Subscribe, ExtensionStructOnlyForKindsThatCarryOne) {
  SubscribeMethod mail;
  mail.setSubscription(77, kSubscribeVoiceMail, "101");
  const std::string mailText = golden::subscribe();
  EXPECT_EQ(wire(mail), mailText);

  SubscribeMethod cdr;
  cdr.setSubscription(78, kSubscribeCdr, "ignored");
  const std::string cdrText = callText("subscribe", {str("78"), i4(2)});
  EXPECT_EQ(wire(cdr), cdrText);

  SubscriptionCalls calls = dispatched<SubscribeMethod>(mailText);
  EXPECT_EQ(calls.count, 1);
  EXPECT_EQ(calls.id, 77u);
  EXPECT_EQ(calls.number, 1);
  EXPECT_EQ(calls.text, "101");
  calls = dispatched<SubscribeMethod>(cdrText);
  EXPECT_EQ(calls.id, 78u);
  EXPECT_EQ(calls.number, 2);
  EXPECT_EQ(calls.text, "");
}

TEST(Subscribe, EachKindSetterTakesANewId) {
  struct Case {
    CallId (SubscribeMethod::*plain)();
    CallId (SubscribeMethod::*withExtension)(std::string_view);
    int32_t kind;
  };
  const Case cases[] = {
      {nullptr, &SubscribeMethod::subscribeToVoiceMail, 1},
      {&SubscribeMethod::subscribeToCdr, nullptr, 2},
      {nullptr, &SubscribeMethod::subscribeToDialog, 3},
      {nullptr, &SubscribeMethod::subscribeToPresence, 4},
      {&SubscribeMethod::subscribeToCallRequests, nullptr, 5},
      {&SubscribeMethod::subscribeToExtensionList, nullptr, 6},
  };
  CallId previous = 0;
  for (const Case& c : cases) {
    SubscribeMethod method;
    const CallId id = c.plain ? (method.*c.plain)() : (method.*c.withExtension)("205");
    EXPECT_GT(id, previous);
    previous = id;
    EXPECT_EQ(method.idNumber(), id);
    EXPECT_EQ(method.kind(), c.kind);
    EXPECT_EQ(method.extension(), c.plain ? "" : "205") << c.kind;
    EXPECT_EQ(method.param(2) != nullptr, c.plain == nullptr) << c.kind;
  }
}

TEST(Subscribe, RequestsWithOtherParamsAreUnknown) {
  EXPECT_TRUE(rejected(callText("subscribe", {str("1")})));
  EXPECT_TRUE(rejected(callText("subscribe", {str("1"), str("1")})));
  EXPECT_TRUE(rejected(callText("subscribe", {str("1"), i4(1), str("101")})));
  EXPECT_TRUE(rejected(
      callText("subscribe", {str("1"), i4(1), structOf({{"extension", str("1")}}), i4(0)})));
  EXPECT_TRUE(rejected(callText("unsubscribe", {str("1"), i4(0)})));
  EXPECT_TRUE(rejected(callText("unsubscribe", {i4(1)})));
}

TEST(Subscribe, AnswerNeedsAllThreeResults) {
  SubscribeMethod request;
  SubscribeResponseMethod answer;
  answer.setResult(77, true, 0);
  const std::string text = golden::subscribeAnswer();
  EXPECT_EQ(wire(answer), text);

  auto read = responseAs<SubscribeResponseMethod>(request, text);
  ASSERT_NE(read, nullptr);
  SubscriptionCalls calls;
  read->dispatch(calls);
  EXPECT_EQ(calls.id, 77u);
  EXPECT_TRUE(calls.flag);
  EXPECT_EQ(calls.number, 0);

  auto refused = responseAs<SubscribeResponseMethod>(
      request, responseText({str("78"), boolean(false), i4(404)}));
  ASSERT_NE(refused, nullptr);
  EXPECT_FALSE(refused->confirmed());
  EXPECT_EQ(refused->errorCode(), 404);

  // A short answer does not parse at all (not even as a fault without content), so the session
  // drops it like any other unparseable answer and the request times out. A real fault still
  // reads.
  EXPECT_EQ(request.parseResponse(unframed(responseText({str("77"), boolean(true)}))), nullptr);
  EXPECT_EQ(request.parseResponse(unframed(responseText({str("77")}))), nullptr);
  auto fault = responseAs<FaultResponseMethod>(request, golden::busyFault());
  ASSERT_NE(fault, nullptr);
  EXPECT_EQ(fault->faultCode(), 500);
  EXPECT_EQ(responseAs<SubscribeResponseMethod>(request,
                                                responseText({str("77"), boolean(true), str("0")})),
            nullptr);
}

TEST(Unsubscribe, SendsOnlyTheIdAndDeliversZero) {
  UnsubscribeMethod method;
  method.setSubscriptionId(77);
  const std::string text = golden::unsubscribe();
  EXPECT_EQ(wire(method), text);
  SubscriptionCalls calls = dispatched<UnsubscribeMethod>(text);
  EXPECT_EQ(calls.count, 1);
  EXPECT_EQ(calls.id, 77u);
  EXPECT_EQ(calls.number, 0);
}

// ---- mailarrived

std::string mailText(std::string from, std::string time, std::string duration = i4(30)) {
  return callText("mailarrived", {str("9"), structOf({{"From", str(from)},
                                                      {"Time", std::move(time)},
                                                      {"Duration", std::move(duration)},
                                                      {"MailID", i4(4)}})});
}

TEST(MailArrived, WritesAndDeliversTheMailRecord) {
  MailRecord record;
  record.subscriptionId = 9;
  parseParty("pbx:101", record.from);
  record.time = "2026-12-09 05:40:00";
  record.duration = 30;
  record.mailId = 4;
  MailArrivedMethod method;
  ASSERT_TRUE(method.setMail(record));
  const std::string text = mailText("pbx:101", dateTime("2026-12-09 05:40:00"));
  EXPECT_EQ(wire(method), text);

  SubscriptionCalls calls = dispatched<MailArrivedMethod>(text);
  ASSERT_TRUE(calls.mail);
  EXPECT_EQ(*calls.mail, record);
}

TEST(MailArrived, TimeSetterUsesLocalTime) {
  const char* saved = std::getenv("TZ");
  const std::string previous = saved ? saved : "";
  setenv("TZ", "UTC", 1);
  tzset();
  MailArrivedMethod method;
  PartyAddress from;
  parseParty("pbx:101", from);
  EXPECT_TRUE(method.setMail(9, from, std::time_t{1796795999}, 30, 4));
  if (saved) {
    setenv("TZ", previous.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
  ASSERT_TRUE(method.mail());
  EXPECT_EQ(method.mail()->time, "2026-12-09 05:59:59");
}

TEST(MailArrived, IncompleteOrMistypedMailDeliversNothing) {
  EXPECT_EQ(dispatched<MailArrivedMethod>(mailText("pbx:1", str("2026-12-09 05:40:00"))).count, 0);
  EXPECT_EQ(dispatched<MailArrivedMethod>(mailText("pbx:1", dateTime("t"), str("30"))).count, 0);
  EXPECT_EQ(dispatched<MailArrivedMethod>(mailText("", dateTime("t"))).count, 0);
  EXPECT_EQ(dispatched<MailArrivedMethod>(
                callText("mailarrived", {str("9"), structOf({{"From", str("pbx:1")},
                                                             {"Time", dateTime("t")},
                                                             {"Duration", i4(1)}})}))
                .count,
            0);
  // Without a known prefix the caller is a telephone number.
  SubscriptionCalls calls = dispatched<MailArrivedMethod>(mailText("5551234", dateTime("t")));
  ASSERT_TRUE(calls.mail);
  EXPECT_EQ(calls.mail->from.kindCode(), kPartyTel);
  EXPECT_EQ(calls.mail->from.value, "5551234");
  EXPECT_TRUE(rejected(callText("mailarrived", {str("9"), str("pbx:1")})));
}

// ---- cdrarrived

CdrRecord sampleCdr() {
  return {.from = "pbx:101",
          .to = "tel:5551234",
          .startTime = -1234567,
          .duration = 65,
          .callGuid = "c0ffee",
          .details = "answered",
          .authenticatedBy = "digest",
          .callerIdRestricted = true};
}

CdrStatistics sampleStatistics() {
  return {.rtpTxPackets = 3000,
          .rtpTxCodec = "PCMU",
          .rtpTxPacketSize = 160,
          .rtpRxPackets = 2990,
          .rtpRxCodec = "PCMA",
          .rtpRxPacketSize = 160,
          .rtpRxLost = 10,
          .rtpRxJitter = 12,
          .rtpRxMaxDelay = 80,
          .rtpDelayIncCount = 2,
          .rtpDelayDecCount = 3,
          .faxTxPackets = 0,
          .faxTxDuplicatePackets = 1,
          .faxRxPackets = 2,
          .faxRxLost = 4,
          .faxRxBad = 5,
          .faxRxDuplicatePackets = 6};
}

TEST(CdrArrived, GoldenTextWithAndWithoutStatistics) {
  CDRArrivedMethod plain;
  plain.setCdr(5, 2, sampleCdr());
  const std::string plainText = callText("cdrarrived", {str("5"), i4(2), golden::cdrStruct()});
  EXPECT_EQ(wire(plain), plainText);
  SubscriptionCalls calls = dispatched<CDRArrivedMethod>(plainText);
  EXPECT_EQ(calls.count, 1);
  EXPECT_EQ(calls.id, 5u);
  EXPECT_EQ(calls.number, 2);
  EXPECT_EQ(calls.cdr, sampleCdr());
  EXPECT_FALSE(calls.statistics);

  CDRArrivedMethod full;
  full.setCdr(5, 2, sampleCdr(), sampleStatistics());
  const std::string fullText = golden::cdrArrived();
  EXPECT_EQ(wire(full), fullText);
  calls = dispatched<CDRArrivedMethod>(fullText);
  EXPECT_EQ(calls.cdr, sampleCdr());
  EXPECT_EQ(calls.statistics, sampleStatistics());
}

TEST(CdrArrived, NumbersReadTheWayThePbxWritesThem) {
  CDRArrivedMethod full;
  full.setCdr(5, 2, sampleCdr(), sampleStatistics());
  std::string text = wire(full);
  // 16-bit fields keep the low 16 bits; "Start Time" is read like atoi.
  auto replace = [&text](std::string_view from, std::string_view to) {
    const std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
  };
  replace("<name>RTP_Rx_Lost</name>\r\n<value><int>10<",
          "<name>RTP_Rx_Lost</name>\r\n<value><int>70000<");
  replace("<string>-1234567</string>", "<string>  +42 s</string>");
  SubscriptionCalls calls = dispatched<CDRArrivedMethod>(text);
  ASSERT_TRUE(calls.statistics);
  EXPECT_EQ(calls.statistics->rtpRxLost, 70000 - 65536);
  ASSERT_TRUE(calls.cdr);
  EXPECT_EQ(calls.cdr->startTime, 42);
}

TEST(CdrArrived, IncompleteStructsDeliverNothing) {
  CDRArrivedMethod full;
  full.setCdr(5, 2, sampleCdr(), sampleStatistics());
  std::string noFaxBad = wire(full);
  const std::size_t at = noFaxBad.find("<name>Fax_Rx_Bad</name>");
  noFaxBad.replace(at, 13, "<name>Fax_Rx_Bat");
  EXPECT_EQ(dispatched<CDRArrivedMethod>(noFaxBad).count, 0);

  std::string mistyped = wire(full);
  const std::size_t flag = mistyped.find("<boolean>1</boolean>");
  mistyped.replace(flag, 20, "<int>1</int>");
  EXPECT_EQ(dispatched<CDRArrivedMethod>(mistyped).count, 0);

  EXPECT_TRUE(rejected(callText("cdrarrived", {str("5"), i4(2)})));
  EXPECT_TRUE(rejected(callText("cdrarrived", {str("5"), str("2"), golden::cdrStruct()})));
  EXPECT_TRUE(rejected(
      callText("cdrarrived", {str("5"), i4(2), golden::cdrStruct(), golden::cdrStruct(), i4(0)})));
}

// ---- dlgarrived

DialogRecord sampleDialog() {
  DialogRecord d;
  d.callId = 18446744073709551615u;
  d.local = {"Ann", "ann", "pbx.example", "5060"};
  d.remote = {"", "bob", "10.0.0.2", ""};
  d.referredBy = {};
  d.callType = 1;
  d.direction = 0;
  d.dialogState = 3;
  d.stateEvent = 1;
  d.duration = 12;
  d.replacedCallId = 55;
  d.callState = 4;
  return d;
}

TEST(DialogArrived, RoundTripsAListOfDialogs) {
  DialogRecord second = sampleDialog();
  second.callId = 2;
  second.referredBy = {"Carl", "carl", "h", ""};
  const DialogRecord list[] = {sampleDialog(), second};
  DialogArrivedMethod method;
  method.setDialogs(3, list);
  const std::string text = wire(method);
  EXPECT_NE(text.find("<name>Local</name>\r\n<value><string>\"Ann\"&lt;ann@pbx.example:5060&gt;<"),
            std::string::npos);
  SubscriptionCalls calls = dispatched<DialogArrivedMethod>(text);
  EXPECT_EQ(calls.count, 1);
  EXPECT_EQ(calls.id, 3u);
  EXPECT_EQ(calls.dialogs, (std::vector<DialogRecord>{sampleDialog(), second}));
}

TEST(DialogArrived, EveryStructStartsFromTheInitialRecord) {
  const std::string text = callText(
      "dlgarrived", {str("3"), arrayOf({structOf({{"CallID", str("7")},
                                                  {"Local", str("ann@h")},
                                                  {"CallType", i4(1)},
                                                  {"Dir", i4(1)},
                                                  {"Dur", i4(9)}}),
                                        structOf({{"CallType", i4(2)}, {"Event", i4(3)}})})});
  SubscriptionCalls calls = dispatched<DialogArrivedMethod>(text);
  ASSERT_EQ(calls.dialogs.size(), 2u);
  EXPECT_EQ(calls.dialogs[0].callId, 7u);
  EXPECT_EQ(calls.dialogs[0].local.user, "ann");
  EXPECT_EQ(calls.dialogs[0].direction, 1);
  DialogRecord expected;
  expected.callType = 2;
  expected.stateEvent = 3;
  EXPECT_EQ(calls.dialogs[1], expected);
}

TEST(DialogArrived, StructWithoutCallTypeDeliversNothingAtAll) {
  const std::string text = callText(
      "dlgarrived", {str("3"), arrayOf({structOf({{"CallType", i4(1)}}),
                                        structOf({{"CallType", str("1")}, {"Dir", i4(1)}})})});
  EXPECT_EQ(dispatched<DialogArrivedMethod>(text).count, 0);
  const std::string notStruct =
      callText("dlgarrived", {str("3"), arrayOf({structOf({{"CallType", i4(1)}}), i4(1)})});
  EXPECT_EQ(dispatched<DialogArrivedMethod>(notStruct).count, 0);
  // An empty array is an empty list, still delivered.
  SubscriptionCalls empty =
      dispatched<DialogArrivedMethod>(callText("dlgarrived", {str("3"), arrayOf({})}));
  EXPECT_EQ(empty.count, 1);
  EXPECT_TRUE(empty.dialogs.empty());
  EXPECT_TRUE(rejected(callText("dlgarrived", {str("3"), structOf({{"CallType", i4(1)}})})));
}

// ---- prsarrived

TEST(PresenceArrived, FlagIsOnExactlyForStateOne) {
  PresenceArrivedMethod on;
  on.setPresence(4, 1);
  const std::string onText = golden::prsArrived();
  EXPECT_EQ(wire(on), onText);
  PresenceArrivedMethod other;
  other.setPresence(4, 2);
  EXPECT_EQ(wire(other), callText("prsarrived", {str("4"), boolean(false)}));

  SubscriptionCalls calls = dispatched<PresenceArrivedMethod>(onText);
  EXPECT_EQ(calls.count, 1);
  EXPECT_EQ(calls.id, 4u);
  EXPECT_TRUE(calls.flag);
  EXPECT_TRUE(rejected(callText("prsarrived", {str("4"), i4(1)})));
  EXPECT_TRUE(rejected(callText("prsarrived", {str("4"), boolean(true), boolean(true)})));
}

// ---- extlistarrived

TEST(ExtListArrived, WritesOneStructPerEntryAndReadsEachFromInitialValues) {
  const ExtensionRecord list[] = {{"101", "Ann", "sip:ann@h", 1, 2}, {"102", "Bob", "", 0, 0}};
  ExtListArrivedMethod method;
  method.setExtensions(6, list);
  const std::string text = golden::extListArrived();
  EXPECT_EQ(wire(method), text);
  SubscriptionCalls calls = dispatched<ExtListArrivedMethod>(text);
  EXPECT_EQ(calls.extensions, (std::vector<ExtensionRecord>(std::begin(list), std::end(list))));

  const std::string sparse = callText(
      "extlistarrived",
      {str("6"), arrayOf({golden::extensionEntry("101", "Ann", "sip:ann@h", 1, 2), str("junk"),
                          structOf({{"Ext", str("103")}, {"Line", str("4")}})})});
  calls = dispatched<ExtListArrivedMethod>(sparse);
  ASSERT_EQ(calls.extensions.size(), 2u);
  ExtensionRecord expected;
  expected.extension = "103";
  EXPECT_EQ(calls.extensions[1], expected);
  EXPECT_EQ(calls.extensions[1].line, -1);
}

}  // namespace
}  // namespace telvane
