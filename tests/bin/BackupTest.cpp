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

TEST_F(Backup, OpeningWithBackupCopiesTheFileFirstOverAnEarlierCopy) {
  const TestImage original = TestImage(32768, 0x8D).PromId(0x0102);
  path = Write(original, "a b.bin");
  TestImage(128).Fill(0xEE).WriteTo(path + ".org");
  clsBINFile image(shell);
  ASSERT_TRUE(image.OpenBIN(path, true));
  EXPECT_EQ(ReadFile(path + ".org"), original.Bytes());
  EXPECT_EQ(shell.Logs()[0], "Original BIN backed up as: " + path + ".org");

  const std::string other = Write(original, "other.bin");
  clsBINFile without(shell);
  ASSERT_TRUE(without.OpenBIN(other, false));
  EXPECT_FALSE(std::filesystem::exists(other + ".org"));
}

TEST_F(Backup, AFailedCopyIsAFileErrorWithoutLogLineAndTheImageStillOpens) {
  FaultyFileSystem faulty;
  faulty.copyError = EACCES;
  clsBINFile image(shell, faulty);
  path = Write(TestImage(32768, 0x8D));
  EXPECT_TRUE(image.OpenBIN(path, true));
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("basFileFunctions.BackupFile"));
  EXPECT_EQ(shell.Boxes()[0].title, "File Error");
  EXPECT_THAT(shell.Boxes()[0].text, HasSubstr("Error Number: 70"));
  EXPECT_THAT(shell.Logs(), ElementsAre("Reading BIN to array...", "Binary read complete."));

  shell.Clear();
  const auto opened = RealFileSystem().OpenReadWrite(Write(TestImage(128), "b.bin"));
  BackupFile(shell, RealFileSystem(), *opened, dir.File("no/such/folder/a.bin.org"));
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("basFileFunctions.BackupFile"));
  EXPECT_THAT(shell.Boxes()[0].text, HasSubstr("Error Number: 53"));
  EXPECT_TRUE(shell.Logs().empty());
}

}  // namespace
}  // namespace vantorix::test
