#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Where two images differ, named by the part of the calibration each difference hits:
// what `vantorix-cli diff` prints and what the window's Image Details shows as the
// changes since an image was opened.
namespace vantorix::diff {

// The part of an image of the given mask (its mask text, "8D") that holds the byte at
// the offset: "identity: PROM ID", "checksum", "PE coolant modifiers", "wideband patch:
// hook", ..., or "other".
std::string AreaOf(std::size_t offset, const std::string& mask);

// Neighbouring differing bytes that lie in one area.
struct Run {
  std::size_t offset;
  std::size_t length;
  std::string area;
};

// The runs over the bytes both images have, in ascending order; areas are those of mask.
std::vector<Run> DifferingRuns(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b,
                               const std::string& mask);

// One run as a line: "0x0006-0x0007      2 bytes  checksum: 70 9D -> 79 62". A run of
// up to eight bytes shows them, old -> new.
std::string RunLine(const Run& run, std::span<const std::uint8_t> a, std::span<const std::uint8_t> b);

// How many bytes differ, every byte past the end of the shorter image included.
std::size_t DifferingBytes(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b);

}  // namespace vantorix::diff
