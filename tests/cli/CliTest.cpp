// Runs the built vantorix-cli on generated images and compares what it wrote with what
// the window program's core writes for the same change.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <fstream>
#include <functional>
#include <ranges>
#include <sstream>

#include "../wbpatch/PatchFacts.h"
#include "InChild.h"
#include "RecordingShell.h"
#include "TempDir.h"
#include "TestImage.h"
#include "bin/clsBINFile.h"
#include "foundation/AppInfo.h"
#include "foundation/NumberText.h"
#include "wbpatch/TableSource.h"
#include "wbpatch/WideBandPatch.h"

namespace vantorix::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using Bytes = std::vector<std::uint8_t>;

struct Result {
  int status;
  std::string out;
  std::string err;
};

std::string Text(const fs::path& path) {
  const Bytes bytes = fs::is_regular_file(path) ? ReadFile(path) : Bytes{};
  return {bytes.begin(), bytes.end()};
}

// One run of the program with nothing of the caller's environment: HOME and XDG_DATA_HOME
// inside `home`, never the real ones.
Result Cli(const fs::path& home, const std::vector<std::string>& arguments, std::string out = {},
           const std::string& env = "") {
  std::string command = "env -i HOME='" + home.string() + "' XDG_DATA_HOME='" + (home / "xdg").string() +
                        "' LC_ALL=C " + env + " " VANTORIX_CLI;
  for (const std::string& word : arguments) command += " '" + word + "'";
  if (out.empty()) out = (home / "stdout.txt").string();
  const int status = std::system((command + " >" + out + " 2>'" + (home / "stderr.txt").string() + "'").c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Text(out), Text(home / "stderr.txt")};
}

// What the core writes when it opens the image, makes the change and saves.
Bytes CoreSaves(const Bytes& image, const std::function<void(clsBINFile&)>& change) {
  TempDir dir;
  const std::string path = dir.File("core.bin");
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
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

// set-afr on one cell of the grid.
std::vector<std::string> SetAfr(const std::string& path, std::string by, std::string rpm, std::string coolant,
                                std::string afr) {
  return {"set-afr", path, "--rpm", rpm, "--coolant", coolant, "--afr", afr, "--by", by};
}

// Folders cannot be flushed: what a device error after a replacement's rename looks like.
const std::string kFolderFlushFails =
    "LD_PRELOAD=" FAILING_FOLDER_FLUSH " ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0";

TestImage Axxc8D() { return TestImage(32768, 0x8D).Axxc().PromId(0x1205).Manual(true).StoredChecksum(0x1234); }

class CliTest : public ::testing::Test {
 protected:
  Result Run(const std::vector<std::string>& arguments, const std::string& env = "") {
    return Cli(home.Path(), arguments, {}, env);
  }
  std::string Put(const Bytes& image, const std::string& name) {
    std::ofstream(dir.Path() / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    return dir.File(name);
  }
  std::string Put(const TestImage& image, const std::string& name) { return Put(image.Bytes(), name); }
  static bool Exists(const std::string& path) { return fs::exists(path); }

  TempDir home;
  TempDir dir;
};

// Each reading command tells what the core decodes, exits 0, 1 for a difference or a
// mismatch, 2 for a usage mistake, 3 for a file it cannot read or output it cannot write,
// and never writes: not even on read-only files.
TEST_F(CliTest, UsageMistakesAndReadingCommandsWriteNothingAndWorkOnReadOnlyFiles) {
  const TestImage axxc = Axxc8D();
  TestImage other = axxc;
  other.PromId(0x0001).StoredChecksum(0x9999).CoolantModifiers({1, 2, 3, 4, 5, 6, 7, 8, 9}).Byte(0x0617, 0xEE);
  other.Byte(0x2004, 0x00).Byte(0x2005, 0x00).Byte(0x4C9C, 0x00).Byte(0x5000, 0x00).Byte(0x7168, 0x00);
  const TestImage good = TestImage(32768, 0x6E).CorrectChecksum();
  const std::string a = Put(axxc, "a.bin"), b = Put(other, "b.bin"), e = Put(good, "e.bin");
  const std::string t = Put(TestImage(32768, 0x32), "t.bin"), missing = dir.File("missing.bin"), x = dir.File("x.bin");
  const std::string computed = number::HexText(axxc.ExpectedChecksum(), 4);
  std::vector<std::tuple<std::vector<std::string>, int, std::vector<std::string>>> runs{
      {{"--version"}, 0, {"vantorix-cli " + std::string(app::kVersionText) + "\n"}},
      {{"info", a, missing, t},
       3,
       {"  PROM ID: 4613\n  transmission: MANUAL\n  BCC: AXXC\n  stored checksum: 1234\n  computed checksum: " +
            computed + " (DOES NOT AGREE)\n  wideband patch: ",
        "  patch table: built-in stand-in\n", missing + ": File Access Error: File does not exist.", "mask: $32",
        "transmission: -\n", "wideband patch: none for this image\n"}},
      {{"info", "--json", a, e},
       0,
       {"[\n  {\"path\": ",
        ", \"promId\": 4613, \"transmission\": \"MANUAL\", \"bcc\": \"AXXC\", \"storedChecksum\": \"1234\", "
        "\"computedChecksum\": \"" +
            computed +
            "\", \"checksumAgrees\": false, \"widebandPatch\": {\"version\": \"8D/AXXC\", "
            "\"table\": \"built-in stand-in\", \"standIn\": true, \"state\": \"",
        "},\n  {", "\"tellingEntries\": 8, ", "}}\n]\n"}},
      {{"checksum", e, a},
       1,
       {"e.bin: checksum " + number::HexText(good.ExpectedChecksum(), 4) + " agrees",
        "a.bin: checksum MISMATCH: stored 1234, computed " + computed}},
      {{"checksum", a, missing}, 3, {}},
      {{"afr", a}, 0, {}},
      {{"afr", "--csv", b}, 0, {}},
      {{"diff", a, b},
       1,
       {"0x0000-0x0001      2 bytes  identity: PROM ID: 12 05 -> 00 01\n",
        "0x0006-0x0007      2 bytes  checksum: 12 34 -> 99 99\n", "0x060E-0x0616      9 bytes  PE coolant modifiers",
        "0x0617             1 byte   PE RPM modifiers", "0x2004-0x2005      2 bytes  wideband patch: routine",
        "0x4C9C             1 byte   wideband patch: hook", "0x5000             1 byte   other",
        "0x7168             1 byte   identity: broadcast code", "19 bytes differ, in 8 runs\n"}},
      {{"diff", a, a}, 0, {"the images are identical"}},
      {{"wb", "derive", "--stock", a, "--patched", b, "--version", "8d-axxc", "-o", dir.File("t.txt")}, 3, {}}};
  // Each command's --help text is compared whole with docs/cli.md by cli_reference_matches_the_help.
  // clang-format off
  for (const std::vector<std::string>& mistake : std::vector<std::vector<std::string>>{
      {}, {"frob"}, {"info"}, {"info", "--bogus", a}, {"afr", a, a}, {"diff", a}, {"wb"},
      {"wb", "frob"}, {"wb", "derive", "--stock", a}, {"wb", "install", "t", "--version", "7f"},
      {"set-afr", a, "--rpm", "2400", "--coolant", "80", "--afr", "12.5"},
      SetAfr(a, "rpm", "2500", "80", "12.5"), SetAfr(a, "rpm", "2400", "50", "12.5"), SetAfr(a, "rpm", "2400", "80", "0.114"),
      SetAfr(a, "rpm", "2400", "80", "rich"), SetAfr(a, "row", "2400", "80", "12.5"), {"history", "prune", "--keep-days", "-1"},
      {"set-afr", a, "--rpm", "4800", "--coolant", "80", "--afr", "12.5", "--by", "rpm", "--rpm=400"},
      {"sample", x, "--mask", "32"}, {"sample", x, "--mask", "6e", "--bcc", "axxc"}})
    runs.push_back({mistake, 2, {"--help'"}});
  // clang-format on
  for (const auto& [words, status, said] : runs) {
    SCOPED_TRACE(::testing::PrintToString(words));
    const Result result = Run(words);
    EXPECT_EQ(result.status, status);
    for (const std::string& piece : said) EXPECT_THAT(result.out + result.err, HasSubstr(piece));
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 4);
  EXPECT_EQ(ReadFile(a), axxc.Bytes());
  // Output lost to a full disk must not pass for a clean run.
  for (const auto& words : {std::vector<std::string>{"afr", "--csv", a}, {"--version"}}) {
    const Result full = Cli(home.Path(), words, "/dev/full");
    EXPECT_EQ(full.status, 3);
    EXPECT_THAT(full.err, HasSubstr("the output could not be written: No space left on device"));
  }

  // Read-only files in a read-only folder, as a user that cannot override permissions.
  TempDir output;
  OpenToEveryone(output.Path());
  fs::permissions(a, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  fs::permissions(dir.Path(),
                  fs::perms::all & ~fs::perms::owner_write & ~fs::perms::group_write & ~fs::perms::others_write);
  EXPECT_TRUE(RunAsOrdinaryUser([&] {
    return Cli(output.Path(), {"info", a}).status == 0 && Cli(output.Path(), {"afr", a}).status == 0 &&
           Cli(output.Path(), {"checksum", "--fix", a}).err.find("Permission denied") != std::string::npos;
  }));
}

struct Change {
  const char* what;
  Bytes image;
  std::vector<std::string> words;  // "P" stands for the image's path
  int status;
  std::function<void(clsBINFile&)> change;  // what the window program's core does; none when nothing is written
  std::string said = "";
  std::string env = "";  // for the run
};

// A change writes exactly what the core saves, after the backup; a refusal, or a change
// that changes nothing, writes nothing and makes no backup.
TEST_F(CliTest, SetAfrAndEveryOtherChangeWritesWhatTheCoreSavesOrNothing) {
  // Coolant modifier 88 and a wanted 12.5 solve to an RPM modifier of 86.
  const TestImage grid = TestImage(Axxc8D()).CoolantModifiers({10, 20, 30, 40, 50, 88, 70, 80, 90}).RpmModifiers({});
  const auto add = [](clsBINFile& b) { b.AddWBHackToBIN(); };
  fs::create_directories(dir.Path() / "broken/Vantorix/wbpatch");
  std::ofstream(dir.Path() / "broken/Vantorix/wbpatch/6E.txt") << "0000 00 00\n";
  std::vector<Change> changes{
      {"by RPM, telling what it does",
       grid.Bytes(),
       {"--verbose", "set-afr", "P", "--rpm", "2400", "--coolant", "80", "--afr", "12.5", "--by", "rpm"},
       0,
       [](clsBINFile& b) { b.PutPEModifier_RPM(7, 86); },
       ", Recalculating AFRs based on 2400RPMs...\n"},
      {"by coolant", grid.Bytes(), SetAfr("P", "coolant", "6400", "-40", "14.7"), 0,
       [](clsBINFile& b) { b.PutPEModifier_Coolant(1, b.CalculateCoolantModifier(0, 14.7)); }},
      {"the cell already targets that", grid.Bytes(), SetAfr("P", "rpm", "0", "-40", "27.32"), 0, nullptr},
      // Beside an RPM modifier of 216 it solves to 32728; beside a coolant modifier of 146 (by rpm) to none at all.
      {"a modifier above 255", Axxc8D().Bytes(), SetAfr("P", "coolant", "2400", "80", "0.114"), 1, nullptr, "too RICH"},
      {"a modifier below 0", grid.Bytes(), SetAfr("P", "rpm", "2400", "80", "40"), 1, nullptr, "too LEAN"},
      {"mask 32", TestImage(32768, 0x32).Bytes(), SetAfr("P", "rpm", "0", "80", "13"), 3, nullptr,
       "only intended to be used with $8D and $6E"},
      {"checksum", Axxc8D().Bytes(), {"checksum", "--fix", "P"}, 0, [](clsBINFile&) {}},
      {"saved, but the folder is not flushed",
       Axxc8D().Bytes(),
       {"checksum", "--fix", "P"},
       3,
       [](clsBINFile&) {},
       "P: Flushing the folder ",
       kFolderFlushFails},
      {"stand-in refused",
       Axxc8D().Bytes(),
       {"wb", "add", "P"},
       2,
       nullptr,  // a message of several lines stays so
       "(built-in stand-in) is a stand-in, not the published patch.\n  Adding the patch with it writes the values"},
      {"stand-in refused",
       Axxc8D().Bytes(),
       {"wb", "add", "P"},
       2,
       nullptr,
       " other bytes. The image gets NO wideband function: do not burn it expecting one.\n"},
      {"stand-in refused",
       TestImage(32768, 0x6E).Bytes(),
       {"wb", "remove", "P"},
       2,
       nullptr,
       "give --allow-stand-in to write it anyway\nvantorix-cli: P: left unchanged\n"},
      {"broken installed table",
       TestImage(32768, 0x6E).Bytes(),
       {"wb", "add", "P"},
       3,
       nullptr,
       "Invalid file format",
       "XDG_DATA_HOME=" + dir.File("broken")}};
  for (const TestImage& image : {Axxc8D(), TestImage(32768, 0x8D).Aujp(), TestImage(32768, 0x6E)}) {
    changes.push_back({"add", image.Bytes(), {"wb", "add", "--allow-stand-in", "P"}, 0, add});
    changes.push_back(
        {"remove", CoreSaves(image.Bytes(), add), {"wb", "remove", "P", "--allow-stand-in"}, 0, [](clsBINFile& b) {
           b.RemoveWBHackFromBIN();
         }});
  }
  for (const Change& c : changes) {
    SCOPED_TRACE(c.what + (" " + ::testing::PrintToString(c.words)));
    const std::string path = Put(c.image, "s.bin");
    fs::remove(path + ".org");
    std::vector<std::string> words = c.words;
    std::ranges::replace(words, std::string("P"), path);
    const Result result = Run(words, c.env);
    EXPECT_EQ(result.status, c.status) << result.err;
    EXPECT_EQ(ReadFile(path), c.change ? CoreSaves(c.image, c.change) : c.image);
    EXPECT_EQ(Exists(path + ".org") ? ReadFile(path + ".org") : Bytes{}, c.change ? c.image : Bytes{});
    std::string said = c.said;
    if (const auto at = said.find("P:"); at != std::string::npos) said.replace(at, 1, path);
    EXPECT_THAT(result.err, HasSubstr(said));
  }
}

// A table derived from a stock image and the published patch, once installed, is what
// adding the patch writes; a pair that disagrees, or a file that is no table, is refused.
TEST_F(CliTest, DerivedTableInstalledInTheUserFolderPatchesAStockImageAsPublished) {
  const TestImage stock = StockImage(wbpatch::Version::Axxc8D);
  TestImage published = TestPatched(wbpatch::Version::Axxc8D).CorrectChecksum();  // bytes unlike the stand-in's
  const std::string stockPath = Put(stock, "stock.bin"), tablePath = dir.File("axxc.txt");
  const std::vector<std::string> derive{
      "wb",        "derive",  "--stock", stockPath, "--patched", Put(published, "p.bin"),
      "--version", "8D-AXXC", "-o",      tablePath};
  EXPECT_EQ(Run(derive).status, 0);
  ::umask(022);  // as most users have it: the folders made for the table are the user's alone all the same
  EXPECT_EQ(Run({"wb", "install", tablePath}).status, 0);
  EXPECT_EQ(Modes(home.Path() / "xdg"), "Vantorix 700|Vantorix/wbpatch 700|Vantorix/wbpatch/8D-AXXC.txt 644|");
  EXPECT_EQ(Run({"wb", "add", stockPath}).status, 0);
  EXPECT_EQ(ReadFile(stockPath), published.Bytes());
  fs::remove(tablePath);
  Put(published.Byte(0x5000, 0x01), "p.bin");  // a byte the patch does not write
  EXPECT_EQ(Run(derive).status, 3);
  EXPECT_FALSE(Exists(tablePath));
  const Result notATable = Run({"wb", "install", stockPath});
  EXPECT_EQ(notATable.status, 3);
  EXPECT_THAT(notATable.err, HasSubstr("not a wideband patch table of any version"));
}

TEST_F(CliTest, SampleWritesAnImageThatOpensCleanlyButNeverOverAFile) {
  for (auto [sample, bcc] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"sample", "", "--mask", "8d"}, "AXXC"},
           {{"sample", "", "--mask", "8D", "--bcc", "aujp"}, "AUJP"},
           {{"sample", "", "--mask=6e"}, "ARAP or APYP"}}) {
    const std::string path = sample[1] = dir.File(bcc + ".bin");
    EXPECT_EQ(Run(sample).status, 0) << bcc;
    EXPECT_THAT(
        Run({"info", "--json", path}).out,
        HasSubstr("\"promId\": 9999, \"transmission\": \"AUTO\", \"bcc\": \"" + bcc + "\", \"storedChecksum\": \""));
    EXPECT_THAT(Run({"checksum", path}).out, HasSubstr(" agrees"));
    const Bytes written = ReadFile(path);
    EXPECT_EQ(Run(sample).status, 3) << bcc;  // the name is taken now
    EXPECT_EQ(ReadFile(path), written);
  }
}

// The versions `history --json` lists, newest first: "number event differing|...".
std::string Listed(const Result& json) {
  const auto value = [](const std::string& line, const std::string& name) {  // unquoted
    const auto at = line.find("\"" + name + "\": ") + name.size() + 4;
    std::string text = line.substr(at, line.find_first_of(",}", at) - at);
    return text.front() == '"' ? text.substr(1, text.size() - 2) : text;
  };
  std::string listed;
  std::istringstream lines(json.out);
  for (std::string line; std::getline(lines, line);)
    if (line.find("\"version\"") != std::string::npos)
      listed += value(line, "version") + " " + value(line, "event") + " " + value(line, "differingBytes") + "|";
  return listed;
}

std::string Differing(const Bytes& a, const Bytes& b) {
  return std::to_string(
      std::ranges::count_if(std::views::iota(0U, a.size()), [&](std::size_t k) { return a[k] != b[k]; }));
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
  const Bytes stock = Axxc8D().Bytes();
  const std::string path = Put(stock, "h.bin");
  const fs::path data = home.Path() / "xdg" / "Vantorix";
  ASSERT_EQ(Run({"checksum", "--fix", Put(TestImage(32768, 0x6E), "first.bin")}).status, 0);
  const std::string damaged = Damage(data / "history.sqlite");  // pages the next event does not read
  const Result fix = Run({"checksum", "--fix", path});
  ASSERT_EQ(fix.status, 0);
  EXPECT_EQ(std::ranges::count(fix.err, '\n'), 1);
  EXPECT_THAT(fix.err, HasSubstr("was damaged: it was moved aside as "));
  const auto aside = std::ranges::find_if(fs::directory_iterator(data), fs::directory_iterator(),
                                          [](const auto& e) { return e.path().string().ends_with("Z"); });
  EXPECT_TRUE(aside != fs::directory_iterator() && Text(aside->path()) == damaged);  // EXPECT_EQ would print it all
  const Bytes fixed = ReadFile(path);
  ASSERT_EQ(Run({"wb", "add", "--allow-stand-in", path}).status, 0);
  const Bytes patched = ReadFile(path);
  EXPECT_TRUE(Run({"history", path}).out.ends_with(" first seen\n"));  // the first version, and only it
  EXPECT_EQ(Listed(Run({"history", path, "--json"})), "4 changed by the CLI " + Differing(fixed, patched) +
                                                          "|3 backed up 0|2 changed by the CLI " +
                                                          Differing(stock, fixed) + "|1 backed up null|");
  EXPECT_EQ(Run({"history", "show", "1", "-o", dir.File("v1.bin")}).status, 0);
  EXPECT_EQ(ReadFile(dir.File("v1.bin")), stock);
  EXPECT_EQ(Run({"history", "show", "1", "-o", path}).status, 3);  // never over an existing file
  EXPECT_EQ(Run({"history", "show", "@3"}).out, std::string(fixed.begin(), fixed.end()));
  EXPECT_THAT(Run({"diff", "@1", path}).out, HasSubstr("0x0006-0x0007      2 bytes  checksum: 12 34 -> "));
  {
    const auto held = RealFileSystem().OpenReadWrite(path);  // as the window program holds an open image
    EXPECT_THAT(Run({"history", "restore", path, "1"}).err, HasSubstr("is locked by another program"));
  }
  EXPECT_EQ(Run({"history", "restore", path, "@1"}).status, 0);
  EXPECT_EQ(ReadFile(path), stock);
  EXPECT_THAT(Listed(Run({"history", "--json"})),
              ::testing::StartsWith("6 restored " + Differing(patched, stock) + "|5 backed up 0|"));
  EXPECT_EQ(Run({"history", "restore", path, "5"}).status, 0);  // a restore is undone like any change
  EXPECT_EQ(ReadFile(path), patched);
  // Scripts can turn recording off; a restore, whose undo lives in the history, then refuses.
  const std::string off = "VANTORIX_NO_HISTORY=1";
  EXPECT_EQ(Run(SetAfr(path, "rpm", "0", "80", "13"), off).status, 0);
  EXPECT_EQ(Run({"history", "restore", path, "1"}, off).status, 3);
  EXPECT_THAT(Listed(Run({"history", path, "--json"})), ::testing::StartsWith("8 restored"));
  EXPECT_EQ(Run(SetAfr(path, "rpm", "0", "80", "12.5"), kFolderFlushFails).status, 3);  // saved all the same
  EXPECT_THAT(Listed(Run({"history", path, "--json"})), ::testing::StartsWith("10 changed by the CLI"));

  // Only a version of this very file, mask and size goes back without --force.
  const std::string other = Put(TestImage(32768, 0x6E), "e.bin"), small = Put(TestImage(32640), "s.bin");
  for (const std::string& file : {other, small, Put(Axxc8D().PromId(7), "o.bin")})  // versions 11 to 16
    ASSERT_EQ(Run({"checksum", "--fix", file}).status, 0);
  for (const auto& [what, version, forced] :
       std::vector<std::tuple<std::string, std::string, Bytes>>{{"another path and mask", "12", {}},
                                                                {"another path", "16", {}},
                                                                {"forced", "14", ReadFile(small)},
                                                                {"this path, another size", "4", {}},
                                                                {"forced", "12", ReadFile(other)},
                                                                {"this path, another mask", "4", {}}}) {
    SCOPED_TRACE(what);
    const Bytes before = ReadFile(path);  // what a refusal leaves; --force writes the version
    EXPECT_EQ(Run({"history", "restore", path, version, forced.empty() ? "--" : "--force"}).status,
              forced.empty() ? 2 : 0);
    EXPECT_EQ(ReadFile(path), forced.empty() ? before : forced);
  }
  EXPECT_THAT(
      Run({"history", "restore", path, "16"}).err,
      HasSubstr("recorded for " + fs::canonical(dir.File("o.bin")).string() + ", mask $8D, PROM ID 7, 32768 bytes"));
  Damage(data / "history.sqlite");
  const Result listed = Run({"history", path});  // the damage is told, and what the new history holds
  EXPECT_THAT(listed.err, HasSubstr("was damaged: it was moved aside as "));
  EXPECT_EQ(std::to_string(listed.status) + " " + listed.out, "0 " + path + ": no version recorded\n");
}

}  // namespace
}  // namespace vantorix::test
