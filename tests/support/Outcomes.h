#pragma once

#include <charconv>
#include <initializer_list>
#include <sstream>
#include <string>
#include <string_view>
#include <type_traits>

#include "foundation/RuntimeError.h"

namespace vantorix::test {

// "number description" of the run-time error the call raises, or empty text.
template <class Call>
std::string ErrorTextOf(Call&& call) {
  try {
    call();
  } catch (const RuntimeError& error) {
    return std::to_string(error.Number()) + " " + error.Description();
  }
  return {};
}

// Each result as text, or E and the error number: "0 2 2 4 E6". Each input is converted once.
template <class In, class Convert>
std::string Outcomes(Convert convert, std::initializer_list<In> inputs) {
  std::ostringstream text;
  for (const In& input : inputs) {
    if (text.tellp() > 0) text << ' ';
    try {
      const auto result = convert(input);
      if constexpr (std::is_floating_point_v<std::remove_const_t<decltype(result)>>) {
        char shortest[32];  // the text that reads back as exactly this double
        text << std::string_view(shortest, std::to_chars(shortest, shortest + 32, result).ptr);
      } else if constexpr (std::is_arithmetic_v<std::remove_const_t<decltype(result)>>) {
        text << +result;  // a byte as a number
      } else {
        text << result;
      }
    } catch (const RuntimeError& error) {
      text << 'E' << error.Number();
    }
  }
  return text.str();
}

}  // namespace vantorix::test
