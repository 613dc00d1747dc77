#include "foundation/NumberText.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "foundation/RuntimeError.h"

namespace vantorix::number {

namespace {

template <class Int>
Int RoundInto(double value) {
  const double rounded = RoundHalfEven(value);
  constexpr double low = static_cast<double>(std::numeric_limits<Int>::min());
  constexpr double high = static_cast<double>(std::numeric_limits<Int>::max());
  if (!(rounded >= low && rounded <= high)) throw RuntimeError(ErrorNumber::Overflow, GeneralText(value));
  return static_cast<Int>(rounded);
}

}  // namespace

double RoundHalfEven(double value) {
  const double floor = std::floor(value);
  const double fraction = value - floor;
  if (fraction < 0.5) return floor;
  if (fraction > 0.5) return floor + 1.0;
  return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

std::int16_t ToInteger(double value) { return RoundInto<std::int16_t>(value); }
std::int32_t ToLong(double value) { return RoundInto<std::int32_t>(value); }
std::uint8_t ToByte(double value) { return RoundInto<std::uint8_t>(value); }

std::int16_t AddIntegers(std::int32_t a, std::int32_t b) {
  const std::int64_t sum = static_cast<std::int64_t>(a) + b;
  if (sum < std::numeric_limits<std::int16_t>::min() || sum > std::numeric_limits<std::int16_t>::max())
    throw RuntimeError(ErrorNumber::Overflow, std::to_string(sum));
  return static_cast<std::int16_t>(sum);
}

std::string GeneralText(double value) {
  if (value == 0.0) return "0";  // also turns -0 into 0
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";
  std::array<char, 64> buffer{};
  const auto result =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::general, 15);
  std::string text(buffer.data(), result.ptr);
  for (char& c : text)
    if (c == 'e') c = 'E';
  return text;
}

std::string HexText(std::uint32_t value, int minDigits) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  do {
    text.insert(text.begin(), kDigits[value & 0xFU]);
    value >>= 4U;
  } while (value != 0);
  if (static_cast<int>(text.size()) < minDigits) text.insert(0, static_cast<std::size_t>(minDigits) - text.size(), '0');
  return text;
}

double RoundTwoDecimals(double value) {
  if (!std::isfinite(value)) return value;
  std::array<char, 400> buffer{};
  const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, 2);
  double rounded = 0.0;
  std::from_chars(buffer.data(), written.ptr, rounded);
  return rounded;
}

double ParseDecimal(const std::string& text) {
  // Scanned by hand: a backtracking regex recurses once per character and overflows the
  // stack on a long pasted text (50,000 digits were enough), ending the program.
  const auto isBlank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && isBlank(text[begin])) ++begin;
  while (end > begin && isBlank(text[end - 1])) --end;
  const bool negative = begin < end && text[begin] == '-';
  if (begin < end && (text[begin] == '-' || text[begin] == '+')) ++begin;

  // digits [point [digits]] | point digits, then an optional exponent with digits
  std::size_t at = begin;
  const auto skipDigits = [&] {
    const std::size_t from = at;
    while (at < end && isDigit(text[at])) ++at;
    return at - from;
  };
  std::size_t mantissaDigits = skipDigits();
  if (at < end && text[at] == '.') {
    ++at;
    mantissaDigits += skipDigits();
  }
  bool wellFormed = mantissaDigits > 0;
  if (wellFormed && at < end && (text[at] == 'e' || text[at] == 'E')) {
    ++at;
    if (at < end && (text[at] == '+' || text[at] == '-')) ++at;
    wellFormed = skipDigits() > 0;
  }
  if (!wellFormed || at != end) throw RuntimeError(ErrorNumber::TypeMismatch, "\"" + text + "\"");

  double value = 0.0;
  const auto result = std::from_chars(text.data() + begin, text.data() + end, value);
  if (result.ec == std::errc::result_out_of_range) throw RuntimeError(ErrorNumber::Overflow, text);
  return negative ? -value : value;
}

std::int32_t ParseHexLong(const std::string& text) {
  if (text.empty()) throw RuntimeError(ErrorNumber::TypeMismatch, "empty text");
  std::uint64_t value = 0;
  for (const char c : text) {
    int digit = 0;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else
      throw RuntimeError(ErrorNumber::TypeMismatch, "\"" + text + "\" is not hexadecimal");
    value = value * 16U + static_cast<unsigned>(digit);
    if (value > 0xFFFFFFFFULL) throw RuntimeError(ErrorNumber::Overflow, text);
  }
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

}  // namespace vantorix::number
