// The files that go into an output under their own names: the movies and
// extra files of a project, checked before anything is written, so that a
// missing file, a file that is no movie or two files of one name stop the
// build with a reason rather than leave a half-made output.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "foundation/path_name.h"

class CBuildStatus;
class CStringBuffer;
class CSwfItem;

// A file that goes into an output under `name`.
struct CNamedSource {
  std::string name;
  CPathName path{nullptr};
};

// Why a collection was refused: a status message (build_messages.h) and
// the texts it names. `host`, when not empty, is `a` as the terminal shows
// it (UTF-8): a name on disk that Mac Roman cannot hold, which `a` gives
// with a '?' for each such character.
struct COutputFileProblem {
  int message = 0;
  std::string a, b, c;
  std::string host{};
};

// The problem's message, and the same as the terminal shows it.
std::string FormatProblem(const COutputFileProblem& problem);
std::string FormatHostProblem(const COutputFileProblem& problem);
// Fails a build run with the problem's message; false.
bool FailBuild(CBuildStatus& status, const COutputFileProblem& problem);

// What an output can hold, besides files whose names the Mac holds: names
// that Windows must hold as well (an output for Windows), and folders with
// everything in them (an output that holds files only refuses a folder).
struct COutputRules {
  bool windowsNames = false;
  bool folders = true;
};

// Adds the sources to `files` under their own names (the name with its
// extension, as the output will hold them); a source listed twice, or
// already in `files`, is taken once. False with the problem, and `files`
// as far as it got, when a source is missing (a link that leads nowhere or
// round a loop, the source or one anywhere in a folder's tree, is missing
// too: an output holds what links lead to, see CPathName::CopyFollowingLinks),
// when two sources, or a source and one of `reserved`, would land on one
// name (names compared as FoldNameCase folds them, as the players' file
// systems do), or when the output cannot hold a source by `rules`: a folder
// where it takes none, or a name that Windows cannot hold in an output for
// Windows. `nameTakenMessage` is the text for two sources of one name.
//
// A folder goes in with everything below it, so every name below it must
// pass what a source's name passes, each in its own folder: it has a Mac
// Roman form (a name that is not UTF-8, or holds a character such as a
// combining accent, has none), no other name of its folder folds to the
// same, and in an output for Windows, Windows can hold it. The folder's
// tree is read as it is on disk, links to folders followed.
[[nodiscard]] bool CollectNamedFiles(const std::vector<CPathName>& sources, const std::vector<CNamedSource>& reserved,
                                     int nameTakenMessage, std::vector<CNamedSource>& files,
                                     COutputFileProblem& problem, const COutputRules& rules = COutputRules());

// The files of `item`: its movie (required for an item without a parent),
// its extra files and, with `withSubItems`, those of every sub-item, depth
// first, collected by CollectNamedFiles. With `checkMovies` every movie must
// be a movie file. `files` is emptied first.
[[nodiscard]] bool CollectItemFiles(const CSwfItem* item, bool withSubItems, bool checkMovies,
                                    const std::vector<CNamedSource>& reserved, int nameTakenMessage,
                                    std::vector<CNamedSource>& files, COutputFileProblem& problem,
                                    const COutputRules& rules = COutputRules());

// The item a link leads to, so that a file picked through a link goes into
// an output as the file itself; any other path as it is.
CPathName FollowLinks(const CPathName& path);

// Whether the path names an item once links are followed (a link that
// leads nowhere names nothing).
[[nodiscard]] bool LeadsToItem(const CPathName& path);

// Whether an output written at `output` would destroy one of the build's
// `inputs` (the files and folders it reads, the project file among them):
// kOutputReplacesInputMessage when the output is an input, or a folder
// that holds one (replacing it deletes the input);
// kOutputInsideInputMessage when it would be written inside an input
// folder (which the build, or the next one, packs with the output in it).
// 0 when it meets none; the input met goes to `input`. Paths are compared
// by the items they name here: an input named through a link is both the
// link and what it leads to, the output's folder is followed to where it
// leads (the output's own item is replaced, never followed), and letter
// case is ignored, as the outputs' file systems ignore it.
[[nodiscard]] int FindInputReplacedBy(const CPathName& output, const std::vector<const CPathName*>& inputs,
                                      const CPathName** input);

// The check of a build's outputs against what it reads: `inputs` and the
// project file (when not empty). False, refused as RefuseBuild refuses
// (build_status.h), at the first output that would destroy one of them.
[[nodiscard]] bool RefuseOutputsReplacingInputs(const std::vector<CPathName>& outputs,
                                                std::vector<const CPathName*> inputs, const CPathName& projectFile,
                                                CStringBuffer* message, std::string* hostMessage);

// A regular file that begins as a plain or compressed movie does.
[[nodiscard]] bool IsMovieFile(const CPathName& path);

// The path as the user knows it, for messages.
std::string ShownPath(const CPathName& path);

// The longest name of one item that the file system takes, in host bytes.
constexpr size_t kMaxOutputNameLength = 255;

// Whether `name` can be the name of one item in a folder: not empty, "." or
// "..", without '/', and within the file system's length.
[[nodiscard]] bool IsOutputItemName(const std::string& name);
