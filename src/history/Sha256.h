#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace vantorix::history {

// The SHA-256 digest of the bytes as 64 lower-case hexadecimal digits, by nettle.
std::string Sha256(std::span<const std::uint8_t> bytes);

}  // namespace vantorix::history
