#include "swf/swf_actions.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "platform/text_encoding.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_reader.h"

namespace {

u32 ConsumedSince(const CSwfReader& reader, u32 start) { return reader.GetPosition() - start; }

// The payload of an action that holds one byte, after its length word.
u32 ReadBytePayload(CSwfReader& reader, u8& field) {
  const u32 start = reader.GetPosition();
  reader.ReadU16();
  field = reader.ReadU8();
  return ConsumedSince(reader, start);
}

std::string ReadString(CSwfReader& reader) {
  std::string text;
  reader.ReadString(text, 0);
  return text;
}

// A string value as written under a path prefix given in slash form ("/clip"):
// an absolute path gets the prefix in front, "_root" gets it behind with a
// dot ("_root.clip"); anything else stays as it is.
bool IsRelocated(const std::string& value, const std::string& prefix) {
  return !prefix.empty() && ((!value.empty() && value[0] == '/') || value == "_root");
}

std::string Relocated(const std::string& value, const std::string& prefix) {
  if (!IsRelocated(value, prefix)) return value;
  if (value[0] == '/') return '/' + prefix.substr(1) + value;
  return value + '.' + prefix.substr(1);
}

// The length of Relocated(value, prefix), without making it.
u32 RelocatedSize(const std::string& value, const std::string& prefix) {
  return u32(value.size() + (IsRelocated(value, prefix) ? prefix.size() : 0));
}

// Relocated(value, prefix) and its 0 byte; a value that stays as it is
// goes out without a copy.
void WriteRelocated(CSwfBitWriter& writer, const std::string& value, const std::string& prefix) {
  if (IsRelocated(value, prefix))
    writer.AppendTerminatedString(Relocated(value, prefix));
  else
    writer.AppendTerminatedString(value);
}

template <typename Container>
void InsertAt(Container& items, typename Container::value_type item, u32 position) {
  items.insert(position < items.size() ? items.begin() + position : items.end(), std::move(item));
}

}  // namespace

// ---- frames, URLs, registers, labels ----

u32 CSwfActionGotoFrame::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  reader.ReadU16();
  frame = reader.ReadU16();
  return ConsumedSince(reader, start);
}

u32 CSwfActionGotoFrame::Write(CSwfBitWriter& writer) {
  WriteHeader(writer, 2);
  writer.WriteU16(frame);
  return GetEncodedSize();
}

void CSwfActionGotoFrame::ShiftFrames(u16, u16, u16 frameDelta) { frame = u16(frame + frameDelta); }

u32 CSwfActionGetURL::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  reader.ReadU16();
  url = ReadString(reader);
  target = ReadString(reader);
  return ConsumedSince(reader, start);
}

u32 CSwfActionGetURL::Write(CSwfBitWriter& writer) {
  if (GetEncodedSize() == 0) return 0;
  WriteHeader(writer, u32(url.size() + target.size() + 2));
  writer.AppendTerminatedString(url);
  writer.AppendTerminatedString(target);
  return GetEncodedSize();
}

u32 CSwfActionStoreRegister::Read(CSwfReader& reader) { return ReadBytePayload(reader, reg); }

u32 CSwfActionStoreRegister::Write(CSwfBitWriter& writer) { return WriteBytePayload(writer, reg); }

u32 CSwfActionWaitForFrame::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  reader.ReadU16();
  frame = reader.ReadU16();
  skipCount = reader.ReadU8();
  return ConsumedSince(reader, start);
}

u32 CSwfActionWaitForFrame::Write(CSwfBitWriter& writer) {
  WriteHeader(writer, 3);
  writer.WriteU16(frame);
  writer.WriteU8(skipCount);
  return GetEncodedSize();
}

void CSwfActionWaitForFrame::ShiftFrames(u16, u16, u16 frameDelta) {
  frame = u16(frame + frameDelta);
}

u32 CSwfActionSetTarget::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  reader.ReadU16();
  target = ReadString(reader);
  return ConsumedSince(reader, start);
}

u32 CSwfActionSetTarget::Write(CSwfBitWriter& writer) {
  if (GetEncodedSize() == 0) return 0;
  WriteHeader(writer, u32(pathPrefix.size() + target.size() + 1));
  writer.AppendString(pathPrefix);
  writer.AppendTerminatedString(target);
  return GetEncodedSize();
}

void CSwfActionSetTarget::SetPathPrefix(const char* prefix) {
  if (prefix && !target.empty() && target[0] == '/')
    pathPrefix = prefix;
  else
    pathPrefix.clear();
}

u32 CSwfActionGoToLabel::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  reader.ReadU16();
  label = ReadString(reader);
  return ConsumedSince(reader, start);
}

u32 CSwfActionGoToLabel::Write(CSwfBitWriter& writer) {
  if (GetEncodedSize() == 0) return 0;
  WriteHeader(writer, u32(label.size() + 1));
  writer.AppendTerminatedString(label);
  return GetEncodedSize();
}

u32 CSwfActionWaitForFrame2::Read(CSwfReader& reader) { return ReadBytePayload(reader, skipCount); }

u32 CSwfActionWaitForFrame2::Write(CSwfBitWriter& writer) { return WriteBytePayload(writer, skipCount); }

u32 CSwfActionWith::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  const u16 length = reader.ReadU16();
  blockSize = reader.ReadU16();
  name.clear();
  if (length >= 3) name = ReadString(reader);
  return ConsumedSince(reader, start);
}

u32 CSwfActionWith::Write(CSwfBitWriter& writer) {
  if (GetEncodedSize() == 0) return 0;
  if (name.empty()) {
    WriteHeader(writer, 2);
    writer.WriteU16(blockSize);
  } else {
    WriteHeader(writer, u32(name.size() + 3));
    writer.WriteU16(blockSize);
    writer.AppendTerminatedString(name);
  }
  return GetEncodedSize();
}

u32 CSwfActionGetURL2::Read(CSwfReader& reader) { return ReadBytePayload(reader, method); }

u32 CSwfActionGetURL2::Write(CSwfBitWriter& writer) { return WriteBytePayload(writer, method); }

u32 CSwfActionGotoFrame2::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  const u16 length = reader.ReadU16();
  const u32 declaredEnd = reader.GetPosition() + length;
  flags = reader.ReadU8();
  sceneBias = (flags & 2) ? reader.ReadU16() : 0;
  padded = 0;
  if (reader.GetPosition() < declaredEnd) {
    // The declared length holds more than flags and bias: a pad.
    padded = 1;
    reader.Skip(declaredEnd - reader.GetPosition());
  } else if (bodyEnd != 0 && reader.PeekByte() == 0 && bodyEnd > reader.GetPosition() + 1) {
    // A 0 that is not the last byte of the body belongs to this action; the
    // last one ends the list.
    reader.ReadU8();
    padded = 1;
  }
  return ConsumedSince(reader, start);
}

u32 CSwfActionGotoFrame2::Write(CSwfBitWriter& writer) {
  WriteHeader(writer, GetLength());
  writer.WriteU8(flags);
  if (flags & 2) writer.WriteU16(sceneBias);
  if (padded) writer.WriteU8(0);
  return GetEncodedSize();
}

// ---- constant pool ----

u32 CSwfActionConstantPool::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  strings.clear();
  const u16 length = reader.ReadU16();
  const u32 end = reader.GetPosition() + length;
  reader.ReadU16();  // the count: the strings themselves tell
  // An empty string takes a byte of the movie and a string object of the
  // list: the bound counts the list.
  while (reader.GetPosition() < end && reader.GetRemaining() > 0) EmplaceCharged(strings, ReadString(reader));
  return ConsumedSince(reader, start);
}

u32 CSwfActionConstantPool::GetEncodedSize() const {
  u64 length = 2;
  for (const std::string& text : strings) length += RelocatedSize(text, pathPrefix) + 1;
  return EncodedSizeFor(u32(std::min<u64>(length, kMaxPayloadLength + 1)));
}

// A pool cannot be split (a second pool replaces the first), so one that
// its length cannot announce is not written at all.
u32 CSwfActionConstantPool::Write(CSwfBitWriter& writer) {
  const u32 size = GetEncodedSize();
  if (size == 0) return 0;
  // The payload: the count and the strings.
  WriteHeader(writer, size - 3);
  writer.WriteU16(u16(strings.size()));
  for (const std::string& text : strings) WriteRelocated(writer, text, pathPrefix);
  return size;
}

void CSwfActionConstantPool::InsertString(const std::string& text, u32 position) {
  InsertAt(strings, text, position);
}

void CSwfActionConstantPool::AddUniqueString(const std::string& text, u32 position) {
  if (std::find(strings.begin(), strings.end(), text) == strings.end()) InsertString(text, position);
}

int CSwfActionConstantPool::IndexOf(const char* text) const {
  if (!text) return -1;
  const auto at = std::find(strings.begin(), strings.end(), text);
  return at == strings.end() ? -1 : int(at - strings.begin());
}

std::string CSwfActionConstantPool::GetString(int index) const {
  if (strings.empty()) return "";
  if (index < 0 || u32(index) >= strings.size()) return strings.back();
  return strings[u32(index)];
}

bool CSwfActionConstantPool::RemoveString(int index) {
  if (index < 0 || u32(index) >= strings.size()) return false;
  strings.erase(strings.begin() + index);
  return true;
}

void CSwfActionConstantPool::Clear() {
  strings.clear();
  pathPrefix.clear();
}

void CSwfActionConstantPool::SetPathPrefix(const char* prefix) { pathPrefix = prefix ? prefix : ""; }

// ---- push ----

u32 CSwfPushValue::GetSize() const {
  switch (type) {
    case kString:
      return u32(text.size() + 2);
    case kFloat:
    case kInteger:
      return 5;
    case kRegister:
    case kBoolean:
    case kConstant8:
      return 2;
    case kDouble:
      return 9;
    case kConstant16:
      return 3;
    default:
      return 1;
  }
}

CSwfActionPush::CSwfActionPush(u16 value, u8 type) {
  if (type == CSwfPushValue::kRegister) AddRegister(u8(value));
  if (type == CSwfPushValue::kConstant8) AddConstant8(u8(value));
  if (type == CSwfPushValue::kConstant16) AddConstant16(value);
}

std::unique_ptr<CSwfActionPush> CSwfActionPush::FromFloatBits(u32 bits) {
  auto push = std::make_unique<CSwfActionPush>();
  push->AddFloat(bits);
  return push;
}

CSwfActionPush& CSwfActionPush::operator=(const CSwfActionPush& other) {
  if (this == &other) return *this;
  Clear();
  m_values.reserve(other.m_values.size());
  for (const CSwfPushValue& value : other.m_values) AddValue(value, kAppend);
  m_tail = other.m_tail;
  m_payloadLength += u32(m_tail.size());
  m_pathPrefix = other.m_pathPrefix;
  return *this;
}

u32 CSwfActionPush::AddValue(CSwfPushValue value, u32 position) {
  const u32 size = value.GetSize();
  if (size > kMaxPayloadLength) return 0;
  InsertAt(m_values, std::move(value), position);
  m_payloadLength += size;
  return size;
}

u32 CSwfActionPush::AddString(const std::string& text, u32 position) {
  CSwfPushValue value;
  value.type = CSwfPushValue::kString;
  value.text = text;
  return AddValue(std::move(value), position);
}

u32 CSwfActionPush::AddString(const char* text, u32 position) {
  return AddString(std::string(text ? text : ""), position);
}

namespace {

CSwfPushValue MakeValue(u8 type, u64 bits) {
  CSwfPushValue value;
  value.type = type;
  value.bits = bits;
  return value;
}

}  // namespace

u32 CSwfActionPush::AddFloat(u32 bits, u32 position) {
  return AddValue(MakeValue(CSwfPushValue::kFloat, bits), position);
}

u32 CSwfActionPush::AddNull(u32 position) {
  return AddValue(MakeValue(CSwfPushValue::kNull, 0), position);
}

u32 CSwfActionPush::AddUndefined(u32 position) {
  return AddValue(MakeValue(CSwfPushValue::kUndefined, 0), position);
}

u32 CSwfActionPush::AddRegister(u8 reg, u32 position) {
  return AddValue(MakeValue(CSwfPushValue::kRegister, reg), position);
}

u32 CSwfActionPush::AddBoolean(u8 value, u32 position) {
  return AddValue(MakeValue(CSwfPushValue::kBoolean, value), position);
}

u32 CSwfActionPush::AddDouble(double value, u32 position) {
  u64 bits = 0;
  static_assert(sizeof bits == sizeof value);
  std::copy_n(reinterpret_cast<const u8*>(&value), sizeof bits, reinterpret_cast<u8*>(&bits));
  return AddValue(MakeValue(CSwfPushValue::kDouble, bits), position);
}

u32 CSwfActionPush::AddInteger(u32 value, u32 position) {
  return AddValue(MakeValue(CSwfPushValue::kInteger, value), position);
}

u32 CSwfActionPush::AddConstant8(u8 index, u32 position) {
  return AddValue(MakeValue(CSwfPushValue::kConstant8, index), position);
}

u32 CSwfActionPush::AddConstant16(u16 index, u32 position) {
  return AddValue(MakeValue(CSwfPushValue::kConstant16, index), position);
}

void CSwfActionPush::Clear() {
  m_values.clear();
  m_tail.clear();
  m_payloadLength = 0;
  m_pathPrefix.clear();
}

void CSwfActionPush::SetPathPrefix(const char* prefix) { m_pathPrefix = prefix ? prefix : ""; }

bool CSwfActionPush::SetPathPrefix(const wchar_t* prefix) {
  if (!prefix) {
    m_pathPrefix.clear();
    return true;
  }
  std::string converted;
  for (const wchar_t* at = prefix; *at; ++at) {
    u8 byte = 0;
    if (!plat::UnicodeToMacRoman(u32(*at), &byte)) return false;
    converted.push_back(char(byte));
  }
  m_pathPrefix = converted;
  return true;
}

u32 CSwfActionPush::GetPrefixBytes() const {
  if (m_pathPrefix.empty()) return 0;
  u32 bytes = 0;
  for (const CSwfPushValue& value : m_values) {
    if (value.type == CSwfPushValue::kString && IsRelocated(value.text, m_pathPrefix))
      bytes += u32(m_pathPrefix.size());
  }
  return bytes;
}

namespace {

// How many values a Push payload holds, when it is whole: the value list
// is then allocated once, at its size.
u32 CountPushValues(const u8* payload, u32 length) {
  u32 count = 0;
  for (u32 at = 0; at < length; ++count) {
    switch (payload[at++]) {
      case CSwfPushValue::kString: {
        const void* zero = std::memchr(payload + at, 0, length - at);
        at = zero ? u32(static_cast<const u8*>(zero) - payload) + 1 : length;
        break;
      }
      case CSwfPushValue::kFloat:
      case CSwfPushValue::kInteger:
        at += 4;
        break;
      case CSwfPushValue::kDouble:
        at += 8;
        break;
      case CSwfPushValue::kRegister:
      case CSwfPushValue::kBoolean:
      case CSwfPushValue::kConstant8:
        at += 1;
        break;
      case CSwfPushValue::kConstant16:
        at += 2;
        break;
      default:
        break;
    }
  }
  return count;
}

}  // namespace

bool CSwfActionPush::ReadPayload(const u8* payload, u32 length) {
  m_values.reserve(CountPushValues(payload, length));
  auto word = [payload](u32 at) { return u32(payload[at] | (payload[at + 1] << 8)); };
  auto quad = [&word](u32 at) { return word(at) | (word(at + 2) << 16); };
  static constexpr u8 kDataBytes[] = {0, 4, 0, 0, 1, 1, 8, 4, 1, 2};
  for (u32 at = 0; at < length;) {
    const u8 type = payload[at++];
    if (type == CSwfPushValue::kString) {
      const void* zero = std::memchr(payload + at, 0, length - at);
      if (!zero) return false;
      const u32 size = u32(static_cast<const u8*>(zero) - (payload + at));
      CSwfPushValue value;
      value.type = CSwfPushValue::kString;
      value.text.assign(reinterpret_cast<const char*>(payload + at), size);
      AddValue(std::move(value), kAppend);
      at += size + 1;
      continue;
    }
    const u32 data = type < sizeof kDataBytes ? kDataBytes[type] : 0;
    if (length - at < data) return false;
    switch (type) {
      case CSwfPushValue::kFloat:
        AddFloat(quad(at));
        break;
      case CSwfPushValue::kUndefined:
        AddUndefined();
        break;
      case CSwfPushValue::kRegister:
        AddRegister(payload[at]);
        break;
      case CSwfPushValue::kBoolean:
        AddBoolean(payload[at]);
        break;
      case CSwfPushValue::kDouble:
        // The high 32-bit word first, each word little-endian.
        AddValue(MakeValue(CSwfPushValue::kDouble, (u64(quad(at)) << 32) | quad(at + 4)), kAppend);
        break;
      case CSwfPushValue::kInteger:
        AddInteger(quad(at));
        break;
      case CSwfPushValue::kConstant8:
        AddConstant8(payload[at]);
        break;
      case CSwfPushValue::kConstant16:
        AddConstant16(u16(word(at)));
        break;
      default:
        AddNull();
        break;
    }
    at += data;
  }
  return true;
}

bool CSwfActionPush::ReadValue(CSwfReader& reader) {
  const u8 type = reader.ReadU8();
  if (type == CSwfPushValue::kString) {
    CSwfPushValue value;
    value.type = CSwfPushValue::kString;
    const u32 at = reader.GetPosition();
    reader.ReadString(value.text, 0);
    // Without its 0 byte the string ran into the declared end.
    if (reader.GetPosition() - at == value.text.size()) return false;
    AddValue(std::move(value), kAppend);
    return true;
  }
  // The data of every other type has a fixed size.
  if (reader.GetRemaining() < MakeValue(type, 0).GetSize() - 1) return false;
  switch (type) {
    case CSwfPushValue::kFloat:
      AddFloat(reader.ReadU32());
      break;
    case CSwfPushValue::kUndefined:
      AddUndefined();
      break;
    case CSwfPushValue::kRegister:
      AddRegister(reader.ReadU8());
      break;
    case CSwfPushValue::kBoolean:
      AddBoolean(reader.ReadU8());
      break;
    case CSwfPushValue::kDouble: {
      // The high 32-bit word first, each word little-endian.
      const u64 high = reader.ReadU32();
      const u64 low = reader.ReadU32();
      AddValue(MakeValue(CSwfPushValue::kDouble, (high << 32) | low), kAppend);
      break;
    }
    case CSwfPushValue::kInteger:
      AddInteger(reader.ReadU32());
      break;
    case CSwfPushValue::kConstant8:
      AddConstant8(reader.ReadU8());
      break;
    case CSwfPushValue::kConstant16:
      AddConstant16(reader.ReadU16());
      break;
    default:
      AddNull();
      break;
  }
  return true;
}

u32 CSwfActionPush::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  Clear();
  const u16 length = reader.ReadU16();
  // The usual payload lies whole in the body and is read in place; one with
  // a value that runs past its end is read value by value below, inside the
  // declared length, and the next action starts behind it.
  if (const u8* payload = reader.PeekBytes(length)) {
    if (ReadPayload(payload, length)) {
      reader.Skip(length);
      return ConsumedSince(reader, start);
    }
    Clear();
  }
  const CSwfReader::Body body = reader.BeginBody(length);
  while (reader.GetRemaining() > 0) {
    const u32 at = reader.GetPosition();
    if (ReadValue(reader)) continue;
    reader.Seek(at);
    reader.ReadBytes(m_tail, reader.GetRemaining());
    m_payloadLength += u32(m_tail.size());
  }
  reader.EndBody(body);
  return ConsumedSince(reader, start);
}

u32 CSwfActionPush::GetWrittenSize(const CSwfPushValue& value) const {
  const u32 size = value.GetSize();
  if (value.type != CSwfPushValue::kString || !IsRelocated(value.text, m_pathPrefix)) return size;
  return u32(std::min<u64>(u64(size) + m_pathPrefix.size(), kMaxPayloadLength + 1));
}

std::vector<u32> CSwfActionPush::GetPayloadRuns() const {
  std::vector<u32> runs(1, 0);
  auto place = [&runs](u32 size) {
    if (size > kMaxPayloadLength) return;  // no Push can hold it
    if (runs.back() + size > kMaxPayloadLength) runs.push_back(0);
    runs.back() += size;
  };
  for (const CSwfPushValue& value : m_values) place(GetWrittenSize(value));
  place(u32(m_tail.size()));
  return runs;
}

u32 CSwfActionPush::GetEncodedSize() const {
  const u64 payload = u64(m_payloadLength) + GetPrefixBytes();
  if (payload <= kMaxPayloadLength) return u32(payload) + 3;
  u32 size = 0;
  for (u32 run : GetPayloadRuns()) size += run + 3;
  return size;
}

u32 CSwfActionPush::Write(CSwfBitWriter& writer) {
  size_t next = 0;
  auto writeRun = [&](u32 run) {
    WriteHeader(writer, run);
    u32 filled = 0;
    for (; next < m_values.size(); ++next) {
      const CSwfPushValue& value = m_values[next];
      const u32 size = GetWrittenSize(value);
      if (size > kMaxPayloadLength) continue;
      if (filled + size > run) break;
      filled += size;
      writer.WriteU8(value.type);
      switch (value.type) {
        case CSwfPushValue::kString:
          WriteRelocated(writer, value.text, m_pathPrefix);
          break;
        case CSwfPushValue::kFloat:
        case CSwfPushValue::kInteger:
          writer.WriteU32(u32(value.bits));
          break;
        case CSwfPushValue::kRegister:
        case CSwfPushValue::kBoolean:
        case CSwfPushValue::kConstant8:
          writer.WriteU8(u8(value.bits));
          break;
        case CSwfPushValue::kDouble:
          writer.WriteU32(u32(value.bits >> 32));
          writer.WriteU32(u32(value.bits));
          break;
        case CSwfPushValue::kConstant16:
          writer.WriteU16(u16(value.bits));
          break;
        default:
          break;
      }
    }
  };
  // The usual Push fits one action; only a longer one is split into runs.
  const u64 payload = u64(m_payloadLength) + GetPrefixBytes();
  if (payload <= kMaxPayloadLength) {
    writeRun(u32(payload));
  } else {
    for (u32 run : GetPayloadRuns()) writeRun(run);
  }
  // The tail ends the last Push, where it was read.
  writer.AppendBytes(m_tail);
  return GetEncodedSize();
}

// ---- branches ----

u32 CSwfActionJump::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  reader.ReadU16();
  SetOffset(s16(reader.ReadU16()));
  return ConsumedSince(reader, start);
}

u32 CSwfActionJump::Write(CSwfBitWriter& writer) {
  WriteHeader(writer, 2);
  writer.WriteS16(m_offset);
  return GetEncodedSize();
}

void CSwfActionJump::SetOffset(s16 offsetBytes) {
  m_offset = offsetBytes;
  m_spanExact = false;
  m_outOfReach = false;
}

void CSwfActionJump::GrowOffset(u32 bytes) {
  const bool reaches = !m_outOfReach && s64(m_offset) + s64(bytes) <= INT16_MAX;
  SetOffset(s16(u16(m_offset) + bytes));
  m_outOfReach = !reaches;
}

void CSwfActionJump::ResolveSpan(const std::vector<u64>& starts, u32 position) {
  m_spanExact = false;
  if (m_offset == 0 || size_t(position) + 1 >= starts.size()) return;
  // The offset counts from the end of the branch; a backward span includes
  // the branch itself.
  const u64 from = starts[position + 1];
  const s64 target = s64(from) + m_offset;
  if (target < 0) return;
  const auto first = m_offset > 0 ? starts.begin() + position + 1 : starts.begin();
  const auto last = m_offset > 0 ? starts.end() : starts.begin() + position + 1;
  const auto at = std::lower_bound(first, last, u64(target));
  if (at == last || *at != u64(target)) return;
  const u32 index = u32(at - starts.begin());
  m_spanBegin = m_offset > 0 ? position + 1 : index;
  m_spanEnd = m_offset > 0 ? index : position + 1;
  m_spanExact = true;
}

void CSwfActionJump::SyncOffset(const std::vector<u64>& starts) {
  if (!m_spanExact || m_spanEnd >= starts.size()) return;
  const s64 bytes = s64(starts[m_spanEnd] - starts[m_spanBegin]);
  const s64 offset = m_offset > 0 ? bytes : -bytes;
  m_outOfReach = offset > INT16_MAX || offset < INT16_MIN;
  if (!m_outOfReach) m_offset = s16(offset);
}

// ---- define function ----

u32 CSwfActionDefineFunction::GetEncodedSize() const {
  u64 length = name.size() + 1 + 2 + 2;
  for (const std::string& param : params) length += param.size() + 1;
  return EncodedSizeFor(u32(std::min<u64>(length, kMaxPayloadLength + 1)));
}

u32 CSwfActionDefineFunction::Read(CSwfReader& reader) {
  const u32 start = reader.GetPosition();
  Clear();
  reader.ReadU16();
  name = ReadString(reader);
  const u16 count = reader.ReadU16();
  for (u16 i = 0; i < count && reader.GetRemaining() > 0; ++i) params.push_back(ReadString(reader));
  codeSize = reader.ReadU16();
  return ConsumedSince(reader, start);
}

u32 CSwfActionDefineFunction::Write(CSwfBitWriter& writer) {
  if (GetEncodedSize() == 0) return 0;
  WriteHeader(writer, GetEncodedSize() - 3);
  writer.AppendTerminatedString(name);
  writer.WriteU16(u16(params.size()));
  for (const std::string& param : params) writer.AppendTerminatedString(param);
  writer.WriteU16(codeSize);
  return GetEncodedSize();
}

bool CSwfActionDefineFunction::SetParam(u32 index, const std::string& text) {
  if (index >= params.size()) return false;
  params[index] = text;
  return true;
}

bool CSwfActionDefineFunction::RemoveParam(u32 index) {
  if (index >= params.size()) return false;
  params.erase(params.begin() + index);
  return true;
}

void CSwfActionDefineFunction::Clear() {
  name.clear();
  params.clear();
  codeSize = 0;
}
