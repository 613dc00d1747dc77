#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <utility>
#include <vector>

namespace vantorix::test {

// Builds made-up calibration images in memory for tests, fuzz seeds and benchmarks.
// The layout is written down here on its own, from the image format, so that a wrong
// offset in the program shows up as a failing test instead of agreeing with itself.
class TestImage {
 public:
  // Offsets of the image format.
  static constexpr std::size_t kPromIdOffset = 0x0000, kChecksumOffset = 0x0006, kMaskOffset = 0x0008;
  static constexpr std::size_t kTransmission8D = 0x0018, kTransmission6E = 0x0249;  // where the transmission bit lies
  static constexpr std::size_t kCoolant8D = 0x060E, kRpm8D = 0x0617, kCoolant6E = 0x050C, kRpm6E = 0x0515,
                               kCoolant32 = 0x0614, kRpm32 = 0x061D;  // the PE tables of each mask
  static constexpr std::array<std::size_t, 3> kBccOffsets{0x7168, 0x717C, 0x71C3};
  static constexpr std::array<std::uint8_t, 3> kAxxcBytes{0x3C, 0x59, 0x40};

  // size bytes, filled with a varied pattern so that no table or identity byte is 0 by accident.
  explicit TestImage(std::size_t size = 32768, std::uint8_t mask = 0x8D) : bytes_(size) {
    for (std::size_t i = 0; i < size; ++i) bytes_[i] = static_cast<std::uint8_t>((i * 7U + 13U) & 0xFFU);
    if (size > kMaskOffset) Mask(mask);
  }
  explicit TestImage(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}  // as given

  TestImage& Byte(std::size_t offset, std::uint8_t value) { return bytes_.at(offset) = value, *this; }
  TestImage& Fill(std::uint8_t value) { return bytes_.assign(bytes_.size(), value), *this; }  // the mask byte too
  TestImage& Mask(std::uint8_t mask) { return Byte(kMaskOffset, mask); }
  TestImage& PromId(std::uint16_t id) { return Word(kPromIdOffset, id); }
  TestImage& StoredChecksum(std::uint16_t checksum) { return Word(kChecksumOffset, checksum); }
  // Makes the stored checksum agree with the bytes (sum from 0x0008 on, modulo 65536).
  TestImage& CorrectChecksum() { return StoredChecksum(ExpectedChecksum()); }
  TestImage& Manual(bool manual) {  // the transmission bit of the current mask
    const bool is6E = At(kMaskOffset) == 0x6E;
    const std::size_t offset = is6E ? kTransmission6E : kTransmission8D;
    const std::uint8_t bit = is6E ? 0x01 : 0x04;
    return Byte(offset, static_cast<std::uint8_t>(manual ? (At(offset) | bit) : (At(offset) & ~bit)));
  }
  TestImage& CoolantModifiers(const std::array<std::uint8_t, 9>& values) { return Run(CoolantOffset(), values); }
  TestImage& RpmModifiers(const std::array<std::uint8_t, 17>& values) { return Run(RpmOffset(), values); }
  TestImage& Axxc() {  // the three identification bytes of an AXXC image
    for (std::size_t i = 0; i < kBccOffsets.size(); ++i) Byte(kBccOffsets[i], kAxxcBytes[i]);
    return *this;
  }
  TestImage& Aujp() { return Axxc().Byte(kBccOffsets[1], 0x00); }  // a $8D image that is not AXXC

  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  std::uint8_t At(std::size_t offset) const { return bytes_.at(offset); }
  // The checksum the program must compute for these bytes.
  std::uint16_t ExpectedChecksum() const {
    std::uint32_t sum = 0;
    for (std::size_t i = 8; i < bytes_.size(); ++i) sum += bytes_[i];
    return static_cast<std::uint16_t>(sum & 0xFFFFU);
  }
  // Where the current mask keeps its PE tables.
  std::size_t CoolantOffset() const { return TableOffset(kCoolant8D, kCoolant6E, kCoolant32); }
  std::size_t RpmOffset() const { return TableOffset(kRpm8D, kRpm6E, kRpm32); }

  // Writes the image to the path and returns the path.
  std::filesystem::path WriteTo(const std::filesystem::path& path) const;

 private:
  TestImage& Word(std::size_t offset, std::uint16_t value) {
    return Byte(offset, static_cast<std::uint8_t>(value >> 8U))
        .Byte(offset + 1, static_cast<std::uint8_t>(value & 0xFFU));
  }
  template <std::size_t N>
  TestImage& Run(std::size_t offset, const std::array<std::uint8_t, N>& values) {
    for (std::size_t i = 0; i < N; ++i) Byte(offset + i, values[i]);
    return *this;
  }
  std::size_t TableOffset(std::size_t of8D, std::size_t of6E, std::size_t of32) const {
    const std::uint8_t mask = At(kMaskOffset);
    if (mask != 0x8D && mask != 0x6E && mask != 0x32) throw std::logic_error("this mask has no PE tables");
    return mask == 0x8D ? of8D : mask == 0x6E ? of6E : of32;
  }
  std::vector<std::uint8_t> bytes_;
};

// Reads a whole file (for comparing what a save wrote).
std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path);

}  // namespace vantorix::test
