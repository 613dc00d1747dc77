#include <gtest/gtest.h>

#include "ErrorNumberOf.h"
#include "pe/PeModel.h"

namespace vantorix::pe {
namespace {

using test::ErrorNumberOf;

TEST(TargetAfr, FollowsFromTheSumOfBothModifiers) {
  EXPECT_DOUBLE_EQ(TargetAfr(0, 0), 29.45);
  EXPECT_DOUBLE_EQ(TargetAfr(255, 255), 5.91);
  EXPECT_DOUBLE_EQ(TargetAfr(128, 0), 14.73);
  EXPECT_DOUBLE_EQ(TargetAfr(88, 80), 12.74);
  EXPECT_DOUBLE_EQ(TargetAfr(80, 88), 12.74);  // only the sum counts
  EXPECT_DOUBLE_EQ(TargetAfr(88, 86), 12.48);
}

TEST(TargetAfr, UsesTheLiteralConstantNotTheQuotient) {
  EXPECT_DOUBLE_EQ(AFR_CONSTANT, 3770.1608988764);
  EXPECT_NEAR(AFR_CONSTANT, 6553.6 * 256 / 445, 1e-9);
}

TEST(TargetAfr, AZeroOrOverflowingDenominatorFails) {
  EXPECT_EQ(ErrorNumberOf([] { TargetAfr(-128, 0); }), 11);
  EXPECT_EQ(ErrorNumberOf([] { TargetAfr(32767, 1); }), 6);
  EXPECT_EQ(ErrorNumberOf([] { TargetAfr(32000, 700); }), 6);
}

TEST(SolveModifier, FindsTheModifierThatCommandsTheWantedRatio) {
  EXPECT_EQ(SolveModifier(88, 12.5), 86);
  EXPECT_EQ(SolveModifier(0, 14.7), 128);  // 256.47 - 128 = 128.47
  EXPECT_EQ(SolveModifier(88, 12.74), 80);
}

TEST(SolveModifier, RoundsHalvesToEven) {
  // A given modifier and ratio for which the exact solution is 100.5: the constant over 356.5.
  const double ratio = AFR_CONSTANT / 356.5;
  EXPECT_EQ(SolveModifier(128, ratio), 100);
  EXPECT_EQ(SolveModifier(127, ratio), 102);  // 101.5 goes to 102
}

TEST(SolveModifier, ReturnsResultsOutsideTheByteRangeForTheCallerToRefuse) {
  EXPECT_EQ(SolveModifier(0, 5.0), 626);    // far too rich for a byte
  EXPECT_EQ(SolveModifier(0, 40.0), -34);   // too lean
}

TEST(SolveModifier, ARatioOfZeroOrOneTooSmallFails) {
  EXPECT_EQ(ErrorNumberOf([] { SolveModifier(88, 0.0); }), 11);
  EXPECT_EQ(ErrorNumberOf([] { SolveModifier(0, 0.0001); }), 6);
}

TEST(TablePosition, GivesTheBoundsOfEachMasksTables) {
  const struct {
    const char* mask;
    std::int16_t bounds[4];
  } cases[] = {{"8D", {1551, 1559, 1560, 1576}}, {"6E", {1293, 1301, 1302, 1318}}, {"32", {1557, 1565, 1566, 1582}}};
  for (const auto& c : cases)
    for (std::int32_t index = 0; index < 4; ++index)
      EXPECT_EQ(TablePosition(c.mask, index), c.bounds[index]) << c.mask << " " << index;
}

TEST(TablePosition, IsZeroForOtherMasksAndIndexes) {
  EXPECT_EQ(TablePosition("AA", 0), 0);
  EXPECT_EQ(TablePosition("N/A", 2), 0);
  EXPECT_EQ(TablePosition("8d", 0), 0);
  EXPECT_EQ(TablePosition("8D", 4), 0);
  EXPECT_EQ(TablePosition("8D", -1), 0);
}

}  // namespace
}  // namespace vantorix::pe
