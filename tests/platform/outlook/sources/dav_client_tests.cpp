// The client and the sync against a Digest-only server without sync-collection: the ETags
// tell what changed; redirects that never end and answers beyond the limit fail with a reason.
#include <gtest/gtest.h>

#include "platform/outlook/sources/carddav_sync.h"
#include "platform/outlook/sources/dav_client.h"
#include "tests/platform/outlook/sources/digest_server.h"

namespace platform::outlook::sources {
namespace {

std::string Card(const std::string& name) {
  return "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + name + "\r\nTEL:1\r\nEND:VCARD\r\n";
}

std::size_t Cards(const SyncOutcome& outcome) {
  std::size_t n = 0;
  for (const BookState& book : outcome.snapshot.books) n += book.cards.size();
  return n;
}

TEST(DavClientTest, DigestAndETagsWhereTheServerHasNoSyncCollection) {
  testsupport::DigestDavServer server("ann", "secret");
  ASSERT_NE(server.port(), 0);
  server.SetCard("a.vcf", "\"1\"", Card("Ann"));
  server.SetCard("b.vcf", "\"1\"", Card("Bob"));
  DavClient client({"ann", "secret", ""});
  SyncOutcome first = SyncCardDav(client, server.url("/book/"), {});
  ASSERT_TRUE(first.ok()) << first.error;
  ASSERT_EQ(first.snapshot.books.size(), 1u);
  EXPECT_EQ(first.snapshot.books[0].name, "Digest Book");
  EXPECT_TRUE(first.snapshot.books[0].sync_token.empty());
  EXPECT_EQ(Cards(first), 2u);

  server.SetCard("b.vcf", "\"2\"", Card("Bobby"));
  server.RemoveCard("a.vcf");
  server.SetCard("c.vcf", "\"1\"", Card("Cid"));
  SyncOutcome second = SyncCardDav(client, server.url("/book/"), first.snapshot);
  ASSERT_TRUE(second.ok()) << second.error;
  ASSERT_EQ(second.changes.size(), 1u);
  EXPECT_EQ(second.changes[0].removed, std::vector<std::string>{"/book/a.vcf"});
  ASSERT_EQ(second.changes[0].upserts.size(), 2u);
  EXPECT_NE(second.changes[0].upserts[0].vcard.find("FN:Bobby\n"), std::string::npos);
  EXPECT_EQ(Cards(second), 2u);

  const int refused = server.Refused();
  DavClient wrong({"ann", "nope", ""});
  SyncOutcome denied = SyncCardDav(wrong, server.url("/book/"), second.snapshot);
  EXPECT_EQ(denied.failure, DavFailure::kAuthentication);
  EXPECT_LE(server.Refused() - refused, 2);  // asked once, answered once: no loop
  EXPECT_EQ(Cards(denied), 2u);
}

TEST(DavClientTest, EndlessRedirectsAndOversizedAnswersFailWithTheirReason) {
  testsupport::DigestDavServer server("ann", "secret");
  DavLimits limits;
  limits.max_answer_bytes = 16 * 1024;
  DavClient client({"", "", ""}, limits);
  DavAnswer loop = client.Send({"PROPFIND", server.url("/loop"), "", 0});
  EXPECT_EQ(loop.failure, DavFailure::kRedirect);
  EXPECT_EQ(loop.error, "more than 5 redirects");
  DavAnswer big = client.Send({"PROPFIND", server.url("/big"), "", 0});
  EXPECT_EQ(big.failure, DavFailure::kTooLarge);
  DavAnswer ftp = client.Send({"GET", "ftp://127.0.0.1/x", "", -1});
  EXPECT_EQ(ftp.failure, DavFailure::kNetwork);

  DavClient pinned({"", "", "not a fingerprint"});
  EXPECT_EQ(pinned.Send({"GET", "https://127.0.0.1:1/", "", -1}).error,
            "the TLS pin is not a SHA-256 fingerprint");
}

}  // namespace
}  // namespace platform::outlook::sources
