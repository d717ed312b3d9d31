// The base of every action record of a movie script, and the action that
// keeps any opcode without a class of its own as raw bytes.
//
// An action is an opcode byte; opcodes from 0x80 on carry a u16 payload
// length and the payload. Lists read the opcode and hand the rest to the
// action's Read. The encoded size is the number of bytes Write emits: branch
// offsets are computed from it.
//
// A payload that its u16 length cannot announce is never written with a
// length that wraps: such an action writes nothing and its encoded size is
// 0, so a list leaves it out and the branches around it stay on their
// targets. (Push splits its values over several actions instead.)
#pragma once

#include <vector>

#include "swf/swf_record.h"

class CSwfAction : public CSwfRecord {
 public:
  // The most payload bytes the u16 length of an action can announce.
  static constexpr u32 kMaxPayloadLength = 0xFFFF;

  // Nothing: the opcode byte has already been consumed by the list.
  u32 Read(CSwfReader& reader) override;
  // The opcode byte; returns 1.
  u32 Write(CSwfBitWriter& writer) override;
  virtual CSwfAction* AsAction() { return this; }
  virtual u8 GetOpcode() const { return 0; }
  // Adds frameDelta to the frame numbers the action refers to, when movies
  // are merged; most actions hold none.
  virtual void ShiftFrames(u16 idDelta, u16 depthDelta, u16 frameDelta);
  // Bytes in a stream: 1 below opcode 0x80, else 3 plus the payload.
  virtual u32 GetEncodedSize() const { return 1; }

 protected:
  // The encoded size of an action from 0x80 on with that payload: 3 + the
  // payload, or 0 when the length word cannot hold it.
  static u32 EncodedSizeFor(u32 payloadLength) {
    return payloadLength > kMaxPayloadLength ? 0 : payloadLength + 3;
  }
  // The opcode and the u16 payload length (which the caller has checked).
  void WriteHeader(CSwfBitWriter& writer, u32 payloadLength) const;
  // The whole action when its payload is one byte; returns 4.
  u32 WriteBytePayload(CSwfBitWriter& writer, u8 value) const;
};

// Any opcode kept as its raw payload and written back byte for byte.
class CSwfGenericAction : public CSwfAction {
 public:
  explicit CSwfGenericAction(u8 opcode) : m_opcode(opcode) {}
  CSwfGenericAction(u8 opcode, const std::vector<u8>& payload);

  // From 0x80 on: the u16 length and that many bytes (as many as there are).
  u32 Read(CSwfReader& reader) override;
  // Writes nothing for a payload longer than a length word can announce.
  u32 Write(CSwfBitWriter& writer) override;
  u8 GetOpcode() const override { return m_opcode; }
  u32 GetEncodedSize() const override;

  const std::vector<u8>& GetPayload() const { return m_payload; }
  // The payload length the action was read with.
  u16 GetLength() const { return m_length; }

 private:
  std::vector<u8> m_payload;
  u8 m_opcode;
  u16 m_length = 0;
};
