#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "FaultyFileSystem.h"
#include "ImageFixture.h"
#include "InChild.h"

namespace vantorix::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

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

struct OpenCase {
  const char* what;
  TestImage image;
  std::string members;                     // Members() afterwards
  std::vector<std::string> reports;        // error reports, in order
  std::vector<std::string> tail = {};      // the last lines of the trace
};

// Every outcome is backed up first, over an earlier and longer copy, refused or not.
TEST_F(OpenBin, AcceptsMultiplesOf128WithAKnownMaskAndRefusesTheRestAfterTheBackup) {
  const auto sizeBox = [](std::size_t size) {
    return "box 16 File Size Error: Invalid File Size.\r\nThe BIN that you are attempting to load has an incorrect "
           "filesize: " + std::to_string(size);
  };
  const std::vector<OpenCase> cases{
      {"6E 1 KB", TestImage(1024, 0x6E).PromId(7).StoredChecksum(0xAB), "1|6E|7|00AB|AUTO|ARAP or APYP|1024|0", {}},
      {"32 64 KB", TestImage(65536, 0x32).PromId(0).StoredChecksum(0), "1|32|0|0000||XXXX|65536|0", {}},
      {"experimental", TestImage(16384, 0xAA).PromId(1).StoredChecksum(1), "1|AA|1|0001||XXXX|16384|0", {}},
      {"8D 128 bytes: code bytes past the end", TestImage(128, 0x8D).PromId(2).StoredChecksum(2),
       "1|8D|2|0002|MANUAL|AUJP|128|0", std::vector<std::string>(3, "clsBINFile.GetValueFromBin")},
      {"32769 bytes", TestImage(32769), kNoImage, {}, {sizeBox(32769)}},
      {"127 bytes", TestImage(127), kNoImage, {}, {sizeBox(127)}},
      {"32832 bytes: a multiple of 64 only", TestImage(32832), kNoImage, {}, {sizeBox(32832)}},
      {"empty", TestImage(0), kNoImage, {"clsBINFile.ReadBinaryToArray", "clsBINFile.GetBinaryMask"},
       {"log: Invalid Mask: " + kMaskRule, "box 48 Mask Error: Invalid Mask: \r\n\r\n" + kMaskRule}},
      {"mask 05", TestImage(32768, 0x05), kNoImage, {},
       {"log: Binary read complete.", "log: Invalid Mask: 5" + kMaskRule,
        "box 48 Mask Error: Invalid Mask: 5\r\n\r\n" + kMaskRule}},
  };
  for (const OpenCase& c : cases) {
    SCOPED_TRACE(c.what);
    shell.Clear();
    path = Write(c.image);
    TestImage(70000).WriteTo(path + ".org");
    EXPECT_EQ(OpenAndDescribe(path, true), c.members);
    EXPECT_EQ(shell.ErrorReports(), c.reports);
    EXPECT_EQ(shell.Trace()[0], "log: Original BIN backed up as: " + path + ".org");
    const auto& trace = shell.Trace();
    const auto tail = static_cast<std::ptrdiff_t>(std::min(c.tail.size(), trace.size()));
    EXPECT_EQ(std::vector<std::string>(trace.end() - tail, trace.end()), c.tail);
    EXPECT_EQ(ReadFile(path + ".org"), c.image.Bytes());
  }
}

TEST_F(OpenBin, MissingFilesFoldersAndPipesAreRefusedWithoutAWordAndWithoutWaiting) {
  fs::create_directory(dir.Path() / "folder.bin");
  ASSERT_EQ(::mkfifo(dir.File("pipe.bin").c_str(), 0600), 0);  // a blocking open would wait for a writer
  for (const std::string& missing : {std::string(), dir.File("nothing.bin"), dir.File("folder.bin"), dir.File("pipe.bin")}) {
    EXPECT_EQ(OpenAndDescribe(missing, true), kNoImage) << missing;
    EXPECT_FALSE(fs::exists(missing + ".org")) << missing;
  }
  EXPECT_TRUE(shell.Trace().empty());
}

// A file that cannot be opened for writing, or that another program holds, is refused
// before anything is copied: the earlier backup stays as it was.
TEST_F(OpenBin, AFileThatCannotBeHeldIsRefusedBeforeItsBackup) {
  OpenToEveryone(dir.Path().string());
  for (const auto mode : {fs::perms::owner_read | fs::perms::others_read, fs::perms::owner_write | fs::perms::others_write}) {
    const std::string denied = Write(TestImage(), "denied.bin");
    fs::permissions(denied, mode);
    EXPECT_TRUE(RunAsOrdinaryUser([&] {
      RecordingShell own;
      clsBINFile image(own);
      return !image.OpenBIN(denied, true) && own.ErrorReports() == std::vector<std::string>{"clsBINFile.OpenBIN"} &&
             own.Boxes()[0].text.find("Error Number: 70\r\n") != std::string::npos && !fs::exists(denied + ".org");
    })) << static_cast<int>(mode);
  }

  path = Write(TestImage());
  const TestImage earlier = TestImage(128).Fill(0xEE);
  earlier.WriteTo(path + ".org");
  const int other = ::open(path.c_str(), O_RDWR);
  ASSERT_EQ(::flock(other, LOCK_EX), 0);
  EXPECT_EQ(OpenAndDescribe(path, true), kNoImage);
  ::close(other);
  ASSERT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.OpenBIN"));
  EXPECT_THAT(shell.Boxes()[0].text, HasSubstr("is locked by another program"));
  EXPECT_EQ(ReadFile(path + ".org"), earlier.Bytes());
}

TEST_F(OpenBin, AFileLargerThanASizeCanHoldIsReportedNotRead) {
  path = dir.File("huge.bin");
  std::ofstream{path}.close();
  std::error_code error;
  fs::resize_file(path, (std::uintmax_t{1} << 31U) + 128U, error);  // sparse: no disk used
  if (error) GTEST_SKIP() << "this file system cannot hold a sparse 2 GiB file: " << error.message();
  clsBINFile image(shell);
  EXPECT_FALSE(image.OpenBIN(path));
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.OpenBIN"));
  EXPECT_THAT(shell.Boxes()[0].text, HasSubstr("Error Number: 6\r\nError Description: Overflow (the file is 2147483776"));
  EXPECT_TRUE(image.Bytes().empty());
}

// A read that ends early or fails is reported; the open goes on with what was read and
// zeros for the rest, never with bytes from anywhere else.
TEST_F(OpenBin, AReadThatEndsEarlyOrFailsIsReportedAndTheRestIsZero) {
  FaultyFileSystem faulty;
  faulty.readLimit = 10000;
  clsBINFile image(shell, faulty);
  path = Write(TestImage(32768, 0x8D));
  EXPECT_TRUE(image.OpenBIN(path));
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.ReadBinaryToArray"));
  EXPECT_THAT(shell.Boxes()[0].text, HasSubstr("Error Number: 62"));
  EXPECT_THAT(shell.Logs(), ElementsAre("Reading BIN to array..."));
  EXPECT_EQ(shell.ProgressValues().size(), 4U);  // 0, then 3000, 6000 and 9000 bytes
  EXPECT_EQ(std::count(image.Bytes().begin() + 10000, image.Bytes().end(), 0), 32768 - 10000);

  image.CloseBIN();
  EXPECT_TRUE(RunWithFailingSystemCall(SYS_pread64, EIO, [&] {
    RecordingShell own;
    clsBINFile failing(own);
    // Nothing was read, so the mask byte is 0 and the image is refused for it.
    return !failing.OpenBIN(path) && own.ErrorReports() == std::vector<std::string>{"clsBINFile.ReadBinaryToArray"} &&
           own.ErrorNumbers() == std::vector<int>{57} && own.Boxes()[1].title == "Mask Error";
  }));
}

TEST_F(OpenBin, CloseResetsEveryMemberAndFreesTheFileAndItsNumber) {
  const std::string other = Write(TestImage(), "other.bin");
  clsBINFile& image = Opened(TestImage(32768, 0x8D).Axxc());
  clsBINFile second(shell);
  ASSERT_TRUE(second.OpenBIN(other));
  EXPECT_NE(image.FileNumber(), second.FileNumber());
  const std::int16_t number = image.FileNumber();
  image.PutPEModifier_RPM(1, 7);
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
