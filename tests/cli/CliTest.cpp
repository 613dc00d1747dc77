// Runs the built vantorix-cli on generated images and compares what it wrote with what
// the window program's core writes for the same change.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <fstream>
#include <functional>
#include <ranges>
#include <sstream>

#include "RecordingShell.h"
#include "TempDir.h"
#include "TestImage.h"
#include "InChild.h"
#include "app/AppInfo.h"
#include "app/NumberText.h"
#include "bin/clsBINFile.h"
#include "wbpatch/PatchLayout.h"
#include "wbpatch/TableSource.h"

namespace vantorix::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;
using Bytes = std::vector<std::uint8_t>;

struct Result {
  int status;
  std::string out;
  std::string err;
};

std::string Text(const fs::path& path) {
  const Bytes bytes = ReadFile(path);
  return {bytes.begin(), bytes.end()};
}

// One run of the program with HOME and XDG_DATA_HOME inside `home`, never the real ones.
Result Cli(const fs::path& home, const std::vector<std::string>& arguments, fs::path out = {},
           const std::string& moreEnv = "LC_ALL=C") {
  std::vector<std::string> words{VANTORIX_CLI};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<std::string> env{"HOME=" + home.string(), "XDG_DATA_HOME=" + (home / "xdg").string(), "LC_ALL=C",
                               moreEnv};
  std::vector<char*> argv;
  std::vector<char*> envp;
  for (auto& word : words) argv.push_back(word.data());
  for (auto& entry : env) envp.push_back(entry.data());
  argv.push_back(nullptr);
  envp.push_back(nullptr);
  if (out.empty()) out = home / "stdout.txt";
  const fs::path err = home / "stderr.txt";
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
  posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
  pid_t child = 0;
  const int spawned = posix_spawn(&child, argv[0], &files, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&files);
  int status = -1;
  if (spawned != 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return {-1, "", "did not run"};
  return {WEXITSTATUS(status), fs::is_regular_file(out) ? Text(out) : "", Text(err)};
}

void Write(const fs::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// What the core writes when it opens the image, makes the change and saves.
Bytes CoreSaves(const Bytes& image, const std::function<void(clsBINFile&)>& change) {
  TempDir dir;
  const std::string path = dir.File("core.bin");
  Write(path, image);
  RecordingShell shell;
  shell.Answer(MsgBoxResult::Yes);  // to the stand-in question of the built-in tables
  wbpatch::BuiltInTables tables;
  clsBINFile bin(shell, RealFileSystem(), tables);
  EXPECT_TRUE(bin.OpenBIN(path));
  change(bin);
  bin.SaveBIN();
  EXPECT_TRUE(shell.ErrorReports().empty());
  return ReadFile(path);
}

TestImage Axxc8D() { return TestImage(32768, 0x8D).Axxc().PromId(0x1205).Manual(true).StoredChecksum(0x1234); }

class CliTest : public ::testing::Test {
 protected:
  Result Run(const std::vector<std::string>& arguments, const std::string& moreEnv = "LC_ALL=C") {
    return Cli(home.Path(), arguments, {}, moreEnv);
  }
  std::string Put(const Bytes& image, const std::string& name) {
    Write(dir.Path() / name, image);
    return dir.File(name);
  }
  std::string Put(const TestImage& image, const std::string& name) { return Put(image.Bytes(), name); }
  bool Exists(const std::string& path) { return fs::exists(path); }

  TempDir home;
  TempDir dir;
};

TEST_F(CliTest, HelpVersionAndUsageErrors) {
  EXPECT_EQ(Run({"--version"}).out, "vantorix-cli " + std::string(app::kVersionText) + "\n");
  for (const std::string command : {"", "info", "checksum", "afr", "set-afr", "wb", "diff", "sample"}) {
    const Result help = command.empty() ? Run({"--help"}) : Run({command, "--help"});
    EXPECT_EQ(help.status, 0) << command;
    EXPECT_THAT(help.out, HasSubstr("Usage: vantorix-cli " + command)) << command;
  }
  const std::string image = Put(Axxc8D(), "a.bin");
  const auto setAfr = [&](std::string rpm, std::string coolant, std::string afr, std::string by) {
    return std::vector<std::string>{"set-afr", image, "--rpm", rpm, "--coolant", coolant, "--afr", afr, "--by", by};
  };
  // clang-format off
  const std::vector<std::vector<std::string>> mistakes{
      {}, {"frob"}, {"info"}, {"info", "--bogus", image}, {"afr", image, image}, {"diff", image}, {"wb"},
      {"wb", "frob"}, {"wb", "derive", "--stock", image}, {"wb", "install", "t", "--version", "7f"},
      {"set-afr", image, "--rpm", "2400", "--coolant", "80", "--afr", "12.5"},
      setAfr("2500", "80", "12.5", "rpm"), setAfr("2400", "50", "12.5", "rpm"), setAfr("2400", "80", "0.5", "rpm"),
      setAfr("2400", "80", "rich", "rpm"), setAfr("2400", "80", "12.5", "row")};
  // clang-format on
  for (const auto& words : mistakes) {
    const Result result = Run(words);
    EXPECT_EQ(result.status, 2) << ::testing::PrintToString(words);
    EXPECT_THAT(result.err, HasSubstr("--help'")) << ::testing::PrintToString(words);
  }
  EXPECT_EQ(ReadFile(image), Axxc8D().Bytes());
  EXPECT_FALSE(Exists(image + ".org"));
  // Output lost to a full disk must not pass for a clean run.
  for (const auto& words : {std::vector<std::string>{"afr", "--csv", image}, {"--version"}}) {
    const Result full = Cli(home.Path(), words, "/dev/full");
    EXPECT_EQ(full.status, 3);
    EXPECT_THAT(full.err, HasSubstr("the output could not be written: No space left on device"));
  }
}

TEST_F(CliTest, InfoTellsIdentityChecksumAndPatchStateOfEveryImageItCanRead) {
  const TestImage axxc = Axxc8D();
  const Bytes patched6E = CoreSaves(TestImage(32768, 0x6E).Bytes(), [](clsBINFile& bin) { bin.AddWBHackToBIN(); });
  TestImage partial(32768, 0x8D);
  for (const auto& entry : wbpatch::BuiltInTables().Load(wbpatch::Version::Aujp8D).entries)
    partial.Byte(entry.offset, *entry.insertion);
  partial.Byte(0x0929, 0x30);
  const std::vector<std::string> paths{Put(axxc, "a.bin"), Put(patched6E, "e.bin"), dir.File("missing.bin"),
                                       Put(partial, "p.bin"), Put(TestImage(32768, 0x32), "t.bin")};
  const Result text = Run({"info", paths[0], paths[1], paths[2], paths[3], paths[4]});
  EXPECT_EQ(text.status, 3);
  EXPECT_THAT(text.err, HasSubstr(paths[2] + ": File Access Error: File does not exist."));
  const std::string computed = number::HexText(axxc.ExpectedChecksum(), 4);
  for (const std::string& line :
       {"  PROM ID: 4613\n  transmission: MANUAL\n  BCC: AXXC\n  stored checksum: 1234\n  computed checksum: " +
            computed + " (DOES NOT AGREE)\n",
        std::string("  BCC: ARAP or APYP\n"),
        std::string("(agrees)\n  wideband patch: present (6E: of the 8 entries that tell patched from unpatched, 8 "
                    "patched, 0 unpatched)\n  patch table: built-in stand-in\n"),
        std::string("partial (8D/AUJP: of the 39 entries that tell patched from unpatched, 38 patched, 1 unpatched)"),
        std::string("mask: $32"),
        std::string("transmission: -\n"), std::string("wideband patch: none for this image\n")})
    EXPECT_THAT(text.out, HasSubstr(line));
  const Result json = Run({"info", "--json", paths[0], paths[1]});
  EXPECT_EQ(json.status, 0);
  EXPECT_THAT(json.out,
              HasSubstr(", \"promId\": 4613, \"transmission\": \"MANUAL\", \"bcc\": \"AXXC\", "
                        "\"storedChecksum\": \"1234\", \"computedChecksum\": \"" +
                        computed + "\", \"checksumAgrees\": false, \"widebandPatch\": {\"version\": \"8D/AXXC\", "
                        "\"table\": \"built-in stand-in\", \"standIn\": true, \"state\": \"absent\""));
  EXPECT_THAT(json.out, HasSubstr("\"state\": \"present\", \"tellingEntries\": 8, \"patchedEntries\": 8, "
                                  "\"unpatchedEntries\": 0}"));
  EXPECT_EQ(json.out.front(), '[');
}

TEST_F(CliTest, ChecksumVerifiesAndFixWritesWhatASaveWritesAfterTheBackup) {
  const TestImage bad = Axxc8D();
  const TestImage good = TestImage(32768, 0x6E).CorrectChecksum();
  const std::string badPath = Put(bad, "bad.bin");
  const std::string goodPath = Put(good, "good.bin");
  const Result check = Run({"checksum", goodPath, badPath});
  EXPECT_EQ(check.status, 1);
  EXPECT_THAT(check.out, HasSubstr("good.bin: checksum " + number::HexText(good.ExpectedChecksum(), 4) + " agrees"));
  EXPECT_THAT(check.out, HasSubstr("bad.bin: checksum MISMATCH: stored 1234, computed " +
                                   number::HexText(bad.ExpectedChecksum(), 4)));
  EXPECT_EQ(Run({"checksum", badPath, dir.File("missing.bin")}).status, 3);

  const Result fix = Run({"checksum", "--fix", badPath, goodPath});
  EXPECT_EQ(fix.status, 0) << fix.err;
  EXPECT_EQ(ReadFile(badPath), CoreSaves(bad.Bytes(), [](clsBINFile&) {}));
  EXPECT_EQ(ReadFile(badPath + ".org"), bad.Bytes());
  EXPECT_EQ(ReadFile(goodPath), good.Bytes());
  EXPECT_FALSE(Exists(goodPath + ".org"));
  EXPECT_EQ(Run({"checksum", badPath}).status, 0);
}

TEST_F(CliTest, ReadingCommandsWriteNothingAndWorkOnReadOnlyFiles) {
  const std::string a = Put(Axxc8D(), "a.bin");
  const std::string b = Put(TestImage(32768, 0x8D).Aujp().StoredChecksum(0x1234), "b.bin");
  const std::vector<std::pair<std::vector<std::string>, int>> runs{
      {{"info", a, b}, 0},
      {{"info", "--json", a}, 0},
      {{"checksum", a, b}, 1},
      {{"afr", a}, 0},
      {{"afr", "--csv", b}, 0},
      {{"diff", a, b}, 1},
      {{"diff", a, a}, 0},
      {{"wb", "derive", "--stock", a, "--patched", b, "--version", "8d-axxc", "-o", dir.File("t.txt")}, 3}};
  struct stat before {};
  ::stat(a.c_str(), &before);
  for (const auto& [words, status] : runs) EXPECT_EQ(Run(words).status, status) << ::testing::PrintToString(words);
  struct stat after {};
  ::stat(a.c_str(), &after);
  EXPECT_TRUE(after.st_mtim.tv_sec == before.st_mtim.tv_sec && after.st_mtim.tv_nsec == before.st_mtim.tv_nsec);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 2);
  EXPECT_EQ(ReadFile(a), Axxc8D().Bytes());

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

TEST_F(CliTest, SetAfrSolvesAsTheChangeDialogAndRefusesWithoutWritingAnything) {
  // Coolant modifier 88 and a wanted 12.5 solve to an RPM modifier of 86.
  TestImage image = Axxc8D();
  image.CoolantModifiers({10, 20, 30, 40, 50, 88, 70, 80, 90}).RpmModifiers({});
  struct Case {
    std::string by, rpm, coolant, afr;
    int status;
    std::function<void(clsBINFile&)> change;  // what the grid and its OK store; none when nothing is written
    std::string message = "";
  };
  const std::vector<Case> cases{
      {"rpm", "2400", "80", "12.5", 0, [](clsBINFile& b) { b.PutPEModifier_RPM(7, 86); }},
      {"coolant", "6400", "-40", "14.7", 0,
       [](clsBINFile& b) { b.PutPEModifier_Coolant(1, b.CalculateCoolantModifier(0, 14.7)); }},
      {"rpm", "0", "-40", "27.32", 0, nullptr},                // the cell already targets that: nothing written
      {"coolant", "2400", "80", "3", 1, nullptr, "too RICH"},  // a modifier above 255
      {"rpm", "2400", "80", "40", 1, nullptr, "too LEAN"}};    // a modifier below 0
  for (const Case& c : cases) {
    const std::string path = Put(image, "s.bin");
    fs::remove(path + ".org");
    const Result result = Run({"set-afr", path, "--rpm", c.rpm, "--coolant", c.coolant, "--afr", c.afr, "--by", c.by});
    EXPECT_EQ(result.status, c.status) << c.afr << result.err;
    EXPECT_EQ(ReadFile(path), c.change ? CoreSaves(image.Bytes(), c.change) : image.Bytes()) << c.afr;
    EXPECT_EQ(Exists(path + ".org"), c.change != nullptr) << c.afr;
    EXPECT_THAT(result.err, HasSubstr(c.message));
  }
  const std::string mask32 = Put(TestImage(32768, 0x32), "t.bin");
  const Result refused = Run({"set-afr", mask32, "--rpm", "0", "--coolant", "80", "--afr", "13", "--by", "rpm"});
  EXPECT_EQ(refused.status, 3);
  EXPECT_THAT(refused.err, HasSubstr("only intended to be used with $8D and $6E"));
  EXPECT_FALSE(Exists(mask32 + ".org"));
}

TEST_F(CliTest, WidebandAddAndRemoveRefuseAStandInUnlessAllowedAndSaveWhatTheCoreSaves) {
  for (const TestImage& image : {Axxc8D(), TestImage(32768, 0x8D).Aujp(), TestImage(32768, 0x6E)}) {
    const std::string path = Put(image, "w.bin");
    fs::remove(path + ".org");
    for (const std::string action : {"add", "remove"}) {
      const Result refused = Run({"wb", action, path});
      EXPECT_EQ(refused.status, 2);
      EXPECT_THAT(refused.err, HasSubstr(" wideband patch table (built-in stand-in) is a stand-in, not the published "
                                         "patch.\n  " + std::string(action == "add" ? "Adding" : "Removing") +
                                         " the patch with it writes the values that the published patch fixes at "));
      EXPECT_THAT(refused.err, HasSubstr("give --allow-stand-in to write it anyway\nvantorix-cli: " + path +
                                         ": left unchanged\n"));
      EXPECT_EQ(ReadFile(path), image.Bytes());
      EXPECT_FALSE(Exists(path + ".org"));
    }
    const Bytes added = CoreSaves(image.Bytes(), [](clsBINFile& b) { b.AddWBHackToBIN(); });
    EXPECT_EQ(Run({"wb", "add", "--allow-stand-in", path}).status, 0);
    EXPECT_EQ(ReadFile(path), added);
    EXPECT_EQ(ReadFile(path + ".org"), image.Bytes());
    EXPECT_EQ(Run({"wb", "remove", path, "--allow-stand-in"}).status, 0);
    EXPECT_EQ(ReadFile(path), CoreSaves(added, [](clsBINFile& b) { b.RemoveWBHackFromBIN(); }));
  }
  fs::create_directories(home.Path() / "xdg/Vantorix/wbpatch");
  std::ofstream(home.Path() / "xdg/Vantorix/wbpatch/6E.txt") << "0000 00 00\n";
  const std::string path = Put(TestImage(32768, 0x6E), "b.bin");
  const Result broken = Run({"wb", "add", path});
  EXPECT_EQ(broken.status, 3);
  EXPECT_THAT(broken.err, HasSubstr("Invalid file format"));
  EXPECT_THAT(broken.err, HasSubstr("Error: WB Hac WAS NOT added to BIN."));
  EXPECT_EQ(ReadFile(path), TestImage(32768, 0x6E).Bytes());
  EXPECT_FALSE(Exists(path + ".org"));
}

TEST_F(CliTest, DerivedTableInstalledInTheUserFolderPatchesAStockImageAsPublished) {
  const auto table = wbpatch::BuiltInTables().Load(wbpatch::Version::Axxc8D).entries;
  TestImage stock = Axxc8D();
  for (std::size_t offset = 0x2000; offset <= 0x208B; ++offset) stock.Byte(offset, 0x00);
  for (const auto& entry : table) stock.Byte(entry.offset, *entry.removal);
  TestImage published = stock;
  for (const auto& entry : table) published.Byte(entry.offset, *entry.insertion);
  for (const auto& slot : wbpatch::LayoutOf(wbpatch::Version::Axxc8D).slots)  // bytes unlike the stand-in's
    if (slot.insertion.kind == wbpatch::ByteRule::Kind::Any) published.Byte(slot.offset, 0x5A);
  published.CorrectChecksum();
  const std::string stockPath = Put(stock, "stock.bin");
  const std::string tablePath = dir.File("axxc.txt");
  const std::vector<std::string> derive{
      "wb",        "derive",  "--stock", stockPath, "--patched", Put(published, "p.bin"),
      "--version", "8D-AXXC", "-o",      tablePath};
  EXPECT_EQ(Run(derive).status, 0);
  const Result installed = Run({"wb", "install", tablePath});
  EXPECT_EQ(installed.status, 0) << installed.err;
  EXPECT_EQ(Text(home.Path() / "xdg/Vantorix/wbpatch/8D-AXXC.txt"), Text(tablePath));
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
  for (const auto& [words, bcc] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"--mask", "8d"}, "AXXC"}, {{"--mask", "8D", "--bcc", "aujp"}, "AUJP"}, {{"--mask=6e"}, "ARAP or APYP"}}) {
    const std::string path = dir.File(bcc + ".bin");
    std::vector<std::string> sample{"sample", path};
    sample.insert(sample.end(), words.begin(), words.end());
    EXPECT_EQ(Run(sample).status, 0) << bcc;
    const Result info = Run({"info", "--json", path});
    EXPECT_THAT(info.out, HasSubstr("\"promId\": 9999, \"transmission\": \"AUTO\", \"bcc\": \"" + bcc + "\""));
    EXPECT_THAT(info.out, HasSubstr("\"checksumAgrees\": true"));
    EXPECT_EQ(Run({"afr", path}).status, 0);
    const Bytes written = ReadFile(path);
    EXPECT_EQ(Run(sample).status, 3) << bcc;  // the name is taken now
    EXPECT_EQ(ReadFile(path), written);
  }
  EXPECT_EQ(Run({"sample", dir.File("x.bin"), "--mask", "32"}).status, 2);
  EXPECT_EQ(Run({"sample", dir.File("x.bin"), "--mask", "6e", "--bcc", "axxc"}).status, 2);
}

TEST_F(CliTest, DiffGroupsDifferencesIntoRunsNamedByArea) {
  const TestImage a = Axxc8D();
  TestImage b = a;
  b.PromId(0x0001).StoredChecksum(0x9999).CoolantModifiers({1, 2, 3, 4, 5, 6, 7, 8, 9}).Byte(0x0617, 0xEE);
  b.Byte(0x2004, 0x00).Byte(0x2005, 0x00).Byte(0x4C9C, 0x00).Byte(0x5000, 0x00).Byte(0x7168, 0x00);
  const Result result = Run({"diff", Put(a, "a.bin"), Put(b, "b.bin")});
  EXPECT_EQ(result.status, 1);
  for (const std::string line :
       {"0x0000-0x0001      2 bytes  identity: PROM ID: 12 05 -> 00 01\n",
        "0x0006-0x0007      2 bytes  checksum: 12 34 -> 99 99\n", "0x060E-0x0616      9 bytes  PE coolant modifiers",
        "0x0617             1 byte   PE RPM modifiers", "0x2004-0x2005      2 bytes  wideband patch: routine",
        "0x4C9C             1 byte   wideband patch: hook", "0x5000             1 byte   other",
        "0x7168             1 byte   identity: broadcast code", "19 bytes differ, in 8 runs\n"})
    EXPECT_THAT(result.out, HasSubstr(line));
  EXPECT_THAT(Run({"diff", dir.File("a.bin"), dir.File("a.bin")}).out, HasSubstr("the images are identical"));
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
  return std::to_string(std::ranges::count_if(std::views::iota(0U, a.size()), [&](std::size_t k) { return a[k] != b[k]; }));
}

TEST_F(CliTest, HistoryKeepsEveryChangeAndRestoresExactlyAfterKeepingWhatItReplaces) {
  const Bytes stock = Axxc8D().Bytes();
  const std::string path = Put(stock, "h.bin");
  ASSERT_EQ(Run({"checksum", "--fix", path}).status, 0);
  const Bytes fixed = ReadFile(path);
  ASSERT_EQ(Run({"wb", "add", "--allow-stand-in", path}).status, 0);
  const Bytes patched = ReadFile(path);
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
  EXPECT_EQ(Run({"set-afr", path, "--rpm", "0", "--coolant", "80", "--afr", "13", "--by", "rpm"}, off).status, 0);
  EXPECT_EQ(Run({"history", "restore", path, "1"}, off).status, 3);
  EXPECT_THAT(Listed(Run({"history", path, "--json"})), ::testing::StartsWith("8 restored"));
  EXPECT_EQ(Run({"history", "prune", "--keep-days", "-1"}).status, 2);
}

TEST_F(CliTest, AHistoryThatCannotBeWrittenNeverStopsAChangeAndSaysSoOnce) {
  const TestImage image = TestImage(Axxc8D()).CoolantModifiers({10, 20, 30, 40, 50, 88, 70, 80, 90});
  const Bytes changed = CoreSaves(image.Bytes(), [](clsBINFile& b) { b.PutPEModifier_RPM(7, 86); });
  for (const bool damaged : {true, false}) {
    SCOPED_TRACE(damaged ? "damaged" : "read-only");
    const TempDir user;
    const fs::path data = user.Path() / "xdg" / "Vantorix";
    fs::create_directories(data);
    if (damaged) std::ofstream(data / "history.sqlite") << std::string(4096, 'x');
    else fs::permissions(data, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read | fs::perms::others_exec);
    fs::remove(dir.File("f.bin.org"));  // root's copy from the row before would be kept from the ordinary user
    for (const std::string& open : {user.Path().string(), dir.Path().string(), Put(image, "f.bin")}) OpenToEveryone(open);
    const std::string told = damaged ? "was damaged: it was moved aside as " : "The version history was not kept: ";
    const auto check = [&] {  // as an ordinary user for the read-only one: root could write it
      const Result r = Cli(user.Path(), {"set-afr", dir.File("f.bin"), "--rpm", "2400", "--coolant", "80", "--afr", "12.5",
                                         "--by", "rpm"});
      const bool toldOnce = std::ranges::count(r.err, '\n') == 1 && r.err.find(told) != std::string::npos;
      if (!toldOnce) std::fprintf(stderr, "told: %s\n", r.err.c_str());
      return r.status == 0 && toldOnce;
    };
    EXPECT_TRUE(damaged ? check() : RunAsOrdinaryUser(check));
    EXPECT_EQ(ReadFile(dir.File("f.bin")), changed);
    EXPECT_EQ(ReadFile(dir.File("f.bin.org")), image.Bytes());
    if (!damaged) continue;
    // The damaged file is kept beside the new database, which holds the change.
    const auto aside = std::ranges::find_if(fs::directory_iterator(data), fs::directory_iterator(),
                                            [](const auto& e) { return e.path().string().ends_with("Z"); });
    EXPECT_EQ(aside == fs::directory_iterator() ? "" : Text(aside->path()), std::string(4096, 'x'));
    EXPECT_EQ(Listed(Cli(user.Path(), {"history", "--json"})),
              "2 changed by the CLI " + Differing(image.Bytes(), changed) + "|1 backed up null|");
  }
}

}  // namespace
}  // namespace vantorix::test
