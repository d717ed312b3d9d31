#include "builders/saver_project.h"

#include <cstring>
#include <iterator>
#include <vector>

#include "builders/archive_file.h"
#include "builders/build_messages.h"
#include "builders/build_status.h"
#include "builders/mac_saver_bundle.h"
#include "builders/model_attributes.h"
#include "builders/output_files.h"
#include "builders/settings_document.h"
#include "builders/staging_folder.h"
#include "builders/swf_item.h"
#include "foundation/file_bytes.h"
#include "foundation/file_layer.h"
#include "foundation/file_operations.h"
#include "foundation/string_buffer.h"
#include "foundation/xml_reader.h"
#include "foundation/xml_writer.h"

namespace {

const char kEngineSettingsName[] = "ssc0.dat";
const char kElementName[] = "screen_saver";

// How deep below the root the element is looked for.
constexpr int kMaxSearchDepth = 64;

SaverEngineSettings DefaultSettings() {
  SaverEngineSettings settings{};
  settings.flashQuality = kFlashQualityHigh;
  settings.backgroundColor = 0;
  settings.hasBackgroundColor = 0;
  settings.exitOnMouseMove = 1;
  settings.exitOnMouseClick = 1;
  settings.exitOnKeyPress = 1;
  settings.hideMouseCursor = 1;
  return settings;
}

// The first element named "screen_saver": the node itself or one below it,
// depth first in document order.
[[nodiscard]] bool FindProjectElement(const CXmlNode& root, CXmlNode& found) {
  struct Pending {
    CXmlNode node;
    int depth;
  };
  std::vector<Pending> pending{{root, 0}};
  while (!pending.empty()) {
    Pending current = pending.back();
    pending.pop_back();
    if (current.node.GetNameString() == kElementName) return found.SetFromNode(current.node);
    if (current.depth >= kMaxSearchDepth) continue;
    CXmlNodeList children;
    current.node.GetChildren(children);
    for (int i = children.GetCount() - 1; i >= 0; --i) {
      CXmlNode child;
      if (children.GetAt(i, child)) pending.push_back({child, current.depth + 1});
    }
  }
  return false;
}

// The display name of a path as the first form stores it.
CHeldText DisplayName(const CPathName& path) {
  if (path.IsEmpty()) return CHeldText();
  return HeldItemNameOf(path);
}

}  // namespace

// ---------------------------------------------------------------------------
// The engine settings file

bool ReadEngineSettingsFile(SaverEngineSettings& record, const CPathName& folder) {
  CPathName path(nullptr);
  std::vector<u8> bytes;
  if (!path.SetInFolder(kEngineSettingsName, folder) || !ReadWholeFile(path, bytes, kEngineSettingsSize) ||
      bytes.size() != kEngineSettingsSize)
    return false;
  std::memcpy(&record, bytes.data(), kEngineSettingsSize);
  return true;
}

bool WriteEngineSettingsFile(const SaverEngineSettings& record, const CPathName& folder) {
  CPathName path(nullptr);
  if (!path.SetInFolder(kEngineSettingsName, folder) || path.IsFolder()) return false;
  if (!path.Exists() && !path.CreateFile(nullptr, false)) return false;
  return OverwriteFileContents(path, &record, kEngineSettingsSize);
}

// ---------------------------------------------------------------------------
// The project

CSaverProject::CSaverProject() : settings(DefaultSettings()) { CSaverProject::Reset(); }

CSaverProject::~CSaverProject() = default;

void CSaverProject::Reset() {
  movie = CPathName(nullptr);
  moreFiles.DeleteAll();
  name = "Untitled";
  installerPrefix = "Install";
  installerSuffix = CHeldText();
  installerCustomPic = installerIntro = installerReadme = installerLicense = false;
  installerCustomPicSrc = installerIntroSrc = installerReadmeSrc = installerLicenseSrc = CPathName(nullptr);
  settings = DefaultSettings();
  outputFolder = CPathName::GetDesktopFolder();
  universalBinary = true;
}

bool CSaverProject::SetTemplateFolders(const CPathName& engine, const CPathName& installer) {
  engineFolder = engine;
  installerFolder = installer;
  return true;
}

void CSaverProject::StoreText(CHeldText& field, const char* text) {
  // A text read with characters that were lost is not the one set anew.
  const CHeldText value(text);
  if (field == value) return;
  field = value;
  ++changeCount;
}

void CSaverProject::StorePath(CPathName& field, const CPathName& path) {
  if (field.IsSamePath(path) && field.HasSameWrittenForm(path)) return;
  field = AbsolutePathOf(path);
  ++changeCount;
}

void CSaverProject::SetName(const char* text) { StoreText(name, text); }
void CSaverProject::SetInstallerPrefix(const char* text) { StoreText(installerPrefix, text); }
void CSaverProject::SetInstallerSuffix(const char* text) { StoreText(installerSuffix, text); }
void CSaverProject::SetInstallerCustomPicSrc(const CPathName& path) { StorePath(installerCustomPicSrc, path); }
void CSaverProject::SetInstallerIntroSrc(const CPathName& path) { StorePath(installerIntroSrc, path); }
void CSaverProject::SetInstallerReadmeSrc(const CPathName& path) { StorePath(installerReadmeSrc, path); }
void CSaverProject::SetInstallerLicenseSrc(const CPathName& path) { StorePath(installerLicenseSrc, path); }

void CSaverProject::SetUniversalBinary(bool universal) {
  if (universalBinary == universal) return;
  universalBinary = universal;
  ++changeCount;
}

bool CSaverProject::SetMovie(const CPathName& path) {
  if (!IsMovieFile(path)) return false;
  StorePath(movie, path);
  return true;
}

void CSaverProject::AddMoreFile(const CPathName& path) {
  moreFiles.AddCopy(path);
  ++changeCount;
}

bool CSaverProject::RemoveMoreFile(CPathName* entry) {
  if (!entry || !moreFiles.Remove(entry)) return false;
  ++changeCount;
  return true;
}

bool CSaverProject::RemoveMoreFileAt(int index) {
  if (!moreFiles.RemoveAt(index)) return false;
  ++changeCount;
  return true;
}

void CSaverProject::ClearMoreFiles() {
  if (moreFiles.GetCount() == 0) return;
  moreFiles.DeleteAll();
  ++changeCount;
}

void CSaverProject::CopySettings(const CSaverProject& other) {
  settings.flashQuality = other.settings.flashQuality;
  settings.backgroundColor = other.settings.backgroundColor;
  settings.hasBackgroundColor = other.settings.hasBackgroundColor;
  settings.exitOnMouseMove = other.settings.exitOnMouseMove;
  settings.exitOnMouseClick = other.settings.exitOnMouseClick;
  settings.exitOnKeyPress = other.settings.exitOnKeyPress;
  settings.hideMouseCursor = other.settings.hideMouseCursor;
  installerCustomPic = other.installerCustomPic;
  installerIntro = other.installerIntro;
  installerReadme = other.installerReadme;
  installerLicense = other.installerLicense;
  installerCustomPicSrc = other.installerCustomPicSrc;
  installerIntroSrc = other.installerIntroSrc;
  installerReadmeSrc = other.installerReadmeSrc;
  installerLicenseSrc = other.installerLicenseSrc;
}

void CSaverProject::SetUniqueName(const char* text) { uniqueName = UniqueSaverNameOf(text); }

// ---------------------------------------------------------------------------
// Outputs

bool CSaverProject::OutputPath(const std::string& fileName, CPathName& path) const {
  if (outputFolder.IsEmpty() || !IsOutputItemName(fileName) || !path.SetInFolder(fileName.c_str(), outputFolder)) {
    path = CPathName(nullptr);
    return false;
  }
  return true;
}

bool CSaverProject::GetSaverPath(CPathName& path) const { return OutputPath(GetName() + ".saver", path); }
bool CSaverProject::GetWindowsSaverPath(CPathName& path) const { return OutputPath(GetName() + ".scr", path); }
bool CSaverProject::GetInstallerAppPath(CPathName& path) const {
  return OutputPath(GetInstallerPrefix() + GetName() + GetInstallerSuffix() + ".app", path);
}
bool CSaverProject::GetInstallerExePath(CPathName& path) const {
  return OutputPath(GetInstallerPrefix() + GetName() + GetInstallerSuffix() + ".exe", path);
}

void CSaverProject::GetInputPaths(std::vector<const CPathName*>& paths) const {
  paths.push_back(&movie);
  const bool used[] = {installerCustomPic, installerIntro, installerReadme, installerLicense};
  const CPathName* sources[] = {&installerCustomPicSrc, &installerIntroSrc, &installerReadmeSrc,
                                &installerLicenseSrc};
  for (size_t i = 0; i < std::size(used); ++i)
    if (used[i]) paths.push_back(sources[i]);
  for (int i = 0; i < moreFiles.GetCount(); ++i) paths.push_back(moreFiles.GetAt(i));
}

bool CSaverProject::ValidateTexts(CStringBuffer* message, std::string* hostMessage) const {
  for (const CHeldText* text : {&name, &installerPrefix, &installerSuffix})
    if (text->LosesCharacters())
      return RefuseBuild(kUnheldTextMessage, text->GetText(), message, hostMessage, &text->GetWritten());
  std::vector<const CPathName*> paths;
  GetInputPaths(paths);
  for (const CPathName* path : paths)
    if (path->LosesCharacters())
      return RefuseBuild(kUnheldTextMessage, path->GetString(), message, hostMessage, &path->GetWrittenForm()->text);
  return true;
}

bool CSaverProject::ValidateOutputNames(CStringBuffer* message, std::string* hostMessage) const {
  if (!ValidateTexts(message, hostMessage)) return false;
  // The saver's name names the saver and every output: without one the
  // outputs would be hidden files of extensions only.
  if (name.IsEmpty()) return RefuseBuild(kNoSaverNameMessage, "", message, hostMessage);
  const std::string installer = GetInstallerPrefix() + GetName() + GetInstallerSuffix();
  std::vector<CPathName> outputs;
  for (const std::string& fileName :
       {GetName() + ".saver", GetName() + ".scr", installer + ".app", installer + ".exe"}) {
    std::string host;
    int refusal = 0;
    CPathName output(nullptr);
    if (fileName.find('\0') != std::string::npos || !ToHostItemName(fileName.c_str(), &host))
      refusal = kBadOutputNameMessage;
    else if (host.size() > kMaxOutputNameLength)
      refusal = kOutputNameTooLongMessage;
    else if (outputFolder.IsEmpty() || !OutputPath(fileName, output))
      refusal = kNoFolderForOutputMessage;
    if (refusal != 0) return RefuseBuild(refusal, fileName, message, hostMessage);
    outputs.push_back(output);
  }
  // An output that takes the place of what the build reads would destroy it.
  std::vector<const CPathName*> inputs;
  GetInputPaths(inputs);
  if (!RefuseOutputsReplacingInputs(outputs, inputs, projectFile, message, hostMessage)) return false;
  // The Windows saver is a file for Windows.
  const std::string scr = GetName() + ".scr";
  if (!IsWindowsName(scr)) return RefuseBuild(kWindowsNameMessage, scr, message, hostMessage);
  return true;
}

// ---------------------------------------------------------------------------
// XML

void CSaverProject::WriteNameAttributes(CXmlWriter& writer) const {
  WriteTextAttribute(writer, "name", name);
  WriteTextAttribute(writer, "installer_prefix", installerPrefix);
  WriteTextAttribute(writer, "installer_suffix", installerSuffix);
}

void CSaverProject::WriteSettingsAttributes(CXmlWriter& writer) const {
  WriteWordAttribute(writer, "flash_quality", kFlashQualityWords, settings.flashQuality);
  WriteBoolAttribute(writer, "has_bgcolor", settings.hasBackgroundColor != 0);
  WriteUnsignedAttribute(writer, "bgcolor", settings.backgroundColor);
  WriteBoolAttribute(writer, "exit_on_mouse_move", settings.exitOnMouseMove != 0);
  WriteBoolAttribute(writer, "exit_on_mouse_click", settings.exitOnMouseClick != 0);
  WriteBoolAttribute(writer, "exit_on_key_press", settings.exitOnKeyPress != 0);
  WriteBoolAttribute(writer, "hide_mouse_cursor", settings.hideMouseCursor != 0);
}

bool CSaverProject::WriteXmlFile(const CPathName& file) {
  // Written beside the file and put in its place (through a link, the file
  // it leads to), so that a failed write leaves it as it was.
  CFileReplacement replacement;
  if (!replacement.Begin(file)) return false;
  CXmlWriter writer;
  if (!writer.Open(replacement.GetTemporary(), CXmlWriteOptions(), true)) return false;
  writer.SetDocumentPath(file);
  writer.WriteText("<screen_saver");
  WriteTextAttribute(writer, "swf", DisplayName(movie));
  WriteNameAttributes(writer);
  WriteSettingsAttributes(writer);
  writer.WriteText(">\n<more_files>\n");
  for (int i = 0; i < moreFiles.GetCount(); ++i) {
    writer.WriteText("<path");
    WriteTextAttribute(writer, "src", DisplayName(*moreFiles.GetAt(i)));
    writer.WriteText(" />\n");
  }
  writer.WriteText("</more_files>\n</screen_saver>\n");
  return writer.Close() && replacement.Commit();
}

bool CSaverProject::WriteXml(CXmlWriter& writer) {
  writer.WriteText("<screen_saver");
  WritePathAttribute(writer, "swf", movie);
  WriteNameAttributes(writer);
  WriteBoolAttribute(writer, "installer_custom_pic", installerCustomPic);
  WritePathAttribute(writer, "installer_custom_pic_src", installerCustomPicSrc);
  WriteBoolAttribute(writer, "installer_intro", installerIntro);
  WritePathAttribute(writer, "installer_intro_src", installerIntroSrc);
  WriteBoolAttribute(writer, "installer_readme", installerReadme);
  WritePathAttribute(writer, "installer_readme_src", installerReadmeSrc);
  WriteBoolAttribute(writer, "installer_license", installerLicense);
  WritePathAttribute(writer, "installer_license_src", installerLicenseSrc);
  WriteSettingsAttributes(writer);
  WriteBoolAttribute(writer, "universal_binary", universalBinary);
  writer.WriteText(">\n<more_files>\n");
  for (int i = 0; i < moreFiles.GetCount(); ++i) {
    writer.WriteText("<path");
    WritePathAttribute(writer, "src", *moreFiles.GetAt(i));
    writer.WriteText(" />\n");
  }
  writer.WriteText("</more_files>\n</screen_saver>\n");
  return true;
}

bool CSaverProject::ReadXmlFile(const CPathName& file) {
  CXmlDocument document;
  CXmlNode root;
  CXmlNode element;
  if (!document.Open(file) || !document.GetRootNode(root) || !FindProjectElement(root, element)) return false;
  return ReadElement(element, false);
}

bool CSaverProject::ReadXml(const CXmlNode& element) { return ReadElement(element, true); }

bool CSaverProject::ReadElement(const CXmlNode& element, bool secondForm) {
  const CAttributeReader in(element);
  CPathName path(nullptr);
  // A movie named without a folder is found beside the document.
  if (in.ReadPath("swf", path)) movie = AbsolutePathOf(path);
  in.ReadName("name", name);
  in.ReadName("installer_prefix", installerPrefix);
  in.ReadName("installer_suffix", installerSuffix);
  in.ReadWord("flash_quality", kFlashQualityWords, settings.flashQuality);
  bool flag = false;
  if (in.ReadBool("has_bgcolor", flag)) settings.hasBackgroundColor = flag;
  in.ReadUnsigned("bgcolor", settings.backgroundColor);
  if (in.ReadBool("exit_on_mouse_move", flag)) settings.exitOnMouseMove = flag;
  if (in.ReadBool("exit_on_mouse_click", flag)) settings.exitOnMouseClick = flag;
  if (in.ReadBool("exit_on_key_press", flag)) settings.exitOnKeyPress = flag;
  if (in.ReadBool("hide_mouse_cursor", flag)) settings.hideMouseCursor = flag;
  if (secondForm) {
    in.ReadBool("installer_custom_pic", installerCustomPic);
    if (in.ReadPath("installer_custom_pic_src", path)) installerCustomPicSrc = AbsolutePathOf(path);
    in.ReadBool("installer_intro", installerIntro);
    if (in.ReadPath("installer_intro_src", path)) installerIntroSrc = AbsolutePathOf(path);
    in.ReadBool("installer_readme", installerReadme);
    if (in.ReadPath("installer_readme_src", path)) installerReadmeSrc = AbsolutePathOf(path);
    in.ReadBool("installer_license", installerLicense);
    if (in.ReadPath("installer_license_src", path)) installerLicenseSrc = AbsolutePathOf(path);
    in.ReadBool("universal_binary", universalBinary);
  }
  VisitChildrenNamed(element, "more_files", [this](const CXmlNode& list) { ReadMoreFiles(list); });
  return true;
}

void CSaverProject::ReadMoreFiles(const CXmlNode& list) {
  moreFiles.DeleteAll();
  VisitChildrenNamed(list, "path", [this](const CXmlNode& entry) {
    CPathName path(nullptr);
    // An entry without a file names nothing to copy and is passed over.
    if (CAttributeReader(entry).ReadPath("src", path) && !path.IsEmpty()) moreFiles.AddCopy(path);
  });
}

// ---------------------------------------------------------------------------
// Engine settings

void CSaverProject::RandomizeSettings() {
  for (u32* word : {&settings.filler0, &settings.checksumMask, &settings.filler2}) *word = NextSettingsRandomWord();
  for (u32& word : settings.filler1) word = NextSettingsRandomWord();
  for (u32& word : settings.filler3) word = NextSettingsRandomWord();
  for (u32& word : settings.filler4) word = NextSettingsRandomWord();
  for (u32& word : settings.filler5) word = NextSettingsRandomWord();
  settings.reserved0 = settings.reserved1 = settings.reserved2 = settings.reserved3 = 0;
  settings.reserved4 = 0;
  settings.unused0 = 0;
  settings.unused1[0] = settings.unused1[1] = 0;
}

u32 CSaverProject::ComputeMovieChecksum(const CPathName& movieFile) {
  u32 crc = 0;
  return CSwfItem::GetSwfFileStamp(movieFile, &crc, nullptr) ? crc : 0;
}
