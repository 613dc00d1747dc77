#include "history/Recorder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

#include "foundation/RuntimeError.h"
#include "wbpatch/TableSource.h"

namespace vantorix::history {

namespace {

constexpr const char* kSwitch = "VANTORIX_NO_HISTORY";

bool TurnedOff() {
  const char* value = std::getenv(kSwitch);
  return value != nullptr && *value != '\0' && std::string_view(value) != "0";
}

// Holds the database's folder locked while a damaged database is put aside, so that two
// programs finding it damaged at once do not both move it, the second the new one.
class FolderLock {
 public:
  explicit FolderLock(const std::filesystem::path& folder)
      : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (fd_ < 0 || ::flock(fd_, LOCK_EX) != 0) throw ErrorFromSystem(errno, folder.string());
  }
  ~FolderLock() { ::close(fd_); }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  int fd_;
};

// Moves a damaged database and its journal files aside under a name of their own;
// returns that name, or nothing when the file at its place is sound: another program
// has already replaced it. Sound means every check passes, the indexes' too, for a
// statement can meet damage in an index that the quick check of a connection passes.
std::optional<std::filesystem::path> MoveAside(const std::filesystem::path& database) {
  const FolderLock lock(database.parent_path());
  if (!std::filesystem::exists(database)) return std::nullopt;
  try {
    Store(database, false).Check(true);
    return std::nullopt;
  } catch (const Damaged&) {
  }
  std::string stamp = UtcText(Clock::now());
  std::erase_if(stamp, [](char c) { return c == '-' || c == ':'; });
  std::filesystem::path aside = database.string() + ".damaged-" + stamp;
  for (int k = 2; std::filesystem::exists(aside); ++k)
    aside = database.string() + ".damaged-" + stamp + "-" + std::to_string(k);
  std::filesystem::rename(database, aside);
  for (const char* journal : {"-wal", "-shm"})
    if (std::filesystem::exists(database.string() + journal))
      std::filesystem::rename(database.string() + journal, aside.string() + journal);
  return aside;
}

}  // namespace

std::filesystem::path UserDatabase() { return wbpatch::UserTableFolder().parent_path() / "history.sqlite"; }

std::string AbsolutePath(const std::string& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  const std::filesystem::path resolved = std::filesystem::weakly_canonical(absolute, error);
  return (error ? absolute.lexically_normal() : resolved).string();
}

Recorder::Recorder(Say say) : on_(!TurnedOff()), say_(std::move(say)) {
  try {
    database_ = UserDatabase();
  } catch (...) {
    unusable_ = CurrentExceptionAsRuntimeError();
  }
}

Recorder::Recorder(std::filesystem::path database, Say say)
    : on_(true), database_(std::move(database)), say_(std::move(say)) {}

std::optional<std::int64_t> Recorder::Record(Event event, const std::string& path,
                                             std::span<const std::uint8_t> bytes) noexcept {
  if (!on_) return std::nullopt;
  try {
    const std::int64_t number = RecordOrThrow(event, path, bytes);
    failing_ = false;
    return number;
  } catch (...) {
    try {
      if (!failing_) say_("The version history was not kept: " + CurrentExceptionAsRuntimeError().Description());
    } catch (...) {
      // Even the line could not be told; the user's operation goes on all the same.
    }
    failing_ = true;
    return std::nullopt;
  }
}

std::int64_t Recorder::RecordOrThrow(Event event, const std::string& path, std::span<const std::uint8_t> bytes) {
  if (!on_) throw RuntimeError(ErrorNumber::PermissionDenied, std::string("recording is turned off by ") + kSwitch);
  const std::string absolute = AbsolutePath(path);
  std::int64_t number = 0;
  Guarded([&] { number = Writing().Record(event, absolute, bytes); });
  return number;
}

void Recorder::Read(const std::function<void(Store* store)>& work) {
  Guarded([&] { work(Reading()); });
}

void Recorder::Guarded(const std::function<void()>& work) {
  try {
    work();
    return;
  } catch (const Damaged&) {
    store_.reset();
  }
  if (const auto aside = MoveAside(*database_)) {
    Writing();
    say_("The version history " + database_->string() + " was damaged: it was moved aside as " + aside->string() +
         ", and a new one was started.");
  }
  work();  // once only: damage in the new file too is an error to tell, not one more file to move
}

Store& Recorder::Writing() {
  if (!database_) throw *unusable_;
  // A connection kept open (the window program's) follows the file at the path: in WAL
  // mode SQLite would go on writing into a file another program moved aside as damaged.
  // The new file is checked when it is opened.
  if (store_ && store_->Moved()) store_.reset();
  if (!store_) store_.emplace(*database_, true, say_);
  return *store_;
}

Store* Recorder::Reading() {
  if (!database_) throw *unusable_;
  if (store_ && store_->Moved()) store_.reset();
  if (!store_ && std::filesystem::exists(*database_)) store_.emplace(*database_, false, say_);
  return store_ ? &*store_ : nullptr;
}

}  // namespace vantorix::history
