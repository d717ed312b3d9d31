#include "swf/swf_record.h"

#include "swf/swf_object_pool.h"

void* CSwfRecord::operator new(std::size_t size) { return AllocateSwfObject(size); }

void CSwfRecord::operator delete(void* object, std::size_t size) { FreeSwfObject(object, size); }

u32 CSwfRecord::Read(CSwfReader&) { return 0; }

u32 CSwfRecord::Write(CSwfBitWriter&) { return 0; }

void CSwfTag::Reset() {}

void CSwfTag::OffsetIds(u16, u16, u16) {}

u16 CSwfTag::GetCharacterId() const { return 0; }

void CSwfTag::SetCharacterId(u16) {}

u16 CSwfCharacterTag::GetCharacterId() const { return m_characterId; }

void CSwfCharacterTag::SetCharacterId(u16 id) { m_characterId = id; }
