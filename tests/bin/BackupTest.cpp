#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/time.h>

#include <cerrno>
#include <filesystem>
#include <functional>

#include "FaultyFileSystem.h"
#include "ImageFixture.h"
#include "InChild.h"
#include "StorageFaults.h"
#include "bin/basFileFunctions.h"

namespace vantorix::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

class Backup : public ImageFixture {
 protected:
  FileSystem& files() override { return faulty; }
  FaultyFileSystem faulty;
};

struct BackupCase {
  const char* what;
  std::function<void(const std::string& org)> arrange;  // what stands at the backup's name, and faults
  rlim_t sizeLimit;                                     // 0: none
  bool fails;  // one report, and the earlier backup survives
};

// Opening with a backup copies the file first, with its permissions. Whatever stands at
// the backup's name and however the copy ends, the image itself is never touched, the
// backup is the whole image or the earlier backup, and the image opens.
TEST_F(Backup, OpeningCopiesTheFileFirstNeverThroughALinkAndAFailedCopyKeepsTheEarlierBackup) {
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
    EXPECT_EQ(shell.Logs()[0] == "Original BIN backed up as: " + path + ".org", !c.fails);
    EXPECT_EQ(ReadFile(path), original.Bytes());
    EXPECT_FALSE(fs::is_symlink(path + ".org"));
    EXPECT_EQ(ReadFile(path + ".org"), c.fails ? earlier.Bytes() : original.Bytes());
    if (!c.fails) {
      EXPECT_EQ(fs::status(path + ".org").permissions(), fs::status(path).permissions());
    }
    EXPECT_THAT(NamesIn(dir.Path() / "case"), ElementsAre("cal.bin", "cal.bin.org"));
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

TEST_F(Backup, ReadOnlyFileServicesReadAndShareButNeverWrite) {
  path = Write(TestImage(32768, 0x8D).StoredChecksum(0x1234));
  clsBINFile image(shell, ReadOnlyFileSystem(), tables());
  clsBINFile second(shell, ReadOnlyFileSystem(), tables());
  ASSERT_TRUE(image.OpenBIN(path, true));
  ASSERT_TRUE(second.OpenBIN(path));  // readers do not lock each other out
  image.PutPEModifier_RPM(1, 1);
  EXPECT_FALSE(image.SaveBIN());
  clsBINFile writer(shell);  // a writer would change the bytes under the readers' feet
  EXPECT_FALSE(writer.OpenBIN(path));
  EXPECT_EQ(shell.ErrorReports(),
            (std::vector<std::string>{"basFileFunctions.BackupFile", "clsBINFile.SaveBIN", "clsBINFile.OpenBIN"}));
  EXPECT_THAT(shell.Boxes()[1].text, HasSubstr("Error Number: 70"));
  EXPECT_EQ(ReadFile(path), TestImage(32768, 0x8D).StoredChecksum(0x1234).Bytes());
  EXPECT_THAT(NamesIn(dir.Path()), ElementsAre("cal.bin"));
}

}  // namespace
}  // namespace vantorix::test
