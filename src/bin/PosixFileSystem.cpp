// File services on POSIX systems. Windows needs its own version of this file
// (CreateFileW with no sharing, GetFileInformationByHandle for the identity check).
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <utility>

#include "app/RuntimeError.h"
#include "bin/FileSystem.h"

namespace vantorix {

namespace {

class PosixOpenedFile final : public OpenedFile {
 public:
  PosixOpenedFile(int descriptor, std::string path, bool writable)
      : fd_(descriptor), path_(std::move(path)), writable_(writable) {}
  ~PosixOpenedFile() override { ::close(fd_); }
  PosixOpenedFile(const PosixOpenedFile&) = delete;
  PosixOpenedFile& operator=(const PosixOpenedFile&) = delete;

  std::uint64_t Length() override {
    struct stat info {};
    if (::fstat(fd_, &info) != 0) throw ErrorFromSystem(errno, path_);
    return static_cast<std::uint64_t>(info.st_size);
  }

  std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
    std::size_t done = 0;
    while (done < out.size()) {
      const ssize_t got = ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
      if (got < 0) {
        if (errno == EINTR) continue;
        throw ErrorFromSystem(errno, path_);
      }
      if (got == 0) break;  // the file ended early
      done += static_cast<std::size_t>(got);
    }
    return done;
  }

  void WriteAt(std::uint64_t offset, std::span<const std::uint8_t> data) override {
    RefuseUnlessWritable();
    std::size_t done = 0;
    while (done < data.size()) {
      const ssize_t put = ::pwrite(fd_, data.data() + done, data.size() - done, static_cast<off_t>(offset + done));
      if (put < 0) {
        if (errno == EINTR) continue;
        throw ErrorFromSystem(errno, path_);
      }
      if (put == 0) throw ErrorFromSystem(ENOSPC, path_);
      done += static_cast<std::size_t>(put);
    }
  }

  void Sync() override {
    if (::fsync(fd_) != 0) throw ErrorFromSystem(errno, path_);
  }

  void CheckStillWritableAt(const std::string& path) override {
    RefuseUnlessWritable();
    struct stat opened {};
    if (::fstat(fd_, &opened) != 0) throw ErrorFromSystem(errno, path);
    struct stat named {};
    if (::stat(path.c_str(), &named) != 0)
      throw RuntimeError(ErrorNumber::FileNotFound, path + " was deleted or moved after it was opened");
    if (named.st_dev != opened.st_dev || named.st_ino != opened.st_ino)
      throw RuntimeError(ErrorNumber::PathFileAccessError, path + " was replaced by another file after it was opened");
    if (::access(path.c_str(), W_OK) != 0) throw ErrorFromSystem(errno, path);
  }

 private:
  void RefuseUnlessWritable() const {
    if (!writable_) throw RuntimeError(ErrorNumber::PermissionDenied, path_ + " was opened for reading only");
  }

  int fd_;
  std::string path_;
  bool writable_;
};

class PosixFileSystem final : public FileSystem {
 public:
  explicit PosixFileSystem(bool readOnly) : readOnly_(readOnly) {}

  bool IsNormalFile(const std::string& path) override {
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(path, error);
  }

  void CopyOver(const std::string& source, const std::string& destination) override {
    if (readOnly_)
      throw RuntimeError(ErrorNumber::PermissionDenied, destination + " was not written: files are only being read");
    std::filesystem::copy_file(source, destination, std::filesystem::copy_options::overwrite_existing);
  }

  std::unique_ptr<OpenedFile> OpenReadWrite(const std::string& path) override {
    // Non-blocking so that a pipe swapped in for the file cannot hang the program.
    const int fd = ::open(path.c_str(), (readOnly_ ? O_RDONLY : O_RDWR) | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) throw ErrorFromSystem(errno, path);
    auto file = std::make_unique<PosixOpenedFile>(fd, path, !readOnly_);
    struct stat info {};
    if (::fstat(fd, &info) != 0) throw ErrorFromSystem(errno, path);
    if (!S_ISREG(info.st_mode)) throw RuntimeError(ErrorNumber::BadFileNameOrNumber, path + " is not a regular file");
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) throw ErrorFromSystem(errno, path);
    // Two programs writing one image would each overwrite the other's changes. Readers
    // share: any number may look at an image that nobody is writing.
    if (::flock(fd, (readOnly_ ? LOCK_SH : LOCK_EX) | LOCK_NB) != 0 && errno == EWOULDBLOCK)
      throw RuntimeError(ErrorNumber::PermissionDenied, path + " is locked by another program");
    return file;
  }

 private:
  bool readOnly_;
};

}  // namespace

FileSystem& RealFileSystem() {
  static PosixFileSystem instance(false);
  return instance;
}

FileSystem& ReadOnlyFileSystem() {
  static PosixFileSystem instance(true);
  return instance;
}

}  // namespace vantorix
