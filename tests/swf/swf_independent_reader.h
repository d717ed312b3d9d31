// A SWF parser that is not ours (from the npm registry, installed by
// scripts/setup into tests/swf/independent/), run by the tests to check that
// what our writer writes holds the values it should.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace swftest {

// "" when the independent reader can run; otherwise why not, naming what
// to install. Tests fail (they do not skip) when it cannot run.
std::string IndependentReaderProblem();

// Reads each (original, rewritten) pair of movie files with the independent
// reader and gives one verdict a pair, in order:
//   "same <tags> <tags it kept raw>"          every header and tag value agrees
//   "differ <tag index> <type> <field path>"  the first value that does not
//   "unreadable <original|rewritten> <why>"   the reader refused a file
// Empty when the reader could not run at all.
std::vector<std::string> CompareWithIndependentReader(
    const std::vector<std::pair<std::string, std::string>>& pairs);

// Every value of a movie file as the independent reader decodes it, keyed by
// path: "header.frameSize.xMax", "tags.2.shape.records.0.delta.x", and
// "<array path>.length" for every array. Empty when the file is unreadable.
std::map<std::string, std::string> IndependentValues(const std::string& path);

// The same for movie bytes (written to a scratch file first).
std::map<std::string, std::string> IndependentValues(const std::vector<unsigned char>& movie);

}  // namespace swftest
