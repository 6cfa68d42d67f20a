// A whole file's bytes, read and written as they are: tests compare what the program
// wrote byte for byte, and plant files exactly as a user's disk may hold them.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

// The file's bytes; empty when it cannot be opened, so a missing file fails the
// comparison that follows rather than the test's set-up.
inline std::string Read(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void Write(const std::filesystem::path& p, const std::string& bytes) {
  std::ofstream(p, std::ios::binary) << bytes;
}
