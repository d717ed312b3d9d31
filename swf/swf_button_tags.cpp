#include "swf/swf_button_tags.h"

#include "swf/swf_action_list.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"

namespace {

// Appends the bytes of one filter behind its id byte, as far as they follow
// from the id and the counts at its start; false for an id no filter has
// (the body then disagrees with the button) and for a filter the body cuts
// short (a read past it).
bool ReadFilter(u8 id, CSwfReader& reader, std::vector<u8>& out) {
  auto take = [&](u32 n) { return reader.ReadBytes(out, n) == n; };
  switch (id) {
    case 0:  // drop shadow
      return take(23);
    case 1:  // blur
      return take(9);
    case 2:  // glow
      return take(15);
    case 3:  // bevel
      return take(27);
    case 4:    // gradient glow
    case 7: {  // gradient bevel
      if (!take(1)) return false;
      const u32 colours = out.back();
      return take(5 * colours + 19);
    }
    case 5: {  // convolution
      if (!take(2)) return false;
      const u32 cells = u32(out[out.size() - 2]) * out.back();
      return take(13 + 4 * cells);
    }
    case 6:  // colour matrix
      return take(80);
    default:
      reader.SetBodyDisagrees();
      return false;
  }
}

// A filter list as stored: its count byte and the filters. Only whole
// filters are kept and counted: a filter of an unknown kind, whose length
// is unknown, or one the body cuts short ends the list (and the button is
// kept as its bytes).
void ReadFilterList(CSwfReader& reader, std::vector<u8>& out) {
  const size_t capacity = out.capacity();
  out.assign(1, 0);
  ChargeGrowth(out, capacity);
  const u8 count = reader.ReadU8();
  for (u32 i = 0; i < count && reader.HoldsMoreRecords(); ++i) {
    const size_t start = out.size();
    out.push_back(reader.ReadU8());
    if (!ReadFilter(out.back(), reader, out)) {
      out.resize(start);
      break;
    }
    ++out[0];
  }
}

// Reads one action list over the next `length` bytes of the body.
std::unique_ptr<CSwfDoAction> ReadActionList(CSwfReader& reader, u32 length, bool gotoFrame2Hint) {
  auto actions = std::make_unique<CSwfDoAction>();
  actions->SetNoHeader(true);
  actions->SetGotoFrame2Hint(gotoFrame2Hint);
  const CSwfReader::Body body = reader.BeginBody(length);
  reader.SetTagLength(reader.GetRemaining());
  actions->Read(reader);
  reader.EndBody(body);
  return actions;
}

}  // namespace

// ---- records ----

CSwfButtonRecord::CSwfButtonRecord(const CSwfButtonRecord& other)
    : flags(other.flags),
      characterId(other.characterId),
      depth(other.depth),
      matrix(CopySwfRecord(other.matrix)),
      colorTransform(CopySwfRecord(other.colorTransform)),
      filterList(other.filterList),
      blendMode(other.blendMode) {}

CSwfButtonRecord* ReadButtonRecord(CSwfReader& reader, u8 flags, bool withColorTransform) {
  auto record = std::make_unique<CSwfButtonRecord>();
  record->flags = flags;
  record->characterId = reader.ReadU16();
  record->depth = reader.ReadU16();
  reader.AlignByte();
  record->matrix = std::make_unique<CSwfMatrix>();
  record->matrix->Read(reader);
  if (withColorTransform) {
    reader.AlignByte();
    record->colorTransform = std::make_unique<CSwfCxformWithAlpha>();
    record->colorTransform->Read(reader);
    reader.AlignByte();
    if (reader.GetVersion() >= 8) {
      if (flags & CSwfButtonRecord::kHasFilterList) ReadFilterList(reader, record->filterList);
      if (flags & CSwfButtonRecord::kHasBlendMode) record->blendMode = reader.ReadU8();
    }
  }
  return record.release();
}

// ---- DefineButton ----

CSwfDefineButton::CSwfDefineButton() = default;

CSwfDefineButton::~CSwfDefineButton() = default;

void CSwfDefineButton::Clear() {
  m_actionLists.clear();
  m_records.clear();
}

void CSwfDefineButton::Reset() {
  Clear();
  m_characterId = 0;
}

void CSwfDefineButton::AddRecord(CSwfButtonRecord* record) {
  if (record) EmplaceCharged(m_records, record);
}

void CSwfDefineButton::AddActionList(CSwfDoAction* actions) {
  if (!actions) return;
  actions->SetNoHeader(true);
  EmplaceCharged(m_actionLists, actions);
}

void CSwfDefineButton::ApplyPathPrefix(const char* prefix) {
  for (const auto& actions : m_actionLists) actions->ApplyPathPrefix(prefix);
}

void CSwfDefineButton::OffsetIds(u16 idDelta, u16 depthDelta, u16 frameDelta) {
  m_characterId = u16(m_characterId + idDelta);
  for (const auto& record : m_records) {
    record->characterId = u16(record->characterId + idDelta);
    record->depth = u16(record->depth + depthDelta);
  }
  if (frameDelta == 0) return;
  for (const auto& actions : m_actionLists) actions->OffsetIds(idDelta, depthDelta, frameDelta);
}

u32 CSwfDefineButton::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  CSwfDefineButton::Clear();
  m_characterId = reader.ReadU16();
  while (const u8 flags = reader.ReadU8()) AddRecord(ReadButtonRecord(reader, flags, false));
  // Every list the body holds is kept, however long; a body that ends
  // with the records' end byte has none.
  if (reader.GetRemaining() > 0)
    EmplaceCharged(m_actionLists, ReadActionList(reader, reader.GetRemaining(), true));
  return reader.GetPosition() - start;
}

void CSwfDefineButton::WriteRecords(CSwfBitWriter& body, bool withColorTransform) const {
  for (const auto& record : m_records) {
    body.WriteU8(record->flags);
    body.WriteU16(record->characterId);
    body.WriteU16(record->depth);
    CSwfMatrix identity;
    (record->matrix ? record->matrix.get() : &identity)->Write(body);
    body.FlushBits();
    if (!withColorTransform) continue;
    CSwfCxformWithAlpha none;
    (record->colorTransform ? record->colorTransform.get() : &none)->Write(body);
    body.FlushBits();
    body.AppendBytes(record->filterList);
    if (record->blendMode) body.WriteU8(*record->blendMode);
  }
  body.WriteU8(0);
}

u32 CSwfDefineButton::Write(CSwfBitWriter& writer) {
  CSwfBitWriter body(writer.GetVersion());
  body.WriteU16(m_characterId);
  WriteRecords(body, false);
  // A script that refused would be off its targets: the button refuses.
  for (const auto& actions : m_actionLists)
    if (actions->WriteBody(body, false) == 0) return 0;
  return writer.WriteTag(*this, body);
}

// ---- DefineButton2 ----

CSwfDefineButton2::CSwfDefineButton2(const CSwfDefineButton2& other)
    : CSwfDefineButton(), m_conditions(other.m_conditions), m_flags(other.m_flags) {
  m_characterId = other.m_characterId;
  for (const auto& record : other.m_records)
    m_records.push_back(std::make_unique<CSwfButtonRecord>(*record));
}

void CSwfDefineButton2::Clear() {
  m_actionLists.clear();
  m_conditions.clear();
  m_flags = 0;
}

void CSwfDefineButton2::Reset() {
  Clear();
  m_records.clear();
  m_characterId = 0;
}

bool CSwfDefineButton2::AddConditionAction(u16 conditions, CSwfDoAction* actions) {
  AddCondition(conditions);
  AddActionList(actions);
  return true;
}

u32 CSwfDefineButton2::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  Reset();
  const u32 end = reader.GetWindowEnd();
  m_characterId = reader.ReadU16();
  m_flags = reader.ReadU8();
  const u32 offsetField = reader.GetPosition();
  const u16 offset = reader.ReadU16();
  while (const u8 flags = reader.ReadU8()) AddRecord(ReadButtonRecord(reader, flags, true));
  // An offset of 0: no condition actions (what follows the records is no
  // part of the button). Otherwise the first one lies where the offset
  // points, counted from the offset field: behind the records (bytes
  // between are padding) and within the body.
  if (offset == 0) return reader.GetPosition() - start;
  const u64 first = u64(offsetField) + offset;
  if (first < reader.GetPosition() || first > end) {
    reader.SetBodyDisagrees();
    return reader.GetPosition() - start;
  }
  reader.Seek(u32(first));
  // Condition actions: a size, the condition word, and a list that reads
  // no further than the size. A size other than 0 (the last one's) says
  // where the next one starts; one too small for the size and the word, a
  // next one past the body, one whose size and word the body cuts short or
  // one that cuts an action of its list short (the next condition would be
  // read from inside the script) disagree with the body.
  while (reader.GetRemaining() > 0) {
    const u32 at = reader.GetPosition();
    const u16 size = reader.ReadU16();
    if (reader.GetRemaining() < 2 || (size != 0 && (size < 4 || u64(at) + size > end))) {
      reader.SetBodyDisagrees();
      break;
    }
    EmplaceCharged(m_conditions, reader.ReadU16());
    const u32 length = size != 0 ? size - 4u : reader.GetRemaining();
    std::unique_ptr<CSwfDoAction> actions = ReadActionList(reader, length, false);
    if (size != 0 && actions->ReadActionPastBody()) reader.SetBodyDisagrees();
    EmplaceCharged(m_actionLists, std::move(actions));
    if (size == 0) break;
  }
  return reader.GetPosition() - start;
}

u32 CSwfDefineButton2::Write(CSwfBitWriter& writer) {
  CSwfBitWriter records(writer.GetVersion());
  WriteRecords(records, true);
  CSwfBitWriter body(writer.GetVersion());
  body.WriteU16(m_characterId);
  body.WriteU8(m_flags);
  const u32 actionOffset = m_actionLists.empty() ? 0 : records.GetByteCount() + 2;
  if (actionOffset > 0xFFFF) return 0;
  body.WriteU16(u16(actionOffset));
  body.AppendWriter(records);
  for (size_t i = 0; i < m_actionLists.size(); ++i) {
    CSwfBitWriter list(writer.GetVersion());
    if (m_actionLists[i]->WriteBody(list, false) == 0) return 0;
    list.FlushBits();
    const bool last = i + 1 == m_actionLists.size();
    const u32 size = last ? 0 : list.GetByteCount() + 4;
    if (size > 0xFFFF) return 0;
    body.WriteU16(u16(size));
    body.WriteU16(i < m_conditions.size() ? m_conditions[i] : 0);
    body.AppendWriter(list);
  }
  return writer.WriteTag(*this, body);
}

// ---- DefineButtonCxform ----

CSwfDefineButtonCxform::CSwfDefineButtonCxform() : m_cxform(std::make_unique<CSwfCxform>()) {}

u32 CSwfDefineButtonCxform::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  m_characterId = reader.ReadU16();
  if (!m_cxform) m_cxform = std::make_unique<CSwfCxform>();
  m_cxform->Reset();
  m_cxform->Read(reader);
  reader.AlignByte();
  return reader.GetPosition() - start;
}

u32 CSwfDefineButtonCxform::Write(CSwfBitWriter& writer) {
  CSwfBitWriter body(writer.GetVersion());
  body.WriteU16(m_characterId);
  CSwfCxform identity;
  (m_cxform ? m_cxform.get() : &identity)->Write(body);
  body.FlushBits();
  return writer.WriteTag(*this, body);
}

void CSwfDefineButtonCxform::OffsetIds(u16 idDelta, u16, u16) {
  m_characterId = u16(m_characterId + idDelta);
}

void CSwfDefineButtonCxform::SetColorTransform(CSwfCxform* cxform) {
  if (cxform != m_cxform.get()) m_cxform.reset(cxform);
}

// ---- DefineButtonSound ----

u32 CSwfDefineButtonSound::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  Reset();
  m_characterId = reader.ReadU16();
  for (int i = 0; i < kTransitions; ++i) {
    soundIds[i] = reader.ReadU16();
    if (soundIds[i] != 0) soundInfos[i].Read(reader);
  }
  return reader.GetPosition() - start;
}

u32 CSwfDefineButtonSound::Write(CSwfBitWriter& writer) {
  CSwfBitWriter body(writer.GetVersion());
  body.WriteU16(m_characterId);
  for (int i = 0; i < kTransitions; ++i) {
    body.WriteU16(soundIds[i]);
    if (soundIds[i] != 0) soundInfos[i].Write(body);
  }
  return writer.WriteTag(*this, body);
}

void CSwfDefineButtonSound::Reset() {
  m_characterId = 0;
  for (int i = 0; i < kTransitions; ++i) {
    soundIds[i] = 0;
    soundInfos[i] = CSwfSoundInfo();
  }
}

void CSwfDefineButtonSound::OffsetIds(u16 idDelta, u16, u16) {
  m_characterId = u16(m_characterId + idDelta);
  for (u16& id : soundIds) {
    if (id != 0) id = u16(id + idDelta);
  }
}
