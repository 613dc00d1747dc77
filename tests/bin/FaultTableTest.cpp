// The failures a user's storage can throw at opening and saving, each ending in the
// documented report with the original still recoverable from the ".org" copy. The cases
// that OpenBinTest, SaveBinTest and BackupTest cover in detail are not repeated here.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "FaultyFileSystem.h"
#include "ImageFixture.h"
#include "Unprivileged.h"
#include "bin/basFileFunctions.h"

namespace vantorix::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

class FaultTable : public ImageFixture {
 protected:
  FileSystem& files() override { return faulty; }

  // Opens with a backup and changes one table byte, as a user would before saving.
  clsBINFile& OpenedAndChanged(const TestImage& original, const std::string& name = "cal.bin") {
    path = Write(original, name);
    bin = std::make_unique<clsBINFile>(shell, files());
    EXPECT_TRUE(bin->OpenBIN(path, true));
    EXPECT_TRUE(bin->PutPEModifier_RPM(1, 0x77));  // offset 0x0617, inside the first run
    shell.Clear();
    return *bin;
  }

  FaultyFileSystem faulty;
};

// The file-size limit of the process stands in for a disk that fills up part-way: the
// kernel then writes part of a run and refuses the rest, which no injected fault does.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    previous_ = ::signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead of ending the process
    rlimit limited = saved_;
    limited.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    ::signal(SIGXFSZ, previous_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
  sighandler_t previous_ = SIG_DFL;
};

// A timer signal, without SA_RESTART, many times during every system call that can take
// a while: what a profiler or a busy child process does to a program.
class SignalStorm {
 public:
  SignalStorm() {
    struct sigaction action {};
    action.sa_handler = [](int) {};
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGALRM, &action, &previous_);
    const itimerval every20us{{0, 20}, {0, 20}};
    ::setitimer(ITIMER_REAL, &every20us, nullptr);
  }
  ~SignalStorm() {
    const itimerval off{};
    ::setitimer(ITIMER_REAL, &off, nullptr);
    ::sigaction(SIGALRM, &previous_, nullptr);
  }
  SignalStorm(const SignalStorm&) = delete;
  SignalStorm& operator=(const SignalStorm&) = delete;

 private:
  struct sigaction previous_ {};
};

struct SaveFault {
  const char* name;
  int errorNumber;
  std::function<void()> arm;
};

TEST_F(FaultTable, EverySaveFaultIsOneReportAndTheBackupStillHoldsTheOriginal) {
  const std::vector<SaveFault> faults{
      {"disk full", 61, [this] { faulty.writeError = ENOSPC, faulty.failWriteCall = 1; }},
      {"device error on flush", 57, [this] { faulty.syncError = EIO; }},
      {"deleted after opening", 53, [this] { fs::remove(path); }},
      {"replaced after opening", 75,
       [this] {
         TestImage(32768, 0x6E).WriteTo(dir.Path() / "other.bin");
         fs::rename(dir.Path() / "other.bin", path);
       }},
  };
  for (const SaveFault& fault : faults) {
    SCOPED_TRACE(fault.name);
    faulty = FaultyFileSystem();
    const TestImage original = TestImage(32768, 0x8D).PromId(0x4242);
    clsBINFile& image = OpenedAndChanged(original);
    fault.arm();
    image.SaveBIN();
    ASSERT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.SaveBIN"));
    EXPECT_THAT(shell.Boxes()[0].text, HasSubstr("Error Number: " + std::to_string(fault.errorNumber) + "\r\n"));
    EXPECT_EQ(shell.Boxes()[0].title, "BIN File Error");
    EXPECT_TRUE(image.Changed());
    EXPECT_FALSE(shell.ProgressVisible());
    EXPECT_EQ(ReadFile(path + ".org"), original.Bytes());
    bin.reset();
  }
}

TEST_F(FaultTable, ADiskThatFillsPartWayKeepsWhatFitAndReportsDiskFull) {
  const TestImage original = TestImage(32768, 0x8D).Fill(0x11).Mask(0x8D);
  clsBINFile& image = OpenedAndChanged(original);
  {
    const FileSizeLimit limit(4096);  // the second run (3000..6000) is cut at 4096
    image.SaveBIN();
  }
  ASSERT_THAT(shell.ErrorReports(), ElementsAre("clsBINFile.SaveBIN"));
  EXPECT_THAT(shell.Boxes()[0].text, HasSubstr("Error Number: 61\r\n"));
  EXPECT_TRUE(image.Changed());
  const auto written = ReadFile(path);
  EXPECT_EQ(written.size(), 32768U);
  EXPECT_EQ(written[0x0617], 0x77);             // written before the limit
  EXPECT_EQ(written[5000], original.At(5000));  // beyond it: the old byte
  EXPECT_EQ(ReadFile(path + ".org"), original.Bytes());
}

TEST_F(FaultTable, AFileThatCannotBeReadIsReportedByBackupAndOpen) {
  OpenToEveryone(dir.Path().string());
  for (const fs::perms mode : {fs::perms::owner_write | fs::perms::others_write, fs::perms::none}) {
    path = Write(TestImage(), "unreadable.bin");
    fs::permissions(path, mode);
    EXPECT_TRUE(RunAsOrdinaryUser([&] {
      RecordingShell own;
      clsBINFile image(own);
      const bool opened = image.OpenBIN(path, true);
      const bool reported = !opened &&
                            own.ErrorReports() == std::vector<std::string>{"basFileFunctions.BackupFile",
                                                                           "clsBINFile.OpenBIN"} &&
                            own.Boxes()[0].text.find("Error Number: 70\r\n") != std::string::npos &&
                            own.Boxes()[1].text.find("Error Number: 70\r\n") != std::string::npos;
      if (!reported) std::fprintf(stderr, "opened=%d boxes=%zu\n", opened, own.Boxes().size());
      return reported && !fs::exists(path + ".org");
    })) << static_cast<int>(mode);
    fs::remove(path);
  }
}

TEST_F(FaultTable, ABackupFolderOrCopyThatCannotBeWrittenIsReportedAndTheImageStillOpensAndSaves) {
  OpenToEveryone(dir.Path().string());
  const fs::path locked = dir.Path() / "locked";  // nobody may add files here
  fs::create_directory(locked);
  const std::string inLockedFolder = Write(TestImage(), "locked/cal.bin");
  OpenToEveryone(inLockedFolder);
  fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                              fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
  const std::string withOldBackup = Write(TestImage(), "cal.bin");
  OpenToEveryone(withOldBackup);
  const TestImage oldBackup = TestImage(128).Fill(0xEE);
  oldBackup.WriteTo(withOldBackup + ".org");
  fs::permissions(withOldBackup + ".org", fs::perms::owner_read | fs::perms::others_read);

  for (const std::string& target : {inLockedFolder, withOldBackup}) {
    EXPECT_TRUE(RunAsOrdinaryUser([&] {
      RecordingShell own;
      clsBINFile image(own);
      if (!image.OpenBIN(target, true) || !image.PutPEModifier_RPM(1, 0x55)) return false;
      image.SaveBIN();
      const bool reported = own.ErrorReports() == std::vector<std::string>{"basFileFunctions.BackupFile"} &&
                            own.Boxes()[0].title == "File Error" &&
                            own.Boxes()[0].text.find("Error Number: 70\r\n") != std::string::npos;
      if (!reported) std::fprintf(stderr, "%s\n", own.Boxes().empty() ? "no report" : own.Boxes()[0].text.c_str());
      return reported && !image.Changed() && ReadFile(target)[0x0617] == 0x55;
    })) << target;
  }
  EXPECT_FALSE(fs::exists(inLockedFolder + ".org"));
  EXPECT_EQ(ReadFile(withOldBackup + ".org"), oldBackup.Bytes());  // the earlier copy is untouched
  fs::permissions(locked, fs::perms::owner_all);  // so that the folder can be removed
}

TEST_F(FaultTable, SignalsDuringTheBackupCopyNeitherFailNorShortenIt) {
  const TestImage large(std::size_t{1} << 20U, 0x8D);  // long enough for a copy to be interrupted
  path = Write(large, "large.bin");
  std::filesystem::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
  {
    const SignalStorm storm;
    const auto opened = RealFileSystem().OpenReadWrite(path);
    for (int copy = 0; copy < 30; ++copy) BackupFile(shell, RealFileSystem(), *opened, path + ".org");
  }
  EXPECT_THAT(shell.ErrorReports(), testing::IsEmpty());
  EXPECT_EQ(shell.Logs().size(), 30U);
  EXPECT_EQ(ReadFile(path + ".org"), large.Bytes());
  EXPECT_EQ(fs::status(path + ".org").permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(FaultTable, ANamedPipeCalledBinIsRefusedWithoutAWordAndWithoutWaiting) {
  path = dir.File("pipe.bin");
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  clsBINFile image(shell);
  EXPECT_FALSE(image.OpenBIN(path, true));  // a blocking open would wait here for a writer
  EXPECT_TRUE(shell.Trace().empty());
  EXPECT_FALSE(fs::exists(path + ".org"));
}

TEST_F(FaultTable, APathWithBlanksAndNonAsciiCharactersIsBackedUpAndSaved) {
  const TestImage original = TestImage(32768, 0x8D);
  clsBINFile& image = OpenedAndChanged(original, "Kalibrierung Ä ü 日本 v2.bin");
  image.SaveBIN();
  EXPECT_TRUE(shell.ErrorReports().empty());
  EXPECT_EQ(ReadFile(path)[0x0617], 0x77);
  EXPECT_EQ(ReadFile(path + ".org"), original.Bytes());
}

}  // namespace
}  // namespace vantorix::test
