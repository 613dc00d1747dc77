#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "ImageFixture.h"

namespace vantorix::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// The four identity bytes as "PROM ID high, low, checksum high, low" in hex.
std::string IdentityBytes(clsBINFile& image) {
  char text[32];
  const auto b = image.Bytes();
  std::snprintf(text, sizeof text, "%02X %02X %02X %02X", b[0], b[1], b[6], b[7]);
  return text;
}

std::string Hex(unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, "%X", value);
  return text;
}

class Identity : public ImageFixture {};

// The sum runs from 0x0008 (the mask) to the end, modulo 65536: the PROM ID, the four
// bytes after it and the stored checksum are not summed; a sum of exactly 65536 is 0.
TEST_F(Identity, ChecksumSumsEveryByteFromOffset8Modulo65536AndStoresExactly65536AsZero) {
  TestImage exact = TestImage(384).Fill(0).Mask(0xAA);
  std::uint32_t sum = 0xAA;
  for (std::size_t offset = 9; sum + 0xFF <= 65536; ++offset, sum += 0xFF) exact.Byte(offset, 0xFF);
  exact.Byte(383, static_cast<std::uint8_t>(65536 - sum)).StoredChecksum(0x1234);
  const TestImage plain = TestImage(128).Fill(0).Mask(0x8D);
  std::string sums;
  for (const TestImage& image : {plain, TestImage(plain).PromId(0xFFFF).StoredChecksum(0xFFFF).Byte(2, 9).Byte(5, 9),
                                 TestImage(32768, 0x8D), TestImage(65536, 0x6E), exact})
    sums += Opened(image).CalculateCSUM() + " ";
  EXPECT_EQ(sums, "8D 8D " + Hex(TestImage(32768, 0x8D).ExpectedChecksum()) + " " +
                      Hex(TestImage(65536, 0x6E).ExpectedChecksum()) + " 0 ");
  bin->CheckSum(bin->CalculateCSUM());
  EXPECT_EQ(IdentityBytes(*bin), "00 00 00 00");
  EXPECT_EQ(clsBINFile(shell).CalculateCSUM(), "0");  // nothing to sum
}

// The text is kept as given; the bytes are the value big-endian, the low byte alone
// above 16 bits (with a word to the user), nothing for text that is not a number.
TEST_F(Identity, SixteenBitStoresWriteTheValueBigEndianAndKeepTheTextAsGiven) {
  const struct {
    bool checksum;
    const char* text;
    const char* bytes;  // PROM ID high, low, checksum high, low; 55 where untouched
    const char* said;   // box shown, if any
  } cases[] = {{true, "A5", "55 55 00 A5", ""},     {true, "3A5", "55 55 03 A5", ""},
               {true, "abcd", "55 55 AB CD", ""},   {true, "0", "55 55 00 00", ""},
               {true, "100", "55 55 01 00", ""},    {false, "4613", "12 05 55 55", ""},
               {false, "255", "00 FF 55 55", ""},   {false, "256", "01 00 55 55", ""},
               {false, "65535", "FF FF 55 55", ""}, {false, "12.5", "00 0C 55 55", ""},
               {false, "300.5", "01 2C 55 55", ""}, {false, "70000", "55 70 55 55", "Ouch"},
               {true, "12345", "55 55 55 45", "Ouch"}, {true, "xyz", "55 55 55 55", "Error Number: 13"},
               {false, "12abc", "55 55 55 55", "Error Number: 13"}, {false, "-1", "55 55 55 55", "Error Number: 6"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    clsBINFile& image = Opened(TestImage().PromId(0x5555).StoredChecksum(0x5555));
    c.checksum ? image.CheckSum(c.text) : image.PROMID(c.text);
    // The text is not padded or reformatted; only a store that writes marks the image.
    EXPECT_EQ(IdentityBytes(image) + " " + (c.checksum ? image.Checksum() : image.PROMID()) + " " + std::to_string(image.Changed()),
              std::string(c.bytes) + " " + c.text + " " + std::to_string(std::string(c.bytes) != "55 55 55 55"));
    EXPECT_EQ(shell.Boxes().size(), *c.said ? 1U : 0U);
    for (const BoxCall& box : shell.Boxes()) EXPECT_THAT(box.text, HasSubstr(c.said));
  }
}

// WriteToBin takes a 0-based offset, GetValueFromBin a 1-based position; both refuse
// what lies outside the image and values outside a byte; nothing is stored into or read
// from an object without an image.
TEST_F(Identity, ByteAccessRoundsHalvesToEvenAndRefusesWhatIsOutsideTheImage) {
  clsBINFile& image = Opened(TestImage(32768, 0x8D));
  const struct {
    double offset, value;
  } writes[] = {{0, 255}, {0x7168, 0x3C}, {32767, 0}, {10, 2.5}, {11.4, 3.5}, {32768, 0}, {-1, 0}, {20, 256}, {20, -1}};
  for (const auto& w : writes) image.WriteToBin(w.offset, w.value);
  EXPECT_THAT(shell.ErrorNumbers(), ElementsAre(9, 9, 6, 6));
  std::string read;
  for (const double position : {1.0, 29033.0, 32768.0, 11.0, 12.0, 21.0, 0.0, 32769.0})
    read += image.GetValueFromBin(position) + ",";
  EXPECT_EQ(read, "255,60,0,2,4," + std::to_string(TestImage().At(20)) + ",,,");
  EXPECT_FALSE(image.Changed());  // the byte writer leaves marking to its callers
  clsBINFile empty(shell);  // no image to read or store into
  shell.Clear();
  empty.WriteToBin(0, 1);
  empty.CheckSum("A5");
  empty.PROMID("1");
  EXPECT_EQ(empty.GetValueFromBin(1) + std::to_string(empty.Changed()), "0");
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.WriteToBin", "clsBINFile.CheckSum [PropertyLet]",
                                                "clsBINFile.PROMID [PropertyLet]", "clsBINFile.GetValueFromBin"));
}

}  // namespace
}  // namespace vantorix::test
