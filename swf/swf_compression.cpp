#include "swf/swf_compression.h"

#include <zlib.h>

#include <algorithm>
#include <string>
#include <cstring>

#include "foundation/file_layer.h"
#include "foundation/finder_info.h"
#include "foundation/path_name.h"
#include "platform/byte_order.h"

namespace {

// The chunk size of compression. Expansion takes the input in large pieces
// and lets zlib fill large buffers: its fast loop runs only when it has
// room, and the bytes it gives do not depend on how they are fed.
constexpr size_t kChunk = 64;
constexpr size_t kInflateChunk = size_t(64) * 1024;
constexpr size_t kPrefix = 8;  // signature, version, plain length

bool HasSignature(const u8* movie, size_t size, char first) {
  return movie && size >= kPrefix && movie[0] == u8(first) && movie[1] == 'W' && movie[2] == 'S';
}

u32 PlainLength(const u8* movie) { return plat::GetLittle32(movie + 4); }

SwfByteSink AppendTo(std::vector<u8>& out) {
  return [&out](const u8* bytes, size_t count) {
    out.insert(out.end(), bytes, bytes + count);
    return true;
  };
}

}  // namespace

namespace {

// The first three bytes of a file; "" when it cannot be opened or is shorter.
std::string SignatureOf(const CPathName& path) {
  std::FILE* file = path.OpenStdioFile("rb");
  if (!file) return "";
  char start[3];
  const size_t got = std::fread(start, 1, 3, file);
  std::fclose(file);
  return got == 3 ? std::string(start, 3) : "";
}

}  // namespace

bool IsSwfFile(const CPathName& path) {
  const std::string signature = SignatureOf(path);
  return signature == "FWS" || signature == "CWS";
}

bool IsCompressedSwfFile(const CPathName& path) { return SignatureOf(path) == "CWS"; }

SwfByteSource MemorySwfSource(const u8* bytes, size_t size) {
  size_t offset = 0;
  return [bytes, size, offset](u8* buffer, size_t capacity) mutable {
    const size_t n = std::min(capacity, size - offset);
    if (n) std::memcpy(buffer, bytes + offset, n);
    offset += n;
    return n;
  };
}

bool DeflateSwfBody(const SwfByteSource& input, const SwfByteSink& output) {
  z_stream stream{};
  if (deflateInit(&stream, 9) != Z_OK) return false;
  u8 in[kChunk];
  u8 out[kChunk];
  bool ok = true;
  // Runs deflate until it leaves room in the output buffer (or fails).
  auto drain = [&](int flush) {
    int result;
    do {
      stream.next_out = out;
      stream.avail_out = kChunk;
      result = deflate(&stream, flush);
      if (result == Z_STREAM_ERROR) return result;
      const size_t produced = kChunk - stream.avail_out;
      if (produced && !output(out, produced)) return Z_STREAM_ERROR;
    } while (stream.avail_out == 0 && result != Z_STREAM_END);
    return result;
  };
  for (size_t n; ok && (n = input(in, kChunk)) > 0;) {
    stream.next_in = in;
    stream.avail_in = uInt(n);
    ok = drain(Z_NO_FLUSH) != Z_STREAM_ERROR;
  }
  int result = Z_STREAM_ERROR;
  if (ok) {
    stream.next_in = nullptr;
    stream.avail_in = 0;
    while ((result = drain(Z_FINISH)) == Z_OK) {
    }
  }
  const bool ended = deflateEnd(&stream) == Z_OK;
  return ok && result == Z_STREAM_END && ended;
}

bool InflateSwfBody(const SwfByteSource& input, const SwfByteSink& output, u64 outputLimit) {
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return false;
  std::vector<u8> in(kInflateChunk);
  std::vector<u8> out(kInflateChunk);
  u64 produced = 0;
  bool ok = false;
  bool done = outputLimit == 0;
  ok = done;
  while (!done) {
    const size_t n = input(in.data(), in.size());
    if (n == 0) break;  // the input ended before the stream did
    stream.next_in = in.data();
    stream.avail_in = uInt(n);
    do {
      const size_t room = size_t(std::min<u64>(out.size(), outputLimit - produced));
      stream.next_out = out.data();
      stream.avail_out = uInt(room);
      const int result = inflate(&stream, Z_SYNC_FLUSH);
      const size_t got = room - stream.avail_out;
      if (got && !output(out.data(), got)) {
        done = true;
        break;
      }
      produced += got;
      if (result == Z_STREAM_END || produced >= outputLimit) {
        ok = done = true;
        break;
      }
      if (result != Z_OK && result != Z_BUF_ERROR) {
        done = true;
        break;
      }
    } while (stream.avail_out == 0);
  }
  inflateEnd(&stream);
  return ok;
}

bool InflateSwfBytes(const u8* packed, size_t size, std::vector<u8>& out, u64 outputLimit) {
  if (outputLimit == 0) return true;
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return false;
  const size_t base = out.size();
  // Room for what comes: a guess from the packed size, doubled while more
  // comes, never past the limit; zlib expands straight into it.
  u64 room = std::min<u64>(outputLimit, u64(size) * 8 + kInflateChunk);
  u64 produced = 0;
  size_t fed = 0;
  bool ok = false;
  for (;;) {
    out.resize(size_t(base + room));
    stream.next_out = out.data() + base + produced;
    stream.avail_out = uInt(std::min<u64>(room - produced, 0x40000000u));
    if (stream.avail_in == 0 && fed < size) {
      stream.next_in = const_cast<Bytef*>(packed + fed);
      stream.avail_in = uInt(std::min<size_t>(size - fed, 0x40000000u));
      fed += stream.avail_in;
    }
    const uInt inputBefore = stream.avail_in;
    const int result = inflate(&stream, Z_SYNC_FLUSH);
    const u64 before = produced;
    produced = u64(stream.next_out - (out.data() + base));
    if (result == Z_STREAM_END || produced >= outputLimit) {
      ok = true;
      break;
    }
    if (result != Z_OK && result != Z_BUF_ERROR) break;
    if (stream.avail_out == 0) {
      if (produced == room) room = std::min<u64>(outputLimit, room * 2);
      continue;
    }
    // zlib stopped with room left: it wants input, and there is none (or
    // it could do nothing with what it had).
    if ((stream.avail_in == 0 && fed == size) || (produced == before && stream.avail_in == inputBefore)) break;
  }
  inflateEnd(&stream);
  out.resize(size_t(base + produced));
  return ok;
}

namespace {

// Reads the 8-byte start of a movie in the form `from` ('F' or 'C'), writes
// it in the other form and converts the rest.
[[nodiscard]] bool ConvertSwf(const SwfByteSource& input, const SwfByteSink& output, char from) {
  u8 start[kPrefix];
  size_t got = 0;
  while (got < kPrefix) {
    const size_t n = input(start + got, kPrefix - got);
    if (n == 0) return false;
    got += n;
  }
  if (!HasSignature(start, kPrefix, from)) return false;
  start[0] = u8(from == 'F' ? 'C' : 'F');
  if (!output(start, kPrefix)) return false;
  if (from == 'F') return DeflateSwfBody(input, output);
  const u32 length = PlainLength(start);
  return InflateSwfBody(input, output, length > kPrefix ? length - kPrefix : 0);
}

SwfByteSource FileSource(std::FILE* file) {
  return [file](u8* buffer, size_t capacity) { return std::fread(buffer, 1, capacity, file); };
}

SwfByteSink FileSink(std::FILE* file) {
  return [file](const u8* bytes, size_t count) {
    return std::fwrite(bytes, 1, count, file) == count;
  };
}

}  // namespace

bool CompressSwfBytes(const u8* movie, size_t size, std::vector<u8>& out) {
  out.clear();
  if (!HasSignature(movie, size, 'F')) return false;
  out.reserve(size / 2 + kPrefix);
  if (ConvertSwf(MemorySwfSource(movie, size), AppendTo(out), 'F')) return true;
  out.clear();
  return false;
}

bool DecompressSwfBytes(const u8* movie, size_t size, std::vector<u8>& out) {
  out.clear();
  if (!HasSignature(movie, size, 'C')) return false;
  // The start in its plain form, then the body expanded in place, no
  // further than the announced length.
  out.assign(movie, movie + kPrefix);
  out[0] = 'F';
  const u32 length = PlainLength(movie);
  if (InflateSwfBytes(movie + kPrefix, size - kPrefix, out, length > kPrefix ? length - kPrefix : 0)) return true;
  out.clear();
  return false;
}

bool CompressSwfStream(std::FILE* source, std::FILE* target) {
  return source && target && ConvertSwf(FileSource(source), FileSink(target), 'F') &&
         std::fflush(target) == 0;
}

bool DecompressSwfStream(std::FILE* source, std::FILE* target) {
  return source && target && ConvertSwf(FileSource(source), FileSink(target), 'C') &&
         std::fflush(target) == 0;
}

namespace {

// Writes `target` (which must not exist) as the conversion of `source`; a
// failure removes what it wrote.
[[nodiscard]] bool WriteConvertedFile(const CPathName& source, const CPathName& target, char from) {
  const CFileTypeCreator movie(FourCC("SWF2"), FourCC("SWFL"));
  CPathName created(target);
  if (!created.CreateFile(&movie, false)) return false;
  std::FILE* in = source.OpenStdioFile("rb");
  std::FILE* out = OpenStdioFileAtPath(created, "wb");
  bool converted = in && out && ConvertSwf(FileSource(in), FileSink(out), from);
  if (in) std::fclose(in);
  if (out && std::fclose(out) != 0) converted = false;
  if (!converted) created.Delete();
  return converted;
}

bool SameItem(const CPathName& a, const CPathName& b) {
  FSRef first, second;
  return a.GetFsRef(&first) && b.GetFsRef(&second) && plat::SameFsRef(first, second);
}

[[nodiscard]] bool ConvertSwfFile(const CPathName& source, const CPathName& target, bool replace, char from) {
  if (SignatureOf(source) != (from == 'F' ? "FWS" : "CWS")) return false;
  if (!target.Exists()) return WriteConvertedFile(source, target, from);
  // An existing file makes way only for a finished conversion.
  if (!replace || target.IsFolder() || SameItem(source, target)) return false;
  CPathName temporary(nullptr);
  if (!temporary.MakeUniqueName(target) || !WriteConvertedFile(source, temporary, from))
    return false;
  if (temporary.Rename(target.GetLastComponent().c_str())) return true;
  temporary.Delete();
  return false;
}

[[nodiscard]] bool ConvertSwfFileInPlace(const CPathName& path, bool keepBackup, char from) {
  const std::string signature = SignatureOf(path);
  if (signature == (from == 'F' ? "CWS" : "FWS")) return true;  // already in the form asked for
  if (signature != (from == 'F' ? "FWS" : "CWS")) return false;
  const std::string name = path.GetLastComponent();
  CPathName converted(nullptr);
  if (keepBackup) {
    // The movie becomes its own backup; a failed conversion gives it its name back.
    CPathName backup(nullptr);
    if (!backup.RenameToBackup(path, true)) return false;
    if (WriteConvertedFile(backup, path, from)) return true;
    backup.Rename(name.c_str());
    return false;
  }
  if (!converted.MakeUniqueName(path) || !WriteConvertedFile(path, converted, from)) return false;
  if (converted.Rename(name.c_str())) return true;
  converted.Delete();
  return false;
}

}  // namespace

bool CompressSwfFile(const CPathName& source, const CPathName& target, bool replace) {
  return ConvertSwfFile(source, target, replace, 'F');
}

bool DecompressSwfFile(const CPathName& source, const CPathName& target, bool replace) {
  return ConvertSwfFile(source, target, replace, 'C');
}

bool CompressSwfFileInPlace(const CPathName& path, bool keepBackup) {
  return ConvertSwfFileInPlace(path, keepBackup, 'F');
}

bool DecompressSwfFileInPlace(const CPathName& path, bool keepBackup) {
  return ConvertSwfFileInPlace(path, keepBackup, 'C');
}
