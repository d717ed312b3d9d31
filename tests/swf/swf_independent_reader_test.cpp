// The independent reader itself: it runs, and it decodes what a movie holds.
#include <gtest/gtest.h>

#include "tests/support/test_support.h"
#include "tests/swf/swf_independent_reader.h"
#include "tests/swf/swf_test_movies.h"

TEST(SwfIndependentReader, DecodesTheValuesOfAMovie) {
  ASSERT_EQ(swftest::IndependentReaderProblem(), "");
  const std::vector<u8> movie = swftest::BuildMovie(
      {{9, swftest::Bytes({0x12, 0x34, 0x56})}, {1, {}}, {0, {}}}, 6);
  std::map<std::string, std::string> values = swftest::IndependentValues(movie);
  EXPECT_EQ(values["header.swfVersion"], "6");
  EXPECT_EQ(values["header.frameSize.xMax"], "11000");
  EXPECT_EQ(values["tags.length"], "2");
  EXPECT_EQ(values["tags.0.color.r"], "18");
  EXPECT_EQ(values["tags.0.color.b"], "86");

  // A file it cannot read gives nothing, and a comparison says which side failed.
  const std::string folder = gbtest::MakeTempFolder("independent_bad");
  ASSERT_TRUE(gbtest::WriteFile(folder + "good.swf", movie));
  ASSERT_TRUE(gbtest::WriteFile(folder + "bad.swf", std::string("FWS")));
  EXPECT_TRUE(swftest::IndependentValues(folder + "bad.swf").empty());
  const std::vector<std::string> verdicts = swftest::CompareWithIndependentReader(
      {{folder + "good.swf", folder + "good.swf"}, {folder + "good.swf", folder + "bad.swf"}});
  ASSERT_EQ(verdicts.size(), 2u);
  EXPECT_EQ(verdicts[0], "same 2 0");
  EXPECT_EQ(verdicts[1].rfind("unreadable rewritten", 0), 0u) << verdicts[1];
}
