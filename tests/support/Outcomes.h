#pragma once

#include <charconv>
#include <initializer_list>
#include <sstream>
#include <string>
#include <string_view>
#include <type_traits>

#include "ErrorNumberOf.h"

namespace vantorix::test {

// Each result as text, or E and the error number: "0 2 2 4 E6".
template <class In, class Convert>
std::string Outcomes(Convert convert, std::initializer_list<In> inputs) {
  std::ostringstream text;
  for (const In& input : inputs) {
    if (text.tellp() > 0) text << ' ';
    if (const int error = test::ErrorNumberOf([&] { convert(input); })) {
      text << 'E' << error;
    } else if constexpr (std::is_floating_point_v<decltype(convert(input))>) {
      char shortest[32];  // the text that reads back as exactly this double
      text << std::string_view(shortest, std::to_chars(shortest, shortest + 32, convert(input)).ptr);
    } else if constexpr (std::is_arithmetic_v<decltype(convert(input))>) {
      text << +convert(input);  // a byte as a number
    } else {
      text << convert(input);
    }
  }
  return text.str();
}

}  // namespace vantorix::test
