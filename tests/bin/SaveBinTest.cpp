#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "FaultyFileSystem.h"
#include "ImageFixture.h"
#include "Unprivileged.h"

namespace vantorix::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class SaveBin : public ImageFixture {
 protected:
  FileSystem& files() override { return faulty; }
  FaultyFileSystem faulty;
};

TEST_F(SaveBin, StoresTheChecksumFirstThenWritesEveryByteWithProgressAndNoLogLine) {
  // Only the mask (0x8D) and one 0x18 are summed, 0xA5, against a stale stored 0x1234.
  TestImage expected = TestImage(32768).Fill(0).Mask(0x8D).Byte(100, 0x18).StoredChecksum(0x1234);
  clsBINFile& image = Opened(expected);
  ASSERT_TRUE(image.PutPEModifier_RPM(1, 0));  // a change in memory reaches the file too
  image.SaveBIN();
  expected.StoredChecksum(0x00A5);
  EXPECT_EQ(ReadFile(path), expected.Bytes());
  EXPECT_EQ(image.Checksum(), "A5");  // the stored text, without leading zeros
  EXPECT_FALSE(image.Changed());
  std::vector<float> progress{0.0F};
  for (int k = 3000; k <= 30000; k += 3000) progress.push_back(static_cast<float>(k / 32768.0 * 100.0));
  EXPECT_EQ(shell.ProgressValues(), progress);
  EXPECT_EQ(shell.Trace().back(), "hide progress");
  EXPECT_TRUE(shell.Logs().empty());
  EXPECT_EQ(faulty.writeCalls, 11U);  // runs between the step points, not one call per byte
  EXPECT_EQ(faulty.syncCalls, 1U);

  Opened(TestImage(128, 0x8D)).SaveBIN();  // smaller than one step
  EXPECT_THAT(shell.Trace(), ElementsAre("progress 0", "show progress", "hide progress"));
}

TEST_F(SaveBin, AFileDeletedOrReplacedAfterOpeningIsNeitherRecreatedNorOverwritten) {
  clsBINFile& image = Opened(TestImage());
  image.PutPEModifier_RPM(2, 9);
  std::filesystem::remove(path);
  image.SaveBIN();
  EXPECT_THAT(shell.Boxes()[0].text, HasSubstr("Error Number: 53"));
  EXPECT_FALSE(std::filesystem::exists(path));

  clsBINFile& replaced = Opened(TestImage(32768, 0x8D));
  replaced.PutPEModifier_RPM(2, 9);
  const TestImage other = TestImage(32768, 0x6E).Fill(0x42);
  other.WriteTo(dir.Path() / "other.bin");
  std::filesystem::rename(dir.Path() / "other.bin", path);
  replaced.SaveBIN();
  EXPECT_THAT(shell.Boxes()[0].text, HasSubstr("was replaced"));
  EXPECT_EQ(ReadFile(path), other.Bytes());
  EXPECT_TRUE(replaced.Changed());
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.SaveBIN"));
  EXPECT_EQ(faulty.writeCalls, 0U);
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
    return own.ErrorReports() == std::vector<std::string>{"clsBINFile.SaveBIN"} &&
           own.Boxes()[0].text.find("Error Number: 70") != std::string::npos && image.Changed();
  }));
  EXPECT_EQ(ReadFile(path), original.Bytes());
}

TEST_F(SaveBin, AFullDiskOrFailedFlushIsReportedKeepsWhatWasWrittenAndCanBeSavedAgain) {
  const TestImage original = TestImage(32768, 0x8D).Fill(0x11).Mask(0x8D);
  clsBINFile& image = Opened(original);
  for (std::int16_t k = 1; k <= 17; ++k) image.PutPEModifier_RPM(k, 0x77);  // bytes 0x0617..0x0627
  faulty.writeError = ENOSPC;
  faulty.failWriteCall = 2;  // the first two runs (6000 bytes) reach the file
  image.SaveBIN();
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.SaveBIN"));
  EXPECT_THAT(shell.Boxes()[0].text, HasSubstr("Error Number: 61"));
  EXPECT_EQ(shell.Trace()[shell.Trace().size() - 2], "hide progress");  // hidden before the report
  EXPECT_TRUE(image.Changed());
  auto written = ReadFile(path);
  EXPECT_EQ(written[0x0617], 0x77);             // in the first run
  EXPECT_EQ(written[6000], original.At(6000));  // never written
  EXPECT_EQ(shell.ProgressValues().size(), 3U);  // 0, 3000 and 6000 bytes

  faulty.writeError.reset();
  faulty.syncError = EIO;
  image.SaveBIN();
  EXPECT_THAT(shell.Boxes().back().text, HasSubstr("Error Number: 57"));
  EXPECT_TRUE(image.Changed());
  faulty.syncError.reset();
  image.SaveBIN();
  EXPECT_FALSE(image.Changed());
  EXPECT_EQ(ReadFile(path)[0x0627], 0x77);
}

TEST_F(SaveBin, SavingWithoutAnImageIsReported) {
  clsBINFile image(shell);
  image.SaveBIN();
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.CheckSum [PropertyLet]", "clsBINFile.SaveBIN"));
}

}  // namespace
}  // namespace vantorix::test
