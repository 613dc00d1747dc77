#pragma once

#include <gmock/gmock.h>

#include <memory>
#include <optional>
#include <ostream>

#include "RecordingShell.h"
#include "TempDir.h"
#include "TestImage.h"
#include "bin/clsBINFile.h"
#include "wbpatch/TableSource.h"
#include "wbpatch/WideBandPatch.h"

namespace vantorix::test {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using ::testing::ElementsAre, ::testing::ElementsAreArray;

// Every member a caller sees of an image object; the defaults are those of an object
// without an image.
struct Members {
  bool opened = false;
  std::string mask = "N/A", promId = "N/A", checksum = "N/A", transmission = "N/A", bcc = "N/A";
  std::int32_t size = 0;
  bool changed = false;

  static Members Of(clsBINFile& image) {
    return {image.FileOpened(),   image.Mask(),  image.PROMID(),   image.Checksum(),
            image.Transmission(), image.WBBCC(), image.FileSize(), image.Changed()};
  }
  bool operator==(const Members&) const = default;
  friend std::ostream& operator<<(std::ostream& out, const Members& m) {  // "{1 8D 4613 0A5F 'AUTO' AXXC 32768 0}"
    return out << '{' << m.opened << ' ' << m.mask << ' ' << m.promId << ' ' << m.checksum << " '" << m.transmission
               << "' " << m.bcc << ' ' << m.size << ' ' << m.changed << '}';
  }
};

// A temporary folder, a recording shell and an image object that uses them.
class ImageFixture : public ::testing::Test {
 protected:
  std::string Write(const TestImage& image, const std::string& name = "cal.bin") const {
    return image.WriteTo(dir.Path() / name).string();
  }

  // Writes the image and opens it without a backup; the shell is cleared afterwards so
  // that a test sees only what its own steps produce.
  clsBINFile& Opened(const TestImage& image, const std::string& name = "cal.bin") {
    path = Write(image, name);
    bin = std::make_unique<clsBINFile>(shell, files(), patch());
    EXPECT_TRUE(bin->OpenBIN(path));
    shell.Clear();
    return *bin;
  }

  static Bytes BytesOf(const clsBINFile& image) { return {image.Bytes().begin(), image.Bytes().end()}; }
  // A trace with the progress bar over a 32768-byte image, up to the given step, between
  // the given lines: shown at 0, then a step every 3000 bytes, in percent.
  static std::vector<std::string> Bar(std::vector<std::string> before, std::size_t steps,
                                      std::initializer_list<std::string> after) {
    static const std::vector<std::string> all{"progress 0",       "show progress",    "progress 9.15527",
                                              "progress 18.3105", "progress 27.4658", "progress 36.6211",
                                              "progress 45.7764", "progress 54.9316", "progress 64.0869",
                                              "progress 73.2422", "progress 82.3975", "progress 91.5527"};
    before.insert(before.end(), all.begin(), all.begin() + 2 + static_cast<std::ptrdiff_t>(steps));
    before.insert(before.end(), after);
    return before;
  }

  // The file services the image object uses; a test may put a faulty one in.
  virtual FileSystem& files() { return RealFileSystem(); }
  // The wideband patch tables; never the user's installed ones.
  virtual wbpatch::TableSource& tables() { return builtInTables; }
  // The patch over them, made once: an image object keeps a reference to it.
  ImagePatch& patch() {
    if (!patch_) patch_.emplace(tables());
    return *patch_;
  }

  TempDir dir;
  wbpatch::BuiltInTables builtInTables;
  RecordingShell shell;
  std::string path;
  std::unique_ptr<clsBINFile> bin;

 private:
  std::optional<wbpatch::WideBandPatch> patch_;
};

}  // namespace vantorix::test
