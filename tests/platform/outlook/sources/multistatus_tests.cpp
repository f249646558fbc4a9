#include <gtest/gtest.h>

#include "platform/outlook/sources/multistatus.h"

namespace platform::outlook::sources {
namespace {

// Servers pick their own prefixes, or none; only the namespaces count. A propstat that failed
// says nothing about the properties it lists.
TEST(MultistatusTest, ReadsByNamespaceWhateverThePrefixes) {
  const MultistatusParse parsed = ParseMultistatus(R"(<?xml version="1.0"?>
<x:multistatus xmlns:x="DAV:" xmlns:card="urn:ietf:params:xml:ns:carddav">
  <x:response>
    <x:href> /user/work/ </x:href>
    <x:propstat><x:prop>
      <x:resourcetype><x:collection/><card:addressbook/></x:resourcetype>
      <x:displayname>Work &amp; more</x:displayname>
    </x:prop><x:status>HTTP/1.1 200 OK</x:status></x:propstat>
    <x:propstat><x:prop><x:getetag>"never"</x:getetag></x:prop>
      <x:status>HTTP/1.1 404 Not Found</x:status></x:propstat>
  </x:response>
  <response xmlns="DAV:">
    <href>/user/work/a.vcf</href>
    <propstat><prop><getetag>"e1"</getetag>
      <address-data xmlns="urn:ietf:params:xml:ns:carddav">BEGIN:VCARD&#13;
FN:Ann
END:VCARD</address-data></prop>
      <status>HTTP/1.1 200 OK</status></propstat>
  </response>
  <x:response><x:href>/user/work/gone.vcf</x:href><x:status>HTTP/1.1 404 Not Found</x:status></x:response>
  <x:response><x:href>/</x:href><x:propstat><x:prop>
    <x:current-user-principal><x:href>/user/</x:href></x:current-user-principal>
    <card:addressbook-home-set><x:href>/home/</x:href></card:addressbook-home-set>
  </x:prop><x:status>HTTP/1.1 200 OK</x:status></x:propstat></x:response>
  <x:sync-token>http://example/sync/7</x:sync-token>
</x:multistatus>)");
  ASSERT_TRUE(parsed.ok()) << parsed.error;
  const auto& r = parsed.value.responses;
  ASSERT_EQ(r.size(), 4u);
  EXPECT_EQ(r[0].hrefs, std::vector<std::string>{"/user/work/"});
  EXPECT_TRUE(r[0].properties.collection && r[0].properties.address_book);
  EXPECT_EQ(r[0].properties.display_name, "Work & more");
  EXPECT_FALSE(r[0].properties.etag.has_value());
  EXPECT_EQ(r[1].properties.etag, "\"e1\"");
  EXPECT_EQ(r[1].properties.address_data, "BEGIN:VCARD\r\nFN:Ann\nEND:VCARD");
  EXPECT_FALSE(r[1].properties.address_book);
  EXPECT_EQ(r[2].status, 404);
  EXPECT_EQ(r[3].properties.current_user_principal, std::vector<std::string>{"/user/"});
  EXPECT_EQ(r[3].properties.address_book_home_set, std::vector<std::string>{"/home/"});
  EXPECT_EQ(parsed.value.sync_token, "http://example/sync/7");
}

TEST(MultistatusTest, RefusesWhatIsNotAPlainMultistatus) {
  EXPECT_FALSE(ParseMultistatus("").ok());
  EXPECT_FALSE(ParseMultistatus("<multistatus><response/></multistatus>").ok());  // no namespace
  EXPECT_FALSE(ParseMultistatus("<d:multistatus xmlns:d=\"DAV:\"><d:response>").ok());
  const MultistatusParse entities = ParseMultistatus(
      "<!DOCTYPE m [<!ENTITY a \"aaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]>"
      "<d:multistatus xmlns:d=\"DAV:\"><d:response><d:href>&b;</d:href></d:response>"
      "</d:multistatus>");
  EXPECT_FALSE(entities.ok());
  EXPECT_TRUE(entities.value.responses.empty());
  std::string deep = "<d:multistatus xmlns:d=\"DAV:\">";
  for (int i = 0; i < 100; ++i) deep += "<d:x>";
  EXPECT_FALSE(ParseMultistatus(deep).ok());

  EXPECT_EQ(StatusCode("HTTP/1.1 207 Multi-Status"), 207);
  EXPECT_EQ(StatusCode("HTTP/1.1 abc"), 0);
  EXPECT_EQ(StatusCode("garbage"), 0);
}

}  // namespace
}  // namespace platform::outlook::sources
