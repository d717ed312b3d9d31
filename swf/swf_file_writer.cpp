#include "swf/swf_file_writer.h"

#include <algorithm>
#include <memory>

#include "foundation/finder_info.h"
#include "platform/byte_order.h"
#include "platform/memory_handles.h"
#include "swf/swf_action_list.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_control_tags.h"
#include "swf/swf_display_tags.h"

namespace {

constexpr OSType kSwfFileType = FourCC("SWFL");
constexpr OSType kSwfFileCreator = FourCC("SWF2");

// The smallest stage the force-minimum option lets through: 1280 x 960 pixels.
constexpr u32 kMinimumStageWidth = 25600;
constexpr u32 kMinimumStageHeight = 19200;

bool IsSoundTag(u16 code) {
  switch (code) {
    case 14:  // DefineSound
    case 15:  // StartSound
    case 17:  // DefineButtonSound
    case 18:  // SoundStreamHead
    case 19:  // SoundStreamBlock
    case 45:  // SoundStreamHead2
      return true;
    default:
      return false;
  }
}

}  // namespace

CSwfFileWriter::CSwfFileWriter(bool forceMinimumStage)
    : m_forceMinimumStage(forceMinimumStage ? 1 : 0) {
  m_stage.SetParams(0, 0, 20, 20, 0.0f, 4);
}

CSwfFileWriter::~CSwfFileWriter() { CloseLeftOpen(); }

void CSwfFileWriter::CloseLeftOpen() {
  // A movie whose header could not be completed is not left behind.
  if (IsOpen() && Close() == 0) m_path.Delete();
}

void CSwfFileWriter::SetParams(u32 width, u32 height, f32 frameRate, u8 version) {
  m_stage.SetParams(width, height, frameRate, 0, version);
}

void CSwfFileWriter::SetParamsFromHeader(const CSwfHeader& header) {
  m_stage.SetFrameSize(header.GetFrameSize());
  m_stage.SetFrameRate(header.GetFrameRate());
  m_stage.SetVersion(header.GetVersion());
}

bool CSwfFileWriter::Open(const CPathName& path, bool replace) {
  CloseLeftOpen();
  m_path = path;
  m_failed = false;
  m_labels.clear();
  m_depthRecords.clear();
  m_framesWritten = 0;
  const CFileTypeCreator typeCreator(kSwfFileCreator, kSwfFileType);
  if (!m_path.CreateFile(&typeCreator, replace)) return false;
  if (!m_path.OpenFileStream(m_stream, std::ios::out | std::ios::binary)) return false;

  u32 width = m_stage.GetWidth();
  u32 height = m_stage.GetHeight();
  if (m_forceMinimumStage && !(width >= kMinimumStageWidth && height >= kMinimumStageHeight)) {
    width = kMinimumStageWidth;
    height = kMinimumStageHeight;
  }
  // Length and frame count are placeholders until Close.
  const CSwfRect& frame = m_stage.GetFrameSize();
  CSwfHeader header;
  header.SetParams(frame.xMin, frame.yMin, s32(u32(frame.xMin) + width),
                   s32(u32(frame.yMin) + height), m_stage.GetFrameRate(), m_stage.GetVersion());
  header.SetFileLength(32);
  header.SetFrameCount(1);
  CSwfBitWriter bytes(4);
  header.Write(bytes);
  const std::vector<u8>& serialised = bytes.GetBytes();
  if (!Append(serialised.data(), serialised.size())) {
    m_stream.close();
    return false;
  }
  m_headerEnd = u32(serialised.size());
  return true;
}

bool CSwfFileWriter::Append(const u8* bytes, size_t count) {
  if (!IsOpen() || m_failed) return false;
  m_stream.seekp(0, std::ios::end);
  m_stream.write(reinterpret_cast<const char*>(bytes), std::streamsize(count));
  if (!m_stream) m_failed = true;
  return !m_failed;
}

bool CSwfFileWriter::PatchU16(u32 position, u16 value) {
  u8 bytes[2];
  plat::PutLittle16(bytes, value);
  m_stream.seekp(position);
  m_stream.write(reinterpret_cast<const char*>(bytes), 2);
  if (!m_stream) m_failed = true;
  return !m_failed;
}

bool CSwfFileWriter::PatchU32(u32 position, u32 value) {
  u8 bytes[4];
  plat::PutLittle32(bytes, value);
  m_stream.seekp(position);
  m_stream.write(reinterpret_cast<const char*>(bytes), 4);
  if (!m_stream) m_failed = true;
  return !m_failed;
}

u32 CSwfFileWriter::WriteTag(CSwfTag* tag, bool keepTag) {
  if (!tag) return 0;
  // A tag not kept is the writer's from here on, written or dropped.
  const std::unique_ptr<CSwfTag> owned(keepTag ? nullptr : tag);
  if (!IsOpen() || m_failed) return 0;
  const u16 code = tag->GetCode();
  if (code == kSwfShowFrameCode) {
    Emit(m_framesWritten);
    ++m_framesWritten;
  } else if (const auto* frameLabel = dynamic_cast<const CSwfFrameLabel*>(tag)) {
    const std::string& label = frameLabel->GetLabel();
    if (std::find(m_labels.begin(), m_labels.end(), label) != m_labels.end()) return 0;
    m_labels.push_back(label);
  } else if (m_stripSound && IsSoundTag(code)) {
    return 0;
  }

  CSwfBitWriter scratch(m_stage.GetVersion());
  scratch.SetStripSound(m_stripSound);
  if (!WriteSwfTag(*tag, scratch)) {
    // A tag that refused (whatever it left in the scratch) would be missing
    // from the movie: the movie cannot be completed.
    m_failed = true;
    return 0;
  }
  const std::vector<u8>& bytes = scratch.GetBytes();
  if (bytes.empty()) return 0;  // a script without actions
  m_stream.seekp(0, std::ios::end);
  const u32 position = u32(m_stream.tellp());
  if (!bytes.empty() && (m_recordDepths || m_recordClipDepths))
    RecordDepths(*tag, position, (bytes[0] & 63) == 63 ? 6 : 2);
  return Append(bytes.data(), bytes.size()) ? u32(bytes.size()) : 0;
}

void CSwfFileWriter::RecordDepths(CSwfTag& tag, u32 tagPosition, u32 headerLength) {
  const u32 body = tagPosition + headerLength;
  if (auto* place = dynamic_cast<CSwfPlaceObject2*>(&tag)) {
    if (m_recordDepths) m_depthRecords.emplace_back(body + 1, place->GetDepth());
    if (m_recordClipDepths && place->HasClipDepth())
      m_depthRecords.emplace_back(body + place->GetClipDepthOffset(), place->GetClipDepth());
  } else if (auto* removal = dynamic_cast<CSwfRemoveObject2*>(&tag)) {
    if (m_recordDepths) m_depthRecords.emplace_back(body, removal->GetDepth());
  }
}

u32 CSwfFileWriter::WriteBitWriter(CSwfBitWriter& writer) {
  const std::vector<u8>& bytes = writer.GetBytes();
  return Append(bytes.data(), bytes.size()) ? u32(bytes.size()) : 0;
}

u32 CSwfFileWriter::WriteHandle(Handle handle) {
  if (!handle || !*handle) return 0;
  const long size = GetHandleSize(handle);
  if (size < 1) return 0;
  HLock(handle);
  const bool written = Append(reinterpret_cast<const u8*>(*handle), size_t(size));
  HUnlock(handle);
  DisposeHandle(handle);
  return written ? u32(size) : 0;
}

void CSwfFileWriter::RenumberDepths(u16 base) {
  if (!IsOpen() || m_failed) return;
  std::vector<u16> depths;
  for (const auto& record : m_depthRecords) depths.push_back(record.second);
  std::sort(depths.begin(), depths.end());
  depths.erase(std::unique(depths.begin(), depths.end()), depths.end());
  for (const auto& [position, depth] : m_depthRecords) {
    const size_t rank = size_t(std::lower_bound(depths.begin(), depths.end(), depth) - depths.begin());
    // A failed write ends the renumbering; Close reports it.
    if (!PatchU16(position, u16(rank + 1 + base))) return;
  }
  m_stream.seekp(0, std::ios::end);
}

u32 CSwfFileWriter::Close() {
  m_labels.clear();
  if (!IsOpen()) return 0;
  m_stream.seekp(0, std::ios::end);
  const u32 length = u32(m_stream.tellp());
  const bool patched = !m_failed && PatchU32(4, length) && PatchU16(m_headerEnd - 2, m_framesWritten);
  m_stream.close();
  if (m_stream.fail()) m_failed = true;
  m_stream.clear();
  return patched && !m_failed ? length : 0;
}
