#include "swf/swf_movie_builder.h"

#include "swf/swf_action_list.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_control_tags.h"
#include "swf/swf_display_tags.h"

void CSwfMovieBuilder::SetParams(u32 width, u32 height, f32 frameRate, u8 version) {
  m_stage.SetParams(width, height, frameRate, 0, version);
}

CSwfMovieBuilder::CSwfMovieBuilder() = default;

CSwfMovieBuilder::~CSwfMovieBuilder() = default;

void CSwfMovieBuilder::AddTag(CSwfTag* tag) {
  if (!tag) return;
  m_tags.emplace_back(tag);
  if (tag->GetCode() == kSwfShowFrameCode) ++m_frameCount;
}

void CSwfMovieBuilder::DeleteTags() {
  m_tags.clear();
  m_frameCount = 0;
}

std::vector<CSwfTag*> CSwfMovieBuilder::GetTags() const {
  std::vector<CSwfTag*> tags;
  tags.reserve(m_tags.size());
  for (const auto& tag : m_tags) tags.push_back(tag.get());
  return tags;
}

u32 CSwfMovieBuilder::BuildMovie(std::vector<u8>& out, CSwfHeader* header) {
  CSwfHeader made = m_stage;
  if (!header) header = &made;
  CSwfBitWriter tags(header->GetVersion());
  u16 frames = 0;
  for (const auto& tag : m_tags) {
    // A tag that refused would be missing from the movie.
    if (!WriteSwfTag(*tag, tags)) return 0;
    if (tag->GetCode() == kSwfShowFrameCode) ++frames;
  }
  if (m_tags.empty() || m_tags.back()->GetCode() != kSwfEndCode) {
    CSwfEnd end;
    end.Write(tags);
  }
  // The header's size does not depend on its length and frame fields.
  CSwfBitWriter sizing(4);
  header->Write(sizing);
  header->SetFrameCount(frames);
  header->SetFileLength(sizing.GetByteCount() + tags.GetByteCount());
  CSwfBitWriter movie(4);
  header->Write(movie);
  movie.AppendWriter(tags);
  const std::vector<u8>& bytes = movie.GetBytes();
  out.insert(out.end(), bytes.begin(), bytes.end());
  return u32(bytes.size());
}

u32 CSwfMovieBuilder::WriteMovie(std::ostream& stream, CSwfHeader* header) {
  std::vector<u8> bytes;
  if (BuildMovie(bytes, header) == 0) return 0;
  stream.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return stream ? u32(bytes.size()) : 0;
}
