#include "bin/basStringFunctions.h"

#include "foundation/RuntimeError.h"

namespace vantorix {

std::string PadLeft(const std::string& text, std::int16_t length, const std::string& fill) {
  if (length == 0) return {};
  if (length < 0) throw RuntimeError(ErrorNumber::InvalidProcedureCall, "negative length");
  const auto wanted = static_cast<std::size_t>(length);
  if (text.size() >= wanted) return text.substr(0, wanted);
  if (fill.empty()) throw RuntimeError(ErrorNumber::InvalidProcedureCall, "empty fill text");
  return std::string(wanted - text.size(), fill.front()) + text;
}

std::string ByteToBinaryString(std::uint8_t value) {
  std::string digits;
  unsigned rest = value;
  do {
    digits.insert(digits.begin(), (rest & 1U) != 0 ? '1' : '0');
    rest >>= 1U;
  } while (rest != 0);
  return PadLeft(digits, 8, "0");
}

}  // namespace vantorix
