// CSwfItem: one Flash movie of a project with everything about how it is
// shown: the window it plays in, mouse and keyboard behaviour, player
// settings, the extra files that travel with it, and an ordered list of
// sub-items of the same kind.
//
// The project file stores an item as a `flash_projector` element; the
// players' settings document stores it as a `window` element (see
// settings_document.h). Setters count a change in the project change
// counter only when the value really changes.
#pragma once

#include <string>
#include <vector>

#include "builders/unheld_texts.h"
#include "foundation/path_list.h"
#include "foundation/path_name.h"
#include "platform/mac_types.h"

class CAttributeReader;
class CXmlNode;
class CXmlWriter;

// Values of the item's enumerations; each is stored in the files as a word.
enum : s32 {
  kWindowTypeStandard = 0,
  kWindowTypeMask = 1,
  kWindowTypeTransparent = 2,

  kWindowStyleNormal = 0,
  kWindowStyleModal = 1,
  kWindowStyleTool = 2,
  kWindowStyleNoBorder = 3,

  kWindowSizeCustom = 0,
  kWindowSizeSwf = 1,
  kWindowSizeScreenPercent = 2,

  kWindowPositionCustom = 0,
  kWindowPositionCenter = 1,

  kMouseActionDrag = 0,
  kMouseActionFlash = 1,
  kMouseActionIgnore = 2,
  kMouseActionCustomMenu = 3,

  kFlashQualityLow = 0,
  kFlashQualityAutoLow = 1,
  kFlashQualityAutoHigh = 2,
  kFlashQualityMedium = 3,
  kFlashQualityHigh = 4,
  kFlashQualityBest = 5,

  kFlashScaleShowAll = 0,
  kFlashScaleNoBorder = 1,
  kFlashScaleExactFit = 2,
};

// How deep sub-items may nest in a file that is read; deeper files are
// refused, so a hostile file cannot exhaust the stack.
constexpr int kMaxSubItemNesting = 32;

class CSwfItem {
 public:
  explicit CSwfItem(CSwfItem* parent);
  virtual ~CSwfItem();

  CSwfItem(const CSwfItem&) = delete;
  CSwfItem& operator=(const CSwfItem&) = delete;

  // Takes the movie and its frame size from the file's header (plain or
  // compressed), then applies the window size mode again. False, nothing
  // changed, when the file is no movie that can be opened. A path set anew
  // (without the written form of the one held) is a change.
  [[nodiscard]] virtual bool SetSwfFile(const CPathName& path);
  // Whether the file is a movie that can be opened (a regular file, plain
  // or compressed, whose header reads).
  [[nodiscard]] static bool CanOpenMovie(const CPathName& path);

  // The defaults of a new item; sub-items are deleted. Counts nothing.
  void Reset();

  // Setters that count a change when the value changes.
  // With kWindowSizeSwf the window takes the movie's frame size.
  void SetWindowSizeMode(s32 mode);
  bool SetWindowMaskPath(const CPathName& path);
  void SetWindowTitle(const char* title);
  void SetWindowIsVisible(bool visible);
  void SetLeftMouseAction(s32 action);
  void SetRightMouseAction(s32 action);
  void SetExitOnEscape(bool exit);
  void SetUseFlashBgColor(bool use);
  void SetFlashBgColor(u32 color);
  void SetFlashQuality(s32 quality);
  // A plain store: the window name is not counted as a change.
  void SetWindowName(const char* name);

  // Extra files. Adding always counts one change; removing counts one when
  // an entry was removed; clearing counts one when the list was not empty.
  bool AddMoreFile(const CPathName& path);
  [[nodiscard]] bool RemoveMoreFile(int index);
  // `entry` is one of the list's own path objects (matched by identity).
  [[nodiscard]] bool RemoveMoreFileEntry(CPathName* entry);
  bool ClearMoreFiles();

  // A new reset item whose parent is this one, appended and returned.
  [[nodiscard]] CSwfItem* AddSubItem();
  void DeleteSubItems();
  // Removes and deletes the sub-item; false when it is not one of them.
  [[nodiscard]] bool DeleteSubItem(CSwfItem* item);

  // The project file's `flash_projector` element, sub-items included.
  bool WriteProjectorElement(CXmlWriter& writer) const;
  // Reads an element as written above into this item (fields not in the
  // element keep their values). False when sub-items nest deeper than
  // kMaxSubItemNesting; what was read up to there stays. Names and paths
  // keep the texts the document wrote for them (unheld_texts.h); with
  // `snapshot` the element is one of an undo snapshot. A movie that cannot
  // be opened (missing, on a volume that is not there, of a kind that is
  // not read) is kept as the document named it, and so is a movie whose
  // path lost characters, which is not opened, as its text may name another
  // file: a save writes it back, and the check before a build refuses it.
  [[nodiscard]] bool ReadProjectorElement(const CXmlNode& node, bool snapshot = false);
  // The files of the item and of its sub-items: movies, extra files and,
  // with `withMasks`, window pictures.
  void GetNamedFiles(std::vector<const CPathName*>& files, bool withMasks) const;
  // The names of the item and of its sub-items that the players' settings
  // document holds: window names and titles.
  void GetWindowTexts(std::vector<const CHeldText*>& texts) const;
  // The first movie of the item or of its sub-items that cannot be opened
  // (CanOpenMovie); null when every one opens.
  [[nodiscard]] const CPathName* FindMovieNotOpening() const;

  // The players' settings document (settings_document.cpp).
  // One `window` element with the movie check; draws fresh check words.
  bool WriteWindowElement(CXmlWriter& writer);
  // False when the element is rejected: a movie name that is not one plain
  // name, or a movie that fails the check.
  [[nodiscard]] bool ReadWindowElement(const CXmlNode& node);
  // The `window` children of a `sub_data` element as new sub-items.
  [[nodiscard]] bool ReadWindowSubData(const CXmlNode& node);
  // The CRC-32 of the file's first (up to) 1024 bytes and its size; false,
  // outputs untouched, when it is not a regular file that can be opened.
  [[nodiscard]] static bool GetSwfFileStamp(const CPathName& path, u32* crc, u32* size);

  const CPathName& GetSwfFile() const { return swf; }
  const CPathList& GetMoreFiles() const { return more_files; }
  const std::string& GetWindowName() const { return window_name.GetText(); }
  const std::string& GetWindowTitle() const { return window_title.GetText(); }
  const CHeldText& GetHeldWindowName() const { return window_name; }
  const CHeldText& GetHeldWindowTitle() const { return window_title; }
  const CPathName& GetWindowMask() const { return window_mask; }
  s32 GetWindowX() const { return window_x; }
  s32 GetWindowY() const { return window_y; }
  s32 GetWindowWidth() const { return window_width; }
  s32 GetWindowHeight() const { return window_height; }
  s32 GetWindowWidthPercent() const { return window_width_percent; }
  s32 GetWindowHeightPercent() const { return window_height_percent; }
  s32 GetWindowType() const { return window_type; }
  s32 GetWindowStyle() const { return window_style; }
  s32 GetWindowSizeMode() const { return window_size; }
  s32 GetWindowPosition() const { return window_position; }
  [[nodiscard]] bool GetWindowHasMinimize() const { return window_has_minimize; }
  [[nodiscard]] bool GetWindowHasMaximize() const { return window_has_maximize; }
  [[nodiscard]] bool GetWindowHasClose() const { return window_has_close; }
  [[nodiscard]] bool GetWindowIsResizable() const { return window_is_resizable; }
  [[nodiscard]] bool GetWindowIsVisible() const { return window_is_visible; }
  [[nodiscard]] bool GetWindowHasMenu() const { return window_has_menu; }
  [[nodiscard]] bool GetWindowFullscreen() const { return window_fullscreen; }
  s32 GetRightMouseAction() const { return right_mouse_action; }
  s32 GetLeftMouseAction() const { return left_mouse_action; }
  [[nodiscard]] bool GetExitOnEscape() const { return exit_on_escape; }
  [[nodiscard]] bool GetUseFlashBgColor() const { return use_flash_bgcolor; }
  u32 GetFlashBgColor() const { return flash_bgcolor; }
  s32 GetFlashQuality() const { return flash_quality; }
  s32 GetFlashScale() const { return flash_scale; }
  [[nodiscard]] bool GetFlashShowMenu() const { return flash_show_menu; }
  [[nodiscard]] bool GetFlashLoopMovie() const { return flash_loop_movie; }
  // The movie's frame size in pixels.
  s32 GetMovieWidth() const { return movie_width; }
  s32 GetMovieHeight() const { return movie_height; }
  CSwfItem* GetParent() const { return parent; }
  int GetSubItemCount() const { return int(sub_items.size()); }
  // Null for an index outside 0..count-1.
  CSwfItem* GetSubItem(int index) const;
  u32 GetItemNumber() const { return item_number; }
  // The random words of the last settings document written or read.
  u32 GetCheckWord(int index) const { return check_words[index & 1]; }

 private:
  [[nodiscard]] bool ReadProjectorElementAt(const CXmlNode& node, int depth, bool snapshot);
  [[nodiscard]] bool ReadWindowElementAt(const CXmlNode& node, int depth);
  [[nodiscard]] bool ReadWindowSubDataAt(const CXmlNode& node, int depth);
  // The attributes both elements share, from `window_style` to
  // `flash_loop_movie`.
  void WriteWindowAttributes(CXmlWriter& writer) const;
  // The window, mouse and player attributes both elements share (all but
  // the movie and the mask), stored without counting.
  void ReadWindowAttributes(const CAttributeReader& attributes);

  CPathName swf{nullptr};
  CPathList more_files;
  CHeldText window_name;
  CHeldText window_title;
  CPathName window_mask{nullptr};
  s32 window_x = 0, window_y = 0, window_width = 0, window_height = 0;
  s32 window_width_percent = 0, window_height_percent = 0;
  s32 window_type = 0;
  s32 window_style = 0;
  s32 window_size = 0;
  s32 window_position = 0;
  bool window_has_minimize = false, window_has_maximize = false, window_has_close = false;
  bool window_is_resizable = false, window_is_visible = false, window_has_menu = false;
  bool window_fullscreen = false;
  s32 right_mouse_action = 0, left_mouse_action = 0;
  bool exit_on_escape = false, use_flash_bgcolor = false;
  u32 flash_bgcolor = 0;
  s32 flash_quality = 0;
  s32 flash_scale = 0;
  bool flash_show_menu = false, flash_loop_movie = false;
  s32 movie_width = 0, movie_height = 0;
  CSwfItem* parent;
  std::vector<CSwfItem*> sub_items;
  u32 item_number = 0;
  u32 check_words[2] = {0, 0};
};
