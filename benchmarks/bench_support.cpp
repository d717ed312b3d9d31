#include "benchmarks/bench_support.h"

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

#include "foundation/path_name.h"
#include "swf/swf_action_list.h"
#include "swf/swf_actions.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_compression.h"
#include "swf/swf_control_tags.h"
#include "swf/swf_display_tags.h"
#include "swf/swf_header.h"
#include "swf/swf_movie_builder.h"
#include "swf/swf_reader.h"
#include "swf/swf_unknown_tag.h"

extern char** environ;

namespace gbbench {

std::vector<u8> ReadFileBytes(const std::string& path) {
  std::vector<u8> bytes;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return bytes;
  if (std::fseek(file, 0, SEEK_END) == 0) {
    const long size = std::ftell(file);
    std::rewind(file);
    if (size > 0) {
      bytes.resize(size_t(size));
      bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    }
  }
  std::fclose(file);
  return bytes;
}

bool WriteFileBytes(const std::string& path, const std::vector<u8>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(out.flush());
}

std::string SharedFolder() {
  const char* overridden = std::getenv("GLIMMERBOX_SHARED");
  std::string shared = overridden && *overridden ? overridden : GB_SHARED_DIR;
  if (shared.empty() || shared.back() != '/') shared += '/';
  return shared;
}

std::vector<std::string> CorpusMovies() {
  std::vector<std::string> movies;
  for (const char* sub : {"avm1", "gnash", "other", "unit"}) {
    const std::string folder = SharedFolder() + "corpus/swf/" + sub + "/";
    DIR* dir = opendir(folder.c_str());
    if (!dir) continue;
    std::vector<std::string> names;
    while (dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name.size() > 4 && name.compare(name.size() - 4, 4, ".swf") == 0) names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
      u8 start[4] = {};
      std::FILE* file = std::fopen((folder + name).c_str(), "rb");
      if (!file) continue;
      const size_t got = std::fread(start, 1, 4, file);
      std::fclose(file);
      if (got == 4 && (start[0] == 'F' || start[0] == 'C') && start[1] == 'W' && start[2] == 'S' && start[3] <= 8)
        movies.push_back(folder + name);
    }
  }
  return movies;
}

namespace {

std::vector<std::string>& ScratchFolders() {
  static std::vector<std::string> folders;
  return folders;
}

}  // namespace

std::string MakeScratchFolder(const std::string& name) {
  const char* tmp = std::getenv("TMPDIR");
  std::string base = std::string(tmp && *tmp ? tmp : "/tmp") + "/gb-bench-" + name + "-XXXXXX";
  std::vector<char> pattern(base.begin(), base.end());
  pattern.push_back('\0');
  if (!mkdtemp(pattern.data())) return "";
  std::string folder = std::string(pattern.data()) + "/";
  if (ScratchFolders().empty()) std::atexit(RemoveScratchFolders);
  ScratchFolders().push_back(folder);
  return folder;
}

void RemoveScratchFolders() {
  // At exit nobody is left to tell of a folder that stays.
  for (const std::string& folder : ScratchFolders()) static_cast<void>(CPathName(folder).DeleteRecursive(true));
  ScratchFolders().clear();
}

namespace {

// A DefineShape of one filled rectangle (solid fill, no line), id given.
CSwfTag* RectangleShape(u16 id, s32 width, s32 height, u32 color) {
  CSwfBitWriter body(4);
  body.WriteU16(id);
  CSwfRect bounds;
  bounds.Set(0, 0, width, height, false);
  bounds.Write(body);
  body.WriteU8(1);  // one fill style: solid
  body.WriteU8(0);
  body.WriteU8(u8(color));
  body.WriteU8(u8(color >> 8));
  body.WriteU8(u8(color >> 16));
  body.WriteU8(0);  // no line styles
  body.WriteBits(1, 4);  // fill bits
  body.WriteBits(0, 4);  // line bits
  // Style change: move to (0, 0), fill style 0 = 1.
  const u32 bits = CountBitsNeeded(u32(std::max(width, height)), true);
  body.WriteBits(0, 1);
  body.WriteBits(0x03, 5);  // fill style 0 and move
  body.WriteBits(bits, 5);
  body.WriteBits(0, bits);
  body.WriteBits(0, bits);
  body.WriteBits(1, 1);
  // Four straight edges, each horizontal or vertical.
  const s32 edges[4][2] = {{width, 0}, {0, height}, {-width, 0}, {0, -height}};
  for (const auto& edge : edges) {
    body.WriteBits(1, 1);  // edge
    body.WriteBits(1, 1);  // straight
    body.WriteBits(bits - 2, 4);
    body.WriteBits(0, 1);  // not general
    const bool vertical = edge[0] == 0;
    body.WriteBits(vertical ? 1 : 0, 1);
    body.WriteBits(u32(vertical ? edge[1] : edge[0]), bits);
  }
  body.WriteBits(0, 6);  // end of shape
  auto* tag = new CSwfUnknownTag(2, 0);
  const std::vector<u8>& bytes = body.GetBytes();
  tag->SetData(bytes.data(), u32(bytes.size()));
  return tag;
}

CSwfDoAction* Script(std::mt19937& random, int frames) {
  auto* list = new CSwfDoAction;
  for (int n = int(random() % 6) + 1; n > 0; --n) {
    switch (random() % 5) {
      case 0:
        list->AddAction(new CSwfActionPush("/clip/counter"));
        list->AddAction(new CSwfActionPush(s32(random() % 1000)));
        list->AddAction(new CSwfActionSetVariable);
        break;
      case 1:
        list->AddAction(new CSwfActionGotoFrame(u16(random() % u32(frames))));
        break;
      case 2:
        list->AddAction(new CSwfActionGetURL("http://example.com/page" + std::to_string(random() % 100), "_blank"));
        break;
      case 3:
        list->AddAction(new CSwfActionSetTarget("/clip" + std::to_string(random() % 10)));
        list->AddAction(new CSwfGenericAction(kActionPlay));
        list->AddAction(new CSwfActionSetTarget(""));
        break;
      default:
        list->AddAction(new CSwfGenericAction(kActionStop));
        break;
    }
  }
  return list;
}

}  // namespace

std::vector<std::string> WriteSmallMovies(const std::string& folder, int count) {
  std::mt19937 random(7);
  std::vector<std::string> paths;
  for (int m = 0; m < count; ++m) {
    // Most movies are a few kilobytes, some a few tens.
    const size_t target = random() % 4 == 0 ? 8000 + random() % 32000 : 1000 + random() % 7000;
    CSwfMovieBuilder builder;
    builder.SetParams(11000, 8000, 24.0f, u8(6 + random() % 3));
    builder.AddTag(new CSwfSetBackgroundColor(u8(random()), u8(random()), u8(random())));
    std::vector<u8> movie;
    u16 nextId = 1;
    int frame = 0;
    size_t estimate = 0;
    while (estimate < target) {
      const u16 id = nextId++;
      builder.AddTag(RectangleShape(id, s32(200 + random() % 4000), s32(200 + random() % 4000), random()));
      if (random() % 4 == 0) builder.AddTag(new CSwfFrameLabel(("frame" + std::to_string(frame)).c_str()));
      auto* place = new CSwfPlaceObject2;
      place->SetCharacterId(id);
      place->SetDepth(u16(1 + random() % 50));
      place->SetMatrix(CreateSwfMatrix(s32(random() % 8000), s32(random() % 6000),
                                       1.0 + double(random() % 100) / 50.0, 1.0, double(random() % 360),
                                       double(random() % 360)));
      if (random() % 2) {
        auto* cxform = new CSwfCxformWithAlpha;
        cxform->SetAlphaMultiply(s32(random() % 256), true);
        place->SetColorTransform(cxform);
      }
      if (random() % 3 == 0) place->SetName("clip" + std::to_string(id));
      builder.AddTag(place);
      if (random() % 2) builder.AddTag(Script(random, 40));
      if (random() % 5 == 0) builder.AddTag(new CSwfRemoveObject2(u16(1 + random() % 50)));
      builder.AddTag(new CSwfShowFrame);
      ++frame;
      estimate += 120;
    }
    builder.AddTag(new CSwfEnd);
    if (builder.BuildMovie(movie, nullptr) == 0) continue;
    char name[32];
    std::snprintf(name, sizeof name, "small%04d.swf", m);
    const std::string path = folder + name;
    if (WriteFileBytes(path, movie)) paths.push_back(path);
  }
  return paths;
}

std::vector<u8> ReferenceTags(bool (*keep)(u16 code)) {
  std::vector<u8> tags;
  for (const std::string& path : CorpusMovies()) {
    const std::vector<u8> file = ReadFileBytes(path);
    std::vector<u8> plain;
    if (file.size() < 8) continue;
    if (file[0] == 'C' && !DecompressSwfBytes(file.data(), file.size(), plain)) continue;
    if (file[0] == 'F') plain = file;
    CSwfReader reader;
    if (!reader.LoadFromMemory(plain.data(), u32(plain.size()), true, 0, true)) continue;
    CSwfBitWriter writer(reader.GetVersion());
    for (CSwfTag* tag : reader.GetTags())
      if (tag->GetCode() != 0 && (!keep || keep(tag->GetCode()))) tag->Write(writer);
    reader.DeleteTags(true);
    const std::vector<u8>& bytes = writer.GetBytes();
    tags.insert(tags.end(), bytes.begin(), bytes.end());
  }
  return tags;
}

std::vector<u8> RepeatedMovie(const std::vector<u8>& tags, size_t size) {
  CSwfHeader header;
  header.SetParams(0, 0, 11000, 8000, 24.0f, 8);
  CSwfBitWriter writer(8);
  header.Write(writer);
  while (writer.GetByteCount() < size) writer.AppendBytes(tags);
  writer.WriteU16(0);
  std::vector<u8> plain = writer.GetBytes();
  for (int i = 0; i < 4; ++i) plain[4 + i] = u8(plain.size() >> (8 * i));
  return plain;
}

std::vector<u8> GeneratedTags(size_t size) {
  std::mt19937 random(1);
  std::vector<u8> tags;
  while (tags.size() < size) {
    const u32 length = random() % 4 == 0 ? random() % 4000 : random() % 60;
    EncodeTagHeader(tags, u16(2 + random() % 60), length, false);
    const bool text = random() % 2;
    for (u32 i = 0; i < length; ++i) tags.push_back(u8(text ? 'a' + i % 13 : random()));
  }
  return tags;
}

std::vector<u8> MediaTags(size_t size) {
  std::mt19937 random(3);
  std::vector<u8> tags;
  u16 id = 1000;
  while (tags.size() < size) {
    // A picture of 4 to 60 KB, or a sound block of 1 to 4 KB.
    const bool picture = random() % 3 == 0;
    const u32 length = picture ? 4000 + random() % 56000 : 1000 + random() % 3000;
    EncodeTagHeader(tags, picture ? 21 : 19, length, false);
    const size_t body = tags.size();
    for (u32 i = 0; i < length; ++i) tags.push_back(u8(random()));
    if (picture) {
      tags[body] = u8(id);
      tags[body + 1] = u8(id++ >> 8);
    }
  }
  return tags;
}

ParserTiming TimeIndependentParser(const std::vector<std::string>& movies, double seconds) {
  ParserTiming timing;
  const std::string script = std::string(GB_SOURCE_DIR) + "/tests/swf/independent/parse_timing.mjs";
  struct stat info;
  if (stat((std::string(GB_SOURCE_DIR) + "/tests/swf/independent/node_modules/swf-parser").c_str(), &info) != 0) {
    timing.why = "swf-parser is not installed (run scripts/setup)";
    return timing;
  }
  const std::string folder = MakeScratchFolder("parser");
  const std::string list = folder + "movies.txt";
  {
    std::ofstream out(list);
    for (const std::string& movie : movies) out << movie << '\n';
  }
  const std::string output = folder + "timing.txt";
  char secondsText[32];
  std::snprintf(secondsText, sizeof secondsText, "%g", seconds);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::vector<std::string> arguments{"node", script, list, secondsText};
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 1);
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  const int spawned = posix_spawnp(&child, "node", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  if (spawned != 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    timing.why = "node could not run " + script;
    return timing;
  }
  std::ifstream in(output);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string word;
    words >> word;
    if (word == "refused") {
      std::string path;
      std::getline(words >> std::ws, path);
      timing.refused.push_back(path);
    } else if (word == "passes") {
      std::string key;
      double value = 0;
      std::string rest;
      words >> rest;  // the pass count
      while (words >> key >> value) {
        if (key == "median_ms") timing.passMilliseconds = value;
        if (key == "best_ms") timing.bestMilliseconds = value;
        if (key == "movies") timing.movies = int(value);
      }
    }
  }
  if (timing.passMilliseconds <= 0) timing.why = "no timing from " + script;
  return timing;
}

}  // namespace gbbench
