#pragma once

#include <cstddef>
#include <optional>

#include "bin/FileSystem.h"

namespace vantorix::test {

// The real file services with failures injected where a test asks for them, as a full
// disk, a failing device or a vanished folder would cause them.
class FaultyFileSystem : public FileSystem {
 public:
  // errno values to fail with; nullopt lets the operation through.
  std::optional<int> copyError;  // starting a new version of a named file (the backup)
  std::optional<int> syncError;  // committing any new version
  std::optional<int> writeError;
  std::size_t failWriteCall = 0;  // 0-based index of the write call that fails with writeError
  std::optional<std::size_t> readLimit;  // the file seems to end after this many bytes

  std::size_t writeCalls = 0;
  std::size_t syncCalls = 0;

  FileKind KindOf(const std::string& path) override;
  std::unique_ptr<OpenedFile> OpenReadWrite(const std::string& path) override;
  std::unique_ptr<NewContents> Replace(const std::string& path, std::uint32_t permissions) override;
};

}  // namespace vantorix::test
