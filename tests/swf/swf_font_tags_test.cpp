#include "swf/swf_font_tags.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/text_encoding.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"
#include "tests/swf/swf_test_movies.h"

using swftest::Bytes;
using swftest::ReadTag;
using swftest::WrittenBody;

namespace {

template <typename Tag>
Tag* As(const std::unique_ptr<CSwfTag>& tag) {
  Tag* typed = dynamic_cast<Tag*>(tag.get());
  EXPECT_NE(typed, nullptr);
  return typed;
}

}  // namespace

TEST(SwfFontTags, SingleByteCodesBecomeTheirMacRomanCharacters) {
  // The encoding layer's table and a few characters known by heart.
  for (int byte = 0x80; byte <= 0xFF; ++byte) EXPECT_EQ(FontCodeToUnicode(u8(byte)), plat::MacRomanToUnicode(u8(byte)));
  const std::pair<u8, u16> known[] = {{'A', 0x41},    {0x80, 0x00C4}, {0x8E, 0x00E9}, {0xA5, 0x2022},
                                      {0xDB, 0x20AC}, {0xE9, 0x00C8}, {0xF0, 0xF8FF}, {0xFF, 0x02C7}};
  for (const auto& [byte, unicode] : known) EXPECT_EQ(FontCodeToUnicode(byte), unicode) << int(byte);
  EXPECT_EQ(FontCodeToUnicode(0), 0);
}

TEST(SwfFontTags, FontInfoReadsAndWritesItsCodes) {
  struct Case {
    const char* name;
    u16 code;
    std::vector<u8> body;
    std::vector<u16> codes;
  };
  const Case cases[] = {
      {"8-bit codes", 13, Bytes({3, 0, 5, 'A', 'r', 'i', 'a', 'l', 0x08, 'A', 0xE9}), {'A', 0xE9}},
      {"wide codes", 13, Bytes({3, 0, 1, 'V', 0x01, 0x41, 0, 0x2D, 0x4E}), {'A', 0x4E2D}},
      {"an empty name", 13, Bytes({3, 0, 0, 0x00}), {}},
      {"a name with its zero byte", 13, Bytes({3, 0, 2, 'V', 0, 0x00, 'x'}), {'x'}},
      {"a language code", 62, Bytes({3, 0, 1, 'V', 0x01, 2, 0x41, 0}), {'A'}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto read = ReadTag({c.code, c.body});
    auto* info = As<CSwfDefineFontInfo>(read);
    EXPECT_EQ(info->GetFontId(), 3);
    EXPECT_EQ(info->GetCodes(), c.codes);
    EXPECT_EQ(WrittenBody(info), c.body);
  }
  auto info2 = ReadTag({62, Bytes({3, 0, 1, 'V', 0x01, 2})});
  EXPECT_EQ(As<CSwfDefineFontInfo2>(info2)->GetLanguageCode(), 2);

  // The factory's default, and one built by code.
  auto empty = ReadTag({13, {}});
  EXPECT_EQ(As<CSwfDefineFontInfo>(empty)->GetFontId(), 0);
  CSwfDefineFontInfo standard;
  EXPECT_EQ(standard.GetFontId(), 1);
  EXPECT_EQ(standard.GetName(), "Times New Roman");
  CSwfDefineFontInfo2 built(7, "Arial", "ab", kFontInfoBold);
  built.SetLanguageCode(1);
  EXPECT_EQ(WrittenBody(&built), Bytes({7, 0, 5, 'A', 'r', 'i', 'a', 'l', 0x02, 1, 'a', 'b'}));
  built.SetCodes("");
  EXPECT_EQ(built.GetCodes().size(), 2u) << "an empty string leaves the codes";
  built.SetCodes("xyz");
  EXPECT_EQ(built.GetCodes(), (std::vector<u16>{'x', 'y', 'z'}));
  built.OffsetIds(10, 0);
  EXPECT_EQ(built.GetFontId(), 17);
}

TEST(SwfFontTags, NamesFitTheirLengthByte) {
  CSwfDefineFontInfo info(12, "Arial", "", 0);
  ASSERT_TRUE(info.SetAppendIdToName(true));
  EXPECT_EQ(WrittenBody(&info), Bytes({12, 0, 7, 'A', 'r', 'i', 'a', 'l', '1', '2', 0}));

  const std::string longest(255, 'n');
  const std::string tooLong(256, 'n');
  CSwfDefineFontInfo named;
  EXPECT_FALSE(named.SetName(tooLong));
  EXPECT_EQ(named.GetName(), "Times New Roman") << "a refused name changes nothing";
  EXPECT_FALSE(named.Set(2, tooLong, "a", 0));
  EXPECT_EQ(named.GetFontId(), 1);
  ASSERT_TRUE(named.SetName(longest));
  EXPECT_EQ(WrittenBody(&named)[2], 255);
  EXPECT_FALSE(named.SetAppendIdToName(true)) << "an id would push the name past 255 bytes";
  CSwfDefineFontInfo fromLong(2, tooLong, "", 0);
  EXPECT_EQ(fromLong.GetName(), "");

  CSwfDefineFontInfo appended(65535, std::string(250, 'n'), "", 0);
  ASSERT_TRUE(appended.SetAppendIdToName(true));
  EXPECT_FALSE(appended.SetName(std::string(251, 'n')));
  EXPECT_EQ(WrittenBody(&appended)[2], 255);
}

TEST(SwfFontTags, HostileFontInfoBodiesStayWithinTheBody) {
  // A name longer than the body, wide codes with an odd byte left over.
  for (const std::vector<u8>& body : {Bytes({3, 0, 200, 'a'}), Bytes({3, 0, 0, 0x01, 1, 2, 3})}) {
    auto first = ReadTag({13, body});
    const std::vector<u8> written = WrittenBody(first.get());
    EXPECT_LE(written.size(), body.size() + 1);
    auto second = ReadTag({13, written});
    EXPECT_EQ(WrittenBody(second.get()), written);
  }
}
