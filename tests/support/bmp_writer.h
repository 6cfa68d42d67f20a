// 8-bit bitmap files as a catalogue keeps them: bottom-up rows padded to 4 bytes, a
// full colour table of greys. Tests and benchmarks make their product bitmaps here.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

inline void Put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  out[at] = static_cast<std::uint8_t>(v);
  out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
inline void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// `pixel(x, y)` gives the palette index with y counted from the top.
inline std::vector<std::uint8_t> EightBitBmp(int width, int height,
                                             const std::function<std::uint8_t(int, int)>& pixel) {
  const std::size_t stride = (static_cast<std::size_t>(width) + 3) & ~std::size_t{3};
  const std::size_t offBits = 14 + 40 + 256 * 4;
  std::vector<std::uint8_t> out(offBits + stride * static_cast<std::size_t>(height), 0);
  out[0] = 'B';
  out[1] = 'M';
  Put32(out, 2, static_cast<std::uint32_t>(out.size()));
  Put32(out, 10, static_cast<std::uint32_t>(offBits));
  Put32(out, 14, 40);
  Put32(out, 18, static_cast<std::uint32_t>(width));
  Put32(out, 22, static_cast<std::uint32_t>(height));
  Put16(out, 26, 1);
  Put16(out, 28, 8);
  Put32(out, 34, static_cast<std::uint32_t>(stride * static_cast<std::size_t>(height)));
  Put32(out, 46, 256);
  for (std::uint32_t i = 0; i < 256; ++i) Put32(out, 54 + 4 * i, i * 0x010101u);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      out[offBits + stride * static_cast<std::size_t>(height - 1 - y) +
          static_cast<std::size_t>(x)] = pixel(x, y);
  return out;
}

inline void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

// A basin seen from above: an oval bowl with a rim, its back edge straight, and the
// corners outside the oval white (transparent).
inline std::uint8_t BasinPixel(int x, int y, int w, int h) {
  const double cx = (w - 1) / 2.0, cy = 0.0;
  const double dx = (x - cx) / (w / 2.0), dy = (y - cy) / static_cast<double>(h);
  const double r = dx * dx + dy * dy;
  if (y < 3) return 98;  // the back against the wall
  if (r > 1.0) return 255;
  if (r > 0.7) return 53;
  return (x - static_cast<int>(cx)) * (x - static_cast<int>(cx)) + (y - h / 3) * (y - h / 3) < 9
             ? 0
             : 221;
}

// A basin's whole bitmap file, `w` by `h` pixels.
inline std::vector<std::uint8_t> BasinBmp(int w, int h) {
  return EightBitBmp(w, h, [w, h](int x, int y) { return BasinPixel(x, y, w, h); });
}

// A bathtub: a frame, a lighter tub and the drain at its left end, so a turn shows.
inline std::uint8_t TubPixel(int x, int y, int w, int h) {
  if (x < 3 || y < 3 || x >= w - 3 || y >= h - 3) return 98;
  if (x < 8 || y < 8 || x >= w - 8 || y >= h - 8) return 176;
  const int dx = x - 22, dy = y - h / 2;
  if (dx * dx + dy * dy < 25) return 53;
  return 230;
}
