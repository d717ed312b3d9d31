// Helpers of the archive and installer tests: archives taken apart
// independently of the readers under test, and small files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gbtest {

typedef std::vector<uint8_t> Bytes;

Bytes ToBytes(const std::string& text);
void AppendWord(Bytes& out, uint32_t value);
void AppendBlob(Bytes& out, const Bytes& blob);
void AppendString(Bytes& out, const std::string& text);
void AppendRecord(Bytes& out, uint32_t type, const Bytes& fields);
void AppendTrailer(Bytes& out);
uint32_t WordAt(const Bytes& bytes, size_t offset);

// One record found by walking an archive back from its trailer: its type,
// its size word and where its fields begin. A folder record (type 8) is
// taken whole, its leading end marker with it.
struct ArchiveRecord {
  uint32_t type;
  uint32_t size;
  size_t fieldsStart;
};

// The records from the last to the first, down to and including the end
// marker; false (with what was found so far) when the archive does not hold
// together: no trailer, or a size word that reaches before the file.
bool WalkArchive(const Bytes& archive, std::vector<ArchiveRecord>& records);

// zlib's compress() of the bytes, for comparison.
Bytes ZlibCompress(const Bytes& bytes);

// The application's work subfolder for the archive tests, made afresh and
// empty (host path, ends in "/").
std::string FreshWorkSubfolder();

// Every file below a folder, relative path to contents (links as "->target").
std::vector<std::pair<std::string, Bytes>> TreeContents(const std::string& folder);

// Finder information and resource forks of test files (host paths).
bool SetFileInfo(const std::string& path, uint32_t type, uint32_t creator, uint16_t flags);
bool GetFileInfo(const std::string& path, uint32_t* type, uint32_t* creator, uint16_t* flags);
bool SetFolderFlags(const std::string& path, uint16_t flags);
uint16_t GetFolderFlags(const std::string& path);
bool WriteResourceFork(const std::string& path, const Bytes& bytes);
Bytes ReadResourceFork(const std::string& path);

}  // namespace gbtest
