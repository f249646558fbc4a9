// The directory sync against a slapd of the test's own whose size limit (5) is below the entries
// it holds: paging loads them whole, a re-query turns into only what changed, a wrong password
// and a certificate that does not match the pin stop before anything is read, and a server gone
// midway leaves the last snapshot standing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "platform/outlook/application.h"
#include "platform/outlook/sources/ldap_sync.h"
#include "platform/outlook/sources/source_runner.h"
#include "platform/outlook/vcard_import.h"
#include "platform/ui/clock.h"
#include "tests/platform/outlook/sources/slapd_server.h"
#include "tests/platform/ui/poll_until.h"
#include "tests/support/temp_folder.h"

namespace platform::outlook::sources {
namespace {

using namespace std::chrono_literals;
using testsupport::SlapdServer;

std::string Person(int n) {
  const std::string id = std::to_string(n);
  return "dn: cn=Person " + id + ",dc=example,dc=test\nobjectClass: inetOrgPerson\ncn: Person " +
         id + "\nsn: Last" + id + "\ngivenName: First" + id + "\ntelephoneNumber: +1 555 01" + id +
         "\nmobile: +1 555 02" + id + "\nhomePhone: +1 555 03" + id + "\nmail: p" + id +
         "@example.test\no: Example, Inc.\n\n";
}

std::string People(int count) {
  std::string ldif;
  for (int n = 0; n < count; ++n) ldif += Person(n);
  // A person with nothing to ring or mail, and a container: neither is a contact.
  ldif += "dn: cn=Nobody,dc=example,dc=test\nobjectClass: person\ncn: Nobody\nsn: Nobody\n\n";
  ldif += "dn: ou=Rooms,dc=example,dc=test\nobjectClass: organizationalUnit\nou: Rooms\n\n";
  return ldif;
}

class LdapSyncTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(server.running()); }
  LdapSource Source(std::string url, std::string bind = "", std::string password = "") {
    return {"Directory",
            {std::move(url), std::move(bind), std::move(password), server.fingerprint()},
            SlapdServer::kBase,
            ""};
  }
  static LdapLimits Paged() {
    LdapLimits limits;
    limits.page_size = 3;
    return limits;
  }
  static const CardState* Card(const SourceSnapshot& s, std::string_view fragment) {
    for (const CardState& card : s.books.at(0).cards)
      if (card.vcard.find(fragment) != std::string::npos) return &card;
    return nullptr;
  }

  SlapdServer server{People(20)};
};

TEST_F(LdapSyncTest, PagesPastTheSizeLimitAndMapsEachEntryOntoOneContact) {
  const SyncOutcome outcome = SyncLdap(Source(server.ldap_url()), {}, Paged());
  ASSERT_TRUE(outcome.ok()) << outcome.error;
  ASSERT_EQ(outcome.snapshot.books.size(), 1u);
  EXPECT_EQ(outcome.snapshot.books[0].name, "Directory");
  EXPECT_EQ(outcome.snapshot.books[0].cards.size(), 20u);
  ASSERT_EQ(outcome.changes.size(), 1u);
  EXPECT_EQ(outcome.changes[0].upserts.size(), 20u);
  ASSERT_EQ(outcome.notes.size(), 1u);  // the container is not a person at all
  EXPECT_NE(outcome.notes[0].find("cn=Nobody"), std::string::npos) << outcome.notes[0];

  const CardState* seven = Card(outcome.snapshot, "FN:Person 7");
  ASSERT_NE(seven, nullptr);
  EXPECT_EQ(seven->href.size(), 36u) << "keyed by entryUUID: " << seven->href;
  const VCardParse parsed = ParseVCards(seven->vcard, seven->href);
  ASSERT_TRUE(parsed.ok()) << parsed.error;
  const VCardContact& c = parsed.contacts.at(0);
  EXPECT_EQ(c.Get("FullName"), "Person 7");
  EXPECT_EQ(c.Get("FirstName"), "First7");
  EXPECT_EQ(c.Get("LastName"), "Last7");
  EXPECT_EQ(c.Get("CompanyName"), "Example, Inc.");
  EXPECT_EQ(c.Get("BusinessTelephoneNumber"), "+1 555 017");
  EXPECT_EQ(c.Get("MobileTelephoneNumber"), "+1 555 027");
  EXPECT_EQ(c.Get("HomeTelephoneNumber"), "+1 555 037");
  EXPECT_EQ(c.Get("Email1Address"), "p7@example.test");
}

TEST_F(LdapSyncTest, AReQueryBringsOnlyTheEntriesAddedChangedAndDeleted) {
  const SyncOutcome first = SyncLdap(Source(server.ldap_url()), {}, Paged());
  ASSERT_TRUE(first.ok()) << first.error;
  const SyncOutcome same = SyncLdap(Source(server.ldap_url()), first.snapshot, Paged());
  ASSERT_TRUE(same.ok()) << same.error;
  EXPECT_TRUE(same.changes.empty());

  const std::string changed = Card(first.snapshot, "FN:Person 3")->href;
  const std::string deleted = Card(first.snapshot, "FN:Person 5")->href;
  ASSERT_TRUE(server.Modify(Person(20)));  // "add" is ldapmodify's default without changetype
  ASSERT_TRUE(
      server.Modify("dn: cn=Person 3,dc=example,dc=test\nchangetype: modify\nreplace: mobile\n"
                    "mobile: +1 555 9999\n\n"
                    "dn: cn=Person 5,dc=example,dc=test\nchangetype: delete\n\n"
                    "dn: cn=Person 6,dc=example,dc=test\nchangetype: modify\nreplace: description\n"
                    "description: not a mapped attribute\n\n"));
  const SyncOutcome next = SyncLdap(Source(server.ldap_url()), first.snapshot, Paged());
  ASSERT_TRUE(next.ok()) << next.error;
  ASSERT_EQ(next.changes.size(), 1u);
  const BookChanges& book = next.changes[0];
  ASSERT_EQ(book.upserts.size(), 2u);
  ASSERT_EQ(book.removed, std::vector<std::string>{deleted});
  const bool changed_first = book.upserts[0].href == changed;
  const CardState& modified = book.upserts[changed_first ? 0 : 1];
  const CardState& added = book.upserts[changed_first ? 1 : 0];
  EXPECT_EQ(modified.href, changed);
  EXPECT_NE(modified.vcard.find("+1 555 9999"), std::string::npos);
  EXPECT_NE(added.vcard.find("FN:Person 20"), std::string::npos);
  EXPECT_EQ(next.snapshot.books[0].cards.size(), 20u);
}

TEST_F(LdapSyncTest, AWrongPasswordIsOneAuthenticationFailureAndKeepsTheSnapshot) {
  const SyncOutcome first = SyncLdap(Source(server.ldap_url()), {}, Paged());
  ASSERT_TRUE(first.ok()) << first.error;
  const SyncOutcome refused =
      SyncLdap(Source(server.ldap_url(), SlapdServer::kAdmin, "wrong"), first.snapshot, Paged());
  EXPECT_EQ(refused.failure, DavFailure::kAuthentication);
  EXPECT_NE(refused.error.find(SlapdServer::kAdmin), std::string::npos) << refused.error;
  EXPECT_TRUE(refused.changes.empty());
  EXPECT_EQ(refused.snapshot.books.at(0).cards.size(), 20u);

  const SyncOutcome bound = SyncLdap(
      Source(server.ldaps_url(), SlapdServer::kAdmin, server.admin_password()), {}, Paged());
  ASSERT_TRUE(bound.ok()) << bound.error;
  EXPECT_EQ(bound.snapshot.books.at(0).cards.size(), 20u);
}

TEST_F(LdapSyncTest, TheCertificateIsJudgedBeforeTheBind) {
  for (const std::string& url : {server.ldap_url(), server.ldaps_url()}) {
    LdapSource pinned = Source(url, SlapdServer::kAdmin, server.admin_password());
    EXPECT_TRUE(SyncLdap(pinned, {}, Paged()).ok()) << url;

    LdapSource other = pinned;
    other.account.tls_pin = std::string(95, '0');
    for (std::size_t i = 2; i < other.account.tls_pin.size(); i += 3)
      other.account.tls_pin[i] = ':';
    const int binds = server.LogCount(" BIND dn=");
    const SyncOutcome refused = SyncLdap(other, {}, Paged());
    EXPECT_EQ(refused.failure, DavFailure::kTls) << url;
    EXPECT_EQ(server.LogCount(" BIND dn="), binds) << "no password to a server that is not it";
    EXPECT_EQ(refused.error, "the server's certificate (SHA-256 " + server.fingerprint() +
                                 ") does not match the pin")
        << url;

    LdapSource system_cas = pinned;
    system_cas.account.tls_pin.clear();
    const SyncOutcome untrusted = SyncLdap(system_cas, {}, Paged());
    EXPECT_EQ(untrusted.failure, DavFailure::kTls) << url << ": " << untrusted.error;
  }
}

TEST_F(LdapSyncTest, AServerGoneMidwayFailsTheWholeSearchAndTheSnapshotStands) {
  LdapConnection connection({server.ldap_url(), "", "", server.fingerprint()}, Paged());
  ASSERT_TRUE(connection.Open().ok());
  int seen = 0;
  const LdapResult cut =
      connection.Search(SlapdServer::kBase, "(objectClass=person)", {"cn"}, [&](LdapEntry) {
        if (++seen == 1) server.Stop();
      });
  EXPECT_EQ(cut.failure, DavFailure::kNetwork) << cut.error;
  EXPECT_LT(seen, 21);

  SourceSnapshot previous;
  previous.books.push_back({"ldap://elsewhere/dc=x", "Directory", "", {{"k", "e", "v"}}});
  const SyncOutcome gone = SyncLdap(Source(server.ldap_url()), previous, Paged());
  EXPECT_EQ(gone.failure, DavFailure::kNetwork) << gone.error;
  EXPECT_TRUE(gone.changes.empty());
  ASSERT_EQ(gone.snapshot.books.size(), 1u);
  EXPECT_EQ(gone.snapshot.books[0].url, "ldap://elsewhere/dc=x");
}

TEST_F(LdapSyncTest, TheRunnerFillsTheStoreFromTheDirectory) {
  testsupport::TempFolder cache;
  ::setenv("XDG_CACHE_HOME", cache.path().c_str(), 1);
  platform::ui::ManualClock clock;
  platform::ui::MessageLoop loop{clock};
  Application app;
  std::vector<std::string> log;
  Folder* store = app.GetNamespace("MAPI")->AddSourceStore("Directory");
  SourceDefinition d;
  d.name = "Directory";
  d.kind = "ldap";
  d.url = server.ldaps_url();
  d.tls_pin = server.fingerprint();
  d.base = SlapdServer::kBase;
  {
    SourceRunner runner(d, *store, loop, [&](std::string_view line) { log.emplace_back(line); });
    runner.Start();
    ASSERT_TRUE(testsupport::PollUntil(
        loop, [&] { return runner.SyncsDone() == 1; }, 20s));
    EXPECT_EQ(runner.State().rfind("synced ", 0), 0u) << runner.State();
    Folder* folder = store->Folders().Item("Directory");
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(folder->Items().Count(), 20);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].rfind("Source Directory: the entry cn=Nobody", 0), 0u) << log[0];
  }
  ::unsetenv("XDG_CACHE_HOME");
}

}  // namespace
}  // namespace platform::outlook::sources
