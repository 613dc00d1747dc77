#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "FaultyFileSystem.h"
#include "ImageFixture.h"
#include "Unprivileged.h"

namespace vantorix::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

class SaveBin : public ImageFixture {
 protected:
  FileSystem& files() override { return faulty; }
  FaultyFileSystem faulty;
};

TEST_F(SaveBin, WritesTheCorrectChecksumAndEveryOtherByteUnchanged) {
  const TestImage original = TestImage(32768, 0x8D).StoredChecksum(0xDEAD);
  clsBINFile& image = Opened(original);
  image.SaveBIN();

  TestImage expected = original;
  expected.CorrectChecksum();
  EXPECT_EQ(ReadFile(path), expected.Bytes());
  EXPECT_FALSE(image.Changed());
  EXPECT_THAT(shell.ErrorReports(), IsEmpty());
  EXPECT_EQ(faulty.syncCalls, 1U);
}

TEST_F(SaveBin, TheChecksumTextAfterASaveHasNoLeadingZeros) {
  // Only the mask (0x8D) and one 0x18 are summed: 0xA5.
  clsBINFile& image = Opened(TestImage(32768).Fill(0).Mask(0x8D).Byte(100, 0x18).StoredChecksum(0x1234));
  image.SaveBIN();
  EXPECT_EQ(image.Checksum(), "A5");
  const auto written = ReadFile(path);
  EXPECT_EQ(written[6], 0x00);
  EXPECT_EQ(written[7], 0xA5);
}

TEST_F(SaveBin, WritesChangesMadeInMemory) {
  clsBINFile& image = Opened(TestImage(32768, 0x8D));
  ASSERT_TRUE(image.PutPEModifier_RPM(1, 200));
  image.SaveBIN();
  const auto written = ReadFile(path);
  EXPECT_EQ(written[0x0617], 200);
  EXPECT_EQ(written, std::vector<std::uint8_t>(image.Bytes().begin(), image.Bytes().end()));
  EXPECT_FALSE(image.Changed());
}

TEST_F(SaveBin, MovesTheBarEvery3000BytesAndHidesIt) {
  Opened(TestImage(32768)).SaveBIN();
  std::vector<float> expected{0.0F};
  for (int k = 3000; k <= 30000; k += 3000) expected.push_back(static_cast<float>(k / 32768.0 * 100.0));
  EXPECT_EQ(shell.ProgressValues(), expected);
  EXPECT_FLOAT_EQ(shell.ProgressValues().back(), 91.552734375F);
  EXPECT_EQ(shell.Trace().back(), "hide progress");
  EXPECT_FALSE(shell.ProgressVisible());
  EXPECT_EQ(faulty.writeCalls, 11U);  // runs between the step points, not one call per byte
}

TEST_F(SaveBin, ASmallImageShowsTheBarAtZeroAndHidesIt) {
  Opened(TestImage(128)).SaveBIN();
  EXPECT_THAT(shell.Trace(), ElementsAre("progress 0", "show progress", "hide progress"));
}

TEST_F(SaveBin, WritesNoLogLine) {
  Opened(TestImage()).SaveBIN();
  EXPECT_THAT(shell.Logs(), IsEmpty());
}

TEST_F(SaveBin, AFileDeletedAfterOpeningIsNotRecreated) {
  clsBINFile& image = Opened(TestImage());
  image.PutPEModifier_RPM(2, 9);
  std::filesystem::remove(path);
  image.SaveBIN();
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.SaveBIN"));
  EXPECT_THAT(shell.Boxes()[0].text, HasSubstr("Error Number: 53"));
  EXPECT_THAT(shell.Boxes()[0].text, HasSubstr("was deleted or moved"));
  EXPECT_TRUE(image.Changed());
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(faulty.writeCalls, 0U);
}

TEST_F(SaveBin, AFileReplacedAfterOpeningIsLeftAlone) {
  clsBINFile& image = Opened(TestImage(32768, 0x8D));
  const TestImage other = TestImage(32768, 0x6E).Fill(0x42);
  other.WriteTo(dir.Path() / "other.bin");
  std::filesystem::rename(dir.Path() / "other.bin", path);
  image.SaveBIN();
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.SaveBIN"));
  EXPECT_THAT(shell.Boxes()[0].text, HasSubstr("was replaced"));
  EXPECT_EQ(ReadFile(path), other.Bytes());
  EXPECT_TRUE(image.Changed());
}

TEST_F(SaveBin, AFileMadeReadOnlyAfterOpeningIsNotWritten) {
  OpenToEveryone(dir.Path().string());
  const TestImage original;
  path = dir.File("cal.bin");
  EXPECT_TRUE(RunAsOrdinaryUser([&] {
    original.WriteTo(path);  // owned by the ordinary user, who may then make it read-only
    RecordingShell own;
    clsBINFile image(own);
    if (!image.OpenBIN(path)) return false;
    image.PutPEModifier_RPM(1, 1);
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    image.SaveBIN();
    const bool refused = own.ErrorReports() == std::vector<std::string>{"clsBINFile.SaveBIN"} &&
                         own.Boxes()[0].text.find("Error Number: 70") != std::string::npos && image.Changed();
    if (!refused) std::fprintf(stderr, "%s\n", own.Boxes().empty() ? "no report" : own.Boxes()[0].text.c_str());
    return refused;
  }));
  EXPECT_EQ(ReadFile(path), original.Bytes());
}

TEST_F(SaveBin, AFullDiskStopsTheSaveAndKeepsWhatWasWritten) {
  const TestImage original = TestImage(32768, 0x8D).Fill(0x11).Mask(0x8D);
  clsBINFile& image = Opened(original);
  for (std::int16_t k = 1; k <= 17; ++k) image.PutPEModifier_RPM(k, 0x77);  // bytes 0x0617..0x0627
  faulty.writeError = ENOSPC;
  faulty.failWriteCall = 2;  // the first two runs (6000 bytes) reach the file
  image.SaveBIN();

  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.SaveBIN"));
  EXPECT_THAT(shell.Boxes()[0].text, HasSubstr("Error Number: 61"));
  EXPECT_THAT(shell.Boxes()[0].title, "BIN File Error");
  EXPECT_TRUE(image.Changed());
  // The bar is hidden before the report shows.
  const auto& trace = shell.Trace();
  ASSERT_GE(trace.size(), 2U);
  EXPECT_EQ(trace[trace.size() - 2], "hide progress");
  const auto written = ReadFile(path);
  EXPECT_EQ(written[0x0617], 0x77);                 // in the first run
  EXPECT_EQ(written[6000], original.At(6000));      // never written
  EXPECT_EQ(shell.ProgressValues().size(), 3U);     // 0, 3000 and 6000 bytes
}

TEST_F(SaveBin, AFailedFlushIsReported) {
  clsBINFile& image = Opened(TestImage());
  image.PutPEModifier_RPM(1, 1);
  faulty.syncError = EIO;
  image.SaveBIN();
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.SaveBIN"));
  EXPECT_THAT(shell.Boxes()[0].text, HasSubstr("Error Number: 57"));
  EXPECT_TRUE(image.Changed());
  EXPECT_FALSE(shell.ProgressVisible());
}

TEST_F(SaveBin, SavingWithoutAnImageIsReported) {
  clsBINFile image(shell);
  image.SaveBIN();
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.CheckSum [PropertyLet]", "clsBINFile.SaveBIN"));
}

TEST_F(SaveBin, CanSaveAgainAfterAFailure) {
  clsBINFile& image = Opened(TestImage());
  image.PutPEModifier_Coolant(1, 3);
  faulty.syncError = EIO;
  image.SaveBIN();
  faulty.syncError.reset();
  image.SaveBIN();
  EXPECT_FALSE(image.Changed());
  EXPECT_EQ(ReadFile(path)[0x060E], 3);
}

}  // namespace
}  // namespace vantorix::test
