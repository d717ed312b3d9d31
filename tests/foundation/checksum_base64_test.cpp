#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "foundation/base64.h"
#include "foundation/crc32.h"

namespace {

std::string Text(const std::vector<u8>& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(Crc32, MatchesThePublishedCheckValueAndZlib) {
  u32 crc = 1;
  ASSERT_TRUE(ComputeCrc32("123456789", 9, crc));
  EXPECT_EQ(crc, 0xCBF43926u);
  ASSERT_TRUE(ComputeStringCrc32("123456789", crc));
  EXPECT_EQ(crc, 0xCBF43926u);
  ASSERT_TRUE(ComputeCrc32("", 0, crc));
  EXPECT_EQ(crc, 0u);

  std::mt19937 random(7);
  for (size_t length : {1u, 3u, 255u, 256u, 4097u}) {
    std::vector<u8> bytes(length);
    for (u8& b : bytes) b = u8(random());
    ASSERT_TRUE(ComputeCrc32(bytes.data(), bytes.size(), crc));
    EXPECT_EQ(crc, u32(crc32(0, bytes.data(), uInt(bytes.size())))) << length;
  }

  crc = 42;
  EXPECT_FALSE(ComputeCrc32(nullptr, 4, crc));
  EXPECT_FALSE(ComputeStringCrc32(nullptr, crc));
  EXPECT_EQ(crc, 42u);
}

TEST(Base64, EncodesTheStandardVectors) {
  struct Case {
    const char* plain;
    const char* encoded;
  };
  const Case cases[] = {{"", ""},         {"M", "TQ=="},     {"Ma", "TWE="},
                        {"Man", "TWFu"},  {"Many", "TWFueQ=="}, {"\xFB\xFF", "+/8="}};
  for (const Case& c : cases) {
    std::vector<u8> out = {'x'};
    ASSERT_TRUE(EncodeBase64(out, c.plain, std::strlen(c.plain)));
    EXPECT_EQ(Text(out), c.encoded);
    ASSERT_TRUE(DecodeBase64(out, c.encoded, std::strlen(c.encoded)));
    EXPECT_EQ(Text(out), c.plain);
  }
  std::vector<u8> out;
  EXPECT_FALSE(EncodeBase64(out, nullptr, 3));
  EXPECT_FALSE(DecodeBase64(out, nullptr, 3));
}

TEST(Base64, DecoderSkipsWhiteSpaceAndRefusesEverythingElse) {
  struct Case {
    const char* text;
    bool ok;
    const char* plain;
  };
  const Case cases[] = {
      {"TWFu\r\nTWFu\r\n", true, "ManMan"},
      {" T W\tE = \n", true, "Ma"},
      {"TWE", true, "Ma"},       // unpadded final group
      {"TQ", true, "M"},
      {"T", false, ""},          // six bits make no byte
      {"TWFuT", false, ""},
      {"TW!u", false, ""},
      {"TWFu.", false, ""},
      {"=TWE", false, ""},
      {"T===", false, ""},
      {"TW=E", false, ""},       // padding inside a group
      {"TW=", false, ""},        // padding that does not complete the group
      {"TQ==TQ==", false, ""},   // text after the padding
      {"TQ==\r\n", true, "M"},
  };
  for (const Case& c : cases) {
    std::vector<u8> out = {'x'};
    EXPECT_EQ(DecodeBase64(out, c.text, std::strlen(c.text)), c.ok) << c.text;
    EXPECT_EQ(Text(out), c.plain) << c.text;
  }

  // Only n characters are read, whatever follows them.
  std::vector<u8> out;
  ASSERT_TRUE(DecodeBase64(out, "TWFu!!!!", 4));
  EXPECT_EQ(Text(out), "Man");
}

TEST(Base64, RoundTripsRandomBytes) {
  std::mt19937 random(11);
  for (size_t length = 0; length < 70; ++length) {
    std::vector<u8> bytes(length), encoded, decoded;
    for (u8& b : bytes) b = u8(random());
    ASSERT_TRUE(EncodeBase64(encoded, bytes.data(), bytes.size()));
    EXPECT_EQ(encoded.size(), (length + 2) / 3 * 4);
    ASSERT_TRUE(DecodeBase64(decoded, reinterpret_cast<const char*>(encoded.data()), encoded.size()));
    EXPECT_EQ(decoded, bytes);
  }
}

}  // namespace
