// Splitting and joining host (UTF-8) paths.
#pragma once

#include <string>

namespace plat {

// The folder holding the item ("/" for an item of the root, "." for a bare
// name) and the item's name; trailing '/' are ignored.
void SplitHostPath(const std::string& path, std::string* folder, std::string* name);
std::string HostParentFolder(const std::string& path);
std::string HostItemName(const std::string& path);
// folder + "/" + name, without doubling a '/' at the end of the folder.
std::string JoinHostPath(const std::string& folder, const std::string& name);

// A name of one item: not empty, ".", ".." nor holding '/' or a zero byte.
[[nodiscard]] bool IsSingleName(const std::string& name);
// A relative name or path that stays inside the folder it is put in: not
// empty, not starting with '/', without a ".." component.
[[nodiscard]] bool IsContainedName(const std::string& name);

}  // namespace plat
