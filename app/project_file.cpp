#include "app/project_file.h"

#include "app/app_version.h"
#include "builders/saver_data_list.h"
#include "foundation/file_operations.h"
#include "foundation/xml_reader.h"
#include "foundation/xml_writer.h"

namespace {

constexpr const char* kRootName = "glimmerbox";

}  // namespace

int WriteProjectFile(CSaverDataList& list, const CPathName& path) {
  CFileReplacement file;
  if (!file.Begin(path)) return kProjectFileCannotCreate;
  CXmlWriteOptions options;
  options.type = kProjectFileType;
  options.creator = kProjectFileCreator;
  options.fullDeclaration = 1;
  CXmlWriter writer;
  if (!writer.Open(file.GetTemporary(), options, true)) return kProjectFileCannotCreate;
  // The paths are written for the file the user names: relative ones that
  // the project file had are taken from its folder.
  writer.SetDocumentPath(path);
  writer.WriteText("<glimmerbox version_major=\"");
  writer.WriteUnsigned(kAppVersionMajor);
  writer.WriteText("\" version_minor=\"");
  writer.WriteUnsigned(kAppVersionMinor);
  writer.WriteText("\">\n");
  list.WriteXml(writer);
  writer.WriteText("</glimmerbox>\n");
  if (!writer.Close() || !file.Commit()) return kProjectFileWriteFailed;
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
