#pragma once

#include <signal.h>
#include <sys/resource.h>
#include <sys/time.h>

#include <filesystem>
#include <set>
#include <string>

namespace vantorix::test {

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

// The names in a folder: a failed or interrupted write must leave no fragment behind.
inline std::set<std::string> NamesIn(const std::filesystem::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

}  // namespace vantorix::test
