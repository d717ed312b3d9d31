// Gradient records of gradient fills, and the colour helpers that every
// style record shares.
//
// A colour is written in the form its owner selects: RGBA inside shapes
// with alpha colours (DefineShape3), RGB otherwise. A plain RGB record
// written where RGBA is due gets alpha 255, and an RGBA record written where
// RGB is due loses its alpha byte, so the bytes written always match what a
// reader of that shape expects.
#pragma once

#include <memory>
#include <vector>

#include "swf/swf_records.h"

// A new colour record: CSwfRgba (0, 0, 0, 255) with alpha, else CSwfRgb (0, 0, 0).
std::unique_ptr<CSwfRgb> NewSwfColor(bool alpha);
// A copy of `color` of the kind `alpha` selects (a missing colour gives the
// default of NewSwfColor; a copied RGB record gains alpha 255).
std::unique_ptr<CSwfRgb> CopySwfColor(const CSwfRgb* color, bool alpha);
// Three or four bytes of `color` (black, opaque, when it is null).
void WriteSwfColor(CSwfBitWriter& writer, const CSwfRgb* color, bool alpha);

class CSwfGradRecord : public CSwfRecord {
 public:
  CSwfGradRecord() = default;
  // Takes ownership of the colour.
  CSwfGradRecord(u8 ratio, CSwfRgb* color, u8 withAlpha);
  // A 0x00BBGGRR colour; with withAlpha an RGBA record of alpha 255.
  CSwfGradRecord(u8 ratio, u32 color, u8 withAlpha);
  CSwfGradRecord(const CSwfGradRecord& other);
  CSwfGradRecord& operator=(const CSwfGradRecord& other);

  // The ratio byte, then a colour of the kind withAlpha selects.
  u32 Read(CSwfReader& reader) override;
  // The ratio byte and the colour in the form withAlpha selects; a record
  // without a colour first takes the default one.
  u32 Write(CSwfBitWriter& writer) override;

  std::unique_ptr<CSwfRgb> color;
  u8 ratio = 0;
  u8 withAlpha = 0;
};

class CSwfGradient : public CSwfRecord {
 public:
  // The count is one byte.
  static constexpr size_t kMaxRecords = 255;

  CSwfGradient() = default;
  explicit CSwfGradient(u8 alpha) : withAlpha(alpha) {}
  CSwfGradient(const CSwfGradient& other);
  CSwfGradient& operator=(const CSwfGradient& other);

  // A count byte and that many records, each with this gradient's alpha
  // setting; reading stops early at the end of the data.
  u32 Read(CSwfReader& reader) override;
  // The count byte and the records, every colour in the form this
  // gradient's withAlpha selects.
  u32 Write(CSwfBitWriter& writer) override;

  void Clear();
  // Takes ownership and appends; a gradient holding kMaxRecords already
  // refuses (false) and deletes the record.
  [[nodiscard]] bool AddRecord(CSwfGradRecord* record);
  // Two records: ratio 0 black and ratio 255 white.
  void SetBlackToWhite();
  const std::vector<std::unique_ptr<CSwfGradRecord>>& GetRecords() const { return m_records; }

  u8 withAlpha = 0;

 private:
  std::vector<std::unique_ptr<CSwfGradRecord>> m_records;
};
