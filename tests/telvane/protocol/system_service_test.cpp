#include "telvane/protocol/system_service.h"

#include <gtest/gtest.h>

#include <optional>

#include "telvane/protocol/session_callbacks.h"
#include "tests/telvane/protocol/golden_texts.h"
#include "tests/telvane/protocol/message_checks.h"

namespace telvane {
namespace {

using namespace protocol_testing;

struct SystemCalls : NullSessionCallbacks {
  std::vector<std::string> seen;  // callback name, then every argument as text
  void onGetSystemInfo(CallId id) override { seen = {"onGetSystemInfo", formatId(id)}; }
  void onGetFilesList(CallId id, const std::string& extension) override {
    seen = {"onGetFilesList", formatId(id), extension};
  }
  void onDeleteFile(CallId id, const std::string& extension, const std::string& fileName) override {
    seen = {"onDeleteFile", formatId(id), extension, fileName};
  }
  void onBeginFileTransfer(CallId id, const std::string& extension, const std::string& fileName,
                           int32_t size) override {
    seen = {"onBeginFileTransfer", formatId(id), extension, fileName, std::to_string(size)};
  }
  void onConfigurationUpdate(CallId id, const std::string& fileName, int32_t size) override {
    seen = {"onConfigurationUpdate", formatId(id), fileName, std::to_string(size)};
  }
};

using Seen = std::vector<std::string>;

template <class T>
Seen dispatched(std::string_view text) {
  SystemCalls calls;
  if (auto method = parseAs<T>(text)) method->dispatch(calls);
  return calls.seen;
}

TEST(SystemRequests, GoldenTextsParseBackAndDispatch) {
  GetSystemInfoMethod info;
  info.setRequestId(900);
  const std::string infoText = golden::getSystemInfo();
  EXPECT_EQ(wire(info), infoText);
  EXPECT_EQ(dispatched<GetSystemInfoMethod>(infoText), (Seen{"onGetSystemInfo", "900"}));

  GetFilesMethod files;
  files.setRequest(901, "101");
  const std::string filesText = golden::getFilesList();
  EXPECT_EQ(wire(files), filesText);
  EXPECT_EQ(dispatched<GetFilesMethod>(filesText), (Seen{"onGetFilesList", "901", "101"}));

  FileTransferMethod upload;
  upload.setTransfer(902, "101", "C:\\Prompts\\greeting.wav", 4096);
  const std::string uploadText = golden::beginFileTransfer();
  EXPECT_EQ(wire(upload), uploadText);
  EXPECT_EQ(dispatched<FileTransferMethod>(uploadText),
            (Seen{"onBeginFileTransfer", "902", "101", "greeting.wav", "4096"}));

  FileDeleteMethod remove;
  remove.setRequest(903, "101", "greeting.wav");
  const std::string removeText = golden::deleteFile();
  EXPECT_EQ(wire(remove), removeText);
  EXPECT_EQ(dispatched<FileDeleteMethod>(removeText),
            (Seen{"onDeleteFile", "903", "101", "greeting.wav"}));

  ConfigurationUpdateMethod config;
  config.setRequest(904, "pbx.cfg", 77);
  const std::string configText = golden::configurationUpdate();
  EXPECT_EQ(wire(config), configText);
  EXPECT_EQ(dispatched<ConfigurationUpdateMethod>(configText),
            (Seen{"onConfigurationUpdate", "904", "pbx.cfg", "77"}));
}

TEST(SystemRequests, UploadSendsOnlyTheLastPathElement) {
  for (std::string_view path : {"/var/prompts/hello.wav", "C:\\a\\b/hello.wav", "hello.wav"}) {
    FileTransferMethod upload;
    upload.setTransfer(1, "101", path, 1);
    EXPECT_EQ(upload.fileName(), "hello.wav") << path;
  }
}

TEST(SystemRequests, EveryParamIsMandatory) {
  std::string out = "kept";
  GetSystemInfoMethod info;
  EXPECT_FALSE(info.serialize(out));
  GetFilesMethod files;
  files.setIdText("1");
  EXPECT_FALSE(files.serialize(out));
  EXPECT_EQ(out, "kept");

  EXPECT_TRUE(rejected(callText("getsysteminfo", {}, kSystemService)));
  EXPECT_TRUE(rejected(callText("getsysteminfo", {str("1"), str("2")}, kSystemService)));
  EXPECT_TRUE(rejected(callText("getfileslist", {str("1")}, kSystemService)));
  EXPECT_TRUE(rejected(
      callText("beginfiletransfer", {str("1"), str("101"), str("a.wav")}, kSystemService)));
  EXPECT_TRUE(rejected(callText("beginfiletransfer", {str("1"), str("101"), str("a.wav"), str("9")},
                                kSystemService)));
  EXPECT_TRUE(rejected(callText("deletefile", {str("1"), str("101"), i4(3)}, kSystemService)));
  EXPECT_TRUE(rejected(
      callText("configurationupdate", {str("1"), str("c"), i4(1), i4(2)}, kSystemService)));
}

TEST(SystemResponses, SystemInfoNeedsIdAndBothTexts) {
  GetSystemInfoMethod request;
  GetSystemInfoResponseMethod answer;
  answer.setResult(900, "PBX-0001", "5.2.1");
  const std::string text = golden::systemInfoAnswer();
  EXPECT_EQ(wire(answer), text);
  auto read = responseAs<GetSystemInfoResponseMethod>(request, text);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->idNumber(), 900u);
  EXPECT_EQ(read->uniqueId(), "PBX-0001");
  EXPECT_EQ(read->version(), "5.2.1");
  SystemCalls calls;
  read->dispatch(calls);
  EXPECT_TRUE(calls.seen.empty());

  // Two params: not this answer. The fault class takes the leading string as a plain result,
  // so the session sees a failure either way.
  const std::string shortText = responseText({str("900"), str("PBX-0001")});
  EXPECT_EQ(responseAs<GetSystemInfoResponseMethod>(request, shortText), nullptr);
  auto asFault = responseAs<FaultResponseMethod>(request, shortText);
  ASSERT_NE(asFault, nullptr);
  EXPECT_EQ(asFault->fault(), nullptr);
  auto fault = responseAs<FaultResponseMethod>(request, golden::busyFault());
  ASSERT_NE(fault, nullptr);
  EXPECT_EQ(fault->faultString(), "Busy");
}

TEST(SystemResponses, FileListKeepsOnlyStrings) {
  GetFilesMethod request;
  GetFilesResponseMethod answer;
  answer.setResult(901, {"a.wav", "b.wav"});
  const std::string text = golden::filesAnswer();
  EXPECT_EQ(wire(answer), text);
  auto read = responseAs<GetFilesResponseMethod>(
      request, responseText({str("901"), arrayOf({str("a.wav"), i4(3), str("b.wav")})}));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->idNumber(), 901u);
  EXPECT_EQ(read->fileNames(), (std::vector<std::string>{"a.wav", "b.wav"}));
  EXPECT_EQ(responseAs<GetFilesResponseMethod>(request, responseText({str("901"), str("a")})),
            nullptr);
}

// The list is read straight into the names; it must still read as the generic values would.
TEST(SystemResponses, FileListReadsAsTheGenericValues) {
  GetFilesMethod request;
  auto names = [&](const std::string& text) -> std::optional<std::vector<std::string>> {
    auto read = responseAs<GetFilesResponseMethod>(request, text);
    if (read == nullptr) return std::nullopt;
    return read->fileNames();
  };
  using Names = std::vector<std::string>;
  // Escapes, folded line ends, an empty name, and items of other kinds dropped.
  EXPECT_EQ(names(responseText(
                {str("901"),
                 arrayOf({str("a&amp;b.wav"), str("two\r\nlines"), str(""), dateTime("20261209"),
                          arrayOf({str("inner")}), structOf({{"x", i4(1)}}), str("z.wav")}),
                 str("ignored third")})),
            (Names{"a&b.wav", "two\nlines", "", "z.wav"}));
  // Type names in any case; an empty list.
  EXPECT_EQ(names("<?xml version=\"1.0\"?>\r\n<methodResponse><params><param><value><string>1"
                  "</string></value></param><param><value><ARRAY><data><value><String>x.wav"
                  "</String></value></data></ARRAY></value></param></params></methodResponse>"),
            (Names{"x.wav"}));
  EXPECT_EQ(names(responseText({str("901"), arrayOf({})})), Names{});
  // An unknown item type ends the list; what follows is skipped with it.
  EXPECT_EQ(
      names(responseText({str("901"), arrayOf({str("a"), "<value><nil/></value>", str("b")})})),
      (Names{"a"}));
  // Shapes the generic reading refuses.
  EXPECT_EQ(names(responseText({str("901")})), std::nullopt);
  EXPECT_EQ(names(responseText({i4(901), arrayOf({str("a")})})), std::nullopt);
  EXPECT_EQ(names(responseText({str("901"), "<value><array><list/></array></value>"})),
            std::nullopt);
  EXPECT_EQ(names(responseText({str("901"), arrayOf({structOf({{"x", "<value/>"}})})})),
            std::nullopt);
}

TEST(SystemResponses, FlagAnswersOfUploadDeleteAndConfiguration) {
  const std::string yes = golden::uploadAnswer();
  FileTransferResponseMethod upload;
  upload.setResult(902, true);
  EXPECT_EQ(wire(upload), yes);

  FileTransferMethod transfer;
  auto accepted = responseAs<FileTransferResponseMethod>(transfer, yes);
  ASSERT_NE(accepted, nullptr);
  EXPECT_TRUE(accepted->accepted());
  EXPECT_EQ(accepted->type(), kBeginFileTransfer);

  FileDeleteMethod remove;
  auto removed =
      responseAs<FileDeleteResponseMethod>(remove, responseText({str("9"), boolean(false)}));
  ASSERT_NE(removed, nullptr);
  EXPECT_FALSE(removed->flag());
  EXPECT_EQ(removed->idNumber(), 9u);

  ConfigurationUpdateMethod config;
  auto updated = responseAs<ConfigurationUpdateResponseMethod>(config, yes);
  ASSERT_NE(updated, nullptr);
  EXPECT_TRUE(updated->accepted());
  EXPECT_EQ(updated->type(), kConfigurationUpdate);
  EXPECT_EQ(responseAs<ConfigurationUpdateResponseMethod>(config, responseText({str("9"), i4(1)})),
            nullptr);

  ConfigurationUpdateResponseMethod unset;
  std::string out;
  EXPECT_FALSE(unset.serialize(out));
  EXPECT_TRUE(out.empty());
}

}  // namespace
}  // namespace telvane
