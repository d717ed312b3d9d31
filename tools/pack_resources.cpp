// Packs files into a classic resource file (the bundle's "main.rsrc").
//
//   gb_pack_resources <list> <output> <folder>...
//
// Each line of the list names one resource: its type (four characters, in
// single quotes when it holds a space), its id, its name ("-" for none) and
// the file holding its bytes, looked up in the folders in the order given.
// Blank lines and lines starting with '#' are skipped.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "platform/resource_map.h"

namespace {

bool ReadWhole(const std::string& path, std::vector<u8>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// The type token: "GfXX" or 'STR '.
bool ParseType(std::istringstream& line, ResType& type) {
  line >> std::ws;
  std::string text;
  if (line.peek() == '\'') {
    line.get();
    std::getline(line, text, '\'');
  } else {
    line >> text;
  }
  if (text.size() != 4) return false;
  type = 0;
  for (char c : text) type = type << 8 | u8(c);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s <list> <output> <folder>...\n", argv[0]);
    return 2;
  }
  std::ifstream list(argv[1]);
  if (!list) {
    std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
    return 1;
  }
  plat::ResourceMap map;
  std::string text;
  for (int number = 1; std::getline(list, text); ++number) {
    if (text.find_first_not_of(" \t\r") == std::string::npos || text[text.find_first_not_of(" \t")] == '#')
      continue;
    std::istringstream line(text);
    plat::ResourceEntry entry;
    long id = 0;
    std::string name, file;
    if (!ParseType(line, entry.type) || !(line >> id >> name >> file) || id < -32768 || id > 32767) {
      std::fprintf(stderr, "%s:%d: expected: type id name file\n", argv[1], number);
      return 1;
    }
    entry.id = ResID(id);
    if (name != "-") {
      entry.named = true;
      entry.name = name;
    }
    bool found = false;
    for (int folder = 3; folder < argc && !found; ++folder)
      found = ReadWhole(std::string(argv[folder]) + "/" + file, entry.data);
    if (!found) {
      std::fprintf(stderr, "%s:%d: %s is in none of the folders given\n", argv[1], number, file.c_str());
      return 1;
    }
    if (map.Find(entry.type, entry.id) || !map.Set(entry)) {
      std::fprintf(stderr, "%s:%d: duplicate resource or name too long\n", argv[1], number);
      return 1;
    }
  }
  std::vector<u8> image;
  if (!map.Serialize(image)) {
    std::fprintf(stderr, "%s: the resources do not fit a resource file\n", argv[0]);
    return 1;
  }
  // Written beside the output and renamed, so that a failed run leaves no half file.
  const std::string output = argv[2], partial = output + ".partial";
  FILE* out = std::fopen(partial.c_str(), "wb");
  const bool written = out && std::fwrite(image.data(), 1, image.size(), out) == image.size();
  if (out && std::fclose(out) != 0) out = nullptr;
  if (!written || !out || std::rename(partial.c_str(), output.c_str()) != 0) {
    std::remove(partial.c_str());
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], output.c_str());
    return 1;
  }
  return 0;
}
