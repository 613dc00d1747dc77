#include <gtest/gtest.h>

#include "app/RuntimeError.h"
#include "bin/basStringFunctions.h"

namespace vantorix {
namespace {

TEST(PadLeft, CutsOrPadsToTheLength) {
  EXPECT_EQ(PadLeft("1011", 2, "0"), "10");
  EXPECT_EQ(PadLeft("1011", 4, "0"), "1011");
  EXPECT_EQ(PadLeft("101", 8, "0"), "00000101");
  EXPECT_EQ(PadLeft("7", 3, "xyz"), "xx7");  // only the first fill character counts
  EXPECT_EQ(PadLeft("", 2, "0"), "00");
}

TEST(PadLeft, LengthZeroGivesEmptyTextWhateverTheInput) {
  EXPECT_EQ(PadLeft("1011", 0, "0"), "");
  EXPECT_EQ(PadLeft("", 0, ""), "");
}

TEST(PadLeft, RefusesANegativeLengthAndAnEmptyFill) {
  EXPECT_THROW(PadLeft("1", -1, "0"), RuntimeError);
  EXPECT_THROW(PadLeft("1", 3, ""), RuntimeError);
  EXPECT_EQ(PadLeft("123", 2, ""), "12");  // no padding needed, so no fill needed
}

TEST(ByteToBinaryString, GivesEightDigitsMostSignificantFirst) {
  EXPECT_EQ(ByteToBinaryString(0x00), "00000000");
  EXPECT_EQ(ByteToBinaryString(0x04), "00000100");
  EXPECT_EQ(ByteToBinaryString(0x8D), "10001101");
  EXPECT_EQ(ByteToBinaryString(0xFF), "11111111");
  EXPECT_EQ(ByteToBinaryString(0x01), "00000001");
}

}  // namespace
}  // namespace vantorix
