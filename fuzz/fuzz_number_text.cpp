// The text-to-number conversions that the PROMID write and the change dialog use, and
// the number texts that the grid and the log show, fed arbitrary text and doubles.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "FuzzCheck.h"
#include "foundation/NumberText.h"
#include "foundation/RuntimeError.h"

namespace vantorix::fuzz {
namespace {

using namespace vantorix::number;

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

void CheckDecimalText(const std::string& text) {
  double value = 0;
  try {
    value = ParseDecimal(text);
  } catch (const RuntimeError& error) {
    Check(error.Number() == 13 || error.Number() == 6, "ParseDecimal fails only with Type mismatch or Overflow");
    return;
  }
  Check(std::isfinite(value), "ParseDecimal gives a finite number");
  // Whatever it accepts, the C library reads the same way to the same value.
  std::size_t begin = 0;
  while (begin < text.size() && IsBlank(text[begin])) ++begin;
  const std::string trimmed = text.substr(begin);
  char* end = nullptr;
  errno = 0;
  const double reference = std::strtod(trimmed.c_str(), &end);
  Check(end != trimmed.c_str(), "accepted text is a number to strtod too", text);
  if (errno != ERANGE) Check(reference == value, "ParseDecimal agrees with strtod", text);
  while (*end != '\0') Check(IsBlank(*end++), "only blanks follow the number", text);
}

void CheckHexText(const std::string& text) {
  std::int32_t value = 0;
  try {
    value = ParseHexLong(text);
  } catch (const RuntimeError& error) {
    Check(error.Number() == 13 || error.Number() == 6, "ParseHexLong fails only with Type mismatch or Overflow");
    return;
  }
  std::string canonical;
  for (const char c : text) canonical += static_cast<char>(c >= 'a' && c <= 'f' ? c - 'a' + 'A' : c);
  canonical.erase(0, std::min(canonical.find_first_not_of('0'), canonical.size() - 1));
  Check(HexText(static_cast<std::uint32_t>(value)) == canonical, "ParseHexLong reads back as HexText", text);
}

void CheckNumber(double value) {
  // The 16-bit and byte conversions either give the rounded value or report Overflow.
  try {
    const std::int16_t integer = ToInteger(value);
    Check(std::fabs(integer - value) <= 0.5, "ToInteger rounds to the nearest integer");
  } catch (const RuntimeError& error) {
    Check(error.Number() == 6 && !(std::fabs(value) < 32767.5), "ToInteger overflows only outside its range");
  }
  try {
    const std::uint8_t byte = ToByte(value);
    Check(std::fabs(byte - value) <= 0.5, "ToByte rounds to the nearest integer");
  } catch (const RuntimeError& error) {
    Check(error.Number() == 6 && !(value >= -0.5 && value < 255.5), "ToByte overflows only outside its range");
  }
  if (!std::isfinite(value)) return;
  const double rounded = RoundHalfEven(value);
  Check(std::fabs(rounded - value) <= 0.5 && rounded == std::floor(rounded), "RoundHalfEven gives a near integer");
  if (std::fabs(value) < 1e15) {
    const double hundredths = RoundTwoDecimals(value);
    Check(std::fabs(hundredths - value) <= 0.005 + 1e-12 * std::fabs(value), "RoundTwoDecimals stays within 0.005");
  }
  // The general text reads back to the same text. Limited to normal numbers well inside
  // the double range: 15 digits of the very largest round past the range, and
  // subnormals are no value that any window shows.
  if (value != 0 && (std::fabs(value) < std::numeric_limits<double>::min() || std::fabs(value) > 1e300)) return;
  const std::string text = GeneralText(value);
  const double back = ParseDecimal(text);
  Check(GeneralText(back) == text, "GeneralText reads back to itself", text);
  Check(std::fabs(back - value) <= 1e-14 * std::fabs(value), "GeneralText keeps 15 significant digits", text);
}

}  // namespace
}  // namespace vantorix::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantorix::fuzz;
  const std::string text(reinterpret_cast<const char*>(data), size);
  CheckDecimalText(text);
  CheckHexText(text);
  for (std::size_t at = 0; at + sizeof(double) <= size && at < 64; at += sizeof(double)) {
    double value = 0;
    std::memcpy(&value, data + at, sizeof value);
    CheckNumber(value);
  }
  return 0;
}
