// CPathName: the one file-name type of the system.
//
// A path is one text in the application-wide encoding (Mac Roman). It is in
// HFS style (':' separators, the first component a volume) when it holds
// ':' but neither '/' nor "://"; otherwise it is in POSIX style. A path that
// names a folder ends in its separator ("/", or ":" in HFS style).
//
// A relative POSIX path is taken relative to the application bundle folder;
// an HFS path is always absolute and is converted through the URL layer (a
// path of an unknown volume names nothing). File-system references and URLs
// are made from the text on demand.
//
// Operations on an existing item fail on a missing one (fnfErr) rather than
// acting on anything else; callers that create an item ask for
// GetCreationFsRef, which hands back the folder that will hold it.
#pragma once

#include <cstddef>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "platform/cf_string.h"
#include "platform/cf_url.h"
#include "platform/file_refs.h"

struct CFileTypeCreator;
struct ProcessSerialNumber;

// How a document wrote a path that was read from it (CPathName::GetWrittenForm).
struct CWrittenForm {
  // The text as the document wrote it, in UTF-8, its references resolved.
  std::string text;
  // For a relative text, the folder it was taken from (absolute, ending in
  // "/", in the application's encoding); empty for an absolute text.
  std::string folder;
  // Whether the text holds characters that the application's encoding
  // cannot hold: the path holds a '?' for each of them.
  bool losesCharacters = false;

  bool operator==(const CWrittenForm& other) const = default;
};

class CPathName {
 public:
  // The current folder (see SetCurrentFolder); empty until one is set.
  CPathName();
  CPathName(std::nullptr_t) {}
  CPathName(const char* text);
  CPathName(const std::string& text);
  CPathName(const CPathName& other) = default;
  CPathName& operator=(const CPathName& other) = default;
  explicit CPathName(CFStringRef string);
  explicit CPathName(CFURLRef url);
  explicit CPathName(const FSRef* ref);
  explicit CPathName(const FSSpec* spec);

  // Each leaves the path unchanged and returns false when the source is null
  // or its text has no form in the application-wide encoding.
  [[nodiscard]] bool SetFromCFString(CFStringRef string);
  // The URL's POSIX path, plus "/" when the URL names a folder.
  [[nodiscard]] bool SetFromUrl(CFURLRef url);
  // The item's path (folders end in "/"); stores the last path error.
  [[nodiscard]] bool SetFromFsRef(const FSRef* ref);
  // The path of the FSSpec's name inside its folder (clears the path first).
  [[nodiscard]] bool SetFromFsSpec(const FSSpec* spec);
  void SetPath(const char* text);
  CPathName& Assign(const CPathName& other);

  const char* GetText() const { return path.c_str(); }
  const std::string& GetString() const { return path; }
  [[nodiscard]] bool IsEmpty() const { return path.empty(); }

  // The text that the document this path was read from wrote for it, kept
  // so that a save writes the path as that document had it (a relative
  // text, characters the application's encoding cannot hold). It belongs to
  // the path's text: copies and the absolute form (SetFullPath) keep it,
  // and any change of the text leaves the path without one. Null when the
  // path has none.
  [[nodiscard]] const CWrittenForm* GetWrittenForm() const;
  void SetWrittenForm(const CWrittenForm& form);
  // Whether the path lost characters when it was read (its written form
  // holds characters the application's encoding cannot hold).
  [[nodiscard]] bool LosesCharacters() const;
  // Whether both paths carry the same written form, or neither carries one.
  [[nodiscard]] bool HasSameWrittenForm(const CPathName& other) const;

  // Text queries and edits; nothing here touches the disk except GetName.
  int GetPathStyle() const;
  // A POSIX path that starts with neither '/' nor '\'.
  [[nodiscard]] bool IsRelative() const;
  // Ends in the separator of its own form.
  [[nodiscard]] bool IsFolderPath() const;
  std::string GetLastComponent() const;
  std::string GetExtension(bool withDot) const;
  std::string GetParentFolder(bool addSeparator) const;
  void GetParentFolder(std::string& out, bool addSeparator) const;
  // The catalog name of an existing item, else the last component.
  std::string GetName(bool stripExtension) const;
  std::string GetNameExtension(bool withDot) const;
  // Replaces the extension by `extension`, which carries its own dot ("" removes it).
  void ReplaceExtension(const char* extension);
  void SetFileName(const char* name);
  bool CombineFolderAndName(const char* name, const CPathName& folder);
  // Removes every trailing separator and appends exactly one. Only the
  // separator of the path's own form counts ('/', or ':' in HFS style): a
  // POSIX name's own ':' or '\\' belongs to the name.
  void AddTrailingSlash();
  // Removes one trailing separator of the path's own form.
  void RemoveTrailingSeparator();
  // A new URL of the absolute path; null when there is none. The caller releases it.
  [[nodiscard]] CFURLRef CopyUrl() const;
  [[nodiscard]] CFURLRef CreateUrl() const { return CopyUrl(); }
  // The absolute path in a style (0 POSIX, 1 HFS, 2 Windows); "" when the
  // path is empty or cannot be converted.
  std::string GetAbsolutePath(int style) const;
  // This path becomes the other's absolute form; one that has none keeps
  // the other's text. The other's written form comes along: both name the
  // same item.
  void SetFullPath(const CPathName& other);
  // Case-insensitive comparison of the absolute paths.
  [[nodiscard]] bool DiffersFrom(const CPathName& other) const;
  [[nodiscard]] bool IsSameAs(const CPathName& other) const;
  // Whether the absolute paths are the same, letter for letter: two files
  // whose names differ only in case are two files here, where IsSameAs
  // takes them for one.
  [[nodiscard]] bool IsSamePath(const CPathName& other) const;
  [[nodiscard]] FILE* OpenStdioFile(const char* mode) const;
  [[nodiscard]] bool OpenFileStream(std::fstream& stream, std::ios::openmode mode) const;

  // Disk queries.
  [[nodiscard]] bool Exists() const;
  [[nodiscard]] bool ItemExists() const { return Exists(); }
  [[nodiscard]] bool HasFsRef() const { return Exists(); }
  // True only for an existing folder; stores the last path error.
  [[nodiscard]] bool IsFolder() const;
  // The reference of the existing item. When it is missing the result is
  // false and `error` (when given) tells why: fnfErr for a missing item,
  // dirNFErr when a folder on the way is missing, nsvErr for an unknown
  // volume.
  [[nodiscard]] bool GetFsRef(FSRef* out, OSErr* error = nullptr) const { return Report(FindItem(out), error); }
  // For callers that create the item: its own reference when it exists
  // (`exists` true), else the reference of the existing folder that will
  // hold it (`exists` false).
  [[nodiscard]] bool GetCreationFsRef(FSRef* out, bool* exists = nullptr, OSErr* error = nullptr) const {
    return Report(FindCreationFolder(out, exists), error);
  }
  [[nodiscard]] bool GetParentFsRef(FSRef* out, OSErr* error = nullptr) const { return Report(FindParent(out), error); }
  // The item's name in its folder; for a missing item its name in the
  // existing folder that will hold it.
  [[nodiscard]] bool GetFsSpec(FSSpec* out, OSErr* error = nullptr) const { return Report(FindSpec(out), error); }

  // Well-known folders (well_known_folders.cpp); folders end in "/".
  static CPathName GetApplicationBundle();
  // Domain index 0 system, 1 local, 3 network, 4 classic, any other the
  // user's. The folder is made when missing; an empty path when it cannot be
  // had.
  static CPathName GetSpecialFolder(OSType type, int domainIndex);
  static CPathName GetApplicationSupportFolder(int domainIndex);
  static CPathName GetDocumentsFolder();
  static CPathName GetDesktopFolder();
  // The user's temporary-items folder (from system 10.0 on, else the
  // preferences folder); stores the last path error.
  static CPathName GetWorkFolder();
  // The folder holding the application bundle.
  static CPathName GetApplicationFolder();
  // The folder holding the bundle's "English.lproj".
  static CPathName GetResourcesFolder();
  // A named resource of the main bundle; false when absent.
  [[nodiscard]] bool SetToBundleResource(const char* name);
  // `name` in the folder holding the application bundle, or with
  // useProcessFile the running program's file.
  [[nodiscard]] bool SetNextToApplication(const char* name, bool useProcessFile = false);

  // Each sets this path to the folder followed by `name` and returns true;
  // false, the path unchanged, when the folder cannot be had or `name` is
  // empty, absolute or climbs out of the folder ("..").
  [[nodiscard]] bool SetInSpecialFolder(const char* name, OSType type, int domainIndex);
  [[nodiscard]] bool SetInApplicationSupport(const char* name, int domainIndex);
  [[nodiscard]] bool SetInDocuments(const char* name);
  [[nodiscard]] bool SetOnDesktop(const char* name);
  [[nodiscard]] bool SetInFolder(const char* name, const CPathName& folder);
  [[nodiscard]] bool SetInFolderRef(const char* name, const FSRef* folder);
  // The work folder, then (when asked) the application's subfolder of it.
  [[nodiscard]] bool SetInWorkFolder(const char* name, bool inAppSubfolder);

  // The application's subfolder of the work folder: remembers its name and
  // makes it; true when it exists as a folder afterwards.
  [[nodiscard]] static bool CreateWorkFolder(const char* subfolderName);
  // Deletes the subfolder with everything in it; true when it is gone or
  // never existed (also when no subfolder was named).
  [[nodiscard]] static bool DeleteWorkFolder();
  // The absolute parent folder of this path; whether it exists.
  [[nodiscard]] bool GetParentPath(CPathName& out) const;

  // File and folder operations (file_operations.cpp). Each reports success;
  // where an `error` output is offered it receives the result code. An
  // operation on an existing item fails on a missing one (fnfErr): it never
  // acts on the folder that would hold it. A path that changes is re-read
  // from the item afterwards; a failed operation leaves the path as it was.

  // True when the item is a folder already; otherwise makes one folder level
  // (its parent must exist). An existing item that is not a folder fails
  // (dupFNErr). Stores the last path error.
  [[nodiscard]] bool CreateFolder();
  // A file with type, creator and flags from `tc` ("????" when null). An
  // existing file is replaced only with `replace`; a folder never is.
  [[nodiscard]] bool CreateFile(const CFileTypeCreator* tc, bool replace);
  // The same, holding an empty resource map in its data fork (the flags of
  // `tc` are not used).
  [[nodiscard]] bool CreateResourceFile(const CFileTypeCreator* tc, bool replace);
  // Makes `aliasPath` an alias file of this item: a symbolic link leading to
  // it by a relative path, with the alias flag and this item's file type
  // ('APPL' becomes 'adrp') in its Finder information. An existing file or
  // link at `aliasPath` is replaced, a folder never.
  [[nodiscard]] bool CreateAliasFile(const CPathName& aliasPath) const;
  // Sets the preferred and minimum sizes of the 'SIZE' resource -1 in the
  // file's resource fork and stores the fork. False, changing nothing, when
  // the file has no resource fork, the fork holds no such resource (or one
  // too short for both sizes), or the file is locked.
  [[nodiscard]] bool SetSizeResource(u32 preferred, u32 minimum) const;

  // True when the item is missing or deleted. A folder must be empty; with
  // `unlinkFolder` a non-empty one is handed to unlink(2), which refuses it
  // too. Stores the last path error.
  bool Delete(bool unlinkFolder = false) const;
  // Deletes the item; with `recursive` a folder with everything in it
  // (locked items are unlocked, links deleted and never followed). False
  // for a missing item.
  [[nodiscard]] bool DeleteRecursive(bool recursive) const;

  // Renames the item in its folder. An item already of that name is
  // replaced when it is a file, a link or an empty folder (it is restored
  // when the rename then fails); a folder with contents is never replaced
  // (fBsyErr). bdNamErr for a name that is not one item's name.
  bool Rename(const char* newName, OSErr* error = nullptr);
  // Moves the item into `destination` when that is an existing folder, or
  // into the folder holding it when it is another existing item; a missing
  // destination fails (errFSNotAFolder), as does one on another volume
  // (diffVolErr).
  [[nodiscard]] bool MoveTo(const CPathName& destination, OSErr* error = nullptr);

  // A free name next to `model`: "name__.ext", then "name__0.ext" up to
  // "name__999.ext"; false when all are taken.
  [[nodiscard]] bool MakeUniqueName(const CPathName& model);
  // Renames `source` to its name followed by "~" and names that backup. An
  // existing backup fails, or with `replace` is deleted first (a folder only
  // when empty).
  [[nodiscard]] bool RenameToBackup(const CPathName& source, bool replace);

  // Copies the item (a file with its forks, or a folder with its tree, with
  // Finder information, dates, owner and permissions) into the folder
  // `destinationFolder`, under `newName` when one is given. See
  // copy_engine.h for what replacing and failures do. The copy's path goes
  // to `copyOut` when given.
  [[nodiscard]] bool CopyTo(const CPathName& destinationFolder, const char* newName, bool replace,
              CPathName* copyOut, OSErr* error = nullptr) const;
  // CopyTo for a file or folder of a project, which an output carries to
  // another machine: every link, the item itself or one inside the folder,
  // is followed, and what it leads to is copied under the link's name.
  [[nodiscard]] bool CopyFollowingLinks(const CPathName& destinationFolder, const char* newName, bool replace,
                          CPathName* copyOut, OSErr* error = nullptr) const;

  // Programs (through plat::Launch, never a shell). The item opened with the
  // user's preferred application.
  [[nodiscard]] bool OpenInFinder() const;
  // The item opened with an application item (an executable file, or a
  // bundle "Name.app" running "Contents/MacOS/Name").
  [[nodiscard]] bool OpenWithApplication(const CPathName& application) const;
  // Starts this application item; its process goes to `process` (zero when
  // none was started).
  [[nodiscard]] bool LaunchApplication(ProcessSerialNumber* process) const;
  // LaunchApplication, or when that fails the item opened as a document.
  [[nodiscard]] bool LaunchOrOpen(ProcessSerialNumber* process) const;
  // Asks the process to quit when it was started from this application item.
  [[nodiscard]] bool QuitApplicationProcess(const ProcessSerialNumber* process) const;
  // Opens the file's data fork to read; its reference number goes to `refNum`.
  [[nodiscard]] bool OpenDataForkForReading(s16* refNum) const;

 private:
  [[nodiscard]] static bool Report(OSErr result, OSErr* error) {
    if (error) *error = result;
    return result == noErr;
  }
  [[nodiscard]] OSErr FindItem(FSRef* out) const;
  [[nodiscard]] OSErr FindCreationFolder(FSRef* out, bool* exists) const;
  [[nodiscard]] OSErr FindParent(FSRef* out) const;
  [[nodiscard]] OSErr FindSpec(FSSpec* out) const;

  std::string path;
  // The written form, with the text it was given for: it holds only while
  // the path still has that text.
  struct Written {
    CWrittenForm form;
    std::string heldText;
  };
  std::shared_ptr<const Written> written_;
};

// The OSErr the path layer stored last.
s32 GetLastPathError();
void SetLastPathError(OSErr error);

// The folder that default-constructed paths start from (made absolute, with "/").
void SetCurrentFolder(const CPathName& folder);

// The style in which absolute paths are written out (0 POSIX by default).
int GetOutputPathStyle();
void SetOutputPathStyle(int style);

// Separator rewriters: ':' and '\' to '/'; '/' and '\' to ':'; ':' and '/' to '\'.
std::string ToPosixSeparators(const char* text);
std::string ToHfsSeparators(const char* text);
std::string ToWindowsSeparators(const char* text);

// Replaces the extension of a copy of the path and stores the copy's absolute form.
void ReplaceExtensionOfAbsolute(CPathName& path, const char* extension);

// The absolute path that `relative` names when read from the folder of
// `base` (a folder when it exists as one or is written as one, else a file
// whose folder is meant). It ends in "/" when it names an existing folder or
// the relative text ends in "/". Only '/' separates the names of a
// relative text.
std::string ResolveRelativePath(const CPathName& relative, const CPathName& base);
// The folder ResolveRelativePath takes a relative path from, absolute and
// ending in "/".
std::string RelativePathFolder(const CPathName& base);
// ResolveRelativePath as text alone: `relative` taken from `folder`, its
// "." and ".." followed, ending in "/" only when its text says it names a
// folder (the disk is not asked).
std::string ResolveRelativeText(const std::string& folder, const std::string& relative);
// The absolute path that a path's written form gives, in UTF-8: its text,
// or a relative text taken from its folder (ending in "/" when the path
// names a folder); "" for a path without a written form.
std::string WrittenAbsoluteText(const CPathName& path);
// The text that leads from the folder of `base` to `target`: "./..." inside
// that folder, "../..." outside it.
std::string MakeRelativePath(const CPathName& base, const CPathName& target);

// The name (with its extension) of the item a path names: GetName without
// the separator a folder path may end in. Only the separator of the path's
// own form counts, so a POSIX name that itself ends in ':' keeps it.
std::string GetItemName(const CPathName& path);
