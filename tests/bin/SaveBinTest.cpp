// Saving an image and the backup made when it is opened: whatever the storage does, the
// file holds a whole image and the backup the original.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

#include "FaultyFileSystem.h"
#include "ImageFixture.h"
#include "InChild.h"
#include "bin/basFileFunctions.h"

namespace vantorix::test {
namespace {

using namespace std::chrono_literals;

// Runs the call under a file-size limit of the process (none for 0), which stands in for
// a disk that fills up part-way: the kernel then writes part of a run and refuses the
// rest, which no injected fault does.
template <class Call>
auto WithFileSizeLimit(rlim_t bytes, Call call) {
  rlimit saved{};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  const auto previous = ::signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead of ending the process
  const rlimit limited{bytes != 0 ? bytes : saved.rlim_cur, saved.rlim_max};
  ::setrlimit(RLIMIT_FSIZE, &limited);
  auto result = call();
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, previous);
  return result;
}

class SaveBin : public ImageFixture {
 protected:
  FileSystem& files() override { return faulty; }
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
  EXPECT_EQ(shell.Trace(), Bar({}, 10, {"hide progress"}));
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
}

enum class Phase { Open, Save };
constexpr long kHere = 0, kAsNobody = -1;  // where a row runs, unless in a child whose system call fails

struct FileEnd {
  const char* what;
  Phase phase;                  // the fault strikes the open (with its backup copy) or the save
  std::function<void()> fault;  // made just before it, if any
  std::string outcome;          // what the open and, if it opened, a change and its save came to; each
                                // report's place and number; whether the image is still changed, the bar shown
  Bytes file, org;              // afterwards; empty: gone
  rlim_t sizeLimit = 0;         // the file-size limit the phase runs under; 0: none
  long run = kHere;             // in this process, as user nobody (root ignores permission bits), or in a child
                                // in which this system call fails with EIO, where the program really meets it
};

// Whatever the storage or the system does to the backup copy or the save (a full disk, a
// device error, a permission, a lock, another program), the image's name holds the whole
// old or the whole new image, the backup's name the whole image (never written through a
// link, with the image's permissions) or the earlier and longer backup, nothing else is
// left in the folder, and each failure is one report.
TEST_F(SaveBin, EndsWithTheWholeOldOrTheWholeNewImageAndOneReportOnFailure) {
  using enum Phase;
  using P = fs::perms;
  OpenToEveryone(dir.Path().string());
  const fs::path folder = dir.Path() / "case";
  path = (folder / "cal.bin").string();
  const std::string org = path + ".org", record = dir.File("outcome");
  const TestImage original = TestImage(32768, 0x8D).PromId(0x4242), earlier = TestImage(65536).Fill(0xEE);
  const TestImage other = TestImage(32768, 0x6E).Fill(0x42);
  const Bytes saved = TestImage(original).Byte(0x0617, 0x77).CorrectChecksum().Bytes(), old = original.Bytes(),
              kept = earlier.Bytes();
  Bytes grown = old;
  grown.resize(32768 + 128, 'Z');
  const auto chmod = [](const fs::path& at, P perms) { return [at, perms] { fs::permissions(at, perms); }; };
  int holder = -1;
  const auto lock = [&] { ::flock(holder = ::open(path.c_str(), O_RDWR), LOCK_EX); };
  const std::string failed = "backed up not saved clsBINFile.SaveBIN ",
                    copyFailed = "opened saved basFileFunctions.BackupFile ",
                    unsaved = "opened not saved basFileFunctions.BackupFile clsBINFile.SaveBIN ";
  // clang-format off
  const std::vector<FileEnd> ends{
      {"no fault",                           Save, nullptr, "backed up saved", saved, old},
      {"disk full at the third run",         Save, [this] { faulty.writeError = ENOSPC, faulty.failWriteCall = faulty.writeCalls + 2; }, failed + "61 changed", old, old},
      {"disk fills inside run 2",            Save, nullptr, failed + "61 changed", old, old, 4096},
      {"disk fills inside the last run",     Save, nullptr, failed + "61 changed", old, old, 32000},
      {"flush fails",                        Save, [this] { faulty.syncError = EIO; }, failed + "57 changed", old, old},
      {"deleted after opening",              Save, [this] { fs::remove(path); }, failed + "53 changed", {}, old},
      {"replaced after opening",             Save, [&] { other.WriteTo(path + ".new"), fs::rename(path + ".new", path); }, failed + "75 changed", other.Bytes(), old},
      {"grown after opening",                Save, [this] { std::ofstream(path, std::ios::app) << std::string(128, 'Z'); }, failed + "75 changed", grown, old},
      {"touched after opening",              Save, [this] { fs::last_write_time(path, fs::last_write_time(path) + 1h); }, failed + "75 changed", old, old},
      {"swapped for a link after the check", Save, [&] { other.WriteTo(dir.File("private.bin")), faulty.beforeReplace = [&] { fs::remove(path), fs::create_symlink(dir.File("private.bin"), path); }; }, failed + "75 changed", other.Bytes(), old},
      {"made read-only after opening",       Save, chmod(path, P::owner_read), failed + "70 changed", old, old, 0, kAsNobody},
      {"the folder's flush fails",           Save, [this] { faulty.folderSyncError = EIO; }, "backed up saved unflushed", saved, old},
      {"backup a symbolic link to it",       Open, [&] { fs::remove(org), fs::create_symlink(path, org); }, "backed up saved", saved, old},
      {"backup a hard link to it",           Open, [&] { fs::remove(org), fs::create_hard_link(path, org); }, "backed up saved", saved, old},
      {"the copy cannot start",              Open, [this] { faulty.copyError = EACCES; }, copyFailed + "70", saved, kept},
      {"a write of the copy fails",          Open, [this] { faulty.writeError = EIO; }, copyFailed + "57", saved, kept},
      {"the disk fills during the copy",     Open, nullptr, copyFailed + "61", saved, kept, 20000},
      {"earlier backup read-only",           Open, chmod(org, P::owner_read), copyFailed + "70", saved, kept, 0, kAsNobody},
      {"every flush fails",                  Open, [this] { faulty.syncError = EIO; }, unsaved + "57 57 changed", old, kept},
      {"the system fails every flush",       Open, nullptr, unsaved + "57 57 changed", old, kept, 0, SYS_fsync},
      {"folder not writable",                Open, chmod(folder, P::owner_read | P::owner_exec), unsaved + "70 70 changed", old, kept, 0, kAsNobody},
      {"read-only services beside a writer", Open, [&] { lock(), faulty.services = &ReadOnlyFileSystem(); }, unsaved + "70 70 changed", old, kept, 0, kAsNobody},
      {"file without write permission",      Open, chmod(path, P::owner_read | P::others_read), "refused as read-only clsBINFile.OpenBIN 70", old, kept, 0, kAsNobody},
      {"file without read permission",       Open, chmod(path, P::owner_write | P::others_write), "refused clsBINFile.OpenBIN 70", old, kept, 0, kAsNobody},
      {"file locked",                        Open, lock, "refused clsBINFile.OpenBIN 70", old, kept, 0, kAsNobody},
      {"the system fails every read",        Open, nullptr, "refused basFileFunctions.BackupFile clsBINFile.ReadBinaryToArray 57 57", old, kept, 0, SYS_pread64}};
  // clang-format on
  const auto mode = P::owner_read | P::owner_write | P::group_read;
  for (const FileEnd& end : ends) {
    SCOPED_TRACE(end.what);
    const auto check = [&] {  // in a child, if one, which owns the files it makes
      faulty = FaultyFileSystem();
      shell.Clear();
      fs::create_directory(folder);
      original.WriteTo(path), fs::permissions(path, mode), earlier.WriteTo(org);
      if (end.phase == Open && end.fault) end.fault();
      clsBINFile image(shell, files(), patch());
      const Outcome open =
          WithFileSizeLimit(end.phase == Open ? end.sizeLimit : 0, [&] { return image.OpenBIN(path, true); });
      const bool readOnly = open.Detail().find(" is read-only; an image is opened for writing") != std::string::npos;
      std::string said = open ? (shell.Trace()[0] == "log: Original BIN backed up as: " + org ? "backed up" : "opened")
                              : (readOnly ? "refused as read-only" : "refused");
      if (open && image.PutPEModifier_RPM(1, 0x77)) {
        if (end.phase == Save && end.fault) end.fault();
        const Outcome save = WithFileSizeLimit(end.phase == Save ? end.sizeLimit : 0, [&] { return image.SaveBIN(); });
        const bool unflushed = save.Detail().find("the disk may not hold them yet") != std::string::npos;
        said += !save ? " not saved" : unflushed ? " saved unflushed" : " saved";
      }
      for (const auto& place : shell.ErrorReports()) said += " " + place;
      for (const int number : shell.ErrorNumbers()) said += " " + std::to_string(number);
      std::ofstream(record) << said << (image.Changed() ? " changed" : "") << (shell.ProgressVisible() ? " bar" : "");
      return true;
    };
    EXPECT_TRUE(end.run == kHere       ? check()
                : end.run == kAsNobody ? RunAsOrdinaryUser(check)
                                       : RunWithFailingSystemCall(end.run, EIO, check));
    if (holder >= 0) ::close(std::exchange(holder, -1));
    std::error_code gone;
    fs::permissions(folder, P::owner_all), fs::permissions(path, P::owner_all, gone);
    std::string said;
    EXPECT_EQ(std::getline(std::ifstream(record), said) ? said : "nothing", end.outcome);
    EXPECT_THAT(fs::exists(path) ? ReadFile(path) : Bytes{}, ElementsAreArray(end.file));
    EXPECT_FALSE(fs::is_symlink(org));
    EXPECT_EQ(ReadFile(org), end.org);
    EXPECT_TRUE(end.org == kept || fs::status(org).permissions() == mode);
    // A failed or interrupted write leaves no fragment behind: the image, if there, and the backup.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), fs::exists(path) ? 2 : 1);
    fs::remove_all(folder), fs::remove(record);
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
