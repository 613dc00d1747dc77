#pragma once

#include <cstdint>
#include <string_view>

// The wide-open-throttle power-enrichment model: where the two modifier tables lie in
// each mask, and the target air/fuel ratio that follows from them.
namespace vantorix::pe {

// 6553.6 * 256 / 445 to within the last digits; this literal is the one the engine
// computer's calibration tools use, so it is kept rather than the quotient.
inline constexpr double AFR_CONSTANT = 3770.1608988764;

inline constexpr std::int32_t kCoolantEntries = 9;
inline constexpr std::int32_t kRpmEntries = 17;

// Indexes of the table bounds that TablePosition looks up.
enum TableBound : std::int32_t { FirstCoolant = 0, LastCoolant = 1, FirstRpm = 2, LastRpm = 3 };

// The 1-based image position of a table bound for a mask text; 0 when the mask has no
// tables or the index is not 0..3.
std::int16_t TablePosition(std::string_view mask, std::int32_t index);

// The target ratio for one coolant and one RPM modifier, rounded to two decimals.
// Overflow (6) when the 16-bit sum overflows; Division by zero (11) when it is 0.
double TargetAfr(std::int16_t coolantModifier, std::int16_t rpmModifier);

// The modifier that, with the other table's given modifier, commands the wanted ratio,
// rounded half to even. Not limited to 0..255: the caller decides what it accepts.
// Division by zero (11) for a wanted ratio of 0; Overflow (6) outside the 16-bit range.
std::int16_t SolveModifier(std::int16_t givenModifier, double wantedAfr);

}  // namespace vantorix::pe
