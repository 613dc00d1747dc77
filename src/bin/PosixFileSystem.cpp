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
#include <optional>
#include <random>
#include <utility>
#include <vector>

#include "bin/FileSystem.h"
#include "foundation/RuntimeError.h"

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

std::string NameIn(const std::string& path) {
  std::string name = path.substr(path.find_last_of('/') + 1);
  if (name.empty() || name == "." || name == "..")
    throw RuntimeError(ErrorNumber::BadFileNameOrNumber, path + " does not name a file");
  return name;
}

// A folder held open, so that the names in it are found there however the path that led
// to it changes afterwards.
class Folder {
 public:
  explicit Folder(std::string path) : path_(std::move(path)) {
    fd_ = Descriptor(Retried([&] { return ::open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); }));
    // A folder that may be written and entered but not read cannot be flushed; its names
    // can still be looked up and replaced.
    if (fd_.get() < 0 && errno == EACCES) {
      fd_ = Descriptor(::open(path_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
      syncable_ = false;
    }
    if (fd_.get() < 0) throw ErrorFromSystem(errno, path_);
  }

  int get() const { return fd_.get(); }
  const std::string& Path() const { return path_; }

  // The rename of `file` is only lasting once the folder that holds the name is on the
  // disk too. Empty when it is; else the sentence that says it may not be. A file system
  // that cannot flush a folder (EINVAL) keeps its names by other means.
  std::string Sync(const std::string& file) const {
    if (!syncable_ || ::fsync(fd_.get()) == 0 || errno == EINVAL) return {};
    return UnflushedFolderText(file, path_, ErrorFromSystem(errno, path_).Description());
  }

 private:
  std::string path_;
  Descriptor fd_;
  bool syncable_ = true;
};

// What a name in a folder holds, without following a link there; nullopt when it is gone.
std::optional<struct stat> NamedIn(const Folder& folder, const std::string& name, const std::string& path) {
  struct stat info {};
  if (::fstatat(folder.get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) return info;
  if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
  throw ErrorFromSystem(errno, path);
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

// An empty file under a fresh hidden name in the folder, created there and never through
// a link, with the permission bits the umask leaves of `permissions`, as any new file.
std::pair<Descriptor, std::string> CreateBeside(const Folder& folder, const std::string& name,
                                                const std::string& target, std::uint32_t permissions) {
  static std::mt19937 names{std::random_device{}()};
  // Short enough that the temporary name fits wherever the target's own name does.
  const std::string base = name.substr(0, 100);
  for (int attempt = 0;; ++attempt) {
    const std::string temporary = "." + base + ".new-" + std::to_string(names() % 1000000U);
    Descriptor fd(Retried([&] {
      return ::openat(folder.get(), temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                      static_cast<mode_t>(permissions & 07777U));
    }));
    if (fd.get() < 0) {
      if (errno == EEXIST && attempt < 100) continue;
      throw ErrorFromSystem(errno, target);
    }
    return {std::move(fd), temporary};
  }
}

class PosixOpenedFile;

// A new version under its temporary name; removed unless it was committed.
class PosixNewContents final : public NewContents {
 public:
  PosixNewContents(std::shared_ptr<const Folder> folder, std::string name, std::string target,
                   std::pair<Descriptor, std::string> created, PosixOpenedFile* owner)
      : folder_(std::move(folder)),
        name_(std::move(name)),
        target_(std::move(target)),
        fd_(std::move(created.first)),
        temporary_(std::move(created.second)),
        owner_(owner) {}
  ~PosixNewContents() override {
    if (!committed_) ::unlinkat(folder_->get(), temporary_.c_str(), 0);
  }
  PosixNewContents(const PosixNewContents&) = delete;
  PosixNewContents& operator=(const PosixNewContents&) = delete;

  void WriteAt(std::uint64_t offset, std::span<const std::uint8_t> data) override {
    WriteAll(fd_.get(), offset, data, target_);
  }

  std::string Commit() override;

 private:
  std::shared_ptr<const Folder> folder_;
  std::string name_;    // the target's name in the folder
  std::string target_;  // the path the user knows it by, for messages
  Descriptor fd_;
  std::string temporary_;
  PosixOpenedFile* owner_;
  bool committed_ = false;
};

class PosixOpenedFile final : public OpenedFile {
 public:
  // A file opened for writing knows the folder it was found in and its name there.
  PosixOpenedFile(Descriptor fd, std::string path, std::shared_ptr<const Folder> folder, std::string name,
                  const struct stat& info)
      : fd_(std::move(fd)), path_(std::move(path)), folder_(std::move(folder)), name_(std::move(name)), opened_(info) {}

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

  void CheckUnchanged() override {
    CheckStillNamed();
    const struct stat now = StatusOf(fd_.get(), path_);
    if (now.st_size != opened_.st_size || !SameTime(now.st_mtim, opened_.st_mtim))
      throw RuntimeError(ErrorNumber::PathFileAccessError,
                         path_ + " was changed by another program after it was opened");
    if (::faccessat(folder_->get(), name_.c_str(), W_OK, 0) != 0) throw ErrorFromSystem(errno, path_);
  }

  // Throws unless the name in the folder still holds this very file, itself and not a
  // link to it.
  void CheckStillNamed() const {
    RefuseUnlessWritable();
    const auto named = NamedIn(*folder_, name_, path_);
    if (!named) throw RuntimeError(ErrorNumber::FileNotFound, path_ + " was deleted or moved after it was opened");
    if (!S_ISREG(named->st_mode) || named->st_dev != opened_.st_dev || named->st_ino != opened_.st_ino)
      throw RuntimeError(ErrorNumber::PathFileAccessError, path_ + " was replaced by another file after it was opened");
  }

  std::unique_ptr<NewContents> Replace() override {
    RefuseUnlessWritable();
    auto created = CreateBeside(*folder_, name_, path_, Permissions());
    // The new file gets the image's permission bits, whatever the umask took, and, saved
    // by root, the user's image stays the user's. Only what differs is changed: every
    // change of a new file's status is more for its flush to write.
    const int fd = created.first.get();
    struct stat made {};
    int failed = ::fstat(fd, &made);
    if (failed == 0 && (made.st_mode & 07777U) != Permissions())
      failed = ::fchmod(fd, static_cast<mode_t>(Permissions()));
    if (failed == 0 && (made.st_uid != opened_.st_uid || made.st_gid != opened_.st_gid) &&
        ::fchown(fd, opened_.st_uid, opened_.st_gid) != 0 && errno != EPERM)
      failed = -1;
    if (failed != 0) {
      const int error = errno;
      ::unlinkat(folder_->get(), created.second.c_str(), 0);
      throw ErrorFromSystem(error, path_);
    }
    return std::make_unique<PosixNewContents>(folder_, name_, path_, std::move(created), this);
  }

  // From the rename on, this object stands for the new file. Nothing here may throw: the
  // replacement has happened. Should the new file's status not be had, the next save
  // finds the name holding another file than the one remembered, and refuses.
  void Become(Descriptor fd) {
    struct stat info {};
    if (::fstat(fd.get(), &info) == 0) opened_ = info;
    fd_ = std::move(fd);
  }

 private:
  void RefuseUnlessWritable() const {
    if (!folder_) throw RuntimeError(ErrorNumber::PermissionDenied, path_ + " was opened for reading only");
  }

  Descriptor fd_;
  std::string path_;
  std::shared_ptr<const Folder> folder_;  // none when opened for reading only
  std::string name_;
  struct stat opened_;
};

std::string PosixNewContents::Commit() {
  if (::fsync(fd_.get()) != 0) throw ErrorFromSystem(errno, target_);
  // Locked before it has the name, so no other program can take the new file in between;
  // nobody else knows the temporary name, so only a file system without locks says no.
  ::flock(fd_.get(), LOCK_EX | LOCK_NB);
  // As late as can be: whatever stands at the name now is what the rename replaces.
  if (owner_ != nullptr) owner_->CheckStillNamed();
  if (::renameat(folder_->get(), temporary_.c_str(), folder_->get(), name_.c_str()) != 0)
    throw ErrorFromSystem(errno, target_);
  committed_ = true;
  if (owner_ != nullptr) owner_->Become(std::move(fd_));
  return folder_->Sync(target_);
}

// Opens non-blocking, so that a pipe put in a file's place cannot hang the program, and
// refuses anything but a regular file. The flag stays set: it changes nothing for a
// regular file, and clearing it would cost two more calls.
constexpr int kOpenFlags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

std::unique_ptr<PosixOpenedFile> CheckedRegular(Descriptor fd, const std::string& path,
                                                std::shared_ptr<const Folder> folder, std::string name) {
  const struct stat info = StatusOf(fd.get(), path);
  if (!S_ISREG(info.st_mode)) throw RuntimeError(ErrorNumber::BadFileNameOrNumber, path + " is not a regular file");
  return std::make_unique<PosixOpenedFile>(std::move(fd), path, std::move(folder), std::move(name), info);
}

std::unique_ptr<PosixOpenedFile> OpenForReading(const std::string& path) {
  Descriptor fd(Retried([&] { return ::open(path.c_str(), O_RDONLY | kOpenFlags); }));
  if (fd.get() < 0) throw ErrorFromSystem(errno, path);
  return CheckedRegular(std::move(fd), path, nullptr, {});
}

// The path is resolved once, here: the folder is opened by it (the system follows every
// link on the way) and the file is opened in that folder without following a link. Only
// a path whose last part is a link is resolved first, so that the file the link names is
// the one replaced later. From now on the file is found by its name in the folder held open.
std::unique_ptr<PosixOpenedFile> OpenForWriting(const std::string& path) {
  std::string target = path;
  for (bool resolved = false;; resolved = true) {
    auto folder = std::make_shared<const Folder>(FolderOf(target));
    std::string name = NameIn(target);
    Descriptor fd(Retried([&] { return ::openat(folder->get(), name.c_str(), O_RDWR | O_NOFOLLOW | kOpenFlags); }));
    if (fd.get() >= 0) return CheckedRegular(std::move(fd), path, std::move(folder), std::move(name));
    const int error = errno;
    if (error == ELOOP && !resolved) {
      char real[PATH_MAX];
      if (::realpath(path.c_str(), real) == nullptr) throw ErrorFromSystem(errno, path);
      target = real;
      continue;
    }
    if ((error == EACCES || error == EROFS) && ::faccessat(folder->get(), name.c_str(), R_OK, 0) == 0)
      throw RuntimeError(ErrorNumber::PermissionDenied,
                         path +
                             " is read-only; an image is opened for writing, so that its changes can be saved "
                             "into it. Make the file writable, or open a copy of it");
    if (error == ELOOP)
      throw RuntimeError(ErrorNumber::PathFileAccessError, path + " was replaced by another file while it was opened");
    throw ErrorFromSystem(error, path);
  }
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
    auto file = readOnly_ ? OpenForReading(path) : OpenForWriting(path);
    // Two programs writing one image would each overwrite the other's changes. A reader
    // needs no lock: a writer replaces the file whole, so what a reader opened stays as
    // it was, and an image open in the window can be looked at meanwhile.
    if (!readOnly_ && !file->TryLock(LOCK_EX))
      throw RuntimeError(ErrorNumber::PermissionDenied, path + " is locked by another program");
    return file;
  }

  std::unique_ptr<NewContents> Replace(const std::string& path, std::uint32_t permissions) override {
    if (readOnly_)
      throw RuntimeError(ErrorNumber::PermissionDenied, path + " was not written: files are only being read");
    auto folder = std::make_shared<const Folder>(FolderOf(path));
    std::string name = NameIn(path);
    // A file the user has write-protected is kept, as overwriting it would have refused.
    if (::faccessat(folder->get(), name.c_str(), W_OK, 0) != 0 && errno != ENOENT) throw ErrorFromSystem(errno, path);
    auto created = CreateBeside(*folder, name, path, permissions);
    return std::make_unique<PosixNewContents>(std::move(folder), std::move(name), path, std::move(created), nullptr);
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

std::string UnflushedFolderText(const std::string& file, const std::string& folder, const std::string& cause) {
  return "Flushing the folder " + folder + " to the disk failed: " + cause + ". " + file +
         " already has its new contents, but the disk may not hold them yet.";
}

std::string ReplaceFileContents(FileSystem& files, const std::string& path, std::span<const std::uint8_t> bytes,
                                std::uint32_t permissions) {
  const auto contents = files.Replace(path, permissions);
  contents->WriteAt(0, bytes);
  return contents->Commit();
}

std::string ReplaceFileContents(FileSystem& files, const std::string& path, std::string_view text) {
  return ReplaceFileContents(files, path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
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
