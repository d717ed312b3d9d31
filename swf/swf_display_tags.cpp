#include "swf/swf_display_tags.h"

#include <algorithm>

#include "swf/swf_action_list.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"

namespace {

// The one depth rule of PlaceObject2 and RemoveObject2: the sum, at most 65535.
u16 ShiftDepth(u16 depth, u16 delta) { return u16(std::min<u32>(u32(depth) + delta, 65535)); }

bool HasKeyCode(u32 eventFlags, u8 version) {
  return version >= 6 && (eventFlags & kClipEventKeyPress) != 0;
}

}  // namespace

u32 CSwfShowFrame::Write(CSwfBitWriter& writer) {
  const u32 mark = writer.BeginTag();
  return writer.EndTag(*this, mark);
}

u32 CSwfFreeCharacter::Read(CSwfReader& reader) {
  m_characterId = reader.ReadU16();
  return 2;
}

u32 CSwfFreeCharacter::Write(CSwfBitWriter& writer) {
  const u32 mark = writer.BeginTag();
  writer.WriteU16(m_characterId);
  return writer.EndTag(*this, mark);
}

void CSwfFreeCharacter::OffsetIds(u16 idDelta, u16, u16) {
  m_characterId = u16(m_characterId + idDelta);
}

u32 CSwfRemoveObject::Read(CSwfReader& reader) {
  m_characterId = reader.ReadU16();
  m_depth = reader.ReadU16();
  return 4;
}

u32 CSwfRemoveObject::Write(CSwfBitWriter& writer) {
  const u32 mark = writer.BeginTag();
  writer.WriteU16(m_characterId);
  writer.WriteU16(m_depth);
  return writer.EndTag(*this, mark);
}

void CSwfRemoveObject::OffsetIds(u16 idDelta, u16 depthDelta, u16) {
  m_characterId = u16(m_characterId + idDelta);
  m_depth = u16(m_depth + depthDelta);
}

u32 CSwfRemoveObject2::Read(CSwfReader& reader) {
  m_depth = reader.ReadU16();
  return 2;
}

u32 CSwfRemoveObject2::Write(CSwfBitWriter& writer) {
  const u32 mark = writer.BeginTag();
  writer.WriteU16(m_depth);
  return writer.EndTag(*this, mark);
}

void CSwfRemoveObject2::OffsetIds(u16 idDelta, u16 depthDelta, u16) {
  m_characterId = u16(m_characterId + idDelta);
  m_depth = ShiftDepth(m_depth, depthDelta);
}

// ---- PlaceObject ----

CSwfPlaceObject::~CSwfPlaceObject() { CSwfPlaceObject::Clear(); }

void CSwfPlaceObject::Clear() {
  m_matrix.reset();
  m_cxform.reset();
}

void CSwfPlaceObject::SetMatrix(CSwfMatrix* matrix) {
  if (matrix != m_matrix.get()) m_matrix.reset(matrix);
}

void CSwfPlaceObject::SetColorTransform(CSwfCxform* cxform) {
  if (cxform != m_cxform.get()) m_cxform.reset(cxform);
}

u32 CSwfPlaceObject::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  Clear();
  SetCharacterId(reader.ReadU16());
  m_depth = reader.ReadU16();
  m_matrix = std::make_unique<CSwfMatrix>();
  m_matrix->Read(reader);
  reader.AlignByte();
  if (reader.GetRemaining() > 0) {
    m_cxform = std::make_unique<CSwfCxform>();
    m_cxform->Read(reader);
    reader.AlignByte();
  }
  return reader.GetPosition() - start;
}

u32 CSwfPlaceObject::Write(CSwfBitWriter& writer) {
  const u32 mark = writer.BeginTag();
  writer.WriteU16(m_characterId);
  writer.WriteU16(m_depth);
  CSwfMatrix identity;
  (m_matrix ? m_matrix.get() : &identity)->Write(writer);
  writer.FlushBits();
  if (m_cxform) m_cxform->Write(writer);
  return writer.EndTag(*this, mark);
}

void CSwfPlaceObject::OffsetIds(u16 idDelta, u16 depthDelta, u16) {
  m_characterId = u16(m_characterId + idDelta);
  m_depth = u16(m_depth + depthDelta);
}

// ---- clip actions ----

CSwfClipActionRecord::CSwfClipActionRecord(u32 flags)
    : eventFlags(flags), actions(std::make_unique<CSwfDoAction>()) {
  actions->SetNoHeader(true);
}

CSwfClipActionRecord::~CSwfClipActionRecord() = default;

void CSwfClipActionRecord::SetActions(CSwfDoAction* list) {
  if (list == actions.get()) return;
  actions.reset(list);
  if (actions) actions->SetNoHeader(true);
}

void CSwfClipActionRecord::AddAction(CSwfAction* action) {
  if (!actions) {
    actions = std::make_unique<CSwfDoAction>();
    actions->SetNoHeader(true);
  }
  actions->AddAction(action);
}

void CSwfClipActionRecord::SetBranchTracking(bool on) {
  if (actions) actions->SetBranchTracking(on, false);
}

// ---- PlaceObject2 ----

CSwfPlaceObject2::~CSwfPlaceObject2() { CSwfPlaceObject2::Clear(); }

void CSwfPlaceObject2::Clear() {
  m_cxformAlpha.reset();
  m_name.clear();
  m_clipActions.clear();
  CSwfPlaceObject::Clear();
}

void CSwfPlaceObject2::Reset() {
  Clear();
  m_characterId = 0;
  m_depth = 0;
  m_ratio = 0;
  m_clipDepth = 0;
  m_clipActionVersion = 4;
  m_allEventFlags = 0;
  m_hasClipActions = m_hasClipDepth = m_hasName = m_hasRatio = m_hasCharacter = m_move = 0;
}

void CSwfPlaceObject2::SetCharacterId(u16 id) {
  m_characterId = id;
  m_hasCharacter = 1;
}

void CSwfPlaceObject2::CopyFrom(const CSwfPlaceObject2& other) {
  if (&other == this) return;
  m_characterId = other.m_characterId;
  m_depth = other.m_depth;
  m_name = other.m_name;
  m_ratio = other.m_ratio;
  m_clipDepth = other.m_clipDepth;
  m_matrix = CopySwfRecord(other.m_matrix);
  m_cxformAlpha = CopySwfRecord(other.m_cxformAlpha);
  m_hasClipActions = other.m_hasClipActions;
  m_hasClipDepth = other.m_hasClipDepth;
  m_hasName = other.m_hasName;
  m_hasRatio = other.m_hasRatio;
  m_hasCharacter = other.m_hasCharacter;
  m_move = other.m_move;
}

void CSwfPlaceObject2::SetColorTransform(CSwfCxformWithAlpha* cxform) {
  if (cxform != m_cxformAlpha.get()) m_cxformAlpha.reset(cxform);
}

void CSwfPlaceObject2::AddClipAction(CSwfClipActionRecord* record) {
  if (!record) return;
  EmplaceCharged(m_clipActions, record);
  m_hasClipActions = 1;
}

void CSwfPlaceObject2::SetName(const std::string& name) {
  m_name = name;
  m_hasName = 1;
}

void CSwfPlaceObject2::SetRatio(u16 ratio) {
  m_ratio = ratio;
  m_hasRatio = 1;
}

void CSwfPlaceObject2::SetClipDepth(u16 clipDepth) {
  m_clipDepth = clipDepth;
  m_hasClipDepth = 1;
}

void CSwfPlaceObject2::OffsetIds(u16 idDelta, u16 depthDelta, u16) {
  if (m_hasCharacter) m_characterId = u16(m_characterId + idDelta);
  m_depth = ShiftDepth(m_depth, depthDelta);
  if (m_hasClipDepth) m_clipDepth = ShiftDepth(m_clipDepth, depthDelta);
}

u32 CSwfPlaceObject2::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  Clear();
  const u8 flags = reader.ReadU8();
  m_depth = reader.ReadU16();
  m_move = flags & 1;
  if (flags & 2) {
    SetCharacterId(reader.ReadU16());
  } else {
    m_characterId = 0;
    m_hasCharacter = 0;
  }
  if (flags & 4) {
    m_matrix = std::make_unique<CSwfMatrix>();
    m_matrix->Read(reader);
  }
  reader.AlignByte();
  if (flags & 8) {
    m_cxformAlpha = std::make_unique<CSwfCxformWithAlpha>();
    m_cxformAlpha->Read(reader);
    reader.AlignByte();
  }
  m_hasRatio = (flags >> 4) & 1;
  m_ratio = m_hasRatio ? reader.ReadU16() : 0;
  m_hasName = (flags >> 5) & 1;
  if (m_hasName) reader.ReadString(m_name, 0);
  m_hasClipDepth = (flags >> 6) & 1;
  m_clipDepth = m_hasClipDepth ? reader.ReadU16() : 0;
  m_hasClipActions = (flags >> 7) & 1;
  m_allEventFlags = 0;
  if (m_hasClipActions) ReadClipActions(reader);
  reader.AlignByte();
  return reader.GetPosition() - start;
}

void CSwfPlaceObject2::ReadClipActions(CSwfReader& reader) {
  m_clipActionVersion = reader.GetVersion();
  const bool wide = m_clipActionVersion >= 6;
  reader.AlignByte();
  reader.ReadU16();  // reserved
  m_allEventFlags = wide ? reader.ReadU32() : reader.ReadU16();
  for (;;) {
    const u32 eventFlags = wide ? reader.ReadU32() : reader.ReadU16();
    if (eventFlags == 0) {
      // The end marker closes the body: bytes behind it would be records
      // that a size too small for its script had read the end marker from.
      if (reader.GetRemaining() > 0) reader.SetBodyDisagrees();
      break;
    }
    auto record = std::make_unique<CSwfClipActionRecord>(eventFlags);
    record->recordSize = reader.ReadU32();
    // The record's size bounds its key code and script, and the next record
    // starts behind it whatever the script read. A size past the body
    // disagrees with it (it would take the records behind it, and the end
    // marker, into the script).
    if (u64(reader.GetPosition()) + record->recordSize > reader.GetWindowEnd()) {
      reader.SetBodyDisagrees();
      return;
    }
    const CSwfReader::Body body = reader.BeginBody(record->recordSize);
    if (HasKeyCode(eventFlags, m_clipActionVersion)) record->keyCode = reader.ReadU8();
    reader.SetTagLength(reader.GetRemaining());
    record->scriptWithoutBytes = record->actions->Read(reader) == 0;
    reader.EndBody(body);
    EmplaceCharged(m_clipActions, std::move(record));
  }
}

u32 CSwfPlaceObject2::Write(CSwfBitWriter& writer) {
  const u32 mark = writer.BeginTag();
  const bool writesCharacter = WritesCharacter();
  writer.WriteU8(u8((m_hasClipActions << 7) | (m_hasClipDepth << 6) | (m_hasName << 5) |
                    (m_hasRatio << 4) | (m_cxformAlpha ? 8 : 0) | (m_matrix ? 4 : 0) |
                    (writesCharacter ? 2 : 0) | (m_move ? 1 : 0)));
  writer.WriteU16(m_depth);
  if (writesCharacter) writer.WriteU16(m_characterId);
  if (m_matrix) m_matrix->Write(writer);
  writer.FlushBits();
  if (m_cxformAlpha) m_cxformAlpha->Write(writer);
  writer.FlushBits();
  if (m_hasRatio) writer.WriteU16(m_ratio);
  if (m_hasName) writer.AppendTerminatedString(m_name);
  if (m_hasClipDepth) writer.WriteU16(m_clipDepth);
  const bool written = !m_hasClipActions || WriteClipActions(writer, std::max(m_clipActionVersion, writer.GetVersion()));
  const u32 count = writer.EndTag(*this, mark);
  // A script that refused would be off its targets.
  return written ? count : 0;
}

u32 CSwfPlaceObject2::GetClipDepthOffset() {
  CSwfBitWriter records(4);
  if (m_matrix) m_matrix->Write(records);
  records.FlushBits();
  if (m_cxformAlpha) m_cxformAlpha->Write(records);
  records.FlushBits();
  return 3 + (WritesCharacter() ? 2 : 0) + records.GetByteCount() + (m_hasRatio ? 2 : 0) +
         (m_hasName ? u32(m_name.size() + 1) : 0);
}

bool CSwfPlaceObject2::WriteClipActions(CSwfBitWriter& body, u8 version) const {
  const bool wide = version >= 6;
  const u32 mask = wide ? 0xFFFFFFFF : 0xFFFF;
  auto writeFlags = [&](u32 flags) { wide ? body.WriteU32(flags) : body.WriteU16(u16(flags)); };
  body.FlushBits();
  body.WriteU16(0);
  u32 allFlags = 0;
  for (const auto& record : m_clipActions) allFlags |= record->eventFlags & mask;
  writeFlags(allFlags);
  bool written = true;
  for (const auto& record : m_clipActions) {
    // A record whose events the version cannot store would read as the end
    // marker and hide the records behind it.
    if ((record->eventFlags & mask) == 0) continue;
    writeFlags(record->eventFlags);
    CSwfBitWriter recordBody(version);
    if (HasKeyCode(record->eventFlags, version)) recordBody.WriteU8(record->keyCode);
    const CSwfDoAction* script = record->actions.get();
    const bool empty = !script || (script->GetActions().empty() && script->GetTail().empty());
    if (!(empty && record->scriptWithoutBytes)) {
      if (record->actions)
        written = record->actions->WriteBody(recordBody, false) != 0 && written;
      else
        recordBody.WriteU8(0);
    }
    body.WriteU32(recordBody.GetByteCount());
    body.AppendWriter(recordBody);
  }
  writeFlags(0);
  return written;
}
