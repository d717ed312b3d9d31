#include "ui/help.h"

namespace {

CPathName& HelpDocument() {
  static CPathName document(nullptr);
  return document;
}

}  // namespace

bool RegisterHelpDocument(const char* fileName) {
  CPathName path(nullptr);
  if (!fileName || !path.SetNextToApplication(fileName) || !path.Exists() || path.IsFolder()) {
    HelpDocument() = CPathName(nullptr);
    return false;
  }
  HelpDocument() = path;
  return true;
}

const CPathName& GetHelpDocument() { return HelpDocument(); }

bool ShowHelp(const char*, const char*) {
  const CPathName& document = HelpDocument();
  return !document.IsEmpty() && document.OpenInFinder();
}
