#include "platform/text_encoding.h"

#include <iconv.h>
#include <locale.h>
#include <wctype.h>

#include <gtest/gtest.h>

namespace {

std::string AllBytes() {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes.push_back(char(i));
  return bytes;
}

}  // namespace

TEST(MacRoman, EveryByteSurvivesTheTripThroughUtf8) {
  std::string bytes = AllBytes();
  std::string utf8 = plat::MacRomanToUtf8(bytes);
  EXPECT_GT(utf8.size(), bytes.size());
  std::string back;
  ASSERT_TRUE(plat::Utf8ToMacRoman(utf8, back));
  EXPECT_EQ(back, bytes);
  EXPECT_EQ(plat::MacRomanToUtf8("\x8E\xDB\xF0"), "\xC3\xA9\xE2\x82\xAC\xEF\xA3\xBF");  // e-acute, euro, Apple logo
}

TEST(MacRoman, TableAgreesWithTheCLibrary) {
  iconv_t converter = iconv_open("UTF-16LE", "MACINTOSH");
  if (converter == iconv_t(-1)) GTEST_SKIP() << "iconv has no MACINTOSH table";  // NOLINT(performance-no-int-to-ptr): iconv_open's failure value
  for (int byte = 0; byte < 256; ++byte) {
    char in = char(byte);
    char out[8] = {};
    char* inPointer = &in;
    char* outPointer = out;
    size_t inLeft = 1, outLeft = sizeof out;
    ASSERT_NE(iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft), size_t(-1)) << byte;
    UniChar expected = UniChar(u8(out[0]) | (u8(out[1]) << 8));
    // The C library keeps two older readings: Greek capital delta for the
    // increment sign, and a private character for the Apple logo.
    if (byte == 0xC6) expected = 0x2206;
    if (byte == 0xF0) expected = 0xF8FF;
    EXPECT_EQ(plat::MacRomanToUnicode(u8(byte)), expected) << "byte " << byte;
  }
  iconv_close(converter);
}

// The case forms of every Mac Roman character are Unicode's simple case
// mappings, as the C library's Unicode locale has them, kept where Mac
// Roman holds the result.
TEST(MacRoman, CaseFormsAreUnicodesSimpleMappings) {
  locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(nullptr));
  if (!unicode) GTEST_SKIP() << "the C library has no C.UTF-8 locale";
  for (int byte = 0; byte < 256; ++byte) {
    const wint_t character = plat::MacRomanToUnicode(u8(byte));
    const struct {
      const char* form;
      wint_t mapped;
      u8 got;
    } forms[] = {{"upper", towupper_l(character, unicode), plat::MacRomanToUpper(u8(byte))},
                 {"lower", towlower_l(character, unicode), plat::MacRomanToLower(u8(byte))}};
    for (const auto& form : forms) {
      u8 expected = u8(byte);
      if (!plat::UnicodeToMacRoman(u32(form.mapped), &expected)) expected = u8(byte);
      EXPECT_EQ(form.got, expected) << form.form << " of byte " << byte;
    }
  }
  freelocale(unicode);

  // The pairs of capital and small letters, in Mac Roman: A-E acute, A and
  // O diaeresis, O slash, AE, OE, A ring, N tilde, C cedilla, Y diaeresis.
  const char pairs[][2] = {{'\x83', '\x8E'}, {'\x80', '\x8A'}, {'\x85', '\x9A'}, {'\xAF', '\xBF'}, {'\xAE', '\xBE'},
                           {'\xCE', '\xCF'}, {'\x81', '\x8C'}, {'\x84', '\x96'}, {'\x82', '\x8D'}, {'\xD9', '\xD8'},
                           {'E', 'e'}};
  for (const auto& pair : pairs) {
    EXPECT_EQ(plat::MacRomanToLower(u8(pair[0])), u8(pair[1])) << int(u8(pair[0]));
    EXPECT_EQ(plat::MacRomanToUpper(u8(pair[1])), u8(pair[0])) << int(u8(pair[1]));
  }
  // Dotless i goes up to 'I'; sharp s, the ligatures fi and fl, mu and pi
  // have no other form in Mac Roman.
  EXPECT_EQ(plat::MacRomanToUpper(0xF5), u8('I'));
  EXPECT_EQ(plat::MacRomanToLower(u8('I')), u8('i'));
  for (u8 alone : {0xA7, 0xDE, 0xDF, 0xB5, 0xB9, 0xBD})
    EXPECT_EQ(plat::MacRomanToLower(plat::MacRomanToUpper(alone)), alone) << int(alone);
}

TEST(MacRoman, RefusesWhatItCannotHoldWithoutTouchingTheOutput) {
  const char* refused[] = {
      "\xD0\x96",          // Cyrillic Zhe: no Mac Roman form
      "a\xE6\x97\xA5",     // a CJK character after a letter
      "\xF0\x9F\x98\x80",  // outside the basic plane
      "\x80",              // a lone continuation byte
      "\xC0\xAF",          // an overlong '/'
      "\xED\xA0\x80",      // an encoded surrogate
      "\xE2\x82",          // cut short
      "\xF4\x90\x80\x80",  // beyond U+10FFFF
  };
  for (const char* text : refused) {
    std::string out = "unchanged";
    EXPECT_FALSE(plat::Utf8ToMacRoman(text, out)) << text;
    EXPECT_EQ(out, "unchanged");
  }
}

TEST(TextEncoding, UnicodeFormsRoundTrip) {
  const std::u16string text = u"A\u00E9\u20AC\U0001F600";
  const CFStringEncoding encodings[] = {kCFStringEncodingUTF8, kCFStringEncodingUTF16, kCFStringEncodingUTF32LE};
  for (CFStringEncoding encoding : encodings) {
    std::string bytes;
    ASSERT_TRUE(plat::EncodeText(text, encoding, bytes)) << encoding;
    std::u16string back;
    ASSERT_TRUE(plat::DecodeText(reinterpret_cast<const u8*>(bytes.data()), bytes.size(), encoding, back));
    EXPECT_EQ(back, text) << encoding;
  }
  // A byte-order mark chooses the order of UTF-16 and is not part of the text.
  const u8 bigEndian[] = {0xFE, 0xFF, 0x00, 0x41, 0x20, 0xAC};
  std::u16string decoded;
  ASSERT_TRUE(plat::DecodeText(bigEndian, sizeof bigEndian, kCFStringEncodingUTF16, decoded));
  EXPECT_EQ(decoded, u"A\u20AC");
  // Malformed lengths and unknown encodings fail.
  EXPECT_FALSE(plat::DecodeText(bigEndian, 3, kCFStringEncodingUTF16, decoded));
  EXPECT_FALSE(plat::DecodeText(bigEndian, 6, kCFStringEncodingUTF32LE, decoded));
  EXPECT_FALSE(plat::DecodeText(bigEndian, 2, 0x0600, decoded));
  std::string bytes = "kept";
  EXPECT_FALSE(plat::EncodeText(u"\u0416", kCFStringEncodingMacRoman, bytes));
  EXPECT_EQ(bytes, "kept");
}
