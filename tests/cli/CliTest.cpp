// Runs the built vantorix-cli on generated images and compares what it wrote with what
// the window program's core writes for the same change.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cctype>
#include <fstream>
#include <functional>

#include "../wbpatch/PatchFacts.h"
#include "InChild.h"
#include "RecordingShell.h"
#include "TempDir.h"
#include "TestImage.h"
#include "bin/clsBINFile.h"
#include "foundation/AppInfo.h"
#include "wbpatch/TableSource.h"
#include "wbpatch/WideBandPatch.h"

namespace vantorix::test {
namespace {

namespace fs = std::filesystem;
using ::testing::AllOf;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using Bytes = std::vector<std::uint8_t>;

struct Result {
  int status;
  std::string out, err;
};

// One run of the program, named.
struct Step {
  const char* what;
  std::string words;  // as typed in the image folder; a redirection among them wins over the test's own
  std::string env = "";
};

std::string Text(const fs::path& path) {
  const Bytes bytes = fs::is_regular_file(path) ? ReadFile(path) : Bytes{};
  return {bytes.begin(), bytes.end()};
}

// Folders cannot be flushed: what a device error after a replacement's rename looks like.
const std::string kFolderFlushFails =
    "LD_PRELOAD=" FAILING_FOLDER_FLUSH " ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0";

TestImage Axxc8D() { return TestImage(32768, 0x8D).Axxc().PromId(0x1205).Manual(true).StoredChecksum(0x1234); }

class CliTest : public ::testing::Test {
 protected:
  // Nothing of the caller's environment: HOME and XDG_DATA_HOME inside `home`, never the real ones.
  Result Run(const std::string& words, const std::string& env = "") {
    const std::string command = "cd '" + dir.Path().string() + "' && env -i HOME='" + home.Path().string() +
                                "' XDG_DATA_HOME='" + home.File("xdg") + "' LC_ALL=C " + env + " " VANTORIX_CLI " >'" +
                                home.File("out") + "' 2>'" + home.File("err") + "' " + words;
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Text(home.File("out")), Text(home.File("err"))};
  }
  // The steps run in turn, as one text: each one's name and words, all it wrote, its status;
  // the test's folders as $DIR and $HOME, dates and times as YYYY-MM-DD and hh:mm:ss, so that
  // the text is the same wherever and whenever it runs.
  std::string Transcript(std::initializer_list<Step> steps) {
    std::string text;
    for (const Step& step : steps) {
      const Result result = Run(step.words, step.env);
      text += "# " + std::string(step.what) + "\n$ " + step.words + "\n" + result.out + result.err + "status " +
              std::to_string(result.status) + "\n";
    }
    for (const auto& [folder, name] : {std::pair{fs::canonical(dir.Path()).string(), "$DIR"},
                                       {dir.Path().string(), "$DIR"},
                                       {home.Path().string(), "$HOME"}})
      for (std::size_t at; (at = text.find(folder)) != std::string::npos;) text.replace(at, folder.size(), name);
    const auto digit = [&text](std::size_t at) { return std::isdigit(static_cast<unsigned char>(text[at])) != 0; };
    for (std::size_t at = 0; at + 10 <= text.size(); ++at)
      if (digit(at) && text[at + 2] == ':' && text[at + 5] == ':' && digit(at + 7))
        text.replace(at, 8, "hh:mm:ss");
      else if (text.compare(at, 2, "20") == 0 && text[at + 4] == '-' && text[at + 7] == '-' && digit(at + 9))
        text.replace(at, 10, "YYYY-MM-DD");
    return text;
  }
  // The whole text against the one kept in tests/cli/expected; what was seen is left in the
  // build folder, to compare with or to take over when a change of the output is meant.
  static void ExpectKept(const std::string& name, const std::string& seen) {
    const std::string kept = CLI_EXPECTED "/" + name + ".txt", there = CLI_SEEN "/cli-" + name + ".txt";
    std::ofstream(there) << seen;
    EXPECT_EQ(seen, Text(kept)) << "diff -u '" << kept << "' '" << there << "'";
  }
  std::string Put(const TestImage& image, const std::string& name) { return image.WriteTo(dir.Path() / name); }
  // What the core writes when it opens the image, makes the change and saves.
  Bytes CoreSaves(const Bytes& image, const std::function<void(clsBINFile&)>& change) {
    const std::string path = TestImage(image).WriteTo(dir.Path() / "core.bin");
    RecordingShell shell;
    shell.Answer(MsgBoxResult::Yes);  // to the stand-in question of the built-in tables
    wbpatch::BuiltInTables tables;
    wbpatch::WideBandPatch patch(tables);
    clsBINFile bin(shell, RealFileSystem(), patch);
    EXPECT_TRUE(bin.OpenBIN(path));
    change(bin);
    bin.SaveBIN();
    EXPECT_TRUE(shell.ErrorReports().empty());
    return ReadFile(path);
  }

  TempDir home, dir;
  const std::string a = Put(Axxc8D(), "a.bin");
};

// A mistake in the command line is status 2 with a pointer to the help. Each command's
// --help text is compared whole with docs/cli.md by cli_reference_matches_the_help.
// Each reading command tells what the core decodes and exits 0, 1 for a difference or a
// mismatch, 3 for a file it cannot read or output it cannot write; with many images the
// worst counts. None writes.
TEST_F(CliTest, MistakesAndReadingCommandsTellWhatTheyMustExitWithTheWorstStatusAndWriteNothing) {
  // clang-format off
  std::string said = Transcript({
      {"no command", ""}, {"an unknown command", "frob"}, {"info without an image", "info"},
      {"an unknown option", "info --bogus a.bin"}, {"afr with two images", "afr a.bin a.bin"},
      {"diff with one image", "diff a.bin"}, {"wb alone", "wb"}, {"an unknown wb action", "wb frob"},
      {"derive lacking options", "wb derive --stock a.bin"}, {"an unknown version", "wb install t --version 7f"},
      {"set-afr without --by", "set-afr a.bin --rpm 2400 --coolant 80 --afr 12.5"},
      {"-o without --fix", "checksum a.bin -o o.bin"}, {"-o for two images", "checksum --fix a.bin a.bin -o o.bin"},
      {"an RPM off the grid", "set-afr a.bin --rpm 2500 --coolant 80 --afr 12.5 --by rpm"},
      {"a temperature off the grid", "set-afr a.bin --rpm 2400 --coolant 50 --afr 12.5 --by rpm"},
      // Beside a coolant modifier of 146 no RPM modifier solves to 0.114.
      {"an AFR no modifier can give", "set-afr a.bin --rpm 2400 --coolant 80 --afr 0.114 --by rpm"},
      {"an AFR that is no number", "set-afr a.bin --rpm 2400 --coolant 80 --afr rich --by rpm"},
      {"--by neither rpm nor coolant", "set-afr a.bin --rpm 2400 --coolant 80 --afr 12.5 --by row"},
      {"an option given twice", "set-afr a.bin --rpm 4800 --coolant 80 --afr 12.5 --by rpm --rpm=400"},
      {"a negative number of days", "history prune --keep-days -1"}, {"a version that is no number", "history show abc"},
      {"a sample of mask 32", "sample x.bin --mask 32"}, {"a code for $6E", "sample x.bin --mask 6e --bcc axxc"}});
  // clang-format on
  TestImage b = Axxc8D().PromId(0x0001).StoredChecksum(0x9999).CoolantModifiers({1, 2, 3, 4, 5, 6, 7, 8, 9});
  Put(b.Byte(0x0617, 0xEE).Byte(0x2004, 0).Byte(0x2005, 0).Byte(0x4C9C, 0).Byte(0x5000, 0).Byte(0x7168, 0), "b.bin");
  Put(TestImage(32768, 0x6E).CorrectChecksum(), "e.bin"), Put(TestImage(32768, 0x32), "t.bin");
  const TestImage tables = Axxc8D().CoolantModifiers({0, 88, 30, 40, 50, 20, 60, 70, 255});
  Put(TestImage(tables).Byte(0x0617 + 8, 143), "g.bin"), Put(TestImage(tables).Byte(0x0617 + 8, 150), "h.bin");
  Put(TestImage(32768, 0xAA), "x.bin"), Put(Axxc8D(), "tab\tx.bin");
  EXPECT_EQ(Transcript({{"version", "--version"}}),
            "# version\n$ --version\nvantorix-cli " + std::string(app::kVersionText) + "\nstatus 0\n");
  // clang-format off
  said += Transcript({
      {"info, one file missing", "info a.bin missing.bin t.bin"}, {"info as JSON", "info --json a.bin e.bin"},
      {"checksum", "checksum e.bin a.bin"}, {"checksum, one file missing", "checksum a.bin missing.bin"},
      {"afr", "afr a.bin"}, {"afr as CSV", "afr --csv b.bin"}, {"identical images", "diff a.bin a.bin"},
      {"diff", "diff a.bin b.bin"},
      {"derive from images that are no pair", "wb derive --stock a.bin --patched b.bin --version 8d-axxc -o t.txt"},
      // 3770.1608988764 / (coolant + 143 + 128) against / (coolant + 150 + 128), to two decimals.
      {"target AFRs of one RPM row", "diff --afr g.bin h.bin"}, {"the same target AFRs", "diff --afr a.bin a.bin"},
      {"a mask without PE tables", "diff --afr a.bin x.bin"},
      // One document each, which a JSON reader takes (the kept text is checked so), holding what the text says.
      {"target AFRs as JSON", "diff --afr --json g.bin h.bin"}, {"diff as JSON", "diff --json g.bin h.bin"},
      {"afr as JSON", "afr --json g.bin"}, {"JSON: a control character in a name", "afr --json 'tab\tx.bin'"},
      // Output lost to a full disk must not pass for a clean run.
      {"table to a full disk", "afr --csv a.bin >/dev/full"}, {"version to a full disk", "--version >/dev/full"}});
  // clang-format on
  ExpectKept("reads", said);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}), 8);
  EXPECT_THAT(ReadFile(a), ElementsAreArray(Axxc8D().Bytes()));
}

// Read-only files in a read-only folder, as a user that cannot override permissions.
TEST_F(CliTest, ReadOnlyFilesAreReadButNotFixed) {
  OpenToEveryone(home.Path());
  fs::permissions(a, fs::perms(0444));
  fs::permissions(dir.Path(), fs::perms(0555));
  EXPECT_TRUE(RunAsOrdinaryUser([&] {
    return Run("info a.bin").status == 0 && Run("afr a.bin").status == 0 &&
           Run("checksum --fix a.bin").err.find("Permission denied") != std::string::npos;
  }));
}

// A change the CLI makes, and the same change made by the window program's core: none
// when nothing may be written.
struct Change {
  Step step;
  Bytes image;  // as s.bin
  std::function<void(clsBINFile&)> core = nullptr;
};

// A change writes exactly what the core saves, after the backup; a refusal, or a change
// that changes nothing, writes nothing and makes no backup.
TEST_F(CliTest, EveryChangeWritesWhatTheCoreSavesOrNothing) {
  // Coolant modifier 88 and a wanted 12.5 solve to an RPM modifier of 86.
  const Bytes grid = Axxc8D().CoolantModifiers({10, 20, 30, 40, 50, 88, 70, 80, 90}).RpmModifiers({}).Bytes();
  const auto add = [](clsBINFile& b) { b.AddWBHackToBIN(); };
  fs::create_directories(dir.Path() / "broken/Vantorix/wbpatch");
  std::ofstream(dir.Path() / "broken/Vantorix/wbpatch/6E.txt") << "0000 00 00\n";
  const Bytes axxc = Axxc8D().Bytes(), e6 = TestImage(32768, 0x6E).Bytes();
  // clang-format off
  std::vector<Change> changes{
      {{"by RPM, telling what it does", "--verbose set-afr s.bin --rpm 2400 --coolant 80 --afr 12.5 --by rpm"}, grid,
       [](clsBINFile& b) { b.PutPEModifier_RPM(7, 86); }},
      {{"by RPM into another file", "set-afr s.bin --rpm 2400 --coolant 80 --afr 12.5 --by rpm -o o.bin"}, grid,
       [](clsBINFile& b) { b.PutPEModifier_RPM(7, 86); }},
      {{"into its backup", "set-afr s.bin --rpm 2400 --coolant 80 --afr 12.5 --by rpm -o ./s.bin.org"}, grid},
      {{"into a file that exists", "checksum --fix s.bin -o a.bin"}, axxc},
      {{"a sample over a file", "sample s.bin --mask 8d"}, axxc},
      {{"add into another file", "wb add --allow-stand-in s.bin -o o.bin"}, axxc, add},
      {{"by coolant", "set-afr s.bin --rpm 6400 --coolant -40 --afr 14.7 --by coolant"}, grid,
       [](clsBINFile& b) { b.PutPEModifier_Coolant(1, b.CalculateCoolantModifier(0, 14.7)); }},
      {{"the cell already targets that", "set-afr s.bin --rpm 0 --coolant -40 --afr 27.32 --by rpm"}, grid},
      // Beside an RPM modifier of 216 it solves to 32728.
      {{"modifier above 255", "set-afr s.bin --rpm 2400 --coolant 80 --afr 0.114 --by coolant"}, axxc},
      {{"modifier below 0", "set-afr s.bin --rpm 2400 --coolant 80 --afr 40 --by rpm"}, grid},
      {{"mask 32", "set-afr s.bin --rpm 0 --coolant 80 --afr 13 --by rpm"}, TestImage(32768, 0x32).Bytes()},
      // No change of the core's but its save, which stores the checksum it calculates.
      {{"checksum", "checksum --fix s.bin"}, axxc, [](clsBINFile&) {}},
      {{"saved, but the folder is not flushed", "checksum --fix s.bin", kFolderFlushFails}, axxc, [](clsBINFile&) {}},
      {{"stand-in refused, its message of several lines kept so", "wb add s.bin"}, axxc},
      {{"stand-in refused", "wb remove s.bin"}, e6},
      {{"broken installed table", "wb add s.bin", "XDG_DATA_HOME=" + dir.File("broken")}, e6}};
  // clang-format on
  for (const TestImage& image : {Axxc8D(), TestImage(32768, 0x8D).Aujp(), TestImage(32768, 0x6E)}) {
    changes.push_back({{"add", "wb add --allow-stand-in s.bin"}, image.Bytes(), add});
    const auto remove = [](clsBINFile& b) { b.RemoveWBHackFromBIN(); };
    changes.push_back({{"remove", "wb remove s.bin --allow-stand-in"}, CoreSaves(image.Bytes(), add), remove});
  }
  const fs::path out = dir.Path() / "o.bin";  // where -o o.bin sends the change, leaving s.bin and its backup be
  std::string said;
  for (const Change& c : changes) {
    const std::string path = TestImage(c.image).WriteTo(dir.Path() / "s.bin");
    fs::remove(path + ".org"), fs::remove(out);
    said += Transcript({c.step});
    SCOPED_TRACE(c.step.what);
    const bool elsewhere = c.step.words.ends_with(" -o o.bin");
    const Bytes saved = c.core ? CoreSaves(c.image, c.core) : c.image;
    EXPECT_THAT(ReadFile(path), ElementsAreArray(elsewhere ? c.image : saved));
    EXPECT_EQ(fs::exists(out) ? ReadFile(out) : Bytes{}, elsewhere ? saved : Bytes{});
    EXPECT_EQ(fs::exists(path + ".org") ? ReadFile(path + ".org") : Bytes{}, c.core && !elsewhere ? c.image : Bytes{});
  }
  ExpectKept("changes", said + Transcript({{"kept for the file written", "history o.bin"}}));
  EXPECT_THAT(ReadFile(a), ElementsAreArray(Axxc8D().Bytes()));
}

// A table derived from a stock image and the published patch, once installed, is what
// adding the patch writes; a pair that disagrees, or a file that is no table, is refused.
TEST_F(CliTest, DerivedTableInstalledInTheUserFolderPatchesAStockImageAsPublished) {
  const std::string stock = Put(StockImage(wbpatch::Version::Axxc8D), "stock.bin");
  TestImage published = TestPatched(wbpatch::Version::Axxc8D).CorrectChecksum();  // bytes unlike the stand-in's
  Put(published, "p.bin");
  const std::string derive = "wb derive --stock stock.bin --patched p.bin --version 8D-AXXC -o axxc.txt";
  ::umask(022);  // as most users have it: the folders made for the table are the user's alone all the same
  std::string said = Transcript({{"derive", derive}, {"install", "wb install axxc.txt"}});
  EXPECT_EQ(Modes(home.Path() / "xdg"), "Vantorix 700|Vantorix/wbpatch 700|Vantorix/wbpatch/8D-AXXC.txt 644|");
  said += Transcript({{"add", "wb add stock.bin"}});
  EXPECT_THAT(ReadFile(stock), ElementsAreArray(published.Bytes()));
  fs::remove(dir.Path() / "axxc.txt");
  Put(published.Byte(0x5000, 0x01), "p.bin");  // a byte the patch does not write
  ExpectKept("derived", said + Transcript({{"derive from a pair that disagrees", derive}}));
  EXPECT_FALSE(fs::exists(dir.Path() / "axxc.txt"));
  EXPECT_THAT(Transcript({{"install what is no table", "wb install stock.bin"}}),  // the table's bytes are in the text
              AllOf(HasSubstr("installed\n  as 8D/AXXC: Invalid file format"), ::testing::EndsWith("status 3\n")));
}

// A sample never replaces a file: a row of the change table.
TEST_F(CliTest, SampleWritesAnImageThatOpensCleanly) {
  // clang-format off
  ExpectKept("samples", Transcript({{"AXXC", "sample s1.bin --mask 8d"}, {"what it holds", "info s1.bin"},
                                    {"AUJP", "sample s2.bin --mask 8D --bcc aujp"}, {"what it holds", "info s2.bin"},
                                    {"ARAP or APYP", "sample s3.bin --mask=6e"}, {"what it holds", "info s3.bin"}}));
  // clang-format on
}

// Two pages in the middle overwritten, as a failing disk leaves them; the damaged bytes.
std::string Damage(const fs::path& db) {
  const auto middle = static_cast<std::streamoff>(fs::file_size(db) / 8192 * 4096);
  std::fstream(db, std::ios::in | std::ios::out).seekp(middle) << std::string(8192, 'x');
  return Text(db);
}

// A history damaged anywhere is moved aside, the user is told once, and a new one holds
// the change; a restore puts back only the file's own versions unless forced.
TEST_F(CliTest, HistoryKeepsEveryChangeAndRestoresExactlyAfterKeepingWhatItReplaces) {
  const fs::path db = home.Path() / "xdg" / "Vantorix" / "history.sqlite";
  std::string said = Transcript({{"a first change", "checksum --fix " + Put(TestImage(32768, 0x6E), "first.bin")}});
  const std::string damaged = Damage(db);          // pages the next event does not read
  const Result fix = Run("checksum --fix a.bin");  // with the history damaged
  ASSERT_EQ(fix.status, 0);
  const std::string told = " was damaged: it was moved aside as ", started = ", and a new one was started.\n";
  ASSERT_THAT(fix.err, ::testing::MatchesRegex(".*" + told + ".*Z" + started));  // one line, naming the copy
  const std::size_t copy = fix.err.find(told) + told.size();
  // EXPECT_EQ would print the whole database.
  EXPECT_TRUE(Text(fix.err.substr(copy, fix.err.size() - started.size() - copy)) == damaged);
  const Bytes fixed = ReadFile(a);
  said += Transcript({{"add", "wb add --allow-stand-in a.bin"}, {"the first version, and only it", "history a.bin"}});
  const Bytes patched = ReadFile(a);
  said += Transcript({{"show", "history show 1 -o v1.bin"}, {"show over an existing file", "history show 1 -o a.bin"}});
  EXPECT_THAT(ReadFile(dir.Path() / "v1.bin"), ElementsAreArray(Axxc8D().Bytes()));
  EXPECT_EQ(Run("history show @3").out, std::string(fixed.begin(), fixed.end()));
  said += Transcript({{"a version against a file", "diff @1 a.bin"}});
  auto held = RealFileSystem().OpenReadWrite(a);  // as the window program holds an open image
  said += Transcript({{"restore a locked file", "history restore a.bin 1"}});
  held.reset();
  said += Transcript({{"restore", "history restore a.bin @1"}});
  EXPECT_THAT(ReadFile(a), ElementsAreArray(Axxc8D().Bytes()));
  said += Transcript({{"a restore undone like any change", "history restore a.bin 5"}});
  EXPECT_THAT(ReadFile(a), ElementsAreArray(patched));
  // Scripts can turn recording off; a restore, whose undo lives in the history, then refuses.
  const std::string off = "VANTORIX_NO_HISTORY=1", afr = "set-afr a.bin --rpm 0 --coolant 80 --by rpm --afr ";
  said += Transcript({{"a change not recorded", afr + "13", off},
                      {"a restore not recorded", "history restore a.bin 1", off},
                      {"saved, but the folder is not flushed", afr + "12.5", kFolderFlushFails}});
  said += Transcript({{"every version, newest first", "history --json"}});

  // Only a version of this very file, mask and size goes back without --force.
  said += Transcript({{"another mask", "checksum --fix " + Put(TestImage(32768, 0x6E), "e.bin")},   // versions 11, 12
                      {"another size", "checksum --fix " + Put(TestImage(32640), "s.bin")},         // 13 and 14
                      {"another PROM ID", "checksum --fix " + Put(Axxc8D().PromId(7), "o.bin")}});  // 15 and 16
  // clang-format off
  const std::pair<Step, const char*> restores[] = {  // and the file whose bytes before the run a.bin holds after it
      {{"another path and mask", "history restore a.bin 12"}, "a.bin"}, {{"another path", "history restore a.bin 16"}, "a.bin"},
      {{"forced", "history restore a.bin 14 --force"}, "s.bin"}, {{"this path, another size", "history restore a.bin 4"}, "a.bin"},
      {{"forced", "history restore a.bin 12 --force"}, "e.bin"}, {{"this path, another mask", "history restore a.bin 4"}, "a.bin"}};
  // clang-format on
  for (const auto& [step, holds] : restores) {
    const Bytes expected = ReadFile(dir.Path() / holds);
    said += Transcript({step});
    EXPECT_THAT(ReadFile(a), ElementsAreArray(expected)) << step.what;
  }
  ExpectKept("history", said);
  Damage(db);  // the damage is told, and what the new history holds
  const Result listing = Run("history a.bin");
  EXPECT_EQ(std::to_string(listing.status) + " " + listing.out, "0 a.bin: no version recorded\n");
  EXPECT_THAT(listing.err, HasSubstr("was damaged: it was moved aside as "));
}

}  // namespace
}  // namespace vantorix::test
