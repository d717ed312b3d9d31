// The video tags: a video stream's definition (DefineVideoStream) and its
// frames (VideoFrame), the classification of a Sorenson H.263 frame from its
// picture header, and the builder of a screen-video packet. Frame data is
// kept as stored.
#pragma once

#include <memory>
#include <vector>

#include "swf/swf_record.h"

enum : u16 {
  kSwfDefineVideoStreamCode = 60,
  kSwfVideoFrameCode = 61,
};

// Codec ids of a video stream.
enum : u8 { kSwfVideoSorensonH263 = 2, kSwfVideoScreen = 3 };

class CSwfDefineVideoStream : public CSwfCharacterTag {
 public:
  // Id, frame count, width, height, the flags byte and the codec id.
  u32 Read(CSwfReader& reader) override;
  // The same 10 bytes.
  u32 Write(CSwfBitWriter& writer) override;
  void Reset() override;
  u16 GetCode() const override { return kSwfDefineVideoStreamCode; }
  void OffsetIds(u16 idDelta, u16 depthDelta, u16 frameDelta = 0) override;

  u16 numFrames = 0;
  u16 width = 0;   // pixels
  u16 height = 0;  // pixels
  u8 videoFlags = 0;  // deblocking in bits 1 to 3, smoothing in bit 0
  u8 codecId = 0;
};

class CSwfVideoFrame : public CSwfTag {
 public:
  // The tag's body length, as the factory knows it.
  explicit CSwfVideoFrame(u32 tagLength = 0);
  ~CSwfVideoFrame() override;
  CSwfVideoFrame(const CSwfVideoFrame&) = delete;
  CSwfVideoFrame& operator=(const CSwfVideoFrame&) = delete;

  // Stream id, frame number, then the rest of the body (the reader's tag
  // length, which the factory also gives) as the frame data.
  u32 Read(CSwfReader& reader) override;
  // Stream id, frame number and the frame data; the writer is left at a
  // byte boundary.
  u32 Write(CSwfBitWriter& writer) override;
  void Reset() override;
  u16 GetCode() const override { return kSwfVideoFrameCode; }
  // The stream id grows; the frame number stays.
  void OffsetIds(u16 idDelta, u16 depthDelta, u16 frameDelta = 0) override;

  // Takes ownership of the frame data (null: none), deleting the present one.
  void SetData(CSwfBitWriter* writer);
  // Deletes the frame data.
  void Clear();
  CSwfBitWriter* GetData() const { return m_frameData.get(); }

  // What kind of Sorenson H.263 frame the data holds: 1 a key frame, 2 an
  // inter frame, 3 a disposable inter frame; 0 for any other picture type,
  // and for data too short to hold the picture header (no data included).
  // A header that fits also gives the quantizer.
  u32 GetFrameType();
  u32 GetQuantizer() const { return m_quantizer; }

  u16 streamId = 0;
  u16 frameNum = 0;

 private:
  std::unique_ptr<CSwfBitWriter> m_frameData;
  u32 m_tagLength;
  u32 m_quantizer = 0;
};

// A screen-video packet: the frame's image cut into blocks, each stored
// compressed or left out when unchanged.
class CSwfScreenVideoPacket {
 public:
  // Appends a block (its bytes; empty for an unchanged block).
  void AddBlock(std::vector<u8> block) { blocks.push_back(std::move(block)); }
  void AddBlock(const u8* bytes, u32 length);

  // The frame byte (a key frame when no block is unchanged, else an inter
  // frame), block and image sizes, then each block's size and bytes.
  // Returns the bytes written; 0, nothing written, when a size cannot be
  // stored: blocks of 16 to 256 pixels in steps of 16, images of at most
  // 4095 pixels, blocks of at most 65535 bytes.
  [[nodiscard]] u32 Write(CSwfBitWriter& writer) const;

  u32 blockWidth = 16;
  u32 blockHeight = 16;
  u32 imageWidth = 0;
  u32 imageHeight = 0;
  std::vector<std::vector<u8>> blocks;
};
