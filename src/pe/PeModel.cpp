#include "pe/PeModel.h"

#include <array>

#include "foundation/NumberText.h"
#include "foundation/RuntimeError.h"

namespace vantorix::pe {

namespace {

struct MaskTables {
  std::string_view mask;
  std::array<std::int16_t, 4> bounds;  // first/last coolant, first/last RPM, as positions
};

// The RPM table always follows the coolant table directly.
constexpr std::array<MaskTables, 3> kTables{{
    {"8D", {0x060E + 1, 0x0616 + 1, 0x0617 + 1, 0x0627 + 1}},
    {"6E", {0x050C + 1, 0x0514 + 1, 0x0515 + 1, 0x0525 + 1}},
    {"32", {0x0614 + 1, 0x061C + 1, 0x061D + 1, 0x062D + 1}},
}};

constexpr std::int32_t kModifierBias = 128;

}  // namespace

std::int16_t TablePosition(std::string_view mask, std::int32_t index) {
  if (index < FirstCoolant || index > LastRpm) return 0;
  for (const auto& tables : kTables)
    if (tables.mask == mask) return tables.bounds[static_cast<std::size_t>(index)];
  return 0;
}

double TargetAfr(std::int16_t coolantModifier, std::int16_t rpmModifier) {
  const std::int16_t denominator =
      number::AddIntegers(number::AddIntegers(coolantModifier, rpmModifier), kModifierBias);
  if (denominator == 0) throw RuntimeError(ErrorNumber::DivisionByZero, "the modifiers add up to -128");
  return number::RoundTwoDecimals(AFR_CONSTANT / denominator);
}

std::int16_t SolveModifier(std::int16_t givenModifier, double wantedAfr) {
  if (wantedAfr == 0.0) throw RuntimeError(ErrorNumber::DivisionByZero, "a target AFR of 0");
  const double needed = AFR_CONSTANT / wantedAfr;
  return number::ToInteger(needed - number::AddIntegers(givenModifier, kModifierBias));
}

}  // namespace vantorix::pe
