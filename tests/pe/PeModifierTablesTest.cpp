#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ImageFixture.h"

namespace vantorix::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

constexpr std::array<std::uint8_t, 9> kCoolant{88, 80, 70, 60, 50, 40, 30, 20, 10};
constexpr std::array<std::uint8_t, 17> kRpm{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17};

class PeModifierTables : public ImageFixture {};

TEST_F(PeModifierTables, ReadsBothTablesOfEachMaskInFileOrder) {
  for (const std::uint8_t mask : {std::uint8_t{0x8D}, std::uint8_t{0x6E}, std::uint8_t{0x32}}) {
    clsBINFile& image = Opened(TestImage(32768, mask).CoolantModifiers(kCoolant).RpmModifiers(kRpm));
    EXPECT_THAT(image.GetPEModifiers_Coolant(), ElementsAreArray(kCoolant)) << int{mask};
    EXPECT_THAT(image.GetPEModifiers_RPM(), ElementsAreArray(kRpm)) << int{mask};
  }
  EXPECT_THAT(shell.Logs(), ElementsAre("Gathering WOT PE Coolant Modifiers from file...",
                                        "WOT PE Coolant Modifiers gathered from file successfully.",
                                        "Gathering WOT PE RPM Modifiers from file...",
                                        "WOT PE RPM Modifiers gathered from file successfully."));
}

TEST_F(PeModifierTables, AMaskWithoutTablesLogsTheFirstLineThenReports) {
  clsBINFile& image = Opened(TestImage(32768, 0xAA));
  EXPECT_THAT(image.GetPEModifiers_Coolant(), IsEmpty());
  EXPECT_THAT(image.GetPEModifiers_RPM(), IsEmpty());
  EXPECT_THAT(shell.Logs(), ElementsAre("Gathering WOT PE Coolant Modifiers from file...",
                                        "Gathering WOT PE RPM Modifiers from file..."));
  EXPECT_THAT(shell.ErrorReports(),
              ElementsAre("clsBINFile.GetPEModifiers_Coolant", "clsBINFile.GetPEModifiers_RPM"));
}

TEST_F(PeModifierTables, PutWritesExactlyTheOneTableByte) {
  clsBINFile& image = Opened(TestImage(32768, 0x8D));
  std::vector<std::uint8_t> expected(image.Bytes().begin(), image.Bytes().end());
  EXPECT_TRUE(image.PutPEModifier_RPM(1, 200));
  EXPECT_TRUE(image.PutPEModifier_RPM(17, 3));
  EXPECT_TRUE(image.PutPEModifier_Coolant(9, 4));
  expected[0x0617] = 200;
  expected[0x0627] = 3;
  expected[0x0616] = 4;
  EXPECT_THAT(image.Bytes(), ElementsAreArray(expected));
  EXPECT_TRUE(image.Changed());
  EXPECT_THAT(shell.Trace(), IsEmpty());
}

TEST_F(PeModifierTables, EveryEntryWrittenBackReadsBackForEachMask) {
  for (const std::uint8_t mask : {std::uint8_t{0x8D}, std::uint8_t{0x6E}, std::uint8_t{0x32}}) {
    clsBINFile& image = Opened(TestImage(32768, mask));
    for (std::int16_t k = 1; k <= 9; ++k) image.PutPEModifier_Coolant(k, kCoolant[static_cast<std::size_t>(k - 1)]);
    for (std::int16_t k = 1; k <= 17; ++k) image.PutPEModifier_RPM(k, kRpm[static_cast<std::size_t>(k - 1)]);
    EXPECT_THAT(image.GetPEModifiers_Coolant(), ElementsAreArray(kCoolant)) << int{mask};
    EXPECT_THAT(image.GetPEModifiers_RPM(), ElementsAreArray(kRpm)) << int{mask};
  }
}

TEST_F(PeModifierTables, WritingTheStoredValueStillMarksTheImageChanged) {
  clsBINFile& image = Opened(TestImage(32768, 0x6E).CoolantModifiers(kCoolant));
  EXPECT_TRUE(image.PutPEModifier_Coolant(1, 88));
  EXPECT_TRUE(image.Changed());
}

TEST_F(PeModifierTables, RefusedWritesChangeNothing) {
  clsBINFile& image = Opened(TestImage(32768, 0x8D));
  const std::vector<std::uint8_t> before(image.Bytes().begin(), image.Bytes().end());
  EXPECT_FALSE(image.PutPEModifier_Coolant(1, 256));
  EXPECT_FALSE(image.PutPEModifier_Coolant(1, -1));
  EXPECT_FALSE(image.PutPEModifier_Coolant(0, 5));
  EXPECT_FALSE(image.PutPEModifier_Coolant(10, 5));  // would land in the RPM table
  EXPECT_FALSE(image.PutPEModifier_RPM(18, 5));       // would land past the table
  EXPECT_THAT(shell.ErrorReports(),
              ElementsAre("clsBINFile.PutPEModifier_Coolant", "clsBINFile.PutPEModifier_Coolant",
                          "clsBINFile.PutPEModifier_Coolant", "clsBINFile.PutPEModifier_Coolant",
                          "clsBINFile.PutPEModifier_RPM"));
  EXPECT_THAT(image.Bytes(), ElementsAreArray(before));
  EXPECT_FALSE(image.Changed());
}

TEST_F(PeModifierTables, AMaskWithoutTablesRefusesWrites) {
  clsBINFile& image = Opened(TestImage(32768, 0xAA));
  const std::vector<std::uint8_t> before(image.Bytes().begin(), image.Bytes().end());
  EXPECT_FALSE(image.PutPEModifier_RPM(1, 1));
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.PutPEModifier_RPM"));
  EXPECT_THAT(image.Bytes(), ElementsAreArray(before));
}

TEST_F(PeModifierTables, GetHexLooksUpTheCurrentMask) {
  EXPECT_EQ(Opened(TestImage(32768, 0x6E)).GetHEX(2), 1302);
  clsBINFile empty(shell);
  EXPECT_EQ(empty.GetHEX(0), 0);
}

TEST_F(PeModifierTables, FormulaMembersReportFailuresAndReturnZero) {
  clsBINFile image(shell);
  EXPECT_DOUBLE_EQ(image.Calculate_PE_AFR(88, 80), 12.74);
  EXPECT_EQ(image.CalculateRPMModifier(88, 12.5), 86);
  EXPECT_EQ(image.CalculateCoolantModifier(86, 12.5), 88);
  EXPECT_THAT(shell.Trace(), IsEmpty());

  EXPECT_EQ(image.CalculateRPMModifier(88, 0.0), 0);
  EXPECT_EQ(image.CalculateCoolantModifier(88, 0.0), 0);
  EXPECT_DOUBLE_EQ(image.Calculate_PE_AFR(-128, 0), 0.0);
  EXPECT_EQ(image.CalculateRPMModifier(0, 5.0), 626);  // returned unchanged; the caller refuses it
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.CalculateRPMModifier",
                                                "clsBINFile.CalculateCoolantModifier", "clsBINFile.Calculate_PE_AFR"));
}

}  // namespace
}  // namespace vantorix::test
