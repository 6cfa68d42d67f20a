// Worksheet scenes: the bytes a scene must give, compared with reviewed golden data
// (a checksum of the whole worksheet and a quarter-size picture to look at).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "view/view.h"

inline std::vector<std::uint8_t> Sheet() {
  return {vrx::view.sheetBits, vrx::view.sheetBits + vrx::kSheetBytes};
}

inline std::uint64_t Fnv1a(const std::vector<std::uint8_t>& bytes) {
  std::uint64_t h = 1469598103934665603ull;
  for (std::uint8_t b : bytes) h = (h ^ b) * 1099511628211ull;
  return h;
}

// Every fourth pixel of every fourth row: small enough to commit, enough to see.
inline std::vector<std::uint8_t> Quarter(const std::vector<std::uint8_t>& sheet) {
  std::vector<std::uint8_t> out;
  for (int y = 0; y < vrx::kSheetHeight; y += 4)
    for (int x = 0; x < vrx::kSheetWidth; x += 4) out.push_back(sheet[y * vrx::kSheetStride + x]);
  return out;
}

// Compares the worksheet with the reviewed scene of that name. With TESSEL_UPDATE_GOLDEN
// set, the scene is written instead, to be looked at before it is committed.
inline void ExpectScene(const std::string& name) {
  const std::filesystem::path dir = std::filesystem::path(TESSEL_TEST_DATA) / "scenes";
  const std::vector<std::uint8_t> sheet = Sheet();
  const std::uint64_t sum = Fnv1a(sheet);
  const std::vector<std::uint8_t> small = Quarter(sheet);
  // For a close look: the whole worksheet of every scene into the folder named.
  if (const char* full = std::getenv("TESSEL_SCENE_FULL")) {
    std::ofstream pgm(std::filesystem::path(full) / (name + ".pgm"), std::ios::binary);
    pgm << "P5\n" << vrx::kSheetWidth << " " << vrx::kSheetHeight << "\n255\n";
    pgm.write(reinterpret_cast<const char*>(sheet.data()),
              static_cast<std::streamsize>(sheet.size()));
  }
  if (std::getenv("TESSEL_UPDATE_GOLDEN")) {
    std::filesystem::create_directories(dir);
    std::ofstream(dir / (name + ".fnv")) << std::hex << sum << "\n";
    std::ofstream pgm(dir / (name + ".pgm"), std::ios::binary);
    pgm << "P5\n" << vrx::kSheetWidth / 4 << " " << vrx::kSheetHeight / 4 << "\n255\n";
    pgm.write(reinterpret_cast<const char*>(small.data()),
              static_cast<std::streamsize>(small.size()));
    return;
  }
  std::ifstream in(dir / (name + ".fnv"));
  ASSERT_TRUE(in) << "no reviewed scene " << name;
  std::uint64_t want = 0;
  in >> std::hex >> want;
  std::ifstream pgm(dir / (name + ".pgm"), std::ios::binary);
  std::string magic;
  int w = 0, h = 0, max = 0;
  pgm >> magic >> w >> h >> max;
  pgm.get();
  std::vector<std::uint8_t> golden(small.size());
  pgm.read(reinterpret_cast<char*>(golden.data()), static_cast<std::streamsize>(golden.size()));
  int first = -1;
  for (std::size_t i = 0; i < small.size() && first < 0; ++i)
    if (small[i] != golden[i]) first = static_cast<int>(i);
  EXPECT_EQ(first, -1) << name << ": first difference at sheet pixel ("
                       << 4 * (first % (vrx::kSheetWidth / 4)) << ", "
                       << 4 * (first / (vrx::kSheetWidth / 4)) << ")";
  EXPECT_EQ(sum, want) << name << ": the worksheet differs from the reviewed scene";
}
