#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ImageFixture.h"

namespace vantorix::test {
namespace {

using ::testing::ElementsAre;

class ByteAccess : public ImageFixture {};

TEST_F(ByteAccess, WriteTakesAnOffsetAndReadTakesAPosition) {
  clsBINFile& image = Opened(TestImage(32768, 0x8D));
  image.WriteToBin(0, 255);
  EXPECT_EQ(image.Bytes()[0], 0xFF);
  EXPECT_EQ(image.GetValueFromBin(1), "255");
  image.WriteToBin(0x7168, 0x3C);
  EXPECT_EQ(image.GetValueFromBin(0x7168 + 1), "60");
  image.WriteToBin(32767, 0);
  EXPECT_EQ(image.GetValueFromBin(32768), "0");
  EXPECT_TRUE(shell.Trace().empty());
}

TEST_F(ByteAccess, WritingDoesNotMarkTheImageChanged) {
  clsBINFile& image = Opened(TestImage());
  image.WriteToBin(100, 1);
  EXPECT_FALSE(image.Changed());
}

TEST_F(ByteAccess, ValuesAreRoundedHalfToEven) {
  clsBINFile& image = Opened(TestImage());
  image.WriteToBin(10, 2.5);
  EXPECT_EQ(image.Bytes()[10], 2);
  image.WriteToBin(10.4, 3.5);  // the offset is rounded too
  EXPECT_EQ(image.Bytes()[10], 4);
}

TEST_F(ByteAccess, OutOfRangeOffsetsAndValuesAreReportedAndChangeNothing) {
  clsBINFile& image = Opened(TestImage(32768));
  const std::vector<std::uint8_t> before(image.Bytes().begin(), image.Bytes().end());
  image.WriteToBin(32768, 0);
  image.WriteToBin(-1, 0);
  image.WriteToBin(10, 256);
  image.WriteToBin(10, -1);
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.WriteToBin", "clsBINFile.WriteToBin",
                                                "clsBINFile.WriteToBin", "clsBINFile.WriteToBin"));
  EXPECT_THAT(shell.Boxes()[0].text, testing::HasSubstr("Error Number: 9\r\n"));
  EXPECT_THAT(shell.Boxes()[2].text, testing::HasSubstr("Error Number: 6\r\n"));
  EXPECT_TRUE(std::equal(before.begin(), before.end(), image.Bytes().begin()));
}

TEST_F(ByteAccess, ReadingOutsideTheImageGivesEmptyTextAndAReport) {
  clsBINFile& image = Opened(TestImage(32768));
  EXPECT_EQ(image.GetValueFromBin(0), "");
  EXPECT_EQ(image.GetValueFromBin(32769), "");
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.GetValueFromBin", "clsBINFile.GetValueFromBin"));
  EXPECT_EQ(shell.Boxes()[0].title, "BIN File Error");
}

TEST_F(ByteAccess, AnObjectWithoutAnImageRefusesBothAccessors) {
  clsBINFile image(shell);
  image.WriteToBin(0, 1);
  EXPECT_EQ(image.GetValueFromBin(1), "");
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.WriteToBin", "clsBINFile.GetValueFromBin"));
}

}  // namespace
}  // namespace vantorix::test
