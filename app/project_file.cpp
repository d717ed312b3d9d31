#include "app/project_file.h"

#include "app/app_version.h"
#include "builders/saver_data_list.h"
#include "foundation/xml_reader.h"
#include "foundation/xml_writer.h"

namespace {

constexpr const char* kRootName = "glimmerbox";

}  // namespace

int WriteProjectFile(CSaverDataList& list, const CPathName& path, std::string* refusedText) {
  if (path.IsEmpty() || path.IsFolderPath() || path.IsFolder()) return kProjectFileCannotCreate;
  CPathName temporary(nullptr);
  if (!temporary.MakeUniqueName(path)) return kProjectFileCannotCreate;
  CXmlWriteOptions options;
  options.type = kProjectFileType;
  options.creator = kProjectFileCreator;
  options.fullDeclaration = 1;
  CXmlWriter writer;
  if (!writer.Open(temporary, options, false)) return kProjectFileCannotCreate;
  writer.WriteText("<glimmerbox version_major=\"");
  writer.WriteUnsigned(kAppVersionMajor);
  writer.WriteText("\" version_minor=\"");
  writer.WriteUnsigned(kAppVersionMinor);
  writer.WriteText("\">\n");
  std::string misplaced;
  if (!list.WriteXml(writer, &misplaced)) {
    static_cast<void>(writer.Close());
    temporary.Delete();
    if (refusedText) *refusedText = misplaced;
    return kProjectFileUnheldTexts;
  }
  writer.WriteText("</glimmerbox>\n");
  if (!writer.Close() || !temporary.Rename(path.GetLastComponent().c_str())) {
    temporary.Delete();
    return kProjectFileWriteFailed;
  }
  return kProjectFileDone;
}

int ReadProjectFile(const CPathName& path, CSaverDataList& list, std::string* encoding) {
  CXmlDocument document;
  if (!document.Open(path)) {
    if (document.GetUnreadEncoding().empty()) return kProjectFileCannotOpen;
    if (encoding) *encoding = document.GetUnreadEncoding();
    return kProjectFileUnreadEncoding;
  }
  CXmlNode root;
  if (!document.GetRootNode(root) || root.GetNameString() != kRootName) return kProjectFileNotAProject;
  CXmlNodeList children;
  root.GetChildren(children);
  bool found = false;
  for (int i = 0; i < children.GetCount(); ++i) {
    CXmlNode child;
    if (!children.GetAt(i, child) || child.GetNameString() != list.GetListName()) continue;
    if (!list.ReadXml(child)) return kProjectFileNotAProject;
    found = true;
  }
  return found ? kProjectFileDone : kProjectFileNotAProject;
}
