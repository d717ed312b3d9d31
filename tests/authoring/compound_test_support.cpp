#include "tests/authoring/compound_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "platform/text_encoding.h"

namespace cfbtest {

namespace {

std::string PathOf(const CCompoundEntry* entry) {
  std::string path;
  for (; entry && entry->GetType() != ECompoundEntryType::kRoot; entry = entry->GetParent()) {
    std::string name;
    EXPECT_TRUE(plat::EncodeText(entry->GetName(), kCFStringEncodingUTF8, name));
    if (!path.empty()) {
      name += '/';
      name += path;
    }
    path = std::move(name);
  }
  return path;
}

}  // namespace

std::vector<uint8_t> Pattern(size_t n, uint32_t seed) {
  std::vector<uint8_t> bytes(n);
  uint32_t state = seed * 2654435761u + 12345u;
  for (size_t i = 0; i < n; ++i) {
    state = state * 1103515245u + 12345u;
    bytes[i] = uint8_t(state >> 16);
  }
  return bytes;
}

CCompoundStream* AddStream(CCompoundDocument& document, CCompoundStorage* parent, const char* name, size_t size,
                           uint32_t seed) {
  CCompoundStream* stream = document.CreateStream(parent, name);
  EXPECT_NE(stream, nullptr) << name;
  if (stream) stream->GetOutput().WriteVector(Pattern(size, seed));
  return stream;
}

const std::vector<OrderedName>& NamesInDirectoryOrder() {
  // Upper-cased UTF-16 units in brackets.
  static const std::vector<OrderedName> names = {
      {"b", "b"},                        // [0042]
      {"_", "_"},                        // [005F]
      {"\x8E", "\u00E9"},                // e acute [00C9]
      {"\xA7", "\u00DF"},                // sharp s, no simple upper case [00DF]
      {"\xCE", "\u0152"},                // capital oe [0152]
      {"\xD8", "\u00FF"},                // y diaeresis [0178]
      {"\xB5", "\u00B5"},                // micro sign [039C]
      {"\xB9", "\u03C0"},                // pi [03A0]
      {"zz", "zz"},                      // [005A 005A]
      {"\x8E" "a", "\u00E9a"},           // [00C9 0041]
      {"\x83" "b", "\u00C9b"},           // E acute [00C9 0042]
      {"\x8E\x8E", "\u00E9\u00E9"},      // [00C9 00C9]: 2 units, 4 bytes of UTF-8
      {"\xCF" "a", "\u0153a"},           // small oe [0152 0041]
      {"\xCE" "b", "\u0152b"},           // [0152 0042]
      {"abc", "abc"},                    // [0041 0042 0043]
      {"ABD", "ABD"},                    // [0041 0042 0044]
  };
  return names;
}

const std::vector<DocumentCase>& DocumentCases() {
  static const std::vector<DocumentCase> cases = {
      {"AllSmall",
       [](CCompoundDocument& document) {
         AddStream(document, nullptr, "Contents", 1000, 1);
         AddStream(document, nullptr, "Page 1", 64, 2);
         AddStream(document, nullptr, "Empty", 0, 3);
         AddStream(document, nullptr, "x", 1, 4);
       }},
      {"NoSmallStreams",
       [](CCompoundDocument& document) {
         AddStream(document, nullptr, "Media", 5000, 5);
         AddStream(document, nullptr, "Pictures", 4096, 6);
       }},
      {"CutoffSizes",
       [](CCompoundDocument& document) {
         AddStream(document, nullptr, "Below", 4095, 7);
         AddStream(document, nullptr, "At", 4096, 8);
         AddStream(document, nullptr, "Above", 4097, 9);
       }},
      {"NestedStorages",
       [](CCompoundDocument& document) {
         CCompoundStorage* pages = document.CreateStorage(nullptr, "Pages");
         CCompoundStorage* first = document.CreateStorage(pages, "Page 1");
         EXPECT_NE(document.CreateStorage(pages, "Unused"), nullptr);
         AddStream(document, first, "Layer", 300, 10);
         AddStream(document, first, "Symbols", 9000, 11);
         AddStream(document, pages, "Index", 20, 12);
         AddStream(document, nullptr, "Contents", 100, 13);
       }},
      {"ManyEntries",
       [](CCompoundDocument& document) {
         CCompoundStorage* folder = document.CreateStorage(nullptr, "Library");
         for (int i = 0; i < 45; ++i) {
           const std::string name = (i % 3 == 0 ? "Symbol " : i % 3 == 1 ? "b" : "MEDIA_") + std::to_string(i * 7);
           AddStream(document, i % 2 ? folder : nullptr, name.c_str(), size_t(i) * 97, uint32_t(100 + i));
         }
       }},
      {"MacRomanNames",
       [](CCompoundDocument& document) {
         // The ordered names as streams on both sides of the mini stream
         // cutoff, and as empty storages of a storage.
         CCompoundStorage* storages = document.CreateStorage(nullptr, "Storages");
         uint32_t seed = 30;
         for (const OrderedName& name : NamesInDirectoryOrder()) {
           AddStream(document, nullptr, name.macRoman, size_t(seed - 30) * 300, seed);
           EXPECT_NE(document.CreateStorage(storages, name.macRoman), nullptr) << name.utf8;
           ++seed;
         }
       }},
      {"DeepStorages",
       [](CCompoundDocument& document) {
         // Storages 64 deep, a stream on every fifth level, nothing but an
         // empty storage at the bottom; a second branch of storages alone.
         CCompoundStorage* storage = document.GetRoot();
         for (uint32_t level = 1; level <= 64; ++level) {
           storage = document.CreateStorage(storage, ("Level " + std::to_string(level)).c_str());
           ASSERT_NE(storage, nullptr) << level;
           const std::string data = "Data " + std::to_string(level);
           if (level % 5 == 0) AddStream(document, storage, data.c_str(), size_t(level) * 90, 40 + level);
         }
         CCompoundStorage* branch = document.CreateStorage(nullptr, "Branch");
         EXPECT_NE(document.CreateStorage(document.CreateStorage(branch, "Inner"), "Innermost"), nullptr);
         EXPECT_NE(document.CreateStorage(branch, "Side"), nullptr);
       }},
      {"DifatSector",
       [](CCompoundDocument& document) {
         // 110 x 128 sectors of data need more FAT sectors than the header lists.
         AddStream(document, nullptr, "Big", 110 * 128 * 512 + 3, 20);
         AddStream(document, nullptr, "Small", 10, 21);
       }},
  };
  return cases;
}

std::map<std::string, std::vector<uint8_t>> ExpectedStreams(const CCompoundDocument& document) {
  std::map<std::string, std::vector<uint8_t>> streams;
  for (const CCompoundStream* stream : document.GetStreams()) streams[PathOf(stream)] = stream->GetBytes();
  return streams;
}

std::vector<std::string> ExpectedStorages(const CCompoundDocument& document) {
  std::vector<std::string> storages;
  for (const CCompoundEntry* entry : document.GetEntries())
    if (entry->GetType() == ECompoundEntryType::kStorage) storages.push_back(PathOf(entry));
  return storages;
}

}  // namespace cfbtest
