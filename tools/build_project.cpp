// Builds the outputs a project file selects, without the user interface.
//
//   gb_build_project <project.gmx>
//
// Reads the project's "flash_saver_datalist" element (inside the root
// element "glimmerbox"), replaces outputs that exist already, builds with
// the templates in the application bundle's "ss_data" and prints every
// status text. Exit status 0 when the build succeeded, 1 when it failed, 2
// when the project or the templates cannot be read.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "builders/build_folders.h"
#include "builders/saver_builder.h"
#include "builders/saver_data_list.h"
#include "foundation/path_name.h"
#include "foundation/xml_reader.h"
#include "platform/text_encoding.h"

namespace {

// Calls `visit` for each child of `node` named `name`.
template <typename Visit>
void ForEachChild(const CXmlNode& node, const char* name, Visit visit) {
  CXmlNodeList children;
  node.GetChildren(children);
  for (int i = 0; i < children.GetCount(); ++i) {
    CXmlNode child;
    if (children.GetAt(i, child) && child.GetNameString() == name) visit(child);
  }
}

// Reads the project file the way the application does: every
// "flash_saver_datalist" child of a "glimmerbox" element (the document's
// root, or one inside the writer's short root element "xml"), the last one
// winning. A file that is no XML the reader reads gives the reader's
// reason in `error`.
bool ReadProject(const CPathName& path, CSaverDataList& list, std::string* error) {
  CXmlDocument document;
  CXmlNode root;
  if (!document.Open(path)) {
    *error = document.GetError();
    return false;
  }
  if (!document.GetRootNode(root)) return false;
  bool found = false;
  auto readProject = [&](const CXmlNode& project) {
    ForEachChild(project, "flash_saver_datalist", [&](const CXmlNode& element) { found = list.ReadXml(element) || found; });
  };
  if (root.GetNameString() == "glimmerbox") {
    readProject(root);
  } else {
    ForEachChild(root, "glimmerbox", readProject);
  }
  return found;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gb_build_project <project.gmx>\n");
    return 2;
  }
  // A relative path names a file in the current folder.
  std::string host = argv[1];
  if (host.empty() || host[0] != '/') {
    char* folder = getcwd(nullptr, 0);
    host = std::string(folder ? folder : "") + "/" + host;
    std::free(folder);
  }
  std::string project;
  if (!plat::FromHostPath(host, project)) {
    std::fprintf(stderr, "gb_build_project: the path %s cannot be used\n", argv[1]);
    return 2;
  }
  CSaverDataList list;
  std::string why;
  if (!ReadProject(CPathName(project), list, &why)) {
    if (why.empty())
      std::fprintf(stderr, "gb_build_project: %s holds no screen-saver project\n", argv[1]);
    else
      std::fprintf(stderr, "gb_build_project: %s: %s\n", argv[1], why.c_str());
    return 2;
  }
  // No output may take the project file's place.
  list.SetProjectFile(CPathName(project));
  CPathName templates(nullptr);
  if (!templates.SetToBundleResource("ss_data")) {
    std::fprintf(stderr, "gb_build_project: the application bundle has no templates (\"ss_data\")\n");
    return 2;
  }
  // The application's work subfolder, as the application makes it at start;
  // as there, the run goes on without it, and a build that needs it says so.
  static_cast<void>(CPathName::CreateWorkFolder("_glimmerbox2"));

  list.SetOverwriteMacUniversal(true);
  list.SetOverwriteWin(true);
  list.SetOverwriteMacUniversalInstaller(true);
  list.SetOverwriteWinInstaller(true);

  CBuildFolders folders;
  folders.SetBaseFolder(templates);
  CSaverBuilder builder;
  builder.SetBuildFolders(folders);
  const bool built = builder.Build(&list, nullptr);
  for (const std::string& text : builder.GetHostStatusLog()) std::fprintf(built ? stdout : stderr, "%s\n", text.c_str());
  return built ? 0 : 1;
}
