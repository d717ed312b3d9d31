#include "swf/swf_video_tags.h"

#include <algorithm>

#include "foundation/bit_readers.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"

namespace {

// Stream id and frame number of a VideoFrame.
constexpr u32 kVideoFrameFields = 4;
// The picture header is looked for in no more than this many bytes.
constexpr u32 kPictureHeaderWindow = 80;

}  // namespace

// ---- DefineVideoStream ----

u32 CSwfDefineVideoStream::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  m_characterId = reader.ReadU16();
  numFrames = reader.ReadU16();
  width = reader.ReadU16();
  height = reader.ReadU16();
  videoFlags = reader.ReadU8();
  codecId = reader.ReadU8();
  return reader.GetPosition() - start;
}

u32 CSwfDefineVideoStream::Write(CSwfBitWriter& writer) {
  CSwfBitWriter body(writer.GetVersion());
  body.WriteU16(m_characterId);
  body.WriteU16(numFrames);
  body.WriteU16(width);
  body.WriteU16(height);
  body.WriteU8(videoFlags);
  body.WriteU8(codecId);
  return writer.WriteTag(*this, body);
}

void CSwfDefineVideoStream::Reset() {
  m_characterId = 0;
  numFrames = width = height = 0;
  videoFlags = codecId = 0;
}

void CSwfDefineVideoStream::OffsetIds(u16 idDelta, u16, u16) {
  m_characterId = u16(m_characterId + idDelta);
}

// ---- VideoFrame ----

CSwfVideoFrame::CSwfVideoFrame(u32 tagLength) : m_tagLength(tagLength) {}

CSwfVideoFrame::~CSwfVideoFrame() = default;

u32 CSwfVideoFrame::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  m_frameData.reset();
  m_tagLength = reader.GetTagLength();
  streamId = reader.ReadU16();
  frameNum = reader.ReadU16();
  std::vector<u8> data;
  if (m_tagLength > kVideoFrameFields) reader.ReadBytes(data, m_tagLength - kVideoFrameFields);
  m_frameData = std::make_unique<CSwfBitWriter>(4);
  // Even an empty frame holds a writer of its own.
  ChargeSwfObjectBytes(SwfHeapFootprint(sizeof(CSwfBitWriter)));
  m_frameData->AppendBytes(data);
  return reader.GetPosition() - start;
}

u32 CSwfVideoFrame::Write(CSwfBitWriter& writer) {
  CSwfBitWriter body(writer.GetVersion());
  if (m_frameData) {
    m_frameData->FlushBits();
    body.Reserve(m_frameData->GetByteCount() + kVideoFrameFields);
  }
  body.WriteU16(streamId);
  body.WriteU16(frameNum);
  if (m_frameData) body.AppendWriter(*m_frameData);
  const u32 written = writer.WriteTag(*this, body);
  writer.FlushBits();
  return written;
}

void CSwfVideoFrame::Reset() {
  m_frameData.reset();
  streamId = frameNum = 0;
  m_quantizer = 0;
}

void CSwfVideoFrame::OffsetIds(u16 idDelta, u16, u16) { streamId = u16(streamId + idDelta); }

void CSwfVideoFrame::SetData(CSwfBitWriter* writer) { m_frameData.reset(writer); }

void CSwfVideoFrame::Clear() { m_frameData.reset(); }

u32 CSwfVideoFrame::GetFrameType() {
  if (!m_frameData) return 0;
  const std::vector<u8>& data = m_frameData->GetBytes();
  const u32 available = u32(std::min<size_t>(data.size(), kPictureHeaderWindow)) * 8;
  CMemoryBitReader bits;
  bits.AppendBytes(data.data(), available / 8);
  // Start code, version, temporal reference and picture size.
  u32 needed = 17 + 5 + 8 + 3;
  if (available < needed) return 0;
  bits.ReadBits(17, false);
  bits.ReadBits(5, false);
  bits.ReadBits(8, false);
  const u32 size = u32(bits.ReadBits(3, false));
  const u32 sizeBits = size == 0 ? 8 : size == 1 ? 16 : 0;
  // Width and height, then picture type, deblocking flag and quantizer.
  needed += 2 * sizeBits + 2 + 1 + 5;
  if (available < needed) return 0;
  if (sizeBits) {
    bits.ReadBits(sizeBits, false);
    bits.ReadBits(sizeBits, false);
  }
  const u32 type = u32(bits.ReadBits(2, false));
  bits.ReadBits(1, false);
  m_quantizer = u32(bits.ReadBits(5, false));
  return type <= 2 ? type + 1 : 0;
}

// ---- screen video ----

void CSwfScreenVideoPacket::AddBlock(const u8* bytes, u32 length) {
  std::vector<u8> block;
  if (bytes && length) {
    block.reserve(length);
    block.assign(bytes, bytes + length);
  }
  blocks.push_back(std::move(block));
}

u32 CSwfScreenVideoPacket::Write(CSwfBitWriter& writer) const {
  auto blockSizeFits = [](u32 pixels) { return pixels >= 16 && pixels <= 256 && pixels % 16 == 0; };
  if (!blockSizeFits(blockWidth) || !blockSizeFits(blockHeight) || imageWidth > 0xFFF ||
      imageHeight > 0xFFF)
    return 0;
  bool unchanged = false;
  for (const std::vector<u8>& block : blocks) {
    if (block.size() > 0xFFFF) return 0;
    unchanged = unchanged || block.empty();
  }
  writer.FlushBits();
  const u32 before = writer.GetByteCount();
  // Frame type (1 key, 2 inter) in the high 4 bits, codec 3 in the low.
  writer.WriteU8(unchanged ? 0x23 : 0x13);
  writer.WriteBits(blockWidth / 16 - 1, 4);
  writer.WriteBits(imageWidth, 12);
  writer.WriteBits(blockHeight / 16 - 1, 4);
  writer.WriteBits(imageHeight, 12);
  for (const std::vector<u8>& block : blocks) {
    writer.WriteBits(u32(block.size()), 16);
    if (!block.empty()) writer.AppendBytes(block);
  }
  writer.FlushBits();
  return writer.GetByteCount() - before;
}
