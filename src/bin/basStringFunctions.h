#pragma once

#include <cstdint>
#include <string>

namespace vantorix {

// Cuts the text to `length` characters or pads it on the left with the first character
// of `fill`. Length 0 gives empty text. A negative length, or padding with an empty
// fill text, is Invalid procedure call (5).
std::string PadLeft(const std::string& text, std::int16_t length, const std::string& fill);

// The byte as eight "0"/"1" characters, most significant bit first (0x8D -> 10001101).
std::string ByteToBinaryString(std::uint8_t value);

}  // namespace vantorix
