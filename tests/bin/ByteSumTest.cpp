#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "bin/ByteSum.h"

namespace vantorix {
namespace {

// Every length around the vector widths and unrolled blocks, at every alignment, so that
// a byte dropped or counted twice in a block or its tail shows up; and sums past 32 bits,
// which wrap as the 32-bit sum does.
TEST(ByteSum, EveryKernelAgreesWithTheByteByByteSumAtEveryLengthAndAlignmentAndWraps) {
  std::vector<std::pair<std::string, std::function<std::uint32_t(std::span<const std::uint8_t>)>>> kernels{
      {"dispatched", ByteSum}};
#if defined(__x86_64__)
  if (byte_sum::HasAvx2()) kernels.emplace_back("AVX2", byte_sum::Avx2);
#endif
  std::vector<std::uint8_t> mixed(600);
  std::mt19937 generator(1234);
  for (auto& byte : mixed) byte = static_cast<std::uint8_t>(generator());
  const std::vector<std::uint8_t> saturated(600, 0xFF);
  const std::vector<std::uint8_t> huge(std::size_t{1} << 24U | 1U, 0xFF);  // more than 2^32 / 255 bytes
  for (const auto& [name, kernel] : kernels) {
    for (const auto* bytes : std::array<const std::vector<std::uint8_t>*, 2>{&mixed, &saturated})
      for (std::size_t offset = 0; offset < 4; ++offset)
        for (std::size_t length = 0; offset + length <= 520; ++length) {
          const auto slice = std::span(*bytes).subspan(offset, length);
          ASSERT_EQ(kernel(slice), byte_sum::Portable(slice)) << name << " offset " << offset << " length " << length;
        }
    EXPECT_EQ(kernel(huge), static_cast<std::uint32_t>(huge.size() * 255U)) << name;
  }
}

}  // namespace
}  // namespace vantorix
