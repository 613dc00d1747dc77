#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/NumberText.h"
#include "app/Shell.h"

// The rules of a target AFR change that the change dialog and the command-line tool
// share, so that both accept, refuse and explain a change in the same words. No Qt here.
namespace vantorix::afr_change {

// Below this no engine runs; it also keeps the solve far inside its number range.
inline constexpr double kLowestTargetAfr = 1.0;
inline constexpr std::string_view kLowestTargetAfrText =
    "Please enter the new Target Air/Fuel Ratio as a number of at least 1, for example 12.5.";

// A modifier in decimal and, in parentheses, hexadecimal: "131 (83)".
inline std::string ModifierText(std::int16_t modifier) {
  return std::to_string(modifier) + " (" + number::HexText(static_cast<std::uint32_t>(modifier)) + ")";
}

// Whether a solved modifier fits its byte. A modifier above 255 would be too rich and
// one below 0 too lean: the refusal is shown and logged, and nothing is to be stored.
// kind is "RPM" or "Coolant".
inline bool AcceptModifier(Shell& shell, const std::string& kind, std::int16_t modifier) {
  const bool tooRich = modifier >= 256;
  if (tooRich || modifier < 0) {
    const std::string what = tooRich ? "Excessive " : "Negative ";
    shell.MsgBox("New " + kind + " Modifier is invalid.  The AFR you have chosen is too " +
                     (tooRich ? "RICH" : "LEAN") + ".  Please try again.",
                 MsgBoxStyle::Exclamation, what + kind + " Modifier");
    shell.WriteLog(what + kind + " Modifier (" + std::to_string(modifier) + ").  Cannot calculate new AFRs.");
    return false;
  }
  shell.WriteLog(kind + " Modifier calculated.  New " + kind + " Modifier = " + ModifierText(modifier));
  return true;
}

}  // namespace vantorix::afr_change
