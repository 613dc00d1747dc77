#include "FaultyFileSystem.h"

#include <algorithm>

#include "app/RuntimeError.h"

namespace vantorix::test {

namespace {

class FaultyOpenedFile : public OpenedFile {
 public:
  FaultyOpenedFile(FaultyFileSystem& owner, std::unique_ptr<OpenedFile> real, std::string path)
      : owner_(owner), real_(std::move(real)), path_(std::move(path)) {}

  std::uint64_t Length() override { return real_->Length(); }

  std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
    if (owner_.readLimit) {
      const auto limit = *owner_.readLimit;
      if (offset >= limit) return 0;
      out = out.first(std::min<std::size_t>(out.size(), limit - offset));
    }
    return real_->ReadAt(offset, out);
  }

  void WriteAt(std::uint64_t offset, std::span<const std::uint8_t> data) override {
    const std::size_t call = owner_.writeCalls++;
    if (owner_.writeError && call == owner_.failWriteCall) throw ErrorFromSystem(*owner_.writeError, path_);
    real_->WriteAt(offset, data);
  }

  void Sync() override {
    ++owner_.syncCalls;
    if (owner_.syncError) throw ErrorFromSystem(*owner_.syncError, path_);
    real_->Sync();
  }

  void CheckStillWritableAt(const std::string& path) override { real_->CheckStillWritableAt(path); }

 private:
  FaultyFileSystem& owner_;
  std::unique_ptr<OpenedFile> real_;
  std::string path_;
};

}  // namespace

bool FaultyFileSystem::IsNormalFile(const std::string& path) { return RealFileSystem().IsNormalFile(path); }

void FaultyFileSystem::CopyOver(const std::string& source, const std::string& destination) {
  if (copyError) throw ErrorFromSystem(*copyError, destination);
  RealFileSystem().CopyOver(source, destination);
}

std::unique_ptr<OpenedFile> FaultyFileSystem::OpenReadWrite(const std::string& path) {
  if (openError) throw ErrorFromSystem(*openError, path);
  return std::make_unique<FaultyOpenedFile>(*this, RealFileSystem().OpenReadWrite(path), path);
}

}  // namespace vantorix::test
