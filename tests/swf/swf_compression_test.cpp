#include "swf/swf_compression.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <random>

#include "tests/swf/swf_test_movies.h"

using swftest::Bytes;

namespace {

// A plain movie of `size` bytes in all: the 8-byte start, then body bytes.
std::vector<u8> PlainMovie(size_t size, bool compressible, u32 seed) {
  std::vector<u8> movie = {'F', 'W', 'S', 7, 0, 0, 0, 0};
  std::mt19937 random(seed);
  while (movie.size() < size) movie.push_back(u8(compressible ? (movie.size() / 100) % 7 : random()));
  movie.resize(size);
  for (int i = 0; i < 4; ++i) movie[4 + i] = u8(u32(size) >> (8 * i));
  return movie;
}

std::vector<u8> CompressedMovie(const std::vector<u8>& body, u32 announcedLength) {
  std::vector<u8> movie = {'C', 'W', 'S', 6};
  for (int i = 0; i < 4; ++i) movie.push_back(u8(announcedLength >> (8 * i)));
  uLongf size = compressBound(uLong(body.size()));
  std::vector<u8> packed(size);
  EXPECT_EQ(compress(packed.data(), &size, body.data(), uLong(body.size())), Z_OK);
  movie.insert(movie.end(), packed.begin(), packed.begin() + long(size));
  return movie;
}

}  // namespace

TEST(SwfCompression, RoundTripsMoviesOfAnySize) {
  for (size_t size : {8, 9, 71, 72, 73, 135, 1000, 4097, 100003}) {
    for (bool compressible : {false, true}) {
      SCOPED_TRACE(testing::Message() << size << (compressible ? " compressible" : " random"));
      const std::vector<u8> plain = PlainMovie(size, compressible, u32(size));
      std::vector<u8> packed;
      ASSERT_TRUE(CompressSwfBytes(plain.data(), plain.size(), packed));
      EXPECT_EQ(std::string(packed.begin(), packed.begin() + 3), "CWS");
      EXPECT_TRUE(std::equal(packed.begin() + 3, packed.begin() + 8, plain.begin() + 3))
          << "version and length are copied";
      if (compressible && size > 1000) {
        EXPECT_LT(packed.size(), plain.size() / 10);
      }

      // The body is one ordinary zlib stream.
      std::vector<u8> inflated(size);
      uLongf inflatedSize = uLongf(size - 8);
      ASSERT_EQ(uncompress(inflated.data(), &inflatedSize, packed.data() + 8,
                           uLong(packed.size() - 8)),
                Z_OK);
      EXPECT_EQ(inflatedSize, size - 8);
      EXPECT_TRUE(std::equal(plain.begin() + 8, plain.end(), inflated.begin()));

      std::vector<u8> back;
      ASSERT_TRUE(DecompressSwfBytes(packed.data(), packed.size(), back));
      EXPECT_EQ(back, plain);
    }
  }
}

TEST(SwfCompression, RefusesOtherForms) {
  const std::vector<u8> plain = PlainMovie(100, true, 1);
  std::vector<u8> packed;
  ASSERT_TRUE(CompressSwfBytes(plain.data(), plain.size(), packed));
  std::vector<u8> lzma = packed;
  lzma[0] = 'Z';
  std::vector<u8> out = {1, 2, 3};
  EXPECT_FALSE(CompressSwfBytes(packed.data(), packed.size(), out)) << "already compressed";
  EXPECT_TRUE(out.empty());
  EXPECT_FALSE(DecompressSwfBytes(plain.data(), plain.size(), out)) << "already plain";
  EXPECT_FALSE(DecompressSwfBytes(lzma.data(), lzma.size(), out)) << "LZMA";
  EXPECT_FALSE(CompressSwfBytes(lzma.data(), lzma.size(), out));
  EXPECT_FALSE(DecompressSwfBytes(packed.data(), 7, out)) << "shorter than its start";
  EXPECT_FALSE(CompressSwfBytes(plain.data(), 7, out));
  EXPECT_FALSE(CompressSwfBytes(nullptr, 100, out));
}

TEST(SwfCompression, ExpansionStopsAtTheAnnouncedLength) {
  // Ten megabytes of zeros announced as a movie of 1000 bytes.
  const std::vector<u8> zeros(10 << 20, 0);
  std::vector<u8> out;
  ASSERT_TRUE(DecompressSwfBytes(CompressedMovie(zeros, 1000).data(),
                                 CompressedMovie(zeros, 1000).size(), out));
  EXPECT_EQ(out.size(), 1000u);
  EXPECT_LT(out.capacity(), 1u << 20);

  // The output sink sees no more than the limit either.
  size_t seen = 0;
  const std::vector<u8> bomb = CompressedMovie(zeros, 0xFFFFFFFF);
  EXPECT_TRUE(InflateSwfBody(MemorySwfSource(bomb.data() + 8, bomb.size() - 8),
                             [&seen](const u8*, size_t n) {
                               seen += n;
                               return true;
                             },
                             4095));
  EXPECT_EQ(seen, 4095u);

  // A length below the start itself leaves the start alone.
  const std::vector<u8> tiny = CompressedMovie(zeros, 3);
  ASSERT_TRUE(DecompressSwfBytes(tiny.data(), tiny.size(), out));
  EXPECT_EQ(out.size(), 8u);

  // A stream that ends before the announced length gives what it holds.
  const std::vector<u8> body(500, 7);
  const std::vector<u8> longer = CompressedMovie(body, 100000);
  ASSERT_TRUE(DecompressSwfBytes(longer.data(), longer.size(), out));
  EXPECT_EQ(out.size(), 508u);
}

TEST(SwfCompression, CorruptOrCutStreamsFail) {
  std::vector<u8> body(5000);
  std::mt19937 random(7);
  for (u8& b : body) b = u8(random() % 16);
  const std::vector<u8> good = CompressedMovie(body, 5008);
  std::vector<u8> out;
  ASSERT_TRUE(DecompressSwfBytes(good.data(), good.size(), out));

  const std::vector<u8> cut(good.begin(), good.begin() + long(good.size() / 2));
  EXPECT_FALSE(DecompressSwfBytes(cut.data(), cut.size(), out));
  EXPECT_TRUE(out.empty());

  std::vector<u8> corrupt = good;
  corrupt[8] ^= 0xFF;  // the zlib stream header
  EXPECT_FALSE(DecompressSwfBytes(corrupt.data(), corrupt.size(), out));
  std::vector<u8> flipped = good;
  for (size_t i = 20; i < flipped.size() - 10; i += 7) flipped[i] ^= 0x5A;
  EXPECT_FALSE(DecompressSwfBytes(flipped.data(), flipped.size(), out));
  const std::vector<u8> empty = CompressedMovie({}, 100);
  const std::vector<u8> headerOnly(empty.begin(), empty.begin() + 8);
  EXPECT_FALSE(DecompressSwfBytes(headerOnly.data(), headerOnly.size(), out));

  // A sink that refuses its bytes fails the conversion.
  auto refuse = [](const u8*, size_t) { return false; };
  EXPECT_FALSE(InflateSwfBody(MemorySwfSource(good.data() + 8, good.size() - 8), refuse, 100000));
  EXPECT_FALSE(DeflateSwfBody(MemorySwfSource(body.data(), body.size()), refuse));
}

TEST(SwfCompression, ExpansionInMemoryGivesWhatTheStreamGives) {
  // Bodies that expand a little and a lot, expanded whole and cut at every
  // kind of limit: in place into a vector and through the byte sink alike.
  std::mt19937 random(3);
  for (const size_t size : {size_t(0), size_t(1), size_t(5000), size_t(300000)}) {
    std::vector<u8> body(size);
    for (size_t i = 0; i < size; ++i) body[i] = i % 3 ? u8('a' + i % 7) : u8(random());
    const std::vector<u8> movie = CompressedMovie(body, u32(size + 8));
    for (const u64 limit : {u64(0), u64(1), u64(size / 2), u64(size), u64(size + 100), u64(0xFFFFFFFF)}) {
      SCOPED_TRACE(testing::Message() << "size " << size << " limit " << limit);
      std::vector<u8> streamed;
      const bool streamOk = InflateSwfBody(MemorySwfSource(movie.data() + 8, movie.size() - 8),
                                           [&streamed](const u8* bytes, size_t n) {
                                             streamed.insert(streamed.end(), bytes, bytes + n);
                                             return true;
                                           },
                                           limit);
      std::vector<u8> inPlace = Bytes({1, 2});
      EXPECT_EQ(InflateSwfBytes(movie.data() + 8, movie.size() - 8, inPlace, limit), streamOk);
      streamed.insert(streamed.begin(), {1, 2});
      EXPECT_EQ(inPlace, streamed);
      EXPECT_LE(inPlace.size(), 2 + std::min<u64>(limit, size));
    }
  }
  // Cut or corrupt input fails in place as it does streamed.
  std::vector<u8> body(100000);
  for (u8& byte : body) byte = u8(random() % 4);
  const std::vector<u8> movie = CompressedMovie(body, 100008);
  std::vector<u8> out;
  EXPECT_FALSE(InflateSwfBytes(movie.data() + 8, (movie.size() - 8) / 2, out, 100000));
  std::vector<u8> corrupt(movie.begin() + 8, movie.end());
  corrupt[0] ^= 0xFF;
  out.clear();
  EXPECT_FALSE(InflateSwfBytes(corrupt.data(), corrupt.size(), out, 100000));
}
