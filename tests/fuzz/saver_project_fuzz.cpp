// Fuzz target of the first-generation project reader: any bytes as a
// project file read without a crash, a hang or unbounded memory; a project
// that reads writes its element, which reads back to the same values.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "builders/model_attributes.h"
#include "builders/saver_project.h"
#include "foundation/path_name.h"
#include "foundation/xml_reader.h"
#include "foundation/xml_writer.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

const char kInputName[] = "project.xml";
const char kOutputName[] = "again.xml";

// A folder of this process for the files of one input, removed at exit.
const std::string& ScratchFolder() {
  static const std::string folder = [] {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/saver_project_fuzz.XXXXXX";
    char* made = mkdtemp(pattern.data());
    if (!made) __builtin_trap();
    return std::string(made) + "/";
  }();
  static const bool cleaned = std::atexit([] {
    for (const char* name : {kInputName, kOutputName}) std::remove((ScratchFolder() + name).c_str());
    rmdir(ScratchFolder().c_str());
  }) == 0;
  (void)cleaned;
  return folder;
}

bool WriteInput(const std::string& path, const uint8_t* data, size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}

// Text that the XML writer writes and reads back as it was.
bool Printable(const std::string& text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  return true;
}

// Reads the second form of the element in `file` into `project`.
bool ReadSecondForm(const std::string& file, CSaverProject& project) {
  CXmlDocument document;
  CXmlNode root;
  if (!document.Open(CPathName(file)) || !document.GetRootNode(root)) return false;
  bool read = false;
  // The walk stops at the first element; `read` holds its outcome.
  (void)ForEachChildNamed(root, "screen_saver", [&](const CXmlNode& element) {
    read = project.ReadXml(element);
    return false;
  });
  return read;
}

}  // namespace

int gbfuzz::TestOneInput(const uint8_t* data, size_t size) {
  if (size > 64 * 1024) return 0;
  const std::string input = ScratchFolder() + kInputName;
  if (!WriteInput(input, data, size)) return 0;

  CSaverProject first;
  (void)first.ReadXmlFile(CPathName(input));  // hostile input may fail to read
  CSaverProject project;
  CXmlDocument document;
  CXmlNode root;
  if (!document.Open(CPathName(input)) || !document.GetRootNode(root)) return 0;
  if (!project.ReadXml(root)) return 0;

  const std::string output = ScratchFolder() + kOutputName;
  {
    CXmlWriter writer;
    if (!writer.Open(CPathName(output), CXmlWriteOptions(), true)) return 0;
    // What it writes is checked by reading it back below.
    (void)project.WriteXml(writer);
    if (!writer.Close()) return 0;
  }
  CSaverProject again;
  if (!ReadSecondForm(output, again)) __builtin_trap();
  if (std::memcmp(&again.GetSettings(), &project.GetSettings(), sizeof(SaverEngineSettings)) != 0) __builtin_trap();
  if (again.GetUniversalBinary() != project.GetUniversalBinary() ||
      again.GetInstallerReadme() != project.GetInstallerReadme() ||
      again.GetMoreFiles().GetCount() != project.GetMoreFiles().GetCount())
    __builtin_trap();
  if (Printable(project.GetName()) && again.GetName() != project.GetName()) __builtin_trap();
  if (Printable(project.GetInstallerPrefix()) && again.GetInstallerPrefix() != project.GetInstallerPrefix())
    __builtin_trap();
  if (Printable(project.GetInstallerSuffix()) && again.GetInstallerSuffix() != project.GetInstallerSuffix())
    __builtin_trap();

  // The names the project gives its outputs stay inside the output folder.
  project.SetOutputFolder(CPathName(ScratchFolder()));
  CPathName path(nullptr);
  if (project.GetSaverPath(path) && path.GetParentFolder(true) != ScratchFolder()) __builtin_trap();
  if (project.GetInstallerAppPath(path) && path.GetParentFolder(true) != ScratchFolder()) __builtin_trap();
  return 0;
}
