// The compound-file writer's object library: the root object, the owning
// object list, the byte streams and the vector helpers.
#include <cstdio>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "authoring/byte_streams.h"
#include "authoring/byte_vectors.h"
#include "authoring/root_object.h"
#include "foundation/path_name.h"
#include "tests/support/test_support.h"

namespace {

using Bytes = std::vector<u8>;

// Records its destruction in a shared log.
class CLoggedObject : public CRootObject {
 public:
  CLoggedObject(std::vector<int>& log, int number) : log_(log), number_(number) {}
  ~CLoggedObject() override { log_.push_back(number_); }

 private:
  std::vector<int>& log_;
  int number_;
};

// Counts the calls that reach it.
class CCountingOutputStream : public CByteArrayOutputStream {
 public:
  void WriteRange(const std::vector<u8>& v, size_t offset, size_t n) override {
    ++rangeCalls;
    CByteArrayOutputStream::WriteRange(v, offset, n);
  }
  int rangeCalls = 0;
};

TEST(RootObject, ClonesArePlainAndEqualityIsTheId) {
  std::vector<int> log;
  CLoggedObject logged(log, 1);
  logged.SetId(42);
  const std::unique_ptr<CRootObject> clone = logged.Clone();
  EXPECT_EQ(clone->GetId(), 0u);
  EXPECT_EQ(clone->GetSecondWord(), 1u);
  EXPECT_EQ(dynamic_cast<CLoggedObject*>(clone.get()), nullptr);
  EXPECT_EQ(clone->HashCode(), 0u);
  EXPECT_EQ(clone->ToString(), "");

  // Objects of different classes with equal ids are equal.
  CObjectList list;
  list.SetId(42);
  EXPECT_TRUE(list.Equals(logged));
  EXPECT_TRUE(logged.Equals(list));
  list.SetId(7);
  EXPECT_FALSE(list.Equals(logged));
}

TEST(ObjectList, OwnsItsObjectsAndDeletesThemInOrderOfAddition) {
  std::vector<int> log;
  {
    CObjectList list;
    EXPECT_FALSE(list.Add(nullptr));
    EXPECT_EQ(list.GetCount(), 0u);
    list.DeleteAll();  // empty: nothing happens
    for (int i = 1; i <= 3; ++i) ASSERT_TRUE(list.Add(new CLoggedObject(log, i)));
    EXPECT_EQ(list.GetCount(), 3u);
    list.DeleteAll();
    EXPECT_EQ(log, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(list.GetCount(), 0u);
    ASSERT_TRUE(list.Add(new CLoggedObject(log, 4)));
    ASSERT_TRUE(list.Add(new CLoggedObject(log, 5)));
  }
  // The destructor deletes what is left, in the same order.
  EXPECT_EQ(log, (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST(ByteArrayInputStream, ReadsMarksAndResets) {
  CByteArrayInputStream in(Bytes{10, 20, 30, 40, 50});
  EXPECT_EQ(in.Available(), 5);
  EXPECT_FALSE(in.MarkSupported());
  EXPECT_EQ(in.ReadByte(), 10);
  in.Reset();  // no mark yet: back to 0
  EXPECT_EQ(in.GetPosition(), 0);
  EXPECT_EQ(in.Skip(2), 2);
  in.Mark();
  EXPECT_EQ(in.ReadByte(), 30);
  EXPECT_EQ(in.ReadByte(), 40);
  in.Reset();
  EXPECT_EQ(in.ReadByte(), 30);

  // ReadRange copies only what is left, then reports the end.
  Bytes dest(8, 0xEE);
  EXPECT_EQ(in.ReadRange(dest, 1, 100), 2);
  EXPECT_EQ(dest, (Bytes{0xEE, 40, 50, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}));
  EXPECT_EQ(in.ReadRange(dest, 0, 1), -1);
  // ReadByte at the end gives 0 and does not move.
  EXPECT_EQ(in.ReadByte(), 0);
  EXPECT_EQ(in.GetPosition(), 5);
  EXPECT_EQ(in.Available(), 0);
}

TEST(ByteArrayInputStream, PositionsStaySignedAndCopiesInBounds) {
  CByteArrayInputStream in(Bytes{1, 2, 3});
  // A skip past the end leaves a negative count, never a huge one.
  EXPECT_EQ(in.Skip(10), 10);
  EXPECT_EQ(in.Available(), -7);
  EXPECT_EQ(in.ReadByte(), 0);
  Bytes dest(4);
  EXPECT_EQ(in.ReadRange(dest, 0, 4), -1);
  // Back again, but never before the start; a huge skip saturates.
  EXPECT_EQ(in.Skip(-100), 0);
  EXPECT_EQ(in.Skip(std::numeric_limits<s64>::max()), std::numeric_limits<s64>::max());
  EXPECT_EQ(in.Skip(1), std::numeric_limits<s64>::max());
  EXPECT_LT(in.Available(), 0);
  EXPECT_EQ(in.Skip(std::numeric_limits<s64>::min()), 0);

  // The destination is never written past its end, nor from past its end.
  Bytes small(2, 0);
  EXPECT_EQ(in.ReadRange(small, 1, 3), 1);
  EXPECT_EQ(small, (Bytes{0, 1}));
  EXPECT_EQ(in.ReadRange(small, 5, 1), 0);
  Bytes none;
  EXPECT_EQ(in.ReadRange(none, 45, 1), 0);
  EXPECT_EQ(in.GetPosition(), 1);

  // A part of a vector: only what lies inside is taken.
  const Bytes data{1, 2, 3, 4, 5};
  EXPECT_EQ(CByteArrayInputStream(data, 1, 3).Available(), 3);
  EXPECT_EQ(CByteArrayInputStream(data, 3, 10).Available(), 2);
  EXPECT_EQ(CByteArrayInputStream(data, 9, 1).Available(), 0);
  CByteArrayInputStream part(data, 2, 2);
  EXPECT_EQ(part.ReadByte(), 3);
  EXPECT_EQ(part.ReadByte(), 4);
  EXPECT_EQ(part.ReadRange(dest, 0, 1), -1);
}

TEST(ByteArrayOutputStream, CollectsBytesAndHandsThemOn) {
  CByteArrayOutputStream out;
  out.WriteByte('a');
  out.WriteVector(Bytes{'b', 'c'});
  out.WriteRange(Bytes{'x', 'd', 'e', 'y'}, 1, 2);
  out.WriteRange(Bytes{'f', 'g'}, 1, 5);  // only the part inside the vector
  out.WriteRange(Bytes{'z'}, 3, 1);
  EXPECT_EQ(out.GetCount(), 6u);
  EXPECT_EQ(out.ToString(), "abcdeg");
  EXPECT_EQ(out.ToByteArray(), (Bytes{'a', 'b', 'c', 'd', 'e', 'g'}));
  EXPECT_FALSE(out.Failed());

  // The whole content goes to another stream in one call.
  CCountingOutputStream other;
  out.WriteTo(other);
  EXPECT_EQ(other.rangeCalls, 1);
  EXPECT_EQ(other.ToString(), "abcdeg");
  // Into itself: the content doubles.
  out.WriteTo(out);
  EXPECT_EQ(out.ToString(), "abcdegabcdeg");
  out.WriteVector(out.GetBytes());
  EXPECT_EQ(out.GetCount(), 24u);

  out.Clear();
  EXPECT_EQ(out.GetCount(), 0u);
  EXPECT_EQ(out.ToString(), "");
}

TEST(FileOutputStream, WritesAFileOrAnotherStream) {
  const std::string folder = gbtest::MakeTempFolder("file-output");
  {
    CFileOutputStream out(CPathName(folder + "out.bin"));
    ASSERT_TRUE(out.IsOpen());
    out.WriteVector(Bytes{1, 2});
    out.WriteByte(3);
    out.WriteRange(Bytes{9, 4, 5}, 1, 2);
    out.Close();
    EXPECT_FALSE(out.Failed());
  }
  EXPECT_EQ(gbtest::ReadFile(folder + "out.bin"), (Bytes{1, 2, 3, 4, 5}));

  std::ostringstream text;
  CFileOutputStream redirected(&text);
  redirected.WriteVector(Bytes{'h', 'i'});
  std::ostringstream other;
  redirected.SetTarget(&other);
  redirected.WriteByte('!');
  redirected.Flush();
  EXPECT_EQ(text.str(), "hi");
  EXPECT_EQ(other.str(), "!");
  EXPECT_FALSE(redirected.Failed());
}

TEST(FileOutputStream, ReportsAFailedOpenAndAFailedWrite) {
  const std::string folder = gbtest::MakeTempFolder("file-output-failures");
  // A file in a folder that does not exist cannot be opened.
  CFileOutputStream missing(CPathName(folder + "no such folder/out.bin"));
  EXPECT_FALSE(missing.IsOpen());
  EXPECT_TRUE(missing.Failed());
  // Neither can a folder.
  CFileOutputStream onFolder{CPathName(folder)};
  EXPECT_TRUE(onFolder.Failed());
  // A stream that is not open fails its writes.
  CFileOutputStream unopened;
  EXPECT_FALSE(unopened.Failed());
  unopened.WriteByte(1);
  EXPECT_TRUE(unopened.Failed());

  // A device that is full fails at the latest when the data is flushed.
  std::ofstream full("/dev/full", std::ios::binary);
  ASSERT_TRUE(full.is_open());
  CFileOutputStream out(&full);
  out.WriteVector(Bytes(100000, 7));
  out.Flush();
  EXPECT_TRUE(out.Failed());
}

TEST(ByteVectors, CopiesStayInsideBothVectors) {
  Bytes source{1, 2, 3, 4, 5};
  Bytes dest(4, 0);
  EXPECT_TRUE(CopyBytes(source, 1, dest, 2, 2));
  EXPECT_EQ(dest, (Bytes{0, 0, 2, 3}));
  EXPECT_FALSE(CopyBytes(source, 4, dest, 0, 2));  // past the source
  EXPECT_FALSE(CopyBytes(source, 0, dest, 3, 2));  // past the destination
  EXPECT_FALSE(CopyBytes(source, std::numeric_limits<size_t>::max(), dest, 0, 2));
  EXPECT_EQ(dest, (Bytes{0, 0, 2, 3}));
  EXPECT_TRUE(CopyBytes(source, 5, dest, 4, 0));
  // Forward within one vector.
  EXPECT_TRUE(CopyBytes(source, 0, source, 1, 4));
  EXPECT_EQ(source, (Bytes{1, 1, 1, 1, 1}));

  std::vector<u32> words{0x11111111, 0x22222222, 0x33333333};
  std::vector<u32> target(2, 0);
  EXPECT_TRUE(CopyWords(words, 1, target, 0, 2));
  EXPECT_EQ(target, (std::vector<u32>{0x22222222, 0x33333333}));
  EXPECT_FALSE(CopyWords(words, 2, target, 0, 2));
  EXPECT_FALSE(CopyWords(words, 0, target, 1, 2));
}

TEST(ByteVectors, FillsStopAtTheEnd) {
  Bytes v(10, 0);
  FillBytes(v, 2, 100, 7);
  EXPECT_EQ(v, (Bytes{0, 0, 7, 7, 7, 7, 7, 7, 7, 7}));
  FillBytes(v, 3, 4, 1);
  EXPECT_EQ(v, (Bytes{0, 0, 7, 1, 1, 7, 7, 7, 7, 7}));
  FillBytes(v, 6, 5, 9);  // from past to: nothing
  FillBytes(v, 20, 30, 9);
  EXPECT_EQ(v, (Bytes{0, 0, 7, 1, 1, 7, 7, 7, 7, 7}));
  Bytes empty;
  FillBytes(empty, 0, 5, 1);
  EXPECT_TRUE(empty.empty());
  FillAll(v, 0xAB);
  EXPECT_EQ(v, Bytes(10, 0xAB));
}

}  // namespace
