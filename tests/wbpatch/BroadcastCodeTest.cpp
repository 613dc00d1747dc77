#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ImageFixture.h"

namespace vantorix::test {
namespace {

using ::testing::ElementsAre;

class BroadcastCode : public ImageFixture {};

TEST_F(BroadcastCode, An8DImageWithTheThreeIdentificationBytesIsAXXC) {
  EXPECT_EQ(Opened(TestImage(32768, 0x8D).Axxc()).WBBCC(), "AXXC");
}

TEST_F(BroadcastCode, Any8DImageWithOneByteDifferentIsAUJP) {
  for (const std::size_t offset : TestImage::kBccOffsets)
    EXPECT_EQ(Opened(TestImage(32768, 0x8D).Axxc().Byte(offset, 0x00)).WBBCC(), "AUJP") << offset;
}

TEST_F(BroadcastCode, OnlyTheThreeOffsetsCount) {
  EXPECT_EQ(Opened(TestImage(32768, 0x8D).Axxc().Byte(0x7169, 0x00).Byte(0x7167, 0x00)).WBBCC(), "AXXC");
  // The right values one byte off are not enough.
  TestImage shifted(32768, 0x8D);
  for (std::size_t i = 0; i < 3; ++i) shifted.Byte(TestImage::kBccOffsets[i] + 1, TestImage::kAxxcBytes[i]);
  EXPECT_EQ(Opened(shifted.Byte(0x7168, 0).Byte(0x717C, 0).Byte(0x71C3, 0)).WBBCC(), "AUJP");
}

TEST_F(BroadcastCode, Every6EImageIsARAPOrAPYP) {
  EXPECT_EQ(Opened(TestImage(32768, 0x6E)).WBBCC(), "ARAP or APYP");
  EXPECT_EQ(Opened(TestImage(32768, 0x6E).Axxc()).WBBCC(), "ARAP or APYP");
}

TEST_F(BroadcastCode, OtherAcceptedMasksAreUnknown) {
  EXPECT_EQ(Opened(TestImage(32768, 0x32).Axxc()).WBBCC(), "XXXX");
  EXPECT_EQ(Opened(TestImage(32768, 0xAA)).WBBCC(), "XXXX");
}

TEST_F(BroadcastCode, IsNotAvailableWithoutAnImage) {
  clsBINFile image(shell);
  EXPECT_EQ(image.WBBCC(), "N/A");
  clsBINFile refused(shell);
  EXPECT_FALSE(refused.OpenBIN(Write(TestImage(32768, 0x05).Axxc(), "refused.bin")));
  EXPECT_EQ(refused.WBBCC(), "N/A");
  clsBINFile& closed = Opened(TestImage(32768, 0x8D).Axxc());
  closed.CloseBIN();
  EXPECT_EQ(closed.WBBCC(), "N/A");
}

TEST_F(BroadcastCode, AShort8DImageReportsEachUnreadableByteAndIsAUJP) {
  path = Write(TestImage(16384, 0x8D));
  clsBINFile image(shell);
  EXPECT_TRUE(image.OpenBIN(path));
  EXPECT_EQ(image.WBBCC(), "AUJP");
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.GetValueFromBin", "clsBINFile.GetValueFromBin",
                                                "clsBINFile.GetValueFromBin"));
}

TEST_F(BroadcastCode, SurvivesChangesSaveAndReopen) {
  clsBINFile& image = Opened(TestImage(32768, 0x8D).Axxc());
  image.PutPEModifier_RPM(1, 1);
  image.SaveBIN();
  EXPECT_EQ(image.WBBCC(), "AXXC");
  bin.reset();
  clsBINFile reopened(shell);
  ASSERT_TRUE(reopened.OpenBIN(path));
  EXPECT_EQ(reopened.WBBCC(), "AXXC");
}

}  // namespace
}  // namespace vantorix::test
