// CSaverDataList: the project of this application: the data list with the
// screen saver's name, the installer outputs and their options, and what
// ends the running screen saver. Its element is "flash_saver_datalist" and
// its root item a CSaverSwfItem.
#pragma once

#include <string>

#include "builders/data_list.h"
#include "builders/swf_item.h"

// Values of the installer enumerations.
enum : s32 {
  kInstallerTypeStandard = 0,
  kInstallerTypeQuiet = 1,

  kDoAfterInstallNothing = 0,
  kDoAfterInstallOpenSaverPanel = 1,
};

class CSaverSwfItem : public CSwfItem {
 public:
  CSaverSwfItem() : CSwfItem(nullptr) {}
  [[nodiscard]] bool SetSwfFile(const CPathName& path) override;
};

class CSaverDataList : public CDataList {
 public:
  CSaverDataList();
  ~CSaverDataList() override;

  void Reset() override;
  // Always derives every output name from the saver's name (even an empty one).
  void SetDefaultOutputNames() override;
  [[nodiscard]] bool ReadRuntimeAttributes(const CXmlNode& element) override;
  void WriteRuntimeAttributes(CXmlWriter& writer) override;
  void ReadAttributes(const CXmlNode& element) override;
  void WriteAttributes(CXmlWriter& writer) override;
  // Over the four outputs a screen-saver build writes: the Mac saver and
  // its installer, the Windows saver and its installer.
  [[nodiscard]] bool ValidateOutputNames(CStringBuffer* message, std::string* hostMessage = nullptr) const override;

  // Setters; every one counts a change when the value changes.
  void SetOutputMacUniversalInstaller(bool build);
  void SetOutputWinInstaller(bool build);
  // Unlike the base list's overwrite flags these two count.
  void SetOverwriteMacUniversalInstaller(bool overwrite);
  void SetOverwriteWinInstaller(bool overwrite);
  void SetInstallerHasCustomPic(bool has);
  void SetInstallerHasReadMe(bool has);
  void SetInstallerHasLicense(bool has);
  // Each returns true when the path changed.
  bool SetInstallerCustomPic(const CPathName& path);
  bool SetInstallerReadMe(const CPathName& path);
  bool SetInstallerLicense(const CPathName& path);
  void SetExitOnMouseMove(bool exit);
  void SetExitOnMouseClick(bool exit);
  void SetExitOnKeyPress(bool exit);
  void SetInstallerType(s32 type);
  void SetDoAfterInstall(s32 action);
  void SetMacPpcInstallerFileName(const char* name);
  void SetMacIntelInstallerFileName(const char* name);
  void SetMacUniversalInstallerFileName(const char* name);
  void SetWinInstallerFileName(const char* name);
  void SetLinuxInstallerFileName(const char* name);

  // Each sets `path` to the installer's file name inside the output folder
  // (false, `path` emptied, when that cannot be had).
  [[nodiscard]] bool GetMacPpcInstallerOutputPath(CPathName& path) const;
  [[nodiscard]] bool GetMacIntelInstallerOutputPath(CPathName& path) const;
  [[nodiscard]] bool GetMacUniversalInstallerOutputPath(CPathName& path) const;
  [[nodiscard]] bool GetWinInstallerOutputPath(CPathName& path) const;
  [[nodiscard]] bool GetLinuxInstallerOutputPath(CPathName& path) const;

  [[nodiscard]] bool GetOutputMacPpcInstaller() const { return output_macppc_installer; }
  [[nodiscard]] bool GetOutputMacIntelInstaller() const { return output_macintel_installer; }
  [[nodiscard]] bool GetOutputMacUniversalInstaller() const { return output_macuniversal_installer; }
  [[nodiscard]] bool GetOutputWinInstaller() const { return output_win_installer; }
  [[nodiscard]] bool GetOutputLinuxInstaller() const { return output_linux_installer; }
  const std::string& GetMacPpcInstallerFileName() const { return output_macppc_installer_filename.GetText(); }
  const std::string& GetMacIntelInstallerFileName() const { return output_macintel_installer_filename.GetText(); }
  const std::string& GetMacUniversalInstallerFileName() const {
    return output_macuniversal_installer_filename.GetText();
  }
  const std::string& GetWinInstallerFileName() const { return output_win_installer_filename.GetText(); }
  const std::string& GetLinuxInstallerFileName() const { return output_linux_installer_filename.GetText(); }
  [[nodiscard]] bool GetOverwriteMacUniversalInstaller() const { return overwrite_macuniversal_installer; }
  [[nodiscard]] bool GetOverwriteWinInstaller() const { return overwrite_win_installer; }
  s32 GetInstallerType() const { return installer_type; }
  s32 GetDoAfterInstall() const { return do_after_install; }
  const CPathName& GetInstallerCustomPic() const { return installer_custom_pic; }
  const CPathName& GetInstallerReadMe() const { return installer_readme; }
  const CPathName& GetInstallerLicense() const { return installer_license; }
  [[nodiscard]] bool GetInstallerHasCustomPic() const { return installer_has_custom_pic; }
  [[nodiscard]] bool GetInstallerHasReadMe() const { return installer_has_readme; }
  [[nodiscard]] bool GetInstallerHasLicense() const { return installer_has_license; }
  [[nodiscard]] bool GetExitOnMouseMove() const { return exit_on_mouse_move; }
  [[nodiscard]] bool GetExitOnMouseClick() const { return exit_on_mouse_click; }
  [[nodiscard]] bool GetExitOnKeyPress() const { return exit_on_key_press; }

 protected:
  // The saver's name, the items' window names and titles, the output
  // folder, the items' movies and extra files and the installer's texts and
  // picture when an installer is built.
  void GetTextsInUse(std::vector<const CHeldText*>& names, std::vector<const CPathName*>& paths) const override;
  void GetInputPaths(std::vector<const CPathName*>& paths) const override;

 private:
  bool output_macppc_installer = false, output_macintel_installer = false,
       output_macuniversal_installer = false;
  CHeldText output_macppc_installer_filename, output_macintel_installer_filename,
      output_macuniversal_installer_filename;
  bool overwrite_macuniversal_installer = false;
  bool output_win_installer = false;
  CHeldText output_win_installer_filename;
  bool overwrite_win_installer = false;
  bool output_linux_installer = false;
  CHeldText output_linux_installer_filename;
  s32 installer_type = kInstallerTypeStandard;
  s32 do_after_install = kDoAfterInstallNothing;
  CPathName installer_custom_pic{nullptr};
  CPathName installer_readme{nullptr}, installer_license{nullptr};
  bool installer_has_custom_pic = false, installer_has_readme = false, installer_has_license = false;
  bool exit_on_mouse_move = false, exit_on_mouse_click = false, exit_on_key_press = false;
};
