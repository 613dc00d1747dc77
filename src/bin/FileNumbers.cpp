#include "bin/FileNumbers.h"

#include <bitset>
#include <mutex>

#include "foundation/RuntimeError.h"

namespace vantorix::file_numbers {

namespace {

constexpr std::size_t kHighest = 255;

std::mutex& Guard() {
  static std::mutex guard;
  return guard;
}

std::bitset<kHighest + 1>& Held() {
  static std::bitset<kHighest + 1> held;
  return held;
}

bool InRange(std::int16_t number) { return number >= 1 && static_cast<std::size_t>(number) <= kHighest; }

}  // namespace

std::int16_t NextFree() {
  const std::lock_guard lock(Guard());
  for (std::size_t number = 1; number <= kHighest; ++number)
    if (!Held().test(number)) return static_cast<std::int16_t>(number);
  throw RuntimeError(ErrorNumber::TooManyFiles);
}

void Claim(std::int16_t number) {
  const std::lock_guard lock(Guard());
  if (InRange(number)) Held().set(static_cast<std::size_t>(number));
}

void Release(std::int16_t number) {
  const std::lock_guard lock(Guard());
  if (InRange(number)) Held().reset(static_cast<std::size_t>(number));
}

}  // namespace vantorix::file_numbers
