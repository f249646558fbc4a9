#pragma once
// The golden message texts: what the serializer writes for one message of each PBX method and
// for the answers, terminator included. The protocol tests check the messages against them and
// the fuzz seed generator writes them out as seeds, so the two cannot drift apart.

#include <string>
#include <vector>

#include "tests/telvane/protocol/wire_texts.h"

namespace telvane::protocol_testing::golden {

// ---- requests and notifications, one per method

inline std::string createCall() {
  return callText("createcall",
                  {str("42"), str("system"), str("pbx:101"), str("Ringova"), str("ann"), i4(9)});
}
inline std::string createCallPlain() {
  return callText("createcall", {str("43"), str("system"), str("tel:5551234")});
}
inline std::string closeCall() {
  return callText("closecall", {str("42")});
}
inline std::string transferCall() {
  return callText("transfercall", {str("42"), str("vm:101;2")});
}
inline std::string joinCalls() {
  return callText("joincalls", {str("42"), str("43")});
}
inline std::string unjoinCalls() {
  return callText("unjoincalls", {str("42"), str("43")});
}
inline std::string callStateChanged() {
  return callText("callstatechanged", {str("42"), i4(6), i4(486)});
}
inline std::string playMessage() {
  return callText("playmessage", {str("42"), str("autocallwait.wav"), i4(3)});
}
inline std::string messagePlayed() {
  return callText("messageplayed", {str("42")});
}
inline std::string injectDtmf() {
  return callText("injectdtmf", {str("42"), str("12#")});
}
inline std::string dtmfInjected() {
  return callText("dtmfinjected", {str("42")});
}
inline std::string enableDtmfDetection() {
  return callText("enabledtmfdetection", {str("42"), boolean(true)});
}
inline std::string dtmfDigitDetected() {
  return callText("dtmfdigitdetected", {str("42"), i4(53)});
}
inline std::string incomingCallHandling() {
  return callText("incomingcallhandling", {str("101"), boolean(true)});
}
inline std::string notifyCallEstablishment() {
  return callText("notifycallestablishment", {boolean(true)});
}
inline std::string callEstablished() {
  return callText("callestablished", {str("42"), i4(3), str("tel:555")});
}
inline std::string authenticate() {
  return callText("authenticate", {str("ann"), str("a&amp;b")});
}
inline std::string sAuthenticate() {
  return callText("sauthenticate", {str("ann"), str("20261209T054000"), str("9f86d081")});
}
inline std::string subscribe() {
  return callText("subscribe", {str("77"), i4(1), structOf({{"extension", str("101")}})});
}
inline std::string unsubscribe() {
  return callText("unsubscribe", {str("77")});
}

// The "CDRArrived" record and statistics structs, as written for the sample values.
inline std::string cdrStruct() {
  return structOf({{"From", str("pbx:101")},
                   {"To", str("tel:5551234")},
                   {"Start Time", str("-1234567")},
                   {"Duration", i4(65)},
                   {"CallGUID", str("c0ffee")},
                   {"Details", str("answered")},
                   {"AuthenticatedBy", str("digest")},
                   {"CIRCaller", boolean(true)}});
}
inline std::string cdrStatisticsStruct() {
  return structOf({{"RTP_Tx_Pack", i4(3000)},
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
}
inline std::string cdrArrived() {
  return callText("cdrarrived", {str("5"), i4(2), cdrStruct(), cdrStatisticsStruct()});
}

inline std::string prsArrived() {
  return callText("prsarrived", {str("4"), boolean(true)});
}
inline std::string getExtension() {
  return callText("getextension", {str("ann")});
}
inline std::string getSystemInfo() {
  return callText("getsysteminfo", {str("900")}, kSystemService);
}
inline std::string getFilesList() {
  return callText("getfileslist", {str("901"), str("101")}, kSystemService);
}
inline std::string beginFileTransfer() {
  return callText("beginfiletransfer", {str("902"), str("101"), str("greeting.wav"), i4(4096)},
                  kSystemService);
}
inline std::string deleteFile() {
  return callText("deletefile", {str("903"), str("101"), str("greeting.wav")}, kSystemService);
}
inline std::string callOriginated() {
  return callText("calloriginated", {structOf({{"Ext", str("101")},
                                               {"From", str("pbx:101")},
                                               {"To", str("tel:555")},
                                               {"Pattern", str("9*")}}),
                                     str("42")});
}

// One "ExtListArrived" entry.
inline std::string extensionEntry(std::string_view ext, std::string_view display,
                                  std::string_view sip, int type, int line) {
  return structOf({{"Ext", str(ext)},
                   {"Display", str(display)},
                   {"SipAddress", str(sip)},
                   {"Type", i4(type)},
                   {"Line", i4(line)}});
}
inline std::string extListArrived() {
  return callText("extlistarrived",
                  {str("6"), arrayOf({extensionEntry("101", "Ann", "sip:ann@h", 1, 2),
                                      extensionEntry("102", "Bob", "", 0, 0)})});
}

inline std::string configurationUpdate() {
  return callText("configurationupdate", {str("904"), str("pbx.cfg"), i4(77)}, kSystemService);
}
inline std::string recordingCallStarted() {
  return callText("recordingcallstarted", {str("42"), str("pbx:101"), str("sip:ann@h")});
}
inline std::string recordingCallClosed() {
  return callText("recordingcallclosed", {str("42")});
}
inline std::string startRecording() {
  return callText("startrecording", {str("42"), str("rec.wav")});
}
inline std::string stopRecording() {
  return callText("stoprecording", {str("42")});
}
inline std::string recordingStarted() {
  return callText("recordingstarted", {str("42"), boolean(true)});
}
inline std::string recordingSuspended() {
  return callText("recordingsuspended", {str("42")});
}
inline std::string recordingResumed() {
  return callText("recordingresumed", {str("42")});
}
inline std::string recordingStopped() {
  return callText("recordingstopped", {str("42"), boolean(false)});
}
inline std::string playStream() {
  return callText("playstream", {str("42"), str("stream.wav")});
}
// Rows 41 and 42 cross: this name belongs to StopStreamMethod (see method_table.h).
inline std::string streamPlayed() {
  return callText("streamplayed", {str("42")});
}
inline std::string stopStream() {
  return callText("stopstream", {str("42"), boolean(true)});
}

// ---- answers

// The plain answer: the call's ID alone.
inline std::string plainAnswer() {
  return responseText({str("42")});
}
inline std::string subscribeAnswer() {
  return responseText({str("77"), boolean(true), i4(0)});
}
inline std::string loginAnswer() {
  return responseText({boolean(true), str("Welcome")});
}
inline std::string extensionAnswer() {
  return responseText({boolean(true), str("101")});
}
inline std::string systemInfoAnswer() {
  return responseText({str("900"), str("PBX-0001"), str("5.2.1")});
}
inline std::string filesAnswer() {
  return responseText({str("901"), arrayOf({str("a.wav"), str("b.wav")})});
}
inline std::string uploadAnswer() {
  return responseText({str("902"), boolean(true)});
}
inline std::string busyFault() {
  return faultText(500, "Busy");
}

// ---- the seed lists: every text above once, and variants only the readers see
// The seeds are named by position in these lists: add at the end, do not reorder.

inline std::vector<std::string> calls() {
  return {
      createCall(),
      createCallPlain(),
      closeCall(),
      transferCall(),
      joinCalls(),
      unjoinCalls(),
      callStateChanged(),
      playMessage(),
      messagePlayed(),
      injectDtmf(),
      dtmfInjected(),
      enableDtmfDetection(),
      dtmfDigitDetected(),
      incomingCallHandling(),
      notifyCallEstablishment(),
      // A caller with a display name.
      callText("process", {structOf({{"From", str("\"Ann\" <sip:ann@h:5060>")},
                                     {"To", str("pbx:101")},
                                     {"OrigCallID", str("41")},
                                     {"Ext", str("101")}}),
                           str("42")}),
      callEstablished(),
      callText("callestablished",
               {str("42"), i4(1), str("pbx:101"), arrayOf({str("first"), str("second")})}),
      authenticate(),
      sAuthenticate(),
      subscribe(),
      unsubscribe(),
      // The time as a plain string, which the reader turns down.
      callText("mailarrived", {str("9"), structOf({{"From", str("pbx:101")},
                                                   {"Time", str("2026-12-09 05:40:00")},
                                                   {"Duration", i4(30)},
                                                   {"MailID", i4(4)}})}),
      cdrArrived(),
      callText("dlgarrived",
               {str("3"), arrayOf({structOf({{"CallID", str("7")},
                                             {"Local", str("\"Ann\" <ann@h:5060>")},
                                             {"Remote", str("bob@h")},
                                             {"CallType", i4(1)},
                                             {"Dir", i4(1)},
                                             {"Dur", i4(9)}}),
                                   structOf({{"CallType", i4(2)}, {"Event", i4(3)}})})}),
      prsArrived(),
      getExtension(),
      getSystemInfo(),
      getFilesList(),
      beginFileTransfer(),
      deleteFile(),
      callOriginated(),
      extListArrived(),
      configurationUpdate(),
      recordingCallStarted(),
      recordingCallClosed(),
      startRecording(),
      stopRecording(),
      recordingStarted(),
      recordingSuspended(),
      recordingResumed(),
      recordingStopped(),
      playStream(),
      streamPlayed(),
      stopStream(),
  };
}

inline std::vector<std::string> answers() {
  return {
      plainAnswer(),
      subscribeAnswer(),
      loginAnswer(),
      extensionAnswer(),
      systemInfoAnswer(),
      filesAnswer(),
      uploadAnswer(),
      responseText({str("9"), i4(1)}),
      // Decision answers to "process" in forms the control does not write itself.
      responseText({structOf({{"action", str("accept")}, {"callerid", str("555")}}), str("42")}),
      responseText({structOf({{"action", str("redirect")},
                              {"targets", arrayOf({str("pbx:102"), str("vm:101;1")})}}),
                    str("42")}),
      responseText({structOf({{"CallID", str("77")}, {"ACTION", str("Decline")}}), str("42")}),
      busyFault(),
  };
}

}  // namespace telvane::protocol_testing::golden
