#include "builders/data_list.h"

#include <vector>

#include "builders/archive_file.h"
#include "builders/build_messages.h"
#include "builders/build_status.h"
#include "builders/model_attributes.h"
#include "builders/output_files.h"
#include "builders/project_change_count.h"
#include "foundation/file_layer.h"
#include "foundation/string_buffer.h"
#include "foundation/xml_reader.h"
#include "foundation/xml_writer.h"

namespace {

// The longest name of one item that the file system takes, in host bytes.
constexpr size_t kMaxHostNameLength = 255;

}  // namespace

CDataList::CDataList() : list_name("flash_projector_datalist") {
  root_item = new CSwfItem(nullptr);
  current_data = nullptr;
  CDataList::Reset();
}

CDataList::~CDataList() { delete root_item; }

void CDataList::ReplaceRootItem(CSwfItem* item) {
  delete root_item;
  root_item = item;
  current_data = nullptr;
}

void CDataList::Reset() {
  root_item->Reset();
  root_item->SetWindowName("MainWindow");
  root_item->SetWindowIsVisible(true);
  current_data = nullptr;
  output_mac_appicon_path = CPathName(nullptr);
  output_win_appicon_path = CPathName(nullptr);
  output_linux_appicon_path = CPathName(nullptr);
  output_mac_appicon = output_macppc = output_macintel = output_macuniversal = false;
  output_win_appicon = output_win = false;
  output_linux_appicon = output_linux = false;
  output_folder = CPathName::GetDesktopFolder();
  output_default_filenames = true;
  screen_saver_name = "Untitled";
  SetDefaultOutputNames();
  hide_mouse_cursor = false;
}

void CDataList::SetDefaultOutputNames() {
  const CHeldText name =
      output_default_filenames && !screen_saver_name.IsEmpty() ? screen_saver_name : CHeldText("Untitled");
  output_macppc_filename = name + "PPC.app";
  output_macintel_filename = name + "Intel.app";
  output_macuniversal_filename = name + ".app";
  output_win_filename = name + ".exe";
  output_linux_filename = name + "rh";
}

bool CDataList::ReadRuntimeAttributes(const CXmlNode&) { return true; }

void CDataList::WriteRuntimeAttributes(CXmlWriter&) {}

// ---------------------------------------------------------------------------
// Setters

bool CDataList::SetOutputFolder(const CPathName& folder) {
  return StoreCounted(output_folder, folder);
}

bool CDataList::SetMacAppIconPath(const CPathName& path) {
  StoreCounted(output_mac_appicon_path, path);
  return true;
}

bool CDataList::SetWinAppIconPath(const CPathName& path) {
  StoreCounted(output_win_appicon_path, path);
  return true;
}

bool CDataList::SetLinuxAppIconPath(const CPathName& path) {
  StoreCounted(output_linux_appicon_path, path);
  return true;
}

void CDataList::SetMacPpcFileName(const char* name) { StoreCounted(output_macppc_filename, name); }
void CDataList::SetMacIntelFileName(const char* name) { StoreCounted(output_macintel_filename, name); }
void CDataList::SetMacUniversalFileName(const char* name) { StoreCounted(output_macuniversal_filename, name); }
void CDataList::SetWinFileName(const char* name) { StoreCounted(output_win_filename, name); }
void CDataList::SetLinuxFileName(const char* name) { StoreCounted(output_linux_filename, name); }
void CDataList::SetOutputMacUniversal(bool build) { StoreCounted(output_macuniversal, build); }
void CDataList::SetOutputWin(bool build) { StoreCounted(output_win, build); }
void CDataList::SetHideMouseCursor(bool hide) { StoreCounted(hide_mouse_cursor, hide); }

void CDataList::SetName(const CHeldText& name) {
  if (name != screen_saver_name) screen_saver_name = name;
  if (output_default_filenames) SetDefaultOutputNames();
}

// ---------------------------------------------------------------------------
// Output paths and their check

bool CDataList::OutputPathOf(const std::string& name, CPathName& path) const {
  if (output_folder.IsEmpty() || !path.SetInFolder(name.c_str(), output_folder)) {
    path = CPathName(nullptr);
    return false;
  }
  return true;
}

bool CDataList::GetMacPpcOutputPath(CPathName& path) const {
  return OutputPathOf(output_macppc_filename.GetText(), path);
}
bool CDataList::GetMacIntelOutputPath(CPathName& path) const {
  return OutputPathOf(output_macintel_filename.GetText(), path);
}
bool CDataList::GetMacUniversalOutputPath(CPathName& path) const {
  return OutputPathOf(output_macuniversal_filename.GetText(), path);
}
bool CDataList::GetWinOutputPath(CPathName& path) const { return OutputPathOf(output_win_filename.GetText(), path); }
bool CDataList::GetLinuxOutputPath(CPathName& path) const {
  return OutputPathOf(output_linux_filename.GetText(), path);
}

void CDataList::GetTextsInUse(std::vector<const CHeldText*>& names, std::vector<const CPathName*>& paths) const {
  // The players' settings document names the windows.
  root_item->GetWindowTexts(names);
  paths.push_back(&output_folder);
  GetInputPaths(paths);
}

void CDataList::GetInputPaths(std::vector<const CPathName*>& paths) const {
  const struct {
    bool used;
    const CPathName& icon;
  } icons[] = {{output_mac_appicon, output_mac_appicon_path},
               {output_win_appicon, output_win_appicon_path},
               {output_linux_appicon, output_linux_appicon_path}};
  for (const auto& icon : icons)
    if (icon.used) paths.push_back(&icon.icon);
  root_item->GetNamedFiles(paths, true);
}

bool CDataList::ValidateInputs(const std::vector<const CHeldText*>& outputNames, CStringBuffer* message,
                               std::string* hostMessage) const {
  // A name or path that lost characters is refused while the project holds
  // what was read of it: it would name another output or another file, or
  // show '?' in the players' settings. The project's own names come first,
  // then the output file names, then the paths.
  std::vector<const CHeldText*> names;
  std::vector<const CPathName*> paths;
  GetTextsInUse(names, paths);
  names.insert(names.end(), outputNames.begin(), outputNames.end());
  for (const CHeldText* name : names)
    if (name->LosesCharacters())
      return RefuseBuild(kUnheldTextMessage, name->GetText(), message, hostMessage, &name->GetWritten());
  for (const CPathName* path : paths)
    if (path->LosesCharacters())
      return RefuseBuild(kUnheldTextMessage, path->GetString(), message, hostMessage, &path->GetWrittenForm()->text);
  // A movie kept as the project file named it, but that does not open.
  if (const CPathName* movie = root_item->FindMovieNotOpening())
    return RefuseBuild(movie->Exists() ? kNotAMovieMessage : kFileMissingMessage, ShownPath(*movie), message,
                       hostMessage);
  return true;
}

bool CDataList::ValidateOutputs(const std::vector<const CHeldText*>& names, CStringBuffer* message,
                                std::string* hostMessage) const {
  if (!ValidateInputs(names, message, hostMessage)) return false;

  std::vector<CPathName> paths;
  for (const CHeldText* output : names) {
    const std::string& name = output->GetText();
    std::string host;
    // An empty name would make the output the output folder itself.
    if (name.find('\0') != std::string::npos || !ToHostItemName(name.c_str(), &host))
      return RefuseBuild(kBadOutputNameMessage, name, message, hostMessage);
    if (host.size() > kMaxHostNameLength) return RefuseBuild(kOutputNameTooLongMessage, name, message, hostMessage);
    CPathName path(nullptr);
    if (!OutputPathOf(name, path)) return RefuseBuild(kNoFolderForOutputMessage, name, message, hostMessage);
    // One file on the systems the outputs are for, which fold letter case.
    const std::string folded = FoldNameCase(path.GetAbsolutePath(0));
    for (const CPathName& other : paths)
      if (FoldNameCase(other.GetAbsolutePath(0)) == folded)
        return RefuseBuild(kSharedOutputPathMessage, name, message, hostMessage);
    paths.push_back(path);
  }

  // An output that takes the place of what the build reads would destroy
  // it, before or while it is read.
  std::vector<const CPathName*> inputs;
  GetInputPaths(inputs);
  return RefuseOutputsReplacingInputs(paths, inputs, project_file, message, hostMessage);
}

bool CDataList::ValidateWindowsNames(const std::vector<const CHeldText*>& names, CStringBuffer* message,
                                     std::string* hostMessage) const {
  for (const CHeldText* name : names)
    if (!IsWindowsName(name->GetText()))
      return RefuseBuild(kWindowsNameMessage, name->GetText(), message, hostMessage);
  return true;
}

bool CDataList::ValidateOutputNames(CStringBuffer* message, std::string* hostMessage) const {
  // The outputs of a projector build.
  std::vector<const CHeldText*> names;
  if (output_macppc) names.push_back(&output_macppc_filename);
  if (output_macintel) names.push_back(&output_macintel_filename);
  if (output_macuniversal) names.push_back(&output_macuniversal_filename);
  if (output_win) names.push_back(&output_win_filename);
  if (!ValidateOutputs(names, message, hostMessage)) return false;
  // The Windows projector is a file for Windows.
  std::vector<const CHeldText*> windowsNames;
  if (output_win) windowsNames.push_back(&output_win_filename);
  return ValidateWindowsNames(windowsNames, message, hostMessage);
}

// ---------------------------------------------------------------------------
// Current data and sub-items

bool CDataList::SetCurrentDataIndex(int index) {
  if (index == 0) {
    current_data = root_item;
    return true;
  }
  if (index >= 1 && index <= root_item->GetSubItemCount()) {
    current_data = root_item->GetSubItem(index - 1);
    return true;
  }
  current_data = nullptr;
  return false;
}

int CDataList::GetCurrentDataIndex(const CSwfItem* item) const {
  if (!item) return -1;
  if (item == root_item) return 0;
  for (int i = 0; i < root_item->GetSubItemCount(); ++i)
    if (root_item->GetSubItem(i) == item) return i + 1;
  return -1;
}

bool CDataList::DeleteAllSubItems() {
  root_item->DeleteSubItems();
  current_data = nullptr;
  return true;
}

bool CDataList::RemoveSubItem(CSwfItem* item) {
  if (!item || item == root_item) return false;
  if (root_item->DeleteSubItem(item)) current_data = nullptr;
  return true;
}

// ---------------------------------------------------------------------------
// The project file's element

void CDataList::WriteAttributes(CXmlWriter& writer) {
  WriteSignedAttribute(writer, "current_data", GetCurrentDataIndex(current_data));
  WritePathAttribute(writer, "output_folder", output_folder);
  WriteBoolAttribute(writer, "output_macppc", output_macppc);
  WriteTextAttribute(writer, "output_macppc_filename", output_macppc_filename);
  WriteBoolAttribute(writer, "output_macintel", output_macintel);
  WriteTextAttribute(writer, "output_macintel_filename", output_macintel_filename);
  WriteBoolAttribute(writer, "output_macuniversal", output_macuniversal);
  WriteTextAttribute(writer, "output_macuniversal_filename", output_macuniversal_filename);
  WriteBoolAttribute(writer, "output_mac_appicon", output_mac_appicon);
  WritePathAttribute(writer, "output_mac_appicon_path", output_mac_appicon_path);
  WriteBoolAttribute(writer, "output_win", output_win);
  WriteTextAttribute(writer, "output_win_filename", output_win_filename);
  WriteBoolAttribute(writer, "output_win_appicon", output_win_appicon);
  WritePathAttribute(writer, "output_win_appicon_path", output_win_appicon_path);
  WriteBoolAttribute(writer, "output_linux", output_linux);
  WriteTextAttribute(writer, "output_linux_filename", output_linux_filename);
  WriteBoolAttribute(writer, "output_linux_appicon", output_linux_appicon);
  WritePathAttribute(writer, "output_linux_appicon_path", output_linux_appicon_path);
  WriteBoolAttribute(writer, "output_default_filenames", output_default_filenames);
}

void CDataList::ReadAttributes(const CXmlNode& element) {
  const CAttributeReader in(element, reading_snapshot_);
  CPathName path(nullptr);
  // A relative folder is taken from the folder of the project file.
  in.ReadPath("output_folder", output_folder);
  in.ReadBool("output_macppc", output_macppc);
  in.ReadName("output_macppc_filename", output_macppc_filename);
  in.ReadBool("output_macintel", output_macintel);
  in.ReadName("output_macintel_filename", output_macintel_filename);
  in.ReadBool("output_macuniversal", output_macuniversal);
  in.ReadName("output_macuniversal_filename", output_macuniversal_filename);
  in.ReadBool("output_mac_appicon", output_mac_appicon);
  if (in.ReadPath("output_mac_appicon_path", path)) output_mac_appicon_path = AbsolutePathOf(path);
  in.ReadBool("output_win", output_win);
  in.ReadName("output_win_filename", output_win_filename);
  in.ReadBool("output_win_appicon", output_win_appicon);
  if (in.ReadPath("output_win_appicon_path", path)) output_win_appicon_path = AbsolutePathOf(path);
  in.ReadBool("output_linux", output_linux);
  in.ReadName("output_linux_filename", output_linux_filename);
  in.ReadBool("output_linux_appicon", output_linux_appicon);
  if (in.ReadPath("output_linux_appicon_path", path)) output_linux_appicon_path = AbsolutePathOf(path);
  in.ReadBool("output_default_filenames", output_default_filenames);
}

bool CDataList::WriteXml(CXmlWriter& writer) {
  writer.WriteText("<");
  writer.WriteText(list_name.c_str());
  WriteAttributes(writer);
  writer.WriteText(" >\n");
  root_item->WriteProjectorElement(writer);
  writer.WriteText("</");
  writer.WriteText(list_name.c_str());
  writer.WriteText(">\n");
  return true;
}

bool CDataList::ReadXml(const CXmlNode& element, bool snapshot) {
  Reset();
  const bool read = ForEachChildNamed(element, "flash_projector", [this, snapshot](const CXmlNode& child) {
    return root_item->ReadProjectorElement(child, snapshot);
  });
  if (!read) {
    Reset();
    return false;
  }
  reading_snapshot_ = snapshot;
  ReadAttributes(element);
  reading_snapshot_ = false;
  s32 index = -1;
  // An index that names no item selects none, as in a fresh list.
  if (CAttributeReader(element).ReadSigned("current_data", index)) static_cast<void>(SetCurrentDataIndex(index));
  return true;
}
