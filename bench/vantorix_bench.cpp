// Speed of opening, saving and checksumming an image, each next to the cheapest way the
// same bytes could move (one read or write call) and next to the byte-per-call loop that
// the classic implementation used. The ratio table at the end holds the targets.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "CountingShell.h"
#include "RatioTable.h"
#include "TempDir.h"
#include "TestImage.h"
#include "bin/clsBINFile.h"
#include "foundation/NumberText.h"
#include "history/HistoryStore.h"
#include "pe/PeModel.h"
#include "wbpatch/TableSource.h"
#include "wbpatch/WideBandPatch.h"

namespace vantorix::bench {
namespace {

// The images live where VANTORIX_BENCH_DIR says (default: the system's temporary folder),
// so a run can be pointed at the disk whose speed matters.
std::string Image(std::size_t size) {
  static const char* const chosen = std::getenv("VANTORIX_BENCH_DIR");
  static const test::TempDir dir(chosen ? std::filesystem::path(chosen) : std::filesystem::temp_directory_path());
  const auto path = dir.Path() / ("image-" + std::to_string(size) + ".bin");
  if (!std::filesystem::exists(path)) test::TestImage(size, size > 32768 ? 0x6E : 0x8D).Axxc().WriteTo(path);
  return path.string();
}

std::size_t SizeOf(const benchmark::State& state) { return static_cast<std::size_t>(state.range(0)); }

int OpenOrFail(benchmark::State& state, const std::string& path, int flags) {
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) state.SkipWithError(std::strerror(errno));
  return fd;
}

// --- opening ---

void OpenBIN(benchmark::State& state) {
  const std::string path = Image(SizeOf(state));
  test::CountingShell shell;
  for (auto _ : state) {
    clsBINFile image(shell);
    benchmark::DoNotOptimize(image.OpenBIN(path));
  }
  if (shell.boxes != 0) state.SkipWithError("OpenBIN reported an error");
}

// A compare image: opened by the read-only file services, without the folder and the lock
// an image that will be saved needs.
void OpenCompareBIN(benchmark::State& state) {
  const std::string path = Image(SizeOf(state));
  test::CountingShell shell;
  for (auto _ : state) {
    clsBINFile image(shell, ReadOnlyFileSystem());
    benchmark::DoNotOptimize(image.OpenBIN(path));
  }
  if (shell.boxes != 0) state.SkipWithError("OpenBIN reported an error");
}

// The least any reader has to do: open, learn the size, one read call, close.
void BareRead(benchmark::State& state) {
  const std::string path = Image(SizeOf(state));
  for (auto _ : state) {
    const int fd = OpenOrFail(state, path, O_RDONLY);
    if (fd < 0) break;
    struct stat info {};
    ::fstat(fd, &info);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.st_size));
    if (::read(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) state.SkipWithError("short read");
    ::close(fd);
    benchmark::DoNotOptimize(bytes.data());
  }
}

// The least a reader has to do that will later replace the file in the folder it found it
// in: open the folder, open the file there, learn the size, one read call, close both.
void BareReadInFolder(benchmark::State& state) {
  const std::filesystem::path path = Image(SizeOf(state));
  const std::string folderPath = path.parent_path().string(), name = path.filename().string();
  for (auto _ : state) {
    const int folder = OpenOrFail(state, folderPath, O_RDONLY | O_DIRECTORY);
    const int fd = ::openat(folder, name.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    struct stat info {};
    ::fstat(fd, &info);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.st_size));
    if (fd < 0 || ::read(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
      state.SkipWithError("short read");
    ::close(fd);
    ::close(folder);
    benchmark::DoNotOptimize(bytes.data());
  }
}

// The classic loop: one read call for every byte.
void BytePerCallRead(benchmark::State& state) {
  const std::string path = Image(SizeOf(state));
  for (auto _ : state) {
    const int fd = OpenOrFail(state, path, O_RDONLY);
    if (fd < 0) break;
    std::vector<std::uint8_t> bytes(SizeOf(state));
    for (std::uint8_t& byte : bytes)
      if (::read(fd, &byte, 1) != 1) state.SkipWithError("short read");
    ::close(fd);
    benchmark::DoNotOptimize(bytes.data());
  }
}

// --- saving (the file stays open, as it does between OpenBIN and CloseBIN) ---

void SaveBIN(benchmark::State& state) {
  const std::string path = Image(SizeOf(state));
  test::CountingShell shell;
  clsBINFile image(shell);
  if (!image.OpenBIN(path)) state.SkipWithError("cannot open the image");
  for (auto _ : state) image.SaveBIN();
  if (shell.boxes != 0) state.SkipWithError("SaveBIN reported an error");
}

// The least a save that can never tear the image has to do: create a file beside it,
// write it in one call, sync it, rename it over the image and sync the folder, whose
// descriptor stays open as the image object keeps its own.
void BareDurableReplace(benchmark::State& state) {
  const std::string path = Image(SizeOf(state));
  const std::vector<std::uint8_t> bytes = test::ReadFile(path);
  const std::string name = std::filesystem::path(path).filename().string(), temporary = "." + name + ".new";
  const int folder = OpenOrFail(state, std::filesystem::path(path).parent_path().string(), O_RDONLY | O_DIRECTORY);
  for (auto _ : state) {
    const int fd = ::openat(folder, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) || ::fsync(fd) != 0 ||
        ::renameat(folder, temporary.c_str(), folder, name.c_str()) != 0 || ::fsync(folder) != 0)
      state.SkipWithError("the replacement failed");
    if (fd >= 0) ::close(fd);
  }
  if (folder >= 0) ::close(folder);
}

// An in-place write and sync: not durable against a kill or a power cut mid-write, but the
// least that reaches the disk at all. Shown for comparison.
void BareWriteSync(benchmark::State& state) {
  const std::string path = Image(SizeOf(state));
  const std::vector<std::uint8_t> bytes = test::ReadFile(path);
  const int fd = OpenOrFail(state, path, O_RDWR);
  for (auto _ : state) {
    if (::pwrite(fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size()) || ::fsync(fd) != 0)
      state.SkipWithError("write failed");
  }
  if (fd >= 0) ::close(fd);
}

// The classic loop: one write call for every byte, then the sync.
void BytePerCallWrite(benchmark::State& state) {
  const std::string path = Image(SizeOf(state));
  const std::vector<std::uint8_t> bytes = test::ReadFile(path);
  const int fd = OpenOrFail(state, path, O_RDWR);
  for (auto _ : state) {
    for (std::size_t k = 0; k < bytes.size(); ++k)
      if (::pwrite(fd, &bytes[k], 1, static_cast<off_t>(k)) != 1) state.SkipWithError("write failed");
    if (::fsync(fd) != 0) state.SkipWithError("sync failed");
  }
  if (fd >= 0) ::close(fd);
}

// --- the version history: one event, against the save it follows ---

// One event of a content the history has not seen yet (the costlier case: its bytes are
// stored too), into a database that stays open, as the window program's does. An
// "opened" event does not wait for the disk; a save's is on the disk before Record returns.
void RecordEvent(benchmark::State& state, history::Event event) {
  const std::string path = Image(SizeOf(state));
  std::vector<std::uint8_t> bytes = test::ReadFile(path);
  const test::TempDir folder(std::filesystem::path(path).parent_path());
  history::Store store(folder.Path() / "history.sqlite", true);
  std::uint32_t serial = 0;
  for (auto _ : state) {
    ++serial;
    std::memcpy(bytes.data() + 0x5000, &serial, sizeof serial);
    store.Record(event, path, bytes);
  }
}

// The least that keeps a new 32 KB content in an SQLite database that other programs may
// write at the same time: one row of one table, in WAL mode, committed without waiting for
// the disk (as an "opened" event is), the statement prepared once.
void BareSqliteInsert(benchmark::State& state) {
  std::vector<std::uint8_t> bytes = test::ReadFile(Image(SizeOf(state)));
  const test::TempDir folder;
  sqlite3* db = nullptr;
  sqlite3_stmt* insert = nullptr;
  if (sqlite3_open((folder.Path() / "bare.sqlite").c_str(), &db) != SQLITE_OK ||
      sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; CREATE TABLE blobs(bytes BLOB NOT NULL)",
                   nullptr, nullptr, nullptr) != SQLITE_OK ||
      sqlite3_prepare_v2(db, "INSERT INTO blobs(bytes) VALUES(?)", -1, &insert, nullptr) != SQLITE_OK)
    state.SkipWithError(sqlite3_errmsg(db));
  std::uint32_t serial = 0;
  for (auto _ : state) {
    if (insert == nullptr) break;
    ++serial;
    std::memcpy(bytes.data() + 0x5000, &serial, sizeof serial);
    sqlite3_bind_blob(insert, 1, bytes.data(), static_cast<int>(bytes.size()), SQLITE_STATIC);
    if (sqlite3_step(insert) != SQLITE_DONE) state.SkipWithError(sqlite3_errmsg(db));
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  sqlite3_close(db);
}

// A new connection checks every page of the file before its first use (PRAGMA
// quick_check): the price each vantorix-cli run that records or lists pays once, and the
// window program once per run. The thorough check, which adds the indexes, confirms
// damage before the file is moved aside. The database holds state.range(0) versions,
// each of a content of its own, as a history of a few hundred saves does.
void CheckHistory(benchmark::State& state, bool thorough) {
  const std::string path = Image(32768);
  std::vector<std::uint8_t> bytes = test::ReadFile(path);
  const test::TempDir folder(std::filesystem::path(path).parent_path());
  const auto file = folder.Path() / "history.sqlite";
  {
    history::Store writer(file, true);
    for (std::uint32_t serial = 0; serial < static_cast<std::uint32_t>(state.range(0)); ++serial) {
      std::memcpy(bytes.data() + 0x5000, &serial, sizeof serial);
      writer.Record(history::Event::Opened, path, bytes);
    }
  }  // closed: every page is in the file itself, as the next program finds it
  history::Store store(file, false);
  for (auto _ : state) store.Check(thorough);
}

// --- checksum against the memory bandwidth ---

void CalculateCSUM(benchmark::State& state) {
  test::CountingShell shell;
  clsBINFile image(shell);
  if (!image.OpenBIN(Image(SizeOf(state)))) state.SkipWithError("cannot open the image");
  for (auto _ : state) benchmark::DoNotOptimize(image.CalculateCSUM());
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

void Memcpy(benchmark::State& state) {
  const std::vector<std::uint8_t> from = test::TestImage(SizeOf(state)).Bytes();
  std::vector<std::uint8_t> to(from.size());
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), from.size());
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

// --- the PE model: one grid fill and one change ---

void GridAfrs(benchmark::State& state) {
  const std::vector<std::uint8_t> image = test::TestImage(32768, 0x8D).Bytes();
  const auto* coolant = &image[test::TestImage::kCoolant8D];
  const auto* rpm = &image[test::TestImage::kRpm8D];
  for (auto _ : state)
    for (std::int32_t r = 0; r < pe::kRpmEntries; ++r)
      for (std::int32_t c = 0; c < pe::kCoolantEntries; ++c)
        benchmark::DoNotOptimize(pe::TargetAfr(coolant[c], rpm[r]));
  state.SetItemsProcessed(state.iterations() * pe::kRpmEntries * pe::kCoolantEntries);
}

void SolveModifier(benchmark::State& state) {
  std::int16_t given = 88;
  double wanted = 12.5;
  for (auto _ : state) {
    benchmark::DoNotOptimize(given);
    benchmark::DoNotOptimize(wanted);
    benchmark::DoNotOptimize(pe::SolveModifier(given, wanted));
  }
}

// --- the wideband patch: one insertion with its table read and checked ---

void AddWBHackToBIN(benchmark::State& state) {
  const std::string path = Image(32768);
  test::CountingShell shell;
  shell.answer = MsgBoxResult::Yes;  // the built-in tables are stand-ins: write them
  wbpatch::BuiltInTables tables;
  wbpatch::WideBandPatch patch(tables);
  clsBINFile image(shell, RealFileSystem(), patch);
  if (!image.OpenBIN(path)) state.SkipWithError("the image did not open");
  for (auto _ : state) benchmark::DoNotOptimize(image.AddWBHackToBIN());
  if (shell.errorReports != 0) state.SkipWithError("AddWBHackToBIN reported an error");
}

// --- the core work of "vantorix-cli checksum" over a folder of a thousand images ---

void CheckThousandImages(benchmark::State& state) {
  static const test::TempDir folder;
  static const std::vector<std::string> paths = [] {
    std::vector<std::string> files;
    for (int k = 0; k < 1000; ++k) {
      const auto path = folder.Path() / ("image-" + std::to_string(k) + ".bin");
      test::TestImage(32768, 0x8D).PromId(static_cast<std::uint16_t>(k)).CorrectChecksum().WriteTo(path);
      files.push_back(path.string());
    }
    return files;
  }();
  test::CountingShell shell;
  for (auto _ : state) {
    int agreeing = 0;
    for (const std::string& path : paths) {
      clsBINFile image(shell, ReadOnlyFileSystem());
      agreeing +=
          image.OpenBIN(path) &&
          image.CalculateCSUM() == number::HexText(static_cast<std::uint32_t>(number::ParseHexLong(image.Checksum())));
    }
    if (agreeing != 1000) state.SkipWithError("an image's checksum did not agree");
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}

BENCHMARK(OpenBIN)->Arg(32768)->Arg(65536)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(OpenCompareBIN)->Arg(32768)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BareRead)->Arg(32768)->Arg(65536)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BareReadInFolder)->Arg(32768)->Arg(65536)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BytePerCallRead)->Arg(32768)->Arg(65536)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(SaveBIN)->Arg(32768)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BareDurableReplace)->Arg(32768)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BareWriteSync)->Arg(32768)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BytePerCallWrite)->Arg(32768)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK_CAPTURE(RecordEvent, Opened, history::Event::Opened)
    ->Arg(32768)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(RecordEvent, Saved, history::Event::Saved)->Arg(32768)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BareSqliteInsert)->Arg(32768)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK_CAPTURE(CheckHistory, Quick, false)->Arg(300)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(CheckHistory, Thorough, true)->Arg(300)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(CalculateCSUM)->Arg(32768)->Arg(65536)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(Memcpy)->Arg(32768)->Arg(65536)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(GridAfrs)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(SolveModifier)->Unit(benchmark::kNanosecond)->UseRealTime();
BENCHMARK(AddWBHackToBIN)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(CheckThousandImages)->Unit(benchmark::kMillisecond)->UseRealTime();

const std::vector<Target>& Targets() {
  static const std::vector<Target> targets{
      {"open 32 KB / bare read through its folder", "OpenBIN/32768", "BareReadInFolder/32768", 2.0, true},
      {"open 64 KB / bare read through its folder", "OpenBIN/65536", "BareReadInFolder/65536", 2.0, true},
      {"open 32 KB / bare one-call read", "OpenBIN/32768", "BareRead/32768", 0.0, false},
      {"open a compare image 32 KB / open an image without backup", "OpenCompareBIN/32768", "OpenBIN/32768", 1.0, true},
      {"byte-per-call reader 32 KB / open", "BytePerCallRead/32768", "OpenBIN/32768", 50.0, false},
      {"byte-per-call reader 64 KB / open", "BytePerCallRead/65536", "OpenBIN/65536", 50.0, false},
      {"checksum 32 KB bandwidth / memcpy bandwidth", "Memcpy/32768", "CalculateCSUM/32768", 1.0 / 3.0, false},
      {"checksum 64 KB bandwidth / memcpy bandwidth", "Memcpy/65536", "CalculateCSUM/65536", 1.0 / 3.0, false},
      {"save 32 KB / bare durable replace", "SaveBIN/32768", "BareDurableReplace/32768", 1.25, true},
      {"save 32 KB / bare in-place write + sync", "SaveBIN/32768", "BareWriteSync/32768", 0.0, false},
      {"byte-per-call writer 32 KB / save", "BytePerCallWrite/32768", "SaveBIN/32768", 0.0, false},
      {"history: open event, new 32 KB / save", "RecordEvent/Opened/32768", "SaveBIN/32768", 0.5, true},
      {"history: save event, new 32 KB / save", "RecordEvent/Saved/32768", "SaveBIN/32768", 1.0, true},
      {"history: open event, new 32 KB / bare SQLite insert", "RecordEvent/Opened/32768", "BareSqliteInsert/32768", 0.0,
       false},
      {"bare SQLite insert 32 KB / save", "BareSqliteInsert/32768", "SaveBIN/32768", 0.0, false},
  };
  return targets;
}

}  // namespace
}  // namespace vantorix::bench

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  vantorix::bench::RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  const int missed = vantorix::bench::PrintRatioTable(reporter.Times(), vantorix::bench::Targets());
  std::printf("%d target(s) missed\n", missed);
  return missed == 0 ? 0 : 3;
}
