// The version history's store: contents kept once, events from several processes at
// once, bytes checked on the way out, pruning that keeps each file's first version, and
// files for their user alone.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TempDir.h"
#include "TestImage.h"
#include "foundation/RuntimeError.h"
#include "history/HistoryStore.h"
#include "history/Recorder.h"

namespace vantorix::test {
namespace {

using history::Event;
using history::Store;
using namespace std::chrono_literals;

// Each version as "number event differing", newest first ("-" for a path's first).
std::string Listed(Store& store, const std::string& path = {}) {
  std::string text;
  for (const history::Version& v : store.Versions(path))
    text += std::to_string(v.number) + " " + v.event + " " + (v.differing ? std::to_string(*v.differing) : "-") + "|";
  return text;
}

class HistoryStoreTest : public ::testing::Test {
 protected:
  std::filesystem::path File() const { return dir.Path() / "Vantorix" / "history.sqlite"; }
  TempDir dir;
  // Three contents: the second differs from the first in four bytes, the third in one.
  const TestImage stock = TestImage(32768, 0x8D).PromId(4613).StoredChecksum(0x0A5F);
  const TestImage tuned = TestImage(stock).Byte(0x0617, 0x00).Byte(0x0618, 0x00).StoredChecksum(0x0B00);
  const TestImage other = TestImage(stock).Byte(0x5000, static_cast<std::uint8_t>(~stock.At(0x5000)));
};

TEST_F(HistoryStoreTest, KeepsEqualContentsOnceAndTellsWhatEachVersionHolds) {
  Store store(File(), true);
  for (const auto& [event, path, image] : {std::tuple{Event::Opened, "/cal/a.bin", stock},
                                           {Event::Saved, "/cal/a.bin", tuned},
                                           {Event::Opened, "/cal/b.bin", stock},
                                           {Event::BackedUp, "/cal/a.bin", stock},
                                           {Event::ChangedByCli, "/cal/b.bin", other},
                                           {Event::Restored, "/cal/b.bin", stock}})
    store.Record(event, path, image.Bytes());
  EXPECT_EQ(store.Count(), (Store::Counts{6, 3}));
  EXPECT_EQ(Listed(store, "/cal/a.bin"), "4 backed up 4|2 saved 4|1 opened -|");
  EXPECT_EQ(Listed(store), "6 restored 1|5 changed by the CLI 1|4 backed up 4|3 opened -|2 saved 4|1 opened -|");
  EXPECT_EQ(store.Find(2)->facts, (history::Facts{32768, "8D", "4613", "0B00"}));
  EXPECT_TRUE(store.Bytes(store.Find(2)->content) == tuned.Bytes() && !store.Find(7));
  const std::uint8_t abc[] = {'a', 'b', 'c'};  // the key is SHA-256 itself, checked on its standard test vector
  EXPECT_EQ(store.Find(store.Record(Event::Opened, "/cal/abc", abc))->content,
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");

  // Bytes changed inside the database are never handed out as the version.
  sqlite3* db = nullptr;
  sqlite3_open(File().c_str(), &db);
  sqlite3_exec(db, "UPDATE contents SET bytes = zeroblob(32768)", nullptr, nullptr, nullptr), sqlite3_close(db);
  EXPECT_THROW(store.Bytes(store.Find(2)->content), RuntimeError);

  // The files worked on, by their latest opening or saving; backups and the CLI's work are not.
  store.Record(Event::Saved, "/cal/a.bin", stock.Bytes()), store.Record(Event::BackedUp, "/cal/c.bin", stock.Bytes());
  EXPECT_EQ(store.RecentPaths(2), (std::vector<std::string>{"/cal/a.bin", "/cal/abc"}));
}

TEST_F(HistoryStoreTest, EventsFromProcessesWritingAtOnceAllArrive) {
  constexpr int kEach = 30;
  std::vector<pid_t> children;
  for (const char* path : {"/cal/first.bin", "/cal/second.bin", "/cal/third.bin"}) {
    children.push_back(::fork());
    if (children.back() != 0) continue;
    Store store(File(), true);  // each makes the database if it is first, as a program does
    TestImage image = stock;
    for (int k = 0; k < kEach; ++k)
      store.Record(Event::Saved, path, image.Byte(0x4000, static_cast<std::uint8_t>(k)).Bytes());
    ::_exit(0);  // a failed record ends the child with an exception instead
  }
  for (int status = -1; const pid_t child : children)
    EXPECT_TRUE(::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0);
  // Every event arrived; the contents the three recorded alike are kept once.
  EXPECT_EQ(Store(File(), false).Count(), (Store::Counts{3 * kEach, kEach}));
}

TEST_F(HistoryStoreTest, PruningDropsOldVersionsButNeverTheFirstOfAFile) {
  const auto now = history::Clock::now();
  Store store(File(), true);
  store.Record(Event::Opened, "/cal/a.bin", stock.Bytes(), now - 100 * 24h);      // a's first: kept
  store.Record(Event::Saved, "/cal/a.bin", tuned.Bytes(), now - 50 * 24h);        // dropped, and its content
  store.Record(Event::Saved, "/cal/a.bin", stock.Bytes(), now - 31 * 24h);        // dropped, content still needed
  store.Record(Event::Opened, "/cal/b.bin", other.Bytes(), now - 90 * 24h);       // b's first: kept
  store.Record(Event::Saved, "/cal/b.bin", stock.Bytes(), now - 29 * 24h);        // within 30 days: kept
  store.Record(Event::Opened, "/cal/c.bin", other.Bytes(), now - 29 * 24h - 1h);  // c's first: kept
  EXPECT_EQ(store.Prune(now - 30 * 24h), (Store::Counts{2, 1}));
  EXPECT_EQ(Listed(store), "6 opened -|5 saved 1|4 opened -|1 opened -|");
  EXPECT_EQ(store.Prune(now), (Store::Counts{1, 0}));
  EXPECT_EQ(Listed(store), "6 opened -|4 opened -|1 opened -|");
  EXPECT_EQ(store.Count(), (Store::Counts{3, 2}));
}

// A connection kept open, as the window program's, follows the file at the path: once
// another program has moved the file aside, the next event goes into the new one.
TEST_F(HistoryStoreTest, AConnectionKeptOpenFollowsTheFileAtThePath) {
  history::Recorder window(File(), [](const std::string&) {});
  window.Record(Event::Opened, "/cal/a.bin", stock.Bytes());
  const std::string aside = File().string() + ".damaged-1";
  for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::rename(File().string() + suffix, aside + suffix);
  Store next(File(), true);  // the new history another program started, still open
  next.Record(Event::Opened, "/cal/b.bin", other.Bytes());
  window.Record(Event::Saved, "/cal/a.bin", tuned.Bytes());
  EXPECT_EQ(Listed(next), "2 saved -|1 opened -|");  // both events, numbered in the new history
  EXPECT_EQ(Store(aside, false).Count(), (Store::Counts{1, 1}));
}

// Every image and its path are in the history: its folders and files are the user's
// alone whatever the umask, and files found open to others are narrowed, in one line.
TEST_F(HistoryStoreTest, FoldersAndFilesAreTheUsersAloneWhateverTheUmask) {
  for (const mode_t umask : {0277U, 022U}) {  // one that leaves the user too little; the one most users have
    SCOPED_TRACE(umask);
    ::umask(umask);
    const auto top = dir.Path() / std::to_string(umask), file = top / "data" / "Vantorix" / "history.sqlite";
    std::vector<std::string> said;
    const history::Recorder::Say say = [&](const std::string& line) { said.push_back(line); };
    history::Recorder first(file, say);
    first.Record(Event::Opened, "/cal/a.bin", stock.Bytes());  // its connection stays open, and the journal files
    const std::string kept =
        "data 700|data/Vantorix 700|data/Vantorix/history.sqlite 600|"
        "data/Vantorix/history.sqlite-shm 600|data/Vantorix/history.sqlite-wal 600|";
    EXPECT_EQ(Modes(top), kept);
    std::filesystem::copy_file(file, file.string() + ".damaged-1");
    for (const char* suffix : {"", "-shm", "-wal", ".damaged-1"})  // as an earlier version left them
      std::filesystem::permissions(file.string() + suffix, std::filesystem::perms(0644));
    std::filesystem::permissions(file.parent_path(), std::filesystem::perms(0755));
    history::Recorder(file, say).Record(Event::Saved, "/cal/a.bin", tuned.Bytes());
    EXPECT_EQ(Modes(top), kept + "data/Vantorix/history.sqlite.damaged-1 600|");
    const std::string narrowed =
        " was open to other users (mode 0755); it is now yours alone, with its folder "
        "and the copies moved aside earlier.";
    EXPECT_EQ(said, std::vector<std::string>{"The version history " + file.string() + narrowed});
  }
}

}  // namespace
}  // namespace vantorix::test
