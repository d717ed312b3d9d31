// The sound tags: an event sound (DefineSound), the tag that starts one
// (StartSound), the head of a sound stream (SoundStreamHead and
// SoundStreamHead2) and the stream's blocks (SoundStreamBlock), with the
// sound-info record that says how a sound is played (StartSound and the
// button sounds use it).
//
// Sound data is kept as stored. Every length taken from a tag is bounded by
// the tag's body, and every count read is bounded by what the body holds.
#pragma once

#include <memory>
#include <vector>

#include "swf/swf_object_pool.h"
#include "swf/swf_record.h"

enum : u16 {
  kSwfDefineSoundCode = 14,
  kSwfStartSoundCode = 15,
  kSwfSoundStreamHeadCode = 18,
  kSwfSoundStreamBlockCode = 19,
  kSwfSoundStreamHead2Code = 45,
};

// Sound compressions (the high 4 bits of a stream head's stream format, or
// of a DefineSound's format byte).
enum : u8 { kSwfSoundMp3 = 2 };

// One point of a sound envelope.
struct CSwfSoundEnvelope : CSwfPooledObject {
  u32 pos44 = 0;  // position in 44 kHz samples
  u16 leftLevel = 0;
  u16 rightLevel = 0;
};

// How a sound is played: in and out points, loops, an envelope, and the
// no-multiple and stop flags.
class CSwfSoundInfo {
 public:
  enum : u8 {
    kHasInPoint = 0x01,
    kHasOutPoint = 0x02,
    kHasLoops = 0x04,
    kHasEnvelope = 0x08,
    kNoMultiple = 0x10,
    kStop = 0x20,
  };
  // The most points the record can count.
  static constexpr size_t kMaxEnvelopePoints = 255;

  CSwfSoundInfo() = default;
  CSwfSoundInfo(const CSwfSoundInfo& other) { *this = other; }
  CSwfSoundInfo& operator=(const CSwfSoundInfo& other);

  // The flags byte and the fields it announces; no more envelope points
  // than the body holds. Returns the bytes consumed.
  u32 Read(CSwfReader& reader);
  // The flags byte and the fields it announces; the point count written is
  // the number of points held. Returns the bytes written.
  u32 Write(CSwfBitWriter& writer) const;

  // Appends a zeroed point (and sets the envelope flag); null, nothing
  // added, when the record holds as many points as it can count.
  [[nodiscard]] CSwfSoundEnvelope* AddEnvelopePoint();
  void ClearEnvelope() { m_envelope.clear(); }
  size_t GetEnvelopeSize() const { return m_envelope.size(); }
  const CSwfSoundEnvelope& GetEnvelopePoint(size_t index) const { return *m_envelope[index]; }

  u8 flags = 0;
  u32 inPoint = 0;
  u32 outPoint = 0;
  u16 loopCount = 0;
  u8 envelopeCount = 0;  // as read

 private:
  std::vector<std::unique_ptr<CSwfSoundEnvelope>> m_envelope;
};

class CSwfDefineSound : public CSwfCharacterTag {
 public:
  CSwfDefineSound() = default;
  CSwfDefineSound(const CSwfDefineSound&) = default;
  CSwfDefineSound& operator=(const CSwfDefineSound&) = default;

  // Id, format byte, sample count, then the rest of the body as data.
  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;
  void Reset() override;
  u16 GetCode() const override { return kSwfDefineSoundCode; }
  void OffsetIds(u16 idDelta, u16 depthDelta, u16 frameDelta = 0) override;

  // Replaces the data, or with `append` extends it.
  void SetData(const u8* bytes, u32 length, bool append);
  // Takes id, format, sample count and data from a whole stored tag (short
  // or long header). False, nothing changed, when the bytes are not a
  // DefineSound tag or are shorter than its header announces.
  [[nodiscard]] bool SetFromTagBytes(const u8* bytes, u32 size);

  u8 GetFormat() const { return m_format; }
  void SetFormat(u8 format) { m_format = format; }
  u32 GetSampleCount() const { return m_sampleCount; }
  void SetSampleCount(u32 count) { m_sampleCount = count; }
  const std::vector<u8>& GetData() const { return m_data; }

 private:
  u8 m_format = 0;
  u32 m_sampleCount = 0;
  std::vector<u8> m_data;
};

class CSwfStartSound : public CSwfCharacterTag {
 public:
  CSwfStartSound() = default;
  // Starts the given sound, with an empty sound info.
  explicit CSwfStartSound(const CSwfDefineSound& sound) { m_characterId = sound.GetCharacterId(); }

  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;
  void Reset() override;
  u16 GetCode() const override { return kSwfStartSoundCode; }
  // The id of the sound it starts grows.
  void OffsetIds(u16 idDelta, u16 depthDelta, u16 frameDelta = 0) override;

  [[nodiscard]] CSwfSoundEnvelope* AddEnvelopePoint() { return info.AddEnvelopePoint(); }

  CSwfSoundInfo info;
};

// The head of a sound stream. It counts as a character tag: its id takes
// part in renumbering but is neither read nor written.
class CSwfSoundStreamHead : public CSwfCharacterTag {
 public:
  // Playback format, stream format and sample count; an MP3 stream's
  // latency seek follows when the body holds it.
  u32 Read(CSwfReader& reader) override;
  // The low 4 bits of the playback format, the stream format, the sample
  // count, and for an MP3 stream its latency seek (the layout requires it).
  u32 Write(CSwfBitWriter& writer) override;
  void Reset() override;
  u16 GetCode() const override { return kSwfSoundStreamHeadCode; }
  void OffsetIds(u16 idDelta, u16 depthDelta, u16 frameDelta = 0) override;

  // The compression of the stream (the high 4 bits of the stream format).
  u8 GetCompression() const { return m_streamFormat >> 4; }

  u8 GetPlaybackFormat() const { return m_playbackFormat; }
  void SetPlaybackFormat(u8 format) { m_playbackFormat = format; }
  u8 GetStreamFormat() const { return m_streamFormat; }
  void SetStreamFormat(u8 format) { m_streamFormat = format; }
  u16 GetSampleCount() const { return m_sampleCount; }
  void SetSampleCount(u16 count) { m_sampleCount = count; }
  s16 GetLatencySeek() const { return m_latencySeek; }
  void SetLatencySeek(s16 latency) { m_latencySeek = latency; }

 private:
  u8 m_playbackFormat = 0;
  u8 m_streamFormat = 0;
  u16 m_sampleCount = 0;
  s16 m_latencySeek = 0;
};

class CSwfSoundStreamHead2 : public CSwfSoundStreamHead {
 public:
  u16 GetCode() const override { return kSwfSoundStreamHead2Code; }
};

class CSwfSoundStreamBlock : public CSwfTag {
 public:
  // The whole body is the block's data.
  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;
  void Reset() override { m_data.clear(); }
  u16 GetCode() const override { return kSwfSoundStreamBlockCode; }

  // Appends the block's sound bytes to `out`: for an MP3 stream without the
  // block's leading sample count and seek (4 bytes), for any other stream
  // every byte. Nothing without a head.
  void ExtractSoundData(std::vector<u8>& out, const CSwfSoundStreamHead* head) const;

  const std::vector<u8>& GetData() const { return m_data; }
  void SetData(const std::vector<u8>& data) { m_data = data; }

 private:
  std::vector<u8> m_data;
};
