#include "bin/ImageIdentity.h"

#include "bin/ImageLayout.h"
#include "foundation/NumberText.h"
#include "foundation/RuntimeError.h"

namespace vantorix {

namespace identity {

std::uint8_t ByteAt(std::span<const std::uint8_t> bytes, std::int64_t offset) {
  if (offset < 0 || static_cast<std::uint64_t>(offset) >= bytes.size())
    throw RuntimeError(ErrorNumber::SubscriptOutOfRange, "position " + std::to_string(offset + 1) + " of an image of " +
                                                             std::to_string(bytes.size()) + " bytes");
  return bytes[static_cast<std::size_t>(offset)];
}

namespace {

unsigned WordAt(std::span<const std::uint8_t> bytes, std::size_t high) {
  const auto offset = static_cast<std::int64_t>(high);
  return ByteAt(bytes, offset) * 256U + ByteAt(bytes, offset + 1);
}

}  // namespace

std::string MaskText(std::span<const std::uint8_t> bytes) {
  return number::HexText(ByteAt(bytes, static_cast<std::int64_t>(layout::kMaskOffset)));
}

std::string PromIdText(std::span<const std::uint8_t> bytes) {
  return std::to_string(WordAt(bytes, layout::kPromIdOffset));
}

std::string StoredChecksumText(std::span<const std::uint8_t> bytes) {
  return number::HexText(WordAt(bytes, layout::kStoredChecksumOffset), 4);
}

}  // namespace identity

ImageIdentity IdentityOf(std::span<const std::uint8_t> bytes) {
  const auto field = [&](std::string (*decode)(std::span<const std::uint8_t>)) {
    try {
      return decode(bytes);
    } catch (const RuntimeError&) {
      return std::string();
    }
  };
  return {bytes.size(), field(identity::MaskText), field(identity::PromIdText), field(identity::StoredChecksumText)};
}

}  // namespace vantorix
