// File services on POSIX systems. Windows needs its own version of this file
// (CreateFileW with no sharing, GetFileInformationByHandle for the identity check,
// ReplaceFileW for the replacement).
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <utility>
#include <vector>

#include "app/RuntimeError.h"
#include "bin/FileSystem.h"

namespace vantorix {

namespace {

// Calls a system function again while a signal interrupts it.
template <class Call>
auto Retried(Call call) {
  decltype(call()) result;
  do {
    result = call();
  } while (result < 0 && errno == EINTR);
  return result;
}

// One open descriptor, closed with its owner.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() { Reset(); }
  Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Descriptor& operator=(Descriptor&& other) noexcept {
    Reset();
    fd_ = std::exchange(other.fd_, -1);
    return *this;
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  void Reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  int fd_;
};

struct stat StatusOf(int fd, const std::string& path) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) throw ErrorFromSystem(errno, path);
  return info;
}

bool SameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The rename is only lasting once the folder that holds the name is on the disk too. A
// file system that cannot flush a folder (EINVAL) keeps its names by other means.
void SyncFolderOf(const std::string& path) {
  const Descriptor folder(Retried([&] { return ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); }));
  if (folder.get() < 0 && errno == EACCES) return;  // a folder that may be written but not read
  if (folder.get() < 0) throw ErrorFromSystem(errno, FolderOf(path));
  if (::fsync(folder.get()) != 0 && errno != EINVAL) throw ErrorFromSystem(errno, FolderOf(path));
}

void WriteAll(int fd, std::uint64_t offset, std::span<const std::uint8_t> data, const std::string& path) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t put = Retried(
        [&] { return ::pwrite(fd, data.data() + done, data.size() - done, static_cast<off_t>(offset + done)); });
    if (put < 0) throw ErrorFromSystem(errno, path);
    if (put == 0) throw ErrorFromSystem(ENOSPC, path);
    done += static_cast<std::size_t>(put);
  }
}

// Creates an empty file under a fresh hidden name in the folder of target. `exact`
// gives it exactly these permission bits; otherwise the umask applies, as to any new file.
std::pair<Descriptor, std::string> CreateBeside(const std::string& target, std::uint32_t permissions, bool exact) {
  static std::mt19937 names{std::random_device{}()};
  const std::string folder = FolderOf(target);
  // Short enough that the temporary name fits wherever the target's own name does.
  const std::string base = target.substr(target.find_last_of('/') + 1).substr(0, 100);
  for (int attempt = 0;; ++attempt) {
    const std::string name = folder + "/." + base + ".new-" + std::to_string(names() % 1000000U);
    Descriptor fd(Retried([&] {
      return ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                    static_cast<mode_t>(permissions & 07777U));
    }));
    if (fd.get() < 0) {
      if (errno == EEXIST && attempt < 100) continue;
      throw ErrorFromSystem(errno, target);
    }
    if (exact && ::fchmod(fd.get(), static_cast<mode_t>(permissions & 07777U)) != 0) {
      const int error = errno;
      ::unlink(name.c_str());
      throw ErrorFromSystem(error, target);
    }
    return {std::move(fd), name};
  }
}

class PosixOpenedFile;

// A new version under its temporary name; removed unless it was committed.
class PosixNewContents final : public NewContents {
 public:
  PosixNewContents(std::string target, std::pair<Descriptor, std::string> created, PosixOpenedFile* owner)
      : target_(std::move(target)), fd_(std::move(created.first)), temporary_(std::move(created.second)),
        owner_(owner) {}
  ~PosixNewContents() override {
    if (!committed_) ::unlink(temporary_.c_str());
  }
  PosixNewContents(const PosixNewContents&) = delete;
  PosixNewContents& operator=(const PosixNewContents&) = delete;

  void WriteAt(std::uint64_t offset, std::span<const std::uint8_t> data) override {
    WriteAll(fd_.get(), offset, data, target_);
  }

  void Commit() override;

 private:
  std::string target_;
  Descriptor fd_;
  std::string temporary_;
  PosixOpenedFile* owner_;
  bool committed_ = false;
};

class PosixOpenedFile final : public OpenedFile {
 public:
  PosixOpenedFile(Descriptor fd, std::string path, bool writable, const struct stat& info)
      : fd_(std::move(fd)), path_(std::move(path)), writable_(writable), opened_(info) {}

  std::uint64_t Length() override { return static_cast<std::uint64_t>(opened_.st_size); }
  std::uint32_t Permissions() override { return opened_.st_mode & 07777U; }

  // False only when another program holds a lock that excludes this one; a file system
  // without locks lets the open go on.
  bool TryLock(int lock) { return ::flock(fd_.get(), lock | LOCK_NB) == 0 || errno != EWOULDBLOCK; }

  std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
    std::size_t done = 0;
    while (done < out.size()) {
      const ssize_t got = Retried(
          [&] { return ::pread(fd_.get(), out.data() + done, out.size() - done, static_cast<off_t>(offset + done)); });
      if (got < 0) throw ErrorFromSystem(errno, path_);
      if (got == 0) break;  // the file ended early
      done += static_cast<std::size_t>(got);
    }
    return done;
  }

  void CheckUnchangedAt(const std::string& path) override {
    RefuseUnlessWritable();
    const struct stat now = StatusOf(fd_.get(), path);
    struct stat named {};
    if (::stat(path.c_str(), &named) != 0) {
      if (errno == ENOENT || errno == ENOTDIR)
        throw RuntimeError(ErrorNumber::FileNotFound, path + " was deleted or moved after it was opened");
      throw ErrorFromSystem(errno, path);
    }
    if (named.st_dev != now.st_dev || named.st_ino != now.st_ino)
      throw RuntimeError(ErrorNumber::PathFileAccessError, path + " was replaced by another file after it was opened");
    if (now.st_size != opened_.st_size || !SameTime(now.st_mtim, opened_.st_mtim))
      throw RuntimeError(ErrorNumber::PathFileAccessError,
                         path + " was changed by another program after it was opened");
    if (::access(path.c_str(), W_OK) != 0) throw ErrorFromSystem(errno, path);
  }

  std::unique_ptr<NewContents> Replace(const std::string& path) override {
    RefuseUnlessWritable();
    // Through a link, the file it names is replaced and the link kept.
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) throw ErrorFromSystem(errno, path);
    auto created = CreateBeside(resolved, Permissions(), true);
    // Saved by root, a user's image stays the user's; elsewhere this changes nothing.
    if (::fchown(created.first.get(), opened_.st_uid, opened_.st_gid) != 0 && errno != EPERM) {
      const int error = errno;
      ::unlink(created.second.c_str());
      throw ErrorFromSystem(error, path);
    }
    return std::make_unique<PosixNewContents>(resolved, std::move(created), this);
  }

  // From the rename on, this object stands for the new file.
  void Become(Descriptor fd) {
    opened_ = StatusOf(fd.get(), path_);
    fd_ = std::move(fd);
  }

 private:
  void RefuseUnlessWritable() const {
    if (!writable_) throw RuntimeError(ErrorNumber::PermissionDenied, path_ + " was opened for reading only");
  }

  Descriptor fd_;
  std::string path_;
  bool writable_;
  struct stat opened_;
};

void PosixNewContents::Commit() {
  if (::fsync(fd_.get()) != 0) throw ErrorFromSystem(errno, target_);
  // Locked before it has the name, so no other program can take the new file in between;
  // nobody else knows the temporary name, so only a file system without locks says no.
  ::flock(fd_.get(), LOCK_EX | LOCK_NB);
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) throw ErrorFromSystem(errno, target_);
  committed_ = true;
  if (owner_ != nullptr) owner_->Become(std::move(fd_));
  SyncFolderOf(target_);
}

// Opens non-blocking, so that a pipe put in a file's place cannot hang the program, and
// refuses anything but a regular file. The flag stays set: it changes nothing for a
// regular file, and clearing it would cost two more calls.
std::unique_ptr<PosixOpenedFile> OpenRegularFile(const std::string& path, bool writable) {
  Descriptor fd(Retried([&] {
    return ::open(path.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  }));
  if (fd.get() < 0) throw ErrorFromSystem(errno, path);
  const struct stat info = StatusOf(fd.get(), path);
  if (!S_ISREG(info.st_mode)) throw RuntimeError(ErrorNumber::BadFileNameOrNumber, path + " is not a regular file");
  return std::make_unique<PosixOpenedFile>(std::move(fd), path, writable, info);
}

class PosixFileSystem final : public FileSystem {
 public:
  explicit PosixFileSystem(bool readOnly) : readOnly_(readOnly) {}

  FileKind KindOf(const std::string& path) override {
    if (path.empty()) return FileKind::Missing;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
      if (errno == ENOENT || errno == ENOTDIR) return FileKind::Missing;
      throw ErrorFromSystem(errno, path);
    }
    return S_ISREG(info.st_mode) ? FileKind::Regular : FileKind::Other;
  }

  std::unique_ptr<OpenedFile> OpenReadWrite(const std::string& path) override {
    auto file = OpenRegularFile(path, !readOnly_);
    // Two programs writing one image would each overwrite the other's changes. A reader
    // needs no lock: a writer replaces the file whole, so what a reader opened stays as
    // it was, and an image open in the window can be looked at meanwhile.
    if (!readOnly_ && !file->TryLock(LOCK_EX))
      throw RuntimeError(ErrorNumber::PermissionDenied, path + " is locked by another program");
    return file;
  }

  std::unique_ptr<NewContents> Replace(const std::string& path, std::uint32_t permissions) override {
    if (readOnly_) throw RuntimeError(ErrorNumber::PermissionDenied, path + " was not written: files are only being read");
    // A file the user has write-protected is kept, as overwriting it would have refused.
    if (::access(path.c_str(), W_OK) != 0 && errno != ENOENT) throw ErrorFromSystem(errno, path);
    return std::make_unique<PosixNewContents>(path, CreateBeside(path, permissions, false), nullptr);
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

void ReplaceFileContents(FileSystem& files, const std::string& path, std::span<const std::uint8_t> bytes,
                         std::uint32_t permissions) {
  const auto contents = files.Replace(path, permissions);
  contents->WriteAt(0, bytes);
  contents->Commit();
}

void ReplaceFileContents(FileSystem& files, const std::string& path, std::string_view text) {
  ReplaceFileContents(files, path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

void CreatePrivateFolders(const std::string& folder) {
  std::vector<std::filesystem::path> missing;  // the deepest first
  for (std::filesystem::path path = std::filesystem::path(folder).lexically_normal(); !path.empty();) {
    if (!path.has_filename() && path.has_relative_path()) path = path.parent_path();  // "a/b/"
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) break;
    if (errno != ENOENT) throw ErrorFromSystem(errno, path.string());
    missing.push_back(path);
    if (path == path.parent_path()) break;
    path = path.parent_path();
  }
  for (auto path = missing.rbegin(); path != missing.rend(); ++path) {
    if (::mkdir(path->c_str(), 0700) != 0) {
      if (errno == EEXIST) continue;  // another program made it meanwhile: theirs to set
      throw ErrorFromSystem(errno, path->string());
    }
    // A umask such as 0277 takes bits from even 0700, and the folder could not be written.
    if (::chmod(path->c_str(), 0700) != 0) throw ErrorFromSystem(errno, path->string());
  }
}

}  // namespace vantorix
