#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ImageFixture.h"
#include "bin/basStringFunctions.h"

namespace vantorix::test {
namespace {

using ::testing::ElementsAre;

class ByteAccess : public ImageFixture {};

TEST_F(ByteAccess, WriteTakesAnOffsetReadTakesAPositionAndHalvesRoundToEven) {
  clsBINFile& image = Opened(TestImage(32768, 0x8D));
  image.WriteToBin(0, 255);
  image.WriteToBin(0x7168, 0x3C);
  image.WriteToBin(32767, 0);
  image.WriteToBin(10, 2.5);
  image.WriteToBin(11.4, 3.5);  // the offset is rounded too
  EXPECT_EQ(image.GetValueFromBin(1), "255");
  EXPECT_EQ(image.GetValueFromBin(0x7168 + 1), "60");
  EXPECT_EQ(image.GetValueFromBin(32768), "0");
  EXPECT_EQ(image.GetValueFromBin(11), "2");
  EXPECT_EQ(image.GetValueFromBin(12), "4");
  EXPECT_FALSE(image.Changed());  // the byte writer leaves marking to its callers
  EXPECT_TRUE(shell.Trace().empty());
}

TEST_F(ByteAccess, OutOfRangeOffsetsPositionsAndValuesAreReportedAndChangeNothing) {
  clsBINFile& image = Opened(TestImage(32768));
  const std::vector<std::uint8_t> before(image.Bytes().begin(), image.Bytes().end());
  image.WriteToBin(32768, 0);
  image.WriteToBin(-1, 0);
  image.WriteToBin(10, 256);
  image.WriteToBin(10, -1);
  EXPECT_EQ(image.GetValueFromBin(0), "");
  EXPECT_EQ(image.GetValueFromBin(32769), "");
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.WriteToBin", "clsBINFile.WriteToBin", "clsBINFile.WriteToBin",
                                                "clsBINFile.WriteToBin", "clsBINFile.GetValueFromBin",
                                                "clsBINFile.GetValueFromBin"));
  EXPECT_THAT(shell.Boxes()[0].text, ::testing::HasSubstr("Error Number: 9\r\n"));
  EXPECT_THAT(shell.Boxes()[2].text, ::testing::HasSubstr("Error Number: 6\r\n"));
  EXPECT_EQ(std::vector<std::uint8_t>(image.Bytes().begin(), image.Bytes().end()), before);
  clsBINFile empty(shell);
  shell.Clear();
  empty.WriteToBin(0, 1);
  EXPECT_EQ(empty.GetValueFromBin(1), "");
  EXPECT_EQ(shell.ErrorReports().size(), 2U);
}

TEST(TextHelpers, PadLeftCutsOrPadsAndByteToBinaryStringGivesEightDigits) {
  EXPECT_EQ(PadLeft("1011", 2, "0"), "10");
  EXPECT_EQ(PadLeft("1011", 4, "0"), "1011");
  EXPECT_EQ(PadLeft("7", 3, "xyz"), "xx7");  // only the first fill character counts
  EXPECT_EQ(PadLeft("1011", 0, ""), "");
  EXPECT_EQ(PadLeft("123", 2, ""), "12");  // no padding needed, so no fill needed
  EXPECT_THROW(PadLeft("1", -1, "0"), RuntimeError);
  EXPECT_THROW(PadLeft("1", 3, ""), RuntimeError);
  EXPECT_EQ(ByteToBinaryString(0x00), "00000000");
  EXPECT_EQ(ByteToBinaryString(0x04), "00000100");
  EXPECT_EQ(ByteToBinaryString(0x8D), "10001101");
  EXPECT_EQ(ByteToBinaryString(0xFF), "11111111");
}

}  // namespace
}  // namespace vantorix::test
