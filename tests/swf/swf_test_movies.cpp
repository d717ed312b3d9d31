#include "tests/swf/swf_test_movies.h"

#include <dirent.h>

#include <algorithm>
#include <cstdio>

#include "swf/swf_action_list.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_button_tags.h"
#include "swf/swf_display_tags.h"
#include "swf/swf_header.h"
#include "swf/swf_reader.h"
#include "swf/swf_record.h"
#include "swf/swf_unknown_tag.h"
#include "tests/support/test_support.h"

namespace swftest {

std::vector<u8> BuildMovie(const std::vector<RawTag>& tags, u8 version) {
  CSwfHeader header;
  header.SetParams(0, 0, 11000, 8000, 12.0f, version);
  CSwfBitWriter writer(version);
  header.Write(writer);
  std::vector<u8> movie = writer.GetBytes();
  for (const RawTag& tag : tags) {
    EncodeTagHeader(movie, tag.code, u32(tag.body.size()), tag.longHeader);
    movie.insert(movie.end(), tag.body.begin(), tag.body.end());
  }
  const u32 length = u32(movie.size());
  for (int i = 0; i < 4; ++i) movie[4 + i] = u8(length >> (8 * i));
  return movie;
}

std::vector<RawTag> SplitTags(const std::vector<u8>& movie) {
  if (movie.size() < 9) return {};
  const u32 bits = movie[8] >> 3;
  return SplitTagList(movie, 8 + (5 + 4 * bits + 7) / 8 + 4);
}

std::vector<RawTag> SplitTagList(const std::vector<u8>& movie, size_t at, size_t* end) {
  std::vector<RawTag> tags;
  if (end) *end = at;
  while (at + 2 <= movie.size()) {
    const u16 word = u16(movie[at] | (movie[at + 1] << 8));
    at += 2;
    RawTag tag{u16(word >> 6), {}, false, false};
    size_t length = word & 63;
    if (length == 63) {
      if (at + 4 > movie.size()) break;  // the engine reads this as the End
      length = size_t(movie[at]) | (size_t(movie[at + 1]) << 8) | (size_t(movie[at + 2]) << 16) |
               (size_t(movie[at + 3]) << 24);
      at += 4;
      tag.longHeader = true;
    }
    if (length > movie.size() - at) {
      length = movie.size() - at;
      tag.cut = true;
    }
    tag.body.assign(movie.begin() + long(at), movie.begin() + long(at + length));
    at += length;
    if (end) *end = at;
    tags.push_back(tag);
    if (tag.code == 0 || tag.cut) break;
  }
  return tags;
}

std::unique_ptr<CSwfTag> ReadTag(const RawTag& tag, u8 version) {
  const std::vector<u8> movie = BuildMovie({tag, {0, {}}}, version);
  CSwfReader reader;
  if (!reader.LoadFromMemory(movie.data(), u32(movie.size()), true, 0, true)) return nullptr;
  std::vector<CSwfTag*>& tags = reader.GetTags();
  std::unique_ptr<CSwfTag> first(tags[0]);
  for (size_t i = 1; i < tags.size(); ++i) delete tags[i];
  tags.clear();
  return first;
}

void ExpectKeptAsBytes(const RawTag& tag, u8 version) {
  const std::vector<u8> movie = BuildMovie({tag, {0, {}}}, version);
  CSwfReader reader;
  ASSERT_TRUE(reader.LoadFromMemory(movie.data(), u32(movie.size()), true, 0, true));
  EXPECT_EQ(reader.GetTagsKeptRaw(), 1u);
  ASSERT_EQ(Codes(reader.GetTags()), (std::vector<u16>{tag.code, 0}));
  EXPECT_NE(dynamic_cast<CSwfUnknownTag*>(reader.GetTags()[0]), nullptr) << "a raw tag";
  CSwfBitWriter writer(version);
  const bool written = reader.WriteMovie(writer) != 0;
  reader.DeleteTags(true);
  ASSERT_TRUE(written);
  const std::vector<RawTag> back = SplitTags(writer.GetBytes());
  ASSERT_EQ(back.size(), 2u);
  EXPECT_EQ(back[0].body, tag.body) << "written back as read";
}

std::vector<u8> WrittenBody(CSwfTag* tag, u8 version) {
  CSwfBitWriter writer(version);
  tag->Write(writer);
  const std::vector<u8>& bytes = writer.GetBytes();
  if (bytes.size() < 2) return {};
  const size_t header = (bytes[0] & 63) == 63 ? 6 : 2;
  return std::vector<u8>(bytes.begin() + long(std::min(header, bytes.size())), bytes.end());
}

namespace {

std::string Hex(const std::vector<u8>& bytes) {
  std::string text;
  char digits[4];
  for (u8 byte : bytes) {
    std::snprintf(digits, sizeof digits, "%02x", byte);
    text += digits;
  }
  return text;
}

std::string DescribeMatrix(const CSwfMatrix* m) {
  if (!m) return "no matrix;";
  return Join("matrix", m->hasScale, m->scaleX, m->scaleY, m->hasRotate, m->rotateSkew0,
              m->rotateSkew1, m->translateX, m->translateY);
}

std::string DescribeCxform(const CSwfCxform* c, const CSwfCxformWithAlpha* alpha) {
  if (!c) return "no cxform;";
  std::string text = Join("cxform", c->hasMultTerms, c->hasAddTerms, c->redMultTerm,
                          c->greenMultTerm, c->blueMultTerm, c->redAddTerm, c->greenAddTerm,
                          c->blueAddTerm);
  if (alpha) text += Join("alpha", alpha->alphaMultTerm, alpha->alphaAddTerm);
  return text;
}

}  // namespace

std::string DescribeTag(CSwfTag* tag, u8 version) {
  if (auto* place2 = dynamic_cast<CSwfPlaceObject2*>(tag)) {
    std::string text = Join("place2", place2->GetDepth(), place2->HasCharacter(),
                            place2->GetCharacterId(), place2->IsMove(), place2->HasRatio(),
                            place2->GetRatio(), place2->HasClipDepth(), place2->GetClipDepth(),
                            place2->HasName());
    text += "name " + place2->GetName() + ';';
    text += DescribeMatrix(place2->GetMatrix());
    text += DescribeCxform(place2->GetColorTransform(), place2->GetColorTransform());
    text += Join("clip actions", place2->HasClipActions());
    for (const auto& record : place2->GetClipActions()) {
      text += Join("event", record->eventFlags, record->keyCode);
      CSwfBitWriter script(version);
      if (record->actions) record->actions->WriteBody(script, false);
      text += Hex(script.GetBytes()) + ';';
    }
    return text;
  }
  if (auto* button = dynamic_cast<CSwfDefineButton*>(tag)) {
    auto* button2 = dynamic_cast<CSwfDefineButton2*>(tag);
    std::string text = Join("button", button->GetCode(), button->GetCharacterId(),
                            button2 ? button2->GetFlags() : 0);
    for (const auto& record : button->GetRecords()) {
      text += Join("record", record->flags, record->characterId, record->depth);
      text += DescribeMatrix(record->matrix.get());
      text += DescribeCxform(record->colorTransform.get(), record->colorTransform.get());
      text += "filters " + Hex(record->filterList) + ';';
      text += Join("blend", record->blendMode ? *record->blendMode + 1 : 0);
    }
    for (size_t i = 0; i < button->GetActionLists().size(); ++i) {
      const bool conditioned = button2 && i < button2->GetConditions().size();
      text += Join("script", conditioned ? button2->GetConditions()[i] : 0);
      CSwfBitWriter script(version);
      button->GetActionLists()[i]->WriteBody(script, false);
      text += Hex(script.GetBytes()) + ';';
    }
    return text;
  }
  if (auto* cxform = dynamic_cast<CSwfDefineButtonCxform*>(tag)) {
    return Join("button cxform", cxform->GetCharacterId()) +
           DescribeCxform(cxform->GetColorTransform(), nullptr);
  }
  if (auto* place = dynamic_cast<CSwfPlaceObject*>(tag)) {
    return Join("place", place->GetDepth(), place->GetCharacterId()) +
           DescribeMatrix(place->GetMatrix()) +
           DescribeCxform(place->GetColorTransform(), nullptr);
  }
  return Join("tag", tag->GetCode()) + Hex(WrittenBody(tag, version));
}

std::vector<u8> Bytes(std::initializer_list<int> values) {
  std::vector<u8> bytes;
  for (int value : values) bytes.push_back(u8(value));
  return bytes;
}

std::vector<u8> Concat(std::initializer_list<std::vector<u8>> parts) {
  std::vector<u8> out;
  for (const std::vector<u8>& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

std::string CorpusFolder() {
  const std::string shared = gbtest::SharedFolder();
  if (shared.empty()) return "";
  const std::string folder = shared + (shared.back() == '/' ? "" : "/") + "corpus/swf/";
  return gbtest::FileExists(folder + "README.md") ? folder : "";
}


std::vector<u16> Codes(const std::vector<RawTag>& tags) {
  std::vector<u16> codes;
  codes.reserve(tags.size());
  for (const RawTag& tag : tags) codes.push_back(tag.code);
  return codes;
}

std::vector<u16> Codes(const std::vector<CSwfTag*>& tags) {
  std::vector<u16> codes;
  codes.reserve(tags.size());
  for (const CSwfTag* tag : tags) codes.push_back(tag->GetCode());
  return codes;
}

std::vector<std::string> CorpusMovies() {
  std::vector<std::string> movies;
  const std::string folder = CorpusFolder();
  if (folder.empty()) return movies;
  for (const char* sub : {"unit", "avm1", "gnash", "other"}) {
    const std::string path = folder + sub + "/";
    DIR* dir = opendir(path.c_str());
    if (!dir) continue;
    while (dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name.size() > 4 && name.compare(name.size() - 4, 4, ".swf") == 0)
        movies.push_back(path + name);
    }
    closedir(dir);
  }
  std::sort(movies.begin(), movies.end());
  return movies;
}

}  // namespace swftest
