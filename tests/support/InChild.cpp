#include "InChild.h"

#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <exception>
#include <filesystem>

namespace vantorix::test {

namespace {

// Runs prepare, then check, in a forked child; never back into the test runner there.
bool RunInChild(const std::function<bool()>& prepare, const std::function<bool()>& check) {
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    bool passed = false;
    try {
      passed = prepare() && check();
    } catch (const std::exception& error) {
      std::fprintf(stderr, "the check threw: %s\n", error.what());
    }
    std::fflush(nullptr);
    ::_exit(passed ? 0 : 1);
  }
  int status = 0;
  return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

bool RunAsOrdinaryUser(const std::function<bool()>& check) {
  constexpr uid_t kNobody = 65534;
  if (::geteuid() != 0) return check();
  return RunInChild(
      [] {
        if (::setgid(kNobody) == 0 && ::setuid(kNobody) == 0) return true;
        std::perror("giving up root");
        return false;
      },
      check);
}

bool RunWithFailingSystemCall(long number, int error, const std::function<bool()>& check) {
  return RunInChild(
      [&] {
        // The numbers are those of the architecture the tests were built for.
        sock_filter filter[] = {
            BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
            BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<__u32>(number), 0, 1),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (static_cast<__u32>(error) & SECCOMP_RET_DATA)),
            BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW)};
        const sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
        if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
            ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0)
          return true;
        std::perror("installing the system-call filter");
        return false;
      },
      check);
}

void OpenToEveryone(const std::string& path) {
  using std::filesystem::perms;
  std::filesystem::permissions(path, perms::owner_all | perms::group_all | perms::others_all);
}

}  // namespace vantorix::test
