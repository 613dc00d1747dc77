#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "ImageFixture.h"
#include "bin/basStringFunctions.h"

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

TEST_F(Identity, PromIdChecksumAndTransmissionAreDecodedOnceAtOpen) {
  const struct {
    TestImage image;
    const char* decoded;  // PROM ID|stored checksum|transmission
  } cases[] = {{TestImage().PromId(0x1205).StoredChecksum(0x000F).Byte(0x18, 0x04), "4613|000F|MANUAL"},
               {TestImage().PromId(0x1A05).StoredChecksum(0xABCD).Byte(0x18, 0xFB), "6661|ABCD|AUTO"},
               {TestImage().PromId(0).StoredChecksum(0x0A00), "0|0A00|MANUAL"},
               {TestImage(32768, 0x6E).PromId(0xFFFF).StoredChecksum(0).Byte(0x249, 0x01).Byte(0x18, 0), "65535|0000|MANUAL"},
               {TestImage(32768, 0x6E).Byte(0x249, 0xFE).Byte(0x18, 0xFF).PromId(1).StoredChecksum(1), "1|0001|AUTO"},
               {TestImage(32768, 0x32).Byte(0x18, 0xFF).PromId(1).StoredChecksum(1), "1|0001|"}};
  for (const auto& c : cases) {
    clsBINFile& image = Opened(c.image);
    image.WriteToBin(0, 0x77);  // later byte changes do not decode again
    image.WriteToBin(7, 0x77);
    image.WriteToBin(0x18, 0x77);
    EXPECT_EQ(image.PROMID() + "|" + image.Checksum() + "|" + image.Transmission(), c.decoded);
  }
}

TEST_F(Identity, ChecksumSumsEveryByteFromOffset8Modulo65536) {
  clsBINFile& ones = Opened(TestImage(32768).Fill(0x01).Mask(0x8D));
  ones.WriteToBin(8, 0x01);  // every byte from 0x0008 on is 1, the mask byte too
  EXPECT_EQ(ones.CalculateCSUM(), "7FF8");
  for (const TestImage& varied : {TestImage(32768, 0x8D), TestImage(65536, 0x6E)})
    EXPECT_EQ(Opened(varied).CalculateCSUM(), Hex(varied.ExpectedChecksum()));
  // The first eight bytes (PROM ID, the four after it, the stored checksum) are not summed.
  TestImage plain = TestImage(128).Fill(0).Mask(0x8D);
  EXPECT_EQ(Opened(plain).CalculateCSUM(), "8D");
  EXPECT_EQ(Opened(plain.PromId(0xFFFF).StoredChecksum(0xFFFF).Byte(2, 9).Byte(5, 9)).CalculateCSUM(), "8D");
  clsBINFile empty(shell);
  EXPECT_EQ(empty.CalculateCSUM(), "0");  // nothing to sum
}

TEST_F(Identity, ASumOfExactly65536IsStoredAsZero) {
  TestImage exact = TestImage(384).Fill(0).Mask(0xAA);
  std::uint32_t sum = 0xAA;
  for (std::size_t offset = 9; sum + 0xFF <= 65536; ++offset, sum += 0xFF) exact.Byte(offset, 0xFF);
  exact.Byte(383, static_cast<std::uint8_t>(65536 - sum));
  clsBINFile& image = Opened(exact.StoredChecksum(0x1234));
  EXPECT_EQ(image.CalculateCSUM(), "0");
  image.CheckSum(image.CalculateCSUM());
  EXPECT_EQ(IdentityBytes(image), "00 00 00 00");
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
    EXPECT_EQ(IdentityBytes(image), c.bytes);
    EXPECT_EQ(c.checksum ? image.Checksum() : image.PROMID(), c.text);  // not padded or reformatted
    EXPECT_EQ(image.Changed(), std::string(c.bytes) != "55 55 55 55");
    EXPECT_EQ(shell.Boxes().size(), *c.said ? 1U : 0U);
    if (!shell.Boxes().empty()) {
      EXPECT_THAT(shell.Boxes()[0].text, HasSubstr(c.said));
    }
  }
  clsBINFile empty(shell);  // no image to store into
  shell.Clear();
  empty.CheckSum("A5");
  empty.PROMID("1");
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.CheckSum [PropertyLet]", "clsBINFile.PROMID [PropertyLet]"));
  EXPECT_FALSE(empty.Changed());
}

// WriteToBin takes a 0-based offset, GetValueFromBin a 1-based position; both refuse
// what lies outside the image, values outside a byte, and an object without an image.
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
  clsBINFile empty(shell);
  shell.Clear();
  empty.WriteToBin(0, 1);
  EXPECT_EQ(empty.GetValueFromBin(1), "");
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.WriteToBin", "clsBINFile.GetValueFromBin"));
}

TEST(TextHelpers, PadLeftCutsOrPadsAndByteToBinaryStringGivesEightDigits) {
  EXPECT_EQ(PadLeft("1011", 2, "0") + PadLeft("1011", 4, "0") + PadLeft("7", 3, "xyz"), "101011xx7");
  EXPECT_EQ(PadLeft("1011", 0, "") + PadLeft("123", 2, ""), "12");  // no padding needed, so no fill needed
  EXPECT_THROW(PadLeft("1", -1, "0"), RuntimeError);
  EXPECT_THROW(PadLeft("1", 3, ""), RuntimeError);
  EXPECT_EQ(ByteToBinaryString(0x00) + ByteToBinaryString(0x04) + ByteToBinaryString(0x8D) + ByteToBinaryString(0xFF),
            "00000000000001001000110111111111");
}

}  // namespace
}  // namespace vantorix::test
