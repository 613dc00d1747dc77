#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "FaultyFileSystem.h"
#include "ImageFixture.h"
#include "Unprivileged.h"

namespace vantorix::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

const std::string kMaskRule = "Binary must have a mask of 32, 6E, 8D, or be marked experimental.";

class OpenBin : public ImageFixture {
 protected:
  // Opens a fresh object on the path and returns what it shows afterwards.
  std::string OpenAndDescribe(const std::string& file, bool backup = false) {
    clsBINFile image(shell, files(), tables());
    const bool opened = image.OpenBIN(file, backup);
    EXPECT_EQ(opened, image.FileOpened());
    EXPECT_EQ(image.FilePath(), opened ? file : "N/A");
    return Members(image);
  }
};

TEST_F(OpenBin, ReadsAnImageWithLogAndProgressStepsAndDecodesIt) {
  clsBINFile image(shell);
  EXPECT_EQ(Members(image), kNoImage);
  path = Write(TestImage(32768, 0x8D).PromId(0x1205).StoredChecksum(0x000F).Manual(true).Axxc());
  ASSERT_TRUE(image.OpenBIN(path));
  EXPECT_EQ(Members(image), "1|8D|4613|000F|MANUAL|AXXC|32768|0");
  EXPECT_GT(image.FileNumber(), 0);
  EXPECT_EQ(std::vector<std::uint8_t>(image.Bytes().begin(), image.Bytes().end()), ReadFile(path));
  std::vector<std::string> expected{"log: Reading BIN to array...", "progress 0", "show progress"};
  for (int k = 3000; k <= 30000; k += 3000) {
    std::ostringstream value;
    value << "progress " << static_cast<float>(k / 32768.0 * 100.0);
    expected.push_back(value.str());
  }
  expected.insert(expected.end(), {"hide progress", "log: Binary read complete."});
  EXPECT_EQ(shell.Trace(), expected);
  EXPECT_FLOAT_EQ(shell.ProgressValues()[1], 9.1552734375F);
}

TEST_F(OpenBin, AcceptsEveryMultipleOf128AndTheMasks32AndExperimental) {
  EXPECT_EQ(OpenAndDescribe(Write(TestImage(1024, 0x6E).PromId(7).StoredChecksum(0xAB))), "1|6E|7|00AB|AUTO|ARAP or APYP|1024|0");
  EXPECT_EQ(OpenAndDescribe(Write(TestImage(65536, 0x32).PromId(0).StoredChecksum(0))), "1|32|0|0000||XXXX|65536|0");
  EXPECT_EQ(OpenAndDescribe(Write(TestImage(16384, 0xAA).PromId(1).StoredChecksum(1))), "1|AA|1|0001||XXXX|16384|0");
  EXPECT_THAT(shell.ErrorReports(), ElementsAre());
}

TEST_F(OpenBin, RefusesASizeThatIsNotAMultipleOf128ButBacksItUpFirst) {
  for (const std::size_t size : {32769U, 127U, 1000U}) {
    shell.Clear();
    path = Write(TestImage(size), "odd.bin");
    EXPECT_EQ(OpenAndDescribe(path, true), kNoImage);
    EXPECT_EQ(ReadFile(path + ".org"), ReadFile(path));
    EXPECT_THAT(shell.Trace(), ElementsAre("log: Original BIN backed up as: " + path + ".org",
                                           "box 16 File Size Error: Invalid File Size.\r\nThe BIN that you are "
                                           "attempting to load has an incorrect filesize: " + std::to_string(size)));
  }
}

TEST_F(OpenBin, AnEmptyFileFailsToReadAndIsRefusedForItsMask) {
  EXPECT_EQ(OpenAndDescribe(Write(TestImage(0), "empty.bin")), kNoImage);
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.ReadBinaryToArray", "clsBINFile.GetBinaryMask"));
  EXPECT_EQ(shell.Trace()[0], "hide progress");  // hidden before the read error is reported
  EXPECT_THAT(shell.Logs(), ElementsAre("Invalid Mask: " + kMaskRule));
  EXPECT_EQ(shell.Trace().back(), "box 48 Mask Error: Invalid Mask: \r\n\r\n" + kMaskRule);
}

TEST_F(OpenBin, RefusesAnUnknownMaskWithLogLineAndWarning) {
  EXPECT_EQ(OpenAndDescribe(Write(TestImage(32768, 0x05))), kNoImage);
  EXPECT_THAT(shell.Logs(), ElementsAre("Reading BIN to array...", "Binary read complete.", "Invalid Mask: 5" + kMaskRule));
  EXPECT_EQ(shell.Trace().back(), "box 48 Mask Error: Invalid Mask: 5\r\n\r\n" + kMaskRule);
}

TEST_F(OpenBin, MissingFilesFoldersAndPipesAreRefusedWithoutAWord) {
  std::filesystem::create_directory(dir.Path() / "folder.bin");
  ASSERT_EQ(::mkfifo(dir.File("pipe.bin").c_str(), 0600), 0);
  for (const std::string& missing : {std::string(), dir.File("nothing.bin"), dir.File("folder.bin"), dir.File("pipe.bin")}) {
    EXPECT_EQ(OpenAndDescribe(missing, true), kNoImage) << missing;
    EXPECT_FALSE(std::filesystem::exists(missing + ".org")) << missing;
  }
  EXPECT_TRUE(shell.Trace().empty());
}

TEST_F(OpenBin, AFileThatCannotBeOpenedForWritingIsReportedAndKeepsItsBackup) {
  FaultyFileSystem faulty;
  faulty.openError = EACCES;
  path = Write(TestImage());
  clsBINFile image(shell, faulty);
  EXPECT_FALSE(image.OpenBIN(path, true));
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.OpenBIN"));
  EXPECT_THAT(shell.Boxes()[0].text, HasSubstr("Error Number: 70"));
  EXPECT_GT(image.FileNumber(), 0);  // taken before the open failed
  EXPECT_EQ(Members(image), kNoImage);
  EXPECT_TRUE(std::filesystem::exists(path + ".org"));
}

TEST_F(OpenBin, AFileWithoutWritePermissionOrLockedByAnotherProgramIsRefused) {
  OpenToEveryone(dir.Path().string());
  const std::string readOnly = Write(TestImage(), "read-only.bin");
  std::filesystem::permissions(readOnly, std::filesystem::perms::owner_read | std::filesystem::perms::others_read);
  EXPECT_TRUE(RunAsOrdinaryUser([&] {
    RecordingShell own;
    clsBINFile image(own);
    return !image.OpenBIN(readOnly) && own.Boxes().size() == 1 &&
           own.Boxes()[0].text.find("Error in clsBINFile.OpenBIN\r\n\r\nError Number: 70") == 0;
  }));

  path = Write(TestImage());
  const int other = ::open(path.c_str(), O_RDWR);
  ASSERT_EQ(::flock(other, LOCK_EX), 0);
  EXPECT_EQ(OpenAndDescribe(path), kNoImage);
  ::close(other);
  ASSERT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.OpenBIN"));
  EXPECT_THAT(shell.Boxes()[0].text, HasSubstr("is locked by another program"));
}

TEST_F(OpenBin, AFileLargerThanASizeCanHoldIsReportedNotRead) {
  path = dir.File("huge.bin");
  std::ofstream{path}.close();
  std::error_code error;
  std::filesystem::resize_file(path, (std::uintmax_t{1} << 31U) + 128U, error);  // sparse: no disk used
  if (error) GTEST_SKIP() << "this file system cannot hold a sparse 2 GiB file: " << error.message();
  clsBINFile image(shell);
  EXPECT_FALSE(image.OpenBIN(path));
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.OpenBIN"));
  EXPECT_THAT(shell.Boxes()[0].text, HasSubstr("Error Number: 6\r\nError Description: Overflow (the file is 2147483776"));
  EXPECT_TRUE(image.Bytes().empty());
}

TEST_F(OpenBin, AReadThatEndsEarlyIsReportedAndOpeningGoesOnWithWhatWasRead) {
  FaultyFileSystem faulty;
  faulty.readLimit = 10000;
  clsBINFile image(shell, faulty);
  EXPECT_TRUE(image.OpenBIN(Write(TestImage(32768, 0x8D))));
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.ReadBinaryToArray"));
  EXPECT_THAT(shell.Boxes()[0].text, HasSubstr("Error Number: 62"));
  EXPECT_THAT(shell.Logs(), ElementsAre("Reading BIN to array..."));
  EXPECT_EQ(shell.ProgressValues().size(), 4U);  // 0, then 3000, 6000 and 9000 bytes
  EXPECT_EQ(image.Mask(), "8D");
}

TEST_F(OpenBin, CloseResetsEveryMemberAndFreesTheFileAndItsNumber) {
  const std::string other = Write(TestImage(), "other.bin");
  clsBINFile& image = Opened(TestImage(32768, 0x8D).Axxc());
  clsBINFile second(shell);
  ASSERT_TRUE(second.OpenBIN(other));
  EXPECT_NE(image.FileNumber(), second.FileNumber());
  const std::int16_t number = image.FileNumber();
  image.PutPEModifier_RPM(1, 7);
  image.FilePath("elsewhere.bin");  // the text only; the open file is not affected
  EXPECT_EQ(image.FilePath(), "elsewhere.bin");
  image.CloseBIN();
  EXPECT_EQ(Members(image), kNoImage);
  EXPECT_EQ(image.FileNumber(), 0);
  clsBINFile again(shell);  // the file is no longer locked, its number is free again
  EXPECT_TRUE(again.OpenBIN(path));
  EXPECT_EQ(again.FileNumber(), number);
  EXPECT_THAT(shell.ErrorReports(), ElementsAre());
}

}  // namespace
}  // namespace vantorix::test
