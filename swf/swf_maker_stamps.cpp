#include "swf/swf_maker_stamps.h"

#include <vector>

#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"

const char* const kSwfMakerName = "Orrinvale Software";
const char* const kSwfMakerWebAddress = "http://www.orrinvale.com/";

namespace {

void ReadShortString(CSwfReader& reader, std::string& out) {
  std::vector<u8> bytes;
  reader.ReadBytes(bytes, reader.ReadU8());
  out.assign(bytes.begin(), bytes.end());
}

}  // namespace

u32 CSwfMakerStamp::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  std::string dropped;
  ReadShortString(reader, dropped);
  ReadShortString(reader, dropped);
  ReadShortString(reader, m_productName);
  word1 = reader.ReadU32();
  firstValue = reader.ReadU16();
  word2 = reader.ReadU32();
  secondValue = reader.ReadU16();
  return reader.GetPosition() - start;
}

u32 CSwfMakerStamp::Write(CSwfBitWriter& writer) {
  const std::string strings[] = {kSwfMakerName, kSwfMakerWebAddress, m_productName};
  for (const std::string& text : strings) {
    if (text.size() > kMaxStringLength) return 0;
  }
  CSwfBitWriter body(writer.GetVersion());
  for (const std::string& text : strings) {
    body.WriteU8(u8(text.size()));
    body.AppendString(text);
  }
  body.WriteU32(word1);
  body.WriteU16(firstValue);
  body.WriteU32(word2);
  body.WriteU16(secondValue);
  return writer.WriteTag(*this, body);
}
