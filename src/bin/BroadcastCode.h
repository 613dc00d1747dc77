#pragma once

#include <array>
#include <string_view>

// How an image's broadcast code (BCC) is told. The two $6E codes share one patch and
// are not told apart.
namespace vantorix::bcc {

inline constexpr std::string_view kAxxc = "AXXC";
inline constexpr std::string_view kAujp = "AUJP";
inline constexpr std::string_view k6E = "ARAP or APYP";
inline constexpr std::string_view kUnknown = "XXXX";

struct IdentificationByte {
  double position;  // 1-based, as GetValueFromBin takes it
  std::string_view axxcValue;
};

// A $8D image is AXXC when all three bytes hold these values, AUJP otherwise.
// (File offsets 0x7168, 0x717C and 0x71C3.) None of them is written by the patch.
inline constexpr std::array<IdentificationByte, 3> kAxxcIdentification{{
    {0x7168 + 1, "60"},
    {0x717C + 1, "89"},
    {0x71C3 + 1, "64"},
}};

}  // namespace vantorix::bcc
