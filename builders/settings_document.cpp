#include "builders/settings_document.h"

#include <sys/types.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "builders/data_list.h"
#include "builders/model_attributes.h"
#include "builders/swf_item.h"
#include "foundation/crc32.h"
#include "foundation/file_bytes.h"
#include "foundation/xml_reader.h"
#include "foundation/xml_writer.h"

namespace {

struct RandomSource {
  std::mt19937 engine;
  bool seeded = false;
};

RandomSource& Random() {
  static RandomSource source;
  return source;
}

// What a settings read shares between its items: the folder the movies are
// found in, and the running item number.
struct SettingsReadState {
  CPathName movieFolder{nullptr};
  u32 nextItemNumber = 0;
};

SettingsReadState& ReadState() {
  static SettingsReadState state;
  return state;
}

// A name that stays inside the folder it is looked up in: one item's name
// with no separator of any platform the players run on.
[[nodiscard]] bool IsPlainItemName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string("/\\:\0", 4)) == std::string::npos;
}

// Resolves a name of the document into `path`: an empty name is no file;
// false for a name that is no plain name or a folder that is not there.
[[nodiscard]] bool ResolveDocumentName(const std::string& name, const CPathName& folder, CPathName& path) {
  if (name.empty()) {
    path = CPathName(nullptr);
    return true;
  }
  return IsPlainItemName(name) && !folder.IsEmpty() && path.SetInFolder(name.c_str(), folder);
}

}  // namespace

void SeedSettingsRandom(u32 seed) {
  Random().engine.seed(seed);
  Random().seeded = true;
}

u32 NextSettingsRandomWord() {
  RandomSource& source = Random();
  if (!source.seeded) {
    const auto ticks = std::chrono::system_clock::now().time_since_epoch().count();
    source.engine.seed(u32(ticks) ^ u32(u64(ticks) >> 32));
    source.seeded = true;
  }
  return u32(source.engine() >> 1);
}

// ---------------------------------------------------------------------------
// Writing

bool CDataList::WriteSettingsFile(const CPathName& path) {
  // Only a file is replaced, never a folder (not even an empty one).
  if (path.IsFolder()) return false;
  // The players would show a '?' for each character that a window's name
  // or title lost; the check before a build refuses such a project.
  std::vector<const CHeldText*> texts;
  root_item->GetWindowTexts(texts);
  for (const CHeldText* text : texts)
    if (text->LosesCharacters()) return false;
  CXmlWriter writer;
  if (!writer.Open(path, CXmlWriteOptions(), true)) return false;
  writer.WriteText("<windows ");
  WriteRuntimeAttributes(writer);
  writer.WriteText(">\n");
  root_item->WriteWindowElement(writer);
  writer.WriteText("</windows>\n");
  return writer.Close();
}

bool CSwfItem::GetSwfFileStamp(const CPathName& path, u32* crc, u32* size) {
  if (!IsRegularFile(path)) return false;
  std::FILE* file = path.OpenStdioFile("rb");
  if (!file) return false;
  u8 bytes[kSwfStampBytes];
  const size_t count = std::fread(bytes, 1, sizeof bytes, file);
  const bool measured = fseeko(file, 0, SEEK_END) == 0;
  const off_t length = measured ? ftello(file) : -1;
  std::fclose(file);
  u32 checksum = 0;
  if (length < 0 || !ComputeCrc32(bytes, count, checksum)) return false;
  if (crc) *crc = checksum;
  if (size) *size = u64(length) > 0xFFFFFFFFu ? 0xFFFFFFFFu : u32(length);
  return true;
}

bool CSwfItem::WriteWindowElement(CXmlWriter& writer) {
  writer.WriteText("<window");
  WriteTextAttribute(writer, "swf", swf.IsEmpty() ? std::string() : swf.GetName(false));
  WriteTextAttribute(writer, "window_name", window_name.GetText());
  WriteTextAttribute(writer, "window_title", window_title.GetText());
  WriteWordAttribute(writer, "window_type", kWindowTypeWords, window_type);
  WriteTextAttribute(writer, "mask", window_mask.IsEmpty() ? std::string() : window_mask.GetName(false));
  WriteWindowAttributes(writer);

  check_words[0] = NextSettingsRandomWord();
  check_words[1] = NextSettingsRandomWord();
  const u32 filler1 = NextSettingsRandomWord();
  const u32 filler2 = NextSettingsRandomWord();
  // A movie that cannot be read is checked over a stamp of 0 and 0.
  u32 crc = 0, size = 0;
  if (!swf.IsEmpty() && !GetSwfFileStamp(swf, &crc, &size)) crc = size = 0;
  WriteUnsignedAttribute(writer, "d1", check_words[0]);
  WriteUnsignedAttribute(writer, "d2", check_words[1]);
  WriteSignedAttribute(writer, "d3", s32(filler1));
  WriteUnsignedAttribute(writer, "d4", check_words[0] & crc);
  WriteUnsignedAttribute(writer, "d5", check_words[1] & size);
  WriteSignedAttribute(writer, "d6", s32(filler2));

  writer.WriteText(" >\n<sub_data>\n");
  for (CSwfItem* item : sub_items) item->WriteWindowElement(writer);
  writer.WriteText("</sub_data>\n</window>\n");
  return true;
}

// ---------------------------------------------------------------------------
// Reading

bool CDataList::ReadSettingsFile(const CPathName& path) {
  SettingsReadState& state = ReadState();
  const CPathName absolute(path.GetAbsolutePath(0));
  state.movieFolder = absolute.IsEmpty() ? CPathName(nullptr) : CPathName(absolute.GetParentFolder(true));
  state.nextItemNumber = 0;
  read_status = kSettingsReadDone;
  // The folder belongs to this read only.
  struct ClearFolder {
    SettingsReadState& state;
    ~ClearFolder() { state.movieFolder = CPathName(nullptr); }
  } clearFolder{state};

  CXmlDocument document;
  if (!document.Open(path)) {
    read_status = kSettingsReadNotLoaded;
    return false;
  }
  CXmlNode root;
  if (!document.GetRootNode(root)) {
    read_status = kSettingsReadNoRoot;
    return false;
  }
  CXmlNodeList children;
  root.GetChildren(children);
  if (children.GetCount() == 0) {
    read_status = kSettingsReadNoChildren;
    return false;
  }
  return ForEachChildNamed(root, "windows", [this](const CXmlNode& windows) {
    if (!ReadRuntimeAttributes(windows)) return false;
    return ForEachChildNamed(windows, "window", [this](const CXmlNode& window) {
      if (root_item->ReadWindowElement(window)) return true;
      read_status = kSettingsReadWindowRejected;
      return false;
    });
  });
}

bool CSwfItem::ReadWindowElement(const CXmlNode& node) { return ReadWindowElementAt(node, 0); }

bool CSwfItem::ReadWindowSubData(const CXmlNode& node) { return ReadWindowSubDataAt(node, 0); }

bool CSwfItem::ReadWindowElementAt(const CXmlNode& node, int depth) {
  SettingsReadState& state = ReadState();
  item_number = state.nextItemNumber++;
  const CAttributeReader in(node);
  // An element without attributes carries no movie and no check.
  if (!in.IsEmpty()) {
    std::string name;
    if (in.ReadText("swf", name) && !ResolveDocumentName(name, state.movieFolder, swf)) return false;
    if (in.ReadText("mask", name)) {
      if (!name.empty() && !IsPlainItemName(name)) return false;
      // Mask pictures travel in the bundle's resource folder "_mask_".
      CPathName maskFolder(nullptr);
      if (name.empty() || !maskFolder.SetToBundleResource("_mask_") ||
          !window_mask.SetInFolder(name.c_str(), maskFolder))
        window_mask = CPathName(nullptr);
    }
    ReadWindowAttributes(in);

    // A movie that cannot be read is checked over a stamp of 0 and 0.
    u32 crc = 0, size = 0;
    if (!swf.IsEmpty() && !GetSwfFileStamp(swf, &crc, &size)) crc = size = 0;
    s32 word = 0;
    if (in.ReadSigned("d1", word)) check_words[0] = u32(word);
    if (in.ReadSigned("d2", word)) check_words[1] = u32(word);
    if (!in.ReadSigned("d4", word) || u32(word) != (check_words[0] & crc)) return false;
    if (!in.ReadSigned("d5", word) || u32(word) != (check_words[1] & size)) return false;
  }

  return ForEachChildNamed(node, "sub_data",
                           [&](const CXmlNode& list) { return ReadWindowSubDataAt(list, depth); });
}

bool CSwfItem::ReadWindowSubDataAt(const CXmlNode& node, int depth) {
  return ForEachChildNamed(node, "window", [&](const CXmlNode& entry) {
    return depth < kMaxSubItemNesting && AddSubItem()->ReadWindowElementAt(entry, depth + 1);
  });
}
