// Movies of every tag the engine has a class for, with random bit fields,
// scripts and clip actions, loaded and written back: the bytes that come
// out are held to a digest taken before the engine was tuned for speed
// (objects from a pool, tags written in place, bit fields a byte at a time,
// Push payloads read in place, branches resolved in the reading pass).
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "foundation/crc32.h"
#include "swf/swf_bit_writer.h"
#include "swf/swf_file_writer.h"
#include "swf/swf_reader.h"
#include "swf/swf_record.h"
#include "tests/support/test_support.h"
#include "tests/swf/swf_test_movies.h"

using swftest::RawTag;

namespace {

// Bit fields packed most significant bit first, by hand, so that the
// movies do not depend on the writer under test.
class Bits {
 public:
  void Put(u32 value, u32 count) {
    for (u32 i = count; i-- > 0;) {
      if (used_ == 8) Close();
      if ((value >> i) & 1) partial_ |= u8(0x80 >> used_);
      ++used_;
    }
  }
  void Byte(u8 value) {
    Close();
    bytes_.push_back(value);
  }
  void Word(u16 value) {
    Byte(u8(value));
    Byte(u8(value >> 8));
  }
  void Quad(u32 value) {
    Word(u16(value));
    Word(u16(value >> 16));
  }
  void Text(const std::string& text) {
    for (char c : text) Byte(u8(c));
    Byte(0);
  }
  // The next field starts on a byte.
  void Align() { Close(); }
  std::vector<u8> Take() {
    Close();
    return std::move(bytes_);
  }

 private:
  void Close() {
    if (used_) bytes_.push_back(partial_);
    partial_ = 0;
    used_ = 0;
  }
  std::vector<u8> bytes_;
  u8 partial_ = 0;
  u32 used_ = 0;
};

class MovieMaker {
 public:
  explicit MovieMaker(u32 seed) : random_(seed) {}

  std::vector<u8> Movie(u8 version) {
    std::vector<RawTag> tags;
    tags.push_back({9, {u8(Next()), u8(Next()), u8(Next())}});
    for (int n = int(Next() % 40) + 10; n > 0; --n) {
      switch (Next() % 12) {
        case 0: tags.push_back({4, PlaceObject()}); break;
        case 1:
        case 2: tags.push_back({26, PlaceObject2(version)}); break;
        case 3:
        case 4: tags.push_back({12, Script(Next() % 3 == 0)}); break;
        case 5: {
          Bits body;
          body.Word(u16(Next()));
          std::vector<u8> script = Script(false);
          std::vector<u8> bytes = body.Take();
          bytes.insert(bytes.end(), script.begin(), script.end());
          tags.push_back({59, bytes});
          break;
        }
        case 6: {
          Bits body;
          body.Text("label" + std::to_string(Next() % 5));
          if (version >= 6 && Next() % 2) body.Byte(1);
          tags.push_back({43, body.Take()});
          break;
        }
        case 7: {
          const u16 code = Next() % 3 == 0 ? 5 : Next() % 2 ? 28 : 3;
          Bits body;
          body.Word(u16(Next()));
          if (code == 5) body.Word(u16(Next()));
          tags.push_back({code, body.Take()});
          break;
        }
        case 8: {
          const bool import = Next() % 2;
          Bits body;
          if (import) body.Text("http://example.com/lib.swf");
          const u16 count = u16(Next() % 4);
          body.Word(count);
          for (u16 i = 0; i < count; ++i) {
            body.Word(u16(Next()));
            body.Text("asset" + std::to_string(i));
          }
          tags.push_back({u16(import ? 57 : 56), body.Take()});
          break;
        }
        case 9: {
          Bits body;
          if (Next() % 2) body.Word(0);
          body.Text("secret");
          tags.push_back({u16(Next() % 2 ? 58 : 64), body.Take()});
          break;
        }
        case 10: {
          // Raw tags of codes without a class, around the short form's limit.
          static const u32 kLengths[] = {0, 1, 62, 63, 300};
          std::vector<u8> body(kLengths[Next() % 5]);
          for (u8& byte : body) byte = u8(Next());
          tags.push_back({u16(Next() % 2 ? 16 : 1000), body, Next() % 4 == 0});
          break;
        }
        default:
          tags.push_back({1, {}});
          break;
      }
    }
    tags.push_back({1, {}});
    tags.push_back({0, {}});
    return swftest::BuildMovie(tags, version);
  }

 private:
  u32 Next() { return u32(random_()); }
  s32 Signed(u32 bits) { return bits ? s32(Next() % (1u << (bits - 1))) * (Next() % 2 ? -1 : 1) : 0; }

  void Matrix(Bits& bits) {
    for (int part = 0; part < 2; ++part) {
      const bool present = Next() % 2;
      bits.Put(present, 1);
      if (!present) continue;
      const u32 width = 2 + Next() % 20;
      bits.Put(width, 5);
      bits.Put(u32(Signed(width)), width);
      bits.Put(u32(Signed(width)), width);
    }
    const u32 width = Next() % 18;
    bits.Put(width, 5);
    bits.Put(u32(Signed(width)), width);
    bits.Put(u32(Signed(width)), width);
  }

  void Cxform(Bits& bits, bool alpha) {
    const bool add = Next() % 2, multiply = Next() % 2;
    bits.Put(add, 1);
    bits.Put(multiply, 1);
    const u32 width = 2 + Next() % 12;
    bits.Put(width, 4);
    const int terms = (alpha ? 4 : 3) * (int(add) + int(multiply));
    for (int i = 0; i < terms; ++i) bits.Put(u32(Signed(width)), width);
  }

  std::vector<u8> PlaceObject() {
    Bits body;
    body.Word(u16(Next()));
    body.Word(u16(Next()));
    Matrix(body);
    if (Next() % 2) {
      body.Align();
      Cxform(body, false);
    }
    return body.Take();
  }

  std::vector<u8> PlaceObject2(u8 version) {
    const u8 flags = u8(Next() & (version >= 5 ? 0xFF : 0x7F));
    Bits body;
    body.Byte(flags);
    body.Word(u16(Next() % 100));
    if (flags & 2) body.Word(u16(Next()));
    if (flags & 4) Matrix(body);
    body.Align();
    if (flags & 8) Cxform(body, true);
    if (flags & 16) body.Word(u16(Next()));
    if (flags & 32) body.Text("clip" + std::to_string(Next() % 9));
    if (flags & 64) body.Word(u16(Next() % 100));
    if (flags & 128) {
      const bool wide = version >= 6;
      body.Word(0);
      auto flagsWord = [&](u32 value) { wide ? body.Quad(value) : body.Word(u16(value)); };
      flagsWord(0xFFFF);
      for (int n = int(Next() % 3) + 1; n > 0; --n) {
        const u32 events = (Next() | 1) & (wide ? 0xFFFFFFFF : 0xFFFF);
        flagsWord(events);
        std::vector<u8> script = Script(false);
        const bool key = wide && (events & 0x00020000);
        body.Quad(u32(script.size() + (key ? 1 : 0)));
        if (key) body.Byte(u8(Next()));
        for (u8 byte : script) body.Byte(byte);
      }
      flagsWord(0);
    }
    return body.Take();
  }

  // An action list body: actions of every class, branches over them, and
  // the end byte (or none, when `open`).
  std::vector<u8> Script(bool open) {
    Bits body;
    for (int n = int(Next() % 30); n > 0; --n) {
      switch (Next() % 14) {
        case 0: {
          Bits values;
          for (int v = int(Next() % 4) + 1; v > 0; --v) {
            const u8 type = u8(Next() % 10);
            values.Byte(type);
            static const u8 kData[] = {0, 4, 0, 0, 1, 1, 8, 4, 1, 2};
            if (type == 0) {
              values.Text(Next() % 3 == 0 ? "/a/b" : "text" + std::to_string(Next() % 100));
            } else {
              for (u8 i = 0; i < kData[type]; ++i) values.Byte(u8(Next()));
            }
          }
          std::vector<u8> payload = values.Take();
          body.Byte(0x96);
          body.Word(u16(payload.size()));
          for (u8 byte : payload) body.Byte(byte);
          break;
        }
        case 1:
          body.Byte(0x81);
          body.Word(2);
          body.Word(u16(Next() % 50));
          break;
        case 2:
          body.Byte(0x83);
          body.Word(u16(4 + 6));
          body.Text("u.htm");
          body.Text("_top");
          break;
        case 3: {
          body.Byte(0x88);
          body.Word(u16(2 + 4 + 4));
          body.Word(2);
          body.Text("one");
          body.Text("two");
          break;
        }
        case 4:
        case 5:
          // A branch a few bytes forward or back.
          body.Byte(Next() % 2 ? 0x99 : 0x9D);
          body.Word(2);
          body.Word(u16(s16(Next() % 2 ? 1 + Next() % 12 : -s16(1 + Next() % 12))));
          break;
        case 6:
          body.Byte(0x8B);
          body.Word(u16(Next() % 2 ? 6 : 1));
          if (Next() % 2)
            body.Text("/clip");
          else
            body.Byte(0);
          break;
        case 7:
          body.Byte(0x9F);
          body.Word(Next() % 2 ? 1 : 3);
          body.Byte(u8(Next() % 4));
          if (Next() % 2) body.Word(u16(Next()));
          break;
        case 8:
          body.Byte(0x87);
          body.Word(1);
          body.Byte(u8(Next() % 4));
          break;
        case 9:
          body.Byte(0x8A);
          body.Word(3);
          body.Word(u16(Next() % 20));
          body.Byte(u8(Next() % 5));
          break;
        case 10:
          body.Byte(0x9B);  // kept raw
          body.Word(5);
          body.Text("f");
          body.Word(0);
          body.Byte(0);
          break;
        default:
          body.Byte(u8(1 + Next() % 0x7F));
          break;
      }
    }
    if (!open) body.Byte(0);
    return body.Take();
  }

  std::mt19937 random_;
};

}  // namespace

TEST(SwfRewrites, MoviesOfEveryTagClassWriteBackTheBytesTheyDidBefore) {
  // What the engine writes of each movie, loaded from memory and written
  // back through a bit writer, and tag by tag through the file writer.
  std::vector<u8> all;
  const std::string file = gbtest::MakeTempFolder("rewrites") + "movie.swf";
  for (u32 m = 0; m < 120; ++m) {
    MovieMaker maker(m + 1);
    const std::vector<u8> movie = maker.Movie(u8(4 + m % 5));
    CSwfReader reader;
    ASSERT_TRUE(reader.LoadFromMemory(movie.data(), u32(movie.size()), true, 0, true)) << m;
    CSwfBitWriter writer(reader.GetVersion());
    EXPECT_GT(reader.WriteMovie(writer), 0u);
    const std::vector<u8>& written = writer.GetBytes();
    all.insert(all.end(), written.begin(), written.end());

    CSwfFileWriter fileWriter(false);
    fileWriter.SetParamsFromHeader(reader.GetHeader());
    ASSERT_TRUE(fileWriter.Open(CPathName(file), true));
    for (CSwfTag* tag : reader.GetTags()) fileWriter.WriteTag(tag, true);
    ASSERT_GT(fileWriter.Close(), 0u);
    const std::vector<u8> filed = gbtest::ReadFile(file);
    all.insert(all.end(), filed.begin(), filed.end());
    reader.DeleteTags(true);
  }
  u32 crc = 0;
  ComputeCrc32(all.data(), all.size(), crc);
  // Taken from the engine before it was tuned (with the tag classes it has
  // and a script's bytes behind its end byte kept).
  EXPECT_EQ(all.size(), 400913u);
  EXPECT_EQ(crc, 0x7678C4DEu);
}
