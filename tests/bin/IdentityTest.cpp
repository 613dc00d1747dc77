#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "ImageFixture.h"

namespace vantorix::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class Identity : public ImageFixture {
 protected:
  // The four identity bytes as "PROM ID high, low, checksum high, low" in hex.
  static std::string IdentityBytes(clsBINFile& image) {
    char text[32];
    const auto b = image.Bytes();
    std::snprintf(text, sizeof text, "%02X %02X %02X %02X", b[0], b[1], b[6], b[7]);
    return text;
  }
};

std::string Hex(unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, "%X", value);
  return text;
}

TEST_F(Identity, PromIdAndStoredChecksumAreDecodedOnceAtOpen) {
  const struct {
    std::uint16_t id, checksum;
    const char* idText;
    const char* checksumText;
  } cases[] = {{0x1205, 0x000F, "4613", "000F"}, {0x1A05, 0xABCD, "6661", "ABCD"}, {0, 0x0A00, "0", "0A00"},
               {0xFFFF, 0, "65535", "0000"}};
  for (const auto& c : cases) {
    clsBINFile& image = Opened(TestImage().PromId(c.id).StoredChecksum(c.checksum));
    image.WriteToBin(0, 0x77);  // later byte changes do not decode again
    image.WriteToBin(7, 0x77);
    EXPECT_EQ(image.PROMID(), c.idText);
    EXPECT_EQ(image.Checksum(), c.checksumText);
  }
}

TEST_F(Identity, TransmissionComesFromTheMasksOwnFlagBit) {
  EXPECT_EQ(Opened(TestImage(32768, 0x8D).Byte(0x18, 0x04)).Transmission(), "MANUAL");
  EXPECT_EQ(Opened(TestImage(32768, 0x8D).Byte(0x18, 0xFB)).Transmission(), "AUTO");
  EXPECT_EQ(Opened(TestImage(32768, 0x6E).Byte(0x249, 0x01).Byte(0x18, 0x00)).Transmission(), "MANUAL");
  EXPECT_EQ(Opened(TestImage(32768, 0x6E).Byte(0x249, 0xFE).Byte(0x18, 0xFF)).Transmission(), "AUTO");
  EXPECT_EQ(Opened(TestImage(32768, 0x32).Byte(0x18, 0xFF)).Transmission(), "");
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

TEST_F(Identity, SixteenBitStoresWriteTheValueBigEndianAndKeepTheTextAsGiven) {
  const struct {
    bool checksum;
    const char* text;
    const char* bytes;  // PROM ID high, low, checksum high, low; 55 where untouched
  } cases[] = {{true, "A5", "55 55 00 A5"},     {true, "3A5", "55 55 03 A5"},   {true, "abcd", "55 55 AB CD"},
               {true, "0", "55 55 00 00"},      {true, "100", "55 55 01 00"},   {false, "4613", "12 05 55 55"},
               {false, "255", "00 FF 55 55"},   {false, "256", "01 00 55 55"},  {false, "65535", "FF FF 55 55"},
               {false, "12.5", "00 0C 55 55"},  {false, "300.5", "01 2C 55 55"}};
  for (const auto& c : cases) {
    clsBINFile& image = Opened(TestImage().PromId(0x5555).StoredChecksum(0x5555));
    c.checksum ? image.CheckSum(c.text) : image.PROMID(c.text);
    EXPECT_EQ(IdentityBytes(image), c.bytes) << c.text;
    EXPECT_EQ(c.checksum ? image.Checksum() : image.PROMID(), c.text);  // not padded or reformatted
    EXPECT_TRUE(image.Changed());
    EXPECT_TRUE(shell.Trace().empty()) << c.text;
  }
}

TEST_F(Identity, AValueAbove16BitsKeepsTheHighByteAndSaysOuch) {
  clsBINFile& image = Opened(TestImage().PromId(0x5555).StoredChecksum(0x5555));
  image.PROMID("70000");  // 0x11170
  image.CheckSum("12345");
  EXPECT_EQ(IdentityBytes(image), "55 70 55 45");
  EXPECT_TRUE(image.Changed());
  EXPECT_THAT(shell.Trace(), ElementsAre("box 0 Vantorix: Ouch", "box 0 Vantorix: Ouch"));
}

TEST_F(Identity, TextThatIsNotANumberIsReportedAndWritesNothing) {
  clsBINFile& image = Opened(TestImage().PromId(0x5555).StoredChecksum(0x5555));
  image.CheckSum("xyz");
  image.PROMID("12abc");
  image.PROMID("-1");
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.CheckSum [PropertyLet]", "clsBINFile.PROMID [PropertyLet]",
                                                "clsBINFile.PROMID [PropertyLet]"));
  EXPECT_THAT(shell.Boxes()[0].text, HasSubstr("Error Number: 13"));
  EXPECT_EQ(image.Checksum(), "xyz");  // the text is replaced before the conversion fails
  EXPECT_EQ(image.PROMID(), "-1");
  EXPECT_EQ(IdentityBytes(image), "55 55 55 55");
  EXPECT_FALSE(image.Changed());

  clsBINFile empty(shell);  // no image to store into
  shell.Clear();
  empty.CheckSum("A5");
  empty.PROMID("1");
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.CheckSum [PropertyLet]", "clsBINFile.PROMID [PropertyLet]"));
  EXPECT_FALSE(empty.Changed());
}

}  // namespace
}  // namespace vantorix::test
