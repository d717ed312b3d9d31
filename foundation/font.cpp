#include "foundation/font.h"

#include <cmath>
#include <cstring>

#include "platform/fonts.h"
#include "platform/text_encoding.h"

namespace {

// A Fixed (16.16) value of a metric, and its rounding to whole pixels.
s32 ToFixed(double value) { return s32(std::lround(value * 65536.0)); }
int RoundFixed(s32 fixed) { return int((s64(fixed) + 0x8000) >> 16); }

int PerEm(int value, int height) { return height == 0 ? 0 : value * 1024 / height; }

u32 CharacterOf(char c) { return plat::MacRomanToUnicode(u8(c)); }

// One character's outline metrics as QuickDraw gives them: Fixed advance and
// left-side bearing, bounds in whole pixels.
struct OutlineMetrics {
  s32 advance = 0;
  s32 leftSideBearing = 0;
  int boundsLeft = 0;
  int boundsRight = 0;
};

[[nodiscard]] bool GetOutlineMetrics(const plat::FontRequest& request, char c, OutlineMetrics* out) {
  plat::CharMetrics metrics;
  if (!plat::CurrentFontSource().OutlineMetrics(request, CharacterOf(c), &metrics)) return false;
  out->advance = ToFixed(metrics.advance);
  out->leftSideBearing = ToFixed(metrics.leftSideBearing);
  out->boundsLeft = int(std::floor(metrics.left));
  out->boundsRight = int(std::ceil(metrics.right));
  return true;
}

}  // namespace

bool TransliterateFontName(const std::string& utf8Name, char* out) {
  std::string macRoman;
  if (!plat::Utf8ToMacRoman(utf8Name, macRoman) || macRoman.empty() || macRoman.size() > 254)
    return false;
  std::memcpy(out, macRoman.c_str(), macRoman.size() + 1);
  return true;
}

bool UseFontPanel() { return true; }

CFont::CFont() : port(CreateNewPort()), size(12), family(0), familyName{}, face(0) {
  SetFamilyId(plat::SystemFontFamily());
}

CFont::CFont(const CFont& other) : CFont() { Assign(other); }

CFont& CFont::operator=(const CFont& other) {
  if (&other != this) Assign(other);
  return *this;
}

CFont::~CFont() { DisposePort(port); }

void CFont::ApplyToPort() const {
  CGrafPtr saved;
  GetGWorld(&saved);
  SetGWorld(port);
  TextFont(SInt16(family));
  TextSize(SInt16(size));
  TextFace(face);
  SetGWorld(saved);
}

void CFont::TakeFamilyName(const std::string& utf8Name) {
  if (TransliterateFontName(utf8Name, familyName)) return;
  // A name without a Mac Roman form is kept as the host gave it.
  std::strncpy(familyName, utf8Name.c_str(), sizeof familyName - 1);
  familyName[sizeof familyName - 1] = 0;
}

void CFont::Assign(const CFont& other) {
  if (&other == this) return;
  family = other.family;
  size = other.size;
  face = other.face;
  std::memcpy(familyName, other.familyName, sizeof familyName);
  ApplyToPort();
}

bool CFont::Update(const CFont& other) {
  bool changed = family != other.family || std::strcmp(familyName, other.familyName) != 0 ||
                 size != other.size || face != other.face;
  Assign(other);
  return changed;
}

bool CFont::IsSameFace(const CFont& other) const {
  return family == other.family && face == other.face;
}

void CFont::SetFamilyId(s32 newFamily) {
  family = newFamily;
  ApplyToPort();
  std::string name;
  familyName[0] = 0;
  if (plat::FontFamilyName(SInt16(newFamily), &name)) TakeFamilyName(name);
}

bool CFont::SetFamilyByName(const char* name) {
  if (!name || !*name) return false;
  SInt16 number = plat::FontFamilyFromName(plat::MacRomanToUtf8(name));
  // A name that was kept in the host's form is looked up as it is.
  if (number == plat::kInvalidFontFamily) number = plat::FontFamilyFromName(name);
  if (number == plat::kInvalidFontFamily) return false;
  SetFamilyId(number);
  return true;
}

bool CFont::SetFromRecord(const char* name, const s32* record) {
  if (!record) return false;
  size = record[0];
  face = u16(record[4]);
  ApplyToPort();
  return SetFamilyByName(name);
}

void CFont::SetSize(s32 points) {
  size = points;
  ApplyToPort();
}

void CFont::SetFace(u16 bits) {
  face = bits;
  ApplyToPort();
}

void CFont::SetBold(bool on) { SetFace(on ? u16(face | plat::kFaceBold) : u16(face & ~plat::kFaceBold)); }

void CFont::SetItalic(bool on) {
  SetFace(on ? u16(face | plat::kFaceItalic) : u16(face & ~plat::kFaceItalic));
}

std::string CFont::GetStyleName() const {
  static const char* const names[] = {"Bold", "Italic", "Underline", "Outline",
                                      "Shadow", "Condense", "Extend"};
  std::string style;
  for (int bit = 0; bit < 7; ++bit) {
    if (!(face & (1u << bit))) continue;
    if (!style.empty()) style += ' ';
    style += names[bit];
  }
  return style.empty() ? "Regular" : style;
}

namespace {

plat::FontRequest RequestOf(const CFont& font) {
  plat::FontRequest request;
  // A family the table does not hold draws in the font layer's default face.
  if (!plat::FontFamilyName(SInt16(font.GetFamilyId()), &request.family)) request.family.clear();
  request.size = font.GetSize();
  request.face = font.GetFace();
  return request;
}

// Line metrics as Fixed values; all 0 when the source has none.
struct LineMetrics {
  s32 ascent = 0, descent = 0, leading = 0;
};

LineMetrics LineMetricsOf(const CFont& font) {
  plat::FontLineMetrics metrics;
  LineMetrics fixed;
  if (plat::CurrentFontSource().LineMetrics(RequestOf(font), &metrics)) {
    fixed.ascent = ToFixed(metrics.ascent);
    fixed.descent = ToFixed(metrics.descent);
    fixed.leading = ToFixed(metrics.leading);
  }
  return fixed;
}

}  // namespace

int CFont::GetAscent() const { return RoundFixed(LineMetricsOf(*this).ascent); }
int CFont::GetDescent() const { return RoundFixed(LineMetricsOf(*this).descent); }
int CFont::GetLeading() const { return RoundFixed(LineMetricsOf(*this).leading); }

int CFont::GetHeight() const {
  LineMetrics metrics = LineMetricsOf(*this);
  return RoundFixed(metrics.ascent + metrics.descent);
}

int CFont::GetAscentEm() const { return PerEm(GetAscent(), GetHeight()); }
int CFont::GetDescentEm() const { return PerEm(GetDescent(), GetHeight()); }
int CFont::GetLeadingEm() const { return PerEm(GetLeading(), GetHeight()); }
int CFont::GetHeightEm() const { return PerEm(GetAscent() + GetDescent(), GetHeight()); }

int CFont::GetCharLeftSideBearing(char c) const {
  OutlineMetrics metrics;
  return GetOutlineMetrics(RequestOf(*this), c, &metrics) ? RoundFixed(metrics.leftSideBearing) : 0;
}

int CFont::GetCharRightSideBearing(char c) const {
  OutlineMetrics metrics;
  if (!GetOutlineMetrics(RequestOf(*this), c, &metrics)) return 0;
  return RoundFixed(metrics.advance) - RoundFixed(metrics.leftSideBearing) -
         (metrics.boundsRight - metrics.boundsLeft);
}

int CFont::GetCharBoundsWidth(char c) const {
  OutlineMetrics metrics;
  if (!GetOutlineMetrics(RequestOf(*this), c, &metrics)) return -1;
  return metrics.boundsRight - metrics.boundsLeft;
}

int CFont::GetCharOutlineAdvance(char c) const {
  return GetCharBoundsWidth(c) + GetCharLeftSideBearing(c) + GetCharRightSideBearing(c);
}

int CFont::GetCharOutlineAdvanceEm(char c) const {
  return size == 0 ? 0 : GetCharOutlineAdvance(c) * 1024 / size;
}

int CFont::GetCharAdvance(char c) const {
  if (GetCharBoundsWidth(c) >= 0) return GetCharOutlineAdvance(c);
  double advance = 0;
  if (!plat::CurrentFontSource().IdealAdvance(RequestOf(*this), CharacterOf(c), &advance)) return 0;
  return int(advance);
}

int CFont::GetCharAdvanceEm(char c) const { return size == 0 ? 0 : GetCharAdvance(c) * 1024 / size; }
