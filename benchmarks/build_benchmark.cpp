// Building all four outputs of a project with a 10 MB movie (the Mac
// `.saver`, its installer, the Windows `.scr` and its installer), beside
// the work no build can avoid: four copies of the movie and one zlib
// compress of it.
//
// Each iteration runs the build and then the baseline, so that a machine
// busy with other work weighs on both alike; the line reports the best
// build ("build_ms"), the best baseline ("baseline_ms") and their ratio
// ("x_baseline", lower is better), in wall time and again in the process's
// processor time ("..._cpu_ms", "x_baseline_cpu"). The movie is made of the reference
// movies' tags (or generated tags without the corpus) and twice as many
// bytes of picture and sound data, which zlib hardly shrinks: it packs to
// about two thirds of its size ("packed_ratio"), as real movies do.
//
// The run takes place in a scratch folder that stands in for the user's
// home and temporary folders, with stand-in templates of its own.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <time.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "benchmarks/bench_support.h"
#include "builders/build_folders.h"
#include "builders/saver_builder.h"
#include "builders/saver_data_list.h"
#include "foundation/path_name.h"
#include "platform/roots.h"

namespace {

constexpr size_t kMovieSize = 10u << 20;

struct Project {
  std::string root;
  std::string templates;  // ".../ss_data/"
  std::string movie;
  std::string output;
  std::string copies;
  std::vector<u8> movieBytes;
  CSaverDataList list;
  CBuildFolders folders;
  bool ready = false;
};

bool Put(const std::string& path, const std::string& text) {
  const std::string folder = path.substr(0, path.rfind('/') + 1);
  return CPathName(folder).CreateFolder() && gbbench::WriteFileBytes(path, std::vector<u8>(text.begin(), text.end()));
}

bool MakeFolders(const std::string& base, const std::vector<std::string>& relatives) {
  bool made = CPathName(base).CreateFolder();
  for (const std::string& relative : relatives) {
    std::string path = base;
    for (size_t at = 0; at < relative.size();) {
      const size_t slash = relative.find('/', at);
      if (slash == std::string::npos) break;
      path = base + relative.substr(0, slash + 1);
      made = CPathName(path).CreateFolder() && made;
      at = slash + 1;
    }
  }
  return made;
}

void SetUp(Project& made) {
  {
    made.root = gbbench::MakeScratchFolder("build");
    if (made.root.empty()) return;
    // The user's folders, all inside the scratch folder.
    bool ok = true;
    for (const char* name : {"home/", "tmp/", "config/", "data/"}) ok = CPathName(made.root + name).CreateFolder() && ok;
    setenv("HOME", (made.root + "home").c_str(), 1);
    setenv("TMPDIR", (made.root + "tmp").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (made.root + "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (made.root + "data").c_str(), 1);
    plat::ReloadRoots();

    made.templates = made.root + "ss_data/";
    ok = MakeFolders(made.templates, {"ss/u/English.lproj/", "ss/u/Flash Player.plugin/Contents/", "ss/w/",
                                      "ssin/u/English.lproj/", "ssin/w/", "ssin/l/"}) &&
         ok;
    const std::string engine = std::string("\x7F" "ENGINE..class OxSSXXXXXXXXXXXXXXXXZZZZZZZZ") +
                               std::string(200000, 'e');
    ok = ok && Put(made.templates + "ss/u/fssx", engine) &&
              Put(made.templates + "ss/u/English.lproj/Localizable.strings", "strings") &&
              Put(made.templates + "ss/u/Flash Player.plugin/Contents/Info.plist", "<plist/>") &&
              Put(made.templates + "ss/w/ssdt.dat", "MZ" + std::string(300000, 'w')) &&
              Put(made.templates + "ssin/u/Installer", "#!/bin/sh\n") &&
              Put(made.templates + "ssin/u/installer.icns", "icns") &&
              Put(made.templates + "ssin/u/splash.png", "picture") &&
              Put(made.templates + "ssin/u/English.lproj/Localizable.strings", "strings") &&
              Put(made.templates + "ssin/w/ssin.dat", "MZ" + std::string(100000, 'i'));
    made.folders.SetBaseFolder(CPathName(made.templates));

    // Scripts and shapes, and twice as many bytes of pictures and sounds.
    std::vector<u8> tags = gbbench::ReferenceTags();
    if (tags.empty()) tags = gbbench::GeneratedTags(3u << 20);
    const std::vector<u8> media = gbbench::MediaTags(tags.size() * 2);
    tags.insert(tags.end(), media.begin(), media.end());
    made.movieBytes = gbbench::RepeatedMovie(tags, kMovieSize);
    made.movie = made.root + "project/Aquarium.swf";
    ok = ok && CPathName(made.root + "project/").CreateFolder() && gbbench::WriteFileBytes(made.movie, made.movieBytes);
    made.output = made.root + "output/";
    made.copies = made.root + "copies/";
    ok = ok && CPathName(made.output).CreateFolder() && CPathName(made.copies).CreateFolder();

    CSaverDataList& list = made.list;
    list.Reset();
    list.SetName("Aquarium");
    list.SetMacUniversalFileName("Aquarium.saver");
    list.SetWinFileName("Aquarium.scr");
    list.SetMacUniversalInstallerFileName("Install Aquarium.app");
    list.SetWinInstallerFileName("Install Aquarium.exe");
    list.SetOutputFolder(CPathName(made.output));
    ok = ok && list.GetRootItem()->SetSwfFile(CPathName(made.movie));
    list.SetOutputMacUniversal(true);
    list.SetOutputWin(true);
    list.SetOutputMacUniversalInstaller(true);
    list.SetOutputWinInstaller(true);
    list.SetOverwriteMacUniversal(true);
    list.SetOverwriteWin(true);
    list.SetOverwriteMacUniversalInstaller(true);
    list.SetOverwriteWinInstaller(true);
    made.ready = ok;
  }
}

Project& TheProject() {
  static Project project;
  static bool made = false;
  if (!made) SetUp(project);
  made = true;
  return project;
}

// The work no build of the four outputs can avoid: the movie read and
// written four times, and compressed once.
bool Baseline(const Project& project) {
  bool ok = true;
  for (int i = 0; i < 4; ++i) {
    const std::vector<u8> bytes = gbbench::ReadFileBytes(project.movie);
    ok = gbbench::WriteFileBytes(project.copies + "copy" + std::to_string(i) + ".swf", bytes) && ok;
  }
  const std::vector<u8>& movie = project.movieBytes;
  std::vector<u8> packed(compressBound(uLong(movie.size())));
  uLongf size = uLongf(packed.size());
  ok = compress(packed.data(), &size, movie.data(), uLong(movie.size())) == Z_OK && ok;
  benchmark::DoNotOptimize(packed.data());
  return ok;
}

void BuildFourOutputs(benchmark::State& state) {
  Project& project = TheProject();
  if (!project.ready) {
    state.SkipWithError("the project could not be set up");
    return;
  }
  // Wall time, and the process's processor time (user and system), which
  // other work on the machine disturbs less.
  struct Times {
    double wall = 0, cpu = 0;
  };
  auto now = [] {
    timespec cpu{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    return Times{std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count(),
                 double(cpu.tv_sec) * 1e3 + double(cpu.tv_nsec) / 1e6};
  };
  auto keepBest = [](Times& best, const Times& start, const Times& end) {
    const Times spent{end.wall - start.wall, end.cpu - start.cpu};
    if (best.wall == 0 || spent.wall < best.wall) best.wall = spent.wall;
    if (best.cpu == 0 || spent.cpu < best.cpu) best.cpu = spent.cpu;
  };
  Times bestBuild, bestBaseline;
  for (auto _ : state) {
    CSaverBuilder builder;
    builder.SetBuildFolders(project.folders);
    Times start = now();
    if (!builder.Build(&project.list, nullptr)) {
      const std::vector<std::string>& log = builder.GetStatusLog();
      state.SkipWithError(("the build failed: " + (log.empty() ? std::string() : log.back())).c_str());
      return;
    }
    keepBest(bestBuild, start, now());
    state.PauseTiming();
    start = now();
    if (!Baseline(project)) {
      state.SkipWithError("the baseline failed");
      return;
    }
    keepBest(bestBaseline, start, now());
    state.ResumeTiming();
  }
  state.counters["movie_MB"] = double(project.movieBytes.size()) / 1e6;
  std::vector<u8> packed(compressBound(uLong(project.movieBytes.size())));
  uLongf packedSize = uLongf(packed.size());
  if (compress(packed.data(), &packedSize, project.movieBytes.data(), uLong(project.movieBytes.size())) == Z_OK)
    state.counters["packed_ratio"] = double(packedSize) / double(project.movieBytes.size());
  state.counters["build_ms"] = bestBuild.wall;
  state.counters["baseline_ms"] = bestBaseline.wall;
  state.counters["x_baseline"] = bestBaseline.wall > 0 ? bestBuild.wall / bestBaseline.wall : 0;
  state.counters["build_cpu_ms"] = bestBuild.cpu;
  state.counters["baseline_cpu_ms"] = bestBaseline.cpu;
  state.counters["x_baseline_cpu"] = bestBaseline.cpu > 0 ? bestBuild.cpu / bestBaseline.cpu : 0;
}

}  // namespace

BENCHMARK(BuildFourOutputs)->Unit(benchmark::kMillisecond)->MinTime(2.0);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  gbbench::RemoveScratchFolders();
  return 0;
}
