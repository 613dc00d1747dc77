#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace vantorix::test {

// Builds made-up calibration images in memory for tests, fuzz seeds and benchmarks.
// The layout is written down here on its own, from the image format, so that a wrong
// offset in the program shows up as a failing test instead of agreeing with itself.
class TestImage {
 public:
  // Offsets of the image format.
  static constexpr std::size_t kPromIdOffset = 0x0000;
  static constexpr std::size_t kChecksumOffset = 0x0006;
  static constexpr std::size_t kMaskOffset = 0x0008;
  static constexpr std::size_t kTransmission8D = 0x0018;
  static constexpr std::size_t kTransmission6E = 0x0249;
  static constexpr std::size_t kCoolant8D = 0x060E;
  static constexpr std::size_t kRpm8D = 0x0617;
  static constexpr std::size_t kCoolant6E = 0x050C;
  static constexpr std::size_t kRpm6E = 0x0515;
  static constexpr std::size_t kCoolant32 = 0x0614;
  static constexpr std::size_t kRpm32 = 0x061D;
  static constexpr std::array<std::size_t, 3> kBccOffsets{0x7168, 0x717C, 0x71C3};
  static constexpr std::array<std::uint8_t, 3> kAxxcBytes{0x3C, 0x59, 0x40};

  // size bytes, filled with a varied pattern so that no table or identity byte is 0 by accident.
  explicit TestImage(std::size_t size = 32768, std::uint8_t mask = 0x8D);

  TestImage& Fill(std::uint8_t value);  // every byte, the mask byte included
  TestImage& Mask(std::uint8_t mask);
  TestImage& PromId(std::uint16_t id);
  TestImage& StoredChecksum(std::uint16_t checksum);
  // Makes the stored checksum agree with the bytes (sum from 0x0008 on, modulo 65536).
  TestImage& CorrectChecksum();
  TestImage& Manual(bool manual);  // the transmission bit of the current mask
  TestImage& CoolantModifiers(const std::array<std::uint8_t, 9>& values);
  TestImage& RpmModifiers(const std::array<std::uint8_t, 17>& values);
  TestImage& Axxc();                // the three identification bytes of an AXXC image
  TestImage& Aujp();                // a $8D image that is not AXXC
  TestImage& Byte(std::size_t offset, std::uint8_t value);

  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  std::uint8_t At(std::size_t offset) const { return bytes_.at(offset); }
  // The checksum the program must compute for these bytes.
  std::uint16_t ExpectedChecksum() const;

  std::size_t CoolantOffset() const;  // of the current mask's PE tables
  std::size_t RpmOffset() const;

  // Writes the image to the path and returns the path.
  std::filesystem::path WriteTo(const std::filesystem::path& path) const;

 private:
  std::vector<std::uint8_t> bytes_;
};

// Reads a whole file (for comparing what a save wrote).
std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path);

}  // namespace vantorix::test
