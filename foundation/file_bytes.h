// Whole-file reads and writes of the foundation's binary formats.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/mac_types.h"

class CPathName;

// True for an existing regular file: only those are opened for reading, as
// opening a pipe would wait for a writer.
[[nodiscard]] bool IsRegularFile(const CPathName& path);

// Reads the whole regular file (no folder, device or pipe) into `bytes`;
// false when it cannot be opened or read, or is larger than `limit` bytes.
// `bytes` is left empty on failure.
[[nodiscard]] bool ReadWholeFile(const CPathName& path, std::vector<u8>& bytes, u64 limit = 0xFFFFFFFFu);

// Creates the file (no type or creator; an existing file is replaced only
// with `replace`, a folder never) and writes n bytes to it; false when it
// cannot be created or written whole.
[[nodiscard]] bool WriteWholeFile(const CPathName& path, const void* data, size_t n, bool replace = true);
