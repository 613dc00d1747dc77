#include "bin/ByteSum.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace vantorix {

namespace byte_sum {

std::uint32_t Portable(std::span<const std::uint8_t> bytes) {
  std::uint32_t sum = 0;
  for (const std::uint8_t byte : bytes) sum += byte;
  return sum;
}

#if defined(__x86_64__)
// PSADBW against zero adds eight bytes into a 64-bit lane in one step. Four accumulators,
// named rather than an array so that they stay in registers, keep the adds from waiting
// on each other. Processors without AVX2 (older and some low-end ones) take the plain
// loop: for one image the sum takes microseconds either way.

// A macro, not a lambda: a lambda would not inherit the kernel's target.
#define VANTORIX_SUM32(at) _mm256_sad_epu8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + (at))), zero)

__attribute__((target("avx2"))) std::uint32_t Avx2(std::span<const std::uint8_t> bytes) {
  const std::uint8_t* const data = bytes.data();
  const std::size_t size = bytes.size();
  const __m256i zero = _mm256_setzero_si256();
  __m256i a = zero, b = zero, c = zero, d = zero;
  std::size_t at = 0;
  for (; at + 128 <= size; at += 128) {
    a = _mm256_add_epi64(a, VANTORIX_SUM32(at));
    b = _mm256_add_epi64(b, VANTORIX_SUM32(at + 32));
    c = _mm256_add_epi64(c, VANTORIX_SUM32(at + 64));
    d = _mm256_add_epi64(d, VANTORIX_SUM32(at + 96));
  }
  for (; at + 32 <= size; at += 32) a = _mm256_add_epi64(a, VANTORIX_SUM32(at));
  const __m256i total = _mm256_add_epi64(_mm256_add_epi64(a, b), _mm256_add_epi64(c, d));
  const __m128i half = _mm_add_epi64(_mm256_castsi256_si128(total), _mm256_extracti128_si256(total, 1));
  const auto lanes = static_cast<std::uint64_t>(_mm_cvtsi128_si64(half)) +
                     static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(half, half)));
  return static_cast<std::uint32_t>(lanes) + Portable(bytes.subspan(at));
}

#undef VANTORIX_SUM32

bool HasAvx2() { return __builtin_cpu_supports("avx2"); }
#endif

}  // namespace byte_sum

std::uint32_t ByteSum(std::span<const std::uint8_t> bytes) {
#if defined(__x86_64__)
  static const bool avx2 = byte_sum::HasAvx2();
  return avx2 ? byte_sum::Avx2(bytes) : byte_sum::Portable(bytes);
#else
  return byte_sum::Portable(bytes);
#endif
}

}  // namespace vantorix
