// Builds the first-generation screen saver and the projectors that a
// project file describes, without the user interface.
//
//   gb_build_legacy <project file> [<saver output folder>]
//
// The file holds "screen_saver" elements (a first-generation saver
// project, in either of its forms) and "flash_projector_datalist" elements
// (a projector project), as the root element or among its children (also
// inside a "glimmerbox" element). For each first-generation project the
// tool builds the saver, its installer application and the Windows saver
// ("<name>.scr") into the saver output folder (the project element names
// none: without the argument the Desktop, as for a new project); for each
// projector project the outputs it selects, into its own output folder.
// Outputs that exist already are replaced. The templates are those in the
// application bundle's "ss_data": "ss/u" and "ssin/u" for the saver and its
// installer, "fp" for the projectors. Every progress text is printed.
// Exit status 0 when everything was built, 1 when a build failed, 2 when
// the project or the templates cannot be read.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "builders/data_list.h"
#include "builders/projector_builder.h"
#include "builders/saver_project.h"
#include "builders/saver_project_builder.h"
#include "foundation/path_name.h"
#include "foundation/string_buffer.h"
#include "foundation/xml_reader.h"
#include "platform/text_encoding.h"

namespace {

// Texts as the terminal shows them (UTF-8), one a line.
void SayAll(std::FILE* stream, const std::vector<std::string>& hostTexts) {
  for (const std::string& text : hostTexts) std::fprintf(stream, "%s\n", text.c_str());
}

// The elements of the project file that the tool builds, in document order.
void FindProjects(const CXmlNode& root, std::vector<CXmlNode>& savers, std::vector<CXmlNode>& projectors) {
  auto visit = [&](const CXmlNode& node) {
    const std::string name = node.GetNameString();
    if (name == "screen_saver") savers.push_back(node);
    if (name == "flash_projector_datalist") projectors.push_back(node);
  };
  auto children = [](const CXmlNode& node, std::vector<CXmlNode>& out) {
    CXmlNodeList list;
    node.GetChildren(list);
    for (int i = 0; i < list.GetCount(); ++i) {
      CXmlNode child;
      if (list.GetAt(i, child)) out.push_back(child);
    }
  };
  visit(root);
  std::vector<CXmlNode> below;
  children(root, below);
  for (const CXmlNode& node : below) {
    visit(node);
    if (node.GetNameString() != "glimmerbox") continue;
    std::vector<CXmlNode> inside;
    children(node, inside);
    for (const CXmlNode& element : inside) visit(element);
  }
}

bool BuildSaverProject(const CXmlNode& element, const CPathName& file, const CPathName& templates,
                       const CPathName& outputFolder) {
  CSaverProject project;
  if (!project.ReadXml(element)) {
    std::fprintf(stderr, "gb_build_legacy: a screen-saver project cannot be read\n");
    return false;
  }
  // No output may take the project file's place.
  project.SetProjectFile(file);
  if (!outputFolder.IsEmpty()) project.SetOutputFolder(outputFolder);
  CPathName engines(nullptr);
  CPathName installers(nullptr);
  if (!engines.SetInFolder("ss/u/", templates) || !installers.SetInFolder("ssin/u/", templates)) {
    std::fprintf(stderr, "gb_build_legacy: the template folders cannot be named\n");
    return false;
  }
  project.SetTemplateFolders(engines, installers);
  CStringBuffer refusal;
  std::string hostRefusal;
  if (!project.ValidateOutputNames(&refusal, &hostRefusal)) {
    SayAll(stderr, {hostRefusal});
    return false;
  }
  CPathName saver(nullptr);
  CPathName installer(nullptr);
  if (!project.GetSaverPath(saver) || !project.GetInstallerAppPath(installer)) return false;

  CSaverProjectBuilder builder(project);
  CSaverProjectBuilder::BuildRequest request;
  request.overwrite = true;
  // The Windows saver comes last: what it cannot hold is refused before
  // the Mac outputs are built.
  if (!builder.CheckWindowsSaver(request)) {
    SayAll(stderr, builder.GetHostStatusLog());
    return false;
  }
  bool built = builder.BuildSaver(saver, request);
  SayAll(built ? stdout : stderr, builder.GetHostStatusLog());
  if (!built) return false;
  built = builder.BuildInstaller(installer, request);
  SayAll(built ? stdout : stderr, builder.GetHostStatusLog());
  if (!built) return false;
  built = builder.BuildWindowsSaver(request);
  SayAll(built ? stdout : stderr, builder.GetHostStatusLog());
  return built;
}

bool BuildProjectorProject(const CXmlNode& element, const CPathName& file, const CPathName& templates) {
  CDataList list;
  if (!list.ReadXml(element)) {
    std::fprintf(stderr, "gb_build_legacy: a projector project cannot be read\n");
    return false;
  }
  list.SetProjectFile(file);
  list.SetOverwriteMacPpc(true);
  list.SetOverwriteMacIntel(true);
  list.SetOverwriteMacUniversal(true);
  list.SetOverwriteWin(true);
  CPathName folder(nullptr);
  if (!folder.SetInFolder("fp/", templates)) {
    std::fprintf(stderr, "gb_build_legacy: the projector templates cannot be named\n");
    return false;
  }
  CProjectorBuilder builder;
  builder.SetTemplateFolder(folder);
  const bool built = builder.Build(list, 0);
  SayAll(built ? stdout : stderr, builder.GetHostStatusLog());
  return built;
}

// The path of a command-line argument (a relative one names an item in the
// current folder); false when it has no Mac Roman form.
bool ArgumentPath(const char* argument, std::string& path) {
  std::string host = argument;
  if (host.empty() || host[0] != '/') {
    char* folder = getcwd(nullptr, 0);
    host = std::string(folder ? folder : "") + "/" + host;
    std::free(folder);
  }
  if (plat::FromHostPath(host, path)) return true;
  std::fprintf(stderr, "gb_build_legacy: the path %s cannot be used\n", argument);
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: gb_build_legacy <project file> [<saver output folder>]\n");
    return 2;
  }
  std::string path;
  std::string saverOutput;
  if (!ArgumentPath(argv[1], path) || (argc == 3 && !ArgumentPath(argv[2], saverOutput))) return 2;
  CPathName outputFolder(nullptr);
  if (argc == 3) {
    outputFolder = CPathName(saverOutput);
    outputFolder.AddTrailingSlash();
    if (!outputFolder.IsFolder()) {
      std::fprintf(stderr, "gb_build_legacy: %s is no folder\n", argv[2]);
      return 2;
    }
  }
  CXmlDocument document;
  CXmlNode root;
  std::vector<CXmlNode> savers;
  std::vector<CXmlNode> projectors;
  if (!document.Open(CPathName(path))) {
    std::fprintf(stderr, "gb_build_legacy: %s: %s\n", argv[1], document.GetError().c_str());
    return 2;
  }
  if (document.GetRootNode(root)) FindProjects(root, savers, projectors);
  if (savers.empty() && projectors.empty()) {
    std::fprintf(stderr, "gb_build_legacy: %s holds no screen-saver or projector project\n", argv[1]);
    return 2;
  }
  CPathName templates(nullptr);
  if (!templates.SetToBundleResource("ss_data")) {
    std::fprintf(stderr, "gb_build_legacy: the application bundle has no templates (\"ss_data\")\n");
    return 2;
  }
  templates.AddTrailingSlash();
  // The application's work subfolder, as the application makes it at start;
  // as there, the run goes on without it, and a build that needs it says so.
  static_cast<void>(CPathName::CreateWorkFolder("_glimmerbox2"));

  bool built = true;
  const CPathName file(path);
  for (const CXmlNode& element : savers) built = BuildSaverProject(element, file, templates, outputFolder) && built;
  for (const CXmlNode& element : projectors) built = BuildProjectorProject(element, file, templates) && built;
  return built ? 0 : 1;
}
