#pragma once

#include <cstdint>
#include <string>

// Number conversions and number texts shared by every part of the program, so that
// a value is rounded and written the same way wherever it appears.
namespace vantorix::number {

// Rounds to the nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
double RoundHalfEven(double value);

// Conversions that round halves to even and raise Overflow (6) outside the target range.
std::int16_t ToInteger(double value);
std::int32_t ToLong(double value);
std::uint8_t ToByte(double value);

// Sum of two 16-bit integers; Overflow (6) when the sum leaves the 16-bit range.
std::int16_t AddIntegers(std::int32_t a, std::int32_t b);

// General number text: at most 15 significant digits, no trailing zeros or point,
// "-" for negatives, no thousands separator (14.7, 15, 3.2, 219.2, -40, 1E+15).
// Independent of the C locale.
std::string GeneralText(double value);

// Upper-case hexadecimal digits without prefix, left-padded with "0" to minDigits.
std::string HexText(std::uint32_t value, int minDigits = 0);

// The ratio rounded to two decimals, as formatting with "##.00" and reading back gives it.
double RoundTwoDecimals(double value);

// Reads decimal text (blanks around it, an optional sign, a decimal point and an
// exponent are accepted); anything else is Type mismatch (13).
double ParseDecimal(const std::string& text);

// Reads 1 to 8 hexadecimal digits (either case) as a 32-bit long, as "&H" + text reads:
// eight digits from 80000000 on give negative values. Empty or non-hex text is Type
// mismatch (13); more than eight digits is Overflow (6).
std::int32_t ParseHexLong(const std::string& text);

}  // namespace vantorix::number
