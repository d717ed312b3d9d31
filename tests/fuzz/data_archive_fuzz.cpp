// Fuzz target of the packed data archive reader: any bytes load, or are
// refused with an error number and nothing of them left unpacked; records
// unpack only into the work subfolder; and what loads is packed again by
// the writer and loads to the same files, folders and buffers.
//
// Seeds: archives our writer packs behind a few host bytes, with every
// record type.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "builders/data_archive.h"
#include "tests/fuzz/fuzz_samples.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/fuzz_tree.h"

namespace {

void MakeSeeds(gbfuzz::SeedWriter& seeds) {
  const std::string folder = gbfuzz::SandboxFolder("seeds");
  gbfuzz::SandboxFolder("seeds/extras/inner");
  gbfuzz::WriteSampleMovie(folder + "clip.swf");
  gbfuzz::WriteHostFile(folder + "ssc0.dat", std::string("<windows/>"));
  gbfuzz::WriteHostFile(folder + "extras/a.txt", std::string("a"));
  gbfuzz::WriteHostFile(folder + "extras/inner/b.txt", std::string("bb"));
  gbfuzz::WriteHostFile(folder + "archive.bin", std::string("engine bytes"));
  CDataArchiveWriter writer;
  gbfuzz::Check(writer.Open(CPathName(folder + "archive.bin")), "a sample archive cannot be opened");
  writer.Add(new CDataArchiveItem(), true);
  auto* movie = new CDataArchiveNamedFileItem;
  movie->SetPath(CPathName(folder + "clip.swf"));
  writer.Add(movie, true);
  auto* extras = new CDataArchiveFolderItem;
  extras->SetPath(CPathName(folder + "extras/"));
  writer.Add(extras, true);
  auto* buffer = new CDataArchiveBufferItem;
  buffer->SetName("__saver.swf");
  buffer->SetTag(3);
  buffer->SetData(std::vector<u8>{'F', 'W', 'S', 6});
  writer.Add(buffer, true);
  auto* settings = new CDataArchiveSettingsItem;
  settings->SetPath(CPathName(folder + "ssc0.dat"));
  writer.Add(settings, true);
  gbfuzz::Check(writer.Close(), "a sample archive cannot be written");
  seeds.AddFile(folder + "archive.bin");
}

struct Record {
  u64 position;
  CDataArchiveItem* item;
};

// Packs again what the reader loaded: the records in their first order, the
// folders it unpacked before them.
bool Repack(const CDataArchiveReader& reader, const std::string& unpacked, const std::string& path) {
  std::vector<Record> records;
  CPathName settingsPath(nullptr);
  if (reader.GetSettingsPath(settingsPath)) {
    auto* settings = new CDataArchiveSettingsItem;
    settings->SetPath(settingsPath);
    records.push_back({0, settings});
  }
  for (const auto& entry : reader.GetNamedFiles()) {
    auto* file = new CDataArchiveNamedFileItem;
    file->SetPath(entry.item->GetPath());
    records.push_back({entry.position, file});
  }
  for (const auto& entry : reader.GetBuffers()) {
    auto* buffer = new CDataArchiveBufferItem;
    buffer->SetName(entry.item->GetName().c_str());
    buffer->SetTag(entry.item->GetTag());
    buffer->SetData(entry.item->GetData());
    records.push_back({entry.position, buffer});
  }
  std::sort(records.begin(), records.end(), [](const Record& a, const Record& b) { return a.position < b.position; });
  CDataArchiveWriter writer;
  if (!writer.Open(CPathName(path))) gbfuzz::Fail("a new archive cannot be opened");
  writer.Add(new CDataArchiveItem(), true);
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(unpacked, error)) {
    if (!entry.is_directory()) continue;
    auto* folder = new CDataArchiveFolderItem;
    folder->SetPath(CPathName(entry.path().string() + "/"));
    writer.Add(folder, true);
  }
  for (const Record& record : records) writer.Add(record.item, true);
  return writer.Close();
}

}  // namespace

FUZZ_SEEDS(MakeSeeds);

int gbfuzz::TestOneInput(const uint8_t* data, size_t size) {
  gbfuzz::ResetSandbox();
  const std::string work = gbfuzz::SandboxFolder("work");
  const std::string unpacked = ArchiveUnpackFolder().GetAbsolutePath(0);
  gbfuzz::Check(!unpacked.empty(), "the work subfolder cannot be had");
  gbfuzz::WriteHostFile(work + "archive.bin", data, size);

  CDataArchiveReader reader;
  gbfuzz::Check(reader.Open(CPathName(work + "archive.bin")), "an archive file does not open");
  const bool loaded = reader.Load();
  gbfuzz::CheckSandbox();
  if (!loaded) {
    gbfuzz::Check(reader.GetError() != kArchiveNoError, "a refused archive has no error number");
    gbfuzz::Check(gbfuzz::ReadTree(unpacked).empty(), "a refused archive leaves files unpacked");
    return 0;
  }
  const gbfuzz::FolderTree first = gbfuzz::ReadTree(unpacked);
  // An archive that the writer cannot pack (two records of one name, say)
  // is not compared.
  if (!Repack(reader, unpacked, work + "again.bin")) return 0;
  reader.Close();
  gbfuzz::EmptyFolder(unpacked);

  CDataArchiveReader again;
  gbfuzz::Check(again.Open(CPathName(work + "again.bin")) && again.Load(), "a repacked archive does not load");
  gbfuzz::Check(gbfuzz::ReadTree(unpacked) == first, "a repacked archive unpacks to other files");
  gbfuzz::CheckSandbox();
  return 0;
}
