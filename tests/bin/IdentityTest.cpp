#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "ImageFixture.h"

namespace vantorix::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class Identity : public ImageFixture {};

std::string Hex(unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, "%X", value);
  return text;
}

TEST_F(Identity, PromIdIsTheBigEndianValueInDecimal) {
  EXPECT_EQ(Opened(TestImage().PromId(0x1205)).PROMID(), "4613");
  EXPECT_EQ(Opened(TestImage().PromId(0x1A05)).PROMID(), "6661");
  EXPECT_EQ(Opened(TestImage().PromId(0)).PROMID(), "0");
  EXPECT_EQ(Opened(TestImage().PromId(0xFFFF)).PROMID(), "65535");
}

TEST_F(Identity, StoredChecksumIsFourUpperCaseHexDigits) {
  EXPECT_EQ(Opened(TestImage().StoredChecksum(0x000F)).Checksum(), "000F");
  EXPECT_EQ(Opened(TestImage().StoredChecksum(0xABCD)).Checksum(), "ABCD");
  EXPECT_EQ(Opened(TestImage().StoredChecksum(0x0A00)).Checksum(), "0A00");
}

TEST_F(Identity, TransmissionComesFromTheMasksOwnFlagBit) {
  EXPECT_EQ(Opened(TestImage(32768, 0x8D).Byte(0x18, 0x04)).Transmission(), "MANUAL");
  EXPECT_EQ(Opened(TestImage(32768, 0x8D).Byte(0x18, 0xFB)).Transmission(), "AUTO");
  EXPECT_EQ(Opened(TestImage(32768, 0x6E).Byte(0x249, 0x01)).Transmission(), "MANUAL");
  EXPECT_EQ(Opened(TestImage(32768, 0x6E).Byte(0x249, 0xFE)).Transmission(), "AUTO");
  // Each mask looks only at its own byte.
  EXPECT_EQ(Opened(TestImage(32768, 0x6E).Byte(0x249, 0x00).Byte(0x18, 0xFF)).Transmission(), "AUTO");
  EXPECT_EQ(Opened(TestImage(32768, 0x8D).Manual(true)).Transmission(), "MANUAL");
  EXPECT_EQ(Opened(TestImage(32768, 0x32).Byte(0x18, 0xFF)).Transmission(), "");
}

TEST_F(Identity, NoImageReadsNotAvailable) {
  clsBINFile image(shell);
  EXPECT_EQ(image.PROMID(), "N/A");
  EXPECT_EQ(image.Checksum(), "N/A");
  EXPECT_EQ(image.Transmission(), "N/A");
}

TEST_F(Identity, PropertiesAreDecodedOnceAtOpen) {
  clsBINFile& image = Opened(TestImage().PromId(0x1205).StoredChecksum(0xABCD));
  image.WriteToBin(0, 0);
  image.WriteToBin(6, 0);
  EXPECT_EQ(image.PROMID(), "4613");
  EXPECT_EQ(image.Checksum(), "ABCD");
}

TEST_F(Identity, ChecksumSumsEveryByteFromOffset8Modulo65536) {
  clsBINFile& ones = Opened(TestImage(32768).Fill(0x01).Mask(0x8D));
  ones.WriteToBin(8, 0x01);  // every byte from 0x0008 on is 1, the mask byte too
  EXPECT_EQ(ones.CalculateCSUM(), "7FF8");
  const TestImage varied32(32768, 0x8D);
  EXPECT_EQ(Opened(varied32).CalculateCSUM(), Hex(varied32.ExpectedChecksum()));
  const TestImage varied64(65536, 0x6E);
  EXPECT_EQ(Opened(varied64).CalculateCSUM(), Hex(varied64.ExpectedChecksum()));
}

TEST_F(Identity, ChecksumIgnoresTheFirstEightBytes) {
  TestImage image = TestImage(128).Fill(0).Mask(0x8D);
  const std::string plain = Opened(image).CalculateCSUM();
  EXPECT_EQ(plain, "8D");
  EXPECT_EQ(Opened(image.PromId(0xFFFF).StoredChecksum(0xFFFF).Byte(2, 9).Byte(5, 9)).CalculateCSUM(), plain);
}

TEST_F(Identity, ChecksumOfExactly65536IsZero) {
  TestImage exact = TestImage(384).Fill(0).Mask(0xAA);
  std::uint32_t sum = 0xAA;
  for (std::size_t offset = 9; sum + 0xFF <= 65536; ++offset) {
    exact.Byte(offset, 0xFF);
    sum += 0xFF;
  }
  exact.Byte(383, static_cast<std::uint8_t>(65536 - sum));
  ASSERT_EQ(exact.ExpectedChecksum(), 0);
  clsBINFile& image = Opened(exact.StoredChecksum(0x1234));
  EXPECT_EQ(image.CalculateCSUM(), "0");
  image.CheckSum(image.CalculateCSUM());
  EXPECT_EQ(image.Bytes()[6], 0x00);
  EXPECT_EQ(image.Bytes()[7], 0x00);
}

TEST_F(Identity, AnImageWithNothingToSumHasChecksumZero) {
  clsBINFile image(shell);
  EXPECT_EQ(image.CalculateCSUM(), "0");
}

struct StoreCase {
  const char* text;
  std::uint8_t high;
  std::uint8_t low;
};

TEST_F(Identity, ChecksumStoreWritesTheHexValueBigEndian) {
  for (const StoreCase& c : {StoreCase{"A5", 0x00, 0xA5}, StoreCase{"3A5", 0x03, 0xA5},
                             StoreCase{"ABCD", 0xAB, 0xCD}, StoreCase{"abcd", 0xAB, 0xCD}, StoreCase{"0", 0, 0},
                             StoreCase{"FF", 0x00, 0xFF}, StoreCase{"100", 0x01, 0x00}}) {
    clsBINFile& image = Opened(TestImage().StoredChecksum(0x5555));
    image.CheckSum(c.text);
    EXPECT_EQ(image.Bytes()[6], c.high) << c.text;
    EXPECT_EQ(image.Bytes()[7], c.low) << c.text;
    EXPECT_EQ(image.Checksum(), c.text);  // the text as given, without padding
    EXPECT_TRUE(image.Changed());
    EXPECT_THAT(shell.Boxes(), IsEmpty()) << c.text;
  }
}

TEST_F(Identity, PromIdStoreWritesTheDecimalValueBigEndian) {
  for (const StoreCase& c : {StoreCase{"4613", 0x12, 0x05}, StoreCase{"255", 0x00, 0xFF},
                             StoreCase{"256", 0x01, 0x00}, StoreCase{"65535", 0xFF, 0xFF},
                             StoreCase{"12.5", 0x00, 0x0C}, StoreCase{"300.5", 0x01, 0x2C}}) {
    clsBINFile& image = Opened(TestImage().PromId(0x5555));
    image.PROMID(c.text);
    EXPECT_EQ(image.Bytes()[0], c.high) << c.text;
    EXPECT_EQ(image.Bytes()[1], c.low) << c.text;
    EXPECT_EQ(image.PROMID(), c.text);
    EXPECT_TRUE(image.Changed());
  }
}

TEST_F(Identity, AValueAbove16BitsKeepsTheHighByteAndSaysOuch) {
  clsBINFile& image = Opened(TestImage().PromId(0x5555));
  image.PROMID("70000");  // 0x11170
  EXPECT_EQ(image.Bytes()[1], 0x70);
  EXPECT_EQ(image.Bytes()[0], 0x55);
  EXPECT_TRUE(image.Changed());
  ASSERT_EQ(shell.Boxes().size(), 1U);
  EXPECT_EQ(shell.Boxes()[0].text, "Ouch");
  EXPECT_EQ(shell.Boxes()[0].style, MsgBoxStyle::OkOnly);
  EXPECT_EQ(shell.Boxes()[0].title, "Vantorix");

  clsBINFile& checksum = Opened(TestImage().StoredChecksum(0x5555));
  checksum.CheckSum("12345");
  EXPECT_EQ(checksum.Bytes()[7], 0x45);
  EXPECT_EQ(checksum.Bytes()[6], 0x55);
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
  EXPECT_EQ(image.Bytes()[0], 0x55);
  EXPECT_EQ(image.Bytes()[1], 0x55);
  EXPECT_EQ(image.Bytes()[6], 0x55);
  EXPECT_EQ(image.Bytes()[7], 0x55);
  EXPECT_FALSE(image.Changed());
}

TEST_F(Identity, StoresIntoAnObjectWithoutAnImageAreReported) {
  clsBINFile image(shell);
  image.CheckSum("A5");
  image.PROMID("1");
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.CheckSum [PropertyLet]", "clsBINFile.PROMID [PropertyLet]"));
  EXPECT_FALSE(image.Changed());
}

}  // namespace
}  // namespace vantorix::test
