// The application's help: one document that ships next to the application
// bundle, opened with the user's viewer.
#pragma once

#include "foundation/path_name.h"

// Remembers the document `fileName` next to the application; false when it
// is not there (help then has nothing to show).
[[nodiscard]] bool RegisterHelpDocument(const char* fileName);
// The registered document, empty when none.
const CPathName& GetHelpDocument();
// Opens the registered document. The page and anchor name a place in it;
// a document opened by the user's viewer always starts at its beginning.
[[nodiscard]] bool ShowHelp(const char* page, const char* anchor);
