#include "platform/cf_url.h"

#include <gtest/gtest.h>

#include "platform/roots.h"
#include "tests/support/test_support.h"

namespace {

std::string Utf8(CFStringRef string) {
  std::string text;
  if (!string || !plat::StringToUtf8(string, text)) text = "<null>";
  CFRelease(string);
  return text;
}

CFURLRef MakeUrl(const std::string& path, CFURLPathStyle style, bool directory = false) {
  CFStringRef text = plat::CreateStringFromUtf8(path);
  CFURLRef url = CFURLCreateWithFileSystemPath(kCFAllocatorDefault, text, style, directory);
  CFRelease(text);
  return url;
}

}  // namespace

TEST(CFURL, PathStylesConvertIntoEachOther) {
  struct Case {
    const char* input;
    CFURLPathStyle style;
    const char* posix;
    const char* hfs;
    const char* windows;
    bool directory;
  } cases[] = {
      {"/Users/a/file.txt", kCFURLPOSIXPathStyle, "/Users/a/file.txt", "Macintosh HD:Users:a:file.txt",
       "\\Users\\a\\file.txt", false},
      {"/Users//a/", kCFURLPOSIXPathStyle, "/Users/a", "Macintosh HD:Users:a:", "\\Users\\a\\", true},
      {"/", kCFURLPOSIXPathStyle, "/", "Macintosh HD:", "\\", true},
      {"/x/a:b", kCFURLPOSIXPathStyle, "/x/a:b", "Macintosh HD:x:a/b", "\\x\\a:b", false},
      {"Macintosh HD:Users:a:file.txt", kCFURLHFSPathStyle, "/Users/a/file.txt", "Macintosh HD:Users:a:file.txt",
       "\\Users\\a\\file.txt", false},
      {"macintosh hd:x:a/b", kCFURLHFSPathStyle, "/x/a:b", "Macintosh HD:x:a/b", "\\x\\a:b", false},
      {"Macintosh HD:", kCFURLHFSPathStyle, "/", "Macintosh HD:", "\\", true},
      {"Macintosh HD:x:y::z", kCFURLHFSPathStyle, "/x/z", "Macintosh HD:x:z", "\\x\\z", false},
      {"\\Users\\a\\", kCFURLWindowsPathStyle, "/Users/a", "Macintosh HD:Users:a:", "\\Users\\a\\", true},
      {"docs/readme", kCFURLPOSIXPathStyle, "docs/readme", ":docs:readme", "docs\\readme", false},
  };
  for (const Case& c : cases) {
    CFURLRef url = MakeUrl(c.input, c.style);
    ASSERT_NE(url, nullptr) << c.input;
    EXPECT_EQ(Utf8(CFURLCopyFileSystemPath(url, kCFURLPOSIXPathStyle)), c.posix) << c.input;
    EXPECT_EQ(Utf8(CFURLCopyFileSystemPath(url, kCFURLHFSPathStyle)), c.hfs) << c.input;
    EXPECT_EQ(Utf8(CFURLCopyFileSystemPath(url, kCFURLWindowsPathStyle)), c.windows) << c.input;
    EXPECT_EQ(bool(CFURLHasDirectoryPath(url)), c.directory) << c.input;
    CFRelease(url);
  }
}

TEST(CFURL, UnknownVolumesAndUnreadablePathsGiveNoUrl) {
  const struct {
    const char* path;
    CFURLPathStyle style;
  } refused[] = {
      {"Other Disk:x", kCFURLHFSPathStyle},
      {"C:\\x", kCFURLWindowsPathStyle},
      {"", kCFURLPOSIXPathStyle},
      {"/x", 7},
  };
  for (const auto& c : refused) EXPECT_EQ(MakeUrl(c.path, c.style), nullptr) << c.path;

  // The root volume's name comes from the environment.
  gbtest::SetEnvironment("GLIMMERBOX_ROOT_VOLUME", "Work");
  CFURLRef url = MakeUrl("Work:tmp:", kCFURLHFSPathStyle);
  ASSERT_NE(url, nullptr);
  EXPECT_EQ(Utf8(CFURLCopyFileSystemPath(url, kCFURLPOSIXPathStyle)), "/tmp");
  EXPECT_EQ(MakeUrl("Macintosh HD:tmp", kCFURLHFSPathStyle), nullptr);
  CFRelease(url);
  gbtest::SetEnvironment("GLIMMERBOX_ROOT_VOLUME", "");
  EXPECT_EQ(plat::RootVolumeName(), "Macintosh HD");
}

TEST(CFURL, ComponentOperations) {
  struct Case {
    const char* path;
    const char* last;
    const char* parent;
    const char* withoutExtension;
  } cases[] = {
      {"/x/archive.tar.gz", "archive.tar.gz", "/x", "/x/archive.tar"},
      {"/x/y.d/", "y.d", "/x", "/x/y"},
      {"/x/.profile", ".profile", "/x", "/x/.profile"},
      {"/x.y/README", "README", "/x.y", "/x.y/README"},
      {"/top", "top", "/", "/top"},
      {"/", "/", "/", "/"},
      {"name.swf", "name.swf", ".", "name"},
  };
  for (const Case& c : cases) {
    CFURLRef url = MakeUrl(c.path, kCFURLPOSIXPathStyle);
    ASSERT_NE(url, nullptr) << c.path;
    EXPECT_EQ(Utf8(CFURLCopyLastPathComponent(url)), c.last) << c.path;
    CFURLRef parent = CFURLCreateCopyDeletingLastPathComponent(kCFAllocatorDefault, url);
    EXPECT_EQ(Utf8(CFURLCopyFileSystemPath(parent, kCFURLPOSIXPathStyle)), c.parent) << c.path;
    EXPECT_TRUE(CFURLHasDirectoryPath(parent));
    CFURLRef stripped = CFURLCreateCopyDeletingPathExtension(kCFAllocatorDefault, url);
    EXPECT_EQ(Utf8(CFURLCopyFileSystemPath(stripped, kCFURLPOSIXPathStyle)), c.withoutExtension) << c.path;
    EXPECT_EQ(CFURLHasDirectoryPath(stripped), CFURLHasDirectoryPath(url));
    CFRelease(stripped);
    CFRelease(parent);
    CFRelease(url);
  }
}

TEST(CFURL, FileReferencesOfExistingItemsOnly) {
  std::string folder = gbtest::MakeTempFolder("url/caf\xC3\xA9");
  ASSERT_TRUE(gbtest::WriteFile(folder + "m.swf", "x"));

  CFURLRef url = MakeUrl(folder + "m.swf", kCFURLPOSIXPathStyle);
  FSRef ref;
  ASSERT_TRUE(CFURLGetFSRef(url, &ref));
  EXPECT_EQ(ref.path, folder + "m.swf");
  CFRelease(url);

  url = MakeUrl(folder + "missing.swf", kCFURLPOSIXPathStyle);
  EXPECT_FALSE(CFURLGetFSRef(url, &ref));
  CFRelease(url);

  FSRef folderRef;
  ASSERT_EQ(plat::MakeFsRef(folder, &folderRef), noErr);
  url = CFURLCreateFromFSRef(kCFAllocatorDefault, &folderRef);
  EXPECT_TRUE(CFURLHasDirectoryPath(url));
  UInt8 host[1024];
  ASSERT_TRUE(CFURLGetFileSystemRepresentation(url, true, host, sizeof host));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(host)) + "/", folder);
  EXPECT_FALSE(CFURLGetFileSystemRepresentation(url, true, host, 4));
  CFRelease(url);
}
