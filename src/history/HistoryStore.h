#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "bin/ImageIdentity.h"
#include "bin/VersionKeeper.h"
#include "foundation/RuntimeError.h"

struct sqlite3;

// The version history: every image content the programs read or wrote, kept once in a
// per-user SQLite database, with one row for each time it was seen. A stock image that
// was saved over can always be had back from here.
namespace vantorix::history {

using Event = VersionEvent;
// "opened", "saved", "backed up", "changed by the CLI", "restored"
std::string_view EventName(Event event);

// What a version's bytes say about themselves, decoded as the image object decodes them.
using Facts = ImageIdentity;

// One version of a file: one event and the content it saw.
struct Version {
  std::int64_t number = 0;  // the version's reference: unique across all files
  std::string time;         // UTC, "2026-05-01T12:00:00Z"
  std::string event;        // an EventName
  std::string path;         // absolute
  Facts facts;
  std::string content;  // SHA-256 of the bytes
  // Bytes that differ from the path's previous version; none for its first (and from Find).
  std::optional<std::size_t> differing;
};

using Clock = std::chrono::system_clock;

// The database file itself is damaged: SQLite found it corrupt, or no database at all.
class Damaged : public RuntimeError {
 public:
  explicit Damaged(const std::string& detail) : RuntimeError(ErrorNumber::InvalidFileFormat, detail) {}
};

// One connection to the database. Every change is one transaction, in WAL mode, so the
// window program and any number of command-line runs can write at once and a crash
// leaves either the whole event or none of it. Every failure throws a RuntimeError that
// names the cause; Invalid file format (321) means the file is not a sound database,
// and when the file itself is damaged, that error is a Damaged.
class Store {
 public:
  using Tell = std::function<void(const std::string& line)>;

  // Opens the database; with create, makes its folder and the file when missing. The
  // file and its journal files are the user's alone (0600) and so are the folders it
  // makes (0700), whatever the umask; files found open to others are narrowed, and
  // `tell` says so. Before the connection reads or writes anything, the whole file is
  // checked (PRAGMA quick_check): damage is found before an event is recorded into it.
  Store(const std::filesystem::path& file, bool create, const Tell& tell = {});
  ~Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  // Keeps the bytes (unless an equal content is kept already) and one event row for
  // them; returns the new version's number.
  std::int64_t Record(Event event, const std::string& absolutePath, std::span<const std::uint8_t> bytes,
                      Clock::time_point when = Clock::now());

  // The versions of one path, or of every path for an empty one, newest first.
  std::vector<Version> Versions(const std::string& absolutePath = {});
  std::optional<Version> Find(std::int64_t number);
  // The paths last opened or saved, each once, the most recent first; at most count.
  std::vector<std::string> RecentPaths(std::size_t count);
  // The bytes of a content, checked against their key: damaged bytes are never handed out.
  std::vector<std::uint8_t> Bytes(const std::string& content);

  struct Counts {
    std::size_t versions;
    std::size_t contents;
    friend bool operator==(const Counts&, const Counts&) = default;
  };
  Counts Count();
  // Drops the versions recorded before the cutoff, except the first version of each
  // path, and every content no version is left to refer to. Returns what was dropped.
  Counts Prune(Clock::time_point cutoff);

  // Checks every page of the file again: thorough adds the indexes' agreement with
  // their tables (PRAGMA integrity_check), which reads the file more than once.
  void Check(bool thorough);

  const std::filesystem::path& File() const { return file_; }
  // Whether the path no longer names the file this connection opened: another program
  // moved it aside as damaged, or it was deleted.
  bool Moved() const;

 private:
  void Execute(const char* sql);
  void CreateSchema();

  std::filesystem::path file_;
  std::uint64_t device_ = 0;  // of the file opened
  std::uint64_t inode_ = 0;
  sqlite3* db_ = nullptr;
};

// The time as the database keeps it: "2026-05-01T12:00:00Z".
std::string UtcText(Clock::time_point when);

}  // namespace vantorix::history
