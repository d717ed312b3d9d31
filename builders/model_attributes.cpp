#include "builders/model_attributes.h"

#include <cstdlib>
#include <limits>

const char* WordOf(WordTable words, s32 value) {
  if (value < 0 || size_t(value) >= words.size()) return "";
  return words[size_t(value)];
}

bool FindWord(WordTable words, const std::string& word, s32& value) {
  for (size_t i = 0; i < words.size(); ++i) {
    if (word == words[i]) {
      value = s32(i);
      return true;
    }
  }
  return false;
}

void WriteRawAttribute(CXmlWriter& writer, const char* name, const char* value) {
  writer.WriteText(" ");
  writer.WriteText(name);
  writer.WriteText("=\"");
  writer.WriteText(value);
  writer.WriteText("\"");
}

namespace {

void BeginAttribute(CXmlWriter& writer, const char* name, const char* ending = "") {
  writer.WriteText(" ");
  writer.WriteText(name);
  writer.WriteText(ending);
  writer.WriteText("=\"");
}

}  // namespace

void WriteTextAttribute(CXmlWriter& writer, const char* name, const std::string& value) {
  BeginAttribute(writer, name);
  writer.WriteEscaped(value.c_str());
  writer.WriteText("\"");
}

void WriteTextAttribute(CXmlWriter& writer, const char* name, const CHeldText& value) {
  const bool snapshot = writer.WritesSnapshot();
  BeginAttribute(writer, name);
  if (value.LosesCharacters() && !snapshot)
    writer.WriteWrittenText(value.GetWritten());
  else
    writer.WriteEscaped(value.GetText().c_str());
  writer.WriteText("\"");
  if (!snapshot || !value.LosesCharacters()) return;
  BeginAttribute(writer, name, kWrittenTextEnding);
  writer.WriteHostEscaped(value.GetWritten());
  writer.WriteText("\"");
}

void WritePathAttribute(CXmlWriter& writer, const char* name, const CPathName& path) {
  BeginAttribute(writer, name);
  writer.WritePath(path);
  writer.WriteText("\"");
  const CWrittenForm* form = writer.WritesSnapshot() ? path.GetWrittenForm() : nullptr;
  if (!form) return;
  BeginAttribute(writer, name, kWrittenTextEnding);
  writer.WriteHostEscaped(form->text);
  writer.WriteText("\"");
  if (form->folder.empty()) return;
  BeginAttribute(writer, name, kWrittenFolderEnding);
  writer.WriteEscaped(form->folder.c_str());
  writer.WriteText("\"");
}

void WriteBoolAttribute(CXmlWriter& writer, const char* name, bool value) {
  WriteRawAttribute(writer, name, value ? "true" : "false");
}

void WriteSignedAttribute(CXmlWriter& writer, const char* name, s32 value) {
  WriteRawAttribute(writer, name, std::to_string(value).c_str());
}

void WriteUnsignedAttribute(CXmlWriter& writer, const char* name, u32 value) {
  WriteRawAttribute(writer, name, std::to_string(value).c_str());
}

void WriteWordAttribute(CXmlWriter& writer, const char* name, WordTable words, s32 value) {
  WriteRawAttribute(writer, name, WordOf(words, value));
}

CPathName AbsolutePathOf(const CPathName& path) {
  CPathName absolute(nullptr);
  if (!path.IsEmpty()) absolute.SetFullPath(path);
  return absolute;
}

bool ForEachChildNamed(const CXmlNode& node, const char* name,
                       const std::function<bool(const CXmlNode&)>& visit) {
  CXmlNodeList children;
  node.GetChildren(children);
  for (int i = 0; i < children.GetCount(); ++i) {
    CXmlNode child;
    if (children.GetAt(i, child) && child.GetNameString() == name && !visit(child)) return false;
  }
  return true;
}

void VisitChildrenNamed(const CXmlNode& node, const char* name, const std::function<void(const CXmlNode&)>& visit) {
  CXmlNodeList children;
  node.GetChildren(children);
  for (int i = 0; i < children.GetCount(); ++i) {
    CXmlNode child;
    if (children.GetAt(i, child) && child.GetNameString() == name) visit(child);
  }
}

// ---------------------------------------------------------------------------

CAttributeReader::CAttributeReader(const CXmlNode& element, bool snapshot) : snapshot_(snapshot) {
  // A node that is no element has no attributes: every getter then finds none.
  static_cast<void>(element.GetElementInfo(info_));
}

bool CAttributeReader::Find(const char* name, CXmlNode& value) const {
  return info_.FindAttribute(name, value);
}

bool CAttributeReader::FindWritten(const char* name, const char* ending, CXmlNode& value) const {
  return snapshot_ && info_.FindAttribute((std::string(name) + ending).c_str(), value);
}

bool CAttributeReader::Has(const char* name) const {
  CXmlNode value;
  return Find(name, value);
}

bool CAttributeReader::ReadText(const char* name, std::string& value) const {
  CXmlNode node;
  if (!Find(name, node)) return false;
  value = node.GetTextString();
  return true;
}

bool CAttributeReader::ReadText(const char* name, CHeldText& value) const {
  CXmlNode node;
  if (!Find(name, node)) return false;
  if (!snapshot_) {
    value = CHeldText::Read(node.GetTextString(), node.GetHostText(), node.LosesCharacters());
    return true;
  }
  CXmlNode written;
  const bool kept = FindWritten(name, kWrittenTextEnding, written);
  value = CHeldText::Read(node.GetTextString(), kept ? written.GetHostText() : std::string(), kept);
  return true;
}

bool CAttributeReader::ReadName(const char* name, CHeldText& value) const { return ReadText(name, value); }

bool CAttributeReader::ReadBool(const char* name, bool& value) const {
  CXmlNode node;
  if (!Find(name, node)) return false;
  value = node.GetBool(false);
  return true;
}

bool CAttributeReader::ReadSigned(const char* name, s32& value) const {
  CXmlNode node;
  if (!Find(name, node)) return false;
  const long long number = std::strtoll(node.GetTextString().c_str(), nullptr, 10);
  if (number < std::numeric_limits<s32>::min())
    value = std::numeric_limits<s32>::min();
  else if (number > std::numeric_limits<s32>::max())
    value = std::numeric_limits<s32>::max();
  else
    value = s32(number);
  return true;
}

bool CAttributeReader::ReadUnsigned(const char* name, u32& value) const {
  CXmlNode node;
  if (!Find(name, node)) return false;
  const long long number = std::strtoll(node.GetTextString().c_str(), nullptr, 10);
  if (number < 0)
    value = 0;
  else if (number > std::numeric_limits<u32>::max())
    value = std::numeric_limits<u32>::max();
  else
    value = u32(number);
  return true;
}

bool CAttributeReader::ReadWord(const char* name, WordTable words, s32& value) const {
  CXmlNode node;
  if (!Find(name, node)) return false;
  const std::string word = node.GetTextString();
  // A word of no entry leaves the value as it was; the attribute was there.
  static_cast<void>(FindWord(words, word, value));
  return true;
}

bool CAttributeReader::ReadPath(const char* name, CPathName& path) const {
  CXmlNode node;
  if (!Find(name, node)) return false;
  const std::string text = node.GetTextString();
  if (text.empty()) {
    path = CPathName(nullptr);
    return true;
  }
  if (!node.GetPath(path)) return false;
  CWrittenForm form;
  if (snapshot_) {
    // A snapshot holds the path as the application held it, and its
    // document's text for it beside it.
    CXmlNode written;
    if (!FindWritten(name, kWrittenTextEnding, written)) return true;
    form.text = written.GetHostText();
    form.losesCharacters = written.LosesCharacters();
    CXmlNode folder;
    if (FindWritten(name, kWrittenFolderEnding, folder)) form.folder = folder.GetTextString();
  } else {
    form.losesCharacters = node.LosesCharacters();
    const bool relative = CPathName(text).IsRelative();
    if (!form.losesCharacters && !relative) return true;
    form.text = node.GetHostText();
    if (relative) form.folder = RelativePathFolder(node.GetDocumentPath());
  }
  path.SetWrittenForm(form);
  return true;
}
