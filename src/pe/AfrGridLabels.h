#pragma once

#include <array>
#include <string>

#include "foundation/NumberText.h"

// The axis labels of the target AFR grid. They are not read from the image: the RPM and
// coolant break points are the same for every $8D and $6E calibration.
namespace vantorix::afr_grid {

inline constexpr int kRpmPoints = 17;
inline constexpr int kCoolantPoints = 9;

std::string RpmLabel(int index);

double CelsiusAt(int index);

std::string CelsiusLabel(int index);

// Rounding to 15 digits hides the error of 9 / 5, so -16 gives 3.2 rather than 3.1999999999999993.
std::string FahrenheitLabel(int index);

}  // namespace vantorix::afr_grid
