// CSaverProject: the first generation of the screen-saver project: one
// movie with its extra files, the saver's name and output folder, the
// installer's naming, picture, ReadMe and licence, and the engine settings
// that the saver engine reads at run time. The current project model (the
// data lists) took its place; no command of the application makes one, and
// saver_project_builder.h builds its outputs.
//
// The project is stored as one XML element "screen_saver", in two forms:
// the first a whole file naming the movie and the extra files by their
// names (found beside the file when read back), the second an element of
// an open document naming them by absolute paths and carrying the
// installer's options.
//
// The engine settings are the 140-byte record "ssc0.dat" (SaverEngineSettings).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "builders/unheld_texts.h"
#include "foundation/path_list.h"
#include "foundation/path_name.h"
#include "platform/mac_types.h"

class CStringBuffer;
class CXmlNode;
class CXmlWriter;

// The engine settings record, byte for byte as "ssc0.dat" holds it: words
// in the building machine's byte order, no header. The filler words are
// random, so that two builds of one project differ in them; the movie
// checksum is masked with a random word.
struct SaverEngineSettings {
  s32 flashQuality;       //   0  0 low ... 5 best
  u32 reserved0;          //   4
  u32 filler0;            //   8
  u32 movieChecksum;      //  12  CRC-32 of the movie's first 1024 bytes AND checksumMask
  u32 filler1[5];         //  16
  u32 checksumMask;       //  36
  u32 reserved1;          //  40
  u32 filler2;            //  44
  u32 filler3[6];         //  48
  u32 reserved2;          //  72
  u32 reserved3;          //  76
  u32 filler4[3];         //  80
  u32 backgroundColor;    //  92  0x00BBGGRR
  u32 filler5[8];         //  96
  u32 unused0;            // 128
  u8 hasBackgroundColor;  // 132
  u8 exitOnMouseMove;     // 133
  u8 exitOnMouseClick;    // 134
  u8 exitOnKeyPress;      // 135
  u8 hideMouseCursor;     // 136
  u8 reserved4;           // 137
  u8 unused1[2];          // 138
};
constexpr size_t kEngineSettingsSize = 140;
static_assert(sizeof(SaverEngineSettings) == kEngineSettingsSize, "the engine settings record is 140 bytes");

// Reads "ssc0.dat" of the folder into the record: exactly 140 bytes. False,
// the record untouched, when the file cannot be opened or holds any other
// number of bytes.
[[nodiscard]] bool ReadEngineSettingsFile(SaverEngineSettings& record, const CPathName& folder);
// Writes the record as "ssc0.dat" into the folder (made with type and
// creator '????' when missing). False when it cannot be written whole.
[[nodiscard]] bool WriteEngineSettingsFile(const SaverEngineSettings& record, const CPathName& folder);

class CSaverProject {
 public:
  CSaverProject();
  virtual ~CSaverProject();
  CSaverProject(const CSaverProject&) = delete;
  CSaverProject& operator=(const CSaverProject&) = delete;

  // A new project: no movie or extra files, the name "Untitled", the
  // installer named "Install" + name, no installer picture or texts, the
  // output folder on the Desktop, a universal saver, the engine settings
  // at their defaults (quality high, no background colour, every exit
  // action on, the cursor hidden). The unique name and the change count
  // stay.
  virtual void Reset();

  // The engine and installer template folders; true.
  bool SetTemplateFolders(const CPathName& engine, const CPathName& installer);

  // Setters that count a change when the value differs (texts byte for
  // byte, paths by their absolute forms ignoring case).
  void SetName(const char* text);
  void SetInstallerPrefix(const char* text);
  void SetInstallerSuffix(const char* text);
  void SetInstallerCustomPicSrc(const CPathName& path);
  void SetInstallerIntroSrc(const CPathName& path);
  void SetInstallerReadmeSrc(const CPathName& path);
  void SetInstallerLicenseSrc(const CPathName& path);
  void SetUniversalBinary(bool universal);
  // False, nothing changed, for a file that is not a movie ("FWS" or "CWS").
  [[nodiscard]] bool SetMovie(const CPathName& path);
  // Appends the absolute form of the path; always counts.
  void AddMoreFile(const CPathName& path);
  // `entry` is one of the list's own paths; false when it is not.
  [[nodiscard]] bool RemoveMoreFile(CPathName* entry);
  [[nodiscard]] bool RemoveMoreFileAt(int index);
  void ClearMoreFiles();
  // Stores without counting.
  void SetOutputFolder(const CPathName& folder) { outputFolder = folder; }
  // The file the project was read from (empty for none), which no output
  // may replace; neither stored nor reset.
  void SetProjectFile(const CPathName& path) { projectFile = path; }

  // Plain stores of the installer's options and the engine settings (the
  // first generation counted no change for these).
  void SetInstallerCustomPic(bool on) { installerCustomPic = on; }
  void SetInstallerIntro(bool on) { installerIntro = on; }
  void SetInstallerReadme(bool on) { installerReadme = on; }
  void SetInstallerLicense(bool on) { installerLicense = on; }
  SaverEngineSettings& GetSettings() { return settings; }
  const SaverEngineSettings& GetSettings() const { return settings; }

  // Copies the quality, the background colour and its flag, the exit and
  // cursor flags, and the installer's four options with their files.
  void CopySettings(const CSaverProject& other);

  // The name patched into the saver engine: see UniqueSaverNameOf.
  void SetUniqueName(const char* text);

  // The outputs in the output folder: name + ".saver", name + ".scr", and
  // prefix + name + suffix + ".app" / ".exe". False, `path` emptied, when
  // there is no output folder or the file name cannot be one item's name
  // (empty, ".", "..", holding '/', or too long).
  [[nodiscard]] bool GetSaverPath(CPathName& path) const;
  [[nodiscard]] bool GetWindowsSaverPath(CPathName& path) const;
  [[nodiscard]] bool GetInstallerAppPath(CPathName& path) const;
  [[nodiscard]] bool GetInstallerExePath(CPathName& path) const;
  // Whether the four output names can be used (ValidateTexts first), the
  // Windows saver's also on Windows, and none of the outputs would take the
  // place of what the build reads (the movie, the extra files, the
  // installer's files that are on, the project file; see
  // FindInputReplacedBy); false with a message for the user (when `message`
  // is given) and its terminal form (when `hostMessage` is given; see
  // CDataList::ValidateOutputNames).
  [[nodiscard]] bool ValidateOutputNames(CStringBuffer* message, std::string* hostMessage = nullptr) const;
  // False, with the messages, while the project holds a name or path that
  // lost characters when it was read (unheld_texts.h): the name, the
  // installer's prefix and suffix, the movie, the extra files and the
  // installer's files that are on.
  [[nodiscard]] bool ValidateTexts(CStringBuffer* message, std::string* hostMessage) const;

  // The first form, a whole file, written beside it and put in its place
  // (CFileReplacement); false when it cannot be written whole. Names read
  // from a document are written as it wrote them.
  [[nodiscard]] bool WriteXmlFile(const CPathName& file);
  // The second form, one element into an open writer (written as
  // CDataList::WriteXml writes the lists); true.
  bool WriteXml(CXmlWriter& writer);
  // The first element "screen_saver" of the file (the root element or one
  // below it), first form; false when the file cannot be parsed or holds
  // none.
  [[nodiscard]] bool ReadXmlFile(const CPathName& file);
  // The element in the second form.
  [[nodiscard]] bool ReadXml(const CXmlNode& element);
  // Empties the extra files and adds the "src" of every child "path".
  void ReadMoreFiles(const CXmlNode& list);

  // Fills every random word of the engine settings afresh and sets the
  // reserved words to 0.
  void RandomizeSettings();
  // The CRC-32 of the first (up to) 1024 bytes of the file; 0 when it is not
  // a regular file that opens.
  static u32 ComputeMovieChecksum(const CPathName& movie);

  const CPathName& GetEngineFolder() const { return engineFolder; }
  const CPathName& GetInstallerFolder() const { return installerFolder; }
  const CPathName& GetMovie() const { return movie; }
  const CPathList& GetMoreFiles() const { return moreFiles; }
  const std::string& GetName() const { return name.GetText(); }
  const CHeldText& GetHeldName() const { return name; }
  const std::string& GetUniqueName() const { return uniqueName; }
  const std::string& GetInstallerPrefix() const { return installerPrefix.GetText(); }
  const std::string& GetInstallerSuffix() const { return installerSuffix.GetText(); }
  [[nodiscard]] bool GetInstallerCustomPic() const { return installerCustomPic; }
  [[nodiscard]] bool GetInstallerIntro() const { return installerIntro; }
  [[nodiscard]] bool GetInstallerReadme() const { return installerReadme; }
  [[nodiscard]] bool GetInstallerLicense() const { return installerLicense; }
  const CPathName& GetInstallerCustomPicSrc() const { return installerCustomPicSrc; }
  const CPathName& GetInstallerIntroSrc() const { return installerIntroSrc; }
  const CPathName& GetInstallerReadmeSrc() const { return installerReadmeSrc; }
  const CPathName& GetInstallerLicenseSrc() const { return installerLicenseSrc; }
  const CPathName& GetOutputFolder() const { return outputFolder; }
  [[nodiscard]] bool GetUniversalBinary() const { return universalBinary; }
  u32 GetChangeCount() const { return changeCount; }

 private:
  // The attributes both forms share up to the installer's suffix, and
  // from the quality to the cursor flag.
  void WriteNameAttributes(CXmlWriter& writer) const;
  void WriteSettingsAttributes(CXmlWriter& writer) const;
  [[nodiscard]] bool ReadElement(const CXmlNode& element, bool secondForm);
  [[nodiscard]] bool OutputPath(const std::string& fileName, CPathName& path) const;
  // The files and folders a build reads: the movie, the installer's files
  // that are on, the extra files.
  void GetInputPaths(std::vector<const CPathName*>& paths) const;
  // Stores a path that differs (absolute forms, ignoring case), counting it.
  void StorePath(CPathName& field, const CPathName& path);
  void StoreText(CHeldText& field, const char* text);

  CPathName engineFolder{nullptr};
  CPathName installerFolder{nullptr};
  CPathName movie{nullptr};
  CPathList moreFiles;
  CHeldText name;
  std::string uniqueName;
  CHeldText installerPrefix;
  CHeldText installerSuffix;
  bool installerCustomPic = false;
  bool installerIntro = false;
  bool installerReadme = false;
  bool installerLicense = false;
  CPathName installerCustomPicSrc{nullptr};
  CPathName installerIntroSrc{nullptr};
  CPathName installerReadmeSrc{nullptr};
  CPathName installerLicenseSrc{nullptr};
  SaverEngineSettings settings{};
  CPathName outputFolder{nullptr};
  CPathName projectFile{nullptr};
  bool universalBinary = true;
  u32 changeCount = 0;
};
