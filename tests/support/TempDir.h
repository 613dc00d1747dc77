#pragma once

#include <stdlib.h>

#include <filesystem>
#include <set>
#include <stdexcept>
#include <string>
#include <system_error>

namespace vantorix::test {

// A fresh folder, under the system's temporary folder unless another is named, removed
// with everything in it.
class TempDir {
 public:
  explicit TempDir(const std::filesystem::path& base = std::filesystem::temp_directory_path()) {
    std::string pattern = (base / "vantorix-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    // Tests may leave read-only files or folders behind; make them removable first.
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // The path of a file inside the folder, as UTF-8 text.
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Everything under the folder with its permission bits in octal, in order: "a 700|a/b 600|".
inline std::string Modes(const std::filesystem::path& top) {
  std::set<std::string> rows;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(top)) {
    const auto bits = static_cast<unsigned>(entry.symlink_status().permissions());
    rows.insert(entry.path().lexically_relative(top).string() + " " +
                std::to_string((bits >> 6 & 7) * 100 + (bits >> 3 & 7) * 10 + (bits & 7)));
  }
  std::string text;
  for (const std::string& row : rows) text += row + "|";
  return text;
}

}  // namespace vantorix::test
