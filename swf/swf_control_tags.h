// The tags that carry no character: the background colour, frame labels, the
// protection marker, the end marker, the debugger password tags and the
// asset export and import lists.
#pragma once

#include <string>
#include <vector>

#include "swf/swf_records.h"

enum : u16 {
  kSwfEndCode = 0,
  kSwfSetBackgroundColorCode = 9,
  kSwfProtectCode = 24,
  kSwfFrameLabelCode = 43,
  kSwfExportAssetsCode = 56,
  kSwfImportAssetsCode = 57,
  kSwfEnableDebuggerCode = 58,
  kSwfEnableDebugger2Code = 64,
};

class CSwfEnd : public CSwfTag {
 public:
  u32 Write(CSwfBitWriter& writer) override;
  u16 GetCode() const override { return kSwfEndCode; }
};

class CSwfSetBackgroundColor : public CSwfTag {
 public:
  CSwfSetBackgroundColor(u8 red = 0, u8 green = 0, u8 blue = 0) : m_color(red, green, blue) {}
  // 0x00BBGGRR: red in the low byte.
  explicit CSwfSetBackgroundColor(u32 color);

  u32 Read(CSwfReader& reader) override;
  // Always 5 bytes: the short header and the RGB record.
  u32 Write(CSwfBitWriter& writer) override;
  u16 GetCode() const override { return kSwfSetBackgroundColorCode; }

  u32 GetColor() const;
  CSwfRgb& GetRgb() { return m_color; }

 private:
  CSwfRgb m_color;
};

class CSwfFrameLabel : public CSwfTag {
 public:
  // A null label is an empty one.
  explicit CSwfFrameLabel(const char* label = nullptr) : m_label(label ? label : "") {}
  CSwfFrameLabel(const CSwfFrameLabel&) = default;
  CSwfFrameLabel& operator=(const CSwfFrameLabel&) = default;

  // The zero-terminated label, then the anchor flag when the movie is of
  // version 6 or later and the body holds a byte for it.
  u32 Read(CSwfReader& reader) override;
  // The anchor flag byte is written for version 6 and later.
  u32 Write(CSwfBitWriter& writer) override;
  u16 GetCode() const override { return kSwfFrameLabelCode; }

  void ClearLabel() { m_label.clear(); }
  const std::string& GetLabel() const { return m_label; }
  void SetLabel(const std::string& label) { m_label = label; }
  u8 GetAnchor() const { return m_anchor; }
  void SetAnchor(u8 anchor) { m_anchor = anchor; }

 private:
  std::string m_label;
  u8 m_anchor = 0;
};

// The protection marker; a password body is dropped on reading.
class CSwfProtect : public CSwfTag {
 public:
  u32 Write(CSwfBitWriter& writer) override;
  u16 GetCode() const override { return kSwfProtectCode; }
};

class CSwfEnableDebugger : public CSwfTag {
 public:
  CSwfEnableDebugger() = default;
  explicit CSwfEnableDebugger(const std::string& password) : m_password(password) {}

  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;
  u16 GetCode() const override { return kSwfEnableDebuggerCode; }

  const std::string& GetPassword() const { return m_password; }
  void SetPassword(const std::string& password) { m_password = password; }

 protected:
  std::string m_password;
};

class CSwfEnableDebugger2 : public CSwfEnableDebugger {
 public:
  using CSwfEnableDebugger::CSwfEnableDebugger;

  // A reserved u16, then the password.
  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;
  u16 GetCode() const override { return kSwfEnableDebugger2Code; }

  u16 GetReserved() const { return m_reserved; }

 private:
  u16 m_reserved = 0;
};

// One exported or imported character: its id and name.
class CSwfAssetRecord {
 public:
  CSwfAssetRecord(u16 id = 0, const char* assetName = nullptr)
      : characterId(id), name(assetName ? assetName : "") {}

  // The u16 id and the zero-terminated name.
  u32 Read(CSwfReader& reader);
  // Returns the name's length + 3.
  u32 Write(CSwfBitWriter& writer) const;

  u16 characterId;
  std::string name;
};

// The record list shared by the export and import tags.
class CSwfAssetList : public CSwfTag {
 public:
  CSwfAssetList() = default;

  void Reset() override { Clear(); }
  // Adds idDelta to every record's character id.
  void OffsetIds(u16 idDelta, u16 depthDelta, u16 frameDelta = 0) override;

  // Takes ownership (the record is kept by value); inserts before `index`,
  // or appends when it is at or past the end.
  void Insert(CSwfAssetRecord* record, u32 index);
  void Insert(CSwfAssetRecord record, u32 index);
  // Deletes the record; false when the index is out of range.
  [[nodiscard]] bool Remove(u32 index);
  virtual void Clear();

  const std::vector<CSwfAssetRecord>& GetAssets() const { return m_assets; }

 protected:
  // The u16 count and that many records (no more than the body holds).
  void ReadAssets(CSwfReader& reader);
  // Every record in tags of this list's code, each body led by the URL when
  // one is given: one tag, or, past the 65535 records a u16 count can hold,
  // as many as the records need (the format allows several). Returns the
  // bytes written.
  u32 WriteAssetTags(CSwfBitWriter& writer, const std::string* url) const;

  std::vector<CSwfAssetRecord> m_assets;
};

class CSwfExportAssets : public CSwfAssetList {
 public:
  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;
  u16 GetCode() const override { return kSwfExportAssetsCode; }
};

class CSwfImportAssets : public CSwfAssetList {
 public:
  CSwfImportAssets() = default;
  explicit CSwfImportAssets(const std::string& url) : m_url(url) {}

  u32 Read(CSwfReader& reader) override;
  u32 Write(CSwfBitWriter& writer) override;
  u16 GetCode() const override { return kSwfImportAssetsCode; }
  // Also empties the URL.
  void Clear() override;

  const std::string& GetUrl() const { return m_url; }
  void SetUrl(const std::string& url) { m_url = url; }

 private:
  std::string m_url;
};
