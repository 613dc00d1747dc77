#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "Outcomes.h"
#include "TestImage.h"
#include "wbpatch/PatchTable.h"

// The fixed layout of each patch version, written down here on its own so that a wrong
// offset or value in the program's layout or tables fails a test; and images made from it.
namespace vantorix::test {

inline constexpr int kFree = -1;  // a value the layout does not fix

struct Fact {
  std::uint16_t offset;
  int insertion;
  int removal;
};

// Every offset the version writes, ascending, with the values the layout fixes there.
inline std::vector<Fact> FactsOf(wbpatch::Version version) {
  std::vector<Fact> facts;
  const auto run = [&](int first, int count, int insertion, int removal) {
    for (int i = 0; i < count; ++i) facts.push_back({static_cast<std::uint16_t>(first + i), insertion, removal});
  };
  const auto fixed = [&](int first, std::initializer_list<int> insertion, std::initializer_list<int> removal) {
    for (std::size_t i = 0; i < insertion.size(); ++i)
      run(first + static_cast<int>(i), 1, insertion.begin()[i], removal.begin()[i]);
  };
  if (version == wbpatch::Version::Mask6E) {
    fixed(0x06CC, {0x4A}, {0xD5});
    fixed(0x06CE, {0x4B}, {0xD6});
    fixed(0x076B, {0x2F}, {0x4B});
    fixed(0x07D9, {0x86, 0x00}, {0x96, 0x4B});
    fixed(0x0E6C, {0xBD, 0xFD, 0x7C}, {0xCE, 0xC0, 0x2D});
    run(0x3D7C, 64 + 34, kFree, kFree);  // routine, table
    run(0x3DDE, 3, 0x00, kFree);
    run(0x3DE1, 14, kFree, kFree);  // text
    run(0x3DEF, 3, 0x00, kFree);
    run(0x3DF2, 10, kFree, kFree);  // signature
    run(0x3DFC, 388, 0x00, kFree);
    return facts;
  }
  const bool axxc = version == wbpatch::Version::Axxc8D;
  fixed(0x0929, {0x00, 0x34, 0x00, 0x35}, {0x30, 0xF3, 0x30, 0xF4});
  fixed(0x2000, {0x86}, {0x00});
  run(0x2002, 2, kFree, 0x00);
  fixed(0x2004, {axxc ? 0xFC : 0xDC}, {0x00});
  run(0x2005, 15, kFree, 0x00);
  run(0x2015, 24, kFree, 0x00);
  fixed(0x202D, {axxc ? 0xF8 : 0xD8}, {0x00});
  run(0x202E, 15, kFree, 0x00);
  run(0x203E, 36, kFree, 0x00);  // the routine's last two bytes, then the table
  run(0x2070, 14, kFree, 0x00);  // text
  run(axxc ? 0x2081 : 0x2082, 10, kFree, 0x00);
  fixed(axxc ? 0x4C9C : 0x4C90, {0xBD, 0xA0, 0x00}, {0xCE, 0x00, 0xE2});
  return facts;
}

// A stock image of the version: the unpatched values the layout fixes (and zeros in the
// rest of the $8D area 0x2000-0x208B), TestImage's varied bytes elsewhere.
inline TestImage StockImage(wbpatch::Version version, std::size_t size = 32768) {
  TestImage stock(size, version == wbpatch::Version::Mask6E ? 0x6E : 0x8D);
  if (version == wbpatch::Version::Axxc8D) stock.Axxc();
  if (version == wbpatch::Version::Aujp8D && size > TestImage::kBccOffsets.back()) stock.Aujp();
  if (version != wbpatch::Version::Mask6E)
    for (std::size_t offset = 0x2000; offset <= 0x208B; ++offset) stock.Byte(offset, 0x00);
  for (const Fact& fact : FactsOf(version))
    if (fact.removal != kFree && fact.offset < size) stock.Byte(fact.offset, static_cast<std::uint8_t>(fact.removal));
  return stock;
}

// The stock image with a made-up test patch applied: the layout's fixed values, and
// letters where it fixes none.
inline TestImage TestPatched(wbpatch::Version version) {
  TestImage patched = StockImage(version);
  for (const Fact& fact : FactsOf(version))
    patched.Byte(fact.offset,
                 static_cast<std::uint8_t>(fact.insertion != kFree ? fact.insertion : 'a' + fact.offset % 26));
  return patched;
}

// The image with the values a table knows for the operation written in, where it has the offset.
inline std::vector<std::uint8_t> Applied(std::vector<std::uint8_t> image, const wbpatch::Table& table,
                                         wbpatch::Operation operation) {
  for (const wbpatch::Entry& entry : table.entries)
    if (const auto value = entry.ValueFor(operation); value && entry.offset < image.size())
      image[entry.offset] = *value;
  return image;
}

}  // namespace vantorix::test
