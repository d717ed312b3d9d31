// Maker stamps: private tags that record in a movie which of the maker's
// products made it. Each carries the maker's name, the maker's web address
// and the product's name, and four numbers. The stamps are for writers of
// movies; the tag factory does not make them, so a stamp read from a file
// is kept as a raw tag.
#pragma once

#include <string>

#include "swf/swf_record.h"

enum : u16 {
  kSwfMakerStampCode = 919,
  kSwfStampSlidewellCode = 920,
  kSwfStampLetterforgeCode = 921,
  kSwfStampBoltframeCode = 922,
  kSwfStampVistagraphCode = 923,
  kSwfStampSlidewellProCode = 924,
  kSwfStampGlimmerboxCode = 925,
  kSwfStampTonecastCode = 926,
  kSwfStampPictocastCode = 927,
  kSwfStampReelcastCode = 928,
  kSwfStampPeelframeCode = 929,
};

// What every stamp writes before the product's name.
extern const char* const kSwfMakerName;
extern const char* const kSwfMakerWebAddress;

class CSwfMakerStamp : public CSwfTag {
 public:
  // The longest string a stamp can store (its length is one byte).
  static constexpr size_t kMaxStringLength = 255;

  CSwfMakerStamp(u16 first, u16 second) : CSwfMakerStamp(first, second, "Orrinvale") {}

  // Three length-prefixed strings, of which the third is kept as the
  // product's name, then word1, firstValue, word2 and secondValue.
  u32 Read(CSwfReader& reader) override;
  // The maker's name, web address and the product's name, each as a length
  // byte and its bytes, then the four numbers. Nothing is written (and the
  // result is 0) when the product's name is longer than 255 bytes.
  u32 Write(CSwfBitWriter& writer) override;
  u16 GetCode() const override { return kSwfMakerStampCode; }

  const std::string& GetProductName() const { return m_productName; }
  void SetProductName(const std::string& name) { m_productName = name; }

  u16 firstValue;
  u16 secondValue;
  u32 word1 = 52;
  u32 word2 = 77;

 protected:
  CSwfMakerStamp(u16 first, u16 second, const char* productName)
      : firstValue(first), secondValue(second), m_productName(productName) {}

 private:
  std::string m_productName;
};

// One class a product, differing in code and name.

class CSwfStampSlidewell : public CSwfMakerStamp {
 public:
  CSwfStampSlidewell(u16 first, u16 second) : CSwfMakerStamp(first, second, "Slidewell") {}
  u16 GetCode() const override { return kSwfStampSlidewellCode; }
};

class CSwfStampLetterforge : public CSwfMakerStamp {
 public:
  CSwfStampLetterforge(u16 first, u16 second) : CSwfMakerStamp(first, second, "Letterforge") {}
  u16 GetCode() const override { return kSwfStampLetterforgeCode; }
};

class CSwfStampBoltframe : public CSwfMakerStamp {
 public:
  CSwfStampBoltframe(u16 first, u16 second) : CSwfMakerStamp(first, second, "Boltframe") {}
  u16 GetCode() const override { return kSwfStampBoltframeCode; }
};

class CSwfStampVistagraph : public CSwfMakerStamp {
 public:
  CSwfStampVistagraph(u16 first, u16 second) : CSwfMakerStamp(first, second, "Vistagraph") {}
  u16 GetCode() const override { return kSwfStampVistagraphCode; }
};

class CSwfStampSlidewellPro : public CSwfMakerStamp {
 public:
  CSwfStampSlidewellPro(u16 first, u16 second) : CSwfMakerStamp(first, second, "Slidewell Pro") {}
  u16 GetCode() const override { return kSwfStampSlidewellProCode; }
};

class CSwfStampGlimmerbox : public CSwfMakerStamp {
 public:
  CSwfStampGlimmerbox(u16 first, u16 second) : CSwfMakerStamp(first, second, "Glimmerbox") {}
  u16 GetCode() const override { return kSwfStampGlimmerboxCode; }
};

class CSwfStampTonecast : public CSwfMakerStamp {
 public:
  CSwfStampTonecast(u16 first, u16 second) : CSwfMakerStamp(first, second, "Tonecast") {}
  u16 GetCode() const override { return kSwfStampTonecastCode; }
};

class CSwfStampPictocast : public CSwfMakerStamp {
 public:
  CSwfStampPictocast(u16 first, u16 second) : CSwfMakerStamp(first, second, "Pictocast") {}
  u16 GetCode() const override { return kSwfStampPictocastCode; }
};

class CSwfStampReelcast : public CSwfMakerStamp {
 public:
  CSwfStampReelcast(u16 first, u16 second) : CSwfMakerStamp(first, second, "Reelcast") {}
  u16 GetCode() const override { return kSwfStampReelcastCode; }
};

class CSwfStampPeelframe : public CSwfMakerStamp {
 public:
  CSwfStampPeelframe(u16 first, u16 second) : CSwfMakerStamp(first, second, "Peelframe") {}
  u16 GetCode() const override { return kSwfStampPeelframeCode; }
};
