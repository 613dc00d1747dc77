#include <gtest/gtest.h>

#include "ErrorNumberOf.h"
#include "pe/PeModel.h"

namespace vantorix::pe {
namespace {

using test::ErrorNumberOf;

TEST(PeModel, TargetAfrFollowsFromTheSumOfBothModifiersRoundedToHundredths) {
  EXPECT_DOUBLE_EQ(TargetAfr(0, 0), 29.45);
  EXPECT_DOUBLE_EQ(TargetAfr(255, 255), 5.91);
  EXPECT_DOUBLE_EQ(TargetAfr(128, 0), 14.73);
  EXPECT_DOUBLE_EQ(TargetAfr(88, 80), 12.74);
  EXPECT_DOUBLE_EQ(TargetAfr(80, 88), 12.74);
  EXPECT_DOUBLE_EQ(TargetAfr(88, 86), 12.48);
  EXPECT_NEAR(AFR_CONSTANT, 6553.6 * 256 / 445, 1e-9);  // the literal, close to but not the quotient
  EXPECT_EQ(ErrorNumberOf([] { TargetAfr(-128, 0); }), 11);
  EXPECT_EQ(ErrorNumberOf([] { TargetAfr(32767, 1); }), 6);
}

TEST(PeModel, SolveFindsTheModifierForAWantedRatioRoundingHalvesToEven) {
  EXPECT_EQ(SolveModifier(88, 12.5), 86);
  EXPECT_EQ(SolveModifier(0, 14.7), 128);
  EXPECT_EQ(SolveModifier(88, 12.74), 80);
  const double ratio = AFR_CONSTANT / 356.5;  // exact solutions 100.5 and 101.5
  EXPECT_EQ(SolveModifier(128, ratio), 100);
  EXPECT_EQ(SolveModifier(127, ratio), 102);
  EXPECT_EQ(SolveModifier(0, 5.0), 626);  // outside a byte: the caller refuses it
  EXPECT_EQ(SolveModifier(0, 40.0), -34);
  EXPECT_EQ(ErrorNumberOf([] { SolveModifier(88, 0.0); }), 11);
  EXPECT_EQ(ErrorNumberOf([] { SolveModifier(0, 0.0001); }), 6);
}

TEST(PeModel, TablePositionsOfEachMaskAndNoneForOthers) {
  const struct {
    const char* mask;
    std::int16_t bounds[4];
  } cases[] = {{"8D", {1551, 1559, 1560, 1576}}, {"6E", {1293, 1301, 1302, 1318}}, {"32", {1557, 1565, 1566, 1582}},
               {"AA", {0, 0, 0, 0}},             {"8d", {0, 0, 0, 0}},             {"N/A", {0, 0, 0, 0}}};
  for (const auto& c : cases)
    for (std::int32_t index = 0; index < 4; ++index) EXPECT_EQ(TablePosition(c.mask, index), c.bounds[index]) << c.mask;
  EXPECT_EQ(TablePosition("8D", 4), 0);
  EXPECT_EQ(TablePosition("8D", -1), 0);
}

}  // namespace
}  // namespace vantorix::pe
