// An address book on a real Radicale server, set up with `ringova source add` as a user would:
// the running host syncs it, and what is added, changed and removed on the server names (or no
// longer names) an arriving call after one sync; the same for an LDAP directory. The sources'
// commands keep the password off the command line and out of the add-in's settings.
#include "platform/outlook/sources/dav_client.h"
#include "platform/outlook/sources/source_definitions.h"
#include "tests/apps/ringova/ringova_fixture.h"
#include "tests/platform/outlook/sources/radicale_server.h"
#include "tests/platform/outlook/sources/slapd_server.h"

namespace ringova::testing {
namespace {

namespace src = platform::outlook::sources;

std::string Card(const std::string& uid, const std::string& name, const std::string& phone) {
  return "BEGIN:VCARD\r\nVERSION:4.0\r\nUID:" + uid + "\r\nFN:" + name +
         "\r\nTEL;VALUE=uri;TYPE=work:tel:" + phone + "\r\nEND:VCARD\r\n";
}

class SourceHostTest : public RingovaFixture {
 protected:
  void SetUp() override {
    RingovaFixture::SetUp();
    ::setenv("XDG_CACHE_HOME", (home_.path() / "cache").c_str(), 1);
    ASSERT_TRUE(server_.running());
    src::DavAnswer made = owner_.Send(
        {"MKCOL", server_.url("/ann/work/"),
         "<?xml version=\"1.0\"?><D:mkcol xmlns:D=\"DAV:\" "
         "xmlns:C=\"urn:ietf:params:xml:ns:carddav\"><D:set><D:prop><D:resourcetype>"
         "<D:collection/><C:addressbook/></D:resourcetype><D:displayname>Work</D:displayname>"
         "</D:prop></D:set></D:mkcol>",
         -1});
    ASSERT_TRUE(made.ok()) << made.error;
  }
  void Put(const std::string& file, const std::string& card) {
    src::DavAnswer a =
        owner_.Send({"PUT", server_.url("/ann/work/" + file), card, -1, "text/vcard"});
    ASSERT_TRUE(a.ok()) << a.error;
  }
  void Remove(const std::string& file) {
    src::DavAnswer a = owner_.Send({"DELETE", server_.url("/ann/work/" + file), "", -1, ""});
    ASSERT_TRUE(a.ok()) << a.error;
  }
  // `ringova source ...` with `input` on its stdin: exit status, stdout and stderr.
  Finished Source(std::vector<std::string> args, const std::string& input) {
    args.insert(args.begin(), {RINGOVA_BIN, "source"});
    ChildProcess p(std::move(args));
    Finished f;
    if (!p.started()) return f;
    p.write(input);
    p.closeInput();
    for (const std::string& line : p.readAll()) f.out += line + "\n";
    f.status = p.wait();
    return f;
  }
  // The caller's name as the arriving call's window shows it.
  std::string CallerShown(const std::string& caller) {
    sim_->offer(caller, "pbx:201");
    send(
        "wait form fIncoming 10\ndump fIncoming\nform fIncoming cmdReject click\n"
        "wait hidden fIncoming 10\n");
    const Json dump = until("dump");
    if (dump.is_null()) return "<no window>";
    Json hidden;
    do {
      hidden = until("form", "fIncoming");
    } while (!hidden.is_null() && hidden["shown"].get<bool>());
    const std::string text = dump["dump"].get<std::string>();
    const std::size_t at = text.find("txtContactFrom \"");
    if (at == std::string::npos) return "<no field>";
    const std::size_t start = at + 16;
    return text.substr(start, text.find('"', start) - start);
  }
  void SyncAndWait(const std::string& name = "Work") {
    send("source sync " + name + " 20\ndump fMain\n");
    ASSERT_FALSE(until("dump").is_null());
    ASSERT_TRUE(errors().empty()) << ::testing::PrintToString(errors());
  }

  testsupport::RadicaleServer server_{{"ann:secret"}};
  src::DavClient owner_{{"ann", "secret", ""}};
};

TEST_F(SourceHostTest, EditsOnTheServerReachArrivingCallsWithinOneSync) {
  Put("kim.vcf", Card("kim", "Kim Park", "+49301111"));
  Put("lee.vcf", Card("lee", "Lee Wong", "+49302222"));
  Finished added = Source(
      {"add", "carddav", "Work", server_.url(), "--user", "ann", "--interval", "0"}, "secret\n");
  ASSERT_EQ(added.status, 0) << added.out;
  const auto defined = src::FindSourceDefinition(user_, "Work");
  ASSERT_TRUE(defined);
  EXPECT_EQ(defined->password, "secret");
  EXPECT_EQ(stored("Password"), "<missing>");  // not among the add-in's settings

  startSimulator();
  storeAccount();
  startHost();
  send("wait log StartupCompleted 20\n");
  ASSERT_FALSE(until("log", "StartupCompleted").is_null());
  SyncAndWait();
  EXPECT_EQ(CallerShown("tel:+49301111"), "Kim Park");

  Put("kim.vcf", Card("kim", "Kim Park-Lee", "+49301111"));
  Put("ned.vcf", Card("ned", "Ned Kelly", "+49303333"));
  Remove("lee.vcf");
  SyncAndWait();
  EXPECT_EQ(CallerShown("tel:+49303333"), "Ned Kelly");
  EXPECT_EQ(CallerShown("tel:+49301111"), "Kim Park-Lee");
  EXPECT_NE(CallerShown("tel:+49302222"), "Lee Wong");
  send("quit\n");
  EXPECT_EQ(finish(), 0);

  // The cache lets the next start name callers while the server is away.
  server_.Stop();
  startHost();
  send("wait log StartupCompleted 20\n");
  ASSERT_FALSE(until("log", "StartupCompleted").is_null());
  EXPECT_EQ(CallerShown("tel:+49303333"), "Ned Kelly");
  send("quit\n");
  EXPECT_EQ(finish(), 0);
}

TEST_F(SourceHostTest, CommandsListSyncAndRemoveSourcesAndNeverAskWithoutAUser) {
  Put("kim.vcf", Card("kim", "Kim Park", "+49301111"));
  // No user: nothing is read, so the input stays unread.
  ASSERT_EQ(Source({"add", "carddav", "Open", server_.url("/ann/work/")}, "").status, 0);
  ASSERT_EQ(Source({"add", "carddav", "Work", server_.url(), "--user", "ann"}, "wrong\n").status,
            0);
  EXPECT_EQ(Source({"add", "carddav", "Work", server_.url()}, "").status, 1);
  EXPECT_EQ(Source({"add", "carddav", "X", server_.url(), "--password", "pw"}, "").status, 2);

  Finished list = Source({"list"}, "");
  EXPECT_EQ(list.out, "Open\tcarddav\t" + server_.url("/ann/work/") + "\t-\tnot synced yet\n" +
                          "Work\tcarddav\t" + server_.url() + "\tann\tnot synced yet\n");
  // A wrong password (and no password, to this server) fails once, with the reason.
  Finished sync = Source({"sync"}, "");
  EXPECT_EQ(sync.status, 1);
  list = Source({"list"}, "");
  EXPECT_NE(list.out.find("Work\tcarddav\t" + server_.url() +
                          "\tann\tfailed: the server refused the user name or password (HTTP 401)"),
            std::string::npos)
      << list.out;

  EXPECT_EQ(Source({"remove", "Work"}, "").status, 0);
  EXPECT_EQ(Source({"remove", "Work"}, "").status, 1);
  EXPECT_FALSE(src::FindSourceDefinition(user_, "Work"));
}

TEST_F(SourceHostTest, ADirectorysEditsReachArrivingCallsWithinOneSync) {
  testsupport::SlapdServer directory(
      "dn: cn=Kim Park,dc=example,dc=test\nobjectClass: inetOrgPerson\ncn: Kim Park\nsn: Park\n"
      "telephoneNumber: +49301111\n\n"
      "dn: cn=Lee Wong,dc=example,dc=test\nobjectClass: inetOrgPerson\ncn: Lee Wong\nsn: Wong\n"
      "mobile: +49302222\n\n");
  ASSERT_TRUE(directory.running());
  Finished added =
      Source({"add", "ldap", "Staff", directory.ldap_url(), "--base",
              testsupport::SlapdServer::kBase, "--bind", testsupport::SlapdServer::kAdmin, "--pin",
              directory.fingerprint(), "--interval", "0"},
             directory.admin_password() + "\n");
  ASSERT_EQ(added.status, 0) << added.out;
  const auto defined = src::FindSourceDefinition(user_, "Staff");
  ASSERT_TRUE(defined);
  EXPECT_EQ(defined->kind, "ldap");
  EXPECT_EQ(defined->base, testsupport::SlapdServer::kBase);
  EXPECT_EQ(Source({"add", "ldap", "NoBase", directory.ldap_url()}, "").status, 2);
  EXPECT_EQ(Source({"list"}, "").out, "Staff\tldap\t" + directory.ldap_url() + "\t" +
                                          testsupport::SlapdServer::kAdmin + "\tnot synced yet\n");

  startSimulator();
  storeAccount();
  startHost();
  send("wait log StartupCompleted 20\n");
  ASSERT_FALSE(until("log", "StartupCompleted").is_null());
  SyncAndWait("Staff");
  EXPECT_EQ(CallerShown("tel:+49302222"), "Lee Wong");

  ASSERT_TRUE(directory.Modify(
      "dn: cn=Kim Park,dc=example,dc=test\nchangetype: modify\nadd: displayName\ndisplayName: Kim "
      "Park-Lee\n\n"
      "dn: cn=Lee Wong,dc=example,dc=test\nchangetype: delete\n\n"
      "dn: cn=Ned Kelly,dc=example,dc=test\nchangetype: add\nobjectClass: inetOrgPerson\n"
      "cn: Ned Kelly\nsn: Kelly\nhomePhone: +49303333\n\n"));
  SyncAndWait("Staff");
  EXPECT_EQ(CallerShown("tel:+49303333"), "Ned Kelly");
  EXPECT_EQ(CallerShown("tel:+49301111"), "Kim Park-Lee");
  EXPECT_NE(CallerShown("tel:+49302222"), "Lee Wong");
  send("quit\n");
  EXPECT_EQ(finish(), 0);
}

}  // namespace
}  // namespace ringova::testing
