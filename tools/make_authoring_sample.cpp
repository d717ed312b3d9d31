// Writes a sample authoring document: a compound file whose streams hold
// class-tagged records, for opening with any compound-file reader.
//
//   gb_make_authoring_sample <output> [PATH=SIZE ...]
//
// Every PATH=SIZE makes a stream of exactly SIZE bytes at PATH, whose
// storages ("Media/Sounds/Sound 1") are made on the way; the stream holds
// as many whole records as fit, then zero bytes. Without any, the sample has
// "Page 1" of 3000 bytes (in the mini stream), "Media/Bitmap 1" of 20000
// bytes and "Media/Sounds/Sound 1" of 4096 bytes. A stream "Contents" with a
// short run of records is always there. Exit status 0 when the document was
// written, 1 when it could not be, 2 for bad arguments.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "authoring/class_tags.h"
#include "authoring/compound_document.h"
#include "authoring/doc_records.h"
#include "foundation/data_writer.h"
#include "foundation/path_name.h"
#include "platform/text_encoding.h"

namespace {

struct StreamRequest {
  std::string path;  // Mac Roman, "/" between storages
  u64 size = 0;
};

// One frame's worth of records: a frame, a shape placed in it with its
// instance record, and the shape's gradient fill.
void WriteFrameRecords(CDataWriter& writer, CClassTagWriter& tags, u32 frame) {
  if (tags.WriteFrameTag(writer, 0) == 0) return;
  CDocInstance instance;
  instance.matrix.translateX = s32(frame * 20);
  instance.matrix.translateY = s32(frame % 7) * -20;
  instance.colorTransform.SetAlpha(0.25 * double(frame % 5));
  WriteInstanceRecord(writer, instance);
  if (tags.WriteShapeTag(writer, 0) == 0) return;
  CDocColorTransform tint;
  tint.SetTint(0x00336699u + frame);
  tint.Write(writer);
  CDocGradient gradient;
  if (gradient.AddStop(CDocGradientStop(0, 0x000000FFu)) && gradient.AddStop(CDocGradientStop(255, 0, 128, 255, 200)))
    gradient.Write(writer);
}

// A page of records filling `size` bytes: whole records while they fit,
// then zeros.
std::vector<u8> PageRecords(u64 size) {
  CClassTagWriter tags;
  CDataWriter writer;
  tags.WritePageTag(writer);
  std::vector<u8> bytes = writer.GetBuffer(true);
  if (bytes.size() > size) bytes.clear();
  for (u32 frame = 0; bytes.size() < size; ++frame) {
    CClassTagWriter next = tags;
    CDataWriter record;
    WriteFrameRecords(record, next, frame);
    const std::vector<u8>& recordBytes = record.GetBuffer(true);
    if (recordBytes.empty() || recordBytes.size() > size - bytes.size()) break;
    bytes.insert(bytes.end(), recordBytes.begin(), recordBytes.end());
    tags = next;
  }
  bytes.resize(size_t(size), 0);
  return bytes;
}

bool ParseRequest(const char* argument, StreamRequest& request) {
  const std::string text = argument;
  const size_t equals = text.rfind('=');
  if (equals == std::string::npos || equals == 0 || equals + 1 == text.size()) return false;
  const std::string number = text.substr(equals + 1);
  if (number.find_first_not_of("0123456789") != std::string::npos || number.size() > 10) return false;
  request.size = std::strtoull(number.c_str(), nullptr, 10);
  return request.size <= 0xFFFFFFFFu && plat::Utf8ToMacRoman(text.substr(0, equals), request.path);
}

// The storage path of a request, made as needed; null when a name is refused.
CCompoundStorage* StorageFor(CCompoundDocument& document, const std::string& path, std::string& leaf) {
  CCompoundStorage* storage = document.GetRoot();
  size_t start = 0;
  for (size_t slash; (slash = path.find('/', start)) != std::string::npos; start = slash + 1) {
    const std::string name = path.substr(start, slash - start);
    std::u16string unicodeName;
    if (!MakeEntryName(name.c_str(), unicodeName)) return nullptr;
    CCompoundEntry* existing = storage->FindChild(unicodeName);
    if (existing && existing->GetType() != ECompoundEntryType::kStorage) return nullptr;
    storage = existing ? static_cast<CCompoundStorage*>(existing) : document.CreateStorage(storage, name.c_str());
    if (!storage) return nullptr;
  }
  leaf = path.substr(start);
  return storage;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: gb_make_authoring_sample <output> [PATH=SIZE ...]\n");
    return 2;
  }
  std::vector<StreamRequest> requests;
  for (int i = 2; i < argc; ++i) {
    StreamRequest request;
    if (!ParseRequest(argv[i], request)) {
      std::fprintf(stderr, "gb_make_authoring_sample: \"%s\" is no PATH=SIZE (SIZE below 4 GiB)\n", argv[i]);
      return 2;
    }
    requests.push_back(request);
  }
  if (requests.empty()) requests = {{"Page 1", 3000}, {"Media/Bitmap 1", 20000}, {"Media/Sounds/Sound 1", 4096}};

  std::string host = argv[1];
  if (host.empty() || host[0] != '/') {
    char* folder = getcwd(nullptr, 0);
    host = std::string(folder ? folder : "") + "/" + host;
    std::free(folder);
  }
  std::string output;
  if (!plat::FromHostPath(host, output)) {
    std::fprintf(stderr, "gb_make_authoring_sample: the path %s cannot be used\n", argv[1]);
    return 2;
  }

  CCompoundDocument document;
  CCompoundStream* contents = document.CreateStream(nullptr, "Contents");
  if (contents) contents->GetOutput().WriteVector(PageRecords(400));
  for (const StreamRequest& request : requests) {
    std::string leaf;
    CCompoundStorage* storage = StorageFor(document, request.path, leaf);
    CCompoundStream* stream = storage ? document.CreateStream(storage, leaf.c_str()) : nullptr;
    if (!stream) {
      std::fprintf(stderr, "gb_make_authoring_sample: \"%s\" cannot be a stream here (a name of 1 to 31 characters, "
                   "without / \\ : !, once in its storage)\n", plat::MacRomanToUtf8(request.path).c_str());
      return 2;
    }
    stream->GetOutput().WriteVector(PageRecords(request.size));
  }
  if (!document.Commit(CPathName(output))) {
    std::fprintf(stderr, "gb_make_authoring_sample: %s could not be written\n", argv[1]);
    return 1;
  }
  std::printf("%s\n", host.c_str());
  std::printf("  Contents: 400 bytes\n");
  for (const StreamRequest& request : requests)
    std::printf("  %s: %llu bytes\n", plat::MacRomanToUtf8(request.path).c_str(),
                static_cast<unsigned long long>(request.size));
  return 0;
}
