#include "Unprivileged.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <filesystem>

namespace vantorix::test {

namespace {
constexpr uid_t kNobody = 65534;
}

bool RunAsOrdinaryUser(const std::function<bool()>& check) {
  if (::geteuid() != 0) return check();
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
      std::perror("giving up root");
      ::_exit(2);
    }
    bool passed = false;
    try {
      passed = check();
    } catch (const std::exception& error) {
      std::fprintf(stderr, "the check threw: %s\n", error.what());
    } catch (...) {
      std::fprintf(stderr, "the check threw\n");
    }
    std::fflush(nullptr);
    ::_exit(passed ? 0 : 1);  // never back into the test runner in the child
  }
  int status = 0;
  if (::waitpid(child, &status, 0) != child) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void OpenToEveryone(const std::string& path) {
  using std::filesystem::perms;
  std::filesystem::permissions(path, perms::owner_all | perms::group_all | perms::others_all);
}

}  // namespace vantorix::test
