#include "pe/AfrChange.h"

#include "foundation/NumberText.h"
#include "foundation/RuntimeError.h"
#include "pe/PeModel.h"

namespace vantorix::afr_change {

std::string UnsolvableText(const std::string& kind, std::int16_t kept, double wanted) {
  try {
    pe::SolveModifier(kept, wanted);
    return {};
  } catch (const RuntimeError&) {
    return "No new " + kind + " Modifier can be calculated for a Target Air/Fuel Ratio of " +
           number::GeneralText(wanted) +
           (wanted == 0.0 ? " (a division by zero)" : " (it would lie outside -32768 to 32767)") +
           ".  Please try again, for example with 12.5.";
  }
}

std::string ModifierText(std::int16_t modifier) {
  return std::to_string(modifier) + " (" + number::HexText(static_cast<std::uint32_t>(modifier)) + ")";
}

bool AcceptModifier(Shell& shell, const std::string& kind, std::int16_t modifier) {
  const bool tooRich = modifier >= 256;
  if (tooRich || modifier < 0) {
    const std::string what = tooRich ? "Excessive " : "Negative ";
    shell.MsgBox("New " + kind + " Modifier is invalid.  The AFR you have chosen is too " +
                     (tooRich ? "RICH" : "LEAN") + ".  Please try again.",
                 MsgBoxStyle::Exclamation, what + kind + " Modifier", BoxKind::Message("ModifierOutOfRange"));
    shell.WriteLog(what + kind + " Modifier (" + std::to_string(modifier) + ").  Cannot calculate new AFRs.");
    return false;
  }
  shell.WriteLog(kind + " Modifier calculated.  New " + kind + " Modifier = " + ModifierText(modifier));
  return true;
}

}  // namespace vantorix::afr_change
