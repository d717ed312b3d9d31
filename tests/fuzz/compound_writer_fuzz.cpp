// Fuzz target of the compound-file writer: fuzzed operations build a
// document (storages and streams with fuzzed names, writes of fuzzed sizes
// and ranges), read its streams back through input streams that skip, mark
// and reset, and commit it to a temporary folder. What is committed must
// read back whole through a strict reader, and every stream must hold what
// a plain model of the operations says.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "authoring/byte_streams.h"
#include "authoring/compound_document.h"
#include "foundation/file_bytes.h"
#include "foundation/path_name.h"
#include "tests/authoring/compound_file_reader.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Empty() const { return at_ >= size_; }
  uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  uint32_t Word() {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = value << 8 | Byte();
    return value;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

const std::string& Folder() {
  static std::string folder;
  if (folder.empty()) {
    const char* base = getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/compound_fuzz.XXXXXX";
    if (!mkdtemp(pattern.data())) __builtin_trap();
    folder = pattern + "/";
    static const std::string removeFile = folder + "document.cfb";
    static const std::string removeFolder = folder;
    atexit([] {
      unlink(removeFile.c_str());
      rmdir(removeFolder.c_str());
    });
  }
  return folder;
}

// A name from a small alphabet with the four refused characters in it.
std::string FuzzName(Input& input) {
  static const char alphabet[] = "abAB01 _.xyz/\\:!\x8E\x83";
  const size_t length = input.Byte() % 34;  // up to 33: some too long
  std::string name;
  for (size_t i = 0; i < length; ++i) name.push_back(alphabet[input.Byte() % (sizeof alphabet - 1)]);
  return name;
}

// What the writer must accept: 1 to 31 characters, none of / \ : !.
bool NameIsValid(const std::string& name) {
  return !name.empty() && name.size() <= 31 && name.find_first_of("/\\:!") == std::string::npos;
}

// The same name as the writer compares them (upper case; "\x8E" is é, "\x83" É).
std::string Folded(const std::string& name) {
  std::string folded;
  for (char c : name) folded.push_back(c == '\x8E' ? '\x83' : char(std::toupper(static_cast<unsigned char>(c))));
  return folded;
}

struct Model {
  std::vector<CCompoundStorage*> storages;
  std::vector<CCompoundStream*> streams;
  std::vector<std::vector<uint8_t>> bytes;  // per stream
  std::map<const CCompoundStorage*, std::vector<std::string>> names;  // folded, per storage
  size_t total = 0;
};

void CheckInputStream(Input& input, const std::vector<uint8_t>& source) {
  const size_t offset = input.Byte() % 8 == 0 ? input.Word() % (source.size() + 4) : 0;
  const size_t length = input.Byte() % 8 == 0 ? input.Word() % (source.size() + 4) : source.size();
  CByteArrayInputStream stream(source, offset, length);
  std::vector<uint8_t> data;
  if (offset < source.size())
    data.assign(source.begin() + std::ptrdiff_t(offset),
                source.begin() + std::ptrdiff_t(offset + std::min(length, source.size() - offset)));
  int64_t pos = 0, mark = 0;
  const int64_t count = int64_t(data.size());
  for (int step = input.Byte() % 32; step > 0 && !input.Empty(); --step) {
    switch (input.Byte() % 6) {
      case 0: {
        const uint8_t expected = pos < count ? data[size_t(pos++)] : 0;
        if (stream.ReadByte() != expected) __builtin_trap();
        break;
      }
      case 1: {
        std::vector<uint8_t> dest(input.Byte() % 64, 0xA5);
        const size_t at = input.Byte() % 70, n = input.Byte() % 80;
        std::vector<uint8_t> wanted = dest;
        int64_t result = -1;
        if (pos < count) {
          size_t copied = std::min(size_t(count - pos), n);
          copied = at < dest.size() ? std::min(copied, dest.size() - at) : 0;
          std::copy_n(data.begin() + std::ptrdiff_t(pos), copied, wanted.begin() + std::ptrdiff_t(at < dest.size() ? at : 0));
          pos += int64_t(copied);
          result = int64_t(copied);
        }
        if (stream.ReadRange(dest, at, n) != result || dest != wanted) __builtin_trap();
        break;
      }
      case 2: {
        int64_t n = int64_t(int32_t(input.Word()));
        if (input.Byte() == 0xFF) n = input.Byte() & 1 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
        if (n > 0 && pos > std::numeric_limits<int64_t>::max() - n)
          pos = std::numeric_limits<int64_t>::max();
        else
          pos = std::max<int64_t>(0, pos + n);
        if (stream.Skip(n) != pos) __builtin_trap();
        break;
      }
      case 3: stream.Mark(); mark = pos; break;
      case 4: stream.Reset(); pos = mark; break;
      default:
        if (stream.Available() != count - pos || stream.GetPosition() != pos) __builtin_trap();
        break;
    }
  }
}

void Commit(CCompoundDocument& document, const Model& model) {
  const std::string file = Folder() + "document.cfb";
  if (!document.Commit(CPathName(file))) __builtin_trap();
  std::vector<u8> bytes;
  if (!ReadWholeFile(CPathName(file), bytes)) __builtin_trap();
  cfbtest::CompoundContents contents;
  std::string error;
  if (!cfbtest::ReadCompoundFile(bytes, contents, error)) __builtin_trap();
  if (contents.streams.size() != model.streams.size()) __builtin_trap();
  if (contents.storages.size() != model.storages.size() - 1) __builtin_trap();
  // Every stream's bytes are in the file, under some path.
  std::multiset<std::vector<uint8_t>> read, expected(model.bytes.begin(), model.bytes.end());
  for (const auto& stream : contents.streams) read.insert(stream.second);
  if (read != expected) __builtin_trap();
}

}  // namespace

int gbfuzz::TestOneInput(const uint8_t* data, size_t size) {
  Input input(data, size);
  CCompoundDocument document;
  Model model;
  model.storages.push_back(document.GetRoot());
  int commits = 0;
  while (!input.Empty()) {
    switch (input.Byte() % 8) {
      case 0:
      case 1: {
        const bool storage = input.Byte() & 1;
        CCompoundStorage* parent = model.storages[input.Byte() % model.storages.size()];
        const std::string name = FuzzName(input);
        std::vector<std::string>& taken = model.names[parent];
        const bool accepted = NameIsValid(name) && std::find(taken.begin(), taken.end(), Folded(name)) == taken.end();
        CCompoundEntry* made = storage ? static_cast<CCompoundEntry*>(document.CreateStorage(parent, name.c_str()))
                                       : static_cast<CCompoundEntry*>(document.CreateStream(parent, name.c_str()));
        if ((made != nullptr) != accepted) __builtin_trap();
        if (!made) break;
        taken.push_back(Folded(name));
        if (storage) {
          model.storages.push_back(static_cast<CCompoundStorage*>(made));
        } else {
          model.streams.push_back(static_cast<CCompoundStream*>(made));
          model.bytes.emplace_back();
        }
        break;
      }
      case 2:
      case 3:
      case 4: {
        if (model.streams.empty()) break;
        const size_t which = input.Byte() % model.streams.size();
        CByteArrayOutputStream& out = model.streams[which]->GetOutput();
        std::vector<uint8_t>& bytes = model.bytes[which];
        size_t n = input.Byte();
        if (n % 4 == 0) n = n * 37;  // up to about 9 KB: both sides of the mini stream cutoff
        if (model.total + n > 200000) break;
        std::vector<uint8_t> chunk(n, input.Byte());
        for (size_t i = 0; i < n; i += 97) chunk[i] = uint8_t(i);
        const uint8_t how = input.Byte() % 3;
        if (how == 0) {
          out.WriteVector(chunk);
          bytes.insert(bytes.end(), chunk.begin(), chunk.end());
        } else if (how == 1) {
          const size_t offset = input.Byte() % (n + 8), count = input.Byte() * 41u;
          out.WriteRange(chunk, offset, count);
          if (offset < n) bytes.insert(bytes.end(), chunk.begin() + std::ptrdiff_t(offset),
                                       chunk.begin() + std::ptrdiff_t(offset + std::min(count, n - offset)));
        } else {
          for (size_t i = 0; i < std::min<size_t>(n, 64); ++i) out.WriteByte(chunk[i]);
          bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + std::ptrdiff_t(std::min<size_t>(n, 64)));
        }
        model.total += n;
        if (out.GetBytes() != bytes) __builtin_trap();
        break;
      }
      case 5:
      case 6:
        if (!model.streams.empty()) CheckInputStream(input, model.bytes[input.Byte() % model.bytes.size()]);
        break;
      default:
        if (commits < 3) {
          Commit(document, model);
          ++commits;
        }
        break;
    }
  }
  Commit(document, model);
  return 0;
}
