#include "swf/swf_reader.h"

#include <sys/stat.h>

#include <algorithm>

#include "foundation/path_name.h"
#include "platform/byte_order.h"
#include "swf/swf_action_list.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_compression.h"
#include "swf/swf_record.h"
#include "swf/swf_unknown_tag.h"

CSwfReader::CSwfReader() = default;

CSwfReader::~CSwfReader() = default;

void CSwfReader::Close() {}

void CSwfReader::Reset() {
  m_frameCounter = 0;
  m_tags.clear();
  m_bytes.clear();
  UseMovieBytes();
  m_position = 0;
  m_header = CSwfHeader();
  m_bitPosition = 0;
  m_compressed = 0;
  m_tagLength = 0;
  m_floor = 0;
  m_limit = 0;
  m_nesting = 0;
  m_overrun = false;
  m_bodyOverrun = false;
  m_budgetOn = false;
  m_overBudget = false;
  m_budgetUsed = 0;
  m_tagsKeptRaw = 0;
  m_tooDeep = false;
  m_bodyDisagrees = false;
  m_tagBytes = 0;
}

bool CSwfReader::LoadFromWriter(CSwfBitWriter& writer) {
  Reset();
  m_bytes = writer.GetBytes();
  UseMovieBytes();
  m_header.SetVersion(writer.GetVersion());
  m_limit = u32(m_bytes.size());
  m_tagLength = m_limit;
  return true;
}

bool CSwfReader::LoadFromMemory(const u8* bytes, u32 size, bool checkSignature, u32 byteLimit,
                                bool parseTags) {
  Reset();
  if (!bytes) return false;
  if (checkSignature) {
    if (size >= 1 && bytes[0] == 'C') {
      m_compressed = 1;
      return false;
    }
    if (size < 3 || bytes[0] != 'F' || bytes[1] != 'W' || bytes[2] != 'S') return false;
  }
  // Signature, version and length, or the length alone.
  const u32 prefix = checkSignature ? 8 : 4;
  if (size < prefix) return false;
  u64 count = byteLimit ? byteLimit : plat::GetLittle32(bytes + prefix - 4);
  if (!checkSignature) count = count >= 4 ? count - 4 : 0;
  count = std::clamp<u64>(count, prefix, size);
  m_bytes.assign(bytes, bytes + count);
  return ParseLoadedMovie(checkSignature, parseTags);
}

namespace {

// The size of an open regular file; 0 when it has none.
u64 FileSize(std::FILE* file) {
  struct stat info;
  return fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0 ? u64(info.st_size) : 0;
}

// Appends bytes of the file to out until it holds `count` or the file ends,
// reading straight into out: at once the `expected` bytes the file is
// thought to hold still, then in pieces for whatever more there is.
void ReadUpTo(std::FILE* file, std::vector<u8>& out, u64 count, u64 expected = 0) {
  constexpr size_t kPiece = 1 << 16;
  while (out.size() < count) {
    const size_t had = out.size();
    const size_t want = size_t(std::min<u64>(std::max<u64>(expected, kPiece), count - had));
    out.resize(had + want);
    const size_t got = std::fread(out.data() + had, 1, want, file);
    out.resize(had + got);
    expected = 0;
    if (got < want) return;
  }
}

}  // namespace

bool CSwfReader::LoadFile(const CPathName& path, bool checkSignature, u32 byteLimit,
                          bool parseTags) {
  std::FILE* file = path.OpenStdioFile("rb");
  if (!file) {
    Reset();
    return false;
  }
  // The movie is read in large pieces straight into memory: no buffer.
  std::setvbuf(file, nullptr, _IONBF, 0);
  const bool loaded = LoadFromStdioFile(file, checkSignature, byteLimit, parseTags);
  std::fclose(file);
  return loaded;
}

bool CSwfReader::LoadFileShallow(const CPathName& path) {
  if (!LoadFile(path, true, 0, false)) return false;
  ReadTagsFrom(*this, 0, true);
  return true;
}

bool CSwfReader::LoadFromStdioFile(std::FILE* file, bool checkSignature, u32 byteLimit,
                                   bool parseTags) {
  Reset();
  if (!file) return false;
  const u32 prefix = checkSignature ? 8 : 4;
  // The file is read from its start: what is left after the prefix is its size less the prefix.
  const u64 size = FileSize(file);
  const u64 rest = size > prefix ? size - prefix : 0;
  ReadUpTo(file, m_bytes, prefix);
  const bool compressed = checkSignature && !m_bytes.empty() && m_bytes[0] == 'C';
  if (m_bytes.size() < prefix ||
      (checkSignature && ((m_bytes[0] != 'F' && !compressed) || m_bytes[1] != 'W' ||
                          m_bytes[2] != 'S'))) {
    Reset();
    m_compressed = compressed;
    return false;
  }
  const u32 announced = plat::GetLittle32(m_bytes.data() + prefix - 4);
  u64 count = byteLimit ? byteLimit : announced;
  if (!checkSignature) count = count >= 4 ? count - 4 : 0;
  bool loaded = true;
  if (compressed) {
    // Expanded in memory, never past the announced length nor what is to be loaded.
    std::vector<u8> packed;
    ReadUpTo(file, packed, UINT64_MAX, rest);
    const u64 plain = std::min<u64>(count, announced);
    m_bytes[0] = 'F';
    loaded = InflateSwfBytes(packed.data(), packed.size(), m_bytes, plain > prefix ? plain - prefix : 0);
  } else {
    ReadUpTo(file, m_bytes, count, rest);
  }
  loaded = loaded && ParseLoadedMovie(checkSignature, parseTags);
  if (!loaded) Reset();
  m_compressed = compressed;
  return loaded;
}

bool CSwfReader::ParseLoadedMovie(bool checkSignature, bool parseTags) {
  UseMovieBytes();
  m_position = 0;
  m_bitPosition = 0;
  m_floor = 0;
  m_limit = u32(m_bytes.size());
  m_overrun = false;
  m_bodyOverrun = false;
  m_budgetUsed = 0;
  m_tagsKeptRaw = 0;
  m_tooDeep = false;
  m_bodyDisagrees = false;
  m_tagBytes = 0;
  if (m_header.Read(*this, checkSignature) == 0 || m_overrun) {
    Reset();
    return false;
  }
  if (parseTags) ReadAllTags(this, 0);
  return true;
}

void CSwfReader::DeleteTags(bool destroy) {
  if (destroy) {
    const std::vector<std::unique_ptr<CSwfTag>> deleted = TakeTags();
  }
  m_tags.clear();
}

std::vector<std::unique_ptr<CSwfTag>> CSwfReader::TakeTags() {
  std::vector<std::unique_ptr<CSwfTag>> tags;
  tags.reserve(m_tags.size());
  // A sprite takes its tags while the movie is read: the bound sees the list.
  ChargeGrowth(tags, 0);
  for (CSwfTag* tag : m_tags) tags.emplace_back(tag);
  m_tags.clear();
  return tags;
}

void CSwfReader::GetMovieSize(u32& width, u32& height) {
  width = m_header.GetWidth();
  height = m_header.GetHeight();
}

void CSwfReader::Seek(u32 position) {
  m_position = std::clamp(position, m_floor, m_limit);
  m_bitPosition = 0;
}

void CSwfReader::Skip(u32 count) {
  Seek(u32(std::min<u64>(u64(m_position) + count, m_limit)));
}

void CSwfReader::AlignByte() {
  if (m_bitPosition == 0) return;
  m_bitPosition = 0;
  if (m_position < m_limit) ++m_position;
}

bool CSwfReader::Refill(u32, u32) { return false; }

const u8* CSwfReader::Fetch(u32 position, u32 count) {
  if (position >= m_dataStart && u64(position) + count <= m_dataEnd)
    return m_data + (position - m_dataStart);
  if (!Refill(position, count)) return nullptr;
  return m_data + (position - m_dataStart);
}

void CSwfReader::UseMovieBytes() {
  m_data = m_bytes.data();
  m_dataStart = 0;
  m_dataEnd = u32(m_bytes.size());
}

u32 CSwfReader::ReadBits(u16 count, bool isSigned) {
  if (count == 0) return 0;
  // The usual field: at most 32 bits, all of them in the window and in the
  // block at hand, taken from the bytes that hold them at once.
  const u32 skip = m_bitPosition == 8 ? 1 : 0;
  const u32 first = m_bitPosition & 7;
  const u64 start = u64(m_position) + skip;
  const u32 spanned = (first + count + 7) / 8;
  if (count <= 32 && start + spanned <= m_limit && start >= m_dataStart && start + spanned <= m_dataEnd &&
      !m_overBudget) {
    const u8* at = m_data + (start - m_dataStart);
    u64 held = 0;
    for (u32 i = 0; i < spanned; ++i) held = (held << 8) | at[i];
    u32 value = u32((held >> (spanned * 8 - first - count)) & (count == 32 ? 0xFFFFFFFFu : (1u << count) - 1));
    // The reader stays on the byte that holds the last bit read (a byte
    // read whole leaves the bit position at 8).
    const u64 end = start * 8 + first + count;
    m_position = u32((end - 1) / 8);
    m_bitPosition = u8(end - u64(m_position) * 8);
    if (isSigned && count < 32 && ((value >> (count - 1)) & 1)) value |= ~0u << count;
    return value;
  }
  u32 value = 0;
  // The bits above the low 32 of a wider field: whether all are zeros, or all ones.
  bool highZeros = true;
  bool highOnes = true;
  // As many bits at a time as the current byte holds (the bits above the
  // low 32 apart from them); past the end of the window the missing bits
  // are zeros.
  for (u32 left = count; left > 0;) {
    if (m_bitPosition == 8) {
      ++m_position;
      m_bitPosition = 0;
    }
    const u8* byte = m_position < m_limit && !m_overBudget ? Fetch(m_position, 1) : nullptr;
    if (!byte) {
      NoteOverrun();
      value = left >= 32 ? 0 : value << left;
      break;
    }
    const u32 take = std::min<u32>({left, 8u - m_bitPosition, left > 32 ? left - 32 : 32});
    const u32 mask = (1u << take) - 1;
    const u32 bits = (u32(*byte) >> (8u - m_bitPosition - take)) & mask;
    if (left > 32) {
      highZeros = highZeros && bits == 0;
      highOnes = highOnes && bits == mask;
    } else {
      value = (value << take) | bits;
    }
    m_bitPosition = u8(m_bitPosition + take);
    left -= take;
  }
  if (isSigned && count > 0 && count < 32 && ((value >> (count - 1)) & 1)) value |= ~0u << count;
  // A value that its low 32 bits do not hold disagrees with the class that reads it.
  if (count > 32 && !(isSigned && (value >> 31) ? highOnes : highZeros)) m_bodyDisagrees = true;
  return value;
}

u8 CSwfReader::PeekByte() {
  const u64 at = u64(m_position) + (m_bitPosition ? 1 : 0);
  const u8* byte = at < m_limit && !m_overBudget ? Fetch(u32(at), 1) : nullptr;
  return byte ? *byte : 0;
}

const u8* CSwfReader::Take(u32 count) {
  AlignByte();
  const u8* bytes = GetRemaining() >= count ? Fetch(m_position, count) : nullptr;
  if (!bytes) {
    NoteOverrun();
    return nullptr;
  }
  m_position += count;
  return bytes;
}

u8 CSwfReader::ReadU8() {
  const u8* at = Take(1);
  return at ? at[0] : 0;
}

u16 CSwfReader::ReadU16() {
  const u8* at = Take(2);
  return at ? u16(at[0] | (at[1] << 8)) : 0;
}

u32 CSwfReader::ReadU32() {
  const u8* at = Take(4);
  return at ? plat::GetLittle32(at) : 0;
}

namespace {

// What a string's text takes of the heap (none while it fits in the string).
size_t StringFootprint(const std::string& text) {
  return text.capacity() > std::string().capacity() ? SwfHeapFootprint(text.capacity() + 1) : 0;
}

// Counts what a string that a read filled grew by on the heap, however the
// read ends (a byte of the movie copied is a byte, but a short copy takes a
// whole piece of the heap; byte lists are charged as ReadBytes fills them).
struct ChargeStringGrowth {
  explicit ChargeStringGrowth(std::string& text) : string(text), before(StringFootprint(text)) {}
  ChargeStringGrowth(const ChargeStringGrowth&) = delete;
  ChargeStringGrowth& operator=(const ChargeStringGrowth&) = delete;
  ~ChargeStringGrowth() {
    const size_t after = StringFootprint(string);
    if (after > before) ChargeSwfObjectBytes(after - before);
  }
  std::string& string;
  size_t before;
};

}  // namespace

void CSwfReader::ReadString(std::string& out, u32 length) {
  out.clear();
  const ChargeStringGrowth charge(out);
  AlignByte();
  if (length > 0) {
    std::vector<u8> bytes;
    ReadBytes(bytes, length);
    if (!bytes.empty() && bytes.back() == 0) bytes.pop_back();
    out.assign(bytes.begin(), bytes.end());
    return;
  }
  // Up to the zero byte; a string that runs to the end of the data ends there.
  while (GetRemaining() > 0) {
    const u32 n = std::min(GetRemaining(), kFetchChunk);
    const u8* bytes = Fetch(m_position, n);
    if (!bytes) {
      NoteOverrun();
      return;
    }
    const u8* zero = std::find(bytes, bytes + n, u8(0));
    out.append(bytes, zero);
    m_position += u32(zero - bytes);
    if (zero != bytes + n) {
      ++m_position;
      return;
    }
  }
}

u32 CSwfReader::ReadBytes(std::vector<u8>& out, u32 count) {
  const size_t capacity = out.capacity();
  AlignByte();
  const u32 wanted = std::min(count, GetRemaining());
  u32 done = 0;
  while (done < wanted) {
    const u32 n = std::min(wanted - done, kFetchChunk);
    const u8* bytes = Fetch(m_position, n);
    if (!bytes) break;
    out.insert(out.end(), bytes, bytes + n);
    m_position += n;
    done += n;
  }
  if (done < count) NoteOverrun();
  ChargeGrowth(out, capacity);
  return done;
}

bool CSwfReader::HoldsMoreRecords() {
  if (GetRemaining() > 0) return true;
  NoteOverrun();
  return false;
}

const u8* CSwfReader::PeekBytes(u32 count) {
  if (m_bitPosition != 0 || count > kFetchChunk || GetRemaining() < count) return nullptr;
  return Fetch(m_position, count);
}

CSwfReader::Body CSwfReader::BeginBody(u32 length) {
  AlignByte();
  const Body saved{m_floor, m_limit, m_tagLength, m_position + std::min(length, GetRemaining())};
  m_floor = m_position;
  m_limit = saved.end;
  return saved;
}

void CSwfReader::EndBody(const Body& body) {
  m_floor = body.floor;
  m_limit = body.limit;
  m_tagLength = body.tagLength;
  AlignByte();
  if (m_position != body.end) Seek(body.end);
}

std::unique_ptr<CSwfTag> CSwfReader::ReadTagFrom(CSwfReader& source, bool shallow) {
  source.AlignByte();
  const u32 tagStart = source.m_position;
  // A header that the end of a body cuts off ends the tag list (as an End
  // tag); it is no read past the body of the tag around it.
  const bool overranBefore = source.m_bodyOverrun;
  const u16 word = source.ReadU16();
  const u16 code = word >> 6;
  u32 length = word & 63;
  if (length == 63) length = source.ReadU32();
  source.m_bodyOverrun = overranBefore;
  // A body that runs past the data is cut to what there is.
  length = std::min(length, source.GetRemaining());
  const Body body = source.BeginBody(length);
  const u32 bodyStart = source.m_position;
  source.m_tagLength = length;
  m_tagLength = length;
  // The outermost tag read sets the bound for itself and the tags inside it:
  // what the movie's reading has taken so far, this tag's included, may not
  // pass the bound of the bytes read.
  const bool bounds = !source.m_budgetOn;
  const size_t before = CountSwfObjectBytesTaken();
  CSwfObjectLimit outer;
  if (bounds) {
    source.m_budgetOn = true;
    source.m_overBudget = false;
    const u64 bound = kObjectBytesPerByte * body.end + kObjectAllowance;
    outer = SetSwfObjectLimit({before + size_t(bound - std::min(bound, source.m_budgetUsed)), &source.m_overBudget});
  }
  std::unique_ptr<CSwfTag> tag(shallow ? CreateShallowTag(code, length) : CreateTag(code, length));
  // Whether this tag's body disagrees with its parts, or its reading asked
  // for more than the body holds; a tag around it (a sprite) keeps its own
  // answer.
  const bool outerDisagrees = source.m_bodyDisagrees;
  const bool outerOverrun = source.m_bodyOverrun;
  source.m_bodyDisagrees = false;
  source.m_bodyOverrun = false;
  tag->Read(source);
  const bool disagrees = source.m_bodyDisagrees || source.m_bodyOverrun;
  source.m_bodyDisagrees = outerDisagrees;
  source.m_bodyOverrun = outerOverrun;
  // A tag whose reading would pass the bound, whose tags would nest deeper
  // than reads may, or whose body disagrees with its parts is kept as it
  // stands instead; what its reading made is given back (and stays
  // charged).
  const bool overBudget = bounds && source.m_overBudget;
  if (bounds) {
    SetSwfObjectLimit(outer);
    source.m_budgetOn = false;
    source.m_overBudget = false;
  }
  if (overBudget || source.m_tooDeep || disagrees) {
    source.m_tooDeep = false;
    ++source.m_tagsKeptRaw;
    tag.reset();
    tag = std::make_unique<CSwfUnknownTag>(code, length);
    source.Seek(bodyStart);
    tag->Read(source);
  }
  if (bounds) source.m_budgetUsed += CountSwfObjectBytesTaken() - before;
  // What the tag read of its body (a body it skips is not written back).
  source.AlignByte();
  m_lastTagBytes = std::min(source.m_position, body.end) - tagStart;
  source.EndBody(body);
  return tag;
}

void CSwfReader::ChargeBudget(size_t bytes) {
  ChargeSwfObjectBytes(bytes);
  // Between tags no tag's reading counts it.
  if (!m_budgetOn) m_budgetUsed += bytes;
}

CSwfTag* CSwfReader::ReadNextTag() { return ReadTagFrom(*this, false).release(); }

void CSwfReader::ReadAllTags(CSwfReader* source, u32 frameLimit) {
  ReadTagsFrom(source ? *source : *this, frameLimit, false);
}

void CSwfReader::ReadTagsFrom(CSwfReader& source, u32 frameLimit, bool shallow) {
  // A fresh list, so that what its growth is charged is the same for every
  // reading of the same movie.
  std::vector<CSwfTag*>().swap(m_tags);
  m_tagBytes = 0;
  if (source.m_nesting >= kMaxTagNesting) {
    // The tag that holds these is kept as its bytes (ReadTagFrom).
    source.m_tooDeep = true;
    m_tags.push_back(shallow ? CreateShallowTag(0, 0) : CreateTag(0, 0));
    return;
  }
  ++source.m_nesting;
  u32 frames = 0;
  for (;;) {
    std::unique_ptr<CSwfTag> tag = ReadTagFrom(source, shallow);
    m_tagBytes += m_lastTagBytes;
    const u16 code = tag->GetCode();
    const size_t capacity = m_tags.capacity();
    m_tags.push_back(tag.release());
    source.ChargeBudget(SwfBufferGrowth(sizeof(void*) /* a tag pointer */, capacity, m_tags.capacity()));
    if (code == 0) break;
    if (code == 1 && frameLimit != 0 && ++frames >= frameLimit) break;
  }
  --source.m_nesting;
}

u32 CSwfReader::WriteMovie(CSwfBitWriter& writer) {
  writer.FlushBits();
  const u32 start = writer.GetByteCount();
  // Room for what the tags read, whatever the data held behind them.
  const u64 expected = u64(start) + EstimateRewrittenBytes(m_tagBytes);
  if (writer.GetCapacity() < expected) writer.Reserve(u32(std::min<u64>(expected, 0xFFFFFFFFu)));
  m_header.Write(writer);
  for (CSwfTag* tag : m_tags)
    if (tag && !WriteSwfTag(*tag, writer)) return 0;
  writer.FlushBits();
  if (!writer.PatchU32(start + 4, writer.GetByteCount() - start)) return 0;
  return writer.GetByteCount();
}
