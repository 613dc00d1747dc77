#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>

#include "bin/FileSystem.h"
#include "foundation/RuntimeError.h"

namespace vantorix::test {

// The real file services with failures injected where a test asks for them, as a full
// disk, a failing device or another program would cause them.
class FaultyFileSystem : public FileSystem {
 public:
  // errno values to fail with; nullopt lets the operation through.
  std::optional<int> copyError;         // starting a new version of a named file (the backup)
  std::optional<int> syncError;         // committing any new version
  std::optional<int> folderSyncError;   // flushing the folder after a new version took the name
  std::optional<int> writeError;        // the write call numbered failWriteCall, from 0
  std::optional<int> readError;         // every read of an opened file
  std::function<void()> beforeReplace;  // what another user does after the check before a save
  std::size_t failWriteCall = 0, writeCalls = 0, syncCalls = 0;
  std::optional<std::uintmax_t> shrinkTo;    // another program cuts the file to this length right after the open
  FileSystem* services = &RealFileSystem();  // the services the faults are put in front of

  FileKind KindOf(const std::string& path) override { return services->KindOf(path); }
  std::unique_ptr<OpenedFile> OpenReadWrite(const std::string& path) override {
    auto real = services->OpenReadWrite(path);
    if (shrinkTo) std::filesystem::resize_file(path, *shrinkTo);
    return std::make_unique<Opened>(*this, std::move(real), path);
  }
  std::unique_ptr<NewContents> Replace(const std::string& path, std::uint32_t permissions) override {
    if (copyError) throw ErrorFromSystem(*copyError, path);
    return std::make_unique<Contents>(*this, services->Replace(path, permissions), path);
  }

 private:
  struct Contents : NewContents {
    Contents(FaultyFileSystem& owner, std::unique_ptr<NewContents> real, std::string path)
        : owner_(owner), real_(std::move(real)), path_(std::move(path)) {}
    void WriteAt(std::uint64_t offset, std::span<const std::uint8_t> data) override {
      const std::size_t call = owner_.writeCalls++;
      if (owner_.writeError && call == owner_.failWriteCall) throw ErrorFromSystem(*owner_.writeError, path_);
      real_->WriteAt(offset, data);
    }
    std::string Commit() override {
      ++owner_.syncCalls;
      if (owner_.syncError) throw ErrorFromSystem(*owner_.syncError, path_);
      const std::string said = real_->Commit();
      if (!owner_.folderSyncError) return said;
      const std::string folder = std::filesystem::path(path_).parent_path().string();
      return UnflushedFolderText(path_, folder, ErrorFromSystem(*owner_.folderSyncError, folder).Description());
    }
    FaultyFileSystem& owner_;
    std::unique_ptr<NewContents> real_;
    std::string path_;
  };
  // Passes everything on, but a new version it starts goes through the faults above.
  struct Opened : OpenedFile {
    Opened(FaultyFileSystem& owner, std::unique_ptr<OpenedFile> real, std::string path)
        : owner_(owner), real_(std::move(real)), path_(std::move(path)) {}
    std::uint64_t Length() override { return real_->Length(); }
    std::uint32_t Permissions() override { return real_->Permissions(); }
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
      if (owner_.readError) throw ErrorFromSystem(*owner_.readError, path_);
      return real_->ReadAt(offset, out);
    }
    void CheckUnchanged() override { real_->CheckUnchanged(); }
    std::unique_ptr<NewContents> Replace() override {
      if (owner_.beforeReplace) owner_.beforeReplace();
      return std::make_unique<Contents>(owner_, real_->Replace(), path_);
    }
    FaultyFileSystem& owner_;
    std::unique_ptr<OpenedFile> real_;
    std::string path_;
  };
};

}  // namespace vantorix::test
