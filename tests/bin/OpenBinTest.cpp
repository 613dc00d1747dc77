#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "FaultyFileSystem.h"
#include "ImageFixture.h"
#include "Unprivileged.h"

namespace vantorix::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

const char* const kMaskRule = "Binary must have a mask of 32, 6E, 8D, or be marked experimental.";

class OpenBin : public ImageFixture {
 protected:
  void ExpectEmptyObject(clsBINFile& image) {
    EXPECT_FALSE(image.FileOpened());
    EXPECT_EQ(image.FilePath(), "N/A");
    EXPECT_EQ(image.Mask(), "N/A");
    EXPECT_EQ(image.PROMID(), "N/A");
    EXPECT_EQ(image.Checksum(), "N/A");
    EXPECT_EQ(image.Transmission(), "N/A");
    EXPECT_EQ(image.WBBCC(), "N/A");
    EXPECT_EQ(image.FileSize(), 0);
    EXPECT_EQ(image.FileNumber(), 0);
    EXPECT_FALSE(image.Changed());
    EXPECT_TRUE(image.Bytes().empty());
  }
};

TEST_F(OpenBin, ANewObjectHoldsNoImage) {
  clsBINFile image(shell);
  ExpectEmptyObject(image);
  EXPECT_TRUE(shell.Trace().empty());
}

TEST_F(OpenBin, ReadsA32KImageWithLogAndProgress) {
  path = Write(TestImage(32768, 0x8D).PromId(0x1205).StoredChecksum(0x000F));
  clsBINFile image(shell);
  ASSERT_TRUE(image.OpenBIN(path));

  EXPECT_TRUE(image.FileOpened());
  EXPECT_EQ(image.FilePath(), path);
  EXPECT_EQ(image.FileSize(), 32768);
  EXPECT_EQ(image.Mask(), "8D");
  EXPECT_EQ(image.PROMID(), "4613");
  EXPECT_EQ(image.Checksum(), "000F");
  EXPECT_GT(image.FileNumber(), 0);
  EXPECT_FALSE(image.Changed());
  EXPECT_THAT(image.Bytes(), ElementsAreArray(ReadFile(path)));

  std::vector<float> expected;
  for (int k = 3000; k <= 30000; k += 3000) expected.push_back(static_cast<float>(k / 32768.0 * 100.0));
  EXPECT_THAT(shell.ProgressValues(), testing::ElementsAre(0.0F, expected[0], expected[1], expected[2], expected[3],
                                                           expected[4], expected[5], expected[6], expected[7],
                                                           expected[8], expected[9]));
  EXPECT_FLOAT_EQ(shell.ProgressValues()[1], 9.1552734375F);
  const auto& trace = shell.Trace();
  ASSERT_EQ(trace.size(), 15U);  // log, bar at 0, show, ten steps, hide, log
  EXPECT_EQ(trace[0], "log: Reading BIN to array...");
  EXPECT_EQ(trace[1], "progress 0");
  EXPECT_EQ(trace[2], "show progress");
  EXPECT_EQ(trace[13], "hide progress");
  EXPECT_EQ(trace[14], "log: Binary read complete.");
  EXPECT_FALSE(shell.ProgressVisible());
  EXPECT_THAT(shell.Boxes(), IsEmpty());
}

TEST_F(OpenBin, AcceptsEveryMultipleOf128) {
  for (const std::size_t size : {128U, 65536U, 16384U}) {
    RecordingShell quiet;
    clsBINFile image(quiet);
    EXPECT_TRUE(image.OpenBIN(Write(TestImage(size, 0x6E), "s" + std::to_string(size) + ".bin"))) << size;
    EXPECT_EQ(image.FileSize(), static_cast<std::int32_t>(size));
  }
}

TEST_F(OpenBin, RefusesASizeThatIsNotAMultipleOf128ButBacksItUpFirst) {
  for (const std::size_t size : {32769U, 127U, 1000U}) {
    shell.Clear();
    path = Write(TestImage(size), "odd.bin");
    clsBINFile image(shell);
    EXPECT_FALSE(image.OpenBIN(path, true));
    ExpectEmptyObject(image);
    EXPECT_TRUE(std::filesystem::exists(path + ".org"));
    EXPECT_THAT(shell.Logs(), ElementsAre("Original BIN backed up as: " + path + ".org"));
    ASSERT_EQ(shell.Boxes().size(), 1U);
    EXPECT_EQ(shell.Boxes()[0].text,
              "Invalid File Size.\r\nThe BIN that you are attempting to load has an incorrect filesize: " +
                  std::to_string(size));
    EXPECT_EQ(shell.Boxes()[0].title, "File Size Error");
    EXPECT_EQ(shell.Boxes()[0].style, MsgBoxStyle::Critical);
  }
}

TEST_F(OpenBin, AnEmptyFileFailsToReadAndIsRefusedForItsMask) {
  path = Write(TestImage(0), "empty.bin");
  clsBINFile image(shell);
  EXPECT_FALSE(image.OpenBIN(path));
  ExpectEmptyObject(image);
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.ReadBinaryToArray", "clsBINFile.GetBinaryMask"));
  EXPECT_THAT(shell.Logs(), ElementsAre(std::string("Invalid Mask: ") + kMaskRule));
  ASSERT_EQ(shell.Boxes().size(), 3U);
  EXPECT_EQ(shell.Boxes()[2].text, std::string("Invalid Mask: \r\n\r\n") + kMaskRule);
  // The bar is hidden before the read error is reported.
  EXPECT_EQ(shell.Trace()[0], "hide progress");
}

TEST_F(OpenBin, RefusesAnUnknownMaskWithLogLineAndWarning) {
  path = Write(TestImage(32768, 0x05));
  clsBINFile image(shell);
  EXPECT_FALSE(image.OpenBIN(path));
  ExpectEmptyObject(image);
  EXPECT_THAT(shell.Logs(), ElementsAre("Reading BIN to array...", "Binary read complete.",
                                        std::string("Invalid Mask: 5") + kMaskRule));
  ASSERT_EQ(shell.Boxes().size(), 1U);
  EXPECT_EQ(shell.Boxes()[0].text, std::string("Invalid Mask: 5\r\n\r\n") + kMaskRule);
  EXPECT_EQ(shell.Boxes()[0].title, "Mask Error");
  EXPECT_EQ(shell.Boxes()[0].style, MsgBoxStyle::Exclamation);
}

TEST_F(OpenBin, AcceptsMask32AndTheExperimentalMask) {
  for (const std::uint8_t mask : {std::uint8_t{0x32}, std::uint8_t{0xAA}}) {
    clsBINFile image(shell);
    ASSERT_TRUE(image.OpenBIN(Write(TestImage(32768, mask)))) << int{mask};
    EXPECT_EQ(image.Mask(), mask == 0x32 ? "32" : "AA");
    EXPECT_EQ(image.Transmission(), "");
    EXPECT_EQ(image.WBBCC(), "XXXX");
  }
  EXPECT_THAT(shell.Boxes(), IsEmpty());
}

TEST_F(OpenBin, MissingFilesAndFoldersAreRefusedWithoutAWord) {
  std::filesystem::create_directory(dir.Path() / "folder.bin");
  for (const std::string& missing : {std::string(), dir.File("nothing.bin"), dir.File("folder.bin")}) {
    clsBINFile image(shell);
    EXPECT_FALSE(image.OpenBIN(missing, true)) << missing;
    EXPECT_EQ(image.FilePath(), "N/A");
    EXPECT_FALSE(std::filesystem::exists(missing + ".org")) << missing;
  }
  EXPECT_TRUE(shell.Trace().empty());
}

TEST_F(OpenBin, OpensPathsWithBlanksAndNonAsciiCharacters) {
  path = Write(TestImage(32768, 0x8D), "Mein Kalibrierungs Ä ü 日本.bin");
  clsBINFile image(shell);
  ASSERT_TRUE(image.OpenBIN(path, true));
  EXPECT_EQ(image.FilePath(), path);
  EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(path + ".org")));
}

TEST_F(OpenBin, AFileThatCannotBeOpenedForWritingIsReportedAndKeepsItsBackup) {
  test::FaultyFileSystem faulty;
  faulty.openError = EACCES;
  path = Write(TestImage());
  clsBINFile image(shell, faulty);
  EXPECT_FALSE(image.OpenBIN(path, true));
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.OpenBIN"));
  EXPECT_THAT(shell.Boxes()[0].text, testing::HasSubstr("Error Number: 70"));
  EXPECT_GT(image.FileNumber(), 0);  // taken before the open failed
  EXPECT_EQ(image.FilePath(), "N/A");
  EXPECT_FALSE(image.FileOpened());
  EXPECT_TRUE(std::filesystem::exists(path + ".org"));
}

TEST_F(OpenBin, AFileWithoutWritePermissionIsRefused) {
  OpenToEveryone(dir.Path().string());
  path = Write(TestImage());
  std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::others_read);
  EXPECT_TRUE(RunAsOrdinaryUser([&] {
    RecordingShell own;
    clsBINFile image(own);
    const bool opened = image.OpenBIN(path);
    const auto reports = own.ErrorReports();
    const bool refused = !opened && reports == std::vector<std::string>{"clsBINFile.OpenBIN"} &&
                         own.Boxes()[0].text.find("Error Number: 70") != std::string::npos;
    if (!refused) std::fprintf(stderr, "opened=%d reports=%zu\n", opened, reports.size());
    return refused;
  }));
}

TEST_F(OpenBin, AFileThatAnotherProgramHoldsLockedIsRefused) {
  path = Write(TestImage());
  const int other = ::open(path.c_str(), O_RDWR);
  ASSERT_GE(other, 0);
  ASSERT_EQ(::flock(other, LOCK_EX), 0);
  clsBINFile image(shell);
  EXPECT_FALSE(image.OpenBIN(path));
  ::close(other);
  ASSERT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.OpenBIN"));
  EXPECT_THAT(shell.Boxes()[0].text, testing::HasSubstr("is locked by another program"));
}

TEST_F(OpenBin, AFileLargerThanASizeCanHoldIsReportedNotRead) {
  path = dir.File("huge.bin");
  {
    std::ofstream create(path);
  }
  std::error_code error;
  std::filesystem::resize_file(path, (std::uintmax_t{1} << 31U) + 128U, error);  // sparse: no disk used
  if (error) GTEST_SKIP() << "this file system cannot hold a sparse 2 GiB file: " << error.message();
  clsBINFile image(shell);
  EXPECT_FALSE(image.OpenBIN(path));
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.OpenBIN"));
  EXPECT_THAT(shell.Boxes()[0].text, testing::HasSubstr("Error Number: 6\r\n"));
  EXPECT_THAT(shell.Boxes()[0].text, testing::HasSubstr("2147483776"));
  EXPECT_TRUE(image.Bytes().empty());
}

TEST_F(OpenBin, AReadThatEndsEarlyIsReportedAndOpeningGoesOnWithWhatWasRead) {
  test::FaultyFileSystem faulty;
  faulty.readLimit = 10000;
  path = Write(TestImage(32768, 0x8D));
  clsBINFile image(shell, faulty);
  EXPECT_TRUE(image.OpenBIN(path));
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.ReadBinaryToArray"));
  EXPECT_THAT(shell.Boxes()[0].text, testing::HasSubstr("Error Number: 62"));
  EXPECT_THAT(shell.Logs(), ElementsAre("Reading BIN to array..."));
  EXPECT_EQ(shell.ProgressValues().size(), 4U);  // 0, then 3000, 6000 and 9000 bytes
  EXPECT_EQ(image.Mask(), "8D");
}

TEST_F(OpenBin, EveryOpenImageHoldsItsOwnFileNumberUntilClosed) {
  const std::string first = Write(TestImage(), "a.bin");
  const std::string second = Write(TestImage(), "b.bin");
  clsBINFile a(shell);
  clsBINFile b(shell);
  ASSERT_TRUE(a.OpenBIN(first));
  ASSERT_TRUE(b.OpenBIN(second));
  EXPECT_NE(a.FileNumber(), b.FileNumber());
  const std::int16_t freed = a.FileNumber();
  a.CloseBIN();
  clsBINFile c(shell);
  ASSERT_TRUE(c.OpenBIN(first));
  EXPECT_EQ(c.FileNumber(), freed);
}

TEST_F(OpenBin, CloseReturnsEveryMemberToItsInitialValue) {
  clsBINFile& image = Opened(TestImage(32768, 0x8D).Axxc());
  image.PutPEModifier_RPM(1, 7);
  ASSERT_TRUE(image.Changed());
  image.CloseBIN();
  ExpectEmptyObject(image);
  EXPECT_TRUE(shell.Trace().empty());
  // The file is no longer held: another object may lock it.
  clsBINFile again(shell);
  EXPECT_TRUE(again.OpenBIN(path));
}

TEST_F(OpenBin, FilePathCanBeSetWithoutTouchingTheOpenFile) {
  clsBINFile& image = Opened(TestImage());
  image.FilePath("elsewhere.bin");
  EXPECT_EQ(image.FilePath(), "elsewhere.bin");
  EXPECT_TRUE(image.FileOpened());
}

}  // namespace
}  // namespace vantorix::test
