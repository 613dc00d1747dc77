// Any bytes as an image file of any size and mask: open it, run every read-only decode,
// the AFR operations, the table and byte writes, and a save, and check what the user is
// promised at each step. The expectations come from the image layout (TestImage), not
// from the code under test.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "CountingShell.h"
#include "FuzzCheck.h"
#include "TempDir.h"
#include "TestImage.h"
#include "bin/clsBINFile.h"
#include "foundation/NumberText.h"

namespace vantorix::fuzz {
namespace {

using test::TestImage;

struct TableOffsets {
  std::size_t coolant = 0;
  std::size_t rpm = 0;
};

// Where the mask byte says the PE tables are; none for the other masks.
bool TablesOf(std::uint8_t mask, TableOffsets& tables) {
  switch (mask) {
    case 0x8D: tables = {TestImage::kCoolant8D, TestImage::kRpm8D}; return true;
    case 0x6E: tables = {TestImage::kCoolant6E, TestImage::kRpm6E}; return true;
    case 0x32: tables = {TestImage::kCoolant32, TestImage::kRpm32}; return true;
    default: return false;
  }
}

bool IsAcceptedMask(std::uint8_t mask) { return mask == 0x8D || mask == 0x6E || mask == 0x32 || mask == 0xAA; }

void WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  Check(static_cast<bool>(out.flush()), "the scratch file can be written");
}

std::uint16_t SumFrom8(const std::vector<std::uint8_t>& bytes) {
  std::uint32_t sum = 0;
  for (std::size_t k = 8; k < bytes.size(); ++k) sum += bytes[k];
  return static_cast<std::uint16_t>(sum & 0xFFFFU);
}

// A trapped call either succeeds without a word or shows exactly one report and gives
// its failure value.
template <class Result>
void CheckTrapped(test::CountingShell& shell, int reportsBefore, bool failed, Result result, const char* what) {
  const int reports = shell.errorReports - reportsBefore;
  Check(reports == (failed ? 1 : 0), what, "gave " + std::to_string(reports) + " reports");
  if (failed) Check(result == Result{}, what, "failed but did not return its failure value");
}

void CheckModifierTable(const std::vector<std::int16_t>& table, const std::vector<std::uint8_t>& bytes,
                        std::size_t offset, std::size_t entries, bool present, const char* what) {
  if (!present) {
    Check(table.empty(), what, "read from a mask or image without tables");
    return;
  }
  Check(table.size() == entries, what, "has the wrong number of entries");
  for (std::size_t k = 0; k < entries; ++k) Check(table[k] == bytes[offset + k], what, "entry differs from the file");
}

// Both are decoded at open from bytes that a short image may not have; each unreadable
// byte is one report and the open still succeeds.
void CheckTransmissionAndBroadcastCode(clsBINFile& image, const test::CountingShell& shell,
                                       const std::vector<std::uint8_t>& bytes) {
  const std::size_t size = bytes.size();
  std::string transmission;
  std::string code = "XXXX";
  int unreadable = 0;
  if (bytes[8] == 0x8D) {
    transmission = (bytes[TestImage::kTransmission8D] & 0x04) != 0 ? "MANUAL" : "AUTO";
    bool axxc = true;
    for (std::size_t k = 0; k < TestImage::kBccOffsets.size(); ++k) {
      const std::size_t offset = TestImage::kBccOffsets[k];
      if (offset >= size) ++unreadable;
      if (offset >= size || bytes[offset] != TestImage::kAxxcBytes[k]) axxc = false;
    }
    code = axxc ? "AXXC" : "AUJP";
  } else if (bytes[8] == 0x6E) {
    code = "ARAP or APYP";
    if (TestImage::kTransmission6E < size)
      transmission = (bytes[TestImage::kTransmission6E] & 0x01) != 0 ? "MANUAL" : "AUTO";
    else
      ++unreadable;
  }
  Check(image.Transmission() == transmission, "Transmission text", image.Transmission());
  Check(image.WBBCC() == code, "broadcast code", image.WBBCC());
  Check(shell.errorReports == unreadable, "the open reports exactly the unreadable bytes", shell.lastBox);
}

void ExerciseOpenImage(clsBINFile& image, test::CountingShell& shell, std::vector<std::uint8_t> bytes,
                       FuzzedDataProvider& choices, const std::string& path) {
  const std::size_t size = bytes.size();
  Check(std::equal(image.Bytes().begin(), image.Bytes().end(), bytes.begin(), bytes.end()), "bytes read = file");
  Check(image.FileSize() == static_cast<std::int32_t>(size), "FileSize");
  Check(image.Mask() == number::HexText(bytes[8]), "Mask text");
  Check(image.PROMID() == std::to_string(bytes[0] * 256U + bytes[1]), "PROMID text");
  Check(image.Checksum() == number::HexText(bytes[6], 2) + number::HexText(bytes[7], 2), "stored checksum text");
  Check(image.CalculateCSUM() == number::HexText(SumFrom8(bytes)), "CalculateCSUM");
  CheckTransmissionAndBroadcastCode(image, shell, bytes);

  // Byte reads at any position, inside or outside the image.
  const auto position = choices.ConsumeIntegralInRange<std::int64_t>(-2, static_cast<std::int64_t>(size) + 2);
  int before = shell.errorReports;
  const std::string value = image.GetValueFromBin(static_cast<double>(position));
  const bool inside = position >= 1 && position <= static_cast<std::int64_t>(size);
  CheckTrapped(shell, before, !inside, value, "GetValueFromBin");
  if (inside) Check(value == std::to_string(bytes[static_cast<std::size_t>(position - 1)]), "GetValueFromBin value");

  // The modifier tables and the grid computed from them.
  TableOffsets tables;
  const bool present = TablesOf(bytes[8], tables) && tables.rpm + 17 <= size;
  before = shell.errorReports;
  const auto coolant = image.GetPEModifiers_Coolant();
  const auto rpm = image.GetPEModifiers_RPM();
  Check(shell.errorReports - before == (present ? 0 : 2), "a missing table is reported once per table");
  CheckModifierTable(coolant, bytes, tables.coolant, 9, present, "coolant table");
  CheckModifierTable(rpm, bytes, tables.rpm, 17, present, "RPM table");
  before = shell.errorReports;
  for (const std::int16_t r : rpm)
    for (const std::int16_t c : coolant) {
      const double afr = image.Calculate_PE_AFR(c, r);
      Check(afr >= 5.9 && afr <= 29.46, "a grid AFR of byte modifiers lies between 5.9 and 29.46");
    }
  Check(shell.errorReports == before, "byte modifiers never fail the AFR formula");

  // Solving with any given modifier and any wanted ratio, NaN and infinities included.
  for (int k = 0; k < 2 && choices.remaining_bytes() > 0; ++k) {
    const auto given = choices.ConsumeIntegral<std::int16_t>();
    double wanted = 0;
    const auto raw = choices.ConsumeIntegral<std::uint64_t>();
    std::memcpy(&wanted, &raw, sizeof wanted);
    before = shell.errorReports;
    const std::int16_t solved =
        k == 0 ? image.CalculateRPMModifier(given, wanted) : image.CalculateCoolantModifier(given, wanted);
    const double exact = 3770.1608988764 / wanted - (given + 128.0);
    const bool fits = std::isfinite(exact) && wanted != 0.0 && std::fabs(exact) < 32767.0 && given <= 32639;
    if (fits) CheckTrapped(shell, before, false, solved, "solving a modifier that fits 16 bits");
    if (fits) Check(std::fabs(solved - exact) <= 0.5, "the solved modifier is the rounded exact one");
    if (shell.errorReports != before) Check(solved == 0, "a failed solve returns 0");
  }

  // Table writes with any element number and value.
  for (const bool rpmTable : {true, false}) {
    const auto element = choices.ConsumeIntegralInRange<std::int16_t>(-1, 19);
    const auto newValue = choices.ConsumeIntegralInRange<std::int16_t>(-2, 258);
    const std::int16_t entries = rpmTable ? 17 : 9;
    before = shell.errorReports;
    const bool put =
        rpmTable ? image.PutPEModifier_RPM(element, newValue) : image.PutPEModifier_Coolant(element, newValue);
    const bool allowed = present && element >= 1 && element <= entries && newValue >= 0 && newValue <= 255;
    CheckTrapped(shell, before, !allowed, put, "PutPEModifier");
    if (allowed) {
      bytes[(rpmTable ? tables.rpm : tables.coolant) + static_cast<std::size_t>(element - 1)] =
          static_cast<std::uint8_t>(newValue);
      Check(image.Changed(), "a table write marks the image changed");
    }
    Check(std::equal(image.Bytes().begin(), image.Bytes().end(), bytes.begin(), bytes.end()),
          "a table write changes exactly its one byte");
  }

  // A raw byte write at any offset with any value.
  const auto offset = choices.ConsumeIntegralInRange<std::int64_t>(-2, static_cast<std::int64_t>(size) + 2);
  const auto byteValue = choices.ConsumeIntegralInRange<int>(-1, 256);
  before = shell.errorReports;
  image.WriteToBin(static_cast<double>(offset), byteValue);
  const bool writable = offset >= 0 && offset < static_cast<std::int64_t>(size) && byteValue >= 0 && byteValue <= 255;
  Check(shell.errorReports - before == (writable ? 0 : 1), "WriteToBin reports exactly its refusals");
  if (writable) bytes[static_cast<std::size_t>(offset)] = static_cast<std::uint8_t>(byteValue);

  // The save stores the checksum of what is in memory and writes every byte.
  before = shell.errorReports;
  const Outcome saved = image.SaveBIN();
  Check(shell.errorReports == before && saved && saved.Detail().empty(), "a save into a healthy file reports nothing",
        shell.lastBox);
  const std::uint16_t sum = SumFrom8(bytes);
  bytes[6] = static_cast<std::uint8_t>(sum >> 8U);
  bytes[7] = static_cast<std::uint8_t>(sum & 0xFFU);
  Check(ReadWhole(path) == bytes, "the saved file holds the image with its new checksum");
  Check(image.Checksum() == number::HexText(sum), "the checksum text after a save");
  Check(!image.Changed(), "a save clears Changed");
  Check(!shell.progressVisible && shell.progressOutOfRange == 0, "the bar ends hidden and stays in 0..100");
}

int OpenAnyImage(const std::uint8_t* data, std::size_t size) {
  static const test::TempDir scratch(MemoryFolder());
  static const std::string path = scratch.File("image.bin");
  WriteFile(path, data, size);
  const std::vector<std::uint8_t> bytes(data, data + size);
  // Integers are taken from the end of the input, so the image's head (its identity,
  // mask and tables) and the choices made on it vary independently.
  FuzzedDataProvider choices(data, size);
  const bool backup = choices.ConsumeBool();

  test::CountingShell shell;
  clsBINFile image(shell);
  const bool opened = static_cast<bool>(image.OpenBIN(path, backup));
  Check(opened == (size > 8 && size % 128 == 0 && IsAcceptedMask(bytes[8])),
        "OpenBIN accepts exactly the valid images");
  Check(!shell.progressVisible, "the bar is hidden after opening");
  if (backup) Check(ReadWhole(path + ".org") == bytes, "the backup is a copy of the file", shell.lastBox);
  if (!opened) {
    Check(image.Bytes().empty() && image.Mask() == "N/A" && image.FileSize() == 0, "a refused image is closed");
    return 0;
  }
  ExerciseOpenImage(image, shell, bytes, choices, path);
  return 0;
}

}  // namespace
}  // namespace vantorix::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return vantorix::fuzz::OpenAnyImage(data, size);
}
