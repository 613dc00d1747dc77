#pragma once

#include <filesystem>
#include <string>

namespace vantorix::test {

// A fresh folder, under the system's temporary folder unless another is named, removed
// with everything in it.
class TempDir {
 public:
  explicit TempDir(const std::filesystem::path& base = std::filesystem::temp_directory_path());
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // The path of a file inside the folder, as UTF-8 text.
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace vantorix::test
