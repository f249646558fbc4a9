// Phone-link addresses in the shapes browsers, mail and chat programs hand over.
#include <gtest/gtest.h>

#include "ringova_outlook/dialing/dial_address.h"

namespace ringova {
namespace {

struct Case {
  const char* address;
  const char* number;
};

TEST(DialAddressTest, AddressesPeopleClickGiveTheNumber) {
  const Case cases[] = {
      {"tel:+49-30-1234567", "+49-30-1234567"},
      {"tel:0301234567;phone-context=+49", "0301234567"},
      {"TEL:+49.30.123", "+4930123"},
      {"tel:+49(30)1234567;ext=12;isub=3", "+49(30)1234567"},
      {"callto://+4930123456", "+4930123456"},
      {"callto:+4930123456/", "+4930123456"},
      {"Callto:0171%20555%2012", "0171 555 12"},
      {"sip:201@pbx.example", "201@pbx.example"},
      {"sip:bob.smith@pbx.example;transport=tcp?subject=hi", "bob.smith@pbx.example"},
      {"tel:%2B4930%2d123", "+4930-123"},
      {"  tel:123  ", "123"},
      {"tel:12%3B3", "12;3"},  // an escaped ";" is part of the number, not a parameter
  };
  for (const Case& c : cases) {
    const DialAddress got = ParseDialAddress(c.address);
    EXPECT_EQ(got.problem, AddressProblem::None) << c.address;
    EXPECT_EQ(got.number, c.number) << c.address;
  }
}

TEST(DialAddressTest, AddressesWithoutANumberSayWhy) {
  const std::pair<const char*, AddressProblem> cases[] = {
      {"", AddressProblem::Empty},
      {"   ", AddressProblem::Empty},
      {"tel:", AddressProblem::NoNumber},
      {"callto://", AddressProblem::NoNumber},
      {"tel:;phone-context=+49", AddressProblem::NoNumber},
      {"tel:-.()", AddressProblem::NoNumber},
      {"tel:%20", AddressProblem::NoNumber},
      {"sip:?x=1", AddressProblem::NoNumber},
      {"0301234567", AddressProblem::UnknownScheme},
      {"mailto:bob@example.org", AddressProblem::UnknownScheme},
      {"tele:123", AddressProblem::UnknownScheme},
      {":123", AddressProblem::UnknownScheme},
      {"tel:12%", AddressProblem::BadEscape},
      {"tel:12%4", AddressProblem::BadEscape},
      {"tel:12%G1", AddressProblem::BadEscape},
      {"tel:12%00", AddressProblem::ControlCharacter},
      {"tel:12%0A34", AddressProblem::ControlCharacter},
      {"tel:12\x7f", AddressProblem::ControlCharacter},
  };
  for (const auto& [address, problem] : cases) {
    const DialAddress got = ParseDialAddress(address);
    EXPECT_EQ(got.problem, problem) << address;
    EXPECT_EQ(got.number, "") << address;
    EXPECT_FALSE(AddressProblemText(problem).empty()) << address;
  }
  EXPECT_EQ(ParseDialAddress("tel:" + std::string(kMaxAddressLength, '1')).problem,
            AddressProblem::TooLong);
  EXPECT_EQ(ParseDialAddress("tel:" + std::string(kMaxAddressLength - 4, '1')).problem,
            AddressProblem::None);
  EXPECT_EQ(AddressProblemText(AddressProblem::None), "");
}

}  // namespace
}  // namespace ringova
