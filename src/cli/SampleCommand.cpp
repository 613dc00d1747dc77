// A made-up image to try the programs on, for people who have no PROM reader at hand.
#include <algorithm>
#include <cctype>
#include <ostream>

#include "bin/BroadcastCode.h"
#include "cli/Cli.h"

namespace vantorix::cli {

namespace {

constexpr std::size_t kSampleSize = 32768;
constexpr std::uint8_t kErased = 0xFF;  // what an unprogrammed PROM reads
constexpr std::size_t kMarkerOffset = 0x7F00;
constexpr std::string_view kMarker = "VANTORIX SAMPLE IMAGE - MADE UP - NEVER BURN IT INTO A PROM";
constexpr std::string_view kSamplePromId = "9999";
// Modifiers that give targets of about 12 to 14.7 across the grid.
constexpr std::int16_t kCoolant[] = {24, 20, 16, 12, 8, 4, 0, 0, 0};
constexpr std::int16_t kRpm[] = {128, 128, 128, 130, 132, 134, 136, 138, 140, 142, 144, 146, 148, 150, 150, 150, 150};

std::string Lower(std::string text) {
  std::ranges::transform(text, text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// Everything a sample holds besides its erased bytes, mask and marker, put in through the
// image object so that it lands where the programs look for it. The identity and code
// bytes lie inside every 32 KB image; a table store that failed has been reported.
Outcome FillIn(clsBINFile& image, bool is8D, bool axxc) {
  image.PROMID(std::string(kSamplePromId));
  image.WriteToBin(is8D ? 0x0018 : 0x0249, is8D ? 0xFB : 0xFE);  // an automatic transmission
  bool stored = true;
  for (std::int16_t k = 1; k <= 9; ++k) stored = image.PutPEModifier_Coolant(k, kCoolant[k - 1]) && stored;
  for (std::int16_t k = 1; k <= 17; ++k) stored = image.PutPEModifier_RPM(k, kRpm[k - 1]) && stored;
  if (!stored) return Outcome::Failed("the PE tables could not be stored");
  if (axxc)
    for (const auto& byte : bcc::kAxxcIdentification)
      image.WriteToBin(byte.position - 1, std::stod(std::string(byte.axxcValue)));
  return image.SaveBIN();
}

}  // namespace

Status Sample(Arguments& arguments, Context& context) {
  const std::string mask = Lower(arguments.Required({"--mask"}, "sample").front());
  const std::string code = Lower(arguments.Value("--bcc").value_or(mask == "8d" ? "axxc" : ""));
  const std::string path = arguments.Operands(1, 1, "one OUT.bin").front();
  if (mask != "8d" && mask != "6e") throw UsageError("--mask " + mask + ": it must be 8d or 6e");
  if (mask == "8d" ? code != "axxc" && code != "aujp" : !code.empty())
    throw UsageError("--bcc " + code + ": it must be axxc or aujp, and is for $8D samples only");
  CliShell& shell = context.shell;
  shell.Subject(path);
  if (RealFileSystem().KindOf(path) != FileKind::Missing) {
    shell.Tell("not written: a file of that name exists already, and a sample never replaces a file");
    return kFileError;
  }
  std::vector<std::uint8_t> bytes(kSampleSize, kErased);
  bytes[0x0008] = mask == "8d" ? 0x8D : 0x6E;
  std::ranges::copy(kMarker, bytes.begin() + kMarkerOffset);
  // The save below flushes the same folder again, and tells if that fails.
  static_cast<void>(ReplaceFileContents(RealFileSystem(), path, bytes));

  clsBINFile image(shell, RealFileSystem());
  if (OpenImage(context, image, RealFileSystem(), path) != kOk) return kFileError;
  const Outcome filled = FillIn(image, mask == "8d", code == "axxc");
  if (!filled) return kFileError;
  // The broadcast code as the bytes now say; the object decided its own before they were written.
  const std::string_view written = mask == "6e" ? bcc::k6E : code == "axxc" ? bcc::kAxxc : bcc::kAujp;
  context.out << path << ": a made-up $" << image.Mask() << " image (" << written << "), PROM ID " << image.PROMID()
              << ", checksum " << FourDigits(image.Checksum())
              << ". It is for trying the programs only: never burn it into a PROM.\n";
  return Unflushed(context, filled.Detail());
}

}  // namespace vantorix::cli
