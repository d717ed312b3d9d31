// CDataList: the project: which outputs to build, under which file names,
// into which folder, and the movie item with its settings.
//
// The application's pages edit it through setters that count real changes
// in the project change counter; the project file stores it as one XML
// element; the build driver reads it. The screen-saver form CSaverDataList
// (saver_data_list.h) derives from it; the base list alone is a projector
// project, element "flash_projector_datalist".
#pragma once

#include <string>
#include <vector>

#include "builders/swf_item.h"
#include "builders/unheld_texts.h"
#include "foundation/path_name.h"
#include "platform/mac_types.h"

class CStringBuffer;
class CXmlNode;
class CXmlWriter;

// Status of the last settings-document read (ReadSettingsFile).
enum : s32 {
  kSettingsReadDone = 0,  // read completely, or not yet tried
  kSettingsReadNotLoaded = 1,
  kSettingsReadNoRoot = 2,
  kSettingsReadNoChildren = 3,
  kSettingsReadWindowRejected = 8,
};

class CDataList {
 public:
  CDataList();
  virtual ~CDataList();

  CDataList(const CDataList&) = delete;
  CDataList& operator=(const CDataList&) = delete;

  // The defaults of a new project (counts the change of the window made
  // visible).
  virtual void Reset();
  // Derives the output file names from the project name; nothing counted.
  virtual void SetDefaultOutputNames();
  // The attributes of the settings document's `windows` element.
  [[nodiscard]] virtual bool ReadRuntimeAttributes(const CXmlNode& element);
  virtual void WriteRuntimeAttributes(CXmlWriter& writer);
  // The attributes of the list's element in the project file; reading
  // stores without counting.
  virtual void ReadAttributes(const CXmlNode& element);
  virtual void WriteAttributes(CXmlWriter& writer);
  // Checks, before a build deletes or writes anything, that no name or path
  // the build uses lost characters when the project file was read
  // (unheld_texts.h), that every movie opens, that every output the build
  // would write has a usable file name inside the output folder, that no
  // two of them share a path (letter case folded, as the systems the
  // outputs are for fold it), that Windows can hold the names of the files
  // made for Windows, and that none would take the place of what the build
  // reads (its movies, extra files and folders, the installer's picture and
  // texts, the project file; see FindInputReplacedBy). False with a message
  // for the user (when `message` is given) at the first problem;
  // `hostMessage` (when given) receives it as the terminal shows it
  // (UTF-8), naming a text that lost characters as the file wrote it.
  [[nodiscard]] virtual bool ValidateOutputNames(CStringBuffer* message, std::string* hostMessage = nullptr) const;

  // Setters that count a change when the value changes.
  bool SetOutputFolder(const CPathName& folder);  // true when it changed
  bool SetMacAppIconPath(const CPathName& path);  // each returns true
  bool SetWinAppIconPath(const CPathName& path);
  bool SetLinuxAppIconPath(const CPathName& path);
  void SetMacPpcFileName(const char* name);
  void SetMacIntelFileName(const char* name);
  void SetMacUniversalFileName(const char* name);
  void SetWinFileName(const char* name);
  void SetLinuxFileName(const char* name);
  void SetOutputMacUniversal(bool build);
  void SetOutputWin(bool build);
  void SetHideMouseCursor(bool hide);
  // Plain stores, not counted: the build command sets them from its
  // replace prompts before every build.
  void SetOverwriteMacPpc(bool overwrite) { overwrite_macppc = overwrite; }
  void SetOverwriteMacIntel(bool overwrite) { overwrite_macintel = overwrite; }
  void SetOverwriteMacUniversal(bool overwrite) { overwrite_macuniversal = overwrite; }
  void SetOverwriteWin(bool overwrite) { overwrite_win = overwrite; }
  void SetOverwriteLinux(bool overwrite) { overwrite_linux = overwrite; }
  // Stores a different name without counting; then, while default names
  // are on, derives the output file names afresh. A name taken from
  // another model keeps the text its document wrote for it.
  void SetName(const CHeldText& name);

  // Each sets `path` to the output's file name inside the output folder.
  // False, and `path` emptied, when there is no output folder or the name
  // is not one item's name.
  [[nodiscard]] bool GetMacPpcOutputPath(CPathName& path) const;
  [[nodiscard]] bool GetMacIntelOutputPath(CPathName& path) const;
  [[nodiscard]] bool GetMacUniversalOutputPath(CPathName& path) const;
  [[nodiscard]] bool GetWinOutputPath(CPathName& path) const;
  [[nodiscard]] bool GetLinuxOutputPath(CPathName& path) const;

  // The item being edited: 0 the root item, 1..n the root's sub-items.
  // Any other index selects nothing and gives false.
  [[nodiscard]] bool SetCurrentDataIndex(int index);
  // 0 for the root item, its 1-based position among the root's sub-items,
  // -1 when it is neither.
  int GetCurrentDataIndex(const CSwfItem* item) const;
  [[nodiscard]] bool DeleteAllSubItems();
  // False for null or the root item. A sub-item of the root is deleted and
  // nothing is selected any more; an item that is none changes nothing.
  [[nodiscard]] bool RemoveSubItem(CSwfItem* item);

  // The list's element with its movie item; true. Names and paths read
  // from a document are written as it wrote them while the list holds what
  // was read of them (unheld_texts.h, CXmlWriter::WritePath).
  bool WriteXml(CXmlWriter& writer);
  // Resets the list, then reads the element (with `snapshot`, one that an
  // undo snapshot wrote). False, the list reset, when the element is
  // refused (sub-items nested too deeply).
  [[nodiscard]] bool ReadXml(const CXmlNode& element, bool snapshot = false);

  // The players' settings document (settings_document.cpp): false when the
  // file cannot be created or written whole.
  [[nodiscard]] bool WriteSettingsFile(const CPathName& path);
  // Reads a settings document into the root item; the outcome is kept as
  // the read status.
  [[nodiscard]] bool ReadSettingsFile(const CPathName& path);

  CSwfItem* GetRootItem() const { return root_item; }
  CSwfItem* GetCurrentData() const { return current_data; }
  const CPathName& GetOutputFolder() const { return output_folder; }
  const CPathName& GetMacAppIconPath() const { return output_mac_appicon_path; }
  const CPathName& GetWinAppIconPath() const { return output_win_appicon_path; }
  const CPathName& GetLinuxAppIconPath() const { return output_linux_appicon_path; }
  const std::string& GetMacPpcFileName() const { return output_macppc_filename.GetText(); }
  const std::string& GetMacIntelFileName() const { return output_macintel_filename.GetText(); }
  const std::string& GetMacUniversalFileName() const { return output_macuniversal_filename.GetText(); }
  const std::string& GetWinFileName() const { return output_win_filename.GetText(); }
  const std::string& GetLinuxFileName() const { return output_linux_filename.GetText(); }
  [[nodiscard]] bool GetOutputMacAppIcon() const { return output_mac_appicon; }
  [[nodiscard]] bool GetOutputMacPpc() const { return output_macppc; }
  [[nodiscard]] bool GetOutputMacIntel() const { return output_macintel; }
  [[nodiscard]] bool GetOutputMacUniversal() const { return output_macuniversal; }
  [[nodiscard]] bool GetOutputWinAppIcon() const { return output_win_appicon; }
  [[nodiscard]] bool GetOutputWin() const { return output_win; }
  [[nodiscard]] bool GetOutputLinuxAppIcon() const { return output_linux_appicon; }
  [[nodiscard]] bool GetOutputLinux() const { return output_linux; }
  [[nodiscard]] bool GetOverwriteMacPpc() const { return overwrite_macppc; }
  [[nodiscard]] bool GetOverwriteMacIntel() const { return overwrite_macintel; }
  [[nodiscard]] bool GetOverwriteMacUniversal() const { return overwrite_macuniversal; }
  [[nodiscard]] bool GetOverwriteWin() const { return overwrite_win; }
  [[nodiscard]] bool GetOverwriteLinux() const { return overwrite_linux; }
  [[nodiscard]] bool GetOutputDefaultFileNames() const { return output_default_filenames; }
  const std::string& GetName() const { return screen_saver_name.GetText(); }
  const CHeldText& GetHeldName() const { return screen_saver_name; }
  [[nodiscard]] bool GetHideMouseCursor() const { return hide_mouse_cursor; }
  s32 GetReadStatus() const { return read_status; }
  const std::string& GetListName() const { return list_name; }
  // The project file the list was read from, or will be saved to (empty
  // for none), which no output may replace. Set by the programs that build;
  // neither stored nor reset, and not counted.
  void SetProjectFile(const CPathName& path) { project_file = path; }
  const CPathName& GetProjectFile() const { return project_file; }

 protected:
  // The checks of ValidateOutputNames over the file names of the outputs a
  // build writes. Two names are one output when the systems the outputs
  // are for fold them into one (FoldNameCase).
  [[nodiscard]] bool ValidateOutputs(const std::vector<const CHeldText*>& names, CStringBuffer* message,
                                     std::string* hostMessage) const;
  // The first checks of ValidateOutputs: the names (the outputs' among
  // them) and paths in use that lost characters, and the movies that do not
  // open.
  [[nodiscard]] bool ValidateInputs(const std::vector<const CHeldText*>& outputNames, CStringBuffer* message,
                                    std::string* hostMessage) const;
  // Refuses a file name that Windows cannot hold (IsWindowsName), of a file
  // that a build makes for Windows.
  [[nodiscard]] bool ValidateWindowsNames(const std::vector<const CHeldText*>& names, CStringBuffer* message,
                                          std::string* hostMessage) const;
  // The names (besides the output file names) and the paths that a build
  // of the list uses: the window texts, the output folder, then the inputs.
  virtual void GetTextsInUse(std::vector<const CHeldText*>& names, std::vector<const CPathName*>& paths) const;
  // The files and folders that a build of the list reads (the project file
  // aside).
  virtual void GetInputPaths(std::vector<const CPathName*>& paths) const;
  // `name` inside the output folder; false, `path` emptied, when it cannot be had.
  [[nodiscard]] bool OutputPathOf(const std::string& name, CPathName& path) const;
  // Replaces the root item (the derived list's own item kind).
  void ReplaceRootItem(CSwfItem* item);

  CSwfItem* root_item = nullptr;
  CSwfItem* current_data = nullptr;
  CPathName output_folder{nullptr};
  CPathName output_mac_appicon_path{nullptr};
  CHeldText output_macppc_filename, output_macintel_filename, output_macuniversal_filename;
  bool output_mac_appicon = false, output_macppc = false, output_macintel = false,
       output_macuniversal = false;
  bool overwrite_macppc = false, overwrite_macintel = false, overwrite_macuniversal = false;
  CPathName output_win_appicon_path{nullptr};
  CHeldText output_win_filename;
  bool output_win_appicon = false, output_win = false;
  bool overwrite_win = false;
  CPathName output_linux_appicon_path{nullptr};
  CHeldText output_linux_filename;
  bool output_linux_appicon = false, output_linux = false;
  bool overwrite_linux = false;
  bool output_default_filenames = false;
  CHeldText screen_saver_name;
  bool hide_mouse_cursor = false;
  s32 read_status = kSettingsReadDone;
  std::string list_name;
  CPathName project_file{nullptr};
  // Whether the element being read is one of an undo snapshot (ReadXml).
  bool reading_snapshot_ = false;
};
