// CFont: a QuickDraw font (family, size, face) held in a port of its own,
// with metrics in pixels and in a 1024-unit em square.
//
// Family numbers and names come from the host layer's font table
// (platform/fonts.h); names are held as Mac Roman text. Characters are Mac
// Roman bytes. The metrics come from the host layer's current font source,
// read unhinted at 72 dpi, so one point is one pixel.
#pragma once

#include <string>

#include "platform/gworld.h"
#include "platform/mac_types.h"
#include "platform/qd_types.h"

class CFont {
 public:
  // The system font at 12 points, plain.
  CFont();
  // A copy has a port of its own.
  CFont(const CFont& other);
  CFont& operator=(const CFont& other);
  ~CFont();

  // Copies family, size, face and name.
  void Assign(const CFont& other);
  // The same; true only when the family, the size or the face changed.
  [[nodiscard]] bool Update(const CFont& other);
  // Equal family and face bits (the size is not compared).
  [[nodiscard]] bool IsSameFace(const CFont& other) const;

  // Takes the family by number, with its name ("" for a number the font
  // table does not hold).
  void SetFamilyId(s32 family);
  // Takes the family of that (Mac Roman) name, compared ignoring case, and
  // the family's own spelling of it; false, changing nothing, when no such
  // family exists.
  [[nodiscard]] bool SetFamilyByName(const char* name);
  // Size from record[0] and face bits from record[4], then the family by
  // name; the result is SetFamilyByName's.
  [[nodiscard]] bool SetFromRecord(const char* name, const s32* record);

  const char* GetName() const { return familyName; }
  s32 GetFamilyId() const { return family; }
  s32 GetSize() const { return size; }
  void SetSize(s32 points);
  u16 GetFace() const { return face; }
  void SetFace(u16 bits);
  [[nodiscard]] bool IsBold() const { return (face & plat::kFaceBold) != 0; }
  void SetBold(bool on);
  [[nodiscard]] bool IsItalic() const { return (face & plat::kFaceItalic) != 0; }
  void SetItalic(bool on);
  // "Bold Italic", "Condense Extend", ... or "Regular".
  std::string GetStyleName() const;
  CGrafPtr GetPort() const { return port; }

  // Line metrics in whole pixels; the leading is not part of the height.
  int GetAscent() const;
  int GetDescent() const;
  int GetLeading() const;
  int GetHeight() const;
  // The same as parts of a 1024-unit em of the font's height (0 for a
  // height of 0).
  int GetAscentEm() const;
  int GetDescentEm() const;
  int GetLeadingEm() const;
  int GetHeightEm() const;

  // Outline metrics of one character in whole pixels: 0 on error, the bounds
  // width -1 when the font has no outline for the character.
  int GetCharLeftSideBearing(char c) const;
  int GetCharRightSideBearing(char c) const;
  int GetCharBoundsWidth(char c) const;
  int GetCharOutlineAdvance(char c) const;
  int GetCharOutlineAdvanceEm(char c) const;
  // The outline advance, or for a character without an outline the ideal
  // advance from a font that has it (0 when none has).
  int GetCharAdvance(char c) const;
  int GetCharAdvanceEm(char c) const;

 private:
  void ApplyToPort() const;
  void TakeFamilyName(const std::string& utf8Name);

  CGrafPtr port;
  s32 size;
  s32 family;
  char familyName[256];
  u16 face;
};

// Converts a family name from the host (UTF-8) into Mac Roman text of 1 to
// 254 bytes in `out` (room for 256 bytes); false, leaving `out` as it was,
// when the name is empty, too long or has no Mac Roman form.
[[nodiscard]] bool TransliterateFontName(const std::string& utf8Name, char* out);

// Whether the font controls may open the system font panel: set at start-up
// and never cleared.
[[nodiscard]] bool UseFontPanel();
