#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace vantorix {

// What an image's bytes say about themselves, decoded in one place for the image object,
// the version history and Image Details. Each field decoder throws Subscript out of range
// (9), naming the position, when the image is too short to hold its field.
namespace identity {

// The byte at a 0-based file offset.
std::uint8_t ByteAt(std::span<const std::uint8_t> bytes, std::int64_t offset);
// The mask byte as upper-case hexadecimal without a leading zero: "8D", "6E", "5".
std::string MaskText(std::span<const std::uint8_t> bytes);
// The PROM ID, big-endian, as decimal text.
std::string PromIdText(std::span<const std::uint8_t> bytes);
// The stored checksum, big-endian, as four hexadecimal digits.
std::string StoredChecksumText(std::span<const std::uint8_t> bytes);

}  // namespace identity

// All of them at once, for bytes that may be of any length; a field the bytes are too
// short to hold is empty.
struct ImageIdentity {
  std::size_t size = 0;
  std::string mask;
  std::string promId;
  std::string storedChecksum;
  friend bool operator==(const ImageIdentity&, const ImageIdentity&) = default;
};
ImageIdentity IdentityOf(std::span<const std::uint8_t> bytes);

}  // namespace vantorix
