// The movie reader: holds a movie's bytes, parses its header and reads its
// tags, and is the source every tag, action and record reads itself from.
//
// Every read stays inside a window: the loaded data, and while a tag is read
// the tag's body. Reads past the window give 0 and do not move; lengths are
// clamped to what the window holds. So a tag that announces more than its
// body (or a movie cut short) never pulls bytes of the following tags into
// an object, and a cut-short movie ends in the End tag that the exhausted
// data yields.
//
// Tags belong to whoever holds them after reading: the reader deletes them
// only in DeleteTags(true), and TakeTags hands them over as owned objects.
//
// What a movie's reading makes is bounded by the movie's bytes, for the
// whole movie: while the tag loop reads, everything its tags have taken so
// far may not pass kObjectBytesPerByte bytes for every byte of the movie
// read so far, plus kObjectAllowance. Taken means every object drawn from
// the engine's object pool (swf_object_pool.h), new or reused, and what
// the objects' standard containers grow by (charged to the same count), so
// that the count grows at least as fast as what the process holds (the
// pool keeps its blocks) and as the work done. A tag whose reading would
// pass the bound (counts of entries that take no bits, records of a byte
// each that make objects of dozens) stops reading, as if its body had
// ended, and is kept as its raw bytes, so that it is written back
// unchanged and nothing is lost; what its reading took stays charged, and
// the tags behind it have only what their own bytes add. No movie made by
// an authoring tool comes near the bound.
//
// A tag's parts are read only where its offsets and sizes put them and
// only when its body holds all of them. Some tags carry offsets to their
// parts (a font's glyphs and code table, a button's condition actions, a
// morph shape's end edges); their reading follows the offsets. A tag whose
// reading finds that its body disagrees with what its parts say (parts
// that share or overlap bytes, lie out of order or outside the body, a
// size too small for what it holds, a kind the format does not know, a
// value wider than the field the class keeps it in) says so with
// SetBodyDisagrees; a read that asks for more than the body holds (a part
// the body cuts short, a count of records the body has no bytes for) says
// so by itself. Either way the tag loop keeps the tag as its raw bytes, as
// a tag past the bound is kept, so that what the classes cannot hold is
// never written back with other content. The header of a tag that the end
// of a body cuts off is no fault of the tag around it: a sprite whose tags
// run to its end without an End tag ends in one, as a movie does.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "swf/swf_header.h"
#include "swf/swf_object_pool.h"

class CPathName;
class CSwfBitWriter;
class CSwfTag;

class CSwfReader {
 public:
  // How deep tag reads may nest (sprites read their inner tags through a
  // nested tag loop); a tag whose tags would nest deeper is kept as its raw
  // bytes, as a tag past the bound is.
  static constexpr u16 kMaxTagNesting = 32;
  // The bound on what the tag loop's reading makes (see above).
  static constexpr u64 kObjectBytesPerByte = 44;
  static constexpr u64 kObjectAllowance = u64(4) << 20;

  CSwfReader();
  virtual ~CSwfReader();
  CSwfReader(const CSwfReader&) = delete;
  CSwfReader& operator=(const CSwfReader&) = delete;

  virtual void Close();
  // Empties the reader: default header, no bytes, no tags (none deleted).
  virtual void Reset();
  // The writer's bytes (its partial byte flushed), version and length.
  [[nodiscard]] virtual bool LoadFromWriter(CSwfBitWriter& writer);
  // A movie file, plain or compressed ("CWS", expanded in memory no further
  // than its announced length; a failed expansion fails the load). Loads the
  // announced length (or byteLimit when it is not 0) as far as the file
  // holds it; parses the tags when asked.
  [[nodiscard]] virtual bool LoadFile(const CPathName& path, bool checkSignature, u32 byteLimit,
                                      bool parseTags);
  // Loads a whole movie file with the shallow factory: only the tags that
  // movie queries inspect get classes, every other tag stays raw.
  [[nodiscard]] virtual bool LoadFileShallow(const CPathName& path);
  // A movie in memory: "FWS" with checkSignature, else data that begins at
  // the file-length field. Loads the announced length (or byteLimit when it
  // is not 0) as far as the block holds it. A "CWS" block is not expanded:
  // the compressed flag is set and the result is false.
  [[nodiscard]] virtual bool LoadFromMemory(const u8* bytes, u32 size, bool checkSignature,
                                            u32 byteLimit, bool parseTags);
  virtual void DeleteTags(bool destroy);
  // Frame width and height in twips.
  virtual void GetMovieSize(u32& width, u32& height);

  virtual void Seek(u32 position);
  virtual void Skip(u32 count);
  virtual void AlignByte();
  // `count` bits, most significant first; with isSigned sign-extended. A
  // field wider than 32 bits gives its low 32 bits; when those do not hold
  // its value (bits above them that are not all zeros, or with isSigned
  // not all copies of the sign), the tag being read disagrees with its
  // body.
  virtual u32 ReadBits(u16 count, bool isSigned);
  // The next whole byte without moving; 0 at the end.
  virtual u8 PeekByte();
  virtual u8 ReadU8();
  virtual u16 ReadU16();
  virtual u32 ReadU32();
  // With length > 0: that many bytes, a last zero byte dropped. With length
  // 0: up to a zero byte, which is consumed and not stored.
  virtual void ReadString(std::string& out, u32 length);
  // Appends up to count bytes to out; returns how many there were.
  virtual u32 ReadBytes(std::vector<u8>& out, u32 count);
  // The next `count` bytes (at most kFetchChunk) without moving, when the
  // reader is at a byte boundary and the window holds them all; else null.
  // Valid until the next read.
  [[nodiscard]] const u8* PeekBytes(u32 count);

  // Reads one tag and returns it without storing it.
  [[nodiscard]] CSwfTag* ReadNextTag();
  // Reads tags from source (this reader when null) into this reader's tag
  // vector, emptied first without deleting, until the End tag or, when
  // frameLimit is not 0, the ShowFrame that completes frameLimit frames.
  void ReadAllTags(CSwfReader* source, u32 frameLimit);
  // A new empty tag object for a code; the caller reads and owns it.
  [[nodiscard]] CSwfTag* CreateTag(u16 code, u32 length);
  // The factory of the shallow load: only the tags it inspects get classes.
  [[nodiscard]] CSwfTag* CreateShallowTag(u16 code, u32 length);
  // The header and then every tag; the header's length field gets the
  // length actually written. Returns the writer's byte count, 0 when a tag
  // refused to write itself (a value no field can hold; a script without
  // actions is left out by design) or the length field could not be set.
  [[nodiscard]] u32 WriteMovie(CSwfBitWriter& writer);

  // The tags read; they belong to whoever holds them (see DeleteTags).
  std::vector<CSwfTag*>& GetTags() { return m_tags; }
  // Hands the tags read over to the caller, leaving the list empty.
  [[nodiscard]] std::vector<std::unique_ptr<CSwfTag>> TakeTags();
  CSwfHeader& GetHeader() { return m_header; }
  const std::vector<u8>& GetMovieBytes() const { return m_bytes; }
  // The SWF version of the data being read (the header's).
  u8 GetVersion() const { return m_header.GetVersion(); }
  bool IsCompressed() const { return m_compressed != 0; }
  u16 GetFrameCounter() const { return m_frameCounter; }

  u32 GetPosition() const { return m_position; }
  u8 GetBitPosition() const { return m_bitPosition; }
  // Bytes left before the end of the current window.
  u32 GetRemaining() const { return m_position < m_limit && !m_overBudget ? m_limit - m_position : 0; }
  // Where the current window ends (a tag's body, while it is read).
  u32 GetWindowEnd() const { return m_limit; }
  // The body length of the tag being read.
  u32 GetTagLength() const { return m_tagLength; }
  void SetTagLength(u32 length) { m_tagLength = length; }
  // True once a read has asked for more than the window held.
  bool HasOverrun() const { return m_overrun; }
  // For a loop over the records that a count announces: true while the
  // window holds another byte. False once it does not: the count says more
  // than the body holds, which counts as a read past the window.
  [[nodiscard]] bool HoldsMoreRecords();
  // While one lives, reads past the window are not held against the tag
  // being read: an action list reads inside one, as it keeps what its body
  // holds whatever the lengths of its actions say (a payload cut by the
  // body keeps what there is, and the actions behind one stay where they
  // are).
  class LenientReads {
   public:
    explicit LenientReads(CSwfReader& reader) : m_reader(reader), m_overran(reader.m_bodyOverrun) {}
    ~LenientReads() { m_reader.m_bodyOverrun = m_overran; }
    LenientReads(const LenientReads&) = delete;
    LenientReads& operator=(const LenientReads&) = delete;

   private:
    CSwfReader& m_reader;
    bool m_overran;
  };
  // The tags of the last load kept as raw bytes because their reading
  // passed the bound on what a movie's bytes may make, their tags would
  // nest deeper than kMaxTagNesting, or their bodies disagreed with what
  // their parts say (see above).
  u32 GetTagsKeptRaw() const { return m_tagsKeptRaw; }
  // Called by a tag's reading when what its body holds disagrees with what
  // its parts say (see above): the tag loop keeps the tag as its raw bytes.
  void SetBodyDisagrees() { m_bodyDisagrees = true; }
  // The bytes of the tags that the last tag loop into this reader read:
  // their headers and what each read of its body (about what writing them
  // back takes).
  u64 GetTagBytesRead() const { return m_tagBytes; }
  // About what writing back tags read from `tagBytes` takes: a little more,
  // as short tag headers may become long ones.
  static constexpr u64 EstimateRewrittenBytes(u64 tagBytes) { return tagBytes + tagBytes / 16 + 64; }

  // Bounds reads to the next `length` bytes (as far as the present window
  // reaches) until EndBody, which restores the window and moves to the end
  // of the body, however much of it was read. The tag loop reads every tag
  // body this way; records with a length of their own can do the same.
  struct Body {
    u32 floor, limit, tagLength, end;
  };
  Body BeginBody(u32 length);
  void EndBody(const Body& body);

 protected:
  // LoadFile over an open file at its start (the caller closes it). A "CWS"
  // movie is expanded in memory no further than its announced length (or
  // byteLimit); one whose expansion fails does not load.
  [[nodiscard]] bool LoadFromStdioFile(std::FILE* file, bool checkSignature, u32 byteLimit, bool parseTags);
  // Takes the loaded bytes as the data, parses the header and, when asked,
  // the tags. False (and the reader reset) when the header does not fit.
  [[nodiscard]] bool ParseLoadedMovie(bool checkSignature, bool parseTags);
  // Where the typed reads find their bytes: a block covering
  // [m_dataStart, m_dataEnd) of the data. Fetch gives `count` bytes at a
  // position inside the window (at most kFetchChunk), asking Refill to bring
  // them in when the block does not cover them; the in-memory reader holds
  // every byte, the file reader refills a buffer from its stream.
  static constexpr u32 kFetchChunk = 1u << 16;
  [[nodiscard]] const u8* Fetch(u32 position, u32 count);
  [[nodiscard]] virtual bool Refill(u32 position, u32 count);
  // The block is the movie bytes.
  void UseMovieBytes();
  // `count` bytes at the position (after aligning), or null, and moves past them.
  [[nodiscard]] const u8* Take(u32 count);
  // Reads one tag from source with this reader's factory.
  [[nodiscard]] std::unique_ptr<CSwfTag> ReadTagFrom(CSwfReader& source, bool shallow);
  // The loop of ReadAllTags, also used by the shallow load.
  void ReadTagsFrom(CSwfReader& source, u32 frameLimit, bool shallow);
  // Counts heap that the reading of this reader's movie takes outside the
  // object pool against the bound.
  void ChargeBudget(size_t bytes);
  // A read asked for more than the window holds.
  void NoteOverrun() {
    m_overrun = true;
    m_bodyOverrun = true;
  }
  u16 m_frameCounter = 0;
  std::vector<CSwfTag*> m_tags;
  std::vector<u8> m_bytes;
  u32 m_position = 0;
  CSwfHeader m_header;
  u8 m_bitPosition = 0;
  u8 m_compressed = 0;
  u32 m_tagLength = 0;
  u32 m_floor = 0;
  u32 m_limit = 0;
  u16 m_nesting = 0;
  bool m_overrun = false;
  // The bound on what the tag loop makes: while a tag is read (m_budgetOn),
  // the objects made for it and the m_budgetUsed of the tags before it may
  // not pass the bound of the bytes read; the pool's limit
  // (SetSwfObjectLimit) sets m_overBudget once they do, which ends every
  // read of the tag.
  bool m_budgetOn = false;
  bool m_overBudget = false;
  u64 m_budgetUsed = 0;
  u32 m_tagsKeptRaw = 0;
  // Set when a tag loop would nest deeper than kMaxTagNesting: the tag that
  // started it is kept as its bytes.
  bool m_tooDeep = false;
  // Set by the reading of a tag whose body disagrees with its parts (see
  // SetBodyDisagrees), and by a read past the window while a tag is read:
  // that tag is kept as its bytes.
  bool m_bodyDisagrees = false;
  bool m_bodyOverrun = false;
  // The bytes of the tags the tag loop that filled m_tags read (headers and
  // what each read of its body), and those of the last tag read.
  u64 m_tagBytes = 0;
  u32 m_lastTagBytes = 0;
  const u8* m_data = nullptr;
  u32 m_dataStart = 0;
  u32 m_dataEnd = 0;
};

