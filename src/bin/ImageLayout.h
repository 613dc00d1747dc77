#pragma once

#include <cstddef>

// Where an image keeps its identity, the same for every mask: the image object decodes
// these bytes, and whoever reads an image's bytes without one (the version history) reads
// them from the same places.
namespace vantorix::layout {

inline constexpr std::size_t kPromIdOffset = 0x0000;          // big-endian, two bytes
inline constexpr std::size_t kStoredChecksumOffset = 0x0006;  // big-endian, two bytes
inline constexpr std::size_t kMaskOffset = 0x0008;
inline constexpr std::size_t kChecksummedFrom = 0x0008;  // the sum runs from here to the end

}  // namespace vantorix::layout
