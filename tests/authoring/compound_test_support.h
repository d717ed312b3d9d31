// Documents of the shapes that matter to the compound-file writer, shared by
// its own tests and the tests that open its files with other readers.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "authoring/compound_document.h"

namespace cfbtest {

// n bytes that differ from one stream to the next (`seed`).
std::vector<uint8_t> Pattern(size_t n, uint32_t seed);

// A stream of the document filled with Pattern(size, seed).
CCompoundStream* AddStream(CCompoundDocument& document, CCompoundStorage* parent, const char* name, size_t size,
                           uint32_t seed);

// Names whose order in a storage follows from the compound-file format's
// rule alone (shorter names first, names of one length compared unit by
// unit after simple upper-casing), worked out by hand: in this order.
struct OrderedName {
  const char* macRoman;  // as it is handed to the document
  const char* utf8;      // as a reader gives it back
};
const std::vector<OrderedName>& NamesInDirectoryOrder();

// A named document shape: it fills a document and tells which streams
// (path -> bytes) and storages it holds.
struct DocumentCase {
  std::string name;
  std::function<void(CCompoundDocument&)> fill;
};
const std::vector<DocumentCase>& DocumentCases();

// The streams of a document by path ("Storage/Stream"), as a reader gives them.
std::map<std::string, std::vector<uint8_t>> ExpectedStreams(const CCompoundDocument& document);
std::vector<std::string> ExpectedStorages(const CCompoundDocument& document);

}  // namespace cfbtest
