#include "bin/clsBINFile.h"
#include "foundation/NumberText.h"
#include "foundation/RuntimeError.h"
#include "pe/PeModel.h"

namespace vantorix {

double clsBINFile::Calculate_PE_AFR(std::int16_t intCoolantModifier, std::int16_t intRPMModifier) {
  return Trapped("Calculate_PE_AFR", [&] { return pe::TargetAfr(intCoolantModifier, intRPMModifier); });
}

std::int16_t clsBINFile::CalculateRPMModifier(std::int16_t intCoolantModifier, double dblNewAFR) {
  return Trapped("CalculateRPMModifier", [&] { return pe::SolveModifier(intCoolantModifier, dblNewAFR); });
}

std::int16_t clsBINFile::CalculateCoolantModifier(std::int16_t intRPMModifier, double dblNewAFR) {
  return Trapped("CalculateCoolantModifier", [&] { return pe::SolveModifier(intRPMModifier, dblNewAFR); });
}

std::int16_t clsBINFile::GetHEX(std::int32_t intHexPosition) {
  return Trapped("GetHex", [&] { return pe::TablePosition(m_strMask, intHexPosition); });
}

std::vector<std::int16_t> clsBINFile::GetPEModifiers_Coolant() {
  return Trapped("GetPEModifiers_Coolant",
                 [this] { return ReadModifierTable(pe::FirstCoolant, pe::LastCoolant, "Coolant"); });
}

std::vector<std::int16_t> clsBINFile::GetPEModifiers_RPM() {
  return Trapped("GetPEModifiers_RPM", [this] { return ReadModifierTable(pe::FirstRpm, pe::LastRpm, "RPM"); });
}

bool clsBINFile::PutPEModifier_Coolant(std::int16_t intArrayPos, std::int16_t intNewValue) {
  return Trapped("PutPEModifier_Coolant",
                 [&] { return PutModifier(pe::FirstCoolant, pe::kCoolantEntries, intArrayPos, intNewValue); });
}

bool clsBINFile::PutPEModifier_RPM(std::int16_t intArrayPos, std::int16_t intNewValue) {
  return Trapped("PutPEModifier_RPM",
                 [&] { return PutModifier(pe::FirstRpm, pe::kRpmEntries, intArrayPos, intNewValue); });
}

std::vector<std::int16_t> clsBINFile::ReadModifierTable(std::int32_t firstIndex, std::int32_t lastIndex,
                                                        std::string_view tableName) {
  const std::int16_t first = GetHEX(firstIndex);
  const std::int16_t last = GetHEX(lastIndex);
  const std::string name(tableName);
  m_shell.WriteLog("Gathering WOT PE " + name + " Modifiers from file...");
  std::vector<std::int16_t> aintModifiers;
  // A mask without tables gives position 0, which does not exist: the read fails there.
  for (std::int32_t position = first; position <= last; ++position) aintModifiers.push_back(ByteAtOffset(position - 1));
  m_shell.WriteLog("WOT PE " + name + " Modifiers gathered from file successfully.");
  return aintModifiers;
}

bool clsBINFile::PutModifier(std::int32_t firstIndex, std::int32_t entries, std::int16_t intArrayPos,
                             std::int16_t intNewValue) {
  const std::int16_t first = GetHEX(firstIndex);
  if (first == 0) throw RuntimeError(ErrorNumber::InvalidProcedureCall, "mask " + m_strMask + " has no PE tables");
  // Refused rather than written: a stray element number would land in unrelated calibration bytes.
  if (intArrayPos < 1 || intArrayPos > entries)
    throw RuntimeError(ErrorNumber::SubscriptOutOfRange, "table element " + std::to_string(intArrayPos));
  const std::int16_t position = number::AddIntegers(intArrayPos, first - 1);
  const std::uint8_t value = number::ToByte(intNewValue);
  ByteAtOffset(position - 1) = value;
  m_blnChanged = true;
  return true;
}

}  // namespace vantorix
