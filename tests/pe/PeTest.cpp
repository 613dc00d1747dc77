
#include "ImageFixture.h"
#include "Outcomes.h"
#include "pe/PeModel.h"

namespace vantorix::test {
namespace {

using Pair = std::pair<std::int16_t, double>;

// The AFR follows from the sum of both modifiers, rounded to hundredths; its inverse finds
// the modifier for a wanted ratio, halves to even, and outside a byte too: the caller
// refuses it. A failure is reported and gives 0; nothing else is shown or logged.
TEST(PeModel, TargetAfrAndTheModifierThatSolvesForItRoundAsTheFormulaSays) {
  RecordingShell shell;
  clsBINFile image(shell);
  const double halves = pe::AFR_CONSTANT / 356.5;  // exact solutions 100.5 and 101.5
  const std::initializer_list<Pair> afrs{{0, 0},   {255, 255}, {128, 0},  {88, 80},
                                         {80, 88}, {88, 86},   {-128, 0}, {32767, 1}},
      solved{{88, 12.5}, {0, 14.7}, {88, 12.74}, {128, halves}, {127, halves},
             {0, 5.0},   {0, 40.0}, {88, 0.0},   {0, 0.0001}};
  EXPECT_EQ(
      Outcomes([&](Pair p) { return image.Calculate_PE_AFR(p.first, static_cast<std::int16_t>(p.second)); }, afrs),
      "29.45 5.91 14.73 12.74 12.74 12.48 0 0");
  EXPECT_EQ(Outcomes([&](Pair p) { return image.CalculateRPMModifier(p.first, p.second); }, solved),
            "86 128 80 100 102 626 -34 0 0");
  EXPECT_EQ(
      Outcomes([&](Pair p) { return image.CalculateCoolantModifier(p.first, p.second); }, {Pair{86, 12.5}, {88, 0.0}}),
      "88 0");
  const std::string report = "box Critical BIN File Error: Error in clsBINFile.";
  EXPECT_THAT(shell.Outline(),
              ElementsAre(report + "Calculate_PE_AFR", report + "Calculate_PE_AFR", report + "CalculateRPMModifier",
                          report + "CalculateRPMModifier", report + "CalculateCoolantModifier"));
  EXPECT_THAT(shell.ErrorNumbers(), ElementsAre(11, 6, 11, 6, 11));
}

constexpr std::array<std::uint8_t, 9> kCoolant{88, 80, 70, 60, 50, 40, 30, 20, 10};
constexpr std::array<std::uint8_t, 17> kRpm{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17};

class PeModifierTables : public ImageFixture {};

TEST_F(PeModifierTables, ReadsAndWritesBothTablesOfEachMaskAtTheirOwnBytesOnly) {
  for (const std::uint8_t mask : {std::uint8_t{0x8D}, std::uint8_t{0x6E}, std::uint8_t{0x32}}) {
    SCOPED_TRACE(int{mask});
    TestImage expected = TestImage(32768, mask).CoolantModifiers(kCoolant).RpmModifiers(kRpm);
    clsBINFile& image = Opened(expected);
    EXPECT_THAT(image.GetPEModifiers_Coolant(), ElementsAreArray(kCoolant));
    EXPECT_THAT(image.GetPEModifiers_RPM(), ElementsAreArray(kRpm));
    EXPECT_THAT(shell.Trace(), ElementsAre("log: Gathering WOT PE Coolant Modifiers from file...",
                                           "log: WOT PE Coolant Modifiers gathered from file successfully.",
                                           "log: Gathering WOT PE RPM Modifiers from file...",
                                           "log: WOT PE RPM Modifiers gathered from file successfully."));
    // The value already there still marks the image.
    EXPECT_TRUE(image.PutPEModifier_Coolant(1, 88) && image.Changed());
    EXPECT_TRUE(image.PutPEModifier_RPM(1, 200) && image.PutPEModifier_RPM(17, 3) && image.PutPEModifier_Coolant(9, 4));
    expected.Byte(expected.RpmOffset(), 200).Byte(expected.RpmOffset() + 16, 3).Byte(expected.CoolantOffset() + 8, 4);
    EXPECT_THAT(BytesOf(image), ElementsAreArray(expected.Bytes()));
  }
}

// Element numbers outside a table and values outside a byte are refused; a mask without
// tables has nothing to read or write, so no element lands in the header.
TEST_F(PeModifierTables, RefusedWritesAndAMaskWithoutTablesChangeNothing) {
  clsBINFile& image = Opened(TestImage(32768, 0x8D));
  // Coolant element 10 would land in the RPM table.
  EXPECT_FALSE(image.PutPEModifier_Coolant(1, 256) || image.PutPEModifier_Coolant(1, -1) ||
               image.PutPEModifier_Coolant(0, 5) || image.PutPEModifier_RPM(18, 5) ||
               image.PutPEModifier_Coolant(10, 5) || image.Changed());
  EXPECT_THAT(shell.ErrorNumbers(), ElementsAre(6, 6, 9, 9, 9));
  EXPECT_THAT(BytesOf(image), ElementsAreArray(TestImage(32768, 0x8D).Bytes()));
  clsBINFile& experimental = Opened(TestImage(32768, 0xAA));
  EXPECT_FALSE(!experimental.GetPEModifiers_Coolant().empty() || !experimental.GetPEModifiers_RPM().empty() ||
               experimental.PutPEModifier_RPM(2, 1) || experimental.PutPEModifier_Coolant(9, 1) ||
               experimental.Changed());
  EXPECT_THAT(BytesOf(experimental), ElementsAreArray(TestImage(32768, 0xAA).Bytes()));  // nothing in the header
  EXPECT_EQ(Outcomes([](std::int32_t bound) { return pe::TablePosition("8D", bound); }, {-1, 0, 3, 4}),
            "0 1551 1576 0");
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.GetPEModifiers_Coolant", "clsBINFile.GetPEModifiers_RPM",
                                                "clsBINFile.PutPEModifier_RPM", "clsBINFile.PutPEModifier_Coolant"));
}

}  // namespace
}  // namespace vantorix::test
