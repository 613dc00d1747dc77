#include "FaultyFileSystem.h"

#include <algorithm>

#include "app/RuntimeError.h"

namespace vantorix::test {

namespace {

class FaultyNewContents : public NewContents {
 public:
  FaultyNewContents(FaultyFileSystem& owner, std::unique_ptr<NewContents> real, std::string path)
      : owner_(owner), real_(std::move(real)), path_(std::move(path)) {}

  void WriteAt(std::uint64_t offset, std::span<const std::uint8_t> data) override {
    const std::size_t call = owner_.writeCalls++;
    if (owner_.writeError && call == owner_.failWriteCall) throw ErrorFromSystem(*owner_.writeError, path_);
    real_->WriteAt(offset, data);
  }

  void Commit() override {
    ++owner_.syncCalls;
    if (owner_.syncError) throw ErrorFromSystem(*owner_.syncError, path_);
    real_->Commit();
  }

 private:
  FaultyFileSystem& owner_;
  std::unique_ptr<NewContents> real_;
  std::string path_;
};

class FaultyOpenedFile : public OpenedFile {
 public:
  FaultyOpenedFile(FaultyFileSystem& owner, std::unique_ptr<OpenedFile> real, std::string path)
      : owner_(owner), real_(std::move(real)), path_(std::move(path)) {}

  std::uint64_t Length() override { return real_->Length(); }
  std::uint32_t Permissions() override { return real_->Permissions(); }

  std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
    if (owner_.readLimit) {
      const auto limit = *owner_.readLimit;
      if (offset >= limit) return 0;
      out = out.first(std::min<std::size_t>(out.size(), limit - offset));
    }
    return real_->ReadAt(offset, out);
  }

  void CheckUnchangedAt(const std::string& path) override { real_->CheckUnchangedAt(path); }

  std::unique_ptr<NewContents> Replace(const std::string& path) override {
    return std::make_unique<FaultyNewContents>(owner_, real_->Replace(path), path);
  }

 private:
  FaultyFileSystem& owner_;
  std::unique_ptr<OpenedFile> real_;
  std::string path_;
};

}  // namespace

FileKind FaultyFileSystem::KindOf(const std::string& path) { return RealFileSystem().KindOf(path); }

std::unique_ptr<OpenedFile> FaultyFileSystem::OpenReadWrite(const std::string& path) {
  return std::make_unique<FaultyOpenedFile>(*this, RealFileSystem().OpenReadWrite(path), path);
}

std::unique_ptr<NewContents> FaultyFileSystem::Replace(const std::string& path, std::uint32_t permissions) {
  if (copyError) throw ErrorFromSystem(*copyError, path);
  return std::make_unique<FaultyNewContents>(*this, RealFileSystem().Replace(path, permissions), path);
}

}  // namespace vantorix::test
