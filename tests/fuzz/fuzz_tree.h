// A folder tree as the archive targets compare it: every file and folder
// below a folder by relative path, files with their bytes.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/fuzz/fuzz_support.h"

namespace gbfuzz {

typedef std::map<std::string, std::vector<uint8_t>> FolderTree;

// Folders are listed with the one byte 'D' and a trailing '/'.
inline FolderTree ReadTree(const std::string& folder) {
  FolderTree tree;
  std::error_code error;
  for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
       !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    const std::string relative = std::filesystem::relative(it->path(), folder).string();
    if (it->is_directory())
      tree[relative + "/"] = {'D'};
    else
      tree[relative] = ReadHostFile(it->path().string());
  }
  return tree;
}

// Empties a folder, keeping it.
inline void EmptyFolder(const std::string& folder) {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error))
    std::filesystem::remove_all(entry.path(), error);
}

}  // namespace gbfuzz
