#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/NumberText.h"
#include "ErrorNumberOf.h"

namespace vantorix::number {
namespace {

using test::ErrorNumberOf;

TEST(HalfToEven, RoundsHalvesToTheEvenNeighbour) {
  EXPECT_EQ(ToInteger(0.5), 0);
  EXPECT_EQ(ToInteger(1.5), 2);
  EXPECT_EQ(ToInteger(2.5), 2);
  EXPECT_EQ(ToInteger(3.5), 4);
  EXPECT_EQ(ToInteger(-2.5), -2);
  EXPECT_EQ(ToInteger(-3.5), -4);
  EXPECT_EQ(ToInteger(2.4999), 2);
  EXPECT_EQ(ToInteger(2.5001), 3);
  EXPECT_EQ(ToByte(254.5), 254);
  EXPECT_EQ(ToByte(-0.5), 0);
  EXPECT_EQ(ToLong(2147483646.5), 2147483646);
}

TEST(HalfToEven, ValuesOutsideTheTargetRangeOverflow) {
  EXPECT_EQ(ToInteger(32767.4), 32767);
  EXPECT_EQ(ErrorNumberOf([] { ToInteger(32767.5); }), 6);
  EXPECT_EQ(ToInteger(-32768.5), -32768);
  EXPECT_EQ(ErrorNumberOf([] { ToInteger(-32768.6); }), 6);
  EXPECT_EQ(ErrorNumberOf([] { ToByte(255.5); }), 6);
  EXPECT_EQ(ErrorNumberOf([] { ToByte(256); }), 6);
  EXPECT_EQ(ErrorNumberOf([] { ToByte(-0.6); }), 6);
  EXPECT_EQ(ErrorNumberOf([] { ToLong(2147483648.0); }), 6);
  EXPECT_EQ(ErrorNumberOf([] { ToInteger(std::numeric_limits<double>::quiet_NaN()); }), 6);
  EXPECT_EQ(ErrorNumberOf([] { ToInteger(std::numeric_limits<double>::infinity()); }), 6);
}

TEST(HalfToEven, SixteenBitSumsOverflowAtTheRangeEnds) {
  EXPECT_EQ(AddIntegers(32767, 0), 32767);
  EXPECT_EQ(AddIntegers(-32768, 0), -32768);
  EXPECT_EQ(ErrorNumberOf([] { AddIntegers(32767, 1); }), 6);
  EXPECT_EQ(ErrorNumberOf([] { AddIntegers(-32768, -1); }), 6);
}

TEST(GeneralNumberText, DropsTrailingZerosAndKeepsFifteenDigits) {
  EXPECT_EQ(GeneralText(14.7), "14.7");
  EXPECT_EQ(GeneralText(15.0), "15");
  EXPECT_EQ(GeneralText(12.94), "12.94");
  EXPECT_EQ(GeneralText(-40.0), "-40");
  EXPECT_EQ(GeneralText(0.0), "0");
  EXPECT_EQ(GeneralText(-0.0), "0");
  EXPECT_EQ(GeneralText(123456789012345.0), "123456789012345");
  EXPECT_EQ(GeneralText(0.1 + 0.2), "0.3");
}

TEST(GeneralNumberText, HidesTheRoundingErrorOfNineFifths) {
  // Fahrenheit labels of the AFR grid: the shortest exact text would be 3.1999999999999993.
  EXPECT_EQ(GeneralText(9.0 / 5.0 * -16 + 32), "3.2");
  EXPECT_EQ(GeneralText(9.0 / 5.0 * 104 + 32), "219.2");
  EXPECT_EQ(GeneralText(9.0 / 5.0 * 152 + 32), "305.6");
}

TEST(GeneralNumberText, UsesExponentsOnlyForVeryLargeOrSmallValues) {
  EXPECT_EQ(GeneralText(1e15), "1E+15");
  EXPECT_EQ(GeneralText(0.0001), "0.0001");
  EXPECT_EQ(GeneralText(0.00001), "1E-05");
  EXPECT_EQ(GeneralText(-2.5e-7), "-2.5E-07");
}

TEST(HexadecimalText, IsUpperCaseWithoutPrefixOrLeadingZeros) {
  EXPECT_EQ(HexText(0), "0");
  EXPECT_EQ(HexText(5), "5");
  EXPECT_EQ(HexText(0x8D), "8D");
  EXPECT_EQ(HexText(0x3A5), "3A5");
  EXPECT_EQ(HexText(0xFFFFFFFFU), "FFFFFFFF");
  EXPECT_EQ(HexText(0x0F, 2), "0F");
  EXPECT_EQ(HexText(0xABC, 2), "ABC");
}

TEST(TwoDecimalRounding, RoundsTheRatioToHundredths) {
  EXPECT_DOUBLE_EQ(RoundTwoDecimals(3770.1608988764 / 296), 12.74);
  EXPECT_DOUBLE_EQ(RoundTwoDecimals(29.454382), 29.45);
  EXPECT_DOUBLE_EQ(RoundTwoDecimals(14.699), 14.7);
  EXPECT_DOUBLE_EQ(RoundTwoDecimals(123.456), 123.46);
  EXPECT_DOUBLE_EQ(RoundTwoDecimals(-5.914), -5.91);
  EXPECT_DOUBLE_EQ(RoundTwoDecimals(0.001), 0.0);
}

TEST(DecimalParsing, AcceptsPlainNumbersAndRefusesEverythingElse) {
  EXPECT_DOUBLE_EQ(ParseDecimal("70000"), 70000);
  EXPECT_DOUBLE_EQ(ParseDecimal(" 42 "), 42);
  EXPECT_DOUBLE_EQ(ParseDecimal("-3"), -3);
  EXPECT_DOUBLE_EQ(ParseDecimal("+2.5"), 2.5);
  EXPECT_DOUBLE_EQ(ParseDecimal(".5"), 0.5);
  EXPECT_DOUBLE_EQ(ParseDecimal("1e3"), 1000);
  for (const char* text : {"", " ", "abc", "12abc", "0x1A", "inf", "nan", "1,5", "--1", "."})
    EXPECT_EQ(ErrorNumberOf([&] { ParseDecimal(text); }), 13) << '"' << text << '"';
  EXPECT_EQ(ErrorNumberOf([] { ParseDecimal("1e999"); }), 6);
}

TEST(DecimalParsing, ReadsOrRefusesVeryLongTextWithoutRunningOutOfStack) {
  const std::string zeros(100000, '0');
  EXPECT_DOUBLE_EQ(ParseDecimal(std::string(100000, ' ') + "-42" + std::string(100000, '\t')), -42);
  EXPECT_DOUBLE_EQ(ParseDecimal("0." + zeros + "5e100001"), 5);
  EXPECT_EQ(ErrorNumberOf([] { ParseDecimal(std::string(1000000, '7')); }), 6);
  EXPECT_EQ(ErrorNumberOf([&] { ParseDecimal(zeros + "1x"); }), 13);
}

TEST(HexParsing, ReadsUpToEightDigitsAsASignedLong) {
  EXPECT_EQ(ParseHexLong("3A5"), 0x3A5);
  EXPECT_EQ(ParseHexLong("abcd"), 0xABCD);
  EXPECT_EQ(ParseHexLong("FFFF"), 65535);
  EXPECT_EQ(ParseHexLong("0"), 0);
  EXPECT_EQ(ParseHexLong("7FFFFFFF"), 2147483647);
  EXPECT_EQ(ParseHexLong("FFFFFFFF"), -1);
  EXPECT_EQ(ErrorNumberOf([] { ParseHexLong(""); }), 13);
  EXPECT_EQ(ErrorNumberOf([] { ParseHexLong("G1"); }), 13);
  EXPECT_EQ(ErrorNumberOf([] { ParseHexLong(" 3A5"); }), 13);
  EXPECT_EQ(ErrorNumberOf([] { ParseHexLong("123456789"); }), 6);
}

}  // namespace
}  // namespace vantorix::number
