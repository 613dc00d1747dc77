#include "history/HistoryStore.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <map>

#include "bin/FileSystem.h"
#include "bin/ImageLayout.h"
#include "diff/ImageDiff.h"
#include "foundation/NumberText.h"
#include "foundation/RuntimeError.h"
#include "history/Sha256.h"

namespace vantorix::history {

namespace {

// Long enough for any other writer's transaction (one event, a few milliseconds), short
// enough that a stuck database never holds up the user's work for long.
constexpr int kBusyMilliseconds = 2000;
constexpr int kSchemaVersion = 1;

ErrorNumber NumberFor(sqlite3* db, int code) {
  switch (code & 0xFF) {
    case SQLITE_FULL: return ErrorNumber::DiskFull;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return ErrorNumber::InvalidFileFormat;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH: return ErrorNumber::PermissionDenied;
    case SQLITE_NOMEM: return ErrorNumber::OutOfMemory;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return ErrorNumber::PathFileAccessError;
    case SQLITE_CANTOPEN:
    case SQLITE_IOERR:
      if (db != nullptr && sqlite3_system_errno(db) != 0)
        return static_cast<ErrorNumber>(ErrorFromSystem(sqlite3_system_errno(db), "").Number());
      return code == SQLITE_CANTOPEN ? ErrorNumber::PathFileAccessError : ErrorNumber::DeviceIOError;
    default: return ErrorNumber::InternalError;
  }
}

[[noreturn]] void Fail(sqlite3* db, int code, const std::filesystem::path& file) {
  std::string detail = file.string() + ": " + (db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(code));
  if ((code & 0xFF) == SQLITE_CORRUPT || (code & 0xFF) == SQLITE_NOTADB) throw Damaged(detail);
  if (db != nullptr && sqlite3_system_errno(db) != 0 &&
      ((code & 0xFF) == SQLITE_CANTOPEN || (code & 0xFF) == SQLITE_IOERR))
    detail += ": " + ErrorFromSystem(sqlite3_system_errno(db), "").Description();
  throw RuntimeError(NumberFor(db, code), detail);
}

std::string ModeText(mode_t mode) {
  char text[16];
  std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777U));
  return text;
}

// The database holds every image the user worked on and the paths they lie at: it is
// for the user alone, whatever the umask, and so are the journal files SQLite keeps
// beside it (it gives them the database's permissions when it makes them, but leaves
// ones it finds as they are). The file is made here, too, because SQLite tells only why
// the last of its attempts failed (a file that could not be created reads as "no such
// file"). Returns the permissions of the files that were open to other users, ORed;
// `database` gets the database file's status.
mode_t MakePrivate(const std::filesystem::path& file, bool create, struct stat& database) {
  mode_t wide = 0;
  for (const char* suffix : {"", "-wal", "-shm"}) {
    const std::string path = file.string() + suffix;
    const bool isDatabase = *suffix == '\0';
    const bool make = isDatabase && create;
    int fd = make ? ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600) : -1;
    const bool made = fd >= 0;
    if (make && !made && errno != EEXIST) throw ErrorFromSystem(errno, path);
    if (!made) fd = ::open(path.c_str(), (make ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT && !isDatabase) continue;
    if (fd < 0) throw ErrorFromSystem(errno, path);
    struct stat info {};
    int failed = ::fstat(fd, &info);
    if (failed == 0 && made)
      failed = ::fchmod(fd, 0600);  // the umask may have taken the user's own bits
    else if (failed == 0 && S_ISREG(info.st_mode) && (info.st_mode & 077) != 0) {
      wide |= info.st_mode & 0777;
      failed = ::fchmod(fd, info.st_mode & 0600);
    }
    const int error = errno;
    ::close(fd);
    if (failed != 0) throw ErrorFromSystem(error, path);
    if (isDatabase) database = info;
  }
  return wide;
}

// Earlier versions made the history's folder and moved damaged databases aside with the
// umask's permissions: what they left open to other users is narrowed too, since the
// copies hold images and the folder lists them. Returns what was open, ORed.
mode_t MakeEarlierPrivate(const std::filesystem::path& file) {
  mode_t wide = 0;
  const auto narrow = [&](const std::filesystem::path& path, mode_t keep) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || (info.st_mode & 077) == 0 || S_ISLNK(info.st_mode)) return;
    wide |= info.st_mode & 0777;
    if (::chmod(path.c_str(), info.st_mode & keep) != 0) throw ErrorFromSystem(errno, path.string());
  };
  narrow(file.parent_path(), 0700);
  const std::string copies = file.filename().string() + ".damaged-";
  std::error_code unreadable;  // a folder that cannot be listed has no copies to narrow
  for (const auto& entry : std::filesystem::directory_iterator(file.parent_path(), unreadable))
    if (entry.path().filename().string().starts_with(copies)) narrow(entry.path(), 0600);
  return wide;
}

// One prepared statement, its parameters bound in order.
class Statement {
 public:
  Statement(sqlite3* db, const std::filesystem::path& file, const char* sql) : db_(db), file_(file) {
    Check(sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr));
  }
  ~Statement() { sqlite3_finalize(statement_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& Bind(std::int64_t value) {
    Check(sqlite3_bind_int64(statement_, ++bound_, value));
    return *this;
  }
  Statement& Bind(const std::string& text) {
    Check(sqlite3_bind_text(statement_, ++bound_, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT));
    return *this;
  }
  Statement& Bind(std::span<const std::uint8_t> bytes) {
    Check(sqlite3_bind_blob64(statement_, ++bound_, bytes.data(), bytes.size(), SQLITE_STATIC));
    return *this;
  }
  // True while there is a row to read.
  bool Step() {
    const int code = sqlite3_step(statement_);
    if (code == SQLITE_ROW) return true;
    if (code != SQLITE_DONE) Fail(db_, code, file_);
    return false;
  }
  std::int64_t Integer(int column) { return sqlite3_column_int64(statement_, column); }
  std::string Text(int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    return text != nullptr ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)))
                           : std::string();
  }
  std::vector<std::uint8_t> Blob(int column) {
    const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(statement_, column));
    return {data, data + sqlite3_column_bytes(statement_, column)};
  }

 private:
  void Check(int code) {
    if (code != SQLITE_OK) Fail(db_, code, file_);
  }
  sqlite3* db_;
  const std::filesystem::path& file_;
  sqlite3_stmt* statement_ = nullptr;
  int bound_ = 0;
};

// Rolled back unless committed, whichever way the work inside ends.
class Transaction {
 public:
  Transaction(sqlite3* db, const std::filesystem::path& file) : db_(db), file_(file) {
    // Takes the write lock at once: a transaction that starts reading and then wants to
    // write could find another writer in between and have to give up.
    Run("BEGIN IMMEDIATE");
  }
  ~Transaction() {
    if (!committed_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void Commit() {
    Run("COMMIT");
    committed_ = true;
  }

 private:
  void Run(const char* sql) {
    const int code = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    if (code != SQLITE_OK) Fail(db_, code, file_);
  }
  sqlite3* db_;
  const std::filesystem::path& file_;
  bool committed_ = false;
};

constexpr const char* kVersionColumns =
    "SELECT number, time, event, path, size, mask, prom_id, stored_checksum, content FROM events ";

Version VersionAt(Statement& row) {
  return {row.Integer(0),
          row.Text(1),
          row.Text(2),
          row.Text(3),
          {static_cast<std::size_t>(row.Integer(4)), row.Text(5), row.Text(6), row.Text(7)},
          row.Text(8),
          std::nullopt};
}

}  // namespace

std::string_view EventName(Event event) {
  switch (event) {
    case Event::Opened: return "opened";
    case Event::Saved: return "saved";
    case Event::BackedUp: return "backed up";
    case Event::ChangedByCli: return "changed by the CLI";
    case Event::Restored: return "restored";
  }
  return "?";
}

std::string UtcText(Clock::time_point when) {
  const std::time_t seconds = Clock::to_time_t(when);
  std::tm utc{};
  char text[32] = "";
  if (::gmtime_r(&seconds, &utc) != nullptr) std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

Store::Store(const std::filesystem::path& file, bool create, const Tell& tell) : file_(file) {
  if (create) CreatePrivateFolders(file.parent_path().string());
  struct stat opened {};
  const mode_t wide = MakePrivate(file, create, opened) | MakeEarlierPrivate(file);
  device_ = opened.st_dev;
  inode_ = opened.st_ino;
  if (wide != 0 && tell)
    tell("The version history " + file.string() + " was open to other users (mode " + ModeText(wide) +
         "); it is now yours alone, with its folder and the copies moved aside earlier.");
  const int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0) | SQLITE_OPEN_NOMUTEX;
  const int code = sqlite3_open_v2(file.c_str(), &db_, flags, nullptr);
  try {
    if (code != SQLITE_OK) Fail(db_, code, file_);
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, kBusyMilliseconds);
    Check(false);
    CreateSchema();
  } catch (...) {
    sqlite3_close(db_);
    throw;
  }
}

Store::~Store() { sqlite3_close(db_); }

bool Store::Moved() const {
  struct stat info {};
  return ::stat(file_.c_str(), &info) != 0 || info.st_dev != device_ || info.st_ino != inode_;
}

void Store::Execute(const char* sql) {
  const int code = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
  if (code != SQLITE_OK) Fail(db_, code, file_);
}

void Store::Check(bool thorough) {
  // One complaint is enough to know; the first is the one told.
  Statement check(db_, file_, thorough ? "PRAGMA integrity_check(1)" : "PRAGMA quick_check(1)");
  const std::string verdict = check.Step() ? check.Text(0) : "no verdict";
  if (verdict != "ok") throw Damaged(file_.string() + ": " + verdict);
}

void Store::CreateSchema() {
  const auto schemaVersion = [this] {
    Statement version(db_, file_, "PRAGMA user_version");
    return version.Step() ? version.Integer(0) : 0;
  };
  if (schemaVersion() == kSchemaVersion) return;
  // Before any table exists: a prune can then give the space of dropped contents back.
  Execute("PRAGMA auto_vacuum=INCREMENTAL");
  Execute("PRAGMA journal_mode=WAL");
  Transaction transaction(db_, file_);
  if (schemaVersion() == kSchemaVersion) return;  // another program made it meanwhile
  Execute(
      "CREATE TABLE contents("
      "  key TEXT PRIMARY KEY,"  // SHA-256 of the bytes
      "  bytes BLOB NOT NULL);"
      "CREATE TABLE events("
      "  number INTEGER PRIMARY KEY AUTOINCREMENT,"  // the version's reference
      "  time TEXT NOT NULL,"                        // UTC, 2026-05-01T12:00:00Z
      "  event TEXT NOT NULL,"
      "  path TEXT NOT NULL,"
      "  size INTEGER NOT NULL,"
      "  mask TEXT NOT NULL,"
      "  prom_id TEXT NOT NULL,"
      "  stored_checksum TEXT NOT NULL,"
      "  content TEXT NOT NULL REFERENCES contents(key));"
      "CREATE INDEX events_by_path ON events(path, number);"
      "PRAGMA user_version=1;");
  transaction.Commit();
}

std::int64_t Store::Record(Event event, const std::string& absolutePath, std::span<const std::uint8_t> bytes,
                           Clock::time_point when) {
  const std::string key = Sha256(bytes);  // outside the lock: other writers need not wait for it
  const Facts facts = IdentityOf(bytes);
  // An opened file still holds what its event records, and its .org copy was just made,
  // so an open need not wait for the disk. Every other event records what a file is
  // about to lose or has just lost: it is on the disk before Record returns, and with it
  // every event before it.
  Execute(event == Event::Opened ? "PRAGMA synchronous=NORMAL" : "PRAGMA synchronous=FULL");
  Transaction transaction(db_, file_);
  Statement known(db_, file_, "SELECT 1 FROM contents WHERE key = ?");
  if (!known.Bind(key).Step())
    Statement(db_, file_, "INSERT INTO contents(key, bytes) VALUES(?, ?)").Bind(key).Bind(bytes).Step();
  Statement(db_, file_,
            "INSERT INTO events(time, event, path, size, mask, prom_id, stored_checksum, content) "
            "VALUES(?, ?, ?, ?, ?, ?, ?, ?)")
      .Bind(UtcText(when))
      .Bind(std::string(EventName(event)))
      .Bind(absolutePath)
      .Bind(static_cast<std::int64_t>(facts.size))
      .Bind(facts.mask)
      .Bind(facts.promId)
      .Bind(facts.storedChecksum)
      .Bind(key)
      .Step();
  const std::int64_t number = sqlite3_last_insert_rowid(db_);
  transaction.Commit();
  return number;
}

std::vector<Version> Store::Versions(const std::string& absolutePath) {
  Statement rows(db_, file_,
                 absolutePath.empty() ? (std::string(kVersionColumns) + "ORDER BY number").c_str()
                                      : (std::string(kVersionColumns) + "WHERE path = ? ORDER BY number").c_str());
  if (!absolutePath.empty()) rows.Bind(absolutePath);
  struct Latest {
    std::string content;
    std::vector<std::uint8_t> bytes;  // loaded once the path's content changes
  };
  std::vector<Version> versions;
  std::map<std::string, Latest> latestOfPath;  // only the latest of each path is held in memory
  while (rows.Step()) {
    Version version = VersionAt(rows);
    const auto previous = latestOfPath.find(version.path);
    if (previous == latestOfPath.end()) {
      latestOfPath[version.path] = {version.content, {}};
    } else if (previous->second.content == version.content) {
      version.differing = 0;
    } else {
      Latest& latest = previous->second;
      if (latest.bytes.empty()) latest.bytes = Bytes(latest.content);
      std::vector<std::uint8_t> bytes = Bytes(version.content);
      version.differing = diff::DifferingBytes(latest.bytes, bytes);
      latest = {version.content, std::move(bytes)};
    }
    versions.push_back(std::move(version));
  }
  std::ranges::reverse(versions);
  return versions;
}

std::vector<std::string> Store::RecentPaths(std::size_t count) {
  // Backups, restores and the CLI's changes are not what the user worked on in the window.
  Statement rows(db_, file_,
                 "SELECT path FROM events WHERE event IN ('opened', 'saved') GROUP BY path "
                 "ORDER BY max(number) DESC LIMIT ?");
  rows.Bind(static_cast<std::int64_t>(count));
  std::vector<std::string> paths;
  while (rows.Step()) paths.push_back(rows.Text(0));
  return paths;
}

std::optional<Version> Store::Find(std::int64_t number) {
  Statement row(db_, file_, (std::string(kVersionColumns) + "WHERE number = ?").c_str());
  if (!row.Bind(number).Step()) return std::nullopt;
  return VersionAt(row);
}

std::vector<std::uint8_t> Store::Bytes(const std::string& content) {
  Statement row(db_, file_, "SELECT bytes FROM contents WHERE key = ?");
  if (!row.Bind(content).Step())
    throw RuntimeError(ErrorNumber::InvalidFileFormat, file_.string() + ": content " + content + " is missing");
  std::vector<std::uint8_t> bytes = row.Blob(0);
  if (Sha256(bytes) != content)
    throw RuntimeError(ErrorNumber::InvalidFileFormat, file_.string() + ": content " + content + " is damaged");
  return bytes;
}

Store::Counts Store::Count() {
  Statement versions(db_, file_, "SELECT (SELECT count(*) FROM events), (SELECT count(*) FROM contents)");
  versions.Step();
  return {static_cast<std::size_t>(versions.Integer(0)), static_cast<std::size_t>(versions.Integer(1))};
}

Store::Counts Store::Prune(Clock::time_point cutoff) {
  Counts dropped{};
  {
    Transaction transaction(db_, file_);
    Statement(db_, file_,
              "DELETE FROM events WHERE time < ? AND number NOT IN (SELECT min(number) FROM events GROUP BY path)")
        .Bind(UtcText(cutoff))
        .Step();
    dropped.versions = static_cast<std::size_t>(sqlite3_changes(db_));
    Statement(db_, file_, "DELETE FROM contents WHERE key NOT IN (SELECT content FROM events)").Step();
    dropped.contents = static_cast<std::size_t>(sqlite3_changes(db_));
    transaction.Commit();
  }
  // Gives the freed pages back to the disk when no other program is writing; the prune
  // itself is done either way, so a busy database is no failure here.
  sqlite3_exec(db_, "PRAGMA incremental_vacuum", nullptr, nullptr, nullptr);
  return dropped;
}

}  // namespace vantorix::history
