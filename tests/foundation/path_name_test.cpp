#include "foundation/path_name.h"

#include <cstdio>

#include <gtest/gtest.h>

#include "platform/roots.h"
#include "tests/support/test_support.h"

namespace {

// The test root as a Mac Roman path (it is plain ASCII).
std::string Root() { return gbtest::TestRoot(); }

}  // namespace

TEST(PathName, StyleRule) {
  const struct {
    const char* path;
    int style;
    bool relative;
  } cases[] = {
      {"Disk:Folder:File", 1, false}, {":Folder:File", 1, false}, {"Disk:Folder/File", 0, true},
      {"vol://x", 0, true},           {"/a:b", 0, false},         {"", 0, false},
      {"movie.swf", 0, true},         {"\\x\\y", 0, false},
  };
  for (const auto& c : cases) {
    CPathName path(c.path);
    EXPECT_EQ(path.GetPathStyle(), c.style) << c.path;
    EXPECT_EQ(path.IsRelative(), c.relative) << c.path;
  }
}

TEST(PathName, ComponentQueries) {
  const struct {
    const char* path;
    const char* last;
    const char* extension;
    const char* parent;
    const char* parentWithSeparator;
    bool folderForm;
  } cases[] = {
      {"/x/archive.tar.gz", "archive.tar.gz", "gz", "/x", "/x/", false},
      {"/x/README", "README", "", "/x", "/x/", false},
      {"/x/y/", "y", "", "/x", "/x/", true},
      {"/x//y.d//", "y.d", "d", "/x/", "/x/", true},
      {"/top", "top", "", "/", "/", false},
      {"/", "/", "", "/", "/", true},
      {"movie.swf", "movie.swf", "swf", ".", "./", false},
      {"Disk:a:b.swf", "b.swf", "swf", "Disk:a", "Disk:a:", false},
      {"Disk:a:", "a", "", "Disk:", "Disk:", true},
      {"Disk:", "Disk", "", "Disk:", "Disk:", true},
      // A POSIX name's own '\\' or ':' is no separator.
      {"/x/y\\", "y\\", "", "/x", "/x/", false},
      {"/x/y.txt:", "y.txt:", "txt:", "/x", "/x/", false},
      {"", "", "", "", "", false},
  };
  for (const auto& c : cases) {
    CPathName path(c.path);
    EXPECT_EQ(path.GetLastComponent(), c.last) << c.path;
    EXPECT_EQ(path.GetExtension(false), c.extension) << c.path;
    EXPECT_EQ(path.GetExtension(true), *c.extension ? std::string(".") + c.extension : "") << c.path;
    EXPECT_EQ(path.GetParentFolder(false), c.parent) << c.path;
    std::string parent;
    path.GetParentFolder(parent, true);
    EXPECT_EQ(parent, c.parentWithSeparator) << c.path;
    EXPECT_EQ(path.IsFolderPath(), c.folderForm) << c.path;
  }
}

// The name of the item a path names: a folder path's own separator is not
// part of it, a POSIX name's own ':' is.
TEST(PathName, ItemNames) {
  const struct {
    const char* path;
    const char* name;
  } cases[] = {
      {"/x/b.txt", "b.txt"}, {"/x/y/", "y"},        {"/x/a.tx:", "a.tx:"},
      {"/x/y:/", "y:"},      {"Disk:a:b.swf", "b.swf"}, {"Disk:a:", "a"},
  };
  for (const auto& c : cases) EXPECT_EQ(GetItemName(CPathName(c.path)), c.name) << c.path;
}

TEST(PathName, TextEdits) {
  const struct {
    const char* path;
    const char* expected;
  } slashes[] = {{"a/b//", "a/b/"},       {"a/b\\//", "a/b\\/"}, {"/x/y:", "/x/y:/"}, {"", "/"},
                 {"/x", "/x/"},           {"/x/", "/x/"},        {"Disk:a", "Disk:a:"}, {"Disk:a::", "Disk:a:"}};
  for (const auto& c : slashes) {
    CPathName path(c.path);
    path.AddTrailingSlash();
    EXPECT_EQ(path.GetString(), c.expected) << c.path;
  }

  const struct {
    const char* path;
    const char* expected;
  } removed[] = {{"/x/", "/x"},         {"x\\", "x\\"},         {"D:a:", "D:a"}, {"x//", "x/"},
                 {"x", "x"},             {"/x/y.txt:", "/x/y.txt:"}, {"/x/y:/", "/x/y:"}};
  for (const auto& c : removed) {
    CPathName path(c.path);
    path.RemoveTrailingSeparator();
    EXPECT_EQ(path.GetString(), c.expected) << c.path;
  }

  const struct {
    const char* path;
    const char* extension;
    const char* expected;
  } extensions[] = {
      {"/x/a.swf", ".gif", "/x/a.gif"},   {"/x/a.swf", "", "/x/a"},
      {"/x/a", ".txt", "/x/a.txt"},       {"/x.d/a", ".txt", "/x.d/a.txt"},
      {"/x/y.d/", "", "/x/y/"},           {"/x/.profile", ".txt", "/x/.profile.txt"},
      {"Disk:a.b:c.swf", ".gif", "Disk:a.b:c.gif"},
  };
  for (const auto& c : extensions) {
    CPathName path(c.path);
    path.ReplaceExtension(c.extension);
    EXPECT_EQ(path.GetString(), c.expected) << c.path << " + " << c.extension;
  }

  const struct {
    const char* path;
    const char* name;
    const char* expected;
  } names[] = {
      {"/x/a.swf", "b.gif", "/x/b.gif"}, {"/x/y/", "b", "/x/y/b"},       {"", "b", "b"},
      {"a.swf", "b", "b"},               {"Disk:a:b", "c", "Disk:a:c"}, {"/", "b", "/b"},
      {"/x/a\\", "b", "/x/b"},            {"/x/a:", "b", "/x/b"},
  };
  for (const auto& c : names) {
    CPathName path(c.path);
    path.SetFileName(c.name);
    EXPECT_EQ(path.GetString(), c.expected) << c.path << " <- " << c.name;
  }

  CPathName combined;
  EXPECT_TRUE(combined.CombineFolderAndName("m.swf", CPathName("/x/y")));
  EXPECT_EQ(combined.GetString(), "/x/y/m.swf");
  combined.CombineFolderAndName("m.swf", CPathName("/x/y/"));
  EXPECT_EQ(combined.GetString(), "/x/y/m.swf");
  combined.CombineFolderAndName("m.swf", CPathName("/x/y\\"));
  EXPECT_EQ(combined.GetString(), "/x/y\\/m.swf");

  CPathName missing("/gb-missing/movie.swf");
  EXPECT_EQ(missing.GetName(true), "movie");
  EXPECT_EQ(missing.GetName(false), "movie.swf");
  EXPECT_EQ(missing.GetNameExtension(true), ".swf");
  EXPECT_EQ(missing.GetNameExtension(false), "swf");

  EXPECT_EQ(ToPosixSeparators("a:b\\c/d"), "a/b/c/d");
  EXPECT_EQ(ToHfsSeparators("a:b\\c/d"), "a:b:c:d");
  EXPECT_EQ(ToWindowsSeparators("a:b\\c/d"), "a\\b\\c\\d");
  EXPECT_EQ(ToPosixSeparators(nullptr), "");
}

TEST(PathName, AbsolutePathsAndStyles) {
  std::string bundle = CPathName::GetApplicationBundle().GetString();
  ASSERT_FALSE(bundle.empty());
  EXPECT_EQ(bundle.back(), '/');

  const struct {
    const char* path;
    int style;
    std::string expected;
  } cases[] = {
      {"a/b.swf", 0, bundle + "a/b.swf"},
      {"/x/y", 0, "/x/y"},
      {"Macintosh HD:x:y", 0, "/x/y"},
      {"Macintosh HD:x:y:", 0, "/x/y/"},
      {"Macintosh HD:caf\x8E:b", 0, "/caf\x8E/b"},
      {"Other Disk:x:y", 0, ""},  // no such volume
      {":x:y", 0, ""},            // a colon path names a volume first
      {"", 0, ""},
      {"/x/y/", 1, "Macintosh HD:x:y:"},
      {"/x/caf\x8E", 1, "Macintosh HD:x:caf\x8E"},
      {"/", 1, "Macintosh HD:"},
      {"/x/y/", 2, "\\x\\y\\"},
      {"Macintosh HD:x:y", 2, "\\x\\y"},
  };
  for (const auto& c : cases) EXPECT_EQ(CPathName(c.path).GetAbsolutePath(c.style), c.expected) << c.path;

  CPathName full;
  full.SetFullPath(CPathName("Macintosh HD:x"));
  EXPECT_EQ(full.GetString(), "/x");
  CPathName path("/x/b.SWF");
  ReplaceExtensionOfAbsolute(path, ".gif");
  EXPECT_EQ(path.GetString(), "/x/b.gif");

  EXPECT_TRUE(CPathName("/A/b").IsSameAs(CPathName("/a/B")));
  EXPECT_FALSE(CPathName("/A/b").DiffersFrom(CPathName("Macintosh HD:a:B")));
  EXPECT_TRUE(CPathName("/a/b").DiffersFrom(CPathName("/a/c")));

  // The output style is one process-wide setting.
  EXPECT_EQ(GetOutputPathStyle(), 0);
  SetOutputPathStyle(1);
  EXPECT_EQ(GetOutputPathStyle(), 1);
  SetOutputPathStyle(0);
}

TEST(PathName, DefaultPathIsTheCurrentFolder) {
  EXPECT_EQ(CPathName().GetString(), "");
  SetCurrentFolder(CPathName("Macintosh HD:x:y"));
  EXPECT_EQ(CPathName().GetString(), "/x/y/");
  SetCurrentFolder(CPathName(""));
  EXPECT_EQ(CPathName().GetString(), "");
}

TEST(PathName, DiskQueriesOnlyFindExistingItems) {
  std::string folder = gbtest::MakeTempFolder("paths/disk");
  ASSERT_TRUE(gbtest::WriteFile(folder + "file.txt", "x"));

  CPathName file(folder + "file.txt"), missing(folder + "new.swf"), orphan(folder + "none/new.swf"),
      asFolder(folder.substr(0, folder.size() - 1));
  EXPECT_TRUE(file.Exists());
  EXPECT_FALSE(file.IsFolder());
  EXPECT_TRUE(asFolder.IsFolder());
  EXPECT_EQ(GetLastPathError(), noErr);
  EXPECT_FALSE(missing.Exists());
  EXPECT_FALSE(missing.IsFolder());
  EXPECT_EQ(GetLastPathError(), fnfErr);
  EXPECT_FALSE(orphan.IsFolder());
  EXPECT_EQ(GetLastPathError(), dirNFErr);
  EXPECT_FALSE(CPathName("").Exists());

  FSRef ref;
  OSErr error = noErr;
  EXPECT_FALSE(missing.GetFsRef(&ref, &error));
  EXPECT_EQ(error, fnfErr);
  EXPECT_FALSE(plat::IsValidFsRef(ref));
  EXPECT_FALSE(orphan.GetFsRef(&ref, &error));
  EXPECT_EQ(error, dirNFErr);
  EXPECT_FALSE(CPathName("Other Disk:x").GetFsRef(&ref, &error));
  EXPECT_EQ(error, nsvErr);
  ASSERT_TRUE(file.GetFsRef(&ref, &error));
  EXPECT_EQ(error, noErr);
  EXPECT_EQ(ref.path, folder + "file.txt");

  // Only creators are handed the folder that will hold a missing item.
  bool exists = true;
  ASSERT_TRUE(missing.GetCreationFsRef(&ref, &exists));
  EXPECT_FALSE(exists);
  EXPECT_EQ(ref.path + "/", folder);
  ASSERT_TRUE(file.GetCreationFsRef(&ref, &exists));
  EXPECT_TRUE(exists);
  EXPECT_FALSE(orphan.GetCreationFsRef(&ref, &exists, &error));
  EXPECT_EQ(error, dirNFErr);
  EXPECT_FALSE(CPathName(folder + "file.txt/x").GetCreationFsRef(&ref, nullptr, &error));
  EXPECT_EQ(error, dirNFErr);
  ASSERT_TRUE(file.GetParentFsRef(&ref));
  EXPECT_EQ(ref.path + "/", folder);

  FSSpec spec;
  ASSERT_TRUE(CPathName(folder + "new.rsrc").GetFsSpec(&spec));
  EXPECT_EQ(spec.parent + "/", folder);
  EXPECT_EQ(spec.name, "new.rsrc");
  ASSERT_TRUE(asFolder.GetFsSpec(&spec));  // an existing folder is named in its own parent
  EXPECT_EQ(spec.parent + "/", Root() + "paths/");
  EXPECT_EQ(spec.name, "disk");
  EXPECT_FALSE(orphan.GetFsSpec(&spec, &error));
  EXPECT_EQ(error, dirNFErr);
  EXPECT_EQ(CPathName(&spec).GetString(), "");
  ASSERT_TRUE(file.GetFsSpec(&spec));
  EXPECT_EQ(CPathName(&spec).GetString(), folder + "file.txt");
}

TEST(PathName, ConvertsFromReferencesAndUrls) {
  std::string folder = gbtest::MakeTempFolder("paths/refs");
  FSRef ref;
  ASSERT_EQ(plat::MakeFsRef(folder, &ref), noErr);
  CPathName fromRef(&ref);
  EXPECT_EQ(fromRef.GetString(), folder);  // folders end in "/"
  EXPECT_EQ(GetLastPathError(), noErr);

  // A host name that Mac Roman cannot hold is refused, not mangled.
  ASSERT_TRUE(gbtest::WriteFile(folder + "\xD0\x96.txt", "x"));
  ASSERT_EQ(plat::MakeFsRef(folder + "\xD0\x96.txt", &ref), noErr);
  CPathName kept("kept");
  EXPECT_FALSE(kept.SetFromFsRef(&ref));
  EXPECT_EQ(kept.GetString(), "kept");
  EXPECT_EQ(GetLastPathError(), bdNamErr);
  EXPECT_FALSE(kept.SetFromFsRef(nullptr));

  CFURLRef url = CPathName("Macintosh HD:x:caf\x8E:").CopyUrl();
  ASSERT_NE(url, nullptr);
  EXPECT_TRUE(CFURLHasDirectoryPath(url));
  CPathName fromUrl(url);
  EXPECT_EQ(fromUrl.GetString(), "/x/caf\x8E/");
  CFRelease(url);
  EXPECT_EQ(CPathName("Other Disk:x").CopyUrl(), nullptr);
  EXPECT_FALSE(kept.SetFromUrl(nullptr));
  EXPECT_EQ(kept.GetString(), "kept");
}

TEST(PathName, OpensFilesUnderTheirHostNames) {
  std::string folder = gbtest::MakeTempFolder("paths/open");
  CPathName path(folder + "caf\x8E.txt");  // Mac Roman e-acute
  FILE* file = path.OpenStdioFile("w");
  ASSERT_NE(file, nullptr);
  std::fputs("data", file);
  std::fclose(file);
  EXPECT_TRUE(gbtest::FileExists(folder + "caf\xC3\xA9.txt"));
  EXPECT_TRUE(path.Exists());
  EXPECT_EQ(path.GetName(false), "caf\x8E.txt");

  std::fstream stream;
  ASSERT_TRUE(path.OpenFileStream(stream, std::ios::in));
  std::string text;
  stream >> text;
  EXPECT_EQ(text, "data");
  EXPECT_EQ(CPathName("").OpenStdioFile("r"), nullptr);
  EXPECT_EQ(CPathName("Other Disk:x").OpenStdioFile("w"), nullptr);
}

TEST(RelativePath, RoundTripsOnATableOfCases) {
  const struct {
    const char* base;
    const char* target;
    const char* relative;
  } cases[] = {
      {"/x/y/doc.gmx", "/x/y/c.swf", "./c.swf"},
      {"/x/y/doc.gmx", "/x/y/m/c.swf", "./m/c.swf"},
      {"/x/y/doc.gmx", "/x/c.swf", "../c.swf"},
      {"/x/y/doc.gmx", "/x/z/c.swf", "../z/c.swf"},
      {"/x/doc.gmx", "/c.swf", "../c.swf"},
      {"/x/y/doc.gmx", "/x/yz/c.swf", "../yz/c.swf"},
      {"/x/yz/doc.gmx", "/x/y/c.swf", "../y/c.swf"},
      {"/a/b/c/doc.gmx", "/a/d/e.swf", "../../d/e.swf"},
      {"/x/y/doc.gmx", "/x/y/sub/", "./sub/"},
      {"/x/y/", "/x/y/c.swf", "./c.swf"},
      // In the base only '/' separates names.
      {"/x/a\\b/doc.gmx", "/x/c.swf", "../c.swf"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MakeRelativePath(CPathName(c.base), CPathName(c.target)), c.relative) << c.base << " -> " << c.target;
    EXPECT_EQ(ResolveRelativePath(CPathName(c.relative), CPathName(c.base)), c.target) << c.base << " <- " << c.relative;
  }
  EXPECT_EQ(MakeRelativePath(CPathName("/x/doc.gmx"), CPathName("")), "");
  EXPECT_EQ(MakeRelativePath(CPathName("Other Disk:x"), CPathName("/x/c.swf")), "/x/c.swf");
}

TEST(RelativePath, ResolvesAgainstTheDisk) {
  const std::string x = gbtest::MakeTempFolder("rel/x");
  gbtest::MakeTempFolder("rel/x/y/sub");
  gbtest::MakeTempFolder("rel/x/b");
  ASSERT_TRUE(gbtest::WriteFile(x + "y/doc.gmx", "d"));
  ASSERT_TRUE(gbtest::WriteFile(x + "b/c.swf", "c"));
  ASSERT_TRUE(gbtest::WriteFile(x + "y/c.swf", "c"));
  const CPathName doc(x + "y/doc.gmx");

  const struct {
    const char* relative;
    std::string expected;
  } cases[] = {
      {"../b/c.swf", x + "b/c.swf"},
      {"./c.swf", x + "y/c.swf"},
      {"c.swf", x + "y/c.swf"},
      {"sub", x + "y/sub/"},          // an existing folder
      // Only '/' separates the names of a relative path: a '\\' is part
      // of the name it stands in, so none of these names "sub" or "c.swf".
      {".\\sub\\..\\c.swf", x + "y/.\\sub\\..\\c.swf"},
      {"sub\\", x + "y/sub\\"},
      {"c.swf\\", x + "y/c.swf\\"},
      {"new/", x + "y/new/"},         // written as a folder
      {"new.swf", x + "y/new.swf"},   // a missing file is not a folder
      {".", x + "y/"},
      {"..", x},
      {"../../../../../../../../../../../../../..", "/"},
  };
  for (const auto& c : cases) EXPECT_EQ(ResolveRelativePath(CPathName(c.relative), doc), c.expected) << c.relative;

  // An absolute first argument comes back as it is (made absolute).
  EXPECT_EQ(ResolveRelativePath(CPathName("/abs/m.swf"), doc), "/abs/m.swf");
  EXPECT_EQ(ResolveRelativePath(CPathName("Macintosh HD:abs:m.swf"), doc), "/abs/m.swf");
  // A base that is a folder is the folder itself, whether it exists or is written as one.
  EXPECT_EQ(ResolveRelativePath(CPathName("c.swf"), CPathName(x + "y")), x + "y/c.swf");
  EXPECT_EQ(ResolveRelativePath(CPathName("c.swf"), CPathName(x + "w/")), x + "w/c.swf");
  // Long texts are no special case.
  std::string deep(600, 'd');
  EXPECT_EQ(ResolveRelativePath(CPathName(deep + "/f"), doc), x + "y/" + deep + "/f");
}
