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

// Writes ` name="` + the value + `"`, the value as the document wrote it when
// the writer has it as an unheld text (see CXmlWriter::FindSavedForm).
template <typename Held, typename WriteHeld>
void WriteKeptAttribute(CXmlWriter& writer, const char* name, const Held& held, WriteHeld writeHeld) {
  writer.WriteText(" ");
  writer.WriteText(name);
  writer.WriteText("=\"");
  if (const std::string* saved = writer.FindSavedForm(name, held))
    writer.WriteHostEscaped(*saved);
  else
    writeHeld();
  writer.WriteText("\"");
}

}  // namespace

void WriteTextAttribute(CXmlWriter& writer, const char* name, const std::string& value) {
  WriteKeptAttribute(writer, name, value, [&] { writer.WriteEscaped(value.c_str()); });
}

void WritePathAttribute(CXmlWriter& writer, const char* name, const CPathName& path) {
  WriteKeptAttribute(writer, name, path, [&] { writer.WritePath(path); });
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

CAttributeReader::CAttributeReader(const CXmlNode& element, CUnheldTexts* unheld) : unheld_(unheld) {
  // A node that is no element has no attributes: every getter then finds none.
  static_cast<void>(element.GetElementInfo(info_));
}

bool CAttributeReader::Find(const char* name, CXmlNode& value) const {
  return info_.FindAttribute(name, value);
}

bool CAttributeReader::Has(const char* name) const {
  CXmlNode value;
  return Find(name, value);
}

bool CAttributeReader::ReadText(const char* name, std::string& value) const {
  CXmlNode node;
  if (!Find(name, node)) return false;
  value = node.GetTextString();
  NoteIfUnheld(name, node, value, false);
  return true;
}

bool CAttributeReader::ReadName(const char* name, std::string& value) const { return ReadText(name, value); }

void CAttributeReader::NoteIfUnheld(const char* name, const CXmlNode& value, const std::string& held,
                                    bool isPath) const {
  if (unheld_ && value.LosesCharacters())
    unheld_->push_back({name, held, value.GetHostText(), isPath, isPath ? value.GetHostPath() : value.GetHostText()});
}

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
  if (node.GetTextString().empty()) {
    path = CPathName(nullptr);
    return true;
  }
  if (!node.GetPath(path)) return false;
  NoteIfUnheld(name, node, path.GetString(), true);
  return true;
}
