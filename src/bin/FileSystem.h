#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace vantorix {

// An image file held open for reading and writing from open to close.
// Every operation either completes or throws a RuntimeError.
class OpenedFile {
 public:
  virtual ~OpenedFile() = default;

  // The file's length in bytes when it was opened.
  virtual std::uint64_t Length() = 0;

  // Reads up to out.size() bytes from the offset; returns how many were read
  // (fewer only when the file ends early).
  virtual std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) = 0;

  // Writes all of data at the offset.
  virtual void WriteAt(std::uint64_t offset, std::span<const std::uint8_t> data) = 0;

  // Pushes written bytes to the storage device.
  virtual void Sync() = 0;

  // Throws unless the path still names this very file and it may still be written:
  // writing into a file that was deleted, replaced or made read-only since it was
  // opened would silently lose the user's work.
  virtual void CheckStillWritableAt(const std::string& path) = 0;
};

// The file services the image needs. The real one talks to the operating system;
// tests put a fault-injecting one in its place.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // True when the path names an existing regular file (not a folder, device or pipe).
  virtual bool IsNormalFile(const std::string& path) = 0;

  // Copies source over destination, replacing an existing destination.
  virtual void CopyOver(const std::string& source, const std::string& destination) = 0;

  // Opens an existing regular file for reading and writing.
  virtual std::unique_ptr<OpenedFile> OpenReadWrite(const std::string& path) = 0;
};

// The operating system's file services.
FileSystem& RealFileSystem();

// The same services for looking only: files are opened for reading (so read-only files
// open too) under a shared lock, and every write, copy or save through them is refused
// with Permission denied. Commands that only read an image use these, so that they
// cannot change a file even by mistake.
FileSystem& ReadOnlyFileSystem();

}  // namespace vantorix
