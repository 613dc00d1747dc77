#pragma once

#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <string>

namespace vantorix::test {

// Checks that change the process for good run in a forked child, so that the test runner
// goes on unchanged. Each returns the check's result; a failure message, if any, is
// printed by the check itself.

// Runs prepare, then check, in a forked child; never back into the test runner there.
inline bool RunInChild(const std::function<bool()>& prepare, const std::function<bool()>& check) {
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

// Runs the check as an ordinary user, because root ignores permission bits: as root in a
// child that has given up root for the "nobody" user (files the check needs must be
// reachable by that user); as anybody else, directly.
inline bool RunAsOrdinaryUser(const std::function<bool()>& check) {
  constexpr uid_t kNobody = 65534;
  if (::geteuid() != 0) return check();
  const auto dropRoot = [] {
    return (::setgid(kNobody) == 0 && ::setuid(kNobody) == 0) || (std::perror("giving up root"), false);
  };
  return RunInChild(dropRoot, check);
}

// Runs the check in a child in which every call of the system function `number`
// (SYS_pread64, SYS_fsync, ...) fails with the errno value `error`: the device errors that
// no test folder can be made to produce, raised where the program really meets them.
inline bool RunWithFailingSystemCall(long number, int error, const std::function<bool()>& check) {
  // The numbers are those of the architecture the tests were built for.
  sock_filter filter[] = {BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
                          BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, static_cast<__u32>(number), 0, 1),
                          BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (static_cast<__u32>(error) & SECCOMP_RET_DATA)),
                          BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW)};
  const sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
  const auto installFilter = [&] {
    return (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
            ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0) ||
           (std::perror("installing the system-call filter"), false);
  };
  return RunInChild(installFilter, check);
}

// Lets every user read, write and enter the path (for files made by root for the check).
inline void OpenToEveryone(const std::string& path) { std::filesystem::permissions(path, std::filesystem::perms::all); }

}  // namespace vantorix::test
