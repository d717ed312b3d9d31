// The Mac screen-saver bundle step of CSaverBuilder.
#include "builders/mac_saver_bundle.h"

#include <cstdio>
#include <cstring>

#include "builders/build_messages.h"
#include "builders/finder_refresh.h"
#include "builders/saver_archive.h"
#include "builders/saver_builder.h"
#include "builders/saver_data_list.h"
#include "builders/staging_folder.h"
#include "foundation/crc32.h"
#include "foundation/file_bytes.h"
#include "foundation/finder_info.h"
#include "foundation/folder_iterator.h"
#include "platform/text_encoding.h"

const char kSaverEnginePlaceholder[] = "XXXXXXXXXXXXXXXXZZZZZZZZ";

namespace {

const char kEngineName[] = "fssx";
const char kPluginName[] = "Flash Player.plugin";
const char kSettingsName[] = "ssc0.dat";

// How far back from an all-'X' word the start of a placeholder is looked for.
constexpr size_t kPlaceholderSearchBack = 100;

}  // namespace

size_t PatchEnginePlaceholders(std::vector<u8>& bytes, const std::string& name) {
  if (name.size() != kUniqueSaverNameLength) return 0;
  size_t replaced = 0;
  const size_t words = bytes.size() / 4;
  for (size_t word = 0; word < words; ++word) {
    const size_t at = word * 4;
    if (std::memcmp(&bytes[at], "XXXX", 4) != 0) continue;
    size_t start = at;
    size_t back = 0;
    while (start > 0 && back < kPlaceholderSearchBack && bytes[start - 1] == 'X') {
      --start;
      ++back;
    }
    if (back == kPlaceholderSearchBack) continue;
    if (bytes.size() - start < kUniqueSaverNameLength) continue;
    if (std::memcmp(&bytes[start], kSaverEnginePlaceholder, kUniqueSaverNameLength) != 0) continue;
    std::memcpy(&bytes[start], name.data(), kUniqueSaverNameLength);
    ++replaced;
  }
  return replaced;
}

std::string UniqueSaverNameOf(const char* name) {
  if (!name) name = "";
  const size_t length = std::strlen(name);
  std::string unique(name, length < 16 ? length : 16);
  for (char& c : unique) {
    const u8 byte = u8(c);
    // Bytes that would break the property list or the engine's class name.
    if (byte == '"' || byte == '\'' || byte == '&' || byte == '<' || byte == '>' || byte < 0x20 || byte == 0x7F ||
        byte >= 0x80)
      c = 'X';
  }
  unique.resize(16, 'O');
  u32 crc = 0;
  ComputeStringCrc32(name, crc);
  char digits[9];
  std::snprintf(digits, sizeof digits, "%08X", unsigned(crc));
  return unique + digits;
}

namespace {

// A value of the property list: UTF-8 (as its declaration says) with the
// markup characters escaped; control bytes that XML cannot carry become '?'.
std::string PlistText(const std::string& macRoman) {
  std::string text;
  for (char c : plat::MacRomanToUtf8(macRoman)) {
    switch (c) {
      case '&': text += "&amp;"; break;
      case '<': text += "&lt;"; break;
      case '>': text += "&gt;"; break;
      case '"': text += "&quot;"; break;
      case '\'': text += "&apos;"; break;
      default:
        text += (u8(c) < 0x20 && c != '\t') || c == 0x7F ? '?' : c;
    }
  }
  return text;
}

}  // namespace

bool WriteInfoPlistFile(const CPathName& path, const std::vector<CInfoPlistEntry>& entries, InfoPlistForm form) {
  std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  if (form == InfoPlistForm::kVersion09) {
    text +=
        "<!DOCTYPE plist SYSTEM \"file://localhost/System/Library/DTDs/PropertyList.dtd\">\n"
        "<plist version=\"0.9\">\n";
  } else {
    text +=
        "<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
        "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\">\n";
  }
  text += "<dict>\n";
  for (const CInfoPlistEntry& entry : entries) {
    text += std::string("\t<key>") + entry.key + "</key>\n";
    text += entry.raw ? "\t" + entry.value + "\n" : "\t<string>" + PlistText(entry.value) + "</string>\n";
  }
  text += "</dict>\n</plist>\n";

  // Only a file is replaced, never a folder of that name.
  if (path.IsFolder()) return false;
  const CFileTypeCreator textFile(FourCC("    "), FourCC("TEXT"));
  return CPathName(path).CreateFile(&textFile, true) && OverwriteFileContents(path, text.data(), text.size());
}

// ---------------------------------------------------------------------------
// The bundle

bool CSaverBuilder::BuildSaverBundle(const CPathName& output, CSaverDataList* list, bool overwrite) {
  dataList = list;
  if (!list) return Report(kNoProjectMessage);
  const std::string name = OutputItemName(output);
  Report(kBuildingMacSaverMessage, name);
  // An existing output is kept when asked, else replaced once the new one is complete.
  if (output.Exists() && !overwrite) {
    Note(kOutputKeptMessage, Shown(output));
    return true;
  }
  CPathName outputFolder(nullptr);
  if (!GetOutputFolder(output, outputFolder)) return Report(kNoOutputFolderMessage, Shown(output));

  // What the bundle would hold is checked before anything is made.
  CPathName finalResources(nullptr);
  finalResources.SetPath((Shown(output) + "/Contents/Resources/").c_str());
  std::vector<CNamedSource> reserved, files;
  GetReservedResourceNames(finalResources, kArchitectureUniversal, reserved, nullptr);
  if (!CollectMovieFiles(list->GetRootItem(), true, reserved, files)) return false;

  MakeUniqueSaverName(list->GetName().c_str());
  CStagingFolder staging;
  if (!staging.Create()) return Report(kNoWorkFolderMessage);
  CPathName bundle(nullptr);
  if (!staging.GetItem(name.c_str(), bundle) || !bundle.CreateFolder()) return Report(kCannotWriteMessage, Shown(bundle));
  CPathName contents = MakeSubFolder(bundle, "Contents");
  if (contents.IsEmpty()) return Report(kCannotWriteMessage, Shown(bundle));
  if (!BuildContents(contents, kArchitectureUniversal)) return false;

  if (!PlaceBuiltItem(bundle, output)) return Report(kCannotPlaceMessage, Shown(output));
  RefreshFinderWindows(output, true);
  return true;
}

void CSaverBuilder::MakeUniqueSaverName(const char* name) { uniqueSaverName = UniqueSaverNameOf(name); }

bool CSaverBuilder::BuildContents(const CPathName& contents, int architecture) {
  if (!WriteSaverInfoPlist(contents)) return Report(kCannotWriteMessage, Shown(ChildPath(contents, "Info.plist")));
  CPathName macos = MakeSubFolder(contents, "MacOS");
  if (macos.IsEmpty()) return Report(kCannotWriteMessage, Shown(ChildPath(contents, "MacOS")));
  if (!CopyAndPatchEngine(macos, architecture)) return false;
  CPathName resources = MakeSubFolder(contents, "Resources");
  if (resources.IsEmpty()) return Report(kCannotWriteMessage, Shown(ChildPath(contents, "Resources")));
  return FillSaverResources(resources, architecture);
}

bool CSaverBuilder::WriteSaverInfoPlist(const CPathName& contents) {
  if (uniqueSaverName.size() != kUniqueSaverNameLength)
    MakeUniqueSaverName(dataList ? dataList->GetName().c_str() : "");
  const std::string prefix = kBundleIdentifierPrefix;
  return WriteInfoPlistFile(ChildPath(contents, "Info.plist"),
                            {{"CFBundleDevelopmentRegion", "English"},
                             {"CFBundleExecutable", kEngineName},
                             {"CFBundleIdentifier", prefix + "screensaver." + uniqueSaverName},
                             {"CFBundleInfoDictionaryVersion", "6.0"},
                             {"CFBundlePackageType", "BNDL"},
                             {"CFBundleSignature", "FsXX"},
                             {"CFBundleVersion", "1.0"},
                             {"NSPrincipalClass", "OxSS" + uniqueSaverName}});
}

bool CSaverBuilder::CopyAndPatchEngine(const CPathName& macos, int architecture) {
  const CPathName engine = ChildPath(folders.GetMacEngineFolder(architecture), kEngineName);
  if (!IsRegularFile(engine)) return Report(kTemplateMissingMessage, Shown(engine));
  CPathName copy(nullptr);
  if (!engine.CopyTo(macos, nullptr, true, &copy)) return Report(kCannotCopyMessage, Shown(engine));

  std::vector<u8> bytes;
  if (!ReadWholeFile(copy, bytes)) return Report(kCannotReadMessage, Shown(copy));
  if (uniqueSaverName.size() != kUniqueSaverNameLength)
    MakeUniqueSaverName(dataList ? dataList->GetName().c_str() : "");
  PatchEnginePlaceholders(bytes, uniqueSaverName);
  // Written back into the copy, which keeps its permissions and Finder information.
  if (!OverwriteFileContents(copy, bytes.data(), bytes.size())) return Report(kCannotWriteMessage, Shown(copy));
  return true;
}

void CSaverBuilder::GetReservedResourceNames(const CPathName& resources, int architecture,
                                             std::vector<CNamedSource>& reserved,
                                             std::vector<CPathName>* languageFolders) {
  reserved.clear();
  const CPathName engineFolder = folders.GetMacEngineFolder(architecture);
  CPathName item(nullptr);
  bool isFolder = false;
  for (bool more = GetFirstFolderItem(engineFolder, item, &isFolder, "*"); more;
       more = GetNextFolderItem(item, &isFolder)) {
    if (item.GetExtension(false) != "lproj") continue;
    CPathName language = item;
    language.RemoveTrailingSeparator();
    reserved.push_back({language.GetName(false), language});
    if (languageFolders) languageFolders->push_back(language);
  }
  EndFolderIteration();
  reserved.push_back({kPluginName, ChildPath(engineFolder, kPluginName)});
  reserved.push_back({kSaverBlankMovieName, ChildPath(resources, kSaverBlankMovieName)});
  reserved.push_back({kSettingsName, ChildPath(resources, kSettingsName)});
}

bool CSaverBuilder::FillSaverResources(const CPathName& resources, int architecture) {
  if (!dataList) return Report(kNoProjectMessage);
  std::vector<CNamedSource> reserved, files;
  std::vector<CPathName> languages;
  GetReservedResourceNames(resources, architecture, reserved, &languages);
  if (!CollectMovieFiles(dataList->GetRootItem(), true, reserved, files)) return false;

  if (languages.empty()) Note(kNoLanguagesMessage, Shown(folders.GetMacEngineFolder(architecture)));
  for (const CPathName& language : languages)
    if (!language.CopyTo(resources, nullptr, false, nullptr)) return Report(kCannotCopyMessage, Shown(language));
  if (!CopyFlashPlayerPlugin(resources, architecture)) return false;
  for (const CNamedSource& file : files)
    if (!file.path.CopyFollowingLinks(resources, file.name.c_str(), false, nullptr))
      return Report(kCannotCopyMessage, Shown(file.path));

  const CPathName blankMovie = ChildPath(resources, kSaverBlankMovieName);
  if (!WriteSaverMovie(blankMovie)) return Report(kCannotWriteMessage, Shown(blankMovie));
  const CPathName settings = ChildPath(resources, kSettingsName);
  if (!dataList->WriteSettingsFile(settings)) return Report(kCannotWriteMessage, Shown(settings));
  return true;
}

bool CSaverBuilder::CopyFlashPlayerPlugin(const CPathName& resources, int architecture) {
  const CPathName plugin = ChildPath(folders.GetMacEngineFolder(architecture), kPluginName);
  if (!plugin.Exists()) {
    Note(kPluginMissingMessage, Shown(plugin));
    return true;
  }
  if (!plugin.CopyTo(resources, nullptr, false, nullptr)) return Report(kCannotCopyMessage, Shown(plugin));
  return true;
}

bool CSaverBuilder::CopyMovieFiles(CSwfItem* item, const CPathName& folder) {
  std::vector<CNamedSource> files;
  if (!CollectMovieFiles(item, true, {}, files)) return false;
  for (const CNamedSource& file : files)
    if (!file.path.CopyFollowingLinks(folder, file.name.c_str(), false, nullptr))
      return Report(kCannotCopyMessage, Shown(file.path));
  return true;
}

bool CSaverBuilder::WriteSaverMovie(const CPathName& path) { return WriteBlankSaverMovie(path); }
