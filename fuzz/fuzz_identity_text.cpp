// Arbitrary text stored through the CheckSum (hexadecimal) and PROMID (decimal) writes of
// an open image: the text is kept as given, and at most the field's two bytes change.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "CountingShell.h"
#include "FuzzCheck.h"
#include "TempDir.h"
#include "TestImage.h"
#include "bin/clsBINFile.h"

namespace vantorix::fuzz {
namespace {

// The digit's value, or -1 for a character that is no hexadecimal digit.
int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// What a hexadecimal text stores, worked out on its own: nothing (an error report), both
// bytes, or only the low byte with an "Ouch" for values above 16 bits.
enum class Stored { Nothing, Both, LowOnly };

Stored ExpectedHexStore(const std::string& text, std::uint32_t& value) {
  if (text.empty()) return Stored::Nothing;
  std::uint64_t wide = 0;
  for (const char c : text) {
    if (HexDigit(c) < 0) return Stored::Nothing;
    wide = wide * 16 + static_cast<std::uint64_t>(HexDigit(c));
    if (wide > 0xFFFFFFFFULL) return Stored::Nothing;  // Overflow
  }
  value = static_cast<std::uint32_t>(wide);
  if (value >= 0x80000000U) return Stored::Nothing;  // a negative long: no byte can hold it
  return value <= 0xFFFFU ? Stored::Both : Stored::LowOnly;
}

void CheckOtherBytesUnchanged(const clsBINFile& image, const std::vector<std::uint8_t>& original, std::size_t high,
                              const char* what) {
  const auto bytes = image.Bytes();
  Check(bytes.size() == original.size() && std::memcmp(bytes.data(), original.data(), high) == 0 &&
            std::memcmp(bytes.data() + high + 2, original.data() + high + 2, original.size() - high - 2) == 0,
        what, "changed a byte outside its field");
}

void StoreChecksum(clsBINFile& image, test::CountingShell& shell, const std::vector<std::uint8_t>& original,
                   const std::string& text) {
  const int reportsBefore = shell.errorReports;
  const int boxesBefore = shell.boxes;
  image.CheckSum(text);
  Check(image.Checksum() == text, "the CheckSum text is kept as given");
  CheckOtherBytesUnchanged(image, original, 6, "CheckSum");
  std::uint32_t value = 0;
  const Stored expected = ExpectedHexStore(text, value);
  const auto bytes = image.Bytes();
  switch (expected) {
    case Stored::Nothing:
      Check(shell.errorReports == reportsBefore + 1, "a CheckSum text that is no 16-bit hex value is reported");
      Check(bytes[6] == original[6] && bytes[7] == original[7] && !image.Changed(),
            "a refused CheckSum writes nothing");
      break;
    case Stored::Both:
      Check(shell.boxes == boxesBefore, "a 16-bit CheckSum shows no box", shell.lastBox);
      Check(bytes[6] * 256U + bytes[7] == value && image.Changed(), "CheckSum stores the value big-endian");
      break;
    case Stored::LowOnly:
      Check(shell.boxes == boxesBefore + 1 && shell.lastBox == "Ouch", "a value above 16 bits says Ouch");
      Check(bytes[6] == original[6] && bytes[7] == (value & 0xFFU) && image.Changed(), "Ouch keeps the high byte");
      break;
  }
}

void StorePromId(clsBINFile& image, test::CountingShell& shell, const std::vector<std::uint8_t>& original,
                 const std::string& text) {
  const int reportsBefore = shell.errorReports;
  const bool wasChanged = image.Changed();
  image.PROMID(text);
  Check(image.PROMID() == text, "the PROMID text is kept as given");
  CheckOtherBytesUnchanged(image, original, 0, "PROMID");
  const auto bytes = image.Bytes();
  if (shell.errorReports != reportsBefore) {
    Check(shell.errorReports == reportsBefore + 1, "a refused PROMID is reported once");
    Check(bytes[0] == original[0] && bytes[1] == original[1], "a refused PROMID writes nothing");
    Check(image.Changed() == wasChanged, "a refused PROMID does not mark the image changed");
  }
  // Plain digits up to 65535 are always stored, big-endian.
  const bool plain = !text.empty() && text.size() <= 5 && text.find_first_not_of("0123456789") == std::string::npos;
  if (plain && std::stoul(text) <= 0xFFFFU) {
    Check(shell.errorReports == reportsBefore, "plain decimal digits are accepted");
    Check(bytes[0] * 256U + bytes[1] == std::stoul(text), "PROMID stores the value big-endian");
  }
}

int StoreAnyText(const std::uint8_t* data, std::size_t size) {
  static const test::TempDir scratch(MemoryFolder());
  // The smallest image the experimental mask opens cleanly: the stores touch only its head.
  static const std::string path =
      test::TestImage(128, 0xAA).PromId(0x1205).StoredChecksum(0xABCD).WriteTo(scratch.File("id.bin")).string();
  static const std::vector<std::uint8_t> original = ReadWhole(path);

  FuzzedDataProvider input(data, size);
  const std::string checksumText = input.ConsumeRandomLengthString();
  const std::string promIdText = input.ConsumeRemainingBytesAsString();

  test::CountingShell shell;
  clsBINFile image(shell);
  Check(static_cast<bool>(image.OpenBIN(path)), "the prepared image opens");
  StoreChecksum(image, shell, original, checksumText);
  clsBINFile fresh(shell);  // the PROMID store starts from the file again
  image.CloseBIN();
  Check(static_cast<bool>(fresh.OpenBIN(path)), "the prepared image opens again");
  StorePromId(fresh, shell, original, promIdText);
  return 0;
}

}  // namespace
}  // namespace vantorix::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return vantorix::fuzz::StoreAnyText(data, size);
}
