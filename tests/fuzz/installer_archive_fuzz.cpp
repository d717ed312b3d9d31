// Fuzz target of the installer data archive reader (behind the single-file
// installer): any bytes load in each of the three walks, or are refused
// with an error number and nothing left unpacked; records unpack only into
// the work subfolder; and what loads is packed again by the writer and
// loads to the same files (the ReadMe and licence with CR LF line ends, as
// the writer stores them) and the same picture.
//
// Seeds: archives our writer packs behind a few stub bytes, with every
// record type.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "builders/data_archive.h"
#include "builders/installer_archive.h"
#include "tests/fuzz/fuzz_samples.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/fuzz/fuzz_tree.h"

namespace {

void MakeSeeds(gbfuzz::SeedWriter& seeds) {
  const std::string folder = gbfuzz::SandboxFolder("seeds");
  gbfuzz::WriteSampleMovie(folder + "clip.swf");
  gbfuzz::WriteHostFile(folder + "installer.dat", std::string("<installer/>"));
  gbfuzz::WriteHostFile(folder + "icd0.dat", std::string(16, '\1'));
  gbfuzz::WriteHostFile(folder + "notes.txt", std::string("line\nnext\rlast"));
  gbfuzz::WriteHostFile(folder + "archive.bin", std::string("stub bytes"));
  CInstallerArchiveWriter writer;
  gbfuzz::Check(writer.Open(CPathName(folder + "archive.bin")), "a sample archive cannot be opened");
  writer.Add(new CInstallerArchiveItem(), true);
  for (bool compressed : {true, false}) {
    auto* file = new CInstallerFileItem;
    file->SetPath(CPathName(folder + (compressed ? "clip.swf" : "notes.txt")));
    file->SetCompressed(compressed);
    writer.Add(file, true);
  }
  auto* script = new CInstallerScriptItem;
  script->SetPath(CPathName(folder + "installer.dat"));
  writer.Add(script, true);
  auto* readMe = new CInstallerReadMeItem;
  readMe->SetPath(CPathName(folder + "notes.txt"));
  writer.Add(readMe, true);
  auto* license = new CInstallerLicenseItem;
  license->SetPath(CPathName(folder + "notes.txt"));
  writer.Add(license, true);
  auto* settings = new CInstallerSettingsItem;
  settings->SetPath(CPathName(folder + "icd0.dat"));
  writer.Add(settings, true);
  CBitmapImage picture;
  std::vector<u8> pixels(4 * 3 * 3, 0x7F);
  gbfuzz::Check(picture.Create(4, 3, 24, pixels.data(), true), "the sample picture cannot be made");
  auto* image = new CInstallerPictureItem;
  gbfuzz::Check(image->SetImage(picture), "the sample picture cannot be packed");
  writer.Add(image, true);
  gbfuzz::Check(writer.Close(), "a sample archive cannot be written");
  seeds.AddFile(folder + "archive.bin");
}

// A walk that fails leaves nothing unpacked and says why.
void CheckRefusal(const CInstallerArchiveReader& reader, bool loaded, const std::string& unpacked) {
  gbfuzz::CheckSandbox();
  if (loaded) return;
  gbfuzz::Check(reader.GetError() != kArchiveNoError, "a refused archive has no error number");
  gbfuzz::Check(gbfuzz::ReadTree(unpacked).empty(), "a refused archive leaves files unpacked");
}

// Packs again what the reader loaded: the file records in their first
// order, then the script, settings, texts and picture.
bool Repack(const CInstallerArchiveReader& reader, const std::string& unpacked, const std::string& path) {
  CInstallerArchiveWriter writer;
  if (!writer.Open(CPathName(path))) gbfuzz::Fail("a new archive cannot be opened");
  writer.Add(new CInstallerArchiveItem(), true);
  std::vector<std::pair<u64, const CInstallerFileItem*>> files;
  for (const auto& entry : reader.GetFiles()) files.emplace_back(entry.position, entry.item.get());
  std::sort(files.begin(), files.end());
  for (const auto& [position, read] : files) {
    auto* file = new CInstallerFileItem;
    file->SetPath(read->GetPath());
    file->SetCompressed(read->IsCompressed());
    writer.Add(file, true);
  }
  CPathName scriptPath(nullptr);
  if (reader.GetScriptPath(scriptPath)) {
    auto* script = new CInstallerScriptItem;
    script->SetPath(scriptPath);
    writer.Add(script, true);
  }
  if (gbfuzz::FileExists(unpacked + "icd0.dat")) {
    auto* settings = new CInstallerSettingsItem;
    settings->SetPath(CPathName(unpacked + "icd0.dat"));
    writer.Add(settings, true);
  }
  if (const CInstallerFileItem* text = reader.GetReadMe()) {
    auto* readMe = new CInstallerReadMeItem;
    readMe->SetPath(text->GetPath());
    writer.Add(readMe, true);
  }
  if (const CInstallerFileItem* text = reader.GetLicense()) {
    auto* license = new CInstallerLicenseItem;
    license->SetPath(text->GetPath());
    writer.Add(license, true);
  }
  if (const CInstallerPictureItem* read = reader.GetPicture()) {
    auto* picture = new CInstallerPictureItem;
    if (!picture->SetImage(read->GetImage())) gbfuzz::Fail("a picture that was read cannot be copied");
    writer.Add(picture, true);
  }
  return writer.Close();
}

std::vector<u8> PictureOf(const CInstallerArchiveReader& reader) {
  const CInstallerPictureItem* picture = reader.GetPicture();
  if (!picture) return {};
  const CBitmapImage& image = picture->GetImage();
  std::vector<u8> bytes;
  for (u32 word : {image.GetWidth(), image.GetHeight(), u32(image.GetBitsPerPixel())})
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(u8(word >> shift));
  bytes.insert(bytes.end(), image.GetPixels(), image.GetPixels() + image.GetByteSize());
  return bytes;
}

}  // namespace

FUZZ_SEEDS(MakeSeeds);

int gbfuzz::TestOneInput(const uint8_t* data, size_t size) {
  gbfuzz::ResetSandbox();
  const std::string work = gbfuzz::SandboxFolder("work");
  const std::string unpacked = ArchiveUnpackFolder().GetAbsolutePath(0);
  gbfuzz::Check(!unpacked.empty(), "the work subfolder cannot be had");
  const CPathName archive(work + "archive.bin");
  gbfuzz::WriteHostFile(work + "archive.bin", data, size);

  {
    CInstallerArchiveReader texts;
    gbfuzz::Check(texts.Open(archive), "an archive file does not open");
    CheckRefusal(texts, texts.LoadTexts(), unpacked);
    gbfuzz::EmptyFolder(unpacked);
    CInstallerArchiveReader withoutFiles;
    gbfuzz::Check(withoutFiles.Open(archive), "an archive file does not open");
    CheckRefusal(withoutFiles, withoutFiles.LoadWithoutFiles(), unpacked);
    gbfuzz::EmptyFolder(unpacked);
  }

  CInstallerArchiveReader reader;
  gbfuzz::Check(reader.Open(archive), "an archive file does not open");
  const bool loaded = reader.Load();
  CheckRefusal(reader, loaded, unpacked);
  if (!loaded) return 0;
  gbfuzz::FolderTree first = gbfuzz::ReadTree(unpacked);
  // The writer stores the texts with CR LF line ends.
  for (const CInstallerFileItem* text : {reader.GetReadMe(), reader.GetLicense()}) {
    if (!text) continue;
    auto at = first.find(text->GetName());
    if (at != first.end()) ConvertLineEndsToCrLf(at->second);
  }
  const std::vector<u8> picture = PictureOf(reader);
  // An archive that the writer cannot pack (two records of one name, say)
  // is not compared.
  if (!Repack(reader, unpacked, work + "again.bin")) return 0;
  reader.Close();
  gbfuzz::EmptyFolder(unpacked);

  CInstallerArchiveReader again;
  gbfuzz::Check(again.Open(CPathName(work + "again.bin")) && again.Load(), "a repacked archive does not load");
  gbfuzz::Check(gbfuzz::ReadTree(unpacked) == first, "a repacked archive unpacks to other files");
  gbfuzz::Check(PictureOf(again) == picture, "a repacked archive holds another picture");
  gbfuzz::CheckSandbox();
  return 0;
}
