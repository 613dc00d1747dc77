// Writes each fuzz target's starting corpus into <folder>/<target>/: images from the
// test-image builder and a few texts of every form the conversions accept.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "TestImage.h"

namespace {

using vantorix::test::TestImage;

void Write(const std::filesystem::path& folder, const std::string& name, const std::string& bytes) {
  std::filesystem::create_directories(folder);
  std::ofstream(folder / name, std::ios::binary) << bytes;
}

void WriteImages(const std::filesystem::path& folder) {
  const std::vector<std::pair<std::string, TestImage>> images{
      {"8d-axxc", TestImage(32768, 0x8D).Axxc().CorrectChecksum()},
      {"8d-aujp-manual", TestImage(32768, 0x8D).Aujp().Manual(true)},
      {"6e-manual", TestImage(32768, 0x6E).Manual(true).CorrectChecksum()},
      {"6e-64k", TestImage(65536, 0x6E)},
      {"32", TestImage(32768, 0x32)},
      {"experimental", TestImage(32768, 0xAA)},
      {"unknown-mask", TestImage(32768, 0x05)},
      {"tables-at-extremes", TestImage(32768, 0x8D)
                                 .CoolantModifiers({0, 255, 0, 255, 0, 255, 0, 255, 0})
                                 .RpmModifiers({255, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255, 0, 255})},
      {"smallest", TestImage(128, 0x8D)},
      {"size-at-a-progress-step", TestImage(48000, 0x8D)},  // the bar reaches 100
      {"odd-size", TestImage(32769, 0x8D)},
      {"short", TestImage(127, 0x8D)},
      {"empty", TestImage(0)},
  };
  std::filesystem::create_directories(folder);
  for (const auto& [name, image] : images) image.WriteTo(folder / name);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <seed folder>\n", argv[0]);
    return 2;
  }
  const std::filesystem::path root = argv[1];
  WriteImages(root / "fuzz_open_image");
  WriteImages(root / "fuzz_wbpatch");
  // Checksum text, a backslash and one more character, then the PROMID text.
  const std::vector<std::string> identityTexts{"ABCD\\x4613",   "3A5\\x0",          "FFFF\\x65535",
                                               "10000\\x70000", "ffffffff\\x 42 ",  "80000000\\x-1",
                                               "\\x",           "0000000001\\x1e3", "12G\\x1.5"};
  // Long texts too: a pasted page of digits once overflowed the stack of a regex match.
  const std::vector<std::string> numberTexts{"14.7",
                                             "-40",
                                             " 42 ",
                                             "+2.5",
                                             ".5",
                                             "1E+15",
                                             "1e999",
                                             "3A5",
                                             "FFFFFFFF",
                                             "123456789",
                                             "0x1A",
                                             "12.94",
                                             std::string(60000, '7'),
                                             std::string(30000, ' ') + "12.5",
                                             "0." + std::string(60000, '0') + "1e60001"};
  // The first byte picks the parser calls, then the words, NUL-separated.
  using namespace std::string_literals;
  const std::vector<std::string> commandLines{"\x3F"s +
                                                  "set-afr\0a.bin\0--rpm\0"
                                                  "2400\0--afr=12.5\0--by\0rpm"s,
                                              "\x29"s + "wb\0derive\0--stock\0s.bin\0--patched=p.bin\0-o\0t.txt"s,
                                              "\x13"s + "-v\0info\0--\0-a.bin\0b.bin"s, "\x05"s + "diff\0--afr\0"s};
  for (std::size_t k = 0; k < commandLines.size(); ++k)
    Write(root / "fuzz_cli_arguments", "seed-" + std::to_string(k), commandLines[k]);
  // Each version's clean pair, and one with a byte changed outside the patch.
  for (char version = 0; version < 3; ++version) {
    Write(root / "fuzz_patch_derivation", "clean-" + std::to_string(int{version}), std::string(1, version));
    Write(root / "fuzz_patch_derivation", "outside-" + std::to_string(int{version}),
          std::string(1, version) + "\x50\x00\x01\x01"s);
  }
  Write(root / "fuzz_patch_table_text", "entries", "# STAND-IN TABLE\n0929 11 --\n092A 22 33\n2000 CE FF\n");
  for (const char* name : {"8D-AXXC.txt", "8D-AUJP.txt", "6E.txt"}) {
    std::ifstream in(std::filesystem::path(VANTORIX_TABLE_FOLDER) / name);
    Write(root / "fuzz_patch_table_text", name, std::string(std::istreambuf_iterator<char>(in), {}));
  }
  for (std::size_t k = 0; k < identityTexts.size(); ++k)
    Write(root / "fuzz_identity_text", "seed-" + std::to_string(k), identityTexts[k]);
  for (std::size_t k = 0; k < numberTexts.size(); ++k)
    Write(root / "fuzz_number_text", "seed-" + std::to_string(k), numberTexts[k]);
  return 0;
}
