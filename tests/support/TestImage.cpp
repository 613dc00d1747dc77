#include "TestImage.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace vantorix::test {

TestImage::TestImage(std::size_t size, std::uint8_t mask) : bytes_(size) {
  for (std::size_t i = 0; i < size; ++i) bytes_[i] = static_cast<std::uint8_t>((i * 7U + 13U) & 0xFFU);
  if (size > kMaskOffset) Mask(mask);
}

TestImage& TestImage::Fill(std::uint8_t value) {
  std::fill(bytes_.begin(), bytes_.end(), value);
  return *this;
}

TestImage& TestImage::Mask(std::uint8_t mask) { return Byte(kMaskOffset, mask); }

TestImage& TestImage::PromId(std::uint16_t id) {
  Byte(kPromIdOffset, static_cast<std::uint8_t>(id >> 8U));
  return Byte(kPromIdOffset + 1, static_cast<std::uint8_t>(id & 0xFFU));
}

TestImage& TestImage::StoredChecksum(std::uint16_t checksum) {
  Byte(kChecksumOffset, static_cast<std::uint8_t>(checksum >> 8U));
  return Byte(kChecksumOffset + 1, static_cast<std::uint8_t>(checksum & 0xFFU));
}

std::uint16_t TestImage::ExpectedChecksum() const {
  std::uint32_t sum = 0;
  for (std::size_t i = 8; i < bytes_.size(); ++i) sum += bytes_[i];
  return static_cast<std::uint16_t>(sum & 0xFFFFU);
}

TestImage& TestImage::CorrectChecksum() { return StoredChecksum(ExpectedChecksum()); }

TestImage& TestImage::Manual(bool manual) {
  const bool is6E = bytes_.at(kMaskOffset) == 0x6E;
  const std::size_t offset = is6E ? kTransmission6E : kTransmission8D;
  const std::uint8_t bit = is6E ? 0x01 : 0x04;
  const auto value = static_cast<std::uint8_t>(manual ? (bytes_.at(offset) | bit) : (bytes_.at(offset) & ~bit));
  return Byte(offset, value);
}

std::size_t TestImage::CoolantOffset() const {
  switch (bytes_.at(kMaskOffset)) {
    case 0x8D: return kCoolant8D;
    case 0x6E: return kCoolant6E;
    case 0x32: return kCoolant32;
    default: throw std::logic_error("this mask has no PE tables");
  }
}

std::size_t TestImage::RpmOffset() const {
  switch (bytes_.at(kMaskOffset)) {
    case 0x8D: return kRpm8D;
    case 0x6E: return kRpm6E;
    case 0x32: return kRpm32;
    default: throw std::logic_error("this mask has no PE tables");
  }
}

TestImage& TestImage::CoolantModifiers(const std::array<std::uint8_t, 9>& values) {
  for (std::size_t i = 0; i < values.size(); ++i) Byte(CoolantOffset() + i, values[i]);
  return *this;
}

TestImage& TestImage::RpmModifiers(const std::array<std::uint8_t, 17>& values) {
  for (std::size_t i = 0; i < values.size(); ++i) Byte(RpmOffset() + i, values[i]);
  return *this;
}

TestImage& TestImage::Axxc() {
  for (std::size_t i = 0; i < kBccOffsets.size(); ++i) Byte(kBccOffsets[i], kAxxcBytes[i]);
  return *this;
}

TestImage& TestImage::Aujp() {
  Axxc();
  return Byte(kBccOffsets[1], 0x00);
}

TestImage& TestImage::Byte(std::size_t offset, std::uint8_t value) {
  bytes_.at(offset) = value;
  return *this;
}

std::filesystem::path TestImage::WriteTo(const std::filesystem::path& path) const {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes_.data()), static_cast<std::streamsize>(bytes_.size()));
  if (!out.flush()) throw std::runtime_error("cannot write test image " + path.string());
  return path;
}

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace vantorix::test
