// Attribute helpers shared by the project file's elements and the players'
// settings document.
//
// Every attribute is written as a blank, its name, an equals sign and the
// value in double quotes. Enumerations are stored as words: a value outside
// its table is written empty, and a word that matches no entry exactly
// (letter case included) leaves the field as it was.
#pragma once

#include <functional>
#include <span>
#include <string>

#include "builders/unheld_texts.h"
#include "foundation/path_name.h"
#include "foundation/xml_reader.h"
#include "foundation/xml_writer.h"
#include "platform/mac_types.h"

// The words of an enumeration, indexed by value.
using WordTable = std::span<const char* const>;

// The word of `value`; "" outside the table.
const char* WordOf(WordTable words, s32 value);
// The value of a word; false when none matches exactly.
[[nodiscard]] bool FindWord(WordTable words, const std::string& word, s32& value);

// The value as it stands (already markup-safe: numbers and words).
void WriteRawAttribute(CXmlWriter& writer, const char* name, const char* value);
// The text escaped.
void WriteTextAttribute(CXmlWriter& writer, const char* name, const std::string& value);
// A name of the project: as its document wrote it when it lost characters.
void WriteTextAttribute(CXmlWriter& writer, const char* name, const CHeldText& value);
// In the path form of the XML writer (CXmlWriter::WritePath).
void WritePathAttribute(CXmlWriter& writer, const char* name, const CPathName& path);
// A snapshot (CXmlWriter::SetWritesSnapshot) writes a name or a path as the
// application holds it, and its document's text for it in the attributes
// named after it with these endings (the written text; for a relative
// path the folder it was taken from), which a reader of snapshots takes
// back.
inline constexpr const char* kWrittenTextEnding = ".written";
inline constexpr const char* kWrittenFolderEnding = ".written_in";
void WriteBoolAttribute(CXmlWriter& writer, const char* name, bool value);
void WriteSignedAttribute(CXmlWriter& writer, const char* name, s32 value);
void WriteUnsignedAttribute(CXmlWriter& writer, const char* name, u32 value);
void WriteWordAttribute(CXmlWriter& writer, const char* name, WordTable words, s32 value);

// The absolute form of a path (an empty one stays empty).
CPathName AbsolutePathOf(const CPathName& path);

// Calls `visit` for each child element of `node` named `name`, in order,
// until one call returns false; the result is false then.
[[nodiscard]] bool ForEachChildNamed(const CXmlNode& node, const char* name,
                                     const std::function<bool(const CXmlNode&)>& visit);
// Calls `visit` for every child element of `node` named `name`, in order.
void VisitChildrenNamed(const CXmlNode& node, const char* name, const std::function<void(const CXmlNode&)>& visit);

// Reads the attributes of one element. Each getter leaves its output alone
// and returns false when the attribute is absent.
class CAttributeReader {
 public:
  // With `snapshot` the element is one of a snapshot, whose names and paths
  // carry their documents' texts beside them (WritePathAttribute).
  explicit CAttributeReader(const CXmlNode& element, bool snapshot = false);

  // Whether the element has any attribute at all.
  [[nodiscard]] bool IsEmpty() const { return info_.GetAttributeCount() == 0; }
  [[nodiscard]] bool Has(const char* name) const;

  // A text, as the application holds it.
  bool ReadText(const char* name, std::string& value) const;
  // A name of the project, with the text as the document wrote it when it
  // loses characters.
  bool ReadText(const char* name, CHeldText& value) const;
  // A text that names an item (a file name, the project's name).
  bool ReadName(const char* name, CHeldText& value) const;
  // True only for "true", in any letter case.
  bool ReadBool(const char* name, bool& value) const;
  // Decimal; text that is no number reads as 0, numbers beyond the 32-bit
  // range are held at its ends.
  bool ReadSigned(const char* name, s32& value) const;
  bool ReadUnsigned(const char* name, u32& value) const;
  // A word that matches no entry leaves `value` unchanged (and returns true:
  // the attribute was there).
  bool ReadWord(const char* name, WordTable words, s32& value) const;
  // An empty text gives an empty path; a relative one is taken from the
  // folder of the document that holds the element. A relative text, and one
  // that loses characters, is kept as the path's written form.
  bool ReadPath(const char* name, CPathName& path) const;

 private:
  [[nodiscard]] bool Find(const char* name, CXmlNode& value) const;
  // The snapshot's written text of an attribute, when it has one.
  [[nodiscard]] bool FindWritten(const char* name, const char* ending, CXmlNode& value) const;

  CXmlElementInfo info_;
  bool snapshot_ = false;
};

// The words of the movie item's and the lists' enumerations.
inline constexpr const char* kWindowTypeWords[] = {"standard", "mask", "transparent"};
inline constexpr const char* kWindowStyleWords[] = {"normal", "modal", "tool", "noborder"};
inline constexpr const char* kWindowSizeWords[] = {"custom", "swf_size", "screen_percent"};
inline constexpr const char* kWindowPositionWords[] = {"custom", "center"};
inline constexpr const char* kMouseActionWords[] = {"drag", "flash", "ignore", "custom_menu"};
inline constexpr const char* kFlashQualityWords[] = {"low",    "auto_low", "auto_high",
                                                     "medium", "high",     "best"};
inline constexpr const char* kFlashScaleWords[] = {"show_all", "no_border", "exact_fit"};
inline constexpr const char* kInstallerTypeWords[] = {"standard", "quiet"};
inline constexpr const char* kDoAfterInstallWords[] = {"do_nothing", "open_saver_panel"};
