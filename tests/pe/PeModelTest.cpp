#include <gtest/gtest.h>

#include "Outcomes.h"
#include "pe/PeModel.h"

namespace vantorix::pe {
namespace {

using test::Outcomes;

struct Pair {
  std::int16_t first;
  double second;
};

// The AFR follows from the sum of both modifiers, rounded to hundredths; its inverse finds
// the modifier for a wanted ratio, halves to even, and outside a byte too: the caller refuses it.
TEST(PeModel, TargetAfrAndTheModifierThatSolvesForItRoundAsTheFormulaSays) {
  EXPECT_EQ(Outcomes<Pair>([](Pair p) { return TargetAfr(p.first, static_cast<std::int16_t>(p.second)); },
                           {{0, 0}, {255, 255}, {128, 0}, {88, 80}, {80, 88}, {88, 86}, {-128, 0}, {32767, 1}}),
            "29.45 5.91 14.73 12.74 12.74 12.48 E11 E6");
  const double halves = AFR_CONSTANT / 356.5;  // exact solutions 100.5 and 101.5
  EXPECT_EQ(Outcomes<Pair>([](Pair p) { return SolveModifier(p.first, p.second); },
                           {{88, 12.5}, {0, 14.7}, {88, 12.74}, {128, halves}, {127, halves}, {0, 5.0}, {0, 40.0},
                            {88, 0.0}, {0, 0.0001}}),
            "86 128 80 100 102 626 -34 E11 E6");
}

TEST(PeModel, TablePositionsOfEachMaskAndNoneForOthers) {
  std::string positions;
  for (const char* mask : {"8D", "6E", "32", "AA", "8d", "N/A"})
    for (std::int32_t index = -1; index <= 4; ++index) positions += std::to_string(TablePosition(mask, index)) + " ";
  EXPECT_EQ(positions,
            "0 1551 1559 1560 1576 0 0 1293 1301 1302 1318 0 0 1557 1565 1566 1582 0 "
            "0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 ");
}

}  // namespace
}  // namespace vantorix::pe
