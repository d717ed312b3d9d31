// Movie compression: the plain form "FWS" and the form "CWS" whose bytes
// from offset 8 on are one zlib stream. The signature's first letter and the
// body change; the version byte and the plain length (bytes 3 to 7) are
// copied unchanged.
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <vector>

#include "platform/mac_types.h"

class CPathName;

// Fills buffer with up to capacity bytes; returns how many (0 at the end).
using SwfByteSource = std::function<size_t(u8* buffer, size_t capacity)>;
// Takes count bytes of output; false stops the conversion as failed.
using SwfByteSink = std::function<bool(const u8* bytes, size_t count)>;

// True when the file can be opened and begins "FWS" or "CWS" (only "CWS").
[[nodiscard]] bool IsSwfFile(const CPathName& path);
[[nodiscard]] bool IsCompressedSwfFile(const CPathName& path);

// Writes the compressed form of a plain movie, or the plain form of a
// compressed one, into a new file of type 'SWFL' and creator 'SWF2'. A
// source in any other form is refused before anything is written. An
// existing target is replaced only with `replace`, and then only once the
// conversion has succeeded; a failed conversion leaves no file behind and
// the target as it was.
[[nodiscard]] bool CompressSwfFile(const CPathName& source, const CPathName& target, bool replace);
[[nodiscard]] bool DecompressSwfFile(const CPathName& source, const CPathName& target, bool replace);

// The same under the movie's own name. True when the movie was converted or
// already had the form asked for; a failed conversion leaves the movie as it
// was and removes its temporary file. With keepBackup the movie's former
// form stays beside it as "<name>~" (an older backup is replaced).
[[nodiscard]] bool CompressSwfFileInPlace(const CPathName& path, bool keepBackup);
[[nodiscard]] bool DecompressSwfFileInPlace(const CPathName& path, bool keepBackup);

// zlib at level 9, fed and drained in 64-byte chunks. True when the stream
// was completed.
[[nodiscard]] bool DeflateSwfBody(const SwfByteSource& input, const SwfByteSink& output);
// Expands a zlib stream until its end, or until outputLimit bytes have come
// out (the rest is never expanded). False for corrupt data and for input
// that ends before the stream does.
[[nodiscard]] bool InflateSwfBody(const SwfByteSource& input, const SwfByteSink& output, u64 outputLimit);
// The same over a stream held in memory, appending to `out`, which grows
// with what comes out (never past outputLimit bytes more); what came out
// before a failure stays appended.
[[nodiscard]] bool InflateSwfBytes(const u8* packed, size_t size, std::vector<u8>& out, u64 outputLimit);

// Whole movies in memory. Compressing needs an "FWS" movie, expanding a
// "CWS" one, which is expanded no further than its announced length; any
// other signature ("ZWS" included) or a block shorter than 8 bytes is
// refused with false.
[[nodiscard]] bool CompressSwfBytes(const u8* movie, size_t size, std::vector<u8>& out);
[[nodiscard]] bool DecompressSwfBytes(const u8* movie, size_t size, std::vector<u8>& out);

// The same between open files, each at its start: the source is read to its
// end, the target written from its position. False also when a write fails.
[[nodiscard]] bool CompressSwfStream(std::FILE* source, std::FILE* target);
[[nodiscard]] bool DecompressSwfStream(std::FILE* source, std::FILE* target);

// A source over a block of memory.
SwfByteSource MemorySwfSource(const u8* bytes, size_t size);
