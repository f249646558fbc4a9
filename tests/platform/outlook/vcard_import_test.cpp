#include "platform/outlook/vcard_import.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/outlook/application.h"

namespace platform::outlook {
namespace {

VCardContact One(std::string_view text) {
  VCardParse parsed = ParseVCards(text, "card.vcf");
  EXPECT_TRUE(parsed.ok()) << parsed.error;
  EXPECT_EQ(parsed.contacts.size(), 1u);
  return parsed.contacts.empty() ? VCardContact() : parsed.contacts.front();
}

TEST(VCardImport, Version3WithFoldedLinesTypeListsAndGroups) {
  const VCardContact c =
      One("\xEF\xBB\xBF"
          "BEGIN:VCARD\r\n"
          "VERSION:3.0\r\n"
          "FN:Maximilian Muster\r\n"
          " mann\r\n"
          "N:Mustermann;Maximilian;;;\r\n"
          "ORG:Muster\\, Sohn & Co.;Sales\r\n"
          "TITLE:Head of Sales\r\n"
          "TEL;TYPE=WORK,VOICE:+49 30 1234567\r\n"
          "TEL;type=work;type=voice;type=pref:+49 30 7654321\r\n"
          "TEL;TYPE=work:+49 30 999\r\n"
          "TEL;TYPE=CELL:+49 170 1111111\r\n"
          "TEL;TYPE=HOME:030 222\r\n"
          "TEL;TYPE=home,voice:030 333\r\n"
          "TEL;TYPE=CAR:0171 444\r\n"
          "TEL;TYPE=MAIN:030 1000\r\n"
          "TEL:030 555\r\n"
          "TEL;TYPE=FAX,WORK:030 666\r\n"
          "item1.TEL;type=IPHONE;type=pref:0172 777\r\n"
          "item1.X-ABLabel:iPhone\r\n"
          "EMAIL;TYPE=INTERNET:max.private@example.com\r\n"
          "EMAIL;TYPE=INTERNET,PREF:max@example.com\r\n"
          "NOTE:first line\\nsecond\r\n"
          "\t line\r\n"
          "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQEASABIAAD\r\n"
          " /2wBDAAMCAgMCAgMDAwMEAwMEBQgFBQQEBQoHBwY\r\n"
          "END:VCARD\r\n");
  EXPECT_EQ(c.Get("FullName"), "Maximilian Mustermann");
  EXPECT_EQ(c.Get("LastName"), "Mustermann");
  EXPECT_EQ(c.Get("FirstName"), "Maximilian");
  EXPECT_EQ(c.Get("CompanyName"), "Muster, Sohn & Co.");
  EXPECT_EQ(c.Get("Department"), "Sales");
  EXPECT_EQ(c.Get("JobTitle"), "Head of Sales");
  EXPECT_EQ(c.Get("BusinessTelephoneNumber"), "+49 30 1234567");
  EXPECT_EQ(c.Get("Business2TelephoneNumber"), "+49 30 7654321");
  EXPECT_EQ(c.Get("HomeTelephoneNumber"), "030 222");
  EXPECT_EQ(c.Get("Home2TelephoneNumber"), "030 333");
  EXPECT_EQ(c.Get("MobileTelephoneNumber"), "+49 170 1111111");
  EXPECT_EQ(c.Get("CarTelephoneNumber"), "0171 444");
  EXPECT_EQ(c.Get("CompanyMainTelephoneNumber"), "030 1000");
  // The third work number found Other free; the untyped one and the second mobile then had no
  // place.
  EXPECT_EQ(c.Get("OtherTelephoneNumber"), "+49 30 999");
  EXPECT_EQ(c.Get("BusinessFaxNumber"), "030 666");
  EXPECT_EQ(c.Get("Email1Address"), "max@example.com");  // the preferred one first
  EXPECT_EQ(c.Get("Email2Address"), "max.private@example.com");
  EXPECT_EQ(c.Get("Body"), "first line\nsecond line");

  VCardParse parsed = ParseVCards(
      "BEGIN:VCARD\nVERSION:3.0\nFN:A\nTEL;TYPE=work:1\nTEL;TYPE=work:2\nTEL;TYPE=work:3\n"
      "TEL:4\nEND:VCARD\n",
      "many.vcf");
  ASSERT_EQ(parsed.warnings.size(), 1u);
  EXPECT_EQ(parsed.warnings[0],
            "many.vcf:7: telephone number 4 not kept (no free telephone property)");
}

TEST(VCardImport, Version4QuotedTypesAndTelUris) {
  VCardParse parsed = ParseVCards(
      "BEGIN:VCARD\n"
      "VERSION:4.0\n"
      "FN:Jürgen Groß\n"
      "TEL;VALUE=uri;TYPE=\"voice,cell\";PREF=1:tel:+49-170-1234567\n"
      "TEL;TYPE=work;VALUE=uri:tel:+1-555-555-5555;ext=55\n"
      "TEL;TYPE=home:+49 89 12\n"
      "EMAIL;TYPE=work:j.gross@example.com\n"
      "END:VCARD\n",
      "v4.vcf");
  ASSERT_TRUE(parsed.ok()) << parsed.error;
  const VCardContact& c = parsed.contacts.at(0);
  EXPECT_EQ(c.line, 1);
  EXPECT_EQ(c.Get("FullName"), "Jürgen Groß");
  EXPECT_EQ(c.Get("MobileTelephoneNumber"), "+49-170-1234567");
  EXPECT_EQ(c.Get("BusinessTelephoneNumber"), "+1-555-555-5555");
  EXPECT_EQ(c.Get("HomeTelephoneNumber"), "+49 89 12");
  EXPECT_EQ(c.Get("Email1Address"), "j.gross@example.com");
  ASSERT_EQ(parsed.warnings.size(), 1u);
  EXPECT_EQ(parsed.warnings[0].rfind("v4.vcf:5: extension", 0), 0u) << parsed.warnings[0];
}

TEST(VCardImport, QuotedPrintableNamesInEitherParameterStyle) {
  // As phones export them: 2.1 parameters, UTF-8 and Latin-1, soft line breaks.
  VCardParse parsed = ParseVCards(
      "BEGIN:VCARD\r\n"
      "VERSION:2.1\r\n"
      "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=C3=BCller;J=C3=BCrgen;;;\r\n"
      "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:J=C3=BCrgen M=C3=BC=\r\n"
      "ller\r\n"
      "TEL;CELL;PREF:+491701234567\r\n"
      "TEL;WORK;VOICE:030 1\r\n"
      "END:VCARD\r\n"
      "BEGIN:VCARD\r\n"
      "VERSION:3.0\r\n"
      "FN;QUOTED-PRINTABLE;CHARSET=ISO-8859-1:Fran=E7ois L=E9ger\r\n"
      "TEL;TYPE=HOME:01 23\r\n"
      "END:VCARD\r\n"
      "BEGIN:VCARD\r\n"
      "VERSION:3.0\r\n"
      "FN;CHARSET=Windows-1252;ENCODING=QUOTED-PRINTABLE:=80 Caf=E9 =84S=9Aa=93\r\n"
      "END:VCARD\r\n",
      "phone.vcf");
  ASSERT_TRUE(parsed.ok()) << parsed.error;
  ASSERT_EQ(parsed.contacts.size(), 3u);
  EXPECT_EQ(parsed.contacts[0].Get("FullName"), "Jürgen Müller");
  EXPECT_EQ(parsed.contacts[0].Get("LastName"), "Müller");
  EXPECT_EQ(parsed.contacts[0].Get("MobileTelephoneNumber"), "+491701234567");
  EXPECT_EQ(parsed.contacts[0].Get("BusinessTelephoneNumber"), "030 1");
  EXPECT_EQ(parsed.contacts[1].line, 9);
  EXPECT_EQ(parsed.contacts[1].Get("FullName"), "François Léger");
  EXPECT_EQ(parsed.contacts[2].Get("FullName"), "€ Café „Sša“");
}

TEST(VCardImport, CardWithoutFnTakesItsNameFromNThenOrgThenEmail) {
  EXPECT_EQ(One("BEGIN:VCARD\nVERSION:3.0\nN:Schmidt;Anna;Maria;Dr.;\nTEL:1\nEND:VCARD\n")
                .Get("FullName"),
            "Dr. Anna Maria Schmidt");
  EXPECT_EQ(One("BEGIN:VCARD\nVERSION:4.0\nFN:\nN:;;;;\nORG:ACME Ltd\nEND:VCARD\n").Get("FullName"),
            "ACME Ltd");
  EXPECT_EQ(One("BEGIN:VCARD\nVERSION:3.0\nEMAIL:x@example.com\nEND:VCARD\n").Get("FullName"),
            "x@example.com");
  VCardParse nameless = ParseVCards("\n\nBEGIN:VCARD\nVERSION:3.0\nTEL:1\nEND:VCARD\n", "n.vcf");
  ASSERT_TRUE(nameless.ok());
  EXPECT_EQ(nameless.contacts.at(0).Get("FullName"), "");
  EXPECT_EQ(nameless.warnings, (std::vector<std::string>{"n.vcf:3: card has no name"}));
}

TEST(VCardImport, MalformedFilesNameFileAndLine) {
  struct Case {
    const char* text;
    const char* error;
  };
  for (const Case& c : {
           Case{"BEGIN:VCARD\nVERSION:3.0\nFN:A\n",
                "bad.vcf:1: the card begun here has no END:VCARD"},
           Case{"FN:A\n", "bad.vcf:1: \"FN\" outside BEGIN:VCARD ... END:VCARD"},
           Case{"BEGIN:VCARD\nFN:A\nEND:VCARD\nEND:VCARD\n",
                "bad.vcf:4: END:VCARD without BEGIN:VCARD"},
           Case{"BEGIN:VCARD\nFN:A\nthis is no property\nEND:VCARD\n",
                "bad.vcf:3: property line without ':'"},
           Case{"BEGIN:VCARD\nVERSION:5.0\nEND:VCARD\n",
                "bad.vcf:2: unsupported vCard version \"5.0\""},
           Case{"BEGIN:VCARD\nFN;ENCODING=QUOTED-PRINTABLE:M=ZZller\nEND:VCARD\n",
                "bad.vcf:2: invalid quoted-printable text in FN"},
           Case{"BEGIN:VCARD\nFN;CHARSET=KOI8-R:x\nEND:VCARD\n",
                "bad.vcf:2: unsupported CHARSET KOI8-R in FN"},
           Case{"BEGIN:VCARD\nBEGIN:VCARD\n",
                "bad.vcf:2: BEGIN:VCARD inside the card begun at line 1"},
           Case{"BEGIN:VCARD\nFN:A\n folded\n:no name\nEND:VCARD\n",
                "bad.vcf:4: property line without a name"},
       }) {
    VCardParse parsed = ParseVCards(c.text, "bad.vcf");
    EXPECT_EQ(parsed.error, c.error) << c.text;
    EXPECT_TRUE(parsed.contacts.empty());
  }
}

TEST(VCardImport, FileBecomesSavedContactsOrNothing) {
  Application app;
  Folder* contacts =
      app.GetNamespace("MAPI")->AddStore("S")->Folders().Add("Contacts", olContactItem);
  int added = 0;
  Connection c =
      contacts->Items().OnItemAdd().Connect([&](const std::shared_ptr<Item>&) { ++added; });

  const auto dir = std::filesystem::temp_directory_path() / ("vcard_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  {
    std::ofstream(dir / "good.vcf")
        << "BEGIN:VCARD\nVERSION:3.0\nFN:A\nTEL;TYPE=work:1\nEND:VCARD\n"
           "BEGIN:VCARD\nVERSION:3.0\nFN:B\nEND:VCARD\n";
    std::ofstream(dir / "bad.vcf") << "BEGIN:VCARD\nVERSION:3.0\nFN:C\nEND:VCARD\nFN:D\n";
  }
  VCardImportResult good = ImportVCardFile(dir / "good.vcf", *contacts);
  EXPECT_TRUE(good.ok()) << good.error;
  EXPECT_EQ(good.imported, 2);
  EXPECT_EQ(added, 2);
  auto first = AsContact(contacts->Items().Item(1));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->FullName(), "A");
  EXPECT_EQ(first->GetProperty("BusinessTelephoneNumber"), "1");
  EXPECT_FALSE(first->EntryId().empty());

  VCardImportResult bad = ImportVCardFile(dir / "bad.vcf", *contacts);
  EXPECT_EQ(bad.error, (dir / "bad.vcf").string() + ":5: \"FN\" outside BEGIN:VCARD ... END:VCARD");
  EXPECT_EQ(contacts->Items().Count(), 2);  // the good card before the fault is not added either
  EXPECT_FALSE(ImportVCardFile(dir / "missing.vcf", *contacts).ok());
  EXPECT_EQ(ImportVCardFile(dir, *contacts).error, dir.string() + ": cannot be read");
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace platform::outlook
