// Writes the seed corpora of the fuzz targets from the golden message texts of the tests:
//   fuzz_seed_corpus <dir>   (fills <dir>/<target>/, one file per seed)
// Response seeds are kept only for the request rows whose answer class reads them.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "telvane/protocol/method_factory.h"
#include "telvane/xmlrpc/method_table.h"
#include "telvane/xmlrpc/xmlrpc_method.h"

namespace {

namespace fs = std::filesystem;
using Members = std::initializer_list<std::pair<std::string_view, std::string>>;

std::string str(std::string_view text) {
  return "<value><string>" + std::string(text) + "</string></value>\r\n";
}
std::string i4(int value) {
  return "<value><int>" + std::to_string(value) + "</int></value>\r\n";
}
std::string boolean(bool value) {
  return std::string("<value><boolean>") + (value ? "1" : "0") + "</boolean></value>\r\n";
}
std::string structOf(Members members) {
  std::string out = "<value><struct>";
  for (const auto& [name, value] : members) {
    out += "\r\n<member>\r\n<name>" + std::string(name) + "</name>\r\n" + value + "</member>";
  }
  return out + "\r\n</struct></value>\r\n";
}
std::string arrayOf(std::initializer_list<std::string> items) {
  std::string out = "<value><array><data>\r\n";
  for (const std::string& item : items) out += item;
  return out + "</data></array></value>\r\n";
}
std::string params(const std::vector<std::string>& values) {
  std::string out;
  for (const std::string& value : values) out += "<param>\r\n" + value + "</param>\r\n";
  return out;
}
// Texts without the terminator, as the framer hands them on.
std::string callText(int type, const std::vector<std::string>& values) {
  return "<?xml version=\"1.0\"?>\r\n<methodCall>\r\n<methodName>" +
         std::string(telvane::methodName(type)) + "</methodName>\r\n<params>\r\n" + params(values) +
         "</params>\r\n</methodCall>";
}
std::string responseText(const std::vector<std::string>& values) {
  return "<?xml version=\"1.0\"?>\r\n<methodResponse>\r\n<params>\r\n" + params(values) +
         "</params>\r\n</methodResponse>";
}
std::string faultText(int code, std::string_view text) {
  return "<?xml version=\"1.0\"?>\r\n<methodResponse>\r\n<fault>\r\n" +
         structOf({{"faultCode", i4(code)}, {"faultString", str(text)}}) +
         "</fault>\r\n</methodResponse>";
}

std::vector<std::string> goldenCalls() {
  using namespace telvane;
  const std::string cdr = structOf({{"From", str("pbx:101")},
                                    {"To", str("tel:5551234")},
                                    {"Start Time", str("-1234567")},
                                    {"Duration", i4(65)},
                                    {"CallGUID", str("c0ffee")},
                                    {"Details", str("answered")},
                                    {"AuthenticatedBy", str("digest")},
                                    {"CIRCaller", boolean(true)}});
  const std::string statistics = structOf({{"RTP_Tx_Pack", i4(3000)},
                                           {"RTP_Tx_Codec", str("PCMU")},
                                           {"RTP_Tx_Pack_sz", i4(160)},
                                           {"RTP_Rx_Pack", i4(2990)},
                                           {"RTP_Rx_Codec", str("PCMA")},
                                           {"RTP_Rx_Pack_sz", i4(160)},
                                           {"RTP_Rx_Lost", i4(10)},
                                           {"RTP_Rx_Jitter", i4(12)},
                                           {"RTP_Rx_max_delay", i4(80)},
                                           {"RTP_Delay_Inc_Count", i4(2)},
                                           {"RTP_Delay_Dec_Count", i4(3)},
                                           {"Fax_Tx_Pack", i4(0)},
                                           {"Fax_Tx_Duble_Pack", i4(1)},
                                           {"Fax_Rx_Pack", i4(2)},
                                           {"Fax_Rx_Lost", i4(4)},
                                           {"Fax_Rx_Bad", i4(5)},
                                           {"Fax_Rx_Duble_Pack", i4(6)}});
  const auto ext = [](std::string e, std::string d, std::string sip, int type, int line) {
    return structOf({{"Ext", str(e)},
                     {"Display", str(d)},
                     {"SipAddress", str(sip)},
                     {"Type", i4(type)},
                     {"Line", i4(line)}});
  };
  return {
      callText(kCreateCall,
               {str("42"), str("system"), str("pbx:101"), str("Ringova"), str("ann"), i4(9)}),
      callText(kCreateCall, {str("43"), str("system"), str("tel:5551234")}),
      callText(kCloseCall, {str("42")}),
      callText(kTransferCall, {str("42"), str("vm:101;2")}),
      callText(kJoinCalls, {str("42"), str("43")}),
      callText(kUnjoinCalls, {str("42"), str("43")}),
      callText(kCallStateChanged, {str("42"), i4(6), i4(486)}),
      callText(kPlayMessage, {str("42"), str("autocallwait.wav"), i4(3)}),
      callText(kMessagePlayed, {str("42")}),
      callText(kInjectDtmf, {str("42"), str("12#")}),
      callText(kDtmfInjected, {str("42")}),
      callText(kEnableDtmfDetection, {str("42"), boolean(true)}),
      callText(kDtmfDigitDetected, {str("42"), i4(53)}),
      callText(kIncomingCallHandling, {str("101"), boolean(true)}),
      callText(kNotifyCallEstablishment, {boolean(true)}),
      callText(kProcess, {structOf({{"From", str("\"Ann\" <sip:ann@h:5060>")},
                                    {"To", str("pbx:101")},
                                    {"OrigCallID", str("41")},
                                    {"Ext", str("101")}}),
                          str("42")}),
      callText(kCallEstablished, {str("42"), i4(3), str("tel:555")}),
      callText(kCallEstablished,
               {str("42"), i4(1), str("pbx:101"), arrayOf({str("first"), str("second")})}),
      callText(kAuthenticate, {str("ann"), str("a&amp;b")}),
      callText(kSAuthenticate, {str("ann"), str("20261209T054000"), str("9f86d081")}),
      callText(kSubscribe, {str("77"), i4(1), structOf({{"extension", str("101")}})}),
      callText(kUnsubscribe, {str("77")}),
      callText(kMailArrived, {str("9"), structOf({{"From", str("pbx:101")},
                                                  {"Time", str("2026-12-09 05:40:00")},
                                                  {"Duration", i4(30)},
                                                  {"MailID", i4(4)}})}),
      callText(kCdrArrived, {str("5"), i4(2), cdr, statistics}),
      callText(kDlgArrived,
               {str("3"), arrayOf({structOf({{"CallID", str("7")},
                                             {"Local", str("\"Ann\" <ann@h:5060>")},
                                             {"Remote", str("bob@h")},
                                             {"CallType", i4(1)},
                                             {"Dir", i4(1)},
                                             {"Dur", i4(9)}}),
                                   structOf({{"CallType", i4(2)}, {"Event", i4(3)}})})}),
      callText(kPrsArrived, {str("4"), boolean(true)}),
      callText(kGetExtension, {str("ann")}),
      callText(kGetSystemInfo, {str("900")}),
      callText(kGetFilesList, {str("901"), str("101")}),
      callText(kBeginFileTransfer, {str("902"), str("101"), str("greeting.wav"), i4(4096)}),
      callText(kDeleteFile, {str("903"), str("101"), str("greeting.wav")}),
      callText(kCallOriginated, {structOf({{"Ext", str("101")},
                                           {"From", str("pbx:101")},
                                           {"To", str("tel:555")},
                                           {"Pattern", str("9*")}}),
                                 str("42")}),
      callText(kExtListArrived, {str("6"), arrayOf({ext("101", "Ann", "sip:ann@h", 1, 2),
                                                    ext("102", "Bob", "", 0, 0)})}),
      callText(kConfigurationUpdate, {str("904"), str("pbx.cfg"), i4(77)}),
      callText(kRecordingCallStarted, {str("42"), str("pbx:101"), str("sip:ann@h")}),
      callText(kRecordingCallClosed, {str("42")}),
      callText(kStartRecording, {str("42"), str("rec.wav")}),
      callText(kStopRecording, {str("42")}),
      callText(kRecordingStarted, {str("42"), boolean(true)}),
      callText(kRecordingSuspended, {str("42")}),
      callText(kRecordingResumed, {str("42")}),
      callText(kRecordingStopped, {str("42"), boolean(false)}),
      callText(kPlayStream, {str("42"), str("stream.wav")}),
      callText(kStreamPlayed, {str("42")}),  // rows 41 and 42 cross: see method_table.h
      callText(kStopStream, {str("42"), boolean(true)}),
  };
}

std::vector<std::string> goldenResponses() {
  return {
      responseText({str("42")}),
      responseText({str("77"), boolean(true), i4(0)}),
      responseText({boolean(true), str("Welcome")}),
      responseText({boolean(true), str("101")}),
      responseText({str("900"), str("PBX-0001"), str("5.2.1")}),
      responseText({str("901"), arrayOf({str("a.wav"), str("b.wav")})}),
      responseText({str("902"), boolean(true)}),
      responseText({str("9"), i4(1)}),
      responseText({structOf({{"action", str("accept")}, {"callerid", str("555")}}), str("42")}),
      responseText({structOf({{"action", str("redirect")},
                              {"targets", arrayOf({str("pbx:102"), str("vm:101;1")})}}),
                    str("42")}),
      responseText({structOf({{"CallID", str("77")}, {"ACTION", str("Decline")}}), str("42")}),
      faultText(500, "Busy"),
  };
}

bool writeSeed(const fs::path& dir, const std::string& name, std::string_view bytes) {
  std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <corpus dir>\n", argv[0]);
    return 2;
  }
  const fs::path root = argv[1];
  for (const char* target :
       {"xml_navigator", "method_call", "response", "party", "framer", "call_id"}) {
    fs::create_directories(root / target);
  }
  bool ok = true;
  const std::vector<std::string> calls = goldenCalls();
  const std::vector<std::string> responses = goldenResponses();

  for (std::size_t i = 0; i < calls.size(); ++i) {
    if (telvane::parsePbxMethodCall(calls[i]).kind != telvane::ParsedCall::Kind::kCall) {
      std::fprintf(stderr, "seed %zu does not read as a call:\n%s\n", i, calls[i].c_str());
      ok = false;
    }
    ok &= writeSeed(root / "method_call", "golden-" + std::to_string(i), calls[i]);
  }
  for (int type = 0; type < telvane::kMethodCount; ++type) {
    auto request = telvane::createProtocolMethod(type);
    for (std::size_t i = 0; i < responses.size(); ++i) {
      auto parsed = request->parseResponse(responses[i]);
      // The fault reads for every row; keep it for one row only.
      if (!parsed || (parsed->isFault() && type != 0)) continue;
      const std::string seed = std::string(1, static_cast<char>(type)) + responses[i];
      ok &= writeSeed(root / "response", "golden-" + std::to_string(type) + "-" + std::to_string(i),
                      seed);
    }
  }

  const std::vector<std::string> documents = {
      calls[15],
      calls[23],
      calls[24],
      responses[5],
      responses[11],
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<!-- note -->\r\n<root a=\"1\" b='&amp;'>"
      "<empty/><text>a &lt; b &#65; &#x42;</text><![CDATA[<raw>]]></root>",
  };
  for (std::size_t i = 0; i < documents.size(); ++i) {
    ok &= writeSeed(root / "xml_navigator", "golden-" + std::to_string(i), documents[i]);
  }

  // One byte of chunk sizes, then a stream of messages and a torn tail.
  const std::string stream = calls[2] + "\r\n\r\n" + responses[0] + "\r\n\r\n\r\n" + calls[6] +
                             "\r\n\r\n<?xml version=\"1.0\"?>\r\n<metho";
  ok &= writeSeed(root / "framer", "golden-0", std::string(1, '\x35') + stream);
  ok &= writeSeed(root / "framer", "golden-1", std::string(1, '\x00') + "a\r\n\r\r\n\r\n\r\nb");

  const char* parties[] = {"pbx:101",  "sip:ann@h:5060", "\"Ann\" <sip:ann@h:5060>",
                           "vm:101;2", "TEL:+493012345", "pstn:0049301",
                           "ar:5",     "5551234",        "\"Ann\" <ann@h:5060>",
                           "ann@h",    "Ann <bob@h>"};
  for (std::size_t i = 0; i < std::size(parties); ++i) {
    ok &= writeSeed(root / "party", "golden-" + std::to_string(i), parties[i]);
  }
  const char* ids[] = {"42", "0", "18446744073709551615", "18446744073709551616", "1a", ""};
  for (std::size_t i = 0; i < std::size(ids); ++i) {
    ok &= writeSeed(root / "call_id", "golden-" + std::to_string(i), ids[i]);
  }
  return ok ? 0 : 1;
}
