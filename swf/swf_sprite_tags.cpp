#include "swf/swf_sprite_tags.h"

#include <algorithm>

#include "swf/swf_action_list.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_control_tags.h"
#include "swf/swf_display_tags.h"
#include "swf/swf_reader.h"
#include "swf/swf_sound_tags.h"
#include "swf/swf_video_tags.h"

namespace {

// A scratch writer reserves this much per tag, and no more in all.
constexpr u64 kReservePerTag = 10240;
constexpr u64 kMaxReserve = 1u << 20;

bool MayLiveInSprite(u16 code) {
  switch (code) {
    case kSwfEndCode:
    case kSwfShowFrameCode:
    case kSwfFreeCharacterCode:
    case kSwfPlaceObjectCode:
    case kSwfRemoveObjectCode:
    case kSwfDoActionCode:
    case kSwfStartSoundCode:
    case kSwfSoundStreamHeadCode:
    case kSwfSoundStreamBlockCode:
    case kSwfPlaceObject2Code:
    case kSwfRemoveObject2Code:
    case kSwfFrameLabelCode:
    case kSwfSoundStreamHead2Code:
    case kSwfDefineVideoStreamCode:
    case kSwfVideoFrameCode:
      return true;
    default:
      return false;
  }
}

bool IsSoundTag(u16 code) {
  return code == kSwfStartSoundCode || code == kSwfSoundStreamHeadCode ||
         code == kSwfSoundStreamBlockCode || code == kSwfSoundStreamHead2Code;
}

// The inner tags whose ids refer to characters.
bool RefersToCharacters(u16 code) {
  switch (code) {
    case kSwfFreeCharacterCode:
    case kSwfPlaceObjectCode:
    case kSwfRemoveObjectCode:
    case kSwfStartSoundCode:
    case kSwfPlaceObject2Code:
    case kSwfRemoveObject2Code:
    case kSwfDefineVideoStreamCode:
    case kSwfVideoFrameCode:
      return true;
    default:
      return false;
  }
}

}  // namespace

CSwfDefineSprite::CSwfDefineSprite(u16 id, u16 frameCount) : m_frameCount(frameCount) {
  m_characterId = id;
}

CSwfDefineSprite::~CSwfDefineSprite() = default;

u32 CSwfDefineSprite::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  m_tags.clear();
  m_version = reader.GetVersion();
  m_characterId = reader.ReadU16();
  m_frameCount = reader.ReadU16();
  CSwfReader nested;
  nested.ReadAllTags(&reader, 0);
  m_tagBytesRead = nested.GetTagBytesRead();
  m_tags = nested.TakeTags();
  NoteDepths();
  return reader.GetPosition() - start;
}

void CSwfDefineSprite::NoteDepths() {
  m_minDepth = m_maxDepth = -1;
  for (const auto& tag : m_tags) {
    const u16 code = tag->GetCode();
    if (code != kSwfPlaceObjectCode && code != kSwfPlaceObject2Code) continue;
    const auto* place = dynamic_cast<const CSwfPlaceObject*>(tag.get());
    if (!place) continue;
    const s32 depth = place->GetDepth();
    m_minDepth = m_minDepth < 0 ? depth : std::min(m_minDepth, depth);
    m_maxDepth = std::max(m_maxDepth, depth);
  }
}

u32 CSwfDefineSprite::Write(CSwfBitWriter& writer) { return WriteBody(writer, true); }

u32 CSwfDefineSprite::WriteBody(CSwfBitWriter& writer, bool withHeader) {
  CSwfBitWriter tags(writer.GetVersion());
  tags.SetStripSound(writer.GetStripSound());
  // A sprite read from a movie takes about what it was read from (a tag
  // that skips its body writes none of it back).
  u64 reserve = std::min(u64(m_tags.size()) * kReservePerTag, kMaxReserve);
  if (m_tagBytesRead) reserve = std::min(reserve, CSwfReader::EstimateRewrittenBytes(m_tagBytesRead));
  tags.Reserve(u32(reserve));
  for (const auto& tag : m_tags) {
    if (writer.GetStripSound() && IsSoundTag(tag->GetCode())) continue;
    // A tag that refused would be missing from the sprite: the sprite refuses.
    if (!WriteSwfTag(*tag, tags)) return 0;
  }
  if (m_tags.empty() || m_tags.back()->GetCode() != kSwfEndCode) CSwfEnd().Write(tags);

  CSwfBitWriter body(writer.GetVersion());
  body.WriteU16(m_characterId);
  body.WriteU16(m_frameCount);
  body.AppendWriter(tags);
  if (withHeader) return writer.WriteTag(*this, body);
  writer.FlushBits();
  const u32 before = writer.GetByteCount();
  writer.AppendWriter(body);
  return writer.GetByteCount() - before;
}

void CSwfDefineSprite::Reset() { DeleteTags(true); }

void CSwfDefineSprite::OffsetIds(u16 idDelta, u16, u16) {
  m_characterId = u16(m_characterId + idDelta);
  for (const auto& tag : m_tags) {
    if (RefersToCharacters(tag->GetCode())) tag->OffsetIds(idDelta, 0, 0);
  }
}

bool CSwfDefineSprite::AddTag(CSwfTag* tag) {
  if (!tag || !MayLiveInSprite(tag->GetCode())) return false;
  if (tag->GetCode() == kSwfShowFrameCode) {
    if (m_frameCount == 0xFFFF) return false;
    ++m_frameCount;
  }
  m_tags.emplace_back(tag);
  return true;
}

void CSwfDefineSprite::AddFrames(u16 n) {
  n = std::min<u16>(n, u16(0xFFFF - m_frameCount));
  for (u16 i = 0; i < n; ++i) m_tags.push_back(std::make_unique<CSwfShowFrame>());
  m_frameCount = u16(m_frameCount + n);
}

size_t CSwfDefineSprite::FindFrameEnd(u32 frame) const {
  u32 seen = 0;
  for (size_t i = 0; i < m_tags.size(); ++i) {
    if (m_tags[i]->GetCode() != kSwfShowFrameCode) continue;
    if (seen++ == frame) return i;
  }
  return m_tags.size();
}

bool CSwfDefineSprite::InsertTagAtFrame(CSwfTag* tag, u16 frame) {
  const u32 frames = u32(frame) + 1;
  if (frames > 0xFFFF) return false;
  if (frames > m_frameCount) {
    if (!m_tags.empty() && m_tags.back()->GetCode() == kSwfEndCode) m_tags.pop_back();
    AddFrames(u16(frames - m_frameCount));
  }
  if (!tag) return true;
  const size_t at = FindFrameEnd(frame);
  if (at == m_tags.size()) return false;
  m_tags.emplace(m_tags.begin() + long(at), tag);
  return true;
}

bool CSwfDefineSprite::AddTagToLastFrame(CSwfTag* tag) {
  for (size_t i = m_tags.size(); i-- > 0;) {
    if (m_tags[i]->GetCode() != kSwfShowFrameCode) continue;
    if (!tag) return true;
    m_tags.emplace(m_tags.begin() + long(i), tag);
    return true;
  }
  return InsertTagAtFrame(tag, 0);
}

bool CSwfDefineSprite::InsertTag(CSwfTag* tag, u16 frame, bool atStart) {
  if (!atStart) return InsertTagAtFrame(tag, frame);
  if (tag) m_tags.emplace(m_tags.begin(), tag);
  return true;
}

void CSwfDefineSprite::DeleteTags(bool deleteObjects) {
  if (!deleteObjects) {
    // The tags belong to whoever holds them (the list is handed over).
    for (auto& tag : m_tags) static_cast<void>(tag.release());
  }
  m_tags.clear();
  m_frameCount = 0;
  m_tagBytesRead = 0;
  m_minDepth = m_maxDepth = -1;
}

void CSwfDefineSprite::RetargetActions(const char* text) {
  for (const auto& tag : m_tags) {
    if (tag->GetCode() != kSwfDoActionCode) continue;
    if (auto* actions = dynamic_cast<CSwfDoAction*>(tag.get())) actions->ApplyPathPrefix(text);
  }
}

void CSwfDefineSprite::Assign(const CSwfDefineSprite& other) {
  if (&other == this) return;
  // Clip actions are written for the later of their own version and the
  // writer's, so the copy is made for the latest of them.
  u8 version = other.m_version;
  for (const auto& tag : other.m_tags) {
    if (const auto* place = dynamic_cast<const CSwfPlaceObject2*>(tag.get()))
      version = std::max(version, place->GetClipActionVersion());
  }
  CSwfBitWriter copy(version);
  const_cast<CSwfDefineSprite&>(other).WriteBody(copy, false);
  CSwfReader reader;
  if (!reader.LoadFromWriter(copy)) return;  // the sprite stays as it was
  DeleteTags(true);
  Read(reader);
}

std::vector<CSwfTag*> CSwfDefineSprite::GetTags() const {
  std::vector<CSwfTag*> tags;
  tags.reserve(m_tags.size());
  for (const auto& tag : m_tags) tags.push_back(tag.get());
  return tags;
}
