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
// PSADBW against zero adds eight bytes into a 64-bit lane in one step; four independent
// accumulators keep the adds from waiting on each other.

std::uint32_t Sse2(std::span<const std::uint8_t> bytes) {
  const std::uint8_t* const data = bytes.data();
  const std::size_t size = bytes.size();
  const __m128i zero = _mm_setzero_si128();
  __m128i sums[4] = {zero, zero, zero, zero};
  const auto add = [&](__m128i& into, std::size_t at) {
    into = _mm_add_epi64(into, _mm_sad_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at)), zero));
  };
  std::size_t at = 0;
  for (; at + 64 <= size; at += 64)
    for (std::size_t k = 0; k < 4; ++k) add(sums[k], at + 16 * k);
  for (; at + 16 <= size; at += 16) add(sums[0], at);
  const __m128i total = _mm_add_epi64(_mm_add_epi64(sums[0], sums[1]), _mm_add_epi64(sums[2], sums[3]));
  const auto lanes = static_cast<std::uint64_t>(_mm_cvtsi128_si64(total)) +
                     static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(total, total)));
  return static_cast<std::uint32_t>(lanes) + Portable(bytes.subspan(at));
}

// No lambdas here: they would not inherit the target attribute.
__attribute__((target("avx2"))) std::uint32_t Avx2(std::span<const std::uint8_t> bytes) {
  const std::uint8_t* const data = bytes.data();
  const std::size_t size = bytes.size();
  const __m256i zero = _mm256_setzero_si256();
  __m256i sums[4] = {zero, zero, zero, zero};
  std::size_t at = 0;
  for (; at + 128 <= size; at += 128)
    for (std::size_t k = 0; k < 4; ++k)
      sums[k] = _mm256_add_epi64(
          sums[k], _mm256_sad_epu8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + at + 32 * k)), zero));
  for (; at + 32 <= size; at += 32)
    sums[0] = _mm256_add_epi64(sums[0],
                               _mm256_sad_epu8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + at)), zero));
  const __m256i total = _mm256_add_epi64(_mm256_add_epi64(sums[0], sums[1]), _mm256_add_epi64(sums[2], sums[3]));
  const __m128i half = _mm_add_epi64(_mm256_castsi256_si128(total), _mm256_extracti128_si256(total, 1));
  const auto lanes = static_cast<std::uint64_t>(_mm_cvtsi128_si64(half)) +
                     static_cast<std::uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(half, half)));
  return static_cast<std::uint32_t>(lanes) + Portable(bytes.subspan(at));
}

bool HasAvx2() { return __builtin_cpu_supports("avx2"); }
#endif

}  // namespace byte_sum

std::uint32_t ByteSum(std::span<const std::uint8_t> bytes) {
#if defined(__x86_64__)
  static const bool avx2 = byte_sum::HasAvx2();
  return avx2 ? byte_sum::Avx2(bytes) : byte_sum::Sse2(bytes);
#else
  return byte_sum::Portable(bytes);
#endif
}

}  // namespace vantorix
