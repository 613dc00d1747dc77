#include <gtest/gtest.h>

#include <limits>

#include "Outcomes.h"
#include "foundation/NumberText.h"

namespace vantorix::number {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

TEST(HalfToEven, RoundsHalvesToTheEvenNeighbourAndOverflowsOutsideTheTargetRange) {
  EXPECT_EQ(test::Outcomes<double>(ToInteger, {0.5, 1.5, 2.5, 3.5, -2.5, -3.5, 2.4999, 2.5001, 32767.4, 32767.5,
                                               -32768.5, -32768.6, kNaN, kInfinity}),
            "0 2 2 4 -2 -4 2 3 32767 E6 -32768 E6 E6 E6");
  EXPECT_EQ(test::Outcomes<double>(ToByte, {254.5, -0.5, 255.5, 256.0, -0.6}), "254 0 E6 E6 E6");
  EXPECT_EQ(test::Outcomes<double>(ToLong, {2147483646.5, 2147483648.0}), "2147483646 E6");
  EXPECT_EQ(test::Outcomes<std::int32_t>([](std::int32_t b) { return AddIntegers(32767, b); }, {0, 1}), "32767 E6");
  EXPECT_EQ(test::Outcomes<std::int32_t>([](std::int32_t b) { return AddIntegers(-32768, b); }, {0, -1}), "-32768 E6");
}

TEST(NumberText, GeneralTextKeepsFifteenDigitsAndHexTextIsUpperCaseWithoutPrefix) {
  // 9 / 5 * -16 + 32 is 3.1999999999999993 exactly: the Fahrenheit labels of the AFR grid.
  EXPECT_EQ(
      test::Outcomes<double>([](double v) { return GeneralText(v); },
                             {14.7, 15.0, 12.94, -40.0, 0.0, -0.0, 123456789012345.0, 0.1 + 0.2, 9.0 / 5.0 * -16 + 32,
                              9.0 / 5.0 * 104 + 32, 9.0 / 5.0 * 152 + 32, 1e15, 0.0001, 0.00001, -2.5e-7}),
      "14.7 15 12.94 -40 0 0 123456789012345 0.3 3.2 219.2 305.6 1E+15 0.0001 1E-05 -2.5E-07");
  EXPECT_EQ(
      test::Outcomes<std::uint32_t>([](std::uint32_t v) { return HexText(v); }, {0U, 5U, 0x8DU, 0x3A5U, 0xFFFFFFFFU}),
      "0 5 8D 3A5 FFFFFFFF");
  EXPECT_EQ(HexText(0x0F, 2) + ' ' + HexText(0xABC, 2), "0F ABC");
  EXPECT_EQ(
      test::Outcomes<double>(RoundTwoDecimals, {3770.1608988764 / 296, 29.454382, 14.699, 123.456, -5.914, 0.001}),
      "12.74 29.45 14.7 123.46 -5.91 0");
}

TEST(NumberText, ParsingAcceptsPlainNumbersOnlyAndNeverRunsOutOfStack) {
  const std::string zeros(100000, '0'), padded = std::string(100000, ' ') + "-42" + std::string(100000, '\t'),
                                        tiny = "0." + zeros + "5e100001", junk = zeros + "1x", sevens(1000000, '7');
  const std::initializer_list<std::string> decimals{"70000", " 42 ", "-3",  "+2.5", ".5",    "1e3",   padded,
                                                    tiny,    "",     " ",   "abc",  "12abc", "0x1A",  "inf",
                                                    "nan",   "1,5",  "--1", ".",    junk,    "1e999", sevens},
      hex{"3A5", "abcd", "FFFF", "0", "7FFFFFFF", "FFFFFFFF", "", "G1", " 3A5", "123456789"};
  EXPECT_EQ(test::Outcomes([](const std::string& t) { return ParseDecimal(t); }, decimals),
            "70000 42 -3 2.5 0.5 1000 -42 5 E13 E13 E13 E13 E13 E13 E13 E13 E13 E13 E13 E6 E6");
  EXPECT_EQ(test::Outcomes([](const std::string& t) { return ParseHexLong(t); }, hex),
            "933 43981 65535 0 2147483647 -1 E13 E13 E13 E6");
}

}  // namespace
}  // namespace vantorix::number
