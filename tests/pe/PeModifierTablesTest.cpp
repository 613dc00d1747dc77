#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ImageFixture.h"

namespace vantorix::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

constexpr std::array<std::uint8_t, 9> kCoolant{88, 80, 70, 60, 50, 40, 30, 20, 10};
constexpr std::array<std::uint8_t, 17> kRpm{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17};

class PeModifierTables : public ImageFixture {};

TEST_F(PeModifierTables, ReadsAndWritesBothTablesOfEachMaskAtTheirOwnBytesOnly) {
  for (const std::uint8_t mask : {std::uint8_t{0x8D}, std::uint8_t{0x6E}, std::uint8_t{0x32}}) {
    TestImage expected = TestImage(32768, mask).CoolantModifiers(kCoolant).RpmModifiers(kRpm);
    clsBINFile& image = Opened(expected);
    EXPECT_THAT(image.GetPEModifiers_Coolant(), ElementsAreArray(kCoolant)) << int{mask};
    EXPECT_THAT(image.GetPEModifiers_RPM(), ElementsAreArray(kRpm)) << int{mask};
    EXPECT_THAT(shell.Logs(), ElementsAre("Gathering WOT PE Coolant Modifiers from file...",
                                          "WOT PE Coolant Modifiers gathered from file successfully.",
                                          "Gathering WOT PE RPM Modifiers from file...",
                                          "WOT PE RPM Modifiers gathered from file successfully."));
    EXPECT_TRUE(image.PutPEModifier_Coolant(1, 88));  // the value already there still marks the image
    EXPECT_TRUE(image.Changed());
    EXPECT_TRUE(image.PutPEModifier_RPM(1, 200));
    EXPECT_TRUE(image.PutPEModifier_RPM(17, 3));
    EXPECT_TRUE(image.PutPEModifier_Coolant(9, 4));
    std::array<std::uint8_t, 17> rpm = kRpm;
    rpm.front() = 200, rpm.back() = 3;
    std::array<std::uint8_t, 9> coolant = kCoolant;
    coolant.back() = 4;
    expected.RpmModifiers(rpm).CoolantModifiers(coolant);
    EXPECT_EQ(std::vector<std::uint8_t>(image.Bytes().begin(), image.Bytes().end()), expected.Bytes());
  }
}

TEST_F(PeModifierTables, RefusedWritesAndAMaskWithoutTablesChangeNothing) {
  clsBINFile& image = Opened(TestImage(32768, 0x8D));
  const std::vector<std::uint8_t> before(image.Bytes().begin(), image.Bytes().end());
  EXPECT_FALSE(image.PutPEModifier_Coolant(1, 256));
  EXPECT_FALSE(image.PutPEModifier_Coolant(1, -1));
  EXPECT_FALSE(image.PutPEModifier_Coolant(0, 5));
  EXPECT_FALSE(image.PutPEModifier_Coolant(10, 5));  // would land in the RPM table
  EXPECT_FALSE(image.PutPEModifier_RPM(18, 5));       // would land past the table
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.PutPEModifier_Coolant", "clsBINFile.PutPEModifier_Coolant",
                                                "clsBINFile.PutPEModifier_Coolant", "clsBINFile.PutPEModifier_Coolant",
                                                "clsBINFile.PutPEModifier_RPM"));
  EXPECT_EQ(std::vector<std::uint8_t>(image.Bytes().begin(), image.Bytes().end()), before);
  EXPECT_FALSE(image.Changed());

  // A mask without tables has nothing to read or write: not even the header gets a byte.
  clsBINFile& experimental = Opened(TestImage(32768, 0xAA));
  EXPECT_TRUE(experimental.GetPEModifiers_Coolant().empty() && experimental.GetPEModifiers_RPM().empty());
  EXPECT_FALSE(experimental.PutPEModifier_RPM(1, 1) || experimental.PutPEModifier_Coolant(1, 1));
  EXPECT_EQ(experimental.GetHEX(0), 0);
  EXPECT_EQ(std::vector<std::uint8_t>(experimental.Bytes().begin(), experimental.Bytes().end()),
            TestImage(32768, 0xAA).Bytes());
  EXPECT_THAT(shell.Logs(), ElementsAre("Gathering WOT PE Coolant Modifiers from file...",
                                        "Gathering WOT PE RPM Modifiers from file..."));
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.GetPEModifiers_Coolant", "clsBINFile.GetPEModifiers_RPM",
                                                "clsBINFile.PutPEModifier_RPM", "clsBINFile.PutPEModifier_Coolant"));
  EXPECT_FALSE(experimental.Changed());
}

TEST_F(PeModifierTables, FormulaMembersReportFailuresAndReturnZero) {
  clsBINFile image(shell);
  EXPECT_DOUBLE_EQ(image.Calculate_PE_AFR(88, 80), 12.74);
  EXPECT_EQ(image.CalculateRPMModifier(88, 12.5), 86);
  EXPECT_EQ(image.CalculateCoolantModifier(86, 12.5), 88);
  EXPECT_EQ(image.CalculateRPMModifier(0, 5.0), 626);  // returned unchanged; the caller refuses it
  EXPECT_TRUE(shell.Trace().empty());
  EXPECT_EQ(image.CalculateRPMModifier(88, 0.0), 0);
  EXPECT_EQ(image.CalculateCoolantModifier(88, 0.0), 0);
  EXPECT_DOUBLE_EQ(image.Calculate_PE_AFR(-128, 0), 0.0);
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.CalculateRPMModifier",
                                                "clsBINFile.CalculateCoolantModifier", "clsBINFile.Calculate_PE_AFR"));
}

}  // namespace
}  // namespace vantorix::test
