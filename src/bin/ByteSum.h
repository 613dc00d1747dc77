#pragma once

#include <cstdint>
#include <span>

namespace vantorix {

// The sum of all the bytes, modulo 2^32. The image checksum runs it over nearly every
// byte of the image before each save, so it runs at memory speed rather than a byte a step.
std::uint32_t ByteSum(std::span<const std::uint8_t> bytes);

// The kernels ByteSum chooses between, open to tests: each gives the same sum.
namespace byte_sum {

std::uint32_t Portable(std::span<const std::uint8_t> bytes);
#if defined(__x86_64__)
// Only where the processor has AVX2 (HasAvx2).
std::uint32_t Avx2(std::span<const std::uint8_t> bytes);
bool HasAvx2();
#endif

}  // namespace byte_sum
}  // namespace vantorix
