// The bases of every SWF record, tag and action.
//
// A movie is a header followed by tag objects; a tag body is built from
// record objects. Each object reads itself from a movie reader and writes
// itself into a bit writer. Tags read through the reader's tag loop, which
// bounds every read to the tag's body and moves to the announced end
// afterwards, so a tag that reads too little or too much never shifts the
// tags behind it.
#pragma once

#include <cstddef>
#include <memory>

#include "platform/mac_types.h"

class CSwfReader;
class CSwfBitWriter;

class CSwfRecord {
 public:
  virtual ~CSwfRecord() = default;
  // Records, tags and actions live in the engine's object pool
  // (swf_object_pool.h); delete finds the size of the object's own class
  // through the virtual destructor.
  static void* operator new(std::size_t size);
  static void operator delete(void* object, std::size_t size);
  // Reads the object from the reader's position; returns the bytes consumed.
  virtual u32 Read(CSwfReader& reader);
  // Serialises the object; returns the bytes written.
  virtual u32 Write(CSwfBitWriter& writer);
};

class CSwfTag : public CSwfRecord {
 public:
  // Read takes the body (the header has been consumed; the body length is
  // the reader's current tag length); Write writes the whole tag, header
  // included, through CSwfBitWriter::WriteTagHeader.
  // Releases owned parts and returns the tag to its empty state.
  virtual void Reset();
  virtual u16 GetCode() const = 0;
  // Shifts the character ids, depths and frames the tag holds or refers to,
  // so that one movie's tags can be merged into another.
  virtual void OffsetIds(u16 idDelta, u16 depthDelta, u16 frameDelta = 0);
  // The character id of tags that define or carry one; 0 and a no-op in the
  // base, so that every tag answers the same calls.
  virtual u16 GetCharacterId() const;
  virtual void SetCharacterId(u16 id);
};

// Tags that define or carry a character id.
class CSwfCharacterTag : public CSwfTag {
 public:
  u16 GetCharacterId() const override;
  void SetCharacterId(u16 id) override;

 protected:
  u16 m_characterId = 0;
};

// A copy of a record held by pointer, null for none. The copy is of the
// pointer's own type (a derived record held through its base would lose
// its own part): holders of such records clone them instead.
template <typename Record>
std::unique_ptr<Record> CopySwfRecord(const std::unique_ptr<Record>& record) {
  return record ? std::make_unique<Record>(*record) : nullptr;
}
