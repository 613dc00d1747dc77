// Saving an image and the backup made when it is opened: whatever the storage does, the
// file holds a whole image and the backup the original.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/time.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>

#include "FaultyFileSystem.h"
#include "ImageFixture.h"
#include "InChild.h"
#include "bin/basFileFunctions.h"

namespace vantorix::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
namespace fs = std::filesystem;
using ::testing::HasSubstr;

// Runs the call under a file-size limit of the process (none for 0), which stands in for
// a disk that fills up part-way: the kernel then writes part of a run and refuses the
// rest, which no injected fault does.
template <class Call>
bool WithFileSizeLimit(rlim_t bytes, Call call) {
  rlimit saved{};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  const auto previous = ::signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead of ending the process
  rlimit limited = saved;
  limited.rlim_cur = bytes != 0 ? bytes : saved.rlim_cur;
  ::setrlimit(RLIMIT_FSIZE, &limited);
  const bool result = call();
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, previous);
  return result;
}

// How many names a folder holds: a failed or interrupted write must leave no fragment behind.
std::ptrdiff_t Entries(const fs::path& folder) { return std::distance(fs::directory_iterator(folder), {}); }

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
    for (const int number : shell.ErrorNumbers()) text += " " + std::to_string(number);
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
    EXPECT_EQ(Entries(dir.Path()), fs::exists(path) ? 2 : 1);  // and the backup
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
    return failed && ReadFile(path) == original.Bytes() && Entries(dir.Path()) == 1;
  };
  EXPECT_TRUE(RunAsOrdinaryUser([&] { return savedAfter([&] { fs::permissions(path, fs::perms::owner_read); }, "Number: 70"); }));
  fs::remove(path);
  EXPECT_TRUE(RunWithFailingSystemCall(SYS_fsync, EIO, [&] { return savedAfter([] {}, "Number: 57"); }));
}

class Backup : public SaveBin {};  // the same faulty file services

struct BackupCase {
  const char* what;
  std::function<void(const std::string& org)> arrange;  // what stands at the backup's name, and faults
  rlim_t sizeLimit;                                     // 0: none
  bool fails;  // one report, and the earlier backup survives
};

// Opening with a backup copies the file first, with its permissions. Whatever stands at
// the backup's name and however the copy ends, the image itself is never touched, the
// backup is the whole image or the earlier backup, and the image opens.
TEST_F(Backup, NeverWritesThroughALinkAndAFailedCopyKeepsTheEarlierBackupAndACopyKeepsThePermissions) {
  const TestImage original = TestImage(32768, 0x8D).PromId(0x0102);
  const TestImage earlier = TestImage(65536).Fill(0xEE);
  const auto older = [&](const std::string& org) { earlier.WriteTo(org); };
  const std::vector<BackupCase> cases{
      {"an earlier backup", older, 0, false},
      {"a symbolic link to the image", [this](const std::string& org) { fs::create_symlink(path, org); }, 0, false},
      {"a hard link to the image", [this](const std::string& org) { fs::create_hard_link(path, org); }, 0, false},
      {"the copy cannot start", [&](const std::string& org) { older(org), faulty.copyError = EACCES; }, 0, true},
      {"a write fails", [&](const std::string& org) { older(org), faulty.writeError = EIO; }, 0, true},
      {"the disk fills during the copy", older, 20000, true},
      {"the flush fails", [&](const std::string& org) { older(org), faulty.syncError = EIO; }, 0, true}};
  for (const BackupCase& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(dir.Path() / "case");
    fs::create_directory(dir.Path() / "case");
    faulty = FaultyFileSystem();
    path = Write(original, "case/cal.bin");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    c.arrange(path + ".org");
    clsBINFile image(shell, files(), tables());
    shell.Clear();
    EXPECT_TRUE(WithFileSizeLimit(c.sizeLimit, [&] { return image.OpenBIN(path, true); }));
    EXPECT_EQ(shell.ErrorReports(), std::vector<std::string>(c.fails, "basFileFunctions.BackupFile"));
    EXPECT_EQ(shell.Trace()[0] == "log: Original BIN backed up as: " + path + ".org", !c.fails);
    EXPECT_EQ(ReadFile(path), original.Bytes());
    EXPECT_FALSE(fs::is_symlink(path + ".org"));
    EXPECT_EQ(ReadFile(path + ".org"), c.fails ? earlier.Bytes() : original.Bytes());
    if (!c.fails) {
      EXPECT_EQ(fs::status(path + ".org").permissions(), fs::status(path).permissions());
    }
    EXPECT_EQ(Entries(dir.Path() / "case"), 2);
  }
}

TEST_F(Backup, AFolderOrEarlierCopyThatCannotBeWrittenIsReportedAndKeptAndTheImageStillOpens) {
  OpenToEveryone(dir.Path().string());
  const fs::path locked = dir.Path() / "locked";  // nobody may add files here
  fs::create_directory(locked);
  const std::string inLockedFolder = Write(TestImage(), "locked/cal.bin");
  OpenToEveryone(inLockedFolder);
  fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                              fs::perms::others_exec);
  const std::string withOldBackup = Write(TestImage(), "cal.bin");
  OpenToEveryone(withOldBackup);
  const TestImage oldBackup = TestImage(128).Fill(0xEE);
  oldBackup.WriteTo(withOldBackup + ".org");
  fs::permissions(withOldBackup + ".org", fs::perms::owner_read | fs::perms::others_read);
  for (const std::string& target : {inLockedFolder, withOldBackup}) {
    EXPECT_TRUE(RunAsOrdinaryUser([&] {
      RecordingShell own;
      clsBINFile image(own);
      return image.OpenBIN(target, true) &&
             own.ErrorReports() == std::vector<std::string>{"basFileFunctions.BackupFile"} &&
             own.Boxes()[0].title == "File Error" && own.Boxes()[0].text.find("Error Number: 70\r\n") != std::string::npos;
    })) << target;
  }
  EXPECT_FALSE(fs::exists(inLockedFolder + ".org"));
  EXPECT_EQ(ReadFile(withOldBackup + ".org"), oldBackup.Bytes());
  fs::permissions(locked, fs::perms::owner_all);  // so that the folder can be removed
}

TEST_F(Backup, SignalsDuringTheCopyNeitherFailNorShortenIt) {
  const TestImage large(std::size_t{1} << 20U, 0x8D);  // long enough for a copy to be interrupted
  path = Write(large, "large.bin");
  const auto opened = RealFileSystem().OpenReadWrite(path);
  // A timer signal without SA_RESTART many times during every system call that can take
  // a while: what a profiler or a busy child process does to a program.
  struct sigaction quiet {}, previous {};
  quiet.sa_handler = [](int) {};
  ::sigaction(SIGALRM, &quiet, &previous);
  const itimerval every20us{{0, 20}, {0, 20}}, off{};
  ::setitimer(ITIMER_REAL, &every20us, nullptr);
  for (int copy = 0; copy < 30; ++copy) EXPECT_TRUE(BackupFile(shell, RealFileSystem(), *opened, path + ".org"));
  ::setitimer(ITIMER_REAL, &off, nullptr);
  ::sigaction(SIGALRM, &previous, nullptr);
  EXPECT_THAT(shell.ErrorReports(), testing::IsEmpty());
  EXPECT_EQ(ReadFile(path + ".org"), large.Bytes());
}

TEST_F(Backup, ReadOnlyFileServicesReadWhatAWriterHoldsButNeverWrite) {
  path = Write(TestImage(32768, 0x8D).StoredChecksum(0x1234));
  clsBINFile writer(shell);  // as the window program holds an open image
  ASSERT_TRUE(writer.OpenBIN(path));
  clsBINFile image(shell, ReadOnlyFileSystem(), tables());
  ASSERT_TRUE(image.OpenBIN(path, true));
  image.PutPEModifier_RPM(1, 1);
  EXPECT_FALSE(image.SaveBIN());
  EXPECT_EQ(shell.ErrorReports(), (std::vector<std::string>{"basFileFunctions.BackupFile", "clsBINFile.SaveBIN"}));
  EXPECT_THAT(shell.Boxes()[1].text, HasSubstr("Error Number: 70"));
  EXPECT_EQ(ReadFile(path), TestImage(32768, 0x8D).StoredChecksum(0x1234).Bytes());
  EXPECT_EQ(Entries(dir.Path()), 1);
}

}  // namespace
}  // namespace vantorix::test
