#include "swf/swf_styles.h"

#include <algorithm>

#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"

// ---- fill style ----

CSwfFillStyle::CSwfFillStyle(u8 alphaColors, u32 solidColor) : alpha(alphaColors) {
  color = NewSwfColor(alpha != 0);
  color->Set(u8(solidColor), u8(solidColor >> 8), u8(solidColor >> 16));
}

CSwfFillStyle::CSwfFillStyle(const CSwfFillStyle& other) : CSwfRecord() { *this = other; }

CSwfFillStyle& CSwfFillStyle::operator=(const CSwfFillStyle& other) {
  if (&other == this) return *this;
  alpha = other.alpha;
  type = other.type;
  color = other.color ? CopySwfColor(other.color.get(), alpha != 0) : nullptr;
  gradient = CopySwfRecord(other.gradient);
  matrix = CopySwfRecord(other.matrix);
  bitmapId = other.bitmapId;
  return *this;
}

u32 CSwfFillStyle::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  color.reset();
  gradient.reset();
  matrix.reset();
  bitmapId = 0;
  type = reader.ReadU8();
  if (type == kSwfSolidFill) {
    color = NewSwfColor(alpha != 0);
    color->Read(reader);
  } else if (IsSwfGradientFill(type)) {
    matrix = std::make_unique<CSwfMatrix>();
    matrix->Read(reader);
    gradient = std::make_unique<CSwfGradient>(alpha);
    gradient->Read(reader);
  } else if (IsSwfBitmapFill(type)) {
    bitmapId = reader.ReadU16();
    matrix = std::make_unique<CSwfMatrix>();
    matrix->Read(reader);
    reader.AlignByte();
  } else {
    // A kind whose fields are unknown: what follows cannot be read.
    reader.SetBodyDisagrees();
  }
  return reader.GetPosition() - start;
}

u32 CSwfFillStyle::Write(CSwfBitWriter& writer) {
  writer.FlushBits();
  const u32 before = writer.GetByteCount();
  writer.WriteU8(type);
  CSwfMatrix identity;
  CSwfMatrix& written = matrix ? *matrix : identity;
  if (type == kSwfSolidFill) {
    WriteSwfColor(writer, color.get(), alpha != 0);
  } else if (IsSwfGradientFill(type)) {
    written.Write(writer);
    CSwfGradient empty(alpha);
    CSwfGradient& colors = gradient ? *gradient : empty;
    colors.withAlpha = alpha;
    colors.Write(writer);
  } else if (IsSwfBitmapFill(type)) {
    writer.WriteU16(bitmapId);
    written.Write(writer);
    writer.FlushBits();
  }
  return writer.GetByteCount() - before;
}

void CSwfFillStyle::OffsetBitmapId(u16 delta) {
  if (IsSwfBitmapFill(type) && bitmapId != kSwfNoBitmap) bitmapId = u16(bitmapId + delta);
}

// ---- line style ----

CSwfLineStyle::CSwfLineStyle(const CSwfLineStyle& other) : CSwfRecord() { *this = other; }

CSwfLineStyle& CSwfLineStyle::operator=(const CSwfLineStyle& other) {
  if (&other == this) return *this;
  width = other.width;
  alpha = other.alpha;
  color = other.color ? CopySwfColor(other.color.get(), alpha != 0) : nullptr;
  return *this;
}

u32 CSwfLineStyle::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  width = reader.ReadU16();
  color = NewSwfColor(alpha != 0);
  color->Read(reader);
  return reader.GetPosition() - start;
}

u32 CSwfLineStyle::Write(CSwfBitWriter& writer) {
  writer.FlushBits();
  const u32 before = writer.GetByteCount();
  writer.WriteU16(width);
  WriteSwfColor(writer, color.get(), alpha != 0);
  return writer.GetByteCount() - before;
}

// ---- arrays ----

template <typename Style>
CSwfStyleArray<Style>& CSwfStyleArray<Style>::operator=(const CSwfStyleArray& other) {
  if (&other == this) return *this;
  styles.clear();
  alpha = other.alpha;
  extendedCount = other.extendedCount;
  for (const auto& style : other.styles) styles.push_back(std::make_unique<Style>(*style));
  return *this;
}

template <typename Style>
u32 CSwfStyleArray<Style>::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  styles.clear();
  u32 count = reader.ReadU8();
  if (count == 0xFF && extendedCount) count = reader.ReadU16();
  // Every style takes at least one byte, so the data bounds the count.
  for (u32 i = 0; i < count && reader.HoldsMoreRecords(); ++i) {
    auto style = std::make_unique<Style>(alpha);
    style->Read(reader);
    EmplaceCharged(styles, std::move(style));
  }
  return reader.GetPosition() - start;
}

template <typename Style>
u16 CSwfStyleArray<Style>::GetCount() const {
  return u16(std::min(styles.size(), GetMaxCount()));
}

template <typename Style>
bool CSwfStyleArray<Style>::CanWrite() const {
  return styles.size() <= GetMaxCount();
}

template <typename Style>
u32 CSwfStyleArray<Style>::Write(CSwfBitWriter& writer) {
  writer.FlushBits();
  const u32 before = writer.GetByteCount();
  const u16 count = GetCount();
  if (count < 255 || !extendedCount) {
    writer.WriteU8(u8(count));
  } else {
    writer.WriteU8(0xFF);
    writer.WriteU16(count);
  }
  for (u32 i = 0; i < count; ++i) {
    styles[i]->alpha = alpha;
    styles[i]->Write(writer);
  }
  return writer.GetByteCount() - before;
}

template class CSwfStyleArray<CSwfFillStyle>;
template class CSwfStyleArray<CSwfLineStyle>;

void CSwfFillStyleArray::OffsetBitmapIds(u16 delta) {
  for (const auto& style : styles) style->OffsetBitmapId(delta);
}
