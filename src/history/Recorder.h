#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "foundation/RuntimeError.h"
#include "history/HistoryStore.h"

namespace vantorix::history {

// The user's database: history.sqlite in the folder of Vantorix's data
// ($XDG_DATA_HOME/Vantorix, else ~/.local/share/Vantorix). Throws when neither
// variable names a folder.
std::filesystem::path UserDatabase();

// The absolute path a file is recorded under: links resolved, so one file has one history.
std::string AbsolutePath(const std::string& path);

// Records what a program read and wrote without ever standing in the way of it: the
// database is opened on the first event, and an event that cannot be kept is told in
// one line (the first of a run of failures) while the user's operation goes on. A
// database found damaged, whether by the check of a new connection or by any statement,
// reading or writing, is moved aside, never deleted, and a new one started: nothing is
// recorded into, or read from, a damaged file.
class Recorder final : public VersionKeeper {
 public:
  using Say = std::function<void(const std::string& line)>;

  // What the open and save roads call: Record, its number dropped.
  void Keep(VersionEvent event, const std::string& path, std::span<const std::uint8_t> bytes) override {
    Record(event, path, bytes);
  }

  // Into the user's database, unless VANTORIX_NO_HISTORY is set (to 1) in the environment.
  explicit Recorder(Say say);
  // Into the given database.
  Recorder(std::filesystem::path database, Say say);

  // False when recording is turned off.
  bool On() const { return on_; }

  // Records the bytes of the file at path; the version number, or none when recording
  // is off or failed.
  std::optional<std::int64_t> Record(Event event, const std::string& path,
                                     std::span<const std::uint8_t> bytes) noexcept;
  // The same for an operation that must not go on without the record (a restore):
  // throws a RuntimeError naming the cause, and says nothing itself.
  std::int64_t RecordOrThrow(Event event, const std::string& path, std::span<const std::uint8_t> bytes);

  // Runs work on the database to read from, null while none exists. When the database
  // turns out damaged, it is moved aside and work runs again on the new one. Throws
  // when it cannot be opened.
  void Read(const std::function<void(Store* store)>& work);

 private:
  Store& Writing();
  Store* Reading();
  void Guarded(const std::function<void()>& work);

  bool on_;
  std::optional<std::filesystem::path> database_;  // none when no folder could be named
  std::optional<RuntimeError> unusable_;           // why, then
  Say say_;
  std::optional<Store> store_;
  bool failing_ = false;
};

}  // namespace vantorix::history
