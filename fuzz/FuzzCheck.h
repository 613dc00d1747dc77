#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

// Helpers shared by the fuzz targets.
namespace vantorix::fuzz {

// A broken promise is a finding: say which, and stop so that libFuzzer keeps the input.
// The detail is a view so that a check in a hot loop builds no string while it holds.
inline void Check(bool holds, const char* promise, std::string_view detail = {}) {
  if (holds) return;
  std::fprintf(stderr, "\nbroken: %s %.*s\n", promise, static_cast<int>(detail.size()), detail.data());
  std::abort();
}

// The whole file in one read (the test helper's character-wise read is slow under the
// fuzzer's instrumentation).
inline std::vector<std::uint8_t> ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  Check(static_cast<bool>(in), "a scratch file can be read", path);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(in.tellg()));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

// Where the targets keep their files: a memory file system when there is one, where a
// sync costs nothing.
inline std::filesystem::path MemoryFolder() {
  std::error_code error;
  return std::filesystem::is_directory("/dev/shm", error) ? std::filesystem::path("/dev/shm")
                                                          : std::filesystem::temp_directory_path();
}

}  // namespace vantorix::fuzz
