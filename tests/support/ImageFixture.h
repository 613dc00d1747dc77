#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "RecordingShell.h"
#include "TempDir.h"
#include "TestImage.h"
#include "bin/clsBINFile.h"
#include "wbpatch/TableSource.h"
#include "wbpatch/WideBandPatch.h"

namespace vantorix::test {

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

  // The members a caller sees, in one line: opened|mask|PROM ID|checksum|transmission|BCC|size|changed.
  static std::string Members(clsBINFile& image) {
    return std::to_string(image.FileOpened()) + "|" + image.Mask() + "|" + image.PROMID() + "|" + image.Checksum() +
           "|" + image.Transmission() + "|" + image.WBBCC() + "|" + std::to_string(image.FileSize()) + "|" +
           std::to_string(image.Changed());
  }
  static constexpr const char* kNoImage = "0|N/A|N/A|N/A|N/A|N/A|0|0";
  static std::vector<std::uint8_t> BytesOf(const clsBINFile& image) {
    return {image.Bytes().begin(), image.Bytes().end()};
  }
  // The trace of the progress bar over the first `upTo` of `size` bytes: shown at 0, then a
  // step every 3000 bytes, in percent.
  static std::vector<std::string> Steps(std::size_t size, std::size_t upTo = SIZE_MAX) {
    RecordingShell lines;
    lines.SetProgress(0), lines.ShowProgress();
    for (std::size_t k = 3000; k <= std::min(size, upTo); k += 3000)
      lines.SetProgress(static_cast<float>(static_cast<double>(k) / static_cast<double>(size) * 100.0));
    return lines.Trace();
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
