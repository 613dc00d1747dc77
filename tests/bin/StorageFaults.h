#pragma once

#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <set>
#include <string>

namespace vantorix::test {

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

// The names in a folder: a failed or interrupted write must leave no fragment behind.
inline std::set<std::string> NamesIn(const std::filesystem::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

}  // namespace vantorix::test
