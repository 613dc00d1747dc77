#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bin/FileSystem.h"

namespace vantorix {

// File services that hold one file, in memory, under a name of its own: a version from
// the history opened as an image. It is only ever read; every write or replacement is
// refused with Permission denied.
class MemoryFileSystem final : public FileSystem {
 public:
  MemoryFileSystem(std::string name, std::vector<std::uint8_t> bytes)
      : name_(std::move(name)), bytes_(std::move(bytes)) {}

  FileKind KindOf(const std::string& path) override { return path == name_ ? FileKind::Regular : FileKind::Missing; }
  std::unique_ptr<OpenedFile> OpenReadWrite(const std::string& path) override;
  std::unique_ptr<NewContents> Replace(const std::string& path, std::uint32_t permissions) override;

 private:
  std::string name_;
  std::vector<std::uint8_t> bytes_;
};

}  // namespace vantorix
