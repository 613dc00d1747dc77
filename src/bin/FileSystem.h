#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace vantorix {

// A new version of a file, written beside it under a temporary name in the same folder.
// Until Commit the file's name keeps its old contents; dropping an uncommitted version
// removes it.
class NewContents {
 public:
  virtual ~NewContents() = default;

  // Writes all of data at the offset of the new version.
  virtual void WriteAt(std::uint64_t offset, std::span<const std::uint8_t> data) = 0;

  // Flushes the new version to the disk, locks it and renames it over the file's name
  // (the name itself, never what a link there points to), then flushes the folder: at
  // every instant the name holds either the whole old or the whole new contents. A
  // version of an opened file first checks that the name still holds that very file, and
  // becomes it from the rename on: its handle, lock and identity follow the new contents.
  //
  // Throws when the name still holds the old contents. Once the rename is done the
  // replacement has happened, whatever follows: a folder flush that fails then is not
  // thrown but returned, as the sentence that tells the user (empty when all is on the
  // disk).
  [[nodiscard]] virtual std::string Commit() = 0;
};

// The sentence Commit returns when the folder that holds a new file's name could not be
// flushed after the rename.
std::string UnflushedFolderText(const std::string& file, const std::string& folder, const std::string& cause);

// A file held open and locked from open to close. Every operation either completes or
// throws a RuntimeError.
class OpenedFile {
 public:
  virtual ~OpenedFile() = default;

  // The file's length in bytes when it was opened.
  virtual std::uint64_t Length() = 0;

  // The file's permission bits (rwx for owner, group and others, and the special bits).
  virtual std::uint32_t Permissions() = 0;

  // Reads up to out.size() bytes from the offset; returns how many were read (fewer only
  // when the file ends early).
  virtual std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) = 0;

  // Throws unless the file's name still holds this very file, unchanged in length and
  // modification time since it was opened, and it may still be written: replacing a
  // file that was deleted, replaced, grown or made read-only since it was opened would
  // lose what another program or the user did to it.
  virtual void CheckUnchanged() = 0;

  // Starts a new version of this file, with its permission bits and owner, in the folder
  // it was found in when it was opened. The path it was opened by was resolved once, then:
  // through a symbolic link the file it named is replaced, and a name or folder swapped
  // for a link since can never send the new version elsewhere.
  virtual std::unique_ptr<NewContents> Replace() = 0;
};

// What a path names.
enum class FileKind { Missing, Regular, Other };  // Other: a folder, device, pipe or socket

// The file services the image needs. The real ones talk to the operating system; tests
// put fault-injecting ones in their place.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // What the path names, following links. A path that cannot be looked at (no
  // permission on a folder, a device error) throws with the real cause.
  virtual FileKind KindOf(const std::string& path) = 0;

  // Opens an existing regular file for reading and writing under an exclusive lock. The
  // path is resolved once, links followed, and the folder it leads to is held open for
  // the file's later replacement. A file that may be read but not written is refused as
  // read-only, with the reason an image must be writable.
  virtual std::unique_ptr<OpenedFile> OpenReadWrite(const std::string& path) = 0;

  // Starts a new version of the file at path, which need not exist, with the permission
  // bits that the user's umask leaves of `permissions`, as a copy gets them. The name
  // itself is replaced: a link at path becomes a regular file and what it pointed to is
  // left alone.
  virtual std::unique_ptr<NewContents> Replace(const std::string& path, std::uint32_t permissions) = 0;
};

// The operating system's file services.
FileSystem& RealFileSystem();

// The same services for looking only: files are opened for reading (so read-only files
// open too) without a lock (an image open in the window program can be read; a writer
// replaces files whole, so what was opened stays whole), and every write or replacement
// through them is refused with Permission denied. Commands that only read an image use these, so that they
// cannot change a file even by mistake.
FileSystem& ReadOnlyFileSystem();

// Read and write for everyone, as far as the umask allows: what a new file gets.
inline constexpr std::uint32_t kNewFilePermissions = 0666;

// Writes bytes as the whole new contents of the file at path, by replacement: the one
// road by which anything a user keeps (an image, its backup, a table, an output file)
// is written. Returns what Commit returns.
[[nodiscard]] std::string ReplaceFileContents(FileSystem& files, const std::string& path,
                                              std::span<const std::uint8_t> bytes,
                                              std::uint32_t permissions = kNewFilePermissions);
[[nodiscard]] std::string ReplaceFileContents(FileSystem& files, const std::string& path, std::string_view text);

// Makes the folder and every missing folder above it, each for the user alone (0700)
// whatever the umask: Vantorix's data folder holds every image the user worked on and
// the paths they lie at. Folders that exist already are left as they are.
void CreatePrivateFolders(const std::string& folder);

}  // namespace vantorix
