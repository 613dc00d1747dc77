#include "TempDir.h"

#include <stdlib.h>

#include <stdexcept>
#include <system_error>

namespace vantorix::test {

TempDir::TempDir(const std::filesystem::path& base) {
  std::string pattern = (base / "vantorix-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  // Tests may leave read-only files or folders behind; make them removable first.
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace vantorix::test
