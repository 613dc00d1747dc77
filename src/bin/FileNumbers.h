#pragma once

#include <cstdint>

// Small runtime file numbers, handed out lowest-free-first like the classic runtime's
// FreeFile, so an image object can show which number its open file holds.
namespace vantorix::file_numbers {

// The lowest number from 1 to 255 that no open image holds. It is only claimed by
// Claim, so two calls without a Claim between them return the same number.
// Too many files (67) when every number is held.
std::int16_t NextFree();

void Claim(std::int16_t number);

// Releasing 0 or a number that is not held does nothing.
void Release(std::int16_t number);

}  // namespace vantorix::file_numbers
