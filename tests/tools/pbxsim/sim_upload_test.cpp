// File uploads with the "OK" handshake, the file list and deletion.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "telvane/protocol/system_service.h"
#include "tests/tools/pbxsim/sim_fixture.h"

namespace telvane::tools::testing {
namespace {

// The handshake text a 32-byte read of the peer sees: up to the first zero byte.
std::string handshakeText(const std::optional<std::string>& bytes) {
  if (!bytes) return "(nothing)";
  return std::string(bytes->c_str());
}

// Uploads `data` the way the control does: the request, "OK", chunks of 1024 bytes each
// followed by a read of the acknowledgement, then the response.
std::unique_ptr<XmlRpcResponseMethod> upload(SimClient& c, const XmlRpcRequestMethod& request,
                                             const std::string& data) {
  if (!c.send(request)) return nullptr;
  auto ok = c.readBytes(32);
  EXPECT_EQ(handshakeText(ok), "OK");
  if (handshakeText(ok) != "OK") return nullptr;
  for (std::size_t at = 0; at < data.size(); at += 1024) {
    EXPECT_TRUE(c.sendBytes(std::string_view(data).substr(at, 1024)));
    EXPECT_TRUE(c.readBytes(32)) << "no acknowledgement for the chunk at " << at;
  }
  auto text = c.next();
  return text ? request.parseResponse(*text) : nullptr;
}

std::vector<std::string> listFiles(SimClient& c, std::string_view extension) {
  GetFilesMethod list;
  list.setRequest(3, extension);
  auto response = c.call(list);
  auto* files = dynamic_cast<GetFilesResponseMethod*>(response.get());
  return files != nullptr ? files->fileNames() : std::vector<std::string>{"(failed)"};
}

using SimUploadTest = SimTest;

TEST_F(SimUploadTest, UploadedFileIsKeptListedAndDeleted) {
  start();
  auto c = client();
  std::string data(2500, '\0');
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7);
  FileTransferMethod transfer;
  transfer.setTransfer(21, "101", "C:\\prompts\\hello.wav", static_cast<int32_t>(data.size()));
  auto response = upload(*c, transfer, data);
  auto* accepted = dynamic_cast<FileTransferResponseMethod*>(response.get());
  ASSERT_NE(accepted, nullptr);
  EXPECT_TRUE(accepted->accepted());
  EXPECT_EQ(accepted->idNumber(), 21u);
  EXPECT_EQ(sim_->file("101", "hello.wav"), data);
  EXPECT_THAT(listFiles(*c, "101"), ::testing::ElementsAre("hello.wav"));
  EXPECT_THAT(listFiles(*c, "202"), ::testing::IsEmpty());

  FileDeleteMethod remove;
  remove.setRequest(22, "101", "hello.wav");
  auto deleted = c->call(remove);
  auto* result = dynamic_cast<FileDeleteResponseMethod*>(deleted.get());
  ASSERT_NE(result, nullptr);
  EXPECT_TRUE(result->flag());
  EXPECT_THAT(listFiles(*c, "101"), ::testing::IsEmpty());
}

TEST_F(SimUploadTest, FileAndFollowingRequestInOneWriteAreSeparated) {
  start();
  auto c = client();
  ConfigurationUpdateMethod update;
  update.setRequest(30, "pbx.cfg", 5);
  ASSERT_TRUE(c->send(update));
  EXPECT_EQ(handshakeText(c->readBytes(32)), "OK");
  GetSystemInfoMethod info;
  info.setRequestId(31);
  std::string text;
  ASSERT_TRUE(info.serialize(text));
  ASSERT_TRUE(c->sendBytes("abcde" + text));
  EXPECT_TRUE(c->readBytes(32));  // the acknowledgement of the one chunk
  auto first = c->next();
  ASSERT_TRUE(first);
  auto updated = update.parseResponse(*first);
  ASSERT_NE(dynamic_cast<ConfigurationUpdateResponseMethod*>(updated.get()), nullptr);
  EXPECT_TRUE(static_cast<ConfigurationUpdateResponseMethod&>(*updated).accepted());
  auto second = c->next();
  ASSERT_TRUE(second);
  EXPECT_NE(dynamic_cast<GetSystemInfoResponseMethod*>(info.parseResponse(*second).get()), nullptr);
  EXPECT_EQ(sim_->file("", "pbx.cfg"), "abcde");
}

TEST_F(SimUploadTest, EmptyFileAndRefusedUploads) {
  start();
  auto c = client();
  FileTransferMethod empty;
  empty.setTransfer(40, "101", "empty.wav", 0);
  auto response = upload(*c, empty, "");
  ASSERT_NE(dynamic_cast<FileTransferResponseMethod*>(response.get()), nullptr);
  EXPECT_EQ(sim_->file("101", "empty.wav"), "");

  // Too large: the peer sees no "OK", then a refusing answer.
  FileTransferMethod huge;
  huge.setTransfer(41, "101", "huge.wav", 1 << 30);
  ASSERT_TRUE(c->send(huge));
  EXPECT_EQ(handshakeText(c->readBytes(32)), "NO");
  auto text = c->next();
  ASSERT_TRUE(text);
  auto refused = huge.parseResponse(*text);
  ASSERT_NE(dynamic_cast<FileTransferResponseMethod*>(refused.get()), nullptr);
  EXPECT_FALSE(static_cast<FileTransferResponseMethod&>(*refused).accepted());
}

}  // namespace
}  // namespace telvane::tools::testing
