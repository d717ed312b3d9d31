// A movie held in memory as a tag list and produced as bytes in one go: the
// in-memory counterpart of the file writer.
#pragma once

#include <memory>
#include <ostream>
#include <vector>

#include "swf/swf_header.h"

class CSwfTag;

class CSwfMovieBuilder {
 public:
  CSwfMovieBuilder();
  ~CSwfMovieBuilder();
  CSwfMovieBuilder(const CSwfMovieBuilder&) = delete;
  CSwfMovieBuilder& operator=(const CSwfMovieBuilder&) = delete;

  // Stage 0, 0 to width, height (twips).
  void SetParams(u32 width, u32 height, f32 frameRate, u8 version);
  // Takes ownership and appends (null is ignored); a ShowFrame adds a frame.
  void AddTag(CSwfTag* tag);
  void DeleteTags();

  // Appends the movie to `out`: the header (the given one, which receives the
  // frame count and length, or one made from the stage, rate and version),
  // every tag serialised for the header's version, and an End tag when the
  // list does not end with one. Returns the bytes appended; 0, with `out`
  // and the header untouched, when a tag refuses to write itself (a value
  // that no field can hold). A script without actions writes nothing and
  // is no failure.
  [[nodiscard]] u32 BuildMovie(std::vector<u8>& out, CSwfHeader* header);
  // The same into a stream; 0, nothing written, when a tag refuses, and 0
  // when the stream fails.
  [[nodiscard]] u32 WriteMovie(std::ostream& stream, CSwfHeader* header);

  // The tags in order, for the tag-list queries; they belong to the builder.
  std::vector<CSwfTag*> GetTags() const;
  u16 GetFrameCount() const { return m_frameCount; }

 private:
  std::vector<std::unique_ptr<CSwfTag>> m_tags;
  u16 m_frameCount = 0;
  CSwfHeader m_stage;  // the stage, rate and version of a movie built without a header
};
