// Writing a movie file tag by tag, so that a movie can be assembled from the
// tags of several sources without holding it in memory.
//
// Open writes the header with placeholders; each tag is serialised and
// written as it arrives (a frame label equal to one written before is left
// out, sound tags too when asked, and a script without actions writes
// nothing); Close patches the real file length and frame count into the
// header. Every frame written is announced to the listeners with its index,
// counted from 0. Tags handed over belong to the writer, which deletes them
// once written unless told to keep them.
//
// A tag that refuses to write itself (it holds a value that no field of
// the format can hold) cannot be left out quietly: the movie would lack
// it. The writer then counts as failed, like one whose file write failed:
// it writes nothing more and Close reports the failure.
#pragma once

#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "foundation/path_name.h"
#include "foundation/signal.h"
#include "swf/swf_header.h"

class CSwfBitWriter;
class CSwfTag;

class CSwfFileWriter : public CSignal<u32> {
 public:
  // With forceMinimumStage, a stage smaller than 1280 x 960 pixels in either
  // direction is written as 1280 x 960.
  explicit CSwfFileWriter(bool forceMinimumStage);
  // Closes an open file, patching its header (see CloseLeftOpen).
  ~CSwfFileWriter() override;

  // Stage 0, 0 to width, height (twips).
  void SetParams(u32 width, u32 height, f32 frameRate, u8 version);
  void SetParamsFromHeader(const CSwfHeader& header);
  // Creates the file (type 'SWFL', creator 'SWF2'; an existing file is
  // replaced only with `replace`, a folder never) and writes the header. An
  // open file is closed first (see CloseLeftOpen).
  [[nodiscard]] bool Open(const CPathName& path, bool replace);
  // Writes one tag; returns the bytes written, 0 for a null tag, a dropped
  // one, a tag that refused, a write that failed or a writer without a
  // file. A refused tag or a failed write makes the writer fail.
  u32 WriteTag(CSwfTag* tag, bool keepTag);
  // The writer's bytes as they stand (its partial byte flushed); returns
  // how many, 0 when the write failed or no file is open.
  u32 WriteBitWriter(CSwfBitWriter& writer);
  // The bytes of a handle, which is then disposed of; 0, the handle left
  // alone, when it or its block is null or empty.
  u32 WriteHandle(Handle handle);
  // Rewrites the recorded depth fields densely: the smallest depth becomes
  // base + 1, the next base + 2, and so on.
  void RenumberDepths(u16 base);
  // Patches the header and closes the file; returns its length, 0 when a
  // tag refused, a write failed or no file was open.
  [[nodiscard]] u32 Close();

  // Options, all off unless set: record the depth fields of PlaceObject2 and
  // RemoveObject2 (and the clip depths of PlaceObject2) for RenumberDepths;
  // leave sound tags out.
  void SetRecordDepths(bool on) { m_recordDepths = on ? 1 : 0; }
  void SetRecordClipDepths(bool on) { m_recordClipDepths = on ? 1 : 0; }
  void SetStripSound(bool on) { m_stripSound = on ? 1 : 0; }

  bool IsOpen() const { return m_stream.is_open(); }
  // Whether a tag refused or a write failed since Open.
  bool HasFailed() const { return m_failed; }
  u16 GetFramesWritten() const { return m_framesWritten; }
  const CPathName& GetPath() const { return m_path; }

 private:
  // Closes a movie still open; one whose header could not be completed is
  // deleted.
  void CloseLeftOpen();
  // Writes bytes at the end of the file; false when the stream failed.
  [[nodiscard]] bool Append(const u8* bytes, size_t count);
  [[nodiscard]] bool PatchU16(u32 position, u16 value);
  [[nodiscard]] bool PatchU32(u32 position, u32 value);
  void RecordDepths(CSwfTag& tag, u32 tagPosition, u32 headerLength);

  std::vector<std::string> m_labels;
  std::vector<std::pair<u32, u16>> m_depthRecords;  // file position, depth
  u8 m_recordDepths = 0;
  u8 m_recordClipDepths = 0;
  u8 m_stripSound = 0;
  u8 m_forceMinimumStage;
  std::fstream m_stream;
  CPathName m_path;
  bool m_failed = false;
  CSwfHeader m_stage;  // stage, rate and version of the movie
  u16 m_framesWritten = 0;
  u32 m_headerEnd = 0;
};
