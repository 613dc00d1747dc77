#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/NumberText.h"
#include "foundation/RuntimeError.h"
#include "foundation/Shell.h"
#include "pe/PeModel.h"

// The rules of a target AFR change that the change dialog and the command-line tool
// share, so that both accept, refuse and explain a change in the same words. No Qt here.
namespace vantorix::afr_change {

inline constexpr std::string_view kNotANumberText =
    "Please enter the new Target Air/Fuel Ratio as a number, for example 12.5.";

// Why no modifier can be solved for the wanted AFR beside the kept modifier of the other
// table; empty when one can, however far outside 0..255 it lies (AcceptModifier refuses
// that as too rich or too lean). A wanted AFR of 0 divides by zero, and one this close to
// 0 (below about 0.1146 beside a kept 0) solves to a modifier past the 16-bit range. The
// solve would report its failure and hand back 0 as if it were a modifier, so such an
// entry is refused before the solve. kind is "RPM" or "Coolant".
std::string UnsolvableText(const std::string& kind, std::int16_t kept, double wanted);

// A modifier in decimal and, in parentheses, hexadecimal: "131 (83)".
std::string ModifierText(std::int16_t modifier);

// Whether a solved modifier fits its byte. A modifier above 255 would be too rich and
// one below 0 too lean: the refusal is shown and logged, and nothing is to be stored.
// kind is "RPM" or "Coolant".
bool AcceptModifier(Shell& shell, const std::string& kind, std::int16_t modifier);

}  // namespace vantorix::afr_change
