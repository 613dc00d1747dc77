#pragma once

#include <cmath>

// Window geometry is designed in twips (1/1440 inch): 15 twips make a pixel at 96 DPI.
// Sizes stay in twips in the model and are turned into pixels once, with the screen's DPI.
namespace vantorix::twips {

inline constexpr int kPerInch = 1440;

inline int ToPixels(int twips, double dotsPerInch) {
  return static_cast<int>(std::lround(twips * dotsPerInch / kPerInch));
}

inline int FromPixels(int pixels, double dotsPerInch) {
  return static_cast<int>(std::lround(pixels * kPerInch / dotsPerInch));
}

}  // namespace vantorix::twips
