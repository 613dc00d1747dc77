// File services on POSIX systems. Windows needs its own version of this file
// (CreateFileW with no sharing, GetFileInformationByHandle for the identity check).
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <vector>
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

  std::uint64_t Length() override { return length_; }
  // Taken from the fstat that checks the file at open, which spares a call of its own.
  void SetLength(std::uint64_t length) { length_ = length; }

  // False only when another program holds a lock that excludes this one (lock is LOCK_EX
  // or LOCK_SH); a file system without locks lets the open go on.
  bool TryLock(int lock) { return ::flock(fd_, lock | LOCK_NB) == 0 || errno != EWOULDBLOCK; }

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
  std::uint64_t length_ = 0;
};

// Opens non-blocking, so that a pipe put in a file's place cannot hang the program, and
// refuses anything but a regular file, whose status `found` receives. The flag stays set:
// it changes nothing for a regular file, and clearing it would cost two more calls.
std::unique_ptr<PosixOpenedFile> OpenRegularFile(const std::string& path, int flags, mode_t mode, struct stat& found) {
  const bool writable = (flags & O_ACCMODE) != O_RDONLY;
  int fd = -1;
  do {
    fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, mode);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) throw ErrorFromSystem(errno, path);
  auto file = std::make_unique<PosixOpenedFile>(fd, path, writable);  // closes the descriptor if a check fails
  if (::fstat(fd, &found) != 0) throw ErrorFromSystem(errno, path);
  if (!S_ISREG(found.st_mode)) throw RuntimeError(ErrorNumber::BadFileNameOrNumber, path + " is not a regular file");
  file->SetLength(static_cast<std::uint64_t>(found.st_size));
  return file;
}

class PosixFileSystem final : public FileSystem {
 public:
  explicit PosixFileSystem(bool readOnly) : readOnly_(readOnly) {}

  bool IsNormalFile(const std::string& path) override {
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(path, error);
  }

  // Copied here rather than by std::filesystem::copy_file, whose sendfile call gives up
  // with "Interrupted system call" when a signal arrives during the copy, leaving no
  // backup; and synced, so that the backup is on the disk before the original can be
  // overwritten by a save.
  void CopyOver(const std::string& source, const std::string& destination) override {
    if (readOnly_)
      throw RuntimeError(ErrorNumber::PermissionDenied, destination + " was not written: files are only being read");
    struct stat original {};
    const auto from = OpenRegularFile(source, O_RDONLY, 0, original);
    // A new backup gets the original's permission bits, as a copy would.
    struct stat copy {};
    const auto to = OpenRegularFile(destination, O_WRONLY | O_CREAT | O_TRUNC, original.st_mode & 07777, copy);
    std::vector<std::uint8_t> buffer(std::size_t{1} << 16U);
    for (std::uint64_t offset = 0;;) {
      const std::size_t got = from->ReadAt(offset, buffer);
      if (got == 0) break;
      to->WriteAt(offset, std::span(buffer).first(got));
      offset += got;
    }
    to->Sync();
  }

  std::unique_ptr<OpenedFile> OpenReadWrite(const std::string& path) override {
    struct stat info {};
    auto file = OpenRegularFile(path, readOnly_ ? O_RDONLY : O_RDWR, 0, info);
    // Two programs writing one image would each overwrite the other's changes. Readers
    // share: any number may look at an image that nobody is writing.
    if (!file->TryLock(readOnly_ ? LOCK_SH : LOCK_EX))
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
