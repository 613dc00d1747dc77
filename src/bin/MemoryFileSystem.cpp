#include "bin/MemoryFileSystem.h"

#include <algorithm>

#include "foundation/RuntimeError.h"

namespace vantorix {

namespace {

[[noreturn]] void RefuseWriting(const std::string& name) {
  throw RuntimeError(ErrorNumber::PermissionDenied, name + " is held in memory to be read only");
}

class MemoryOpenedFile final : public OpenedFile {
 public:
  MemoryOpenedFile(const std::string& name, const std::vector<std::uint8_t>& bytes) : name_(name), bytes_(bytes) {}
  std::uint64_t Length() override { return bytes_.size(); }
  std::uint32_t Permissions() override { return 0444; }
  std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
    if (offset >= bytes_.size()) return 0;
    const std::size_t count = std::min(out.size(), bytes_.size() - static_cast<std::size_t>(offset));
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), count, out.begin());
    return count;
  }
  void CheckUnchanged() override { RefuseWriting(name_); }
  std::unique_ptr<NewContents> Replace() override { RefuseWriting(name_); }

 private:
  const std::string& name_;
  const std::vector<std::uint8_t>& bytes_;
};

}  // namespace

std::unique_ptr<OpenedFile> MemoryFileSystem::OpenReadWrite(const std::string& path) {
  if (path != name_) throw RuntimeError(ErrorNumber::FileNotFound, path);
  return std::make_unique<MemoryOpenedFile>(name_, bytes_);
}

std::unique_ptr<NewContents> MemoryFileSystem::Replace(const std::string& path, std::uint32_t) { RefuseWriting(path); }

}  // namespace vantorix
