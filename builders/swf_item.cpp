#include "builders/swf_item.h"

#include <algorithm>

#include "builders/model_attributes.h"
#include "builders/project_change_count.h"
#include "foundation/file_bytes.h"
#include "foundation/xml_reader.h"
#include "foundation/xml_writer.h"
#include "swf/swf_file_reader.h"

namespace {

// Twips to pixels, truncated toward zero; the difference is taken modulo
// 2^32 so that no frame size can overflow.
s32 FrameExtentInPixels(s32 minimum, s32 maximum) { return s32(u32(maximum) - u32(minimum)) / 20; }

}  // namespace

CSwfItem::CSwfItem(CSwfItem* parentItem) : parent(parentItem) { Reset(); }

CSwfItem::~CSwfItem() { DeleteSubItems(); }

void CSwfItem::Reset() {
  DeleteSubItems();
  window_name = CHeldText();
  swf = CPathName(nullptr);
  more_files.DeleteAll();
  movie_width = 100;
  movie_height = 100;
  window_type = kWindowTypeStandard;
  window_style = kWindowStyleNormal;
  window_size = kWindowSizeSwf;
  window_position = kWindowPositionCustom;
  window_title = "Window";
  window_mask = CPathName(nullptr);
  window_x = 20;
  window_y = 60;
  window_width = 320;
  window_height = 240;
  window_width_percent = 100;
  window_height_percent = 100;
  window_has_minimize = true;
  window_has_maximize = true;
  window_has_close = true;
  window_is_resizable = false;
  window_is_visible = false;
  window_has_menu = false;
  window_fullscreen = false;
  left_mouse_action = kMouseActionFlash;
  right_mouse_action = kMouseActionFlash;
  exit_on_escape = true;
  use_flash_bgcolor = false;
  flash_bgcolor = 0;
  flash_quality = kFlashQualityHigh;
  flash_show_menu = true;
  flash_loop_movie = false;
  flash_scale = kFlashScaleShowAll;
}

namespace {

// Opens the movie with its header read; false when it is no movie that
// can be opened.
[[nodiscard]] bool OpenMovie(const CPathName& path, CSwfFileReader& reader) {
  // Only regular files are opened: a pipe would wait for a writer.
  return IsRegularFile(path) && reader.Open(path, true);
}

}  // namespace

bool CSwfItem::CanOpenMovie(const CPathName& path) {
  CSwfFileReader reader;
  return OpenMovie(path, reader);
}

bool CSwfItem::SetSwfFile(const CPathName& path) {
  CSwfFileReader reader;
  if (!OpenMovie(path, reader)) return false;
  const CSwfRect& frame = reader.GetHeader().GetFrameSize();
  movie_width = FrameExtentInPixels(frame.xMin, frame.xMax);
  movie_height = FrameExtentInPixels(frame.yMin, frame.yMax);
  reader.Close();
  StoreCounted(swf, path);
  SetWindowSizeMode(window_size);
  return true;
}

void CSwfItem::SetWindowSizeMode(s32 mode) {
  StoreCounted(window_size, mode);
  if (mode != kWindowSizeSwf) return;
  StoreCounted(window_width, movie_width);
  StoreCounted(window_height, movie_height);
}

bool CSwfItem::SetWindowMaskPath(const CPathName& path) {
  StoreCounted(window_mask, path);
  return true;
}

void CSwfItem::SetWindowTitle(const char* title) { StoreCounted(window_title, title); }
void CSwfItem::SetWindowIsVisible(bool visible) { StoreCounted(window_is_visible, visible); }
void CSwfItem::SetLeftMouseAction(s32 action) { StoreCounted(left_mouse_action, action); }
void CSwfItem::SetRightMouseAction(s32 action) { StoreCounted(right_mouse_action, action); }
void CSwfItem::SetExitOnEscape(bool exit) { StoreCounted(exit_on_escape, exit); }
void CSwfItem::SetUseFlashBgColor(bool use) { StoreCounted(use_flash_bgcolor, use); }
void CSwfItem::SetFlashBgColor(u32 color) { StoreCounted(flash_bgcolor, color); }
void CSwfItem::SetFlashQuality(s32 quality) { StoreCounted(flash_quality, quality); }
void CSwfItem::SetWindowName(const char* name) { window_name = CHeldText(name); }

bool CSwfItem::AddMoreFile(const CPathName& path) {
  more_files.AddCopy(path);
  CountProjectChange();
  return true;
}

bool CSwfItem::RemoveMoreFile(int index) {
  if (!more_files.RemoveAt(index)) return false;
  CountProjectChange();
  return true;
}

bool CSwfItem::RemoveMoreFileEntry(CPathName* entry) {
  if (!entry || !more_files.Remove(entry)) return false;
  CountProjectChange();
  return true;
}

bool CSwfItem::ClearMoreFiles() {
  if (more_files.GetCount() == 0) return true;
  more_files.DeleteAll();
  CountProjectChange();
  return true;
}

CSwfItem* CSwfItem::AddSubItem() {
  CSwfItem* item = new CSwfItem(this);
  sub_items.push_back(item);
  return item;
}

void CSwfItem::DeleteSubItems() {
  // Taken out of the list first, so that no deleted item is ever reachable.
  std::vector<CSwfItem*> items;
  items.swap(sub_items);
  for (CSwfItem* item : items) delete item;
}

bool CSwfItem::DeleteSubItem(CSwfItem* item) {
  auto found = std::find(sub_items.begin(), sub_items.end(), item);
  if (!item || found == sub_items.end()) return false;
  sub_items.erase(found);
  delete item;
  return true;
}

CSwfItem* CSwfItem::GetSubItem(int index) const {
  if (index < 0 || size_t(index) >= sub_items.size()) return nullptr;
  return sub_items[size_t(index)];
}

// ---------------------------------------------------------------------------
// The project file's element

void CSwfItem::WriteWindowAttributes(CXmlWriter& writer) const {
  WriteWordAttribute(writer, "window_style", kWindowStyleWords, window_style);
  WriteBoolAttribute(writer, "window_has_maximize", window_has_maximize);
  WriteBoolAttribute(writer, "window_has_minimize", window_has_minimize);
  WriteBoolAttribute(writer, "window_has_close", window_has_close);
  WriteBoolAttribute(writer, "window_is_resizable", window_is_resizable);
  WriteBoolAttribute(writer, "window_is_visible", window_is_visible);
  WriteBoolAttribute(writer, "window_has_menu", window_has_menu);
  WriteWordAttribute(writer, "window_size", kWindowSizeWords, window_size);
  WriteWordAttribute(writer, "window_position", kWindowPositionWords, window_position);
  WriteSignedAttribute(writer, "window_x", window_x);
  WriteSignedAttribute(writer, "window_y", window_y);
  WriteSignedAttribute(writer, "window_width", window_width);
  WriteSignedAttribute(writer, "window_height", window_height);
  WriteSignedAttribute(writer, "window_width_percent", window_width_percent);
  WriteSignedAttribute(writer, "window_height_percent", window_height_percent);
  WriteBoolAttribute(writer, "window_fullscreen", window_fullscreen);
  WriteWordAttribute(writer, "left_mouse_action", kMouseActionWords, left_mouse_action);
  WriteWordAttribute(writer, "right_mouse_action", kMouseActionWords, right_mouse_action);
  WriteBoolAttribute(writer, "exit_on_escape", exit_on_escape);
  WriteBoolAttribute(writer, "use_flash_bgcolor", use_flash_bgcolor);
  WriteUnsignedAttribute(writer, "flash_bgcolor", flash_bgcolor);
  WriteWordAttribute(writer, "flash_quality", kFlashQualityWords, flash_quality);
  WriteWordAttribute(writer, "flash_scale", kFlashScaleWords, flash_scale);
  WriteBoolAttribute(writer, "flash_show_menu", flash_show_menu);
  WriteBoolAttribute(writer, "flash_loop_movie", flash_loop_movie);
}

void CSwfItem::ReadWindowAttributes(const CAttributeReader& in) {
  in.ReadText("window_name", window_name);
  in.ReadText("window_title", window_title);
  in.ReadWord("window_type", kWindowTypeWords, window_type);
  in.ReadWord("window_style", kWindowStyleWords, window_style);
  in.ReadBool("window_has_maximize", window_has_maximize);
  in.ReadBool("window_has_minimize", window_has_minimize);
  in.ReadBool("window_has_close", window_has_close);
  in.ReadBool("window_is_resizable", window_is_resizable);
  in.ReadBool("window_is_visible", window_is_visible);
  in.ReadBool("window_has_menu", window_has_menu);
  in.ReadWord("window_size", kWindowSizeWords, window_size);
  in.ReadWord("window_position", kWindowPositionWords, window_position);
  in.ReadSigned("window_x", window_x);
  in.ReadSigned("window_y", window_y);
  in.ReadSigned("window_width", window_width);
  in.ReadSigned("window_height", window_height);
  in.ReadSigned("window_width_percent", window_width_percent);
  in.ReadSigned("window_height_percent", window_height_percent);
  in.ReadBool("window_fullscreen", window_fullscreen);
  in.ReadWord("left_mouse_action", kMouseActionWords, left_mouse_action);
  in.ReadWord("right_mouse_action", kMouseActionWords, right_mouse_action);
  in.ReadBool("exit_on_escape", exit_on_escape);
  in.ReadBool("use_flash_bgcolor", use_flash_bgcolor);
  in.ReadUnsigned("flash_bgcolor", flash_bgcolor);
  in.ReadWord("flash_quality", kFlashQualityWords, flash_quality);
  in.ReadWord("flash_scale", kFlashScaleWords, flash_scale);
  in.ReadBool("flash_show_menu", flash_show_menu);
  in.ReadBool("flash_loop_movie", flash_loop_movie);
}

bool CSwfItem::WriteProjectorElement(CXmlWriter& writer) const {
  writer.WriteText("<flash_projector");
  WritePathAttribute(writer, "swf", swf);
  WriteTextAttribute(writer, "window_name", window_name);
  WriteTextAttribute(writer, "window_title", window_title);
  WritePathAttribute(writer, "window_mask", window_mask);
  WriteWordAttribute(writer, "window_type", kWindowTypeWords, window_type);
  WriteWindowAttributes(writer);
  writer.WriteText(">\n<more_files>\n");
  for (int i = 0; i < more_files.GetCount(); ++i) {
    writer.WriteText("<path");
    WritePathAttribute(writer, "src", *more_files.GetAt(i));
    writer.WriteText(" />\n");
  }
  writer.WriteText("</more_files>\n<sub_data>\n");
  for (const CSwfItem* item : sub_items) item->WriteProjectorElement(writer);
  writer.WriteText("</sub_data>\n</flash_projector>\n");
  return true;
}

bool CSwfItem::ReadProjectorElement(const CXmlNode& node, bool snapshot) {
  return ReadProjectorElementAt(node, 0, snapshot);
}

bool CSwfItem::ReadProjectorElementAt(const CXmlNode& node, int depth, bool snapshot) {
  const CAttributeReader in(node, snapshot);
  CPathName path(nullptr);
  // A movie that cannot be opened is kept as the file named it, so that the
  // project does not lose it (a volume that is not there now may be
  // tomorrow); the check before a build refuses it. A movie whose path lost
  // characters is kept without being opened: the file its text names now is
  // not the one the project meant.
  if (in.ReadPath("swf", path) && !path.IsEmpty()) {
    const CPathName movie = AbsolutePathOf(path);
    if (movie.LosesCharacters() || !SetSwfFile(movie)) swf = movie;
  }
  ReadWindowAttributes(in);
  if (in.ReadPath("window_mask", path)) window_mask = AbsolutePathOf(path);

  VisitChildrenNamed(node, "more_files", [&](const CXmlNode& list) {
    more_files.DeleteAll();
    VisitChildrenNamed(list, "path", [&](const CXmlNode& entry) {
      // An entry without a file names nothing to pack and is passed over.
      if (CAttributeReader(entry, snapshot).ReadPath("src", path) && !path.IsEmpty()) more_files.AddCopy(path);
    });
  });
  return ForEachChildNamed(node, "sub_data", [&](const CXmlNode& list) {
    return ForEachChildNamed(list, "flash_projector", [&](const CXmlNode& entry) {
      return depth < kMaxSubItemNesting && AddSubItem()->ReadProjectorElementAt(entry, depth + 1, snapshot);
    });
  });
}

void CSwfItem::GetNamedFiles(std::vector<const CPathName*>& files, bool withMasks) const {
  if (!swf.IsEmpty()) files.push_back(&swf);
  if (withMasks && !window_mask.IsEmpty()) files.push_back(&window_mask);
  for (int i = 0; i < more_files.GetCount(); ++i) files.push_back(more_files.GetAt(i));
  for (const CSwfItem* item : sub_items) item->GetNamedFiles(files, withMasks);
}

void CSwfItem::GetWindowTexts(std::vector<const CHeldText*>& texts) const {
  texts.push_back(&window_name);
  texts.push_back(&window_title);
  for (const CSwfItem* item : sub_items) item->GetWindowTexts(texts);
}

const CPathName* CSwfItem::FindMovieNotOpening() const {
  if (!swf.IsEmpty() && !CanOpenMovie(swf)) return &swf;
  for (const CSwfItem* item : sub_items)
    if (const CPathName* movie = item->FindMovieNotOpening()) return movie;
  return nullptr;
}
