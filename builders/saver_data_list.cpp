#include "builders/saver_data_list.h"

#include <vector>

#include "builders/build_messages.h"
#include "builders/build_status.h"
#include "builders/model_attributes.h"
#include "builders/project_change_count.h"
#include "foundation/xml_reader.h"
#include "foundation/xml_writer.h"

bool CSaverSwfItem::SetSwfFile(const CPathName& path) { return CSwfItem::SetSwfFile(path); }

CSaverDataList::CSaverDataList() {
  ReplaceRootItem(new CSaverSwfItem());
  list_name = "flash_saver_datalist";
  CSaverDataList::Reset();
}

CSaverDataList::~CSaverDataList() = default;

void CSaverDataList::Reset() {
  output_macppc_installer = output_macintel_installer = output_macuniversal_installer = false;
  output_win_installer = output_linux_installer = false;
  installer_custom_pic = CPathName(nullptr);
  installer_readme = CPathName(nullptr);
  installer_license = CPathName(nullptr);
  installer_has_custom_pic = installer_has_readme = installer_has_license = false;
  exit_on_mouse_move = exit_on_mouse_click = exit_on_key_press = true;
  installer_type = kInstallerTypeStandard;
  do_after_install = kDoAfterInstallNothing;
  CDataList::Reset();
  // A screen saver hides the pointer unless told otherwise.
  hide_mouse_cursor = true;
}

void CSaverDataList::SetDefaultOutputNames() {
  const CHeldText& name = screen_saver_name;
  output_macppc_filename = name + "PPC.saver";
  output_macintel_filename = name + "Intel.saver";
  output_macuniversal_filename = name + ".saver";
  output_win_filename = name + ".scr";
  output_linux_filename = name + "rh";
  output_macppc_installer_filename = "Install_" + name + "PPC.app";
  output_macintel_installer_filename = "Install_" + name + "Intel.app";
  output_macuniversal_installer_filename = "Install_" + name + ".app";
  output_win_installer_filename = "Install_" + name + ".exe";
  output_linux_installer_filename = "Install_" + name + "rh";
}

// ---------------------------------------------------------------------------
// Setters

void CSaverDataList::SetOutputMacUniversalInstaller(bool build) { StoreCounted(output_macuniversal_installer, build); }
void CSaverDataList::SetOutputWinInstaller(bool build) { StoreCounted(output_win_installer, build); }
void CSaverDataList::SetOverwriteMacUniversalInstaller(bool overwrite) {
  StoreCounted(overwrite_macuniversal_installer, overwrite);
}
void CSaverDataList::SetOverwriteWinInstaller(bool overwrite) { StoreCounted(overwrite_win_installer, overwrite); }
void CSaverDataList::SetInstallerHasCustomPic(bool has) { StoreCounted(installer_has_custom_pic, has); }
void CSaverDataList::SetInstallerHasReadMe(bool has) { StoreCounted(installer_has_readme, has); }
void CSaverDataList::SetInstallerHasLicense(bool has) { StoreCounted(installer_has_license, has); }
bool CSaverDataList::SetInstallerCustomPic(const CPathName& path) { return StoreCounted(installer_custom_pic, path); }
bool CSaverDataList::SetInstallerReadMe(const CPathName& path) { return StoreCounted(installer_readme, path); }
bool CSaverDataList::SetInstallerLicense(const CPathName& path) { return StoreCounted(installer_license, path); }
void CSaverDataList::SetExitOnMouseMove(bool exit) { StoreCounted(exit_on_mouse_move, exit); }
void CSaverDataList::SetExitOnMouseClick(bool exit) { StoreCounted(exit_on_mouse_click, exit); }
void CSaverDataList::SetExitOnKeyPress(bool exit) { StoreCounted(exit_on_key_press, exit); }
void CSaverDataList::SetInstallerType(s32 type) { StoreCounted(installer_type, type); }
void CSaverDataList::SetDoAfterInstall(s32 action) { StoreCounted(do_after_install, action); }
void CSaverDataList::SetMacPpcInstallerFileName(const char* name) {
  StoreCounted(output_macppc_installer_filename, name);
}
void CSaverDataList::SetMacIntelInstallerFileName(const char* name) {
  StoreCounted(output_macintel_installer_filename, name);
}
void CSaverDataList::SetMacUniversalInstallerFileName(const char* name) {
  StoreCounted(output_macuniversal_installer_filename, name);
}
void CSaverDataList::SetWinInstallerFileName(const char* name) { StoreCounted(output_win_installer_filename, name); }
void CSaverDataList::SetLinuxInstallerFileName(const char* name) {
  StoreCounted(output_linux_installer_filename, name);
}

// ---------------------------------------------------------------------------
// Output paths

bool CSaverDataList::GetMacPpcInstallerOutputPath(CPathName& path) const {
  return OutputPathOf(output_macppc_installer_filename.GetText(), path);
}
bool CSaverDataList::GetMacIntelInstallerOutputPath(CPathName& path) const {
  return OutputPathOf(output_macintel_installer_filename.GetText(), path);
}
bool CSaverDataList::GetMacUniversalInstallerOutputPath(CPathName& path) const {
  return OutputPathOf(output_macuniversal_installer_filename.GetText(), path);
}
bool CSaverDataList::GetWinInstallerOutputPath(CPathName& path) const {
  return OutputPathOf(output_win_installer_filename.GetText(), path);
}
bool CSaverDataList::GetLinuxInstallerOutputPath(CPathName& path) const {
  return OutputPathOf(output_linux_installer_filename.GetText(), path);
}

bool CSaverDataList::ValidateOutputNames(CStringBuffer* message, std::string* hostMessage) const {
  // The saver's name is the name it has in the system's list of savers, and
  // the default names of its outputs: a saver without one is not built.
  if (screen_saver_name.IsEmpty()) return RefuseBuild(kNoSaverNameMessage, "", message, hostMessage);
  std::vector<const CHeldText*> names;
  if (output_macuniversal) names.push_back(&output_macuniversal_filename);
  if (output_macuniversal_installer) names.push_back(&output_macuniversal_installer_filename);
  if (output_win) names.push_back(&output_win_filename);
  if (output_win_installer) names.push_back(&output_win_installer_filename);
  if (!ValidateOutputs(names, message, hostMessage)) return false;
  // The files for Windows: the screen saver, also as the installer installs
  // it, and the installer.
  std::vector<const CHeldText*> windowsNames;
  if (output_win || output_win_installer) windowsNames.push_back(&output_win_filename);
  if (output_win_installer) windowsNames.push_back(&output_win_installer_filename);
  return ValidateWindowsNames(windowsNames, message, hostMessage);
}

void CSaverDataList::GetTextsInUse(std::vector<const CHeldText*>& names, std::vector<const CPathName*>& paths) const {
  names.push_back(&screen_saver_name);
  CDataList::GetTextsInUse(names, paths);
}

void CSaverDataList::GetInputPaths(std::vector<const CPathName*>& paths) const {
  // A screen saver has no window picture.
  root_item->GetNamedFiles(paths, false);
  if (!output_macuniversal_installer && !output_win_installer) return;
  if (installer_type != kInstallerTypeStandard) return;
  if (installer_has_custom_pic) paths.push_back(&installer_custom_pic);
  if (installer_has_readme) paths.push_back(&installer_readme);
  if (installer_has_license) paths.push_back(&installer_license);
}

// ---------------------------------------------------------------------------
// Attributes

void CSaverDataList::WriteAttributes(CXmlWriter& writer) {
  CDataList::WriteAttributes(writer);
  WriteTextAttribute(writer, "screen_saver_name", screen_saver_name);
  WriteBoolAttribute(writer, "output_macppc_installer", output_macppc_installer);
  WriteTextAttribute(writer, "output_macppc_installer_filename", output_macppc_installer_filename);
  WriteBoolAttribute(writer, "output_macintel_installer", output_macintel_installer);
  WriteTextAttribute(writer, "output_macintel_installer_filename", output_macintel_installer_filename);
  WriteBoolAttribute(writer, "output_macuniversal_installer", output_macuniversal_installer);
  WriteTextAttribute(writer, "output_macuniversal_installer_filename", output_macuniversal_installer_filename);
  WriteBoolAttribute(writer, "output_win_installer", output_win_installer);
  WriteTextAttribute(writer, "output_win_installer_filename", output_win_installer_filename);
  WriteBoolAttribute(writer, "output_linux_installer", output_linux_installer);
  WriteTextAttribute(writer, "output_linux_installer_filename", output_linux_installer_filename);
  WriteBoolAttribute(writer, "exit_on_mouse_move", exit_on_mouse_move);
  WriteBoolAttribute(writer, "exit_on_mouse_click", exit_on_mouse_click);
  WriteBoolAttribute(writer, "exit_on_key_press", exit_on_key_press);
  WriteBoolAttribute(writer, "hide_mouse_cursor", hide_mouse_cursor);
  WriteBoolAttribute(writer, "installer_has_readme", installer_has_readme);
  WriteBoolAttribute(writer, "installer_has_license", installer_has_license);
  WriteBoolAttribute(writer, "installer_has_custom_pic", installer_has_custom_pic);
  WritePathAttribute(writer, "installer_readme", installer_readme);
  WritePathAttribute(writer, "installer_license", installer_license);
  WritePathAttribute(writer, "installer_custom_pic", installer_custom_pic);
  WriteWordAttribute(writer, "installer_type", kInstallerTypeWords, installer_type);
  WriteWordAttribute(writer, "do_after_install", kDoAfterInstallWords, do_after_install);
}

void CSaverDataList::ReadAttributes(const CXmlNode& element) {
  CDataList::ReadAttributes(element);
  const CAttributeReader in(element, reading_snapshot_);
  in.ReadName("screen_saver_name", screen_saver_name);
  in.ReadBool("output_macppc_installer", output_macppc_installer);
  in.ReadName("output_macppc_installer_filename", output_macppc_installer_filename);
  in.ReadBool("output_macintel_installer", output_macintel_installer);
  in.ReadName("output_macintel_installer_filename", output_macintel_installer_filename);
  in.ReadBool("output_macuniversal_installer", output_macuniversal_installer);
  in.ReadName("output_macuniversal_installer_filename", output_macuniversal_installer_filename);
  in.ReadBool("output_win_installer", output_win_installer);
  in.ReadName("output_win_installer_filename", output_win_installer_filename);
  in.ReadBool("output_linux_installer", output_linux_installer);
  in.ReadName("output_linux_installer_filename", output_linux_installer_filename);
  in.ReadBool("exit_on_mouse_move", exit_on_mouse_move);
  in.ReadBool("exit_on_mouse_click", exit_on_mouse_click);
  in.ReadBool("exit_on_key_press", exit_on_key_press);
  in.ReadBool("hide_mouse_cursor", hide_mouse_cursor);
  in.ReadBool("installer_has_readme", installer_has_readme);
  in.ReadBool("installer_has_license", installer_has_license);
  in.ReadBool("installer_has_custom_pic", installer_has_custom_pic);
  in.ReadPath("installer_readme", installer_readme);
  in.ReadPath("installer_license", installer_license);
  in.ReadPath("installer_custom_pic", installer_custom_pic);
  in.ReadWord("installer_type", kInstallerTypeWords, installer_type);
  in.ReadWord("do_after_install", kDoAfterInstallWords, do_after_install);
}

void CSaverDataList::WriteRuntimeAttributes(CXmlWriter& writer) {
  WriteBoolAttribute(writer, "exit_on_mouse_move", exit_on_mouse_move);
  WriteBoolAttribute(writer, "exit_on_mouse_click", exit_on_mouse_click);
  WriteBoolAttribute(writer, "exit_on_key_press", exit_on_key_press);
  WriteBoolAttribute(writer, "hide_mouse_cursor", hide_mouse_cursor);
}

bool CSaverDataList::ReadRuntimeAttributes(const CXmlNode& element) {
  const CAttributeReader in(element);
  in.ReadBool("exit_on_mouse_move", exit_on_mouse_move);
  in.ReadBool("exit_on_mouse_click", exit_on_mouse_click);
  in.ReadBool("exit_on_key_press", exit_on_key_press);
  in.ReadBool("hide_mouse_cursor", hide_mouse_cursor);
  return true;
}
