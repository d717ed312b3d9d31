// Class tags and the shared value records of the authoring document.
#include <climits>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "authoring/class_tags.h"
#include "authoring/doc_records.h"
#include "foundation/data_writer.h"

namespace {

using Bytes = std::vector<u8>;

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes Written(CDataWriter& writer) { return writer.GetBuffer(true); }

TEST(ClassTags, TheFirstObjectOfAClassIntroducesItAndLaterOnesReferToIt) {
  CDataWriter writer;
  CClassTagWriter tags;
  EXPECT_EQ(tags.WriteShapeTag(writer, 0), 17u);
  EXPECT_EQ(tags.WriteShapeTag(writer, 0), 4u);
  EXPECT_EQ(Written(writer), Concat({{0xFF, 0xFF, 0x01, 0x00, 0x09, 0x00}, Text("CPicShape"), {0x01, 0x00},
                                     {0x07, 0x80, 0x01, 0x00}}));

  // Each class has its counter and its offset: 5 for frames, 7 for the rest.
  CDataWriter second;
  EXPECT_EQ(tags.WriteFrameTag(second, 2), 17u);
  EXPECT_EQ(tags.WriteFrameTag(second, 2), 4u);
  EXPECT_EQ(tags.WriteTextTag(second, 1), 16u);
  EXPECT_EQ(tags.WriteTextTag(second, 1), 4u);
  EXPECT_EQ(tags.WriteShapeTag(second, 3), 4u);
  EXPECT_EQ(Written(second), Concat({{0xFF, 0xFF, 0x01, 0x00, 0x09, 0x00}, Text("CPicFrame"), {0x01, 0x00},
                                     {0x07, 0x80, 0x01, 0x00},
                                     {0xFF, 0xFF, 0x01, 0x00, 0x08, 0x00}, Text("CPicText"), {0x01, 0x00},
                                     {0x08, 0x80, 0x01, 0x00}, {0x0A, 0x80, 0x01, 0x00}}));
  EXPECT_EQ(tags.GetCounter(EPicClass::kShape), 3u);

  // After a reset every class is introduced again; one class can be reset alone.
  tags.ResetCounter(EPicClass::kText);
  EXPECT_EQ(tags.GetCounter(EPicClass::kText), 0u);
  EXPECT_EQ(tags.GetCounter(EPicClass::kFrame), 2u);
  tags.ResetAll();
  const EPicClass all[] = {EPicClass::kButton, EPicClass::kFrame,  EPicClass::kShape,      EPicClass::kSprite,
                           EPicClass::kSymbol, EPicClass::kText, EPicClass::kVideoStream};
  for (EPicClass picClass : all) {
    CDataWriter fresh;
    const std::string name = PicClassName(picClass);
    EXPECT_EQ(tags.WriteTag(fresh, picClass, 0), 8 + name.size()) << name;
    EXPECT_EQ(Written(fresh), Concat({{0xFF, 0xFF, 0x01, 0x00, u8(name.size()), 0x00}, Text(name), {0x01, 0x00}}));
  }
}

TEST(ClassTags, ShortTagsHoldSixteenBitIndexesAndRefuseTheRest) {
  struct Case {
    u32 indexBase;
    Bytes bytes;  // empty: refused
  } cases[] = {
      {0xF8, {0xFF, 0x80, 0x01, 0x00}},     // index 0xFF
      {0xF9, {0x00, 0x81, 0x01, 0x00}},     // index 0x100: the full word, no wrap to 0
      {300, {0x33, 0x81, 0x01, 0x00}},      // index 307
      {0x7FF7, {0xFE, 0xFF, 0x01, 0x00}},   // index 0x7FFE, the last one
      {0x7FF8, {}},                         // 0x7FFF would read as a full tag
      {0xFFFFFFFF, {}},                     // no overflow of base + offset
  };
  for (const Case& c : cases) {
    CClassTagWriter tags;
    CDataWriter writer;
    ASSERT_EQ(tags.WriteSymbolTag(writer, c.indexBase), 18u);
    const u32 before = writer.GetSize();
    EXPECT_EQ(tags.WriteSymbolTag(writer, c.indexBase), u32(c.bytes.size())) << c.indexBase;
    const Bytes all = Written(writer);
    EXPECT_EQ(Bytes(all.begin() + before, all.end()), c.bytes) << c.indexBase;
    // A refused tag is not counted.
    EXPECT_EQ(tags.GetCounter(EPicClass::kSymbol), c.bytes.empty() ? 1u : 2u);
  }
  CDataWriter direct;
  EXPECT_EQ(WriteShortClassTag(direct, 3), 4u);
  EXPECT_EQ(WriteShortClassTag(direct, 0x7FFF), 0u);
  EXPECT_EQ(Written(direct), (Bytes{0x03, 0x80, 0x01, 0x00}));
}

TEST(ClassTags, TagWordsAreLittleEndianWhateverTheWritersOrder) {
  CDataWriter flagged;
  flagged.byteOrder = 1;
  CBigEndianWriter bigEndian;
  for (CDataWriter* writer : {static_cast<CDataWriter*>(&flagged), static_cast<CDataWriter*>(&bigEndian)}) {
    CClassTagWriter tags;
    ASSERT_EQ(tags.WriteSpriteTag(*writer, 1), 18u);
    ASSERT_EQ(tags.WriteSpriteTag(*writer, 1), 4u);
    EXPECT_EQ(Written(*writer), Concat({{0xFF, 0xFF, 0x01, 0x00, 0x0A, 0x00}, Text("CPicSprite"), {0x01, 0x00},
                                        {0x08, 0x80, 0x01, 0x00}}));
  }
}

TEST(ClassTags, PagesAreAlwaysIntroducedAndColourDefinitionsOnlyNamed) {
  CDataWriter writer;
  CClassTagWriter tags;
  const Bytes page = Concat({{0x01, 0xFF, 0xFF, 0x01, 0x00, 0x08, 0x00}, Text("CPicPage"), {0x01, 0x00}});
  EXPECT_EQ(tags.WritePageTag(writer), 17u);
  EXPECT_EQ(tags.WritePageTag(writer), 17u);
  EXPECT_EQ(tags.WriteColorDefTag(writer), 11u);
  EXPECT_EQ(Written(writer), Concat({page, page, {0x09, 0x00}, Text("CColorDef")}));

  // A name longer than a 16-bit length can say is cut to 65535 bytes.
  CDataWriter longName;
  const std::string name(70000, 'n');
  EXPECT_EQ(WriteFullClassTag(longName, name.c_str()), 8u + 65535u);
  const Bytes bytes = Written(longName);
  EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 6), (Bytes{0xFF, 0xFF, 0x01, 0x00, 0xFF, 0xFF}));
  EXPECT_EQ(Bytes(bytes.end() - 3, bytes.end()), (Bytes{'n', 0x01, 0x00}));
}

TEST(DocRecords, MatrixWordsInTheirStoredOrder) {
  CDataWriter identity;
  EXPECT_EQ(CDocMatrix().Write(identity), 24u);
  EXPECT_EQ(Written(identity), (Bytes{0x00, 0x00, 0x01, 0x00, 0, 0, 0, 0, 0, 0, 0, 0,
                                      0x00, 0x00, 0x01, 0x00, 0, 0, 0, 0, 0, 0, 0, 0}));

  CDocMatrix matrix;
  matrix.scaleX = 0x11;
  matrix.scaleY = 0x44;
  matrix.rotateSkew0 = 0x22;
  matrix.rotateSkew1 = 0x33;
  matrix.translateX = -20;
  matrix.translateY = 0x01020304;
  CDataWriter little;
  matrix.Write(little);
  EXPECT_EQ(Written(little), (Bytes{0x11, 0, 0, 0, 0x22, 0, 0, 0, 0x33, 0, 0, 0, 0x44, 0, 0, 0,
                                    0xEC, 0xFF, 0xFF, 0xFF, 0x04, 0x03, 0x02, 0x01}));
  // The writer's byte order holds for the records.
  CDataWriter big;
  big.byteOrder = 1;
  matrix.Write(big);
  EXPECT_EQ(Written(big), (Bytes{0, 0, 0, 0x11, 0, 0, 0, 0x22, 0, 0, 0, 0x33, 0, 0, 0, 0x44,
                                 0xFF, 0xFF, 0xFF, 0xEC, 0x01, 0x02, 0x03, 0x04}));
}

TEST(DocRecords, ColourTransformsAlphaFirst) {
  CDataWriter identity;
  EXPECT_EQ(CDocColorTransform().Write(identity), 16u);
  EXPECT_EQ(Written(identity), (Bytes{0x00, 0x01, 0, 0, 0x00, 0x01, 0, 0, 0x00, 0x01, 0, 0, 0x00, 0x01, 0, 0}));

  CDocColorTransform transform;
  transform.alphaMultiplier = 0x0102;
  transform.alphaAdd = -1;
  transform.redMultiplier = 0x0304;
  transform.redAdd = 5;
  transform.greenMultiplier = 6;
  transform.greenAdd = 7;
  transform.blueMultiplier = 8;
  transform.blueAdd = -256;
  CDataWriter writer;
  transform.Write(writer);
  EXPECT_EQ(Written(writer), (Bytes{0x02, 0x01, 0xFF, 0xFF, 0x04, 0x03, 0x05, 0x00, 0x06, 0x00, 0x07, 0x00,
                                    0x08, 0x00, 0x00, 0xFF}));
}

TEST(DocRecords, ColourTransformSetUpsClampTheirFractions) {
  struct Case {
    double value;
    u16 multiplier;
  } cases[] = {{0.5, 128}, {1.0, 256}, {0.0, 0}, {0.25, 64}, {0.999, 256}, {-0.5, 0}, {3.0, 256},
               {NAN, 0},   {INFINITY, 256}, {-double(INFINITY), 0}};
  for (const Case& c : cases) {
    CDocColorTransform alpha;
    alpha.redMultiplier = 3;
    alpha.SetAlpha(c.value);
    EXPECT_EQ(alpha.alphaMultiplier, c.multiplier) << c.value;
    EXPECT_EQ(alpha.redMultiplier, 256) << c.value;

    CDocColorTransform brightness;
    brightness.alphaMultiplier = 3;
    brightness.blueAdd = 9;
    brightness.SetBrightness(c.value);
    EXPECT_EQ(brightness.redMultiplier, c.multiplier) << c.value;
    EXPECT_EQ(brightness.greenMultiplier, c.multiplier) << c.value;
    EXPECT_EQ(brightness.blueMultiplier, c.multiplier) << c.value;
    EXPECT_EQ(brightness.alphaMultiplier, 256) << c.value;
    EXPECT_EQ(brightness.blueAdd, 0) << c.value;
  }

  // A tint of 0x00BBGGRR: red 0, green 0x80, blue 0xFF.
  CDocColorTransform tint;
  tint.alphaAdd = 5;
  tint.SetTint(0x00FF8000);
  EXPECT_EQ(tint.redMultiplier, 0);
  EXPECT_EQ(tint.greenMultiplier, 0);
  EXPECT_EQ(tint.blueMultiplier, 0);
  EXPECT_EQ(tint.alphaMultiplier, 256);
  EXPECT_EQ(tint.alphaAdd, 0);
  EXPECT_EQ(tint.redAdd, 0);
  EXPECT_EQ(tint.greenAdd, 129);  // 128 / 255 x 256 = 128.5..., plus a half
  EXPECT_EQ(tint.blueAdd, 256);
}

TEST(DocRecords, GradientsHoldAtMost255Stops) {
  EXPECT_EQ(PackRgba(0x11, 0x22, 0x33, 0x44), 0x44332211u);
  const CDocGradientStop fromColor(0x40, 0x00CCBBAA);
  EXPECT_EQ(fromColor.rgba, PackRgba(0xAA, 0xBB, 0xCC, 0xFF));
  const CDocGradientStop fromBytes(0xFF, 1, 2, 3, 4);
  CDataWriter stop;
  EXPECT_EQ(fromBytes.Write(stop), 5u);
  EXPECT_EQ(Written(stop), (Bytes{0xFF, 1, 2, 3, 4}));

  CDocGradient gradient;
  ASSERT_TRUE(gradient.AddStop(fromColor));
  ASSERT_TRUE(gradient.AddStop(fromBytes));
  CDataWriter two;
  EXPECT_EQ(gradient.Write(two), 11u);
  EXPECT_EQ(Written(two), (Bytes{0x02, 0x40, 0xAA, 0xBB, 0xCC, 0xFF, 0xFF, 1, 2, 3, 4}));

  // The count is one byte: the 256th stop is refused, never wrapped to 0.
  CDocGradient full;
  for (int i = 0; i < 255; ++i) ASSERT_TRUE(full.AddStop(CDocGradientStop(u8(i), 0x000000FFu)));
  EXPECT_FALSE(full.AddStop(CDocGradientStop(0, 0u)));
  EXPECT_EQ(full.GetStops().size(), 255u);
  CDataWriter many;
  EXPECT_EQ(full.Write(many), 1u + 255u * 5u);
  EXPECT_EQ(Written(many)[0], 0xFF);

  CDataWriter none;
  EXPECT_EQ(CDocGradient().Write(none), 1u);
  EXPECT_EQ(Written(none), (Bytes{0x00}));
}

TEST(DocRecords, PascalStringsAreRefusedPast255Bytes) {
  Str255 pascal;
  ASSERT_TRUE(CStringToPascal("abc", pascal));
  EXPECT_EQ(pascal[0], 3);
  EXPECT_EQ(PascalToCString(pascal), "abc");
  ASSERT_TRUE(CStringToPascal(nullptr, pascal));
  EXPECT_EQ(pascal[0], 0);
  const std::string longest(255, 'x');
  ASSERT_TRUE(CStringToPascal(longest.c_str(), pascal));
  EXPECT_EQ(PascalToCString(pascal), longest);
  EXPECT_FALSE(CStringToPascal(std::string(256, 'y').c_str(), pascal));
  EXPECT_EQ(pascal[0], 0);
  EXPECT_EQ(PascalToCString(nullptr), "");

  NumberToPascal(-42, pascal);
  EXPECT_EQ(PascalToCString(pascal), "-42");
  NumberToPascal(INT_MIN, pascal);
  EXPECT_EQ(PascalToCString(pascal), "-2147483648");
}

TEST(DocRecords, InstanceRecordsFrameTheMatrixAndTheColourTransform) {
  CDocInstance instance;
  instance.matrix.translateX = 0x20;
  instance.colorTransform.SetAlpha(0.5);
  instance.instanceKind = 0x0302;
  CDataWriter plain;
  const Bytes expected = Concat({
      {0x00, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0x80, 0x08},
      {0x00, 0x00, 0x01, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x00, 0x01, 0x00, 0x20, 0, 0, 0, 0, 0, 0, 0},
      {0x00, 0x00, 0x00, 0x00, 0x01},
      {0x80, 0x00, 0, 0, 0x00, 0x01, 0, 0, 0x00, 0x01, 0, 0, 0x00, 0x01, 0, 0},
      {0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00},
      {0x02, 0x03},
      {0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 0x00},
  });
  EXPECT_EQ(WriteInstanceRecord(plain, instance), expected.size() + 5);
  EXPECT_EQ(Written(plain), Concat({expected, {0x02, 0x00, 0x00, 0x00}, {0x00}}));

  // Whenever no action bytes follow, the bytes of an element without
  // actions stand in their place: an action writer that writes nothing (an
  // empty list) is no different from none, whatever it returns. The record
  // goes after bytes already in the writer, as in a frame.
  struct Case {
    const char* name;
    std::function<u32(CDataWriter&)> writeActions;
    Bytes actions;
  } cases[] = {
      {"no action writer", nullptr, {0x02, 0x00, 0x00, 0x00}},
      {"an empty list", [](CDataWriter&) { return 0u; }, {0x02, 0x00, 0x00, 0x00}},
      {"an empty list that counts bytes", [](CDataWriter&) { return 4u; }, {0x02, 0x00, 0x00, 0x00}},
      {"two action bytes",
       [](CDataWriter& writer) {
         writer.WriteUInt8(0xAC);
         writer.WriteUInt8(0x7E);
         return 2u;
       },
       {0xAC, 0x7E}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    instance.writeActions = c.writeActions;
    CDataWriter writer;
    writer.WriteUInt8(0x5A);
    EXPECT_EQ(WriteInstanceRecord(writer, instance), expected.size() + c.actions.size() + 1);
    EXPECT_EQ(Written(writer), Concat({{0x5A}, expected, c.actions, {0x00}}));
  }
}

}  // namespace
