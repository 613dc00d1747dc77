// Saving an image and the backup made when it is opened: whatever the storage does, the
// file holds a whole image and the backup the original.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
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
auto WithFileSizeLimit(rlim_t bytes, Call call) {
  rlimit saved{};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  const auto previous = ::signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead of ending the process
  rlimit limited = saved;
  limited.rlim_cur = bytes != 0 ? bytes : saved.rlim_cur;
  ::setrlimit(RLIMIT_FSIZE, &limited);
  auto result = call();
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, previous);
  return result;
}

// How many names a folder holds: a failed or interrupted write must leave no fragment behind.
std::ptrdiff_t Entries(const fs::path& folder) { return std::distance(fs::directory_iterator(folder), {}); }

class SaveBin : public ImageFixture {
 protected:
  FileSystem& files() override { return faulty; }

  // The given text, each report's place and number, and whether the image is still changed.
  std::string Ended(clsBINFile& image, std::string text) {
    for (const auto& place : shell.ErrorReports()) text += " " + place;
    for (const int number : shell.ErrorNumbers()) text += " " + std::to_string(number);
    return text + (image.Changed() ? " changed" : "") + (shell.ProgressVisible() ? " bar" : "");
  }

  FaultyFileSystem faulty;
};

// Through a link the file it names gets the new image, with its permissions, and the lock
// goes over to it; a save into the file the first save made works the same way.
TEST_F(SaveBin, StoresTheChecksumFirstThenEveryByteThroughALinkKeepingPermissionsAndLock) {
  // Only the mask (0x8D) and one 0x18 are summed, 0xA5, against a stale stored 0x1234.
  TestImage expected = TestImage(32768).Fill(0).Mask(0x8D).Byte(100, 0x18).StoredChecksum(0x1234);
  const std::string target = Write(expected, "real.bin");
  const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  fs::permissions(target, mode);
  fs::create_symlink(target, path = dir.File("link.bin"));
  clsBINFile image(shell, files(), patch());
  ASSERT_TRUE(image.OpenBIN(path) && image.PutPEModifier_RPM(1, 0));  // a change in memory reaches the file too
  shell.Clear();
  EXPECT_TRUE(image.SaveBIN());
  EXPECT_THAT(ReadFile(target), ElementsAreArray(expected.StoredChecksum(0x00A5).Bytes()));
  std::vector<std::string> trace = Steps(32768);
  trace.push_back("hide progress");
  EXPECT_EQ(shell.Trace(), trace);
  // The stored text without leading zeros; runs between the step points, not a call per byte.
  EXPECT_EQ(image.Checksum() + " " + std::to_string(image.Changed()) + " " + std::to_string(faulty.writeCalls) + " " +
                std::to_string(faulty.syncCalls),
            "A5 0 11 1");
  EXPECT_TRUE(image.PutPEModifier_RPM(1, 0x22) && image.SaveBIN());
  EXPECT_THAT(ReadFile(target), ElementsAreArray(expected.Byte(0x0617, 0x22).CorrectChecksum().Bytes()));
  EXPECT_TRUE(fs::is_symlink(path) && fs::status(target).permissions() == mode);
  EXPECT_FALSE(clsBINFile(shell).OpenBIN(target));  // locked
  Opened(TestImage(128, 0x8D)).SaveBIN();           // smaller than one step
  EXPECT_THAT(shell.Trace(), ElementsAre("progress 0", "show progress", "hide progress"));
  clsBINFile empty(shell);
  EXPECT_FALSE(empty.SaveBIN());
  EXPECT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.CheckSum [PropertyLet]", "clsBINFile.SaveBIN"));
}

struct FileEnd {
  const char* what;
  std::function<void(const std::string& org)> beforeOpen;  // what stands at the backup's name; faults of the copy
  std::function<void()> beforeSave;                        // faults of the save
  rlim_t openLimit, saveLimit;                             // file-size limits; 0: none
  std::string outcome;                                     // Ended() after the save
  std::vector<std::uint8_t> file, org;                     // afterwards; empty: gone
};

// Whatever ends the backup copy or the save, the image's name holds the whole old or the
// whole new image, the backup's name the whole image (never written through a link, with
// the image's permissions) or the earlier and longer backup, nothing else is left in the
// folder, and each failure is one report.
TEST_F(SaveBin, EndsWithTheWholeOldOrTheWholeNewImageAndOneReportOnFailure) {
  const TestImage original = TestImage(32768, 0x8D).PromId(0x4242), earlier = TestImage(65536).Fill(0xEE);
  const TestImage other = TestImage(32768, 0x6E).Fill(0x42);
  const std::vector<std::uint8_t> saved = TestImage(original).Byte(0x0617, 0x77).CorrectChecksum().Bytes(),
                                  old = original.Bytes(), kept = earlier.Bytes();
  std::vector<std::uint8_t> grown = old;
  grown.resize(32768 + 128, 'Z');
  const auto as = [](const std::string&) {};
  const auto go = [] {};
  const std::string failed = "not saved clsBINFile.SaveBIN ", copyFailed = "saved basFileFunctions.BackupFile ";
  const std::vector<FileEnd> ends{
      {"no fault", as, go, 0, 0, "saved", saved, old},
      {"disk full at the third run", as,
       [this] { faulty.writeError = ENOSPC, faulty.failWriteCall = faulty.writeCalls + 2; }, 0, 0,
       failed + "61 changed", old, old},
      {"disk fills inside run 2", as, go, 0, 4096, failed + "61 changed", old, old},
      {"disk fills inside the last run", as, go, 0, 32000, failed + "61 changed", old, old},
      {"flush fails", as, [this] { faulty.syncError = EIO; }, 0, 0, failed + "57 changed", old, old},
      {"deleted after opening", as, [this] { fs::remove(path); }, 0, 0, failed + "53 changed", {}, old},
      {"replaced after opening", as, [&] { other.WriteTo(path + ".new"), fs::rename(path + ".new", path); }, 0, 0,
       failed + "75 changed", other.Bytes(), old},
      {"grown after opening", as, [this] { std::ofstream(path, std::ios::app) << std::string(128, 'Z'); }, 0, 0,
       failed + "75 changed", grown, old},
      {"name swapped for a link to a private file after the check", as,
       [&] {
         other.WriteTo(dir.File("private.bin"));
         faulty.beforeReplace = [&] { fs::remove(path), fs::create_symlink(dir.File("private.bin"), path); };
       },
       0, 0, failed + "75 changed", other.Bytes(), old},
      {"the folder's flush fails after the rename", as, [this] { faulty.folderSyncError = EIO; }, 0, 0,
       "saved, the disk may not hold it yet", saved, old},
      {"touched after opening", as,
       [this] { fs::last_write_time(path, fs::last_write_time(path) + std::chrono::hours(1)); }, 0, 0,
       failed + "75 changed", old, old},
      {"backup a symbolic link to the image",
       [this](const std::string& org) { fs::remove(org), fs::create_symlink(path, org); }, go, 0, 0, "saved", saved,
       old},
      {"backup a hard link to the image",
       [this](const std::string& org) { fs::remove(org), fs::create_hard_link(path, org); }, go, 0, 0, "saved", saved,
       old},
      {"the copy cannot start", [this](const std::string&) { faulty.copyError = EACCES; }, go, 0, 0, copyFailed + "70",
       saved, kept},
      {"a write of the copy fails", [this](const std::string&) { faulty.writeError = EIO; }, go, 0, 0,
       copyFailed + "57", saved, kept},
      {"the disk fills during the copy", as, go, 20000, 0, copyFailed + "61", saved, kept},
      {"every flush fails", [this](const std::string&) { faulty.syncError = EIO; }, go, 0, 0,
       "not " + copyFailed + "clsBINFile.SaveBIN 57 57 changed", old, kept}};
  for (const FileEnd& end : ends) {
    SCOPED_TRACE(end.what);
    fs::remove_all(dir.Path() / "case");
    fs::create_directory(dir.Path() / "case");
    faulty = FaultyFileSystem();
    shell.Clear();
    path = Write(original, "case/cal.bin");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    earlier.WriteTo(path + ".org");
    end.beforeOpen(path + ".org");
    clsBINFile image(shell, files(), patch());
    EXPECT_TRUE(WithFileSizeLimit(end.openLimit,
                                  [&] { return image.OpenBIN(path, true) && image.PutPEModifier_RPM(1, 0x77); }));
    const bool backedUp = end.org == old;
    EXPECT_EQ(shell.Trace()[0] == "log: Original BIN backed up as: " + path + ".org", backedUp);
    EXPECT_TRUE(!backedUp || fs::status(path + ".org").permissions() == fs::status(path).permissions());
    end.beforeSave();
    const vantorix::Outcome save = WithFileSizeLimit(end.saveLimit, [&] { return image.SaveBIN(); });
    const bool unflushed = save.Detail().find("the disk may not hold them yet") != std::string::npos;
    EXPECT_EQ(Ended(image, !save       ? "not saved"
                           : unflushed ? "saved, the disk may not hold it yet"
                                       : "saved"),
              end.outcome);
    EXPECT_THAT(fs::exists(path) ? ReadFile(path) : std::vector<std::uint8_t>{}, ElementsAreArray(end.file));
    EXPECT_FALSE(fs::is_symlink(path + ".org"));
    EXPECT_EQ(ReadFile(path + ".org"), end.org);
    EXPECT_EQ(Entries(dir.Path() / "case"), fs::exists(path) ? 2 : 1);  // and the backup
  }
}

struct Refusal {
  const char* what;
  long failingCall;                                    // fails with EIO; 0: run as an ordinary user instead
  std::function<void(const std::string&)> arrange;     // on the file, before the open
  std::function<void(const std::string&)> beforeSave;  // none: no change, no save
  std::string outcome;                                 // "opened" or "refused", then Ended()
  bool backedUp;                                       // else the earlier backup is kept
  FileSystem* files = nullptr;                         // the real ones unless named
};

// Whatever the system refuses (a permission, a lock, a device error) is reported, and the
// file and the earlier backup keep what they held. Permissions are tried as user nobody,
// since root ignores them; device errors come from a system-call filter, where the
// program really meets them.
TEST_F(SaveBin, RefusalsOfTheSystemAreReportedAndCostNeitherTheFileNorTheEarlierBackup) {
  OpenToEveryone(dir.Path().string());
  const fs::path folder = dir.Path() / "case";
  path = (folder / "cal.bin").string();
  const TestImage original, earlier = TestImage(128).Fill(0xEE);
  using P = fs::perms;
  const auto mode = [](P perms) { return [perms](const std::string& at) { fs::permissions(at, perms); }; };
  const auto none = [](const std::string&) {};
  int holder = -1;
  const auto lock = [&](const std::string& at) { ::flock(holder = ::open(at.c_str(), O_RDWR), LOCK_EX); };
  const std::string refused = "refused clsBINFile.OpenBIN 70", failed = "opened not saved basFileFunctions.BackupFile ";
  const std::vector<Refusal> rows{
      {"file without write permission", 0, mode(P::owner_read | P::others_read), nullptr,
       "refused as read-only clsBINFile.OpenBIN 70", false},
      {"file without read permission", 0, mode(P::owner_write | P::others_write), nullptr, refused, false},
      {"file locked", 0, lock, nullptr, refused, false},
      {"read-only services beside a writer", 0, lock, none, failed + "clsBINFile.SaveBIN 70 70 changed", false,
       &ReadOnlyFileSystem()},
      {"earlier backup read-only", 0, [&](const std::string& at) { mode(P::owner_read)(at + ".org"); }, nullptr,
       "opened basFileFunctions.BackupFile 70", false},
      {"folder not writable", 0, [&](const std::string&) { mode(P::owner_read | P::owner_exec)(folder); }, none,
       failed + "clsBINFile.SaveBIN 70 70 changed", false},
      {"file read-only after opening", 0, none, mode(P::owner_read), "opened not saved clsBINFile.SaveBIN 70 changed",
       true},
      {"reads fail", SYS_pread64, none, nullptr,
       "refused basFileFunctions.BackupFile clsBINFile.ReadBinaryToArray 57 57", false},
      {"flushes fail", SYS_fsync, none, none, failed + "clsBINFile.SaveBIN 57 57 changed", false}};
  for (const Refusal& row : rows) {
    SCOPED_TRACE(row.what);
    const auto check = [&] {  // in the child, which owns the files it makes
      shell.Clear();
      fs::create_directory(folder);
      original.WriteTo(path), earlier.WriteTo(path + ".org"), row.arrange(path);
      clsBINFile image(shell, row.files ? *row.files : RealFileSystem(), patch());
      const vantorix::Outcome open = image.OpenBIN(path, true);
      const bool readOnly = open.Detail().find(" is read-only; an image is opened for writing") != std::string::npos;
      const std::string opened = open ? "opened" : readOnly ? "refused as read-only" : "refused";
      const bool save = image.FileOpened() && row.beforeSave && image.PutPEModifier_RPM(1, 1);
      if (save) row.beforeSave(path);
      const std::string outcome = opened + Ended(image, save ? (image.SaveBIN() ? " saved" : " not saved") : "");
      if (outcome != row.outcome) std::fprintf(stderr, "outcome: %s\n", outcome.c_str());
      return outcome == row.outcome;
    };
    EXPECT_TRUE(row.failingCall != 0 ? RunWithFailingSystemCall(row.failingCall, EIO, check)
                                     : RunAsOrdinaryUser(check));
    if (holder >= 0) ::close(std::exchange(holder, -1));
    fs::permissions(folder, P::owner_all), fs::permissions(path, P::owner_all);
    EXPECT_EQ(ReadFile(path), original.Bytes());
    EXPECT_EQ(ReadFile(path + ".org"), (row.backedUp ? original : earlier).Bytes());
    EXPECT_EQ(Entries(folder), 2);  // no temporary file left
    fs::remove_all(folder);
  }
}

class Backup : public SaveBin {};  // the same faulty file services

TEST_F(Backup, SignalsDuringTheCopyNeitherFailNorShortenIt) {
  const TestImage large(std::size_t{1} << 20U, 0x8D);  // long enough for a copy to be interrupted
  path = Write(large, "large.bin");
  const auto opened = RealFileSystem().OpenReadWrite(path);
  // A timer signal without SA_RESTART many times during every system call that can take
  // a while: what a profiler or a busy child process does to a program.
  struct sigaction quiet {
  }, previous{};
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

}  // namespace
}  // namespace vantorix::test
