#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "FaultyFileSystem.h"
#include "ImageFixture.h"
#include "bin/basFileFunctions.h"

namespace vantorix::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class Backup : public ImageFixture {};

TEST_F(Backup, OpeningWithBackupCopiesTheFileFirst) {
  const TestImage original = TestImage(32768, 0x8D).PromId(0x0102);
  path = Write(original, "a.bin");
  clsBINFile image(shell);
  ASSERT_TRUE(image.OpenBIN(path, true));
  EXPECT_EQ(ReadFile(path + ".org"), original.Bytes());
  ASSERT_FALSE(shell.Logs().empty());
  EXPECT_EQ(shell.Logs()[0], "Original BIN backed up as: " + path + ".org");
}

TEST_F(Backup, OverwritesAnEarlierBackup) {
  path = Write(TestImage(32768, 0x8D), "a.bin");
  TestImage(128).Fill(0xEE).WriteTo(path + ".org");
  clsBINFile image(shell);
  ASSERT_TRUE(image.OpenBIN(path, true));
  EXPECT_EQ(ReadFile(path + ".org"), ReadFile(path));
}

TEST_F(Backup, OpeningWithoutBackupLeavesNoCopy) {
  path = Write(TestImage(32768, 0x8D), "a.bin");
  clsBINFile image(shell);
  ASSERT_TRUE(image.OpenBIN(path, false));
  EXPECT_FALSE(std::filesystem::exists(path + ".org"));
}

TEST_F(Backup, AFailedCopyIsAFileErrorAndTheImageStillOpens) {
  FaultyFileSystem faulty;
  faulty.copyError = EACCES;
  path = Write(TestImage(32768, 0x8D), "a.bin");
  clsBINFile image(shell, faulty);
  EXPECT_TRUE(image.OpenBIN(path, true));
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("basFileFunctions.BackupFile"));
  EXPECT_EQ(shell.Boxes()[0].title, "File Error");
  EXPECT_THAT(shell.Boxes()[0].text, HasSubstr("Error Number: 70"));
  EXPECT_THAT(shell.Logs(), ElementsAre("Reading BIN to array...", "Binary read complete."));
}

TEST_F(Backup, ABackupIntoAMissingFolderIsReported) {
  path = Write(TestImage(), "a.bin");
  BackupFile(shell, RealFileSystem(), path, dir.File("no/such/folder/a.bin.org"));
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("basFileFunctions.BackupFile"));
  EXPECT_TRUE(shell.Logs().empty());
}

TEST_F(Backup, ABackupOfAMissingFileIsReported) {
  BackupFile(shell, RealFileSystem(), dir.File("gone.bin"), dir.File("gone.bin.org"));
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("basFileFunctions.BackupFile"));
  EXPECT_THAT(shell.Boxes()[0].text, HasSubstr("Error Number: 53"));
}

}  // namespace
}  // namespace vantorix::test
