#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/syscall.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

#include "FaultyFileSystem.h"
#include "ImageFixture.h"
#include "InChild.h"
#include "StorageFaults.h"

namespace vantorix::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
namespace fs = std::filesystem;

class SaveBin : public ImageFixture {
 protected:
  FileSystem& files() override { return faulty; }

  // Opens with a backup and changes one table byte, as a user would before saving.
  clsBINFile& OpenedAndChanged(const TestImage& original) {
    path = Write(original);
    bin = std::make_unique<clsBINFile>(shell, files(), tables());
    EXPECT_TRUE(bin->OpenBIN(path, true) && bin->PutPEModifier_RPM(1, 0x77));  // offset 0x0617, inside the first run
    shell.Clear();
    return *bin;
  }

  // "saved", or the one report's place and number; then whether the image is still changed.
  std::string Outcome(clsBINFile& image, bool saved) {
    std::string text = saved ? "saved" : "not saved";
    for (const auto& place : shell.ErrorReports()) text += " " + place;
    const auto number = shell.Boxes().empty() ? std::string::npos : shell.Boxes()[0].text.find("Error Number: ");
    if (number != std::string::npos) text += " " + shell.Boxes()[0].text.substr(number + 14, 2);
    return text + (image.Changed() ? " changed" : "") + (shell.ProgressVisible() ? " bar" : "");
  }

  FaultyFileSystem faulty;
};

TEST_F(SaveBin, StoresTheChecksumFirstThenWritesEveryByteWithProgressAndNoLogLine) {
  // Only the mask (0x8D) and one 0x18 are summed, 0xA5, against a stale stored 0x1234.
  TestImage expected = TestImage(32768).Fill(0).Mask(0x8D).Byte(100, 0x18).StoredChecksum(0x1234);
  clsBINFile& image = Opened(expected);
  ASSERT_TRUE(image.PutPEModifier_RPM(1, 0));  // a change in memory reaches the file too
  EXPECT_TRUE(image.SaveBIN());
  EXPECT_THAT(ReadFile(path), ElementsAreArray(expected.StoredChecksum(0x00A5).Bytes()));
  std::vector<std::string> trace = Steps(32768);
  trace.push_back("hide progress");
  EXPECT_EQ(shell.Trace(), trace);
  // The stored text without leading zeros; runs between the step points, not a call per byte.
  EXPECT_EQ(image.Checksum() + " " + std::to_string(image.Changed()) + " " + std::to_string(faulty.writeCalls) + " " +
                std::to_string(faulty.syncCalls), "A5 0 11 1");
  Opened(TestImage(128, 0x8D)).SaveBIN();  // smaller than one step
  EXPECT_THAT(shell.Trace(), ElementsAre("progress 0", "show progress", "hide progress"));
  clsBINFile empty(shell);
  EXPECT_FALSE(empty.SaveBIN());
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.CheckSum [PropertyLet]", "clsBINFile.SaveBIN"));
}

struct SaveEnd {
  const char* what;
  std::function<void()> arm;
  rlim_t sizeLimit;                // 0: none
  std::string outcome;             // Outcome() afterwards
  std::vector<std::uint8_t> file;  // the file's bytes afterwards; empty: gone
};

// Whatever ends a save, the name holds the whole old or the whole new image, nothing
// else is left in the folder, and the backup holds the original.
TEST_F(SaveBin, EndsWithTheWholeOldOrTheWholeNewImageAndOneReportOnFailure) {
  const TestImage original = TestImage(32768, 0x8D).PromId(0x4242);
  const TestImage other = TestImage(32768, 0x6E).Fill(0x42);
  std::vector<std::uint8_t> grown = original.Bytes();
  grown.resize(32768 + 128, 'Z');
  const std::string failed = "not saved clsBINFile.SaveBIN ";
  const std::vector<SaveEnd> ends{
      {"no fault", [] {}, 0, "saved", TestImage(original).Byte(0x0617, 0x77).CorrectChecksum().Bytes()},
      {"disk full at run 3", [this] { faulty.writeError = ENOSPC, faulty.failWriteCall = 2; }, 0,
       failed + "61 changed", original.Bytes()},
      {"disk fills inside run 2", [] {}, 4096, failed + "61 changed", original.Bytes()},
      {"disk fills inside the last run", [] {}, 32000, failed + "61 changed", original.Bytes()},
      {"flush fails", [this] { faulty.syncError = EIO; }, 0, failed + "57 changed", original.Bytes()},
      {"deleted after opening", [this] { fs::remove(path); }, 0, failed + "53 changed", {}},
      {"replaced after opening", [&] { other.WriteTo(path + ".new"), fs::rename(path + ".new", path); }, 0,
       failed + "75 changed", other.Bytes()},
      {"grown after opening", [this] { std::ofstream(path, std::ios::app) << std::string(128, 'Z'); }, 0,
       failed + "75 changed", grown},
      {"touched after opening", [this] { fs::last_write_time(path, fs::last_write_time(path) + std::chrono::hours(1)); },
       0, failed + "75 changed", original.Bytes()},
  };
  for (const SaveEnd& end : ends) {
    SCOPED_TRACE(end.what);
    faulty = FaultyFileSystem();
    clsBINFile& image = OpenedAndChanged(original);
    end.arm();
    EXPECT_EQ(Outcome(image, WithFileSizeLimit(end.sizeLimit, [&] { return image.SaveBIN(); })), end.outcome);
    EXPECT_THAT(fs::exists(path) ? ReadFile(path) : std::vector<std::uint8_t>{}, ElementsAreArray(end.file));
    EXPECT_EQ(ReadFile(path + ".org"), original.Bytes());
    std::set<std::string> names{"cal.bin.org"};
    if (fs::exists(path)) names.insert("cal.bin");
    EXPECT_EQ(NamesIn(dir.Path()), names);
    bin.reset();
  }
}

TEST_F(SaveBin, TheSavedFileKeepsItsLinkPermissionsAndLockAndCanBeSavedAgain) {
  const TestImage original = TestImage(32768, 0x8D);
  const std::string target = Write(original, "real.bin");
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  path = dir.File("link.bin");
  fs::create_symlink(target, path);
  bin = std::make_unique<clsBINFile>(shell, files(), tables());
  ASSERT_TRUE(bin->OpenBIN(path));
  for (const std::int16_t value : {std::int16_t{0x11}, std::int16_t{0x22}}) {
    bin->PutPEModifier_RPM(1, value);
    EXPECT_TRUE(bin->SaveBIN());
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(ReadFile(target)[0x0617], value);
    EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    clsBINFile second(shell);  // the lock went over to the new file
    EXPECT_FALSE(second.OpenBIN(target));
  }
  EXPECT_EQ(shell.ErrorReports(), std::vector<std::string>(2, "clsBINFile.OpenBIN"));
}

TEST_F(SaveBin, ADeviceErrorOrAFileMadeReadOnlyIsReportedAndLeavesTheFileAlone) {
  OpenToEveryone(dir.Path().string());
  const TestImage original;
  path = dir.File("cal.bin");
  const auto savedAfter = [&](const std::function<void()>& meanwhile, const char* number) {
    original.WriteTo(path);  // owned by whoever runs the check, who may then make it read-only
    RecordingShell own;
    clsBINFile image(own);
    if (!image.OpenBIN(path) || !image.PutPEModifier_RPM(1, 1)) return false;
    meanwhile();
    const bool failed = !image.SaveBIN() && own.ErrorReports() == std::vector<std::string>{"clsBINFile.SaveBIN"} &&
                        own.Boxes()[0].text.find(number) != std::string::npos && image.Changed();
    return failed && ReadFile(path) == original.Bytes() && NamesIn(dir.Path()).size() == 1;
  };
  EXPECT_TRUE(RunAsOrdinaryUser([&] { return savedAfter([&] { fs::permissions(path, fs::perms::owner_read); }, "Number: 70"); }));
  fs::remove(path);
  EXPECT_TRUE(RunWithFailingSystemCall(SYS_fsync, EIO, [&] { return savedAfter([] {}, "Number: 57"); }));
}

}  // namespace
}  // namespace vantorix::test
